#include "core/content/line_reader.h"

#include <system_error>

#include "core/text/sjis.h"

namespace qv {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

}  // namespace

LineReader::LineReader(std::string_view bytes) : memory_(true), atEof_(true), data_(bytes) {}

LineReader::LineReader(const std::filesystem::path& path) : file_(OpenRegularFile(path)) {
    if (!file_) atEof_ = true;
}

LineReader::~LineReader() {
    if (file_) std::fclose(file_);
}

void LineReader::Fill(std::size_t want) {
    if (atEof_ || Available() >= want) return;
    buffer_.erase(0, pos_);
    pos_ = 0;
    while (buffer_.size() < want) {
        std::size_t old = buffer_.size();
        buffer_.resize(old + kChunk);
        std::size_t got = std::fread(buffer_.data() + old, 1, kChunk, file_);
        buffer_.resize(old + got);
        if (got < kChunk) {
            // End of file or a read error: either way nothing more will come.
            atEof_ = true;
            break;
        }
    }
    data_ = buffer_;
}

bool LineReader::Next(std::string& piece) {
    // One byte more than a piece to see a line end right after it, and one more for the LF of a
    // CR LF there.
    Fill(kMaxPiece + 2);
    if (Available() == 0) return false;
    std::string_view rest = data_.substr(pos_);
    std::size_t window = rest.size() < kMaxPiece + 1 ? rest.size() : kMaxPiece + 1;
    for (std::size_t i = 0; i < window; ++i) {
        if (rest[i] != '\r' && rest[i] != '\n') continue;
        piece.assign(rest.substr(0, i));
        pos_ += i + ((rest[i] == '\r' && i + 1 < rest.size() && rest[i + 1] == '\n') ? 2 : 1);
        return true;
    }
    if (rest.size() <= kMaxPiece) {
        piece.assign(rest);
        pos_ += rest.size();
        return true;
    }
    // A long line: cut it on a character boundary so no piece ends with half a character.
    std::string_view head = rest.substr(0, kMaxPiece + 1);
    std::size_t cut = 0;
    while (cut < kMaxPiece) {
        std::size_t next = sjis::NextChar(head, cut);
        if (next > kMaxPiece) break;
        cut = next;
    }
    piece.assign(rest.substr(0, cut));
    pos_ += cut;
    return true;
}

}  // namespace qv
