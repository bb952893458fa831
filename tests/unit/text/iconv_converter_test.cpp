#include "core/text/iconv_converter.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(IconvConverter, OpensTheFirstEncodingTheSystemKnows) {
    IconvConverter none("UTF-8", {"NO-SUCH-ENCODING", "NOR-THIS-ONE"});
    EXPECT_FALSE(none.Ok());

    IconvConverter cv("UTF-8", {"NO-SUCH-ENCODING", "CP932"});
    ASSERT_TRUE(cv.Ok());
    std::string_view in = "a\x82\xa0";  // a, hiragana a
    std::string out;
    EXPECT_TRUE(cv.Convert(in, out));
    EXPECT_TRUE(in.empty());
    EXPECT_EQ(out, "a\xE3\x81\x82");
}

TEST(IconvConverter, StopsAtABadSequenceAndGoesOnAfterReset) {
    IconvConverter cv("CP932", "UTF-8");
    ASSERT_TRUE(cv.Ok());
    // Longer than one conversion buffer before the bad byte, so the output is gathered in steps.
    const std::string text = std::string(3000, 'x') + "\xFF" + "yz";
    std::string_view in = text;
    std::string out;
    EXPECT_FALSE(cv.Convert(in, out));
    EXPECT_EQ(out, std::string(3000, 'x'));
    ASSERT_FALSE(in.empty());
    EXPECT_EQ(in.front(), '\xFF');
    in.remove_prefix(1);
    cv.Reset();
    EXPECT_TRUE(cv.Convert(in, out));
    EXPECT_EQ(out, std::string(3000, 'x') + "yz");
}

}  // namespace
}  // namespace qv
