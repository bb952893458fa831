#include "core/io/file_access.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv {
namespace {

std::vector<std::string> Lines(std::string_view text) {
    const auto views = SplitLines(text);
    return std::vector<std::string>(views.begin(), views.end());
}

TEST(SplitLinesTest, CrLfLfAndCrEndLines) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Lines(""), V{});
    EXPECT_EQ(Lines("a"), V{"a"});
    EXPECT_EQ(Lines("a\r\n"), V{"a"});
    EXPECT_EQ(Lines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(Lines("\n\n"), (V{"", ""}));
    EXPECT_EQ(Lines("a\n\r\nb"), (V{"a", "", "b"}));
    EXPECT_EQ(Lines("a\r\rb\n\r"), (V{"a", "", "b", ""}));
    // A trail byte never looks like a line end (both are below 0x40).
    EXPECT_EQ(Lines("\x95\x5c\r\n"), V{"\x95\x5c"});
}

TEST(ParseIntTest, DecimalOnlyWithinRange) {
    EXPECT_EQ(ParseInt("42"), 42);
    EXPECT_EQ(ParseInt(" -7 "), -7);
    EXPECT_EQ(ParseInt("+3"), 3);
    EXPECT_EQ(ParseInt("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseInt("2147483648"), std::nullopt);
    EXPECT_EQ(ParseInt("99999999999999999999999"), std::nullopt);
    for (const char* bad : {"", " ", "-", "1x", "0x10", "$10", "1 2", "1.0"})
        EXPECT_EQ(ParseInt(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace qv
