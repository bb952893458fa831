#include "core/fs/file_stamp.h"

#include <sys/stat.h>

namespace qv {

std::optional<FileStamp> StampOf(const std::string& nativePath) {
    struct stat st {};
    if (::stat(nativePath.c_str(), &st) != 0) return std::nullopt;
    return FileStamp{
        static_cast<std::int64_t>(st.st_size),
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool ChangedOnDisk(const std::string& nativePath, const std::optional<FileStamp>& known) {
    if (!known) return false;
    // A file deleted meanwhile loses nothing when it is written again.
    const std::optional<FileStamp> now = StampOf(nativePath);
    return now && *now != *known;
}

}  // namespace qv
