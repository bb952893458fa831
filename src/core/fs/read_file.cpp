#include "core/fs/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "core/fs/system_error_text.h"

namespace qv {

namespace {

std::string SizeText(std::size_t bytes) {
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

void SetProblem(WholeFile& r, const std::filesystem::path& path, FileProblem problem,
                std::string why) {
    r.Status = problem == FileProblem::Missing ? WholeFile::Result::Missing
                                               : WholeFile::Result::Unreadable;
    r.Problem = problem;
    r.Why = std::move(why);
    r.Error = "cannot read " + path.string() + ": " + r.Why;
    r.Bytes.clear();
}

void SetErrno(WholeFile& r, const std::filesystem::path& path, int err) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            SetProblem(r, path, FileProblem::Missing, FileProblemText(FileProblem::Missing));
            break;
        case EACCES:
        case EPERM:
            SetProblem(r, path, FileProblem::Permission, FileProblemText(FileProblem::Permission));
            break;
        case ELOOP:
            SetProblem(r, path, FileProblem::LinkLoop, FileProblemText(FileProblem::LinkLoop));
            break;
        case EISDIR:
            SetProblem(r, path, FileProblem::Folder, FileProblemText(FileProblem::Folder));
            break;
        default:
            SetProblem(r, path, FileProblem::Failed, SystemErrorText(err));
            break;
    }
}

std::string NotRegularText(mode_t mode) {
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a regular file";
    if (S_ISFIFO(mode)) return "it is a FIFO, not a regular file";
    if (S_ISSOCK(mode)) return "it is a socket, not a regular file";
    return FileProblemText(FileProblem::NotRegular);
}

// Opens a regular file for reading; -1 (with `r` describing why) when it is none.
int OpenRegular(const std::filesystem::path& path, WholeFile& r, struct stat& st) {
    if (path.empty()) {
        SetProblem(r, path, FileProblem::Missing, "no file name");
        return -1;
    }
    // Regular files read the same with or without O_NONBLOCK.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int err = errno;
        // A socket cannot be opened at all; say what it is rather than the system's "no such
        // device or address".
        struct stat named {};
        if (err == ENXIO && ::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode))
            SetProblem(r, path, FileProblem::NotRegular, NotRegularText(named.st_mode));
        else
            SetErrno(r, path, err);
        return -1;
    }
    if (::fstat(fd, &st) != 0) {
        SetErrno(r, path, errno);
    } else if (S_ISDIR(st.st_mode)) {
        SetProblem(r, path, FileProblem::Folder, FileProblemText(FileProblem::Folder));
    } else if (!S_ISREG(st.st_mode)) {
        SetProblem(r, path, FileProblem::NotRegular, NotRegularText(st.st_mode));
    } else {
        return fd;
    }
    ::close(fd);
    return -1;
}

// Reads up to `limit` bytes, and one more when `overflowFails` to notice a file that grew.
bool ReadInto(int fd, std::size_t limit, bool overflowFails, WholeFile& r,
              const std::filesystem::path& path) {
    char buffer[65536];
    for (;;) {
        std::size_t want = sizeof buffer;
        if (!overflowFails && limit - r.Bytes.size() < want) want = limit - r.Bytes.size();
        if (want == 0) return true;
        const ssize_t n = ::read(fd, buffer, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            SetErrno(r, path, errno);
            return false;
        }
        if (n == 0) return true;
        r.Bytes.append(buffer, static_cast<std::size_t>(n));
        // The file may grow while it is read.
        if (overflowFails && r.Bytes.size() > limit) {
            SetProblem(r, path, FileProblem::TooLarge,
                       FileProblemText(FileProblem::TooLarge, limit));
            return false;
        }
    }
}

}  // namespace

std::string FileProblemText(FileProblem problem, std::size_t maxSize) {
    switch (problem) {
        case FileProblem::None:
            return {};
        case FileProblem::Missing:
            return "no such file";
        case FileProblem::Permission:
            return "permission denied";
        case FileProblem::Folder:
            return "it is a folder";
        case FileProblem::NotRegular:
            return "it is not a regular file";
        case FileProblem::TooLarge:
            return maxSize ? "it is larger than " + SizeText(maxSize) : "it is too large";
        case FileProblem::LinkLoop:
            return "its symbolic links form a loop";
        case FileProblem::Failed:
            return "it could not be read";
    }
    return {};
}

int OpenRegularDescriptor(const std::filesystem::path& path, FileProblem& problem,
                          std::string& why) {
    WholeFile r;
    struct stat st {};
    const int fd = OpenRegular(path, r, st);
    problem = fd < 0 ? r.Problem : FileProblem::None;
    why = fd < 0 ? r.Why : std::string();
    if (fd >= 0) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    return fd;
}

std::FILE* OpenRegularFile(const std::filesystem::path& path) {
    WholeFile ignored;
    struct stat st {};
    const int fd = OpenRegular(path, ignored, st);
    if (fd < 0) return nullptr;
    // Reads from here on block as usual.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) ::close(fd);
    return file;
}

WholeFile ReadWholeFile(const std::filesystem::path& path, std::size_t maxSize) {
    WholeFile result;
    struct stat st {};
    const int fd = OpenRegular(path, result, st);
    if (fd < 0) return result;
    if (static_cast<std::uint64_t>(st.st_size) > maxSize) {
        SetProblem(result, path, FileProblem::TooLarge,
                   FileProblemText(FileProblem::TooLarge, maxSize));
    } else {
        result.Bytes.reserve(static_cast<std::size_t>(st.st_size));
        if (ReadInto(fd, maxSize, true, result, path)) {
            result.Status = WholeFile::Result::Read;
            result.Problem = FileProblem::None;
        }
    }
    ::close(fd);
    return result;
}

WholeFile ReadFileStart(const std::filesystem::path& path, std::size_t count) {
    WholeFile result;
    struct stat st {};
    const int fd = OpenRegular(path, result, st);
    if (fd < 0) return result;
    if (ReadInto(fd, count, false, result, path)) {
        result.Status = WholeFile::Result::Read;
        result.Problem = FileProblem::None;
    }
    ::close(fd);
    return result;
}

}  // namespace qv
