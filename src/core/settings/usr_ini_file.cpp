#include "core/settings/usr_ini_file.h"

#include <utility>

#include "core/fs/atomic_file.h"
#include "core/fs/read_file.h"
#include "core/text/sjis.h"

namespace qv {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// True when the last character (not byte: ']' can be a trail byte) of `line` is ']'.
bool EndsWithBracket(std::string_view line) {
    const std::size_t last = sjis::PrevChar(line, line.size());
    return line.size() - last == 1 && line[last] == ']';
}

}  // namespace

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return std::nullopt;
    // Decimal must fit the signed range; hexadecimal may use all 32 bits.
    const std::uint64_t limit =
        base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int d = HexDigit(text[i]);
        if (d < 0 || d >= base) return std::nullopt;
        magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (magnitude > limit) return std::nullopt;
    }
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

UsrIniFile::UsrIniFile(std::string path) : path_(std::move(path)) {
    WholeFile file = ReadWholeFile(path_, kMaxFileSize);
    switch (file.Status) {
        case WholeFile::Result::Read:
            Parse(file.Bytes);
            state_ = LoadState::Loaded;
            break;
        case WholeFile::Result::Missing:
            state_ = LoadState::Missing;
            break;
        case WholeFile::Result::Unreadable:
            state_ = LoadState::Unreadable;
            lastError_ = std::move(file.Error);
            break;
    }
}

UsrIniFile UsrIniFile::FromText(std::string_view text, std::string path) {
    UsrIniFile ini;
    ini.path_ = std::move(path);
    ini.Parse(text);
    ini.state_ = LoadState::Loaded;
    return ini;
}

void UsrIniFile::Parse(std::string_view text) {
    sections_.clear();
    sectionIndex_.clear();
    modified_ = false;
    // A byte-order mark left by an editor would otherwise hide the first section header.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Lines end at CR LF, LF or a lone CR.
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        const std::string_view line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size())
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;

        if (line.empty() || line[0] == ';') continue;
        if (line.size() >= 2 && line[0] == '[' && EndsWithBracket(line)) {
            AddSection(line.substr(1, line.size() - 2));
        } else if (!sections_.empty()) {
            AddLine(sections_.back(), std::string(line));
        }
    }
}

UsrIniFile::Section& UsrIniFile::AddSection(std::string_view name) {
    sectionIndex_.emplace(sjis::LowerAscii(name), sections_.size());
    return sections_.emplace_back(Section{std::string(name), {}, {}});
}

void UsrIniFile::AddLine(Section& section, std::string line) {
    // '=' is never a trail byte, so a plain search is safe.
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos)
        section.KeyIndex.emplace(sjis::LowerAscii(std::string_view(line).substr(0, eq)),
                                 section.Lines.size());
    section.Lines.push_back(std::move(line));
}

const UsrIniFile::Section* UsrIniFile::FindSection(std::string_view name) const {
    const auto it = sectionIndex_.find(sjis::LowerAscii(name));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

UsrIniFile::Section* UsrIniFile::FindSection(std::string_view name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const std::string* UsrIniFile::FindLine(std::string_view section, std::string_view key,
                                        std::size_t* valueStart) const {
    const Section* s = FindSection(section);
    if (!s) return nullptr;
    const auto it = s->KeyIndex.find(sjis::LowerAscii(key));
    if (it == s->KeyIndex.end()) return nullptr;
    *valueStart = key.size() + 1;
    return &s->Lines[it->second];
}

std::string UsrIniFile::ReadString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
    std::size_t start = 0;
    const std::string* line = FindLine(section, key, &start);
    if (!line || start >= line->size()) return std::string(defaultValue);
    std::string_view value = std::string_view(*line).substr(start);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

int UsrIniFile::ReadInteger(std::string_view section, std::string_view key,
                            int defaultValue) const {
    const std::string text = ReadString(section, key, "");
    if (text.empty()) return defaultValue;
    return ParseIniInteger(text).value_or(defaultValue);
}

bool UsrIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

Color UsrIniFile::ReadColor(std::string_view section, std::string_view key,
                            Color defaultValue) const {
    return static_cast<Color>(ReadInteger(section, key, ColorToSigned(defaultValue)));
}

FontSpec UsrIniFile::ReadFont(std::string_view section, const FontSpec* base) const {
    const FontSpec fallback{kShiftJisCharset, std::string(), 11, false, false};
    const FontSpec& b = base ? *base : fallback;
    FontSpec font;
    font.Charset = ReadInteger(section, "FontCharset", kShiftJisCharset);
    font.Face = ReadString(section, "FontName", b.Face);
    font.Size = ReadInteger(section, "FontSize", b.Size);
    font.Bold = ReadBool(section, "FontBold", b.Bold);
    font.Italic = ReadBool(section, "FontItalic", b.Italic);
    return font;
}

void UsrIniFile::WriteString(std::string_view section, std::string_view key,
                             std::string_view text) {
    std::string line;
    line.reserve(key.size() + text.size() + 3);
    line.append(key);
    line += '=';
    const bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
    if (quoted) line += '"';
    for (char c : text) {
        if (c != '\r' && c != '\n') line += c;
    }
    if (quoted) line += '"';

    Section* s = FindSection(section);
    if (!s) s = &AddSection(section);
    if (const auto it = s->KeyIndex.find(sjis::LowerAscii(key)); it != s->KeyIndex.end()) {
        std::string& existing = s->Lines[it->second];
        if (existing != line) {
            existing = std::move(line);
            modified_ = true;
        }
        return;
    }
    AddLine(*s, std::move(line));
    modified_ = true;
}

void UsrIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void UsrIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void UsrIniFile::WriteColor(std::string_view section, std::string_view key, Color value) {
    WriteInteger(section, key, ColorToSigned(value));
}

void UsrIniFile::WriteFont(std::string_view section, const FontSpec& font) {
    WriteString(section, "FontName", font.Face);
    WriteInteger(section, "FontSize", font.Size);
    WriteBool(section, "FontBold", font.Bold);
    WriteBool(section, "FontItalic", font.Italic);
}

std::string UsrIniFile::Text() const {
    std::size_t size = 0;
    for (const auto& s : sections_) {
        size += s.Name.size() + 6;
        for (const auto& l : s.Lines)
            size += l.size() + 2;
    }
    std::string text;
    text.reserve(size);
    for (const auto& s : sections_) {
        text += '[';
        text += s.Name;
        text += ']';
        text += kLineEnd;
        for (const auto& l : s.Lines) {
            text += l;
            text += kLineEnd;
        }
        text += kLineEnd;
    }
    return text;
}

std::vector<std::string> UsrIniFile::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const auto& s : sections_)
        names.push_back(s.Name);
    return names;
}

std::vector<std::string> UsrIniFile::SectionLines(std::string_view section) const {
    const Section* s = FindSection(section);
    return s ? s->Lines : std::vector<std::string>{};
}

bool UsrIniFile::UpdateFile() {
    if (!modified_) return true;
    lastError_.clear();
    lastProblem_ = WriteProblem::None;
    if (state_ == LoadState::Unreadable) {
        lastError_ = "not overwriting " + path_ + ": it could not be read at start";
        lastProblem_ = WriteProblem::Failed;
        return false;
    }
    if (path_.empty()) {
        lastError_ = "no settings file path";
        lastProblem_ = WriteProblem::NoName;
        return false;
    }

    const std::string text = Text();
    // A file the next start could not read would lose every setting.
    if (text.size() > kMaxFileSize) {
        lastProblem_ = WriteProblem::TooLarge;
        lastError_ = "not writing " + path_ + ": the settings would exceed the " +
                     std::to_string(kMaxFileSize >> 20) + " MiB a settings file may have";
        return false;
    }
    WriteResult written = ReplaceFileAtomically(path_, text);
    lastProblem_ = written.Problem;
    if (!written) {
        lastError_ = std::move(written.Error);
        return false;
    }
    modified_ = false;
    return true;
}

}  // namespace qv
