// Keyboard shortcuts as the settings file and the shortcut list show them.
//
// A shortcut is a 16-bit code: the key's virtual-key code plus 0x2000 for Shift, 0x4000 for Ctrl
// and 0x8000 for Alt; 0 is no shortcut. Its text form is "Shift+", "Ctrl+", "Alt+" (in this order,
// each only when present) followed by one of the 65 key names.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

using ShortCut = std::uint16_t;

inline constexpr ShortCut kShortCutShift = 0x2000;
inline constexpr ShortCut kShortCutCtrl = 0x4000;
inline constexpr ShortCut kShortCutAlt = 0x8000;
inline constexpr ShortCut kShortCutKeyMask = 0x00FF;

struct ShortCutKey {
    std::string_view Name;
    std::uint8_t VirtualKey;
};

// The key names offered, in the order of the key list: "A" … "Z", "F1" … "F12", "Del", "Ins",
// "BkSp", "PgUp", "PgDn", "Home", "End", "Left", "Up", "Right", "Down", "Tab", "Esc", "Enter",
// "Space", "0" … "9", "+", "-". "+" and "-" are the keys that carry those signs, so "Ctrl++" is
// Ctrl with the plus key.
extern const std::array<ShortCutKey, 65> kShortCutKeys;

// The text form; empty for 0 or for a key without a name.
std::string ShortCutToText(ShortCut code);

// The code of a text form. Modifier prefixes and the key name are matched without regard to letter
// case, surrounding blanks are ignored; a text that does not end in a known key name gives 0
// ("Ctrl+" alone, "Ctrl+Foo", "").
ShortCut TextToShortCut(std::string_view text);

}  // namespace qv
