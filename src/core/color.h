// Colours as the program stores them: 32-bit values 0x00BBGGRR, written to files as signed decimal.
// 0x80000000 + n names a system colour; 0x1FFFFFFF means "no colour" (a transparent background).
#pragma once

#include <cstdint>

namespace qv {

using Color = std::uint32_t;

inline constexpr Color kNoColor = 0x1FFFFFFF;
inline constexpr Color kSystemColorBase = 0x80000000;

// System colour numbers the program uses.
inline constexpr Color kSysWindow = kSystemColorBase + 5;
inline constexpr Color kSysWindowText = kSystemColorBase + 8;
inline constexpr Color kSysAppWorkspace = kSystemColorBase + 12;
inline constexpr Color kSysButtonFace = kSystemColorBase + 15;
inline constexpr Color kSysGrayText = kSystemColorBase + 17;

constexpr Color Rgb(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(Color c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(Color c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(Color c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
constexpr bool IsSystemColor(Color c) {
    return (c & 0xFF000000) == kSystemColorBase;
}

// The signed decimal form used in files and settings (system colours come out negative).
constexpr std::int32_t ColorToSigned(Color c) {
    return static_cast<std::int32_t>(c);
}
constexpr Color ColorFromSigned(std::int64_t v) {
    return static_cast<Color>(static_cast<std::uint32_t>(v));
}

}  // namespace qv
