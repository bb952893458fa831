// Reading files into memory: whole documents, text imports and the settings file, and the first
// bytes of a file for tests of its kind.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>

namespace qv {

// Why a file could not be read.
enum class FileProblem {
    None,
    Missing,     // no such file (or a folder on the way is missing)
    Permission,  // this user may not read it
    Folder,      // it is a folder
    NotRegular,  // a device, FIFO or socket
    TooLarge,    // over the size limit of the caller
    LinkLoop,    // symbolic links that never end in a file
    Failed,      // any other error of the system
};

struct WholeFile {
    enum class Result {
        Read,        // read completely
        Missing,     // no such file
        Unreadable,  // it exists but could not be read (Problem says why)
    };
    Result Status = Result::Missing;
    FileProblem Problem = FileProblem::Missing;
    std::string Bytes;  // empty unless Read
    std::string Why;    // the reason alone ("it is a folder"); empty on success
    std::string Error;  // "cannot read PATH: " + Why; empty on success
};

// Reads the whole regular file at `path` (the user's own bytes, never code page 932) of at most
// `maxSize` bytes. It is opened without blocking, so a FIFO or device named by mistake cannot hang
// the program.
WholeFile ReadWholeFile(const std::filesystem::path& path, std::size_t maxSize);

// Reads at most `count` bytes from the start of the regular file at `path`, for a look at its
// header; files of any size qualify. The same failures as ReadWholeFile.
WholeFile ReadFileStart(const std::filesystem::path& path, std::size_t count);

// Opens a file for binary reading only when it is a regular file: a folder, a FIFO or a device is
// never read (a FIFO could block, a folder reads as empty). Null when it is none or cannot be
// opened. The test is made on the opened file, so nothing can be swapped in between.
std::FILE* OpenRegularFile(const std::filesystem::path& path);

// The same test as OpenRegularFile for a caller that reads the descriptor itself (several readers
// in turn, each from the start): the file is opened once, without blocking, and examined as opened,
// so no FIFO can be swapped in between; reads then block as usual. -1 when it is no regular file
// or cannot be opened, with the problem and its reason ("it is a FIFO, not a regular file").
int OpenRegularDescriptor(const std::filesystem::path& path, FileProblem& problem,
                          std::string& why);

// The reason text of a problem, as Why holds it ("permission denied", "it is a folder", ...).
// `maxSize` is the limit TooLarge refers to.
std::string FileProblemText(FileProblem problem, std::size_t maxSize = 0);

}  // namespace qv
