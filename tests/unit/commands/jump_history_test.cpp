#include "core/commands/jump_history.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/settings/env_data.h"
#include "unit/content/temp_dir.h"

namespace qv {
namespace {

TEST(JumpHistory, BackForwardAndJumpsKeepTheBrowserRules) {
    JumpHistory jumps;
    // A -> B -> C by jumps.
    jumps.RecordJump("A");
    jumps.RecordJump("B");
    EXPECT_EQ(jumps.Entries(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(jumps.Position(), 2);
    EXPECT_FALSE(jumps.CanGoForward());
    const std::string c = "C", b = "B", a = "A";
    EXPECT_EQ(jumps.GoBack(&c), "B");
    EXPECT_EQ(jumps.Entries(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(jumps.Position(), 1);
    EXPECT_EQ(jumps.GoBack(&b), "A");
    EXPECT_EQ(jumps.Position(), 0);
    EXPECT_FALSE(jumps.GoBack(&a));
    EXPECT_EQ(jumps.GoForward(), "B");
    EXPECT_EQ(jumps.GoForward(), "C");
    EXPECT_FALSE(jumps.CanGoForward());
    // Back to A, then a new jump to D: entry 0 becomes A again, the forward entries stay.
    jumps.GoBack(&c);
    jumps.GoBack(&b);
    jumps.RecordJump("A");
    EXPECT_EQ(jumps.Position(), 1);
    EXPECT_EQ(jumps.GoForward(), "C");
}

TEST(JumpHistory, HomeRecordsOnlyWhenLeavingAnotherDocument) {
    EnvData env;
    JumpHistory jumps;
    EXPECT_FALSE(CanGoHome(env));
    const std::string home = "/h.csv", other = "/o.csv";
    EXPECT_FALSE(jumps.GoHome(&other, ""));
    EXPECT_EQ(jumps.GoHome(&home, home), "/h.csv");
    EXPECT_TRUE(jumps.Entries().empty());
    EXPECT_EQ(jumps.GoHome(&other, home), "/h.csv");
    EXPECT_EQ(jumps.Entries(), (std::vector<std::string>{"/o.csv"}));
    EXPECT_EQ(jumps.Position(), 1);
    EXPECT_EQ(jumps.GoHome(nullptr, home), "/h.csv");
    EXPECT_EQ(jumps.Position(), 1);
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
