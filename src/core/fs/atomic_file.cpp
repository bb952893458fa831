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

// The kernel's own rule for links in shared folders, which it cannot apply here because the
// links are resolved by hand: in a sticky folder anyone may write to, a link is followed only
// when it belongs to this user or to the folder's owner. Otherwise another user could point our
// output at any file of ours.
bool IsForeignLinkInSharedFolder(const fs::path& link) {
    struct stat linkStat {};
    struct stat dirStat {};
    fs::path dir = link.parent_path();
    if (dir.empty()) dir = ".";
    if (::lstat(link.c_str(), &linkStat) != 0 || ::stat(dir.c_str(), &dirStat) != 0) return false;
    const bool shared = (dirStat.st_mode & S_ISVTX) && (dirStat.st_mode & S_IWOTH);
    return shared && linkStat.st_uid != ::geteuid() && linkStat.st_uid != dirStat.st_uid;
}

// Replace what a symbolic link points at, so that the link itself survives, even when the file it
// names is not there yet. A chain of links is followed to its end. False when a link on the way
// may not be followed.
bool ReplacementTarget(const fs::path& path, fs::path& target) {
    std::error_code ec;
    target = path;
    for (int hop = 0; hop < 40 && fs::is_symlink(target, ec); ++hop) {
        if (IsForeignLinkInSharedFolder(target)) return false;
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return true;
}

std::string NotRegularWhy(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a regular file";
    if (S_ISFIFO(mode)) return "it is a FIFO, not a regular file";
    if (S_ISSOCK(mode)) return "it is a socket, not a regular file";
    return "it is not a regular file";
}

// Creates a fresh file beside the target under a short name, so that any name the folder accepts
// for the target leaves room for it; -1 with errno set when none can be made. Only this user can
// read it: its contents are nobody else's business until they are complete.
int CreateTempFile(const fs::path& dir, std::string& tempPath, const char* suffix = "tmp") {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".qv%08x.%s", static_cast<unsigned>(random()), suffix);
        tempPath = (dir / name).string();
        const int fd = ::open(tempPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// The process's umask, read without changing it (umask() would, for every thread at once).
mode_t CurrentUmask() {
    std::FILE* status = std::fopen("/proc/self/status", "re");
    mode_t mask = 022;
    if (!status) return mask;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        unsigned value = 0;
        if (std::sscanf(line, "Umask: %o", &value) == 1) {
            mask = static_cast<mode_t>(value & 0777);
            break;
        }
    }
    std::fclose(status);
    return mask;
}

// Copies the whole of `from` over the start of `to` and cuts `to` to that length, then flushes it.
bool CopyContents(int from, int to) {
    char buffer[65536];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(from, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        std::string_view rest(buffer, static_cast<std::size_t>(n));
        off_t at = offset;
        while (!rest.empty()) {
            const ssize_t w = ::pwrite(to, rest.data(), rest.size(), at);
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) return false;
            rest.remove_prefix(static_cast<std::size_t>(w));
            at += w;
        }
        offset += n;
    }
    return ::ftruncate(to, offset) == 0 && ::fsync(to) == 0;
}

void SyncFolder(const fs::path& file) {
    fs::path dir = file.parent_path();
    if (dir.empty()) dir = ".";
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
}

}  // namespace

bool IsReadOnlyFile(const fs::path& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    return (st.st_mode & S_IWUSR) == 0 || ::access(path.c_str(), W_OK) != 0;
}

namespace {

WriteResult ReplaceWhole(const fs::path& path, std::string_view data, bool privateFile) {
    AtomicFileWriter writer;
    if (WriteResult opened = writer.Start(path.string(), privateFile); !opened) return opened;
    // A failed write is reported by Commit, which then removes the temporary file.
    (void)writer.Write(data);
    return writer.Commit();
}

}  // namespace

WriteResult ReplaceFileAtomically(const fs::path& path, std::string_view data) {
    return ReplaceWhole(path, data, false);
}

WriteResult ReplacePrivateFile(const fs::path& path, std::string_view data) {
    return ReplaceWhole(path, data, true);
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
    // Every signal whose default is to end the process; the faults among them end it too, but
    // only after a clean-up that may itself fault, so they are left to whoever handles them.
    static constexpr int kEnding[] = {SIGINT,    SIGTERM, SIGHUP,  SIGQUIT,   SIGPIPE,
                                      SIGALRM,   SIGUSR1, SIGUSR2, SIGXFSZ,   SIGXCPU,
                                      SIGVTALRM, SIGPROF, SIGPOLL, SIGSTKFLT, SIGPWR};
    struct sigaction action {};
    action.sa_handler = RemovePendingTempsAndDie;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    for (const int sig : kEnding) {
        struct sigaction current {};
        if (::sigaction(sig, nullptr, &current) != 0) continue;
        // An ignored signal stays ignored (a write to a closed pipe then fails with EPIPE and is
        // cleaned up as any failed write); a handler of the caller's stays too.
        if ((current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_DFL) continue;
        ::sigaction(sig, &action, nullptr);
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    Abandon();
}

void AtomicFileWriter::Abandon() {
    if (targetFd_ >= 0) ::close(targetFd_);
    targetFd_ = -1;
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(tempPath_.c_str());
    fd_ = -1;
    guard_.reset();
}

WriteResult AtomicFileWriter::Start(const std::string& nativePath, bool privateFile) {
    Abandon();
    errno_ = 0;
    if (nativePath.empty()) return Fail(WriteProblem::NoName, "no file name");
    const fs::path path(nativePath);
    fs::path target = path;
    if (!privateFile && !ReplacementTarget(path, target))
        return Fail(WriteProblem::ForeignLink,
                    CannotWrite(path, "it is a symbolic link of another user in a shared folder"));
    struct stat st {};
    // A private file replaces whatever is at its name, a link included.
    const bool exists =
        (privateFile ? ::lstat(target.c_str(), &st) : ::stat(target.c_str(), &st)) == 0;
    // Links that never end in a file: the rename would replace the last link by a plain file.
    if (!exists && errno == ELOOP)
        return Fail(WriteProblem::NotRegular, CannotWrite(path, "its symbolic links form a loop"));
    // Caught here rather than by the rename, before anything is written.
    const bool replaceable =
        exists && (S_ISREG(st.st_mode) || (privateFile && S_ISLNK(st.st_mode)));
    if (exists && !replaceable)
        return Fail(WriteProblem::NotRegular, CannotWrite(path, NotRegularWhy(st.st_mode)));
    // A file the user has protected is not replaced behind its back by the rename.
    if (exists && !privateFile && IsReadOnlyFile(target))
        return Fail(WriteProblem::ReadOnly, CannotWrite(path, "it is read-only"));
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    fd_ = CreateTempFile(dir, tempPath_);
    if (fd_ < 0) {
        const int err = errno;
        return Fail(WriteProblem::Failed, CannotWrite(path, SystemErrorText(err)), err);
    }
    guard_ = std::make_unique<RemovedOnInterrupt>(tempPath_);
    nativePath_ = nativePath;
    target_ = target.string();
    if (privateFile) {
        finalMode_ = 0600;
        return {};
    }
    if (!exists) {
        finalMode_ = 0666 & ~CurrentUmask();
        return {};
    }
    // Kept, but a new file never inherits the right to run as its owner or group.
    finalMode_ = st.st_mode & 0777;

    // A shared file stays its owner's: the new file gets the old one's owner and group, or, where
    // this user may not give them, the old file is rewritten in place. So is a file with other
    // hard links, which a rename would part from this name.
    struct stat temp {};
    const bool sameOwner =
        ::fstat(fd_, &temp) == 0 && temp.st_uid == st.st_uid && temp.st_gid == st.st_gid;
    if (st.st_nlink <= 1 && (sameOwner || ::fchown(fd_, st.st_uid, st.st_gid) == 0)) return {};
    targetFd_ = ::open(target.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat opened {};
    const int err = errno;
    if (targetFd_ < 0 || ::fstat(targetFd_, &opened) != 0 || opened.st_dev != st.st_dev ||
        opened.st_ino != st.st_ino) {
        Abandon();
        const std::string why = targetFd_ < 0 ? SystemErrorText(err) : "it changed meanwhile";
        return Fail(
            WriteProblem::Shared,
            CannotWrite(path, st.st_nlink > 1 ? "it has other hard links and cannot be rewritten "
                                                "in place (" +
                                                    why + ")"
                                              : "it belongs to another user or group, which this "
                                                "user cannot give a new file, and it cannot be "
                                                "rewritten in place (" +
                                                    why + ")"),
            targetFd_ < 0 ? err : 0);
    }
    return {};
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

// The new contents are complete and flushed in the temporary file; the old ones are copied beside
// the file before it is overwritten, so a failure part-way loses neither.
WriteResult AtomicFileWriter::RewriteInPlace() {
    std::string keptPath;
    fs::path dir = fs::path(target_).parent_path();
    if (dir.empty()) dir = ".";
    const int kept = CreateTempFile(dir, keptPath, "old");
    if (kept < 0 || !CopyContents(targetFd_, kept)) {
        const int err = errno;
        if (kept >= 0) {
            ::close(kept);
            ::unlink(keptPath.c_str());
        }
        return Fail(WriteProblem::Failed,
                    CannotWrite(nativePath_, "its old contents could not be copied (" +
                                                 SystemErrorText(err) + ")"),
                    err);
    }
    bool ok = CopyContents(fd_, targetFd_);
    const int err = errno;
    if (ok) {
        // The contents changed hands: no more running as the file's owner or group.
        struct stat st {};
        if (::fstat(targetFd_, &st) == 0 && (st.st_mode & 06000))
            (void)::fchmod(targetFd_, st.st_mode & 0777);
    } else if (!CopyContents(kept, targetFd_)) {
        ::close(kept);
        return Fail(WriteProblem::Failed,
                    CannotWrite(nativePath_,
                                SystemErrorText(err) + "; its old contents are in " + keptPath),
                    err);
    }
    ::close(kept);
    ::unlink(keptPath.c_str());
    if (!ok) return Fail(WriteProblem::Failed, CannotWrite(nativePath_, SystemErrorText(err)), err);
    return {};
}

WriteResult AtomicFileWriter::Commit() {
    if (fd_ < 0) return Fail(WriteProblem::Failed, "nothing to write");
    int err = errno_;
    if (err == 0 && ::fsync(fd_) != 0) err = errno;
    if (err == 0 && targetFd_ >= 0) {
        WriteResult rewritten = RewriteInPlace();
        Abandon();
        return rewritten;
    }
    // Readable by others, if the file is meant to be, only now that it is complete. (Where the
    // file system keeps no modes it stays this user's alone, which is the safe side.)
    if (err == 0) (void)::fchmod(fd_, finalMode_);
    if (::close(fd_) != 0 && err == 0) err = errno;
    fd_ = -1;
    if (err == 0 && ::rename(tempPath_.c_str(), target_.c_str()) != 0) err = errno;
    if (err != 0) ::unlink(tempPath_.c_str());
    guard_.reset();
    Abandon();
    if (err != 0)
        return Fail(WriteProblem::Failed, CannotWrite(nativePath_, SystemErrorText(err)), err);
    // Make the rename itself durable; the new file is in place either way.
    SyncFolder(target_);
    return {};
}

}  // namespace qv
