#include "core/fs/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>
#include <utility>

#include "core/fs/system_error_text.h"

namespace qv {

namespace {

namespace fs = std::filesystem;

// ---- Temporary files an interrupt must remove ----

// A fixed table, so the signal handler needs neither locks nor allocation.
struct PendingSlot {
    std::atomic<int> State{0};  // 0 free, 1 being filled, 2 holds a path
    char Path[PATH_MAX];
};
std::array<PendingSlot, 4> pendingTemps;
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void RemovePendingTempsAndDie(int sig) {
    for (PendingSlot& s : pendingTemps) {
        if (s.State.load() == 2) ::unlink(s.Path);
    }
    // The handler was reset on entry; the signal now ends the process as it would have.
    ::raise(sig);
}

// ---- Writing ----

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

WriteResult Fail(WriteProblem problem, std::string text, int err = 0) {
    return WriteResult{problem, std::move(text), err};
}

std::string CannotWrite(const fs::path& path, std::string_view why) {
    return "cannot write " + path.string() + ": " + std::string(why);
}

// Replace what a symbolic link points at, so that the link itself survives, even when the file it
// names is not there yet. A chain of links is followed to its end.
fs::path ReplacementTarget(const fs::path& path) {
    std::error_code ec;
    fs::path target(path);
    for (int hop = 0; hop < 40 && fs::is_symlink(target, ec); ++hop) {
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

std::string NotRegularWhy(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a regular file";
    if (S_ISFIFO(mode)) return "it is a FIFO, not a regular file";
    if (S_ISSOCK(mode)) return "it is a socket, not a regular file";
    return "it is not a regular file";
}

// Creates a fresh file beside the target under a short name, so that any name the folder accepts
// for the target leaves room for it; -1 with errno set when none can be made.
int CreateTempFile(const fs::path& dir, std::string& tempPath) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[24];
        std::snprintf(name, sizeof name, ".qv%08x.tmp", static_cast<unsigned>(random()));
        tempPath = (dir / name).string();
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

bool IsReadOnlyFile(const fs::path& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    return (st.st_mode & S_IWUSR) == 0 || ::access(path.c_str(), W_OK) != 0;
}

WriteResult ReplaceFileAtomically(const fs::path& path, std::string_view data) {
    if (path.empty()) return Fail(WriteProblem::NoName, "no file name");
    const fs::path target = ReplacementTarget(path);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    // Links that never end in a file: the rename would replace the last link by a plain file.
    if (!exists && errno == ELOOP)
        return Fail(WriteProblem::NotRegular, CannotWrite(path, "its symbolic links form a loop"));
    // Caught here rather than by the rename, before anything is written.
    if (exists && !S_ISREG(st.st_mode))
        return Fail(WriteProblem::NotRegular, CannotWrite(path, NotRegularWhy(st.st_mode)));
    // A file the user has protected is not replaced behind its back by the rename.
    if (exists && IsReadOnlyFile(target))
        return Fail(WriteProblem::ReadOnly, CannotWrite(path, "it is read-only"));
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";

    std::string tempPath;
    const int fd = CreateTempFile(dir, tempPath);
    if (fd < 0) {
        const int err = errno;
        return Fail(WriteProblem::Failed, CannotWrite(path, SystemErrorText(err)), err);
    }
    const RemovedOnInterrupt pending(tempPath);
    if (exists) (void)::fchmod(fd, st.st_mode & 07777);

    bool ok = WriteAll(fd, data);
    int err = ok ? 0 : errno;
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        err = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tempPath.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        return Fail(WriteProblem::Failed, CannotWrite(path, SystemErrorText(err)), err);
    }
    // Make the rename itself durable; the new file is in place either way.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

RemovedOnInterrupt::RemovedOnInterrupt(const std::string& path) {
    if (path.size() >= PATH_MAX) return;
    for (PendingSlot& s : pendingTemps) {
        int expected = 0;
        if (!s.State.compare_exchange_strong(expected, 1)) continue;
        std::memcpy(s.Path, path.c_str(), path.size() + 1);
        s.State.store(2);
        slot_ = &s;
        return;
    }
}

RemovedOnInterrupt::~RemovedOnInterrupt() {
    if (slot_) static_cast<PendingSlot*>(slot_)->State.store(0);
}

void RemoveTemporaryFilesOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = RemovePendingTempsAndDie;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

AtomicFileWriter::~AtomicFileWriter() {
    Abandon();
}

void AtomicFileWriter::Abandon() {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(tempPath_.c_str());
    fd_ = -1;
    guard_.reset();
}

namespace {

bool Refuse(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

}  // namespace

bool AtomicFileWriter::Open(const std::string& nativePath, std::string* error) {
    Abandon();
    errno_ = 0;
    if (nativePath.empty()) return Refuse(error, "no file name");
    const fs::path path(nativePath);
    const fs::path target = ReplacementTarget(path);
    // The same refusals as a whole file: no devices, folders, loops or protected files.
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno == ELOOP)
        return Refuse(error, CannotWrite(path, "its symbolic links form a loop"));
    if (exists && !S_ISREG(st.st_mode))
        return Refuse(error, CannotWrite(path, NotRegularWhy(st.st_mode)));
    if (exists && IsReadOnlyFile(target))
        return Refuse(error, CannotWrite(path, "it is read-only"));
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    fd_ = CreateTempFile(dir, tempPath_);
    if (fd_ < 0) return Refuse(error, CannotWrite(path, SystemErrorText(errno)));
    guard_ = std::make_unique<RemovedOnInterrupt>(tempPath_);
    if (exists) (void)::fchmod(fd_, st.st_mode & 07777);
    nativePath_ = nativePath;
    target_ = target.string();
    return true;
}

bool AtomicFileWriter::Write(std::string_view data) {
    if (fd_ < 0 || errno_ != 0) return false;
    if (!WriteAll(fd_, data)) {
        errno_ = errno ? errno : EIO;
        return false;
    }
    return true;
}

bool AtomicFileWriter::WriteAt(long long offset, std::string_view data) {
    if (fd_ < 0 || errno_ != 0) return false;
    while (!data.empty()) {
        const ssize_t n = ::pwrite(fd_, data.data(), data.size(), static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            errno_ = errno;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
        offset += n;
    }
    return true;
}

bool AtomicFileWriter::Commit(std::string* error) {
    if (fd_ < 0) return Refuse(error, "nothing to write");
    int err = errno_;
    if (err == 0 && ::fsync(fd_) != 0) err = errno;
    if (::close(fd_) != 0 && err == 0) err = errno;
    fd_ = -1;
    if (err == 0 && ::rename(tempPath_.c_str(), target_.c_str()) != 0) err = errno;
    if (err != 0) ::unlink(tempPath_.c_str());
    guard_.reset();
    if (err != 0) return Refuse(error, CannotWrite(nativePath_, SystemErrorText(err)));
    fs::path dir = fs::path(target_).parent_path();
    if (dir.empty()) dir = ".";
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace qv
