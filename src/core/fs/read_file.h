// Reading a whole file into memory: documents, text imports and the settings file.
#pragma once

#include <cstddef>
#include <string>

namespace qv {

struct WholeFile {
    enum class Result {
        Read,        // read completely
        Missing,     // no such file
        Unreadable,  // it exists but could not be read, is no regular file or is too large
    };
    Result Status = Result::Missing;
    std::string Bytes;  // empty unless Read
    std::string Error;  // why it failed, naming the path; empty on success
};

// Reads the whole regular file at `nativePath` (a file-system path) of at most `maxSize` bytes.
// It is opened without blocking, so a pipe or device named by mistake cannot hang the program.
WholeFile ReadWholeFile(const std::string& nativePath, std::size_t maxSize);

}  // namespace qv
