// The Markdown outline of a document, read back by a small outline reader that accepts only what
// the outline may hold (headings, list items, their continuation lines) and undoes the escapes:
// a card text that slips into Markdown syntax shows up as a line the reader refuses or as text
// that does not come back.
#include <gtest/gtest.h>

#include <sstream>

#include "core/export/markdown_outline.h"
#include "core/model/arrow_line.h"
#include "unit/model/fakes.h"

namespace {

using qv::test::TestDoc;

struct OutlineItem {
    std::string Text;         // unescaped, line breaks as "\n"
    std::string Destination;  // of a link item
};

struct OutlineSection {
    std::string Heading;
    std::vector<OutlineItem> Items;
};

bool IsPunct(char c) {
    return c > 0x20 && c < 0x7F && !std::isalnum(static_cast<unsigned char>(c));
}

// Whether inline text holds a mark Markdown would act on: an unescaped character of `marks`.
bool HasBareMark(std::string_view s, std::string_view marks) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && IsPunct(s[i + 1])) {
            ++i;
            continue;
        }
        if (marks.find(s[i]) != std::string_view::npos) return true;
    }
    return false;
}

// Whether a line's content would start a block of its own (heading, list, quote, rule, code).
bool StartsBlock(std::string_view s) {
    if (s.empty()) return false;
    if (s[0] == ' ' || s[0] == '\t') return true;
    if (std::string_view("#-+*=>`~|<_").find(s[0]) != std::string_view::npos) return true;
    std::size_t i = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        ++i;
    return i > 0 && i < s.size() && (s[i] == '.' || s[i] == ')');
}

std::string Unescape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && IsPunct(s[i + 1])) ++i;
        out += s[i];
    }
    return out;
}

// Reads an outline back; fails the test at the first line that is not part of one.
std::vector<OutlineSection> ReadOutline(const std::string& md) {
    std::vector<OutlineSection> sections;
    std::istringstream in(md);
    std::string line;
    std::string raw;  // the current item's escaped content, lines joined by "\n"
    bool inItem = false;
    bool hardBreak = false;
    auto finish = [&] {
        if (!inItem) return;
        inItem = false;
        OutlineItem item;
        std::string_view content = raw;
        // A link item: "[text](destination)" with the text's brackets escaped.
        if (!content.empty() && content.front() == '[' && content.back() == ')') {
            std::size_t close = std::string_view::npos;
            for (std::size_t i = 1; i < content.size(); ++i) {
                if (content[i] == '\\') {
                    ++i;
                } else if (content[i] == ']') {
                    close = i;
                    break;
                }
            }
            ASSERT_NE(close, std::string_view::npos) << raw;
            ASSERT_EQ(content[close + 1], '(') << raw;
            item.Destination = std::string(content.substr(close + 2, content.size() - close - 3));
            EXPECT_EQ(item.Destination.find_first_of(" ()<>\"\n"), std::string::npos) << raw;
            content = content.substr(1, close - 1);
        }
        EXPECT_FALSE(HasBareMark(content, "[]<>*_`!&#|~")) << raw;
        item.Text = Unescape(content);
        sections.back().Items.push_back(item);
    };
    while (std::getline(in, line)) {
        if (line.rfind("## ", 0) == 0) {
            finish();
            const std::string heading = line.substr(3);
            EXPECT_FALSE(StartsBlock(heading)) << line;
            EXPECT_FALSE(HasBareMark(heading, "[]<>*_`!&#|~")) << line;
            sections.push_back({Unescape(heading), {}});
        } else if (line == "-" || line.rfind("- ", 0) == 0) {
            finish();
            if (sections.empty()) {
                ADD_FAILURE() << "an item before any heading: " << line;
                return sections;
            }
            raw = line.size() > 2 ? line.substr(2) : std::string();
            EXPECT_FALSE(StartsBlock(raw)) << line;
            inItem = true;
        } else if (line.rfind("  ", 0) == 0 && line.size() > 2) {
            if (!inItem || !hardBreak) {
                ADD_FAILURE() << "a line outside an item: " << line;
                return sections;
            }
            const std::string rest = line.substr(2);
            EXPECT_FALSE(StartsBlock(rest)) << line;
            raw.resize(raw.size() - 2);  // the two spaces of the hard break
            raw += "\n" + rest;
        } else if (line.empty()) {
            finish();
        } else {
            ADD_FAILURE() << "not part of an outline: " << line;
        }
        hardBreak = line.size() >= 2 && line.compare(line.size() - 2, 2, "  ") == 0;
    }
    finish();
    return sections;
}

TEST(MarkdownEscape, KeepsLinesFromTurningIntoBlocksOrMarkup) {
    EXPECT_EQ(qv::MarkdownEscape("# a"), "\\# a");
    EXPECT_EQ(qv::MarkdownEscape("- a"), "\\- a");
    EXPECT_EQ(qv::MarkdownEscape("+ a"), "\\+ a");
    EXPECT_EQ(qv::MarkdownEscape("12. a"), "12\\. a");
    EXPECT_EQ(qv::MarkdownEscape("3) a"), "3\\) a");
    EXPECT_EQ(qv::MarkdownEscape("2026 年"), "2026 年") << "a number alone starts nothing";
    EXPECT_EQ(qv::MarkdownEscape("    code"), "code");
    EXPECT_EQ(qv::MarkdownEscape("==="), "\\===");
    EXPECT_EQ(qv::MarkdownEscape("a-b 1. c"), "a-b 1. c") << "only a line's start is escaped";
    EXPECT_EQ(qv::MarkdownEscape("x\n- y"), "x\n\\- y");
    EXPECT_EQ(qv::MarkdownEscape("<b>*[x](y)*</b> & \\"),
              "\\<b\\>\\*\\[x\\](y)\\*\\</b\\> \\& \\\\");
}

TEST(MarkdownDestination, NeitherEndsTheLinkNorRunsAScript) {
    EXPECT_EQ(qv::MarkdownDestination("https://example.com/a b(c)"),
              "https://example.com/a%20b%28c%29");
    EXPECT_EQ(qv::MarkdownDestination("javascript:alert(1)"), "./javascript:alert%281%29");
    EXPECT_EQ(qv::MarkdownDestination("JavaScript://x%0Aalert"), "./JavaScript://x%0Aalert");
    EXPECT_EQ(qv::MarkdownDestination("file:///home/u/a.txt"), "file:///home/u/a.txt");
    EXPECT_EQ(qv::MarkdownDestination("../pics/a:b.png"), "../pics/a:b.png");
    EXPECT_EQ(qv::MarkdownDestination("a\n<x>\"'\\"), "a%0A%3Cx%3E%22%27%5C");
    EXPECT_EQ(qv::MarkdownDestination("\xe8\xa1\xa8.csv"), "\xe8\xa1\xa8.csv");
}

TEST(MarkdownOutline, ReadsBackAsHeadingsAndItemsWithEveryCardText) {
    TestDoc doc;
    doc.env.Accept_CR = true;
    doc.env.CR_String = "\\n";
    // Group 1, named by its plate; its cards listed out of reading order.
    doc.Add("Ideas #1", 1, 10, 10, 8, 1, qv::FragmentKind::NamePlate);
    doc.Add("- not an item\\n1. nor this\\n\\n    nor code", 1, 10, 200, 8, 3);
    doc.Add("# not a heading", 1, 10, 60);
    doc.Add("right of the column", 1, 700, 40);
    // Group 2 without a name, right of group 1 and further down: its first card comes later.
    doc.Add("<script>alert(1)</script>", 2, 1500, 300, 12);
    qv::Fragment* evil = doc.Add("see [docs] **now**", 2, 1500, 340, 10);
    evil->Link = "javascript:alert(1)";
    qv::Fragment* web = doc.Add("", 2, 1500, 380);
    web->Link = "https://example.com/a b";
    qv::Fragment* file = doc.Add("\x95\x5c", 2, 1500, 420);  // 表
    file->Link = "..\\docs\\x.csv";
    doc.Add("free", 0, 50, 900);
    doc.Add("hidden", 3, 50, 600);
    doc.set.Recount();
    doc.set.SetGroupLine(2, 1);
    doc.set.SetGroupLine(1, 3);
    doc.set.GroupTable[3].Shown = false;
    doc.Refresh();

    const std::string md = qv::MarkdownOutlineText(doc.set);
    EXPECT_EQ(md.rfind("\xef\xbb\xbf", 0), std::string::npos) << "no byte-order mark";
    const std::vector<OutlineSection> outline = ReadOutline(md);
    ASSERT_EQ(outline.size(), 4u) << md;
    EXPECT_EQ(outline[0].Heading, "Ideas #1");
    EXPECT_EQ(outline[1].Heading, "グループ2");
    EXPECT_EQ(outline[2].Heading, "グループなし");
    EXPECT_EQ(outline[3].Heading, "グループ関係線");

    // The name plate is the heading, not an item; the column first, top to bottom.
    ASSERT_EQ(outline[0].Items.size(), 3u) << md;
    EXPECT_EQ(outline[0].Items[0].Text, "# not a heading");
    EXPECT_EQ(outline[0].Items[1].Text, "- not an item\n1. nor this\nnor code");
    EXPECT_EQ(outline[0].Items[2].Text, "right of the column");

    ASSERT_EQ(outline[1].Items.size(), 4u) << md;
    EXPECT_EQ(outline[1].Items[0].Text, "<script>alert(1)</script>");
    EXPECT_EQ(outline[1].Items[0].Destination, "");
    EXPECT_EQ(outline[1].Items[1].Text, "see [docs] **now**");
    EXPECT_EQ(outline[1].Items[1].Destination, "./javascript:alert%281%29");
    EXPECT_EQ(outline[1].Items[2].Text, "https://example.com/a b") << "the address names it";
    EXPECT_EQ(outline[1].Items[2].Destination, "https://example.com/a%20b");
    EXPECT_EQ(outline[1].Items[3].Text, "\xe8\xa1\xa8");
    EXPECT_EQ(outline[1].Items[3].Destination, "../docs/x.csv");

    ASSERT_EQ(outline[2].Items.size(), 1u);
    EXPECT_EQ(outline[2].Items[0].Text, "free");
    ASSERT_EQ(outline[3].Items.size(), 1u) << "no line to the hidden group";
    EXPECT_EQ(outline[3].Items[0].Text, "グループ2 → Ideas #1");
    EXPECT_EQ(md.find("hidden"), std::string::npos);
}

TEST(MarkdownOutline, AnEmptyPageIsAnEmptyFileAndLinesNeedBothGroups) {
    TestDoc doc;
    doc.Refresh();
    EXPECT_EQ(qv::MarkdownOutlineText(doc.set), "");
    doc.Add("only", 0, 10, 10);
    doc.Add("   ", 4, 10, 100);
    doc.Refresh();
    const std::vector<OutlineSection> outline = ReadOutline(qv::MarkdownOutlineText(doc.set));
    ASSERT_EQ(outline.size(), 2u);
    EXPECT_EQ(outline[0].Heading, "グループ4");
    ASSERT_EQ(outline[0].Items.size(), 1u) << "a card without text is still an item";
    EXPECT_EQ(outline[0].Items[0].Text, "");
    EXPECT_EQ(outline[1].Heading, "グループなし");
}

}  // namespace
