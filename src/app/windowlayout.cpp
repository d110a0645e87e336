#include "windowlayout.h"

#include <array>

namespace tessellon {

namespace {

using K = ControlKind;

// The window description, in twips (15 to a pixel). Controls take the tab order of this
// table, so the focus holder comes first.
constexpr ControlSpec kControls[] = {
    {"cmdFob", -1, K::Button, nullptr, -1, -1500, -240, 855, 495, "Fob", ""},
    {"fraOptions", -1, K::Frame, nullptr, -1, 60, 0, 4335, 375, "", ""},
    {"Label", 2, K::Label, "fraOptions", -1, 120, 120, 615, 225, "Overlay:",
     "Mouse button for overlay (other button will replace)."},
    {"optDefaultOverlay", 1, K::Option, "fraOptions", -1, 740, 120, 615, 220, "Left",
     "Left Mouse overlays tile, Right mouse replaces tile."},
    {"optDefaultOverlay", 0, K::Option, "fraOptions", -1, 1360, 120, 705, 220, "Right",
     "Right mouse overlays, Left mouse replaces tile."},
    {"Label", 1, K::Label, "fraOptions", -1, 2320, 120, 495, 225, "Scale:",
     "Cursor Movement Scale (when using keyboard, cursor moves either 1 unit or 3 units per key "
     "press)."},
    {"Picture1", -1, K::Picture, "fraOptions", -1, 2800, 120, 1450, 220, "", ""},
    {"optScaleMove", 0, K::Option, "Picture1", -1, 0, 0, 735, 220, "1 x 1", ""},
    {"optScaleMove", 1, K::Option, "Picture1", -1, 720, 0, 735, 220, "3 x 3", ""},
    {"fraSelectTileSet", 4, K::Frame, nullptr, -1, 4440, 0, 6495, 375, "", ""},
    {"optTileSets", 0, K::Option, "fraSelectTileSet", 4, 120, 120, 975, 220, "Standard", ""},
    {"optTileSets", 1, K::Option, "fraSelectTileSet", 4, 1200, 120, 855, 220, "Large", ""},
    {"optTileSets", 2, K::Option, "fraSelectTileSet", 4, 2080, 120, 2415, 220,
     "Rooms / Cave / Misc", ""},
    {"optTileSets", 3, K::Option, "fraSelectTileSet", 4, 5040, 120, 1335, 220, "Key Bindings",
     "Assign movement and drawing keys."},
    {"fraCommands", -1, K::Frame, nullptr, -1, 10980, 0, 2535, 1095, "", ""},
    {"cmdUndo", -1, K::Button, "fraCommands", -1, 120, 240, 735, 375, "Undo", ""},
    {"cmdRedo", -1, K::Button, "fraCommands", -1, 120, 600, 735, 375, "Redo", ""},
    {"cmdLoad", -1, K::Button, "fraCommands", -1, 960, 240, 735, 375, "Load", "", false},
    {"cmdSave", -1, K::Button, "fraCommands", -1, 960, 600, 735, 375, "Save", "", false},
    {"cmdClear", -1, K::Button, "fraCommands", -1, 1815, 600, 615, 375, "Clear", "", false},
    {"chkGrid", -1, K::CheckBox, "fraCommands", -1, 1800, 300, 600, 255, "Grid",
     "Grid Overlay (not part of image)"},
    // The view frame is placed and sized by the layout at the first size event.
    {"picScrollContainer", -1, K::Picture, nullptr, -1, 75, 2550, 13185, 5835, "", ""},
    {"picCanvas", -1, K::Picture, "picScrollContainer", -1, 75, 75, 10905, 5535, "", ""},
    {"HScroll", -1, K::ScrollBarH, nullptr, -1, 120, 3480, 2175, 240, "", ""},
    {"VScroll", -1, K::ScrollBarV, nullptr, -1, 2400, 2520, 225, 975, "", ""},
    {"fraMisc", -1, K::Frame, nullptr, -1, 6480, 3840, 5655, 2295, "Misc Dev", ""},
};

// Two rows of boxes under the instruction line: Up..Repeat, then Erase..3x3.
constexpr std::array<BindingSlot, 14> makeSlots()
{
    std::array<BindingSlot, 14> s{};
    s[0] = {8, 6, 417, 30, 0, 0};
    for (int i = 1; i <= 13; ++i) {
        const int rowIndex = i <= 7 ? 0 : 1;
        const int col = i <= 7 ? i - 1 : i - 8;
        const int x = 8 + col * 60;
        const int y = rowIndex == 0 ? 44 : 96;
        s[i] = {x, y, 56, 16, x + 12, y + 18};
    }
    return s;
}
constexpr auto kSlots = makeSlots();

} // namespace

std::span<const ControlSpec> windowControls() noexcept
{
    return kControls;
}

std::span<const BindingSlot> keyBindingSlots() noexcept
{
    return kSlots;
}

} // namespace tessellon
