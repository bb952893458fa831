// Replacing a whole file so that it is never left half written: documents, text exports, the
// settings file and page images all go out this way.
#pragma once

#include <string>
#include <string_view>

namespace qv {

// Replaces the file at `nativePath` (a file-system path, not code page 932) with `data`. A fresh
// file beside it, created exclusively so no stale or foreign file is reused, is written (every
// write checked), flushed to disk and renamed over it; then the folder is flushed so the rename
// lasts. On any failure the temporary file is removed and the old file is still there, unchanged.
// A symbolic link is followed (the link stays), the replaced file's permission bits are kept and a
// new file gets the default ones. Callers apply their own rules (read-only documents, say) first.
// Returns false with a reason in *error (naming `nativePath`) when anything fails.
bool ReplaceFileAtomically(const std::string& nativePath, std::string_view data,
                           std::string* error = nullptr);

// The same for a file written piece by piece (a page image streamed out in bands): Open makes the
// fresh file beside the target, Write appends, WriteAt writes at an offset (a bitmap's rows go
// bottom-up), Commit flushes and renames it into place. A writer that is not committed removes
// its file when it is destroyed, leaving the old file as it was.
class AtomicFileWriter {
  public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Open(const std::string& nativePath, std::string* error = nullptr);
    bool Write(std::string_view data);
    bool WriteAt(long long offset, std::string_view data);
    bool Commit(std::string* error = nullptr);

  private:
    void Abandon();
    int fd_ = -1;
    int errno_ = 0;
    std::string nativePath_;
    std::string target_;
    std::string tempPath_;
};

}  // namespace qv
