#include "core/fs/file_stamp.h"

#include <sys/stat.h>

namespace qv {

std::optional<FileStamp> StampOf(const std::string& nativePath) {
    struct stat st {};
    if (::stat(nativePath.c_str(), &st) != 0) return std::nullopt;
    return FileStamp{
        static_cast<std::int64_t>(st.st_size),
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
        static_cast<std::uint64_t>(st.st_ino),
        static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

bool StampsDiffer(const FileStamp& a, const FileStamp& b) {
    if (a.Size != b.Size || a.ModifiedNs != b.ModifiedNs) return true;
    if (a.Inode != 0 && b.Inode != 0 && a.Inode != b.Inode) return true;
    return a.ChangedNs != 0 && b.ChangedNs != 0 && a.ChangedNs != b.ChangedNs;
}

bool ChangedOnDisk(const std::string& nativePath, const std::optional<FileStamp>& known) {
    if (!known) return false;
    // A file deleted meanwhile loses nothing when it is written again.
    const std::optional<FileStamp> now = StampOf(nativePath);
    return now && StampsDiffer(*now, *known);
}

}  // namespace qv
