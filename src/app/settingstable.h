#pragma once

#include <array>

namespace tessellon {

/// One entry of Tessellon.ini, in the order shutdown writes them.
struct SettingSpec
{
    const char* section;
    const char* key;
    const char* fallback; // the value used when the key is missing
};

inline constexpr const char* kSettingsFileName = "Tessellon.ini";
inline constexpr const char* kBindingsSection = "HotKeyBindings";
inline constexpr const char* kSettingsSection = "Settings";

/// The thirteen bindings, KeyCodes entries 1..13 in order.
inline constexpr std::array<SettingSpec, 13> kBindingSettings{{
    {kBindingsSection, "Up", "87"},     {kBindingsSection, "Left", "65"},
    {kBindingsSection, "Right", "68"},  {kBindingsSection, "Down", "83"},
    {kBindingsSection, "Undo", "90"},   {kBindingsSection, "Redo", "89"},
    {kBindingsSection, "Repeat", "82"}, {kBindingsSection, "Erase", "69"},
    {kBindingsSection, "Tab1", "49"},   {kBindingsSection, "Tab2", "50"},
    {kBindingsSection, "Tab3", "51"},   {kBindingsSection, "1x1", "57"},
    {kBindingsSection, "3x3", "48"},
}};

inline constexpr SettingSpec kGridLines{kSettingsSection, "GridLines", "True"};
inline constexpr SettingSpec kOverlay{kSettingsSection, "Overlay", "Left"};
inline constexpr SettingSpec kFormLeft{kSettingsSection, "FormLeft", "0"};
inline constexpr SettingSpec kFormTop{kSettingsSection, "FormTop", "0"};

} // namespace tessellon
