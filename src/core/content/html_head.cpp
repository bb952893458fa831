#include "core/content/html_head.h"

#include <initializer_list>

#include "core/content/japanese_codes.h"
#include "core/content/line_reader.h"
#include "core/text/sjis.h"
#include "core/text/text_helpers.h"

namespace qv {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

char LowerByte(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Byte-wise search ignoring ASCII letter case; `needle` is lower case. Used before the page is
// converted, when its encoding is not known yet, and for markup that starts with "<", a byte that
// is never the trail byte of a double-byte character.
std::size_t FindAsciiNoCase(std::string_view text, std::string_view needle, std::size_t from = 0) {
    if (needle.size() > text.size()) return npos;
    for (std::size_t p = from; p + needle.size() <= text.size(); ++p) {
        std::size_t i = 0;
        while (i < needle.size() && LowerByte(text[p + i]) == needle[i])
            ++i;
        if (i == needle.size()) return p;
    }
    return npos;
}

// Collects the page up to and including the head end tag ("</HEAD>" or "</head>"), lines joined
// without separators.
std::string CollectHead(LineReader& reader) {
    std::string text;
    std::string piece;
    while (reader.Next(piece)) {
        // The end tag may straddle two pieces of a long line.
        std::size_t from = text.size() >= 6 ? text.size() - 6 : 0;
        text += piece;
        std::size_t upper = text.find("</HEAD>", from);
        std::size_t lower = text.find("</head>", from);
        std::size_t end = upper < lower ? upper : lower;
        if (end != npos) {
            text.resize(end + 7);
            break;
        }
        if (text.size() >= kMaxHtmlHeadBytes) break;
    }
    return text;
}

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> labels) {
    for (auto label : labels) {
        if (sjis::EqualsNoCase(name, label)) return true;
    }
    return false;
}

std::string ConvertToSjis(std::string_view text, std::string_view charset) {
    // A byte-order mark says UTF-8 whatever the page declares.
    if (text.starts_with("\xEF\xBB\xBF") ||
        IsOneOf(charset, {"utf-8", "utf8", "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8",
                          "x-unicode20utf8"}))
        return Utf8ToAnsi(text);
    if (IsOneOf(charset, {"euc-jp", "x-euc-jp", "cseucpkdfmtjapanese"})) return EucToSjis(text);
    if (IsOneOf(charset, {"iso-2022-jp", "csiso2022jp"})) return JisToSjis(text);
    return std::string(text);
}

// Drops every "<!-- ... -->". An opener without a closer drops the rest of the text, so nothing
// commented out is ever extracted while the text before it stays usable.
std::string RemoveComments(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t p = 0;
    for (;;) {
        std::size_t open = text.find("<!--", p);
        if (open == npos) {
            out.append(text.substr(p));
            break;
        }
        out.append(text.substr(p, open - p));
        std::size_t close = text.find("-->", open + 4);
        if (close == npos) break;
        p = close + 3;
    }
    return out;
}

// The charset name after "charset" and "=" in `text`: the first word after the "=", past blanks
// and an opening quote, up to a quote, blank, ">", ";" or "/". False when there is none.
bool CharsetParameter(std::string_view text, std::string& name) {
    const std::size_t at = FindAsciiNoCase(text, "charset");
    if (at == npos) return false;
    std::size_t p = at + 7;
    while (p < text.size() && IsBlank(text[p]))
        ++p;
    if (p >= text.size() || text[p] != '=') return false;
    ++p;
    while (p < text.size() && IsBlank(text[p]))
        ++p;
    if (p < text.size() && (text[p] == '"' || text[p] == '\'')) ++p;
    std::size_t end = p;
    while (end < text.size() && !IsBlank(text[end]) &&
           std::string_view("\"'>;/").find(text[end]) == npos)
        ++end;
    name.assign(text.substr(p, end - p));
    return true;
}

// The charset the page declares for itself: the first META tag outside comments with a CHARSET
// attribute, or with HTTP-EQUIV="Content-Type" and a charset parameter in its CONTENT. A META
// named "charset", or the word in a title, declares nothing. False when the page declares none.
bool DeclaredCharset(std::string_view raw, std::string& name) {
    const std::string text = RemoveComments(raw);
    std::string_view rest = text;
    for (;;) {
        const std::size_t open = FindAsciiNoCase(rest, "<meta");
        if (open == npos) return false;
        rest.remove_prefix(open);
        const std::size_t close = rest.find('>');
        if (close == npos) return false;
        const std::string_view tag = rest.substr(0, close + 1);
        rest.remove_prefix(close + 1);
        const std::string charset = TagAttribute(tag, "META", "CHARSET");
        if (!charset.empty()) {
            // The value alone, cut as a parameter's would be ("utf-8/" written without quotes).
            std::string word;
            if (CharsetParameter("charset=" + charset, word)) {
                name = word;
                return true;
            }
        }
        if (!sjis::EqualsNoCase(TrimBlanks(TagAttribute(tag, "META", "HTTP-EQUIV")),
                                "content-type"))
            continue;
        if (CharsetParameter(TagAttribute(tag, "META", "CONTENT"), name)) return true;
    }
}

// The text of the first title element; false when there is none. The start tag may carry
// attributes ("<title lang=ja>").
bool FindTitle(std::string_view text, std::string& title) {
    std::size_t from = 0;
    for (;;) {
        std::size_t start = FindAsciiNoCase(text, "<title", from);
        if (start == npos || start + 6 >= text.size()) return false;
        char after = text[start + 6];
        if (after == '>' || IsBlank(after)) {
            std::size_t open = text.find('>', start + 6);
            if (open == npos) return false;
            std::size_t close = FindAsciiNoCase(text, "</title", open + 1);
            if (close == npos) return false;
            title.assign(text.substr(open + 1, close - open - 1));
            return true;
        }
        from = start + 1;
    }
}

void ExtractHead(std::string_view raw, NameValueList& list) {
    std::string charset;
    bool declared = DeclaredCharset(raw, charset);
    if (declared) list.push_back({"charset", charset});
    std::string text = RemoveComments(ConvertToSjis(raw, charset));

    std::string title;
    if (FindTitle(text, title)) list.push_back({"title", title});

    std::string_view rest = text;
    for (;;) {
        std::size_t open = rest.find('<');
        if (open == npos) break;
        rest.remove_prefix(open);
        std::size_t close = rest.find('>');
        if (close == npos) break;
        std::string_view tag = rest.substr(0, close + 1);
        std::string name = TagAttribute(tag, "META", "NAME");
        if (!name.empty()) {
            std::string content = TagAttribute(tag, "META", "CONTENT");
            if (!content.empty()) list.push_back({sjis::LowerAscii(name), content});
        }
        rest.remove_prefix(close + 1);
    }
}

}  // namespace

bool ReadHtmlHead(const std::filesystem::path& path, NameValueList& list) {
    list.clear();
    LineReader reader(path);
    if (!reader.ok()) return false;
    ExtractHead(CollectHead(reader), list);
    return true;
}

void ReadHtmlHeadFromBytes(std::string_view page, NameValueList& list) {
    list.clear();
    LineReader reader(page);
    ExtractHead(CollectHead(reader), list);
}

std::string TagAttribute(std::string_view tag, std::string_view tagName,
                         std::string_view attribute) {
    enum class State { Outside, TagName, AttributeName, BeforeValue, Value };
    State state = State::Outside;
    std::string name;
    std::string attr;
    std::string value;
    bool attrEnded = false;  // a blank followed the attribute name: a new word starts a new name
    // Whether `attr` holds a byte above the control range; kept as the name grows so that a long
    // run of control bytes between blanks is not trimmed over and over.
    bool attrHasText = false;
    char quote = 0;
    for (char c : tag) {
        switch (state) {
            case State::Outside:
                if (c == '<') {
                    name.clear();
                    state = State::TagName;
                }
                break;
            case State::TagName:
                if (c == '>') {
                    state = State::Outside;
                } else if (IsBlank(c)) {
                    name.assign(TrimControls(name));
                    attr.clear();
                    attrHasText = false;
                    attrEnded = false;
                    state = State::AttributeName;
                } else {
                    name += c;
                }
                break;
            case State::AttributeName:
                if (c == '=') {
                    attr.assign(TrimControls(attr));
                    state = State::BeforeValue;
                } else if (c == '>') {
                    state = State::Outside;
                } else if (IsBlank(c)) {
                    // A name without a value ("<meta itemprop name=...>") ends at the blank.
                    if (attrHasText) attrEnded = true;
                } else {
                    if (attrEnded) {
                        attr.clear();
                        attrHasText = false;
                    }
                    attrEnded = false;
                    attr += c;
                    if (static_cast<unsigned char>(c) > 0x20) attrHasText = true;
                }
                break;
            case State::BeforeValue:
                if (c == '>') {
                    state = State::Outside;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                    value.clear();
                    state = State::Value;
                } else if (!IsBlank(c)) {
                    quote = 0;
                    value.assign(1, c);
                    state = State::Value;
                }
                break;
            case State::Value: {
                bool end = quote ? c == quote : (IsBlank(c) || c == '>');
                if (!end) {
                    value += c;
                    break;
                }
                if (sjis::EqualsNoCase(name, tagName) && sjis::EqualsNoCase(attr, attribute))
                    return value;
                attr.clear();
                attrHasText = false;
                attrEnded = false;
                state = (!quote && c == '>') ? State::Outside : State::AttributeName;
                break;
            }
        }
    }
    return {};
}

}  // namespace qv
