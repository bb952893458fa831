#include "core/dialogs/shortcut_page.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

struct FakeCommands : CommandKeyTable {
    struct Row {
        std::string Category, Caption;
        ShortCut Key;
    };
    std::vector<Row> Rows{{"Tool", "Normal", 0},
                          {"File", "New", kShortCutCtrl | 'N'},
                          {"File", "Open", kShortCutCtrl | 'O'},
                          {"Tool", "Brush", 0},
                          {"Edit", "Cut", kShortCutCtrl | 'X'}};
    int CommandCount() const override { return static_cast<int>(Rows.size()); }
    std::string_view CommandCategory(int i) const override { return Rows[i].Category; }
    std::string_view CommandCaption(int i) const override { return Rows[i].Caption; }
    ShortCut CommandKey(int i) const override { return Rows[i].Key; }
    void SetCommandKey(int i, ShortCut key) override { Rows[i].Key = key; }
};

TEST(ShortcutList, CategoriesOnceInOrderOfFirstUseAndOneRowPerCommand) {
    FakeCommands commands;
    ShortcutList list;
    list.Fill(commands);
    EXPECT_EQ(list.Categories(), (std::vector<std::string>{"Tool", "File", "Edit"}));
    ASSERT_EQ(list.Rows().size(), 5u);
    EXPECT_EQ(list.Rows()[0], "Normal\t");
    EXPECT_EQ(list.Rows()[2], "Open\tCtrl+O");
    EXPECT_EQ(list.FirstRowOf("Edit"), 4);
    EXPECT_EQ(list.FirstRowOf("Help"), -1);
    EXPECT_EQ(list.CategoryOf(3), "Tool");
    EXPECT_EQ(list.CategoryOf(9), "");
}

TEST(ShortcutList, ChangeAndClearActOnTheCommandAtOnce) {
    FakeCommands commands;
    ShortcutList list;
    list.Fill(commands);
    list.Change(0, true, true, false, "F5");
    EXPECT_EQ(list.Rows()[0], "Normal\tShift+Ctrl+F5");
    EXPECT_EQ(commands.Rows[0].Key, 0x6074);

    // A modifier without a key shows as typed and leaves the command without a key.
    list.Change(1, false, true, false, "");
    EXPECT_EQ(list.Rows()[1], "New\tCtrl+");
    EXPECT_EQ(commands.Rows[1].Key, 0);

    list.Clear(2);
    EXPECT_EQ(list.Rows()[2], "Open\t");
    EXPECT_EQ(commands.Rows[2].Key, 0);

    // No row selected: nothing happens.
    list.Change(-1, true, false, false, "A");
    list.Clear(7);
    EXPECT_EQ(commands.Rows[4].Key, kShortCutCtrl | 'X');
}

}  // namespace
}  // namespace qv
