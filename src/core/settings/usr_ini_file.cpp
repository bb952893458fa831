#include "core/settings/usr_ini_file.h"

#include <algorithm>
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

char FoldByte(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A hash of `s` that ignores ASCII letter case outside double-byte characters, so names that
// sjis::EqualsNoCase finds equal hash alike.
std::uint64_t FoldedHash(std::string_view s) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (std::size_t p = 0; p < s.size();) {
        const std::size_t len = sjis::CharLength(s, p);
        for (std::size_t i = 0; i < len; ++i) {
            h ^= static_cast<unsigned char>(len == 1 ? FoldByte(s[p]) : s[p + i]);
            h *= 0x100000001B3ull;
        }
        p += len;
    }
    return h;
}

// The name part of a line: everything before its first '=' ('=' is never a trail byte).
std::optional<std::string_view> KeyOf(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return line.substr(0, eq);
}

// Open addressing with linear probing over a power-of-two table of index + 1 (0 = free).
template <typename Matches>
std::optional<std::uint32_t> Probe(const std::vector<std::uint32_t>& slots, std::uint64_t hash,
                                   Matches matches) {
    if (slots.empty()) return std::nullopt;
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = hash & mask; slots[i] != 0; i = (i + 1) & mask) {
        if (matches(slots[i] - 1)) return slots[i] - 1;
    }
    return std::nullopt;
}

// Adds `index`, known to be absent; grows the table to keep it at most half full.
template <typename HashOf>
void Insert(std::vector<std::uint32_t>& slots, std::size_t& count, std::uint32_t index,
            HashOf hashOf) {
    if ((count + 1) * 2 > slots.size()) {
        std::vector<std::uint32_t> old = std::move(slots);
        slots.assign(std::max<std::size_t>(16, old.size() * 2), 0);
        const std::size_t mask = slots.size() - 1;
        for (const std::uint32_t slot : old) {
            if (slot == 0) continue;
            std::size_t i = hashOf(slot - 1) & mask;
            while (slots[i] != 0)
                i = (i + 1) & mask;
            slots[i] = slot;
        }
    }
    const std::size_t mask = slots.size() - 1;
    std::size_t i = hashOf(index) & mask;
    while (slots[i] != 0)
        i = (i + 1) & mask;
    slots[i] = index + 1;
    ++count;
}

// Calls `visit(line)` for each kept line of `text` (no line end, not empty, not a comment).
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Lines end at CR LF, LF or a lone CR.
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        const std::size_t start = pos;
        pos = end;
        if (pos < text.size())
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        if (end > start && text[start] != ';') visit(start, end - start);
    }
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
            Parse(std::move(file.Bytes));
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
    ini.Parse(std::string(text));
    ini.state_ = LoadState::Loaded;
    return ini;
}

void UsrIniFile::Parse(std::string text) {
    text_ = std::move(text);
    written_.clear();
    sections_.clear();
    lines_.clear();
    sectionSlots_.clear();
    keySlots_.clear();
    sectionNameCount_ = 0;
    keyCount_ = 0;
    modified_ = false;
    std::string_view all = text_;
    // A byte-order mark left by an editor would otherwise hide the first section header.
    const std::size_t skip = all.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    all.remove_prefix(skip);
    auto isHeader = [](std::string_view line) {
        return line.size() >= 2 && line[0] == '[' && EndsWithBracket(line);
    };

    // Counted first, so that the tables are allocated once at their final size.
    std::size_t sectionCount = 0, lineCount = 0;
    ForEachLine(all, [&](std::size_t start, std::size_t length) {
        if (isHeader(all.substr(start, length)))
            ++sectionCount;
        else if (sectionCount > 0)
            ++lineCount;
    });
    sections_.reserve(sectionCount);
    lines_.reserve(lineCount);

    ForEachLine(all, [&](std::size_t start, std::size_t length) {
        const auto offset = static_cast<std::uint32_t>(start + skip);
        const auto size = static_cast<std::uint32_t>(length);
        if (isHeader(all.substr(start, length)))
            AddSection(Span{offset + 1, size - 2});
        else if (!sections_.empty())
            AddLine(static_cast<std::uint32_t>(sections_.size() - 1), Span{offset, size});
    });
}

std::string_view UsrIniFile::View(Span span) const {
    if (span.Length == kWrittenText) return written_[span.Offset];
    return std::string_view(text_).substr(span.Offset, span.Length);
}

UsrIniFile::Span UsrIniFile::Keep(std::string text) {
    written_.push_back(std::move(text));
    return Span{static_cast<std::uint32_t>(written_.size() - 1), kWrittenText};
}

void UsrIniFile::Replace(Span& span, std::string text) {
    if (span.Length == kWrittenText)
        written_[span.Offset] = std::move(text);
    else
        span = Keep(std::move(text));
}

std::uint64_t UsrIniFile::SectionHash(std::uint32_t section) const {
    return FoldedHash(View(sections_[section]));
}

std::uint64_t UsrIniFile::KeyHash(std::uint32_t line) const {
    const Line& l = lines_[line];
    return FoldedHash(*KeyOf(View(l.Text))) ^ (std::uint64_t{l.Section} * 0x9E3779B97F4A7C15ull);
}

std::uint32_t UsrIniFile::AddSection(Span name) {
    const auto index = static_cast<std::uint32_t>(sections_.size());
    sections_.push_back(name);
    if (!FindSection(View(name)))
        Insert(sectionSlots_, sectionNameCount_, index,
               [this](std::uint32_t s) { return SectionHash(s); });
    return index;
}

void UsrIniFile::AddLine(std::uint32_t section, Span text) {
    const auto index = static_cast<std::uint32_t>(lines_.size());
    lines_.push_back(Line{text, section});
    // Only the first section of a name is ever looked up, and in it the first line of a key.
    const std::optional<std::string_view> key = KeyOf(View(text));
    if (!key || FindSection(View(sections_[section])) != section || FindKey(section, *key)) return;
    Insert(keySlots_, keyCount_, index, [this](std::uint32_t l) { return KeyHash(l); });
}

std::optional<std::uint32_t> UsrIniFile::FindSection(std::string_view name) const {
    return Probe(sectionSlots_, FoldedHash(name),
                 [&](std::uint32_t s) { return sjis::EqualsNoCase(View(sections_[s]), name); });
}

std::optional<std::uint32_t> UsrIniFile::FindKey(std::uint32_t section,
                                                 std::string_view key) const {
    const std::uint64_t hash = FoldedHash(key) ^ (std::uint64_t{section} * 0x9E3779B97F4A7C15ull);
    return Probe(keySlots_, hash, [&](std::uint32_t l) {
        return lines_[l].Section == section &&
               sjis::EqualsNoCase(*KeyOf(View(lines_[l].Text)), key);
    });
}

std::optional<std::string_view> UsrIniFile::FindValue(std::string_view section,
                                                      std::string_view key) const {
    const std::optional<std::uint32_t> s = FindSection(section);
    if (!s) return std::nullopt;
    const std::optional<std::uint32_t> line = FindKey(*s, key);
    if (!line) return std::nullopt;
    return View(lines_[*line].Text).substr(key.size() + 1);
}

std::string UsrIniFile::ReadString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
    const std::optional<std::string_view> found = FindValue(section, key);
    if (!found || found->empty()) return std::string(defaultValue);
    std::string_view value = *found;
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

    std::optional<std::uint32_t> s = FindSection(section);
    if (!s) s = AddSection(Keep(std::string(section)));
    if (const std::optional<std::uint32_t> existing = FindKey(*s, key)) {
        Span& text = lines_[*existing].Text;
        if (View(text) != line) {
            Replace(text, std::move(line));
            modified_ = true;
        }
        return;
    }
    AddLine(*s, Keep(std::move(line)));
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

std::vector<std::uint32_t> UsrIniFile::LinesBySection(
    std::vector<std::uint32_t>& firstOfSection) const {
    // A counting sort: lines written later into an earlier section join its group.
    firstOfSection.assign(sections_.size() + 1, 0);
    for (const Line& l : lines_)
        ++firstOfSection[l.Section + 1];
    for (std::size_t i = 1; i < firstOfSection.size(); ++i)
        firstOfSection[i] += firstOfSection[i - 1];
    std::vector<std::uint32_t> order(lines_.size());
    std::vector<std::uint32_t> next(firstOfSection.begin(), firstOfSection.end() - 1);
    for (std::uint32_t i = 0; i < lines_.size(); ++i)
        order[next[lines_[i].Section]++] = i;
    return order;
}

std::string UsrIniFile::Text() const {
    std::size_t size = 0;
    for (const Span& name : sections_)
        size += View(name).size() + 6;
    for (const Line& l : lines_)
        size += View(l.Text).size() + 2;
    std::vector<std::uint32_t> first;
    const std::vector<std::uint32_t> order = LinesBySection(first);
    std::string text;
    text.reserve(size);
    for (std::size_t s = 0; s < sections_.size(); ++s) {
        text += '[';
        text += View(sections_[s]);
        text += ']';
        text += kLineEnd;
        for (std::uint32_t i = first[s]; i < first[s + 1]; ++i) {
            text += View(lines_[order[i]].Text);
            text += kLineEnd;
        }
        text += kLineEnd;
    }
    return text;
}

std::vector<std::string> UsrIniFile::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const Span& name : sections_)
        names.emplace_back(View(name));
    return names;
}

std::vector<std::string> UsrIniFile::SectionLines(std::string_view section) const {
    std::vector<std::string> out;
    const std::optional<std::uint32_t> s = FindSection(section);
    if (!s) return out;
    for (const Line& l : lines_) {
        if (l.Section == *s) out.emplace_back(View(l.Text));
    }
    return out;
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
