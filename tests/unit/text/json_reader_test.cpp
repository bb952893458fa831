// The JSON reader on well-formed text, on every kind of broken text and at its limits.
#include <gtest/gtest.h>

#include <string>

#include "core/text/json_reader.h"

namespace {

TEST(JsonReader, ReadsValuesEscapesAndMembersInOrder) {
    const auto r = qv::ParseJson(
        " {\"a\": [1, -2.5e2, true, false, null], \"s\": "
        "\"x\\\"\\\\\\/\\n\\t\\u00e9\\ud83d\\ude00\","
        " \"lone\": \"\\udc00\", \"a\": 0, \"o\": {}} ");
    ASSERT_TRUE(r.Value) << r.Error;
    const qv::JsonValue& v = *r.Value;
    ASSERT_TRUE(v.IsObject());
    ASSERT_EQ(v.Members().size(), 5u);
    const qv::JsonValue* a = v.Find("a");
    ASSERT_TRUE(a && a->IsArray()) << "the first of two equal names";
    ASSERT_EQ(a->Items().size(), 5u);
    EXPECT_EQ(a->Items()[0].AsInteger(0, 10), 1);
    EXPECT_EQ(a->Items()[1].AsNumber(), -250.0);
    EXPECT_EQ(a->Items()[1].AsInteger(-1000, 1000), -250);
    EXPECT_FALSE(a->Items()[0].AsInteger(2, 10)) << "outside the range asked for";
    EXPECT_EQ(a->Items()[2].AsBool(), true);
    EXPECT_EQ(a->Items()[3].AsBool(), false);
    EXPECT_TRUE(a->Items()[4].IsNull());
    EXPECT_EQ(*v.Find("s")->AsString(), "x\"\\/\n\t\xc3\xa9\xf0\x9f\x98\x80");
    EXPECT_EQ(*v.Find("lone")->AsString(), "\xef\xbf\xbd");
    EXPECT_FALSE(v.Find("missing"));
    EXPECT_FALSE(v.Find("s")->AsNumber());
    EXPECT_FALSE(qv::ParseJson("1.5").Value->AsInteger(0, 9));
}

TEST(JsonReader, RefusesBrokenTextSayingWhere) {
    for (const char* bad : {"", "{", "[1,]", "{\"a\" 1}", "{\"a\":1,}", "01", "1.", "1e", "-",
                            "tru", "nul", "\"abc", "\"a\x01\"", "\"\\x\"", "\"\\u12g4\"", "{1: 2}",
                            "[1] [2]", "\"\xc3\x28\"", "\"\xed\xa0\x80\""}) {
        const auto r = qv::ParseJson(bad);
        EXPECT_FALSE(r.Value) << bad;
        EXPECT_NE(r.Error.find(" at line "), std::string::npos) << bad;
    }
    EXPECT_NE(qv::ParseJson("[1,\n  x]").Error.find("line 2, column 3"), std::string::npos);
}

TEST(JsonReader, StopsAtItsDepthAndValueLimits) {
    const qv::JsonLimits limits{4, 10};
    EXPECT_TRUE(qv::ParseJson("[[[[1]]]]", limits).Value);
    EXPECT_NE(qv::ParseJson("[[[[[1]]]]]", limits).Error.find("deeper than 4"), std::string::npos);
    EXPECT_NE(qv::ParseJson("{\"a\":{\"b\":{\"c\":{\"d\":{}}}}}", limits).Error.find("deeper"),
              std::string::npos);
    EXPECT_TRUE(qv::ParseJson("[1,2,3,4,5,6,7,8,9]", limits).Value);
    EXPECT_NE(qv::ParseJson("[1,2,3,4,5,6,7,8,9,10]", limits).Error.find("more than 10 values"),
              std::string::npos);
    // The default depth holds a deep file without exhausting the stack.
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_FALSE(qv::ParseJson(deep).Value);
    // Numbers too large for a double stay very large rather than infinite.
    EXPECT_GT(*qv::ParseJson("1e999").Value->AsNumber(), 1e300);
    EXPECT_LT(*qv::ParseJson("-1e999").Value->AsNumber(), -1e300);
}

}  // namespace
