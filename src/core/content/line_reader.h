// Reads a text file, or bytes already in memory, line by line in pieces of bounded length, the way
// the link readers expect: a line longer than kMaxPiece bytes arrives in several pieces.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/fs/read_file.h"

namespace qv {

class LineReader {
  public:
    // At most this many bytes per piece; a piece never ends between the two bytes of a
    // double-byte character, so a cut can make it one byte shorter.
    static constexpr std::size_t kMaxPiece = 1999;

    // Reads from memory; `bytes` must outlive the reader.
    explicit LineReader(std::string_view bytes);
    // Reads a regular file, streaming. ok() is false when it cannot be opened.
    explicit LineReader(const std::filesystem::path& path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool ok() const { return file_ != nullptr || memory_; }

    // The next piece of a line, without its line end. A line ends at LF, CR LF or a lone CR; a
    // line end at the very end of the input does not start another, empty line. Returns false at
    // the end of the input.
    bool Next(std::string& piece);

  private:
    // Makes at least `want` bytes available from pos_ unless the file ends first.
    void Fill(std::size_t want);
    std::size_t Available() const { return data_.size() - pos_; }

    std::FILE* file_ = nullptr;
    bool memory_ = false;
    bool atEof_ = false;
    std::string buffer_;     // file contents read but not yet consumed (file mode)
    std::string_view data_;  // the bytes being read: the memory input, or buffer_
    std::size_t pos_ = 0;
};

}  // namespace qv
