// The shared text routines: the comma-separated field splitter, the blank and control trimmers and
// the replace-every-occurrence routine. All work on code page 932 byte strings and never match
// inside a double-byte character.
#pragma once

#include <cstddef>
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

}  // namespace qv
