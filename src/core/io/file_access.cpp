#include "core/io/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <utility>

#include "core/fs/atomic_file.h"
#include "core/fs/system_error_text.h"
#include "core/settings/paths.h"

namespace qv {

namespace {

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

bool NativeReadOnly(const std::string& native) {
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0) return false;
    return (st.st_mode & S_IWUSR) == 0 || ::access(native.c_str(), W_OK) != 0;
}

}  // namespace

FileBytes ReadFileBytes(std::string_view cp932Path, std::size_t maxSize) {
    FileBytes result;
    const std::string native = NativePath(cp932Path);
    if (native.empty()) {
        result.Error = "no file name";
        return result;
    }
    // Non-blocking, so that a pipe given as a document cannot hang the program; regular files
    // read the same either way.
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        result.Status =
            (err == ENOENT || err == ENOTDIR) ? ReadStatus::Missing : ReadStatus::Unreadable;
        result.Error = native + ": " + SystemErrorText(err);
        return result;
    }
    result.Status = ReadStatus::Unreadable;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.Error = native + ": " + SystemErrorText(errno);
    } else if (!S_ISREG(st.st_mode)) {
        result.Error = native + " is not a regular file";
    } else if (static_cast<std::uint64_t>(st.st_size) > maxSize) {
        result.Error = native + " is too large";
    } else {
        result.Bytes.reserve(static_cast<std::size_t>(st.st_size));
        char buffer[65536];
        bool ok = true;
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                result.Error = native + ": " + SystemErrorText(errno);
                ok = false;
                break;
            }
            if (n == 0) break;
            result.Bytes.append(buffer, static_cast<std::size_t>(n));
            // The file may grow while it is read.
            if (result.Bytes.size() > maxSize) {
                result.Error = native + " is too large";
                ok = false;
                break;
            }
        }
        if (ok) result.Status = ReadStatus::Read;
    }
    ::close(fd);
    if (result.Status != ReadStatus::Read) result.Bytes.clear();
    return result;
}

bool WriteFileAtomically(std::string_view cp932Path, std::string_view data, std::string* error) {
    const std::string native = NativePath(cp932Path);
    if (native.empty()) {
        SetError(error, "no file name");
        return false;
    }
    // A file the user has protected is not replaced behind its back by the rename.
    if (NativeReadOnly(native)) {
        SetError(error, native + " is read-only");
        return false;
    }
    return ReplaceFileAtomically(native, data, error);
}

bool IsReadOnlyFile(std::string_view cp932Path) {
    if (cp932Path.empty()) return false;
    return NativeReadOnly(NativePath(cp932Path));
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachLine(text, [&](std::string_view line, std::size_t) {
        lines.push_back(line);
        return true;
    });
    return lines;
}

std::optional<std::int64_t> ParseDecimal(std::string_view text, std::int64_t minValue,
                                         std::int64_t maxValue) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    // Beyond this the value is out of any range asked for; stop before int64 could overflow.
    constexpr std::int64_t kLimit = std::int64_t{1} << 40;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > kLimit) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < minValue || value > maxValue) return std::nullopt;
    return value;
}

std::optional<int> ParseInt(std::string_view text) {
    const auto v =
        ParseDecimal(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    if (!v) return std::nullopt;
    return static_cast<int>(*v);
}

}  // namespace qv
