#include "core/fs/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "core/fs/system_error_text.h"

namespace qv {

WholeFile ReadWholeFile(const std::string& nativePath, std::size_t maxSize) {
    WholeFile result;
    if (nativePath.empty()) {
        result.Error = "no file name";
        return result;
    }
    // Regular files read the same with or without O_NONBLOCK.
    const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int err = errno;
        if (err != ENOENT && err != ENOTDIR) result.Status = WholeFile::Result::Unreadable;
        result.Error = nativePath + ": " + SystemErrorText(err);
        return result;
    }
    result.Status = WholeFile::Result::Unreadable;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.Error = nativePath + ": " + SystemErrorText(errno);
    } else if (!S_ISREG(st.st_mode)) {
        result.Error = nativePath + " is not a regular file";
    } else if (static_cast<std::uint64_t>(st.st_size) > maxSize) {
        result.Error = nativePath + " is too large";
    } else {
        result.Bytes.reserve(static_cast<std::size_t>(st.st_size));
        char buffer[65536];
        bool ok = true;
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                result.Error = nativePath + ": " + SystemErrorText(errno);
                ok = false;
                break;
            }
            if (n == 0) break;
            result.Bytes.append(buffer, static_cast<std::size_t>(n));
            // The file may grow while it is read.
            if (result.Bytes.size() > maxSize) {
                result.Error = nativePath + " is too large";
                ok = false;
                break;
            }
        }
        if (ok) result.Status = WholeFile::Result::Read;
    }
    ::close(fd);
    if (result.Status != WholeFile::Result::Read) result.Bytes.clear();
    return result;
}

}  // namespace qv
