#include "core/io/file_access.h"

#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <utility>

#include "core/fs/atomic_file.h"
#include "core/fs/read_file.h"
#include "core/settings/paths.h"
#include "core/text/text_helpers.h"

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
    WholeFile file = ReadWholeFile(NativePath(cp932Path), maxSize);
    FileBytes result;
    switch (file.Status) {
        case WholeFile::Result::Read:
            result.Status = ReadStatus::Read;
            break;
        case WholeFile::Result::Missing:
            result.Status = ReadStatus::Missing;
            break;
        case WholeFile::Result::Unreadable:
            result.Status = ReadStatus::Unreadable;
            break;
    }
    result.Bytes = std::move(file.Bytes);
    result.Error = std::move(file.Error);
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
    text = TrimAsciiBlanks(text);
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
