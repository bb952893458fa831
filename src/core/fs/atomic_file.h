// Replacing a file so that it is never left half written. AtomicFileWriter is the one writer:
// documents, text exports, the settings file and recovery copies go out whole through
// ReplaceFileAtomically and ReplacePrivateFile, which are built on it; page images and exports
// are streamed through it piece by piece.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace qv {

// Why a file was not written.
enum class WriteProblem {
    None,
    NoName,       // an empty path
    ReadOnly,     // the file is write-protected (see IsReadOnlyFile)
    NotRegular,   // the path names a folder, device, FIFO or socket
    TooLarge,     // the caller's reader could not read it back (set by callers)
    Incomplete,   // the document holds only part of that file (set by callers)
    Failed,       // the system refused (missing folder, full disk, ...)
    ForeignLink,  // a link of another user in a shared sticky folder, which is not followed
    Shared,       // another owner's or a hard-linked file that can neither keep its owner nor be
                  // rewritten in place
    // Set by the document output (render/formats/document_export.h):
    Unsupported,  // the file name names no output format; nothing was written
    Unencodable,  // the format cannot hold the page, or its encoder failed
    Cancelled,    // stopped by the caller's progress; nothing was kept
};

struct WriteResult {
    WriteProblem Problem = WriteProblem::None;
    std::string Error;    // why, naming the path; empty on success
    int SystemError = 0;  // the errno of a Failed write, so a message can give it in its language
    explicit operator bool() const { return Problem == WriteProblem::None; }
};

// Replaces the file at `path` (the user's own bytes, never code page 932) with `data`. A fresh
// file with a short name beside it, created exclusively (and readable by this user only) so no
// stale or foreign file is reused and nobody reads it half written, is written (every write
// checked), flushed to disk and renamed over it; then the folder is flushed so the rename lasts.
// On any failure the temporary file is removed and the old file is still there, unchanged. A
// symbolic link is followed (the link stays) unless another user planted it in a shared sticky
// folder such as /tmp. The replaced file's permission bits are kept (never set-user or set-group
// id) and a new file gets the default ones, each given only once the contents are complete.
// A file that belongs to another user or group keeps its owner and group; where the system does
// not let this user give them to a new file, and for a file with several hard links, the file is
// rewritten in place instead: the new contents are written completely first, the old contents
// are copied beside it, and that copy is removed only once the file is rewritten and flushed (on
// a failure the old contents are written back, or their copy is named in the error).
// Refused before anything is written: a write-protected file, and anything but a regular file
// (replacing a device or FIFO by a plain file would break it; a folder cannot be replaced).
WriteResult ReplaceFileAtomically(const std::filesystem::path& path, std::string_view data);

// The same for a private file of the program's own (recovery copies): created for this user only
// (mode 0600) whatever the old file's mode, and a symbolic link at `path` is replaced by the
// file, never followed.
WriteResult ReplacePrivateFile(const std::filesystem::path& path, std::string_view data);

// The read-only rule of files on this system: the owner-write permission bit is clear, or this
// user cannot write the file. (Root may write anything, so for root the bit decides.) False when
// the file cannot be examined.
bool IsReadOnlyFile(const std::filesystem::path& path);

// Makes every signal that would end the process (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE,
// SIGALRM, SIGUSR1, SIGXFSZ, ...) remove the temporary file of a replacement in progress before
// the process ends as the signal would end it. Signals the caller ignores or handles are left as
// they are (a SIGINT ignored by a shell running us in the background stays ignored). For programs
// that keep the default handlers (the command-line tool); the handler is async-signal-safe.
void RemoveTemporaryFilesOnInterrupt();

// Marks a file of the caller's own as temporary for as long as the guard lives, so that the
// interrupt handler above removes it too. (Removing it on the normal path is the caller's job.)
class RemovedOnInterrupt {
  public:
    explicit RemovedOnInterrupt(const std::string& path);
    ~RemovedOnInterrupt();
    RemovedOnInterrupt(const RemovedOnInterrupt&) = delete;
    RemovedOnInterrupt& operator=(const RemovedOnInterrupt&) = delete;

  private:
    void* slot_ = nullptr;
};

// The replacement of ReplaceFileAtomically (or, with `privateFile`, of ReplacePrivateFile) written
// piece by piece (a page image streamed out in bands): Start makes the fresh file beside the
// target and refuses what would be refused whole, Write appends, WriteAt writes at an offset,
// Commit flushes and renames it into place, or reports the first failed write and removes the
// file. A writer that is not committed removes its file when it is destroyed, leaving the old
// file as it was.
class AtomicFileWriter {
  public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    WriteResult Start(const std::string& nativePath, bool privateFile = false);
    bool Write(std::string_view data);
    bool WriteAt(long long offset, std::string_view data);
    WriteResult Commit();

  private:
    void Abandon();
    WriteResult RewriteInPlace();
    int fd_ = -1;
    int errno_ = 0;
    int targetFd_ = -1;  // the file itself, when it is rewritten in place
    unsigned finalMode_ = 0600;
    std::string nativePath_;
    std::string target_;
    std::string tempPath_;
    std::unique_ptr<RemovedOnInterrupt> guard_;  // the half-written file goes on Ctrl-C too
};

}  // namespace qv
