#include "core/fs/atomic_file.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <cstring>
#include <filesystem>
#include <iterator>

#include "unit/fs/file_size_limit.h"
#include "unit/fs/other_users.h"
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
        if (!writer.Start(target) || !writer.Write("half a page")) ::_exit(3);
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

namespace qv {
namespace {

namespace fs = std::filesystem;

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

int FileCount(const std::string& dir) {
    return static_cast<int>(std::distance(fs::directory_iterator(dir), {}));
}

TEST(ReplaceFileAtomically, KeepsHardLinksAndDropsSetIdBits) {
    TempDir dir;
    const std::string path = dir.File("doc.csv");
    const std::string other = dir.File("other-name.csv");
    WriteFile(path, "old contents");
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    const ino_t inode = StatOf(path).st_ino;

    ASSERT_TRUE(ReplaceFileAtomically(path, "new"));
    EXPECT_EQ(ReadFile(other), "new") << "both names still name one file";
    EXPECT_EQ(StatOf(path).st_ino, inode);
    EXPECT_EQ(StatOf(path).st_nlink, 2u);
    EXPECT_EQ(FileCount(dir.Path()), 2) << "neither the new nor the old contents are left aside";

    // A file that ran as its owner does not pass the right on to new contents, replaced or
    // rewritten in place.
    const std::string tool = dir.File("tool");
    WriteFile(tool, "#!/bin/sh\n");
    ASSERT_EQ(::chmod(tool.c_str(), 06755), 0);
    ASSERT_TRUE(ReplaceFileAtomically(tool, "#!/bin/sh\nexit 0\n"));
    EXPECT_EQ(StatOf(tool).st_mode & 07777, 0755u);
    ASSERT_EQ(::chmod(path.c_str(), 04750), 0);
    ASSERT_TRUE(ReplaceFileAtomically(other, "newer"));
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0750u);
    EXPECT_EQ(ReadFile(path), "newer");
}

TEST(AtomicFileWriter, KeepsUnfinishedContentsFromOtherUsers) {
    TempDir dir;
    const std::string path = dir.File("shared.txt");
    WriteFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    AtomicFileWriter writer;
    ASSERT_TRUE(writer.Start(path));
    ASSERT_TRUE(writer.Write("half of the new"));
    int temps = 0;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        if (entry.path() == path) continue;
        ++temps;
        EXPECT_EQ(StatOf(entry.path().string()).st_mode & 07777, 0600u)
            << "readable by others before it is complete";
    }
    EXPECT_EQ(temps, 1);
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0644u) << "the file's own mode once complete";

    // A new file gets the modes the umask allows, also only at the end.
    const mode_t old = ::umask(027);
    ASSERT_TRUE(ReplaceFileAtomically(dir.File("fresh.txt"), "x"));
    ::umask(old);
    EXPECT_EQ(StatOf(dir.File("fresh.txt")).st_mode & 07777, 0640u);
}

TEST(ReplaceFileAtomically, KeepsTheOwnerAndGroupOfAnotherUsersFile) {
    if (*test::WhyNoOtherUsers()) GTEST_SKIP() << test::WhyNoOtherUsers();
    TempDir dir;
    const std::string path = dir.File("theirs.csv");
    WriteFile(path, "old");
    ASSERT_EQ(::chown(path.c_str(), test::kOwnerUid, test::kSharedGid), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);

    // Root may give the new file its owner: replaced, owner and group kept.
    ASSERT_TRUE(ReplaceFileAtomically(path, "by root"));
    struct stat st = StatOf(path);
    EXPECT_EQ(st.st_uid, test::kOwnerUid);
    EXPECT_EQ(st.st_gid, test::kSharedGid);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadFile(path), "by root");
}

// A document shared in a group's folder, saved by another member of the group.
TEST(ReplaceFileAtomically, AGroupMemberSavesASharedDocumentInPlace) {
    if (*test::WhyNoOtherUsers()) GTEST_SKIP() << test::WhyNoOtherUsers();
    TempDir top;
    const std::string folder = top.File("group");
    ASSERT_TRUE(fs::create_directory(folder));
    ASSERT_EQ(::chmod(top.Path().c_str(), 0755), 0);
    ASSERT_EQ(::chown(folder.c_str(), test::kOwnerUid, test::kSharedGid), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0775), 0);
    const std::string path = folder + "/notes.csv";
    WriteFile(path, "the owner's version");
    ASSERT_EQ(::chown(path.c_str(), test::kOwnerUid, test::kSharedGid), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0660), 0);

    const auto save = [&](const std::string& text) {
        return test::RunAsUser(test::kOtherUid, test::kOtherGid, {test::kSharedGid},
                               [&] { return bool(ReplaceFileAtomically(path, text)); });
    };
    ASSERT_TRUE(save("the member's version"));
    const struct stat st = StatOf(path);
    EXPECT_EQ(st.st_uid, test::kOwnerUid) << "still the owner's";
    EXPECT_EQ(st.st_gid, test::kSharedGid) << "still the group's";
    EXPECT_EQ(st.st_mode & 07777, 0660u);
    EXPECT_EQ(ReadFile(path), "the member's version");
    EXPECT_EQ(FileCount(folder), 1) << "no copy is left beside it";

    // Writable but not readable to the member: the old contents cannot be kept aside while the
    // file is rewritten, so nothing happens, and the error says why.
    ASSERT_EQ(::chmod(path.c_str(), 0620), 0);
    EXPECT_FALSE(save("lost?"));
    EXPECT_EQ(ReadFile(path), "the member's version");
    EXPECT_EQ(StatOf(path).st_uid, test::kOwnerUid);
    EXPECT_EQ(FileCount(folder), 1);
    EXPECT_TRUE(test::RunAsUser(test::kOtherUid, test::kOtherGid, {test::kSharedGid}, [&] {
        const WriteResult r = ReplaceFileAtomically(path, "x");
        return r.Problem == WriteProblem::Shared &&
               r.Error.find("another user") != std::string::npos;
    }));
}

TEST(ReplaceFileAtomically, FollowsNoOtherUsersLinkInASharedStickyFolder) {
    if (*test::WhyNoOtherUsers()) GTEST_SKIP() << test::WhyNoOtherUsers();
    TempDir dir;
    const std::string shared = dir.File("shared");
    ASSERT_TRUE(fs::create_directory(shared));
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string victim = dir.File("victim.txt");
    WriteFile(victim, "mine");
    const std::string planted = shared + "/out.svg";
    fs::create_symlink(victim, planted);
    ASSERT_EQ(::lchown(planted.c_str(), test::kOtherUid, test::kOtherGid), 0);

    const WriteResult r = ReplaceFileAtomically(planted, "overwritten");
    EXPECT_EQ(r.Problem, WriteProblem::ForeignLink);
    EXPECT_NE(r.Error.find("symbolic link of another user"), std::string::npos) << r.Error;
    EXPECT_EQ(ReadFile(victim), "mine");
    AtomicFileWriter writer;
    EXPECT_FALSE(writer.Start(planted));
    EXPECT_EQ(ReadFile(victim), "mine");

    // The folder owner's links, and this user's own, are followed as before.
    ASSERT_EQ(::chown(shared.c_str(), test::kOtherUid, test::kOtherGid), 0);
    ASSERT_TRUE(ReplaceFileAtomically(planted, "through the owner's link"));
    EXPECT_EQ(ReadFile(victim), "through the owner's link");
    ASSERT_EQ(::lchown(planted.c_str(), 0, 0), 0);
    ASSERT_EQ(::chown(shared.c_str(), test::kOwnerUid, test::kOtherGid), 0);
    ASSERT_TRUE(ReplaceFileAtomically(planted, "through my link"));
    EXPECT_EQ(ReadFile(victim), "through my link");
}

TEST(ReplacePrivateFile, MakesAFileForThisUserOnlyAndReplacesLinks) {
    TempDir dir;
    const std::string elsewhere = dir.File("elsewhere.txt");
    WriteFile(elsewhere, "untouched");
    ::chmod(elsewhere.c_str(), 0644);
    const std::string path = dir.File("copy.csv");
    fs::create_symlink(elsewhere, path);
    ASSERT_TRUE(ReplacePrivateFile(path, "private"));
    EXPECT_FALSE(fs::is_symlink(path)) << "the link is replaced, not followed";
    EXPECT_EQ(ReadFile(path), "private");
    EXPECT_EQ(ReadFile(elsewhere), "untouched");
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0600u);
    ::chmod(path.c_str(), 0644);
    ASSERT_TRUE(ReplacePrivateFile(path, "again"));
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0600u);
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

TEST(RemovedOnInterrupt, EverySignalThatEndsTheProcessRemovesTheFileButIgnoredOnesStayIgnored) {
    TempDir dir;
    const std::string temp = dir.File(".qv1111.tmp");
    for (const int sig : {SIGQUIT, SIGPIPE, SIGXFSZ, SIGXCPU, SIGUSR1, SIGALRM}) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const struct rlimit noCore { 0, 0 };
            ::setrlimit(RLIMIT_CORE, &noCore);
            RemoveTemporaryFilesOnInterrupt();
            WriteFile(temp, "half");
            const RemovedOnInterrupt guard(temp);
            ::raise(sig);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << strsignal(sig);
        EXPECT_FALSE(fs::exists(temp)) << "left after " << strsignal(sig);
    }

    // A tool started in the background of a shell ignores SIGINT, and must go on doing so.
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGINT, SIG_IGN);
        RemoveTemporaryFilesOnInterrupt();
        WriteFile(temp, "whole");
        const RemovedOnInterrupt guard(temp);
        ::raise(SIGINT);
        ::_exit(7);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7) << "SIGINT stayed ignored";
    EXPECT_TRUE(fs::exists(temp));
}

}  // namespace
}  // namespace qv
