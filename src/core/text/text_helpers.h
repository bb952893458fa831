// The shared text routines: the comma-separated field splitter, the blank and control trimmers and
// the replace-every-occurrence routine, and splitting text into lines and reading decimal numbers.
// All work on code page 932 byte strings and never match inside a double-byte character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Splits a comma-separated line into exactly n fields (missing ones empty) following the
// double-quote rules of fragment files and history records. `fields` is resized to n and reused,
// so a caller splitting many lines allocates once. Returns the number of fields actually found.
std::size_t SplitFields(std::string_view line, std::size_t n, std::vector<std::string>& fields);

// Convenience form returning the fields.
std::vector<std::string> SplitFields(std::string_view line, std::size_t n,
                                     std::size_t* found = nullptr);

// Removes ASCII blanks, tabs and full-width blanks (0x81 0x40) from both ends, whole characters
// only.
std::string TrimBlanks(std::string_view text);

// Drops bytes at or below the space (controls, blanks, line ends) from both ends. No trail byte is
// that small, so cutting them off the end never splits a character.
std::string_view TrimControls(std::string_view text);

// Drops ASCII blanks and tabs from both ends (full-width blanks stay).
std::string_view TrimAsciiBlanks(std::string_view text);

// Replaces every occurrence of `search` (exact case, on character boundaries) by `replacement`,
// scanning left to right; an inserted replacement is never searched again. An empty text or search
// text returns the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view search,
                       std::string_view replacement);

// Splits text into lines at CR LF, LF or CR. A line end at the very end does not start another
// line; empty text has no lines. The views point into `text`.
std::vector<std::string_view> SplitLines(std::string_view text);

// Calls fn(line, index) for every line as SplitLines would give it, without building a list.
template <class Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
    std::size_t pos = 0;
    std::size_t index = 0;
    while (pos < text.size()) {
        // A plain loop: find_first_of would call memchr once per byte.
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        if (!fn(text.substr(pos, end - pos), index++)) return;
        pos = end;
        if (pos == text.size()) return;
        const bool cr = text[pos] == '\r';
        ++pos;
        if (cr && pos < text.size() && text[pos] == '\n') ++pos;
    }
}

// A decimal integer field: optional blanks, an optional sign, digits, optional blanks. None when
// the text is anything else or lies outside [minValue, maxValue].
std::optional<std::int64_t> ParseDecimal(std::string_view text, std::int64_t minValue,
                                         std::int64_t maxValue);
// The same within the range of a 32-bit int.
std::optional<int> ParseInt(std::string_view text);

}  // namespace qv
