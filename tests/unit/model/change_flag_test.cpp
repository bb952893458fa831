#include "core/model/change_flag.h"

#include <gtest/gtest.h>

#include "core/io/fragment_file.h"
#include "unit/model/fakes.h"
#include "unit/settings/temp_dir.h"

namespace qv {
namespace {

TEST(ChangeFlag, EverySettingCountsAndASaveOnlyClears) {
    test::TestDoc doc;
    const auto start = doc.set.Modified.Generation();
    EXPECT_FALSE(doc.set.Modified);

    Fragment* a = doc.Add("a", 1, 10, 10);
    a->SetSelected(true);
    doc.set.RebuildSelection();
    doc.set.DeleteSelected();
    const auto afterDelete = doc.set.Modified.Generation();
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_GT(afterDelete, start);

    // A second change while the document is modified already still moves the count: a copy made
    // after the first change is behind.
    doc.Add("b", 1, 10, 10)->SetSelected(true);
    doc.set.RebuildSelection();
    doc.set.DeleteSelected();
    EXPECT_GT(doc.set.Modified.Generation(), afterDelete);

    TempDir dir;
    const auto beforeSave = doc.set.Modified.Generation();
    ASSERT_TRUE(SaveFragmentFile(doc.set, dir.File("d.csv")));
    EXPECT_FALSE(doc.set.Modified);
    EXPECT_EQ(doc.set.Modified.Generation(), beforeSave) << "saving is no change";

    ChangeFlag flag;
    flag = false;
    EXPECT_EQ(flag.Generation(), 0u);
    flag = true;
    flag = true;
    EXPECT_EQ(flag.Generation(), 2u);
}

}  // namespace
}  // namespace qv
