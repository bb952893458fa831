// What reading a document or a text file into a document did: shared by the fragment file and text
// import, for the program's messages and the command-line tool's.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/fs/read_file.h"

namespace qv {

// Largest document or text file read. Real documents are far smaller (1000 cards); anything
// bigger is refused rather than read into memory, and nothing bigger is ever written.
inline constexpr std::size_t kMaxDocumentFileSize = 64u << 20;

enum class ReadStatus {
    Read,        // read completely
    CutShort,    // read, but the document had no room for some cards of the file
    Missing,     // no such file (the document is untouched)
    Unreadable,  // the file exists but could not be read (the document is untouched)
};

struct ReadResult {
    ReadStatus Status = ReadStatus::Missing;
    FileProblem Problem = FileProblem::None;  // why Missing or Unreadable
    std::string Why;                          // the reason alone ("it is a folder")
    std::string Error;                        // a message naming the file
    int CardsRead = 0;                        // cards the file added to the document
    int CardsDropped = 0;                     // cards of the file the document had no room for
    // The file was UTF-8 (it began with a byte-order mark) and its texts were converted to code
    // page 932; the document is marked modified so that it is saved in its usual form.
    bool ConvertedFromUtf8 = false;
    // The file was UTF-16 (by its byte-order mark); its text was read as UTF-8 and converted as
    // above, so ConvertedFromUtf8 is set too.
    bool Utf16 = false;
    // Lines of the file (1 for the first) whose text or link code page 932 cannot hold. Such
    // characters show as "〓", and a document opened from the file is read-only, so the file is
    // never written over with them replaced.
    std::vector<int> UnconvertibleLines;

    // A JSON Canvas: groups the document had no room for (it keeps the first 100), nodes and
    // edges left out because they were malformed or named nodes the file lacks, texts cut to a
    // card's length, and the cards (1 for the first of the document) whose text or link code page
    // 932 cannot hold, which make the document read-only as UnconvertibleLines do.
    int GroupsDropped = 0;
    int ItemsSkipped = 0;
    int TextsCut = 0;
    std::vector<int> UnconvertibleCards;

    // Whether everything the file holds is in the document exactly.
    bool Complete() const {
        return Status == ReadStatus::Read && UnconvertibleLines.empty() &&
               UnconvertibleCards.empty();
    }

    // The result of a file that could not be read (`bytes.Status` is not Read): Missing or
    // Unreadable, with the reasons ReadWholeFile gave.
    static ReadResult Failed(const WholeFile& bytes) {
        ReadResult failed;
        failed.Status = bytes.Status == WholeFile::Result::Missing ? ReadStatus::Missing
                                                                   : ReadStatus::Unreadable;
        failed.Problem = bytes.Problem;
        failed.Why = bytes.Why;
        failed.Error = bytes.Error;
        return failed;
    }
};

}  // namespace qv
