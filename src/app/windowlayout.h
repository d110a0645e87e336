#pragma once

#include <span>

namespace tessellon {

/// Kinds of control the window description holds.
enum class ControlKind { Frame, Label, Option, CheckBox, Button, Picture, ScrollBarH, ScrollBarV };

/// One control of the window description: name and index in its control array (-1 when it
/// is no array), its container (nullptr = the window), place and size in twips, caption and
/// tool tip.
struct ControlSpec
{
    const char* name;
    int index;
    ControlKind kind;
    const char* container;
    int containerIndex;
    int left, top, width, height; // twips
    const char* caption;
    const char* toolTip;
    bool tabStop = true;
};

inline constexpr int kTwipsPerPixel = 15;
/// The window's client area in the description.
inline constexpr int kClientWidth = 904;
inline constexpr int kClientHeight = 579;
/// The smallest window: 13680 x 4200 twips with a classic frame (4-pixel borders and a
/// caption) leave this client area.
inline constexpr int kMinClientWidth = 904;
inline constexpr int kMinClientHeight = 249;

/// The window's fixed controls, parents before children (the palette comes from the palette
/// tables, the key-binding page from keyBindingBoxes()).
std::span<const ControlSpec> windowControls() noexcept;

/// Place of box `txtKeyBindings(i)` and label `lblCustomize(i)` on the key-binding page, in
/// page pixels; i = 0 is the instruction line (no box).
struct BindingSlot
{
    int labelX, labelY, labelW, labelH;
    int boxX, boxY; // boxes are 33 x 25 (495 x 375 twips)
};
std::span<const BindingSlot> keyBindingSlots() noexcept; // indices 0..13

inline constexpr const char* kBindingCaptions[14] = {
    "To change a key binding, click the box containing the current binding once, then press the "
    "new key to bind.",
    "Up", "Left", "Right", "Down", "Undo", "Redo", "Repeat", "Erase", "Tab 1", "Tab 2", "Tab 3",
    "1x1", "3x3"};

} // namespace tessellon
