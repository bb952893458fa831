#include "core/fs/read_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <filesystem>

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

}  // namespace
}  // namespace qv
