#include "core/settings/file_history.h"

#include <gtest/gtest.h>

#include <string>

namespace qv {
namespace {

TEST(FileHistoryRecord, WriteAndParseRoundTripByteForByte) {
    FileHistoryRecord record = *FileHistoryRecord::ForDocument("/d/say \"hi\", you.csv");
    record.GroupShown[0] = false;
    record.GroupShown[99] = false;
    record.ScrollY = 120;
    record.ScrollX = -4;
    record.GroupListGroup = 0;
    const std::string line = record.Write();
    EXPECT_EQ(line.rfind("\"/d/say \"\"hi\"\", you.csv\",0,1,1,", 0), 0u) << line;
    EXPECT_EQ(line.substr(line.size() - 11), ",0,120,-4,0");
    EXPECT_EQ(FileHistoryRecord::Parse(line), record);
    // A line as the program has always written it reads back to the same bytes.
    std::string stored = "\"/x/a.csv\"";
    for (int g = 1; g <= 100; ++g)
        stored += g % 3 ? ",1" : ",0";
    stored += ",7,8,9";
    EXPECT_EQ(FileHistoryRecord::Parse(stored).Write(), stored);
}

TEST(FileHistoryRecord, MalformedLinesTakeTheDefaults) {
    const FileHistoryRecord empty = FileHistoryRecord::Parse("");
    EXPECT_EQ(empty.StoredPath, "");
    EXPECT_FALSE(empty.ForDocument(""));
    EXPECT_EQ(empty.ComparablePath(), "");

    // A path alone: every group shown, no scrolling, the first group.
    const FileHistoryRecord bare = FileHistoryRecord::Parse("\"/d/a\",1");
    EXPECT_EQ(bare.StoredPath, "/d/a");
    EXPECT_EQ(bare.ScrollY, 0);
    EXPECT_EQ(bare.GroupListGroup, 1);
    for (bool shown : bare.GroupShown)
        EXPECT_TRUE(shown);

    // Unreadable numbers fall back; a flag other than 1 hides; a group out of range is group 1.
    std::string odd = "\"/d/b\",x,2,0";
    for (int g = 4; g <= 100; ++g)
        odd += ",1";
    odd += ",abc,99999999999,101";
    const FileHistoryRecord r = FileHistoryRecord::Parse(odd);
    EXPECT_TRUE(r.GroupShown[0]);
    EXPECT_FALSE(r.GroupShown[1]);
    EXPECT_FALSE(r.GroupShown[2]);
    EXPECT_EQ(r.ScrollY, 0);
    EXPECT_EQ(r.ScrollX, 0);
    EXPECT_EQ(r.GroupListGroup, 1);
    EXPECT_EQ(FileHistoryRecord::Parse(odd.substr(0, odd.size() - 3) + "-1").GroupListGroup, 1);

    // An unclosed quote ends the line: the rest takes the defaults.
    const FileHistoryRecord open = FileHistoryRecord::Parse("\"/d/c,0,0,5,6,7");
    EXPECT_EQ(open.ScrollY, 0);
    EXPECT_TRUE(open.GroupShown[0]);
}

TEST(FileHistoryRecord, BytesThatAreNotCodePage932NameNoFile) {
    const FileHistoryRecord record = FileHistoryRecord::Parse("\"/d/\x83.csv\",1");
    EXPECT_FALSE(record.Path());
    EXPECT_EQ(record.ComparablePath(), "");
}

}  // namespace
}  // namespace qv
