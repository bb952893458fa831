#include "core/content/link_content.h"

#include <array>
#include <cstdio>
#include <system_error>

#include "core/content/line_reader.h"
#include "core/text/sjis.h"
#include "core/text/text_helpers.h"

namespace qv {

namespace {

constexpr std::size_t kTagSize = 128;
constexpr std::size_t kTextProbe = 2048;

// A tag field: up to its first zero byte, without a lead byte left dangling by a tagger that cut
// a double-byte character in half at the field's end (it would pair up with whatever text comes
// next), trimmed.
std::string TagField(std::string_view block, std::size_t offset, std::size_t length) {
    std::string_view field = block.substr(offset, length);
    field = field.substr(0, field.find('\0'));
    std::size_t last = 0;
    for (std::size_t p = 0; p < field.size(); p = sjis::NextChar(field, p))
        last = p;
    if (!field.empty() && last + 1 == field.size() && sjis::IsLeadByte(field[last]))
        field.remove_suffix(1);
    return std::string(TrimControls(field));
}

bool IsDecorationLine(std::string_view line) {
    std::array<unsigned char, 4> values{};
    std::array<int, 4> counts{};
    std::size_t distinct = 0;
    for (char c : line) {
        unsigned char b = static_cast<unsigned char>(c);
        std::size_t i = 0;
        while (i < distinct && values[i] != b)
            ++i;
        if (i == distinct) {
            if (distinct == values.size()) return false;  // too varied to be a ruler
            values[distinct++] = b;
        }
        ++counts[i];
    }
    for (std::size_t i = 0; i < distinct; ++i) {
        if (counts[i] > 20) return true;
    }
    return false;
}

std::string FirstLine(LineReader& reader) {
    std::string piece;
    std::string last;
    while (reader.Next(piece)) {
        last.assign(TrimControls(piece));
        if (!last.empty() && !IsDecorationLine(last)) return last;
    }
    return last;
}

std::string HelpTitle(LineReader& reader) {
    std::string piece;
    while (reader.Next(piece)) {
        if (piece.size() >= 7 &&
            sjis::EqualsNoCase(std::string_view(piece).substr(0, 7), ":Title "))
            return piece.substr(7);
    }
    return {};
}

bool IsRegularFile(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
}

// The contents file beside a help file: ".CNT" as written on the platform the format comes from,
// else ".cnt", else the same name in any letter case.
std::filesystem::path FindContentsFile(const std::filesystem::path& helpFile) {
    std::filesystem::path cnt = helpFile;
    cnt.replace_extension(".CNT");
    if (IsRegularFile(cnt)) return cnt;
    cnt.replace_extension(".cnt");
    if (IsRegularFile(cnt)) return cnt;
    std::string wanted = cnt.filename().string();
    std::filesystem::path dir = helpFile.parent_path();
    if (dir.empty()) dir = ".";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (sjis::EqualsNoCase(it->path().filename().string(), wanted) && IsRegularFile(it->path()))
            return it->path();
    }
    return {};
}

}  // namespace

bool ReadMp3TagFromBytes(std::string_view file, NameValueList& list) {
    list.clear();
    if (file.size() < kTagSize) return false;
    std::string_view block = file.substr(file.size() - kTagSize);
    if (!block.starts_with("TAG")) return false;
    list.push_back({"TrackName", TagField(block, 3, 30)});
    list.push_back({"ArtistName", TagField(block, 33, 30)});
    list.push_back({"AlbumName", TagField(block, 63, 30)});
    list.push_back({"Year", TagField(block, 93, 4)});
    list.push_back({"Comment", TagField(block, 97, 30)});
    return true;
}

bool ReadMp3Tag(const std::filesystem::path& path, NameValueList& list) {
    list.clear();
    std::FILE* file = OpenRegularFile(path);
    if (!file) return false;
    char block[kTagSize];
    std::size_t got = 0;
    if (std::fseek(file, -static_cast<long>(kTagSize), SEEK_END) == 0)
        got = std::fread(block, 1, kTagSize, file);
    std::fclose(file);
    if (got < kTagSize) return false;
    return ReadMp3TagFromBytes(std::string_view(block, kTagSize), list);
}

std::string HelpTitleFromContents(std::string_view contents) {
    LineReader reader(contents);
    return HelpTitle(reader);
}

std::string ReadHelpTitle(const std::filesystem::path& helpFile) {
    std::filesystem::path cnt = FindContentsFile(helpFile);
    if (cnt.empty()) return {};
    LineReader reader(cnt);
    return reader.ok() ? HelpTitle(reader) : std::string();
}

bool IsTextBytes(std::string_view start) {
    start = start.substr(0, kTextProbe);
    for (char c : start) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b == 0x00 || b > 0xFC) return false;
    }
    return true;
}

bool IsTextFile(const std::filesystem::path& path) {
    std::FILE* file = OpenRegularFile(path);
    if (!file) return false;
    char buffer[kTextProbe];
    std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed && IsTextBytes(std::string_view(buffer, got));
}

std::string FirstLineFromBytes(std::string_view file) {
    LineReader reader(file);
    return FirstLine(reader);
}

std::string ReadFirstLine(const std::filesystem::path& path) {
    LineReader reader(path);
    return reader.ok() ? FirstLine(reader) : std::string();
}

std::string LinkExtension(std::string_view link) {
    // The extension starts at the last "." after the last path separator.
    std::size_t dot = std::string_view::npos;
    for (std::size_t p = 0; p < link.size(); p = sjis::NextChar(link, p)) {
        if (sjis::CharLength(link, p) != 1) continue;
        if (link[p] == '\\' || link[p] == '/' || link[p] == ':') {
            dot = std::string_view::npos;
        } else if (link[p] == '.') {
            dot = p;
        }
    }
    return dot == std::string_view::npos ? std::string() : sjis::UpperAscii(link.substr(dot));
}

LinkContent LinkContentForExtension(std::string_view upperExtension) {
    if (upperExtension == ".HTM" || upperExtension == ".HTML" || upperExtension == ".SHTML")
        return LinkContent::HtmlHead;
    if (upperExtension == ".HLP") return LinkContent::HelpTitle;
    if (upperExtension == ".MP3") return LinkContent::Mp3Tag;
    return LinkContent::FirstLine;
}

LinkContent LinkContentFor(const std::filesystem::path& file) {
    LinkContent kind = LinkContentForExtension(sjis::UpperAscii(file.extension().string()));
    if (kind == LinkContent::FirstLine && !IsTextFile(file)) return LinkContent::None;
    return kind;
}

}  // namespace qv
