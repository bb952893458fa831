// Shared helpers of the fragment-file and text-exchange tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>

#include "core/io/fragment_file.h"
#include "unit/content/temp_dir.h"
#include "unit/model/fakes.h"

namespace qv::test {

// Code page 932 texts the tests need.
inline constexpr std::string_view kMarker = "\x81\x5f";     // the line-break marker ＼
inline constexpr std::string_view kHyou = "\x95\x5c";       // 表: trail byte 0x5C
inline constexpr std::string_view kSo = "\x83\x5c";         // ソ: trail byte 0x5C
inline constexpr std::string_view kEqualSign = "\x81\x81";  // ＝: trail byte 0x81
inline constexpr std::string_view kIdeas = "\x83\x41\x83\x43\x83\x66\x83\x41";  // アイデア

// A fragment file: the header and `lines`, each ended by `eol`.
inline std::string FragmentCsv(std::initializer_list<std::string_view> lines,
                               std::string_view eol = "\r\n") {
    std::string text(kFragmentFileHeader);
    text += eol;
    for (std::string_view l : lines) {
        text += l;
        text += eol;
    }
    return text;
}

inline std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qv::test
