#include "core/text/unicode.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text/json_writer.h"

namespace qv {
namespace {

TEST(Utf8CharLength, AcceptsOnlyWellFormedCharacters) {
    EXPECT_EQ(Utf8CharLength("A"), 1u);
    EXPECT_EQ(Utf8CharLength("\xC3\xA9x"), 2u);         // é
    EXPECT_EQ(Utf8CharLength("\xE8\xA1\xA8"), 3u);      // 表
    EXPECT_EQ(Utf8CharLength("\xF0\x9F\x98\x80"), 4u);  // 😀
    EXPECT_EQ(Utf8CharLength("\xF4\x8F\xBF\xBF"), 4u);  // U+10FFFF
    EXPECT_EQ(Utf8CharLength("\xED\x9F\xBF"), 3u);      // U+D7FF, just below the surrogates
    EXPECT_EQ(Utf8CharLength(""), 0u);
    EXPECT_EQ(Utf8CharLength("\x80"), 0u);              // stray continuation
    EXPECT_EQ(Utf8CharLength("\xC0\xAF"), 0u);          // overlong "/"
    EXPECT_EQ(Utf8CharLength("\xE0\x80\xAF"), 0u);      // overlong
    EXPECT_EQ(Utf8CharLength("\xF0\x80\x80\xAF"), 0u);  // overlong
    EXPECT_EQ(Utf8CharLength("\xED\xA0\x80"), 0u);      // surrogate U+D800
    EXPECT_EQ(Utf8CharLength("\xF4\x90\x80\x80"), 0u);  // above U+10FFFF
    EXPECT_EQ(Utf8CharLength("\xF5\x80\x80\x80"), 0u);
    EXPECT_EQ(Utf8CharLength("\xE8\xA1"), 0u);      // cut short
    EXPECT_EQ(Utf8CharLength("\xE8\x41\xA8"), 0u);  // ASCII inside
    EXPECT_EQ(Utf8CharLength("\x95\x5C"), 0u);      // 表 in code page 932
}

TEST(Utf16ToUtf8, ReadsBothByteOrdersWithPairsAndMarksWhatIsBroken) {
    // "A表😀" little-endian and big-endian.
    const std::string le(
        "\xFF\xFE"
        "A\0"
        "\x68\x88"
        "\x3D\xD8\x00\xDE",
        10);
    const std::string be(
        "\xFE\xFF"
        "\0A"
        "\x88\x68"
        "\xD8\x3D\xDE\x00",
        10);
    const std::string want =
        "\xEF\xBB\xBF"
        "A\xE8\xA1\xA8\xF0\x9F\x98\x80";
    EXPECT_EQ(Utf16ToUtf8(le), want);
    EXPECT_EQ(Utf16ToUtf8(be), want);
    // A lone high surrogate, a lone low one and a last odd byte each become U+FFFD.
    const std::string broken(
        "\xFF\xFE"
        "\x3D\xD8"
        "A\0"
        "\x00\xDE"
        "B",
        9);
    EXPECT_EQ(Utf16ToUtf8(broken),
              "\xEF\xBB\xBF\xEF\xBF\xBD"
              "A\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8("\xFF\xFE"), "\xEF\xBB\xBF");
    // Without a UTF-16 mark: not UTF-16.
    EXPECT_FALSE(
        Utf16ToUtf8("\xEF\xBB\xBF"
                    "abc"));
    EXPECT_FALSE(Utf16ToUtf8(std::string("A\0", 2)));
    EXPECT_FALSE(Utf16ToUtf8("\xFF"));
}

TEST(EscapeForTerminal, EscapesWhatATerminalWouldActOnAndKeepsTheRest) {
    EXPECT_EQ(EscapeForTerminal("plain \xE8\xA1\xA8 C:\\dir"), "plain \xE8\xA1\xA8 C:\\dir");
    EXPECT_EQ(EscapeForTerminal("a\x1B]0;title\x07"
                                "b"),
              "a\\x1b]0;title\\x07b");
    EXPECT_EQ(EscapeForTerminal("1\n2\t3\r4\x7F"), "1\\n2\\t3\\x0d4\\x7f");
    // C1 controls (CSI), the bidirectional overrides and line separators as \u escapes.
    EXPECT_EQ(EscapeForTerminal("\xC2\x9B"
                                "31m"),
              "\\u009b31m");
    EXPECT_EQ(EscapeForTerminal("abc\xE2\x80\xAE"
                                "fdp.exe"),
              "abc\\u202efdp.exe");
    EXPECT_EQ(EscapeForTerminal("\xE2\x81\xA6x\xE2\x80\xA8"), "\\u2066x\\u2028");
    // Bytes that are not UTF-8 (a code page 932 name, a raw C1 byte) as bytes.
    EXPECT_EQ(EscapeForTerminal("\x95\x5C.csv"), "\\x95\\.csv");
    EXPECT_EQ(EscapeForTerminal("\x9B"
                                "2J"),
              "\\x9b2J");
    EXPECT_EQ(EscapeForTerminal(std::string("a\0b", 3)), "a\\x00b");
}

TEST(EscapeJson, IsAlwaysValidUtf8) {
    EXPECT_EQ(EscapeJson("\xE8\xA1\xA8\xF0\x9F\x98\x80"), "\"\xE8\xA1\xA8\xF0\x9F\x98\x80\"");
    // Each byte outside a well-formed character stands as U+FFFD; nothing else is lost.
    EXPECT_EQ(EscapeJson("/tmp/\x95\x5C.csv"), "\"/tmp/\xEF\xBF\xBD\\\\.csv\"");
    EXPECT_EQ(EscapeJson("\xE8\xA1"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
    EXPECT_EQ(EscapeJson("\xED\xA0\x80x"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDx\"");
    EXPECT_EQ(EscapeJson("q\"\x01\n"), "\"q\\\"\\u0001\\n\"");
    JsonWriter json;
    json.BeginObject().Key("path\xFF").String("a\xC0\xAF").EndObject();
    EXPECT_EQ(json.str(), "{\"path\xEF\xBF\xBD\": \"a\xEF\xBF\xBD\xEF\xBF\xBD\"}");
}

}  // namespace
}  // namespace qv
