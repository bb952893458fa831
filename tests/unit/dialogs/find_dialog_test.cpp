#include "core/dialogs/find_set_dlg.h"

#include <gtest/gtest.h>

#include "core/settings/env_data.h"

namespace qv {
namespace {

TEST(FindDialog, HistoryKeepsTrimmedTextsMostRecentFirstWithoutCaseDuplicates) {
    EnvData env;
    env.FindHistory = {"one", "two", "Three"};
    // Blanks, tabs and full-width blanks are trimmed; a case variant of the third entry replaces
    // it.
    auto r = AcceptFindText(env, " \t\xe3\x80\x80three\xe3\x80\x80 ");
    ASSERT_TRUE(r && r->Text);
    EXPECT_EQ(*r->Text, "three");
    EXPECT_EQ(env.FindHistory, (std::vector<std::string>{"three", "one", "two"}));
    // The first entry in another case changes nothing.
    r = AcceptFindText(env, "THREE");
    ASSERT_TRUE(r && r->Text);
    EXPECT_EQ(*r->Text, "THREE");
    EXPECT_EQ(env.FindHistory.front(), "three");
    EXPECT_EQ(env.FindHistory.size(), 3u);
}

TEST(FindDialog, EmptyOrBlankTextCancelsAndUnheldTextNeverEntersTheHistory) {
    EnvData env;
    env.FindHistory = {"a"};
    EXPECT_FALSE(AcceptFindText(env, ""));
    EXPECT_FALSE(AcceptFindText(env, " \xe3\x80\x80 "));
    auto r = AcceptFindText(env, "\xf0\x9f\x98\x80");  // an emoji
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->Text);
    EXPECT_EQ(env.FindHistory, (std::vector<std::string>{"a"}));
}

}  // namespace
}  // namespace qv
