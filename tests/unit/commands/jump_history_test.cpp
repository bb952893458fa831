#include "core/commands/jump_history.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/settings/env_data.h"
#include "unit/content/temp_dir.h"

namespace qv {
namespace {

TEST(JumpHistory, BackForwardAndJumpsKeepTheBrowserRules) {
    EnvData env;
    // A -> B -> C by jumps.
    RecordJump(env, "A");
    RecordJump(env, "B");
    EXPECT_EQ(env.JumpHistory, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(env.JumpPosition, 2);
    EXPECT_FALSE(CanGoForward(env));
    const std::string c = "C", b = "B", a = "A";
    EXPECT_EQ(GoBack(env, &c), "B");
    EXPECT_EQ(env.JumpHistory, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(env.JumpPosition, 1);
    EXPECT_EQ(GoBack(env, &b), "A");
    EXPECT_EQ(env.JumpPosition, 0);
    EXPECT_FALSE(GoBack(env, &a));
    EXPECT_EQ(GoForward(env), "B");
    EXPECT_EQ(GoForward(env), "C");
    EXPECT_FALSE(CanGoForward(env));
    // Back to A, then a new jump to D: entry 0 becomes A again, the forward entries stay.
    GoBack(env, &c);
    GoBack(env, &b);
    RecordJump(env, "A");
    EXPECT_EQ(env.JumpPosition, 1);
    EXPECT_EQ(GoForward(env), "C");
}

TEST(JumpHistory, HomeRecordsOnlyWhenLeavingAnotherDocument) {
    EnvData env;
    EXPECT_FALSE(CanGoHome(env));
    const std::string home = "/h.csv", other = "/o.csv";
    EXPECT_FALSE(GoHome(env, &other, ""));
    EXPECT_EQ(GoHome(env, &home, home), "/h.csv");
    EXPECT_TRUE(env.JumpHistory.empty());
    EXPECT_EQ(GoHome(env, &other, home), "/h.csv");
    EXPECT_EQ(env.JumpHistory, (std::vector<std::string>{"/o.csv"}));
    EXPECT_EQ(env.JumpPosition, 1);
    EXPECT_EQ(GoHome(env, nullptr, home), "/h.csv");
    EXPECT_EQ(env.JumpPosition, 1);
}

TEST(LinkText, WebAddressesNeedASchemeFollowedByTwoSlashes) {
    EXPECT_EQ(AsWebAddress("HTTPS://example.org")->Scheme, "https");
    EXPECT_EQ(AsWebAddress("svn+ssh://host/x")->Scheme, "svn+ssh");
    EXPECT_TRUE(IsBrowserScheme("http"));
    EXPECT_FALSE(IsBrowserScheme("ftp"));
    EXPECT_FALSE(AsWebAddress("C:\\docs\\a.csv"));
    EXPECT_FALSE(AsWebAddress("mailto:x@y"));
    EXPECT_FALSE(AsWebAddress("/home/u/a.csv"));
    EXPECT_FALSE(AsWebAddress("1http://x"));
}

TEST(LinkText, FileAddressesNameLocalFilesByTheirDecodedBytes) {
    EXPECT_FALSE(AsFileAddress("/home/u/a.txt"));
    EXPECT_FALSE(AsFileAddress("https://x/y"));
    EXPECT_EQ(AsFileAddress("file:///home/u/a%20b.txt")->Path, "/home/u/a b.txt");
    EXPECT_EQ(AsFileAddress("File://LocalHost/a.html?x=1#top")->Path, "/a.html");
    EXPECT_EQ(AsFileAddress("file:/a%2")->Path, "/a%2") << "a broken escape stays as written";
    // Escapes are the name's own bytes; plain characters are code page 932 ("表").
    EXPECT_EQ(AsFileAddress("file:///%E8%A1%A8/\x95\x5c")->Path, "/\xe8\xa1\xa8/\xe8\xa1\xa8");
    // A file address that names no local file is still one, without a path.
    for (const char* bad :
         {"file://host/a", "file://localhost", "file:a.txt", "file:///a%00b", "file:///\x81"}) {
        const auto address = AsFileAddress(bad);
        ASSERT_TRUE(address) << bad;
        EXPECT_FALSE(address->Path) << bad;
    }
}

TEST(LinkText, BackslashesAreSeparatorsAndRelativePathsFollowTheDocument) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "sub");
    dir.Write("sub/b.csv", "x");
    const std::string doc = (dir.path() / "a.csv").string();
    EXPECT_EQ(LinkFilePath("sub\\b.csv", doc), (dir.path() / "sub/b.csv").string());
    // Not there: left as written.
    EXPECT_EQ(LinkFilePath("sub\\none.csv", doc), "sub/none.csv");
    // A trail byte 0x5C is part of its character ("表" is 0x95 0x5C).
    EXPECT_EQ(LinkFilePath("/x/\x95\x5c.csv", ""), "/x/\xe8\xa1\xa8.csv");
    // Bytes that are no code page 932 name no file.
    EXPECT_FALSE(LinkFilePath("/x/\x81", ""));
}

}  // namespace
}  // namespace qv
