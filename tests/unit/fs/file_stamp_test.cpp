#include "core/fs/file_stamp.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <cstdio>

#include "unit/settings/temp_dir.h"

namespace qv {
namespace {

// Gives `path` the modification time of `like`, as a copy that keeps times does.
void CopyTime(const std::string& like, const std::string& path) {
    struct stat st {};
    ASSERT_EQ(::stat(like.c_str(), &st), 0);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(ChangedOnDisk, NoticesAFileReplacedBySameSizeAndTime) {
    TempDir dir;
    const std::string path = dir.File("doc.csv");
    WriteFile(path, "ours");
    const std::optional<FileStamp> read = StampOf(path);
    ASSERT_TRUE(read);
    EXPECT_FALSE(ChangedOnDisk(path, read));

    // Another program writes its version beside it, keeps the time and renames it over ours.
    const std::string theirs = dir.File("theirs.csv");
    WriteFile(theirs, "mine");
    CopyTime(path, theirs);
    ASSERT_EQ(std::rename(theirs.c_str(), path.c_str()), 0);
    EXPECT_TRUE(ChangedOnDisk(path, read)) << "same size and time, but another file";

    // Rewritten in place with its time set back: the same inode, but its change time moved.
    const std::optional<FileStamp> second = StampOf(path);
    WriteFile(dir.File("time.ref"), "");
    CopyTime(path, dir.File("time.ref"));
    WriteFile(path, "Mine");
    CopyTime(dir.File("time.ref"), path);
    EXPECT_EQ(StampOf(path)->Inode, second->Inode);
    EXPECT_TRUE(ChangedOnDisk(path, second));

    // A stamp kept by a version that knew only size and time compares those alone.
    FileStamp old = *StampOf(path);
    old.Inode = 0;
    old.ChangedNs = 0;
    EXPECT_FALSE(ChangedOnDisk(path, old));
    old.Size += 1;
    EXPECT_TRUE(ChangedOnDisk(path, old));
}

}  // namespace
}  // namespace qv
