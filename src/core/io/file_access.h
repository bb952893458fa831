// Whole-file reading and atomic replacement for documents and text exports, and the small parsing
// helpers their readers share. Paths are code page 932 bytes, as documents name their files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Largest document or text file read. Real documents are far smaller (1000 cards); anything
// bigger is refused rather than read into memory.
inline constexpr std::size_t kMaxDocumentFileSize = 64u << 20;

// How reading a file went.
enum class ReadStatus {
    Read,        // read completely
    CutShort,    // read, but the fragment limit left cards of the file unread
    Missing,     // no such file (the document is untouched)
    Unreadable,  // the file exists but could not be read, is no regular file or is too large
};

struct FileBytes {
    ReadStatus Status = ReadStatus::Missing;
    std::string Bytes;
    std::string Error;  // why it failed, for messages; empty on success
};

// Reads a whole regular file of at most `maxSize` bytes.
FileBytes ReadFileBytes(std::string_view cp932Path, std::size_t maxSize = kMaxDocumentFileSize);

// Replaces the file at `cp932Path` with `data` without ever leaving it half written: a fresh file
// beside it is written, flushed to disk and renamed over it, so on any failure the old file is
// still there, unchanged. A symbolic link is followed (the link stays), the replaced file's
// permissions are kept, and a file that this user may not write (or whose owner-write bit is
// clear) is not replaced. Returns false with a reason in *error when anything fails.
bool WriteFileAtomically(std::string_view cp932Path, std::string_view data,
                         std::string* error = nullptr);

// The read-only rule of documents on this system: the file's owner-write permission bit is clear,
// or this user cannot write it. (Root may write anything, so for root the bit decides.) False when
// the file cannot be examined.
bool IsReadOnlyFile(std::string_view cp932Path);

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
