#include "core/fs/atomic_file.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    ASSERT_TRUE(ReplaceFileAtomically(path, "first"));
    EXPECT_EQ(ReadFile(path), "first");
    ASSERT_TRUE(ReplaceFileAtomically(path, std::string("a\0b", 3)));
    EXPECT_EQ(ReadFile(path), std::string("a\0b", 3));
    ASSERT_TRUE(ReplaceFileAtomically(path, ""));
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

    ASSERT_TRUE(ReplaceFileAtomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "new");
    EXPECT_EQ(Mode(real), 0640u);

    // A relative link, through another link, names a file beside it.
    const std::string relative = dir.File("relative.txt");
    fs::create_symlink("link.txt", relative);
    ASSERT_TRUE(ReplaceFileAtomically(relative, "newer"));
    EXPECT_TRUE(fs::is_symlink(relative));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "newer");

    // A link to a file not there yet creates that file.
    const std::string dangling = dir.File("dangling.txt");
    fs::create_symlink(dir.File("later.txt"), dangling);
    ASSERT_TRUE(ReplaceFileAtomically(dangling, "made"));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(ReadFile(dir.File("later.txt")), "made");
}

TEST(ReplaceFileAtomically, RefusesFoldersAndMissingFolders) {
    TempDir dir;
    EXPECT_EQ(ReplaceFileAtomically("", "x").Problem, WriteProblem::NoName);

    WriteResult r = ReplaceFileAtomically(dir.File("no/such/file.txt"), "x");
    EXPECT_EQ(r.Problem, WriteProblem::Failed);
    EXPECT_NE(r.Error.find("no/such/file.txt"), std::string::npos) << r.Error;
    EXPECT_EQ(EntryCount(dir.Path()), 0);
}

TEST(ReplaceFileAtomically, RefusesFoldersFifosAndProtectedFilesBeforeWriting) {
    TempDir dir;
    fs::create_directory(dir.File("folder"));
    WriteResult r = ReplaceFileAtomically(dir.File("folder"), "x");
    EXPECT_EQ(r.Problem, WriteProblem::NotRegular);
    EXPECT_NE(r.Error.find("folder"), std::string::npos) << r.Error;
    EXPECT_TRUE(fs::is_directory(dir.File("folder")));

    // A FIFO (like a device) would turn into a plain file under a rename; directly or by a link.
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    fs::create_symlink("pipe", dir.File("to-pipe"));
    for (const char* name : {"pipe", "to-pipe"}) {
        r = ReplaceFileAtomically(dir.File(name), "x");
        EXPECT_EQ(r.Problem, WriteProblem::NotRegular) << name;
        EXPECT_NE(r.Error.find("FIFO"), std::string::npos) << r.Error;
    }
    EXPECT_TRUE(fs::is_fifo(dir.File("pipe")));
    fs::create_symlink("loop-b", dir.File("loop-a"));
    fs::create_symlink("loop-a", dir.File("loop-b"));
    EXPECT_EQ(ReplaceFileAtomically(dir.File("loop-a"), "x").Problem, WriteProblem::NotRegular);
    EXPECT_TRUE(fs::is_symlink(dir.File("loop-a")));

    // Write-protected: kept even for root, who could write it.
    WriteFile(dir.File("kept.ini"), "old");
    ::chmod(dir.File("kept.ini").c_str(), 0444);
    r = ReplaceFileAtomically(dir.File("kept.ini"), "new");
    EXPECT_EQ(r.Problem, WriteProblem::ReadOnly);
    EXPECT_NE(r.Error.find("read-only"), std::string::npos) << r.Error;
    EXPECT_EQ(ReadFile(dir.File("kept.ini")), "old");
    EXPECT_EQ(EntryCount(dir.Path()), 6) << "no temporary file left";
}

TEST(ReplaceFileAtomically, WritesTheLongestNameAFolderTakes) {
    TempDir dir;
    const std::string name = std::string(250, 'n') + ".csv";  // 254 bytes; 255 is the limit
    ASSERT_TRUE(ReplaceFileAtomically(dir.File(name), "first"));
    ASSERT_TRUE(ReplaceFileAtomically(dir.File(name), "second"));
    EXPECT_EQ(ReadFile(dir.File(name)), "second");
    EXPECT_EQ(EntryCount(dir.Path()), 1);
}

TEST(RemovedOnInterrupt, AGuardedFileIsRemovedWhenTheProcessIsInterrupted) {
    TempDir dir;
    const std::string temp = dir.File(".qv0000.tmp");
    const pid_t pid = ::fork();
    if (pid == 0) {
        RemoveTemporaryFilesOnInterrupt();
        WriteFile(temp, "half");
        const RemovedOnInterrupt guard(temp);
        ::raise(SIGTERM);
        ::_exit(0);  // not reached: the signal ends the process
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "ended as SIGTERM ends it";
    EXPECT_FALSE(fs::exists(temp));

    // A page streamed out piece by piece leaves no half-written file behind either.
    const std::string target = dir.File("page.bmp");
    const pid_t streaming = ::fork();
    if (streaming == 0) {
        RemoveTemporaryFilesOnInterrupt();
        AtomicFileWriter writer;
        if (!writer.Open(target) || !writer.Write("half a page")) ::_exit(3);
        ::raise(SIGINT);
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(streaming, &status, 0), streaming);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    EXPECT_EQ(EntryCount(dir.Path()), 0) << "the writer's temporary file must go";

    // Without a guard the handler leaves files alone.
    const pid_t other = ::fork();
    if (other == 0) {
        RemoveTemporaryFilesOnInterrupt();
        WriteFile(temp, "kept");
        { const RemovedOnInterrupt guard(temp); }
        ::raise(SIGINT);
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    EXPECT_TRUE(fs::exists(temp));
}

TEST(ReplaceFileAtomically, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.File("data.bin");
    WriteFile(path, "previous");
    const WriteResult written = test::WithFileSizeLimit(
        100, [&] { return ReplaceFileAtomically(path, std::string(4096, 'x')); });
    EXPECT_EQ(written.Problem, WriteProblem::Failed);
    EXPECT_NE(written.Error.find(path), std::string::npos) << written.Error;
    EXPECT_EQ(ReadFile(path), "previous");
    EXPECT_EQ(EntryCount(dir.Path()), 1);
}

}  // namespace
}  // namespace qv
