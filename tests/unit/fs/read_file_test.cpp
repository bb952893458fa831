#include "core/fs/read_file.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <cstring>
#include <filesystem>

#include "unit/fs/other_users.h"
#include "unit/settings/temp_dir.h"

namespace qv {
namespace {

using Result = WholeFile::Result;

TEST(ReadWholeFile, ReadsUpToTheSizeLimit) {
    TempDir dir;
    const std::string path = dir.File("data.bin");
    const std::string bytes = std::string("a\0\r\nb", 5) + std::string(70000, 'x');
    WriteFile(path, bytes);
    WholeFile file = ReadWholeFile(path, bytes.size());
    EXPECT_EQ(file.Status, Result::Read);
    EXPECT_EQ(file.Bytes, bytes);
    EXPECT_TRUE(file.Error.empty());

    file = ReadWholeFile(path, bytes.size() - 1);
    EXPECT_EQ(file.Status, Result::Unreadable);
    EXPECT_TRUE(file.Bytes.empty());
    EXPECT_NE(file.Error.find(path), std::string::npos) << file.Error;
}

TEST(ReadWholeFile, TellsMissingFromUnreadable) {
    TempDir dir;
    EXPECT_EQ(ReadWholeFile(dir.File("none"), 100).Status, Result::Missing);
    EXPECT_EQ(ReadWholeFile(dir.File("none/deeper"), 100).Status, Result::Missing);
    EXPECT_EQ(ReadWholeFile("", 100).Status, Result::Missing);

    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_EQ(ReadWholeFile(dir.File("folder"), 100).Status, Result::Unreadable);
    // A pipe without a writer would block a plain open.
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    const WholeFile pipe = ReadWholeFile(dir.File("pipe"), 100);
    EXPECT_EQ(pipe.Status, Result::Unreadable);
    EXPECT_FALSE(pipe.Error.empty());
}

TEST(ReadWholeFile, SaysWhyAFileCannotBeRead) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("folder"));
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("loop-b", dir.File("loop-a"));
    std::filesystem::create_symlink("loop-a", dir.File("loop-b"));
    WriteFile(dir.File("big"), std::string(200, 'x'));
    // A socket cannot even be opened; it is still named for what it is.
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(dir.File("socket").size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, dir.File("socket").c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    struct Case {
        std::string Path;
        FileProblem Problem;
        std::string Words;
    };
    for (const Case& c : {Case{dir.File("none"), FileProblem::Missing, "no such file"},
                          Case{dir.File("folder"), FileProblem::Folder, "folder"},
                          Case{dir.File("pipe"), FileProblem::NotRegular, "FIFO"},
                          Case{dir.File("socket"), FileProblem::NotRegular, "socket"},
                          Case{"/dev/zero", FileProblem::NotRegular, "device"},
                          Case{dir.File("loop-a"), FileProblem::LinkLoop, "loop"},
                          Case{dir.File("big"), FileProblem::TooLarge, "larger than 100 bytes"}}) {
        for (const WholeFile& f : {ReadWholeFile(c.Path, 100), ReadFileStart(c.Path, 10)}) {
            if (c.Problem == FileProblem::TooLarge && f.Status == Result::Read) {
                EXPECT_EQ(f.Bytes, std::string(10, 'x')) << "the start of any size of file";
                continue;
            }
            EXPECT_EQ(f.Problem, c.Problem) << c.Path;
            EXPECT_NE(f.Why.find(c.Words), std::string::npos) << f.Why;
            EXPECT_EQ(f.Error, "cannot read " + c.Path + ": " + f.Why);
        }
    }

    WriteFile(dir.File("secret"), "x");
    ::chmod(dir.File("secret").c_str(), 0600);
    const std::string secret = dir.File("secret");
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_TRUE(test::RunUnprivileged([&] {
        const WholeFile f = ReadWholeFile(secret, 100);
        return f.Status == Result::Unreadable && f.Problem == FileProblem::Permission &&
               f.Why == "permission denied";
    }));
    ::close(sock);
}

}  // namespace
}  // namespace qv
