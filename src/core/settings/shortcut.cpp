#include "core/settings/shortcut.h"

#include "core/text/sjis.h"
#include "core/text/text_helpers.h"

namespace qv {

const std::array<ShortCutKey, 65> kShortCutKeys = {{
    {"A", 0x41},    {"B", 0x42},     {"C", 0x43},     {"D", 0x44},    {"E", 0x45},
    {"F", 0x46},    {"G", 0x47},     {"H", 0x48},     {"I", 0x49},    {"J", 0x4A},
    {"K", 0x4B},    {"L", 0x4C},     {"M", 0x4D},     {"N", 0x4E},    {"O", 0x4F},
    {"P", 0x50},    {"Q", 0x51},     {"R", 0x52},     {"S", 0x53},    {"T", 0x54},
    {"U", 0x55},    {"V", 0x56},     {"W", 0x57},     {"X", 0x58},    {"Y", 0x59},
    {"Z", 0x5A},    {"F1", 0x70},    {"F2", 0x71},    {"F3", 0x72},   {"F4", 0x73},
    {"F5", 0x74},   {"F6", 0x75},    {"F7", 0x76},    {"F8", 0x77},   {"F9", 0x78},
    {"F10", 0x79},  {"F11", 0x7A},   {"F12", 0x7B},   {"Del", 0x2E},  {"Ins", 0x2D},
    {"BkSp", 0x08}, {"PgUp", 0x21},  {"PgDn", 0x22},  {"Home", 0x24}, {"End", 0x23},
    {"Left", 0x25}, {"Up", 0x26},    {"Right", 0x27}, {"Down", 0x28}, {"Tab", 0x09},
    {"Esc", 0x1B},  {"Enter", 0x0D}, {"Space", 0x20}, {"0", 0x30},    {"1", 0x31},
    {"2", 0x32},    {"3", 0x33},     {"4", 0x34},     {"5", 0x35},    {"6", 0x36},
    {"7", 0x37},    {"8", 0x38},     {"9", 0x39},     {"+", 0xBB},    {"-", 0xBD},
}};

namespace {

struct Modifier {
    std::string_view Prefix;
    ShortCut Bit;
};
constexpr Modifier kModifiers[] = {
    {"Shift+", kShortCutShift}, {"Ctrl+", kShortCutCtrl}, {"Alt+", kShortCutAlt}};

}  // namespace

std::string ShortCutToText(ShortCut code) {
    const auto vk = static_cast<std::uint8_t>(code & kShortCutKeyMask);
    for (const auto& key : kShortCutKeys) {
        if (key.VirtualKey != vk) continue;
        std::string text;
        for (const auto& m : kModifiers) {
            if (code & m.Bit) text += m.Prefix;
        }
        text += key.Name;
        return text;
    }
    return {};
}

ShortCut TextToShortCut(std::string_view text) {
    text = TrimAsciiBlanks(text);
    ShortCut code = 0;
    // Prefixes in any order, as a hand-edited file may have them.
    for (bool found = true; found;) {
        found = false;
        for (const auto& m : kModifiers) {
            if (text.size() > m.Prefix.size() &&
                sjis::EqualsNoCase(text.substr(0, m.Prefix.size()), m.Prefix)) {
                code |= m.Bit;
                text.remove_prefix(m.Prefix.size());
                found = true;
            }
        }
    }
    for (const auto& key : kShortCutKeys) {
        if (sjis::EqualsNoCase(text, key.Name)) return static_cast<ShortCut>(code | key.VirtualKey);
    }
    return 0;
}

}  // namespace qv
