#include "core/content/html_head.h"

#include <gtest/gtest.h>

#include <string>

#include "temp_dir.h"

namespace qv {
namespace {

// "漢字" in code page 932 and in the encodings a page may declare.
const std::string kKanjiSjis = "\x8A\xBF\x8E\x9A";
const std::string kKanjiEuc = "\xB4\xC1\xBB\xFA";
const std::string kKanjiUtf8 = "\xE6\xBC\xA2\xE5\xAD\x97";
const std::string kKanjiJis = "\x1B$B4A;z\x1B(B";

NameValueList Head(std::string_view page) {
    NameValueList list;
    ReadHtmlHeadFromBytes(page, list);
    return list;
}

std::string Dump(const NameValueList& list) {
    std::string out;
    for (const auto& e : list)
        out += e.Name + "=" + e.Value + "|";
    return out;
}

TEST(ReadHtmlHead, JoinsLinesWithoutSeparatorsAndStopsAtTheHeadEndTag) {
    auto list = Head(
        "<html><head><ti\r\ntle>Ab\nc</title>\n<meta name=\"Description\"\ncontent=\"x\">\r\n"
        "</head><body><meta name=\"keywords\" content=\"late\"></body>");
    EXPECT_EQ(Dump(list), "title=Abc|description=x|");
}

TEST(ReadHtmlHead, RecognisesTheHeadEndTagInUpperOrLowerCaseOnly) {
    std::string tail = "<meta name=k content=v>";
    EXPECT_EQ(Dump(Head("<title>t</title></HEAD>" + tail)), "title=t|");
    EXPECT_EQ(Dump(Head("<title>t</title></head>" + tail)), "title=t|");
    // Any other spelling is not taken as the end: the page is read on.
    EXPECT_EQ(Dump(Head("<title>t</title></Head>" + tail)), "title=t|k=v|");
}

TEST(ReadHtmlHead, FindsAHeadEndTagSplitBetweenPiecesOfALongLine) {
    // The first piece of the line ends inside the end tag.
    std::string page = "<title>t</title>" + std::string(1999 - 16 - 4, ' ') + "</HEAD>" +
                       "<meta name=k content=v>";
    EXPECT_EQ(Dump(Head(page)), "title=t|");
}

TEST(ReadHtmlHead, ConvertsTheDeclaredJapaneseEncodings) {
    auto euc = Head(
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">"
        "<title>" +
        kKanjiEuc + "</title><meta name=\"description\" content=\"" + kKanjiEuc + "\"></head>");
    EXPECT_EQ(Dump(euc), "charset=EUC-JP|title=" + kKanjiSjis + "|description=" + kKanjiSjis + "|");

    auto jis =
        Head("<meta http-equiv=content-type content='text/html;charset=iso-2022-jp'><title>" +
             kKanjiJis + "</title></head>");
    EXPECT_EQ(Dump(jis), "charset=iso-2022-jp|title=" + kKanjiSjis + "|");

    auto unknown = Head("<meta charset=Shift_JIS><title>" + kKanjiSjis + "</title>");
    EXPECT_EQ(Dump(unknown), "charset=Shift_JIS|title=" + kKanjiSjis + "|");
}

TEST(ReadHtmlHead, ReadsCharsetsQuotedOrSpacedAfterTheEqualsSign) {
    EXPECT_EQ(Dump(Head("<meta charset=\"utf-8\"><title>" + kKanjiUtf8 + "</title>")),
              "charset=utf-8|title=" + kKanjiSjis + "|");
    EXPECT_EQ(Dump(Head("<meta charset = 'x-euc-jp' /><title>" + kKanjiEuc + "</title>")),
              "charset=x-euc-jp|title=" + kKanjiSjis + "|");
    // "charset" without any "=" after it declares nothing.
    EXPECT_EQ(Dump(Head("<title>charset</title>")), "title=charset|");
    // A byte-order mark means UTF-8 even without a declaration.
    EXPECT_EQ(Dump(Head("\xEF\xBB\xBF<title>" + kKanjiUtf8 + "</title>")),
              "title=" + kKanjiSjis + "|");
}

TEST(ReadHtmlHead, OnlyACharsetAttributeOrAContentTypeDeclaresTheEncoding) {
    // A META that is named "charset" is data, not the page's encoding: the page stays as it is.
    EXPECT_EQ(
        Dump(Head("<meta name=\"charset\" content=\"EUC-JP\"><title>" + kKanjiSjis + "</title>")),
        "title=" + kKanjiSjis + "|charset=EUC-JP|");
    // Nor does a charset parameter in another META's content, a title or a comment.
    EXPECT_EQ(Dump(Head("<meta name=x content='charset=euc-jp'><title>" + kKanjiSjis + "</title>")),
              "title=" + kKanjiSjis + "|x=charset=euc-jp|");
    EXPECT_EQ(Dump(Head("<title>charset=euc-jp " + kKanjiSjis + "</title>")),
              "title=charset=euc-jp " + kKanjiSjis + "|");
    EXPECT_EQ(Dump(Head("<!-- <meta charset=euc-jp> --><title>" + kKanjiSjis + "</title>")),
              "title=" + kKanjiSjis + "|");
    // The declaration counts wherever it stands among the META tags.
    EXPECT_EQ(Dump(Head("<meta name=\"charset\" content=\"sjis\"><meta charset=euc-jp/><title>" +
                        kKanjiEuc + "</title>")),
              "charset=euc-jp|title=" + kKanjiSjis + "|charset=sjis|");
    EXPECT_EQ(
        Dump(Head("<META HTTP-EQUIV=' Content-Type ' CONTENT='text/html; charset = \"EUC-JP\"'>"
                  "<title>" +
                  kKanjiEuc + "</title>")),
        "charset=EUC-JP|title=" + kKanjiSjis + "|");
}

TEST(ReadHtmlHead, KeepsMetaPairsInOrderWithLowerCaseNames) {
    auto list = Head(
        "<META NAME=\"Description\" CONTENT=\"abc\">"
        "<meta content=\"only content\">"
        "<meta name=\"only-name\">"
        "<meta name=\"empty\" content=\"\">"
        "<meta http-equiv=\"refresh\" content=\"5\">"
        "<meta name=Keywords content=a,b>"
        "<meta\tname='author'\tcontent='O\"Brien'>"
        "<link name=\"x\" content=\"not a meta\">");
    EXPECT_EQ(Dump(list), "description=abc|keywords=a,b|author=O\"Brien|");
    EXPECT_EQ(LookupValue(list, "DESCRIPTION"), "abc");
    EXPECT_EQ(LookupValue(list, "title"), "");
}

TEST(ReadHtmlHead, IgnoresCommentedMarkup) {
    EXPECT_EQ(Dump(Head("<!-- <title>old</title> --><title>new</title>")), "title=new|");
    // A stray closer before the first comment does not stop the removal.
    EXPECT_EQ(Dump(Head("a --> <!-- <meta name=x content=y> --><meta name=k content=v>")), "k=v|");
    // An unterminated comment hides what follows it but not what precedes it.
    EXPECT_EQ(Dump(Head("<title>t</title><!-- <meta name=x content=y>")), "title=t|");
}

TEST(ReadHtmlHead, FindsTheTitleInAnyLetterCase) {
    EXPECT_EQ(Dump(Head("<title> A b </TiTlE>")), "title= A b |");
    EXPECT_EQ(Dump(Head("<TITLE lang=\"ja\">x</title >")), "title=x|");
    EXPECT_EQ(Dump(Head("<titles>no</titles><title>yes</title>")), "title=yes|");
    EXPECT_EQ(Dump(Head("</title><title>late")), "");
    EXPECT_EQ(Dump(Head("")), "");
}

TEST(ReadHtmlHead, ReadsAPageWithoutAHeadEndOnlyUpToTheLimit) {
    std::string page =
        "<title>t</title>\n" + std::string(kMaxHtmlHeadBytes, 'x') + "\n<meta name=k content=v>";
    EXPECT_EQ(Dump(Head(page)), "title=t|");
}

TEST(ReadHtmlHead, ReadsFilesAndFailsOnlyWhenTheFileCannotBeOpened) {
    test::TempDir dir;
    auto path = dir.Write("page.html", "<html>\r\n<head>\r\n<title>File</title>\r\n</head>\r\n");
    NameValueList list{{"stale", "entry"}};
    EXPECT_TRUE(ReadHtmlHead(path, list));
    EXPECT_EQ(Dump(list), "title=File|");

    EXPECT_FALSE(ReadHtmlHead(dir.path() / "missing.html", list));
    EXPECT_TRUE(list.empty());
    list.push_back({"stale", "entry"});
    EXPECT_FALSE(ReadHtmlHead(dir.path(), list));  // a folder
    EXPECT_TRUE(list.empty());
}

TEST(TagAttribute, ReadsQuotedSingleQuotedAndBareValues) {
    EXPECT_EQ(TagAttribute("<META NAME=\"a b\" CONTENT=\"c\">", "meta", "content"), "c");
    EXPECT_EQ(TagAttribute("<meta name='a \"b\"'>", "META", "NAME"), "a \"b\"");
    EXPECT_EQ(TagAttribute("<meta name=abc>", "META", "NAME"), "abc");
    EXPECT_EQ(TagAttribute("<meta name=abc content=d>", "META", "CONTENT"), "d");
    EXPECT_EQ(TagAttribute("<meta  name  =  \"x\"  >", "META", "NAME"), "x");
    EXPECT_EQ(TagAttribute("<meta\r\nname=\"x\">", "META", "NAME"), "x");
    EXPECT_EQ(TagAttribute("<meta name=\"a>b\">", "META", "NAME"), "a>b");
    // A double-byte value whose trail bytes look like "\" and "|" stays whole.
    EXPECT_EQ(TagAttribute("<meta name=\"\x95\x5C\x83\x7C\">", "META", "NAME"), "\x95\x5C\x83\x7C");
}

TEST(TagAttribute, MatchesOnlyTheWantedTagAndAttribute) {
    EXPECT_EQ(TagAttribute("<link name=\"x\">", "META", "NAME"), "");
    EXPECT_EQ(TagAttribute("<metadata name=\"x\">", "META", "NAME"), "");
    EXPECT_EQ(TagAttribute("<meta names=\"x\">", "META", "NAME"), "");
    EXPECT_EQ(TagAttribute("<meta content=\"x\">", "META", "NAME"), "");
    // Attributes without a value, or after a closing quote without a blank.
    EXPECT_EQ(TagAttribute("<meta itemprop name=\"x\">", "META", "NAME"), "x");
    EXPECT_EQ(TagAttribute("<meta content=\"c\"name=\"x\">", "META", "NAME"), "x");
    // The first matching attribute wins.
    EXPECT_EQ(TagAttribute("<meta name=a name=b>", "META", "NAME"), "a");
}

TEST(TagAttribute, ControlBytesAroundNamesAreNoWordsOfTheirOwn) {
    // Control bytes between blanks never end a name: they join the next word and are trimmed.
    EXPECT_EQ(TagAttribute("<meta \x01 \x02\t\x03name=x>", "META", "NAME"), "x");
    EXPECT_EQ(TagAttribute("<meta \x01 name \x02 content=y>", "META", "CONTENT"), "y");
    EXPECT_EQ(TagAttribute("<meta itemprop \x01name=z>", "META", "NAME"), "z");
    EXPECT_EQ(TagAttribute("<\x01meta\x01 name=w>", "META", "NAME"), "w");
    // A megabyte of them (once minutes of work) still finds the attribute after them.
    std::string tag = "<meta ";
    for (int i = 0; i < 1 << 19; ++i)
        tag += "\x01 ";
    tag += "name=v>";
    EXPECT_EQ(TagAttribute(tag, "META", "NAME"), "v");
}

TEST(TagAttribute, GivesNothingForBrokenTags) {
    EXPECT_EQ(TagAttribute("<meta name=\"open", "META", "NAME"), "");
    EXPECT_EQ(TagAttribute("<meta name=", "META", "NAME"), "");
    EXPECT_EQ(TagAttribute("<meta name>", "META", "NAME"), "");
}

}  // namespace
}  // namespace qv
