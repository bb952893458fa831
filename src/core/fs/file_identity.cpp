#include "core/fs/file_identity.h"

#include <sys/stat.h>

namespace qv {

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<unsigned long long>(st.st_dev),
                        static_cast<unsigned long long>(st.st_ino)};
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    const auto ia = IdentityOf(a);
    return ia && ia == IdentityOf(b);
}

}  // namespace qv
