#include "core/fs/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

#include "core/fs/system_error_text.h"

namespace qv {

namespace {

namespace fs = std::filesystem;

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

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

// Replace what a symbolic link points at, so that the link itself survives, even when the file it
// names is not there yet. A chain of links is followed to its end.
fs::path ReplacementTarget(const std::string& nativePath) {
    std::error_code ec;
    fs::path target(nativePath);
    for (int hop = 0; hop < 40 && fs::is_symlink(target, ec); ++hop) {
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

// Creates a fresh file beside the target; -1 with errno set when none can be made.
int CreateTempFile(const fs::path& dir, const fs::path& target, std::string& tempPath) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
        std::string name(".");
        name += target.filename().string();
        name += suffix;
        tempPath = (dir / name).string();
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& nativePath, std::string_view data,
                           std::string* error) {
    if (nativePath.empty()) return Fail(error, "no file name");
    const fs::path target = ReplacementTarget(nativePath);
    std::error_code ec;
    // Caught here rather than by the rename, before anything is written.
    if (fs::is_directory(target, ec)) return Fail(error, nativePath + " is a folder");
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";

    std::string tempPath;
    const int fd = CreateTempFile(dir, target, tempPath);
    if (fd < 0) return Fail(error, "cannot write " + nativePath + ": " + SystemErrorText(errno));
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) (void)::fchmod(fd, st.st_mode & 07777);

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
        return Fail(error, "cannot write " + nativePath + ": " + SystemErrorText(err));
    }
    // Make the rename itself durable; the new file is in place either way.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

AtomicFileWriter::~AtomicFileWriter() {
    Abandon();
}

void AtomicFileWriter::Abandon() {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(tempPath_.c_str());
    fd_ = -1;
}

bool AtomicFileWriter::Open(const std::string& nativePath, std::string* error) {
    Abandon();
    errno_ = 0;
    if (nativePath.empty()) return Fail(error, "no file name");
    const fs::path target = ReplacementTarget(nativePath);
    std::error_code ec;
    if (fs::is_directory(target, ec)) return Fail(error, nativePath + " is a folder");
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    fd_ = CreateTempFile(dir, target, tempPath_);
    if (fd_ < 0) return Fail(error, "cannot write " + nativePath + ": " + SystemErrorText(errno));
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) (void)::fchmod(fd_, st.st_mode & 07777);
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
    if (fd_ < 0) return Fail(error, "nothing to write");
    int err = errno_;
    if (err == 0 && ::fsync(fd_) != 0) err = errno;
    if (::close(fd_) != 0 && err == 0) err = errno;
    fd_ = -1;
    if (err == 0 && ::rename(tempPath_.c_str(), target_.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(tempPath_.c_str());
        return Fail(error, "cannot write " + nativePath_ + ": " + SystemErrorText(err));
    }
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
