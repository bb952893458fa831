#include "core/fs/atomic_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <iterator>

#include "unit/fs/file_size_limit.h"
#include "unit/settings/temp_dir.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

int EntryCount(const std::string& dir) {
    return static_cast<int>(std::distance(fs::directory_iterator(dir), {}));
}

mode_t Mode(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

TEST(ReplaceFileAtomically, CreatesAndReplacesFiles) {
    TempDir dir;
    const std::string path = dir.File("new.txt");
    std::string error;
    ASSERT_TRUE(ReplaceFileAtomically(path, "first", &error)) << error;
    EXPECT_EQ(ReadFile(path), "first");
    ASSERT_TRUE(ReplaceFileAtomically(path, std::string("a\0b", 3), &error)) << error;
    EXPECT_EQ(ReadFile(path), std::string("a\0b", 3));
    ASSERT_TRUE(ReplaceFileAtomically(path, "", &error)) << error;
    EXPECT_EQ(ReadFile(path), "");
    EXPECT_EQ(EntryCount(dir.Path()), 1) << "no temporary file is left behind";
}

TEST(ReplaceFileAtomically, FollowsLinksAndKeepsTheMode) {
    TempDir dir;
    const std::string real = dir.File("real.txt");
    const std::string link = dir.File("link.txt");
    WriteFile(real, "old");
    ::chmod(real.c_str(), 0640);
    fs::create_symlink(real, link);

    std::string error;
    ASSERT_TRUE(ReplaceFileAtomically(link, "new", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "new");
    EXPECT_EQ(Mode(real), 0640u);

    // A relative link, through another link, names a file beside it.
    const std::string relative = dir.File("relative.txt");
    fs::create_symlink("link.txt", relative);
    ASSERT_TRUE(ReplaceFileAtomically(relative, "newer", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(relative));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "newer");

    // A link to a file not there yet creates that file.
    const std::string dangling = dir.File("dangling.txt");
    fs::create_symlink(dir.File("later.txt"), dangling);
    ASSERT_TRUE(ReplaceFileAtomically(dangling, "made", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(ReadFile(dir.File("later.txt")), "made");
}

TEST(ReplaceFileAtomically, RefusesFoldersAndMissingFolders) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(ReplaceFileAtomically("", "x", &error));
    EXPECT_FALSE(error.empty());

    fs::create_directory(dir.File("folder"));
    error.clear();
    EXPECT_FALSE(ReplaceFileAtomically(dir.File("folder"), "x", &error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_directory(dir.File("folder")));

    error.clear();
    EXPECT_FALSE(ReplaceFileAtomically(dir.File("no/such/file.txt"), "x", &error));
    EXPECT_NE(error.find("no/such/file.txt"), std::string::npos) << error;
    EXPECT_EQ(EntryCount(dir.Path()), 1);
}

TEST(ReplaceFileAtomically, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.File("data.bin");
    WriteFile(path, "previous");
    std::string error;
    const bool written = test::WithFileSizeLimit(
        100, [&] { return ReplaceFileAtomically(path, std::string(4096, 'x'), &error); });
    EXPECT_FALSE(written);
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(ReadFile(path), "previous");
    EXPECT_EQ(EntryCount(dir.Path()), 1);
}

}  // namespace
}  // namespace qv
