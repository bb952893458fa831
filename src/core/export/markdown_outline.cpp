#include "core/export/markdown_outline.h"

#include <array>
#include <cstdio>
#include <vector>

#include "core/commands/jump_history.h"
#include "core/export/json_canvas.h"
#include "core/model/frag_set.h"
#include "core/text/cp932.h"

namespace qv {

namespace {

// The cards the page shows.
class ShownCards final : public PaintVisitor {
  public:
    void Card(const Fragment& f, bool) override { cards.push_back(const_cast<Fragment*>(&f)); }
    std::vector<Fragment*> cards;
};

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// The lines of a card's text, empty ones left out: a blank line would end the list item.
std::vector<std::string_view> TextLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t end = text.find_first_of("\r\n", from);
        const std::string_view line =
            text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from);
        if (line.find_first_not_of(" \t") != std::string_view::npos) lines.push_back(line);
        if (end == std::string_view::npos) break;
        from = end + 1;
    }
    return lines;
}

// The lines of `text`, each escaped, joined by a hard line break that keeps the next line inside
// the list item (two spaces, the line end, the item's indent).
std::string EscapedLines(std::string_view text) {
    std::string out;
    for (std::string_view line : TextLines(text)) {
        if (!out.empty()) out += "  \n  ";
        out += MarkdownEscape(line);
    }
    return out;
}

// A group's name on one line: the name plate's lines joined by spaces.
std::string HeadingText(const FragSet& set, int g) {
    std::string name;
    if (const Fragment* plate = set.NamePlateOf(g)) {
        const std::string text = CardTextUtf8(*plate, set.Env());
        for (std::string_view line : TextLines(text)) {
            if (!name.empty()) name += ' ';
            name += MarkdownEscape(line);
        }
    }
    return name.empty() ? "グループ" + std::to_string(g) : name;
}

// Web addresses whose scheme readers open as a document; any other scheme is not followed.
bool KeepsScheme(std::string_view target) {
    const auto web = AsWebAddress(target);
    return web && (web->Scheme == "http" || web->Scheme == "https" || web->Scheme == "ftp" ||
                   web->Scheme == "file");
}

std::string Item(const Fragment& f, const EnvData& env) {
    const std::string text =
        EscapedLines(f.Kind == FragmentKind::Image ? std::string() : CardTextUtf8(f, env));
    if (f.Link.empty()) return text;
    const bool web = AsWebAddress(f.Link).has_value();
    const std::string target = web ? Cp932ToUtf8(f.Link) : CanvasFilePath(f.Link);
    return "[" + (text.empty() ? EscapedLines(target) : text) + "](" + MarkdownDestination(target) +
           ")";
}

void AppendItem(std::string& out, const std::string& item) {
    out += item.empty() ? "-\n" : "- " + item + "\n";
}

}  // namespace

std::string MarkdownEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    bool lineStart = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            out += c;
            lineStart = true;
            continue;
        }
        if (lineStart) {
            // Leading blanks would make code (four) or shift the line out of its item.
            if (c == ' ' || c == '\t') continue;
            lineStart = false;
            // "-", "+" and "=" start items, rules and heading underlines; digits followed by "."
            // or ")" an ordered item, whose mark is escaped instead.
            if (c == '-' || c == '+' || c == '=') {
                out += '\\';
            } else if (IsAsciiDigit(c)) {
                std::size_t j = i;
                while (j < text.size() && IsAsciiDigit(text[j]))
                    ++j;
                if (j < text.size() && (text[j] == '.' || text[j] == ')')) {
                    out.append(text.substr(i, j - i));
                    out += '\\';
                    out += text[j];
                    i = j;
                    continue;
                }
            }
        }
        switch (c) {
            // Emphasis, code, links, images, raw HTML, entities, headings, quotes, tables and
            // strike-through, wherever they stand.
            case '\\':
            case '`':
            case '*':
            case '_':
            case '[':
            case ']':
            case '<':
            case '>':
            case '!':
            case '&':
            case '#':
            case '|':
            case '~':
                out += '\\';
                break;
            default:
                break;
        }
        out += c;
    }
    return out;
}

std::string MarkdownDestination(std::string_view target) {
    std::string out;
    // A first part with a colon names a scheme; only the ones readers open as a page are kept.
    const std::size_t colon = target.find(':');
    const std::size_t slash = target.find('/');
    if (colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash) &&
        !KeepsScheme(target))
        out = "./";
    for (const char c : target) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F || c == '<' || c == '>' || c == '(' || c == ')' || c == '[' ||
            c == ']' || c == '"' || c == '\'' || c == '`' || c == '\\') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string MarkdownOutlineText(const FragSet& set) {
    const EnvData& env = set.Env();
    ShownCards shown;
    PaintScope scope;
    scope.SelectedLast = false;
    set.PaintOrder(shown, scope);

    // Each group's cards in reading order; the groups in the reading order of their first cards.
    std::array<std::vector<Fragment*>, kGroupRows> members;
    for (Fragment* f : shown.cards)
        if (FragSet::IsGroupNumber(f->Group))
            members[static_cast<std::size_t>(f->Group)].push_back(f);
    std::vector<Fragment*> firsts;
    for (int g = 1; g <= kMaxGroup; ++g) {
        std::vector<Fragment*>& list = members[static_cast<std::size_t>(g)];
        FragSet::SortByPosition(list);
        if (!list.empty()) firsts.push_back(list.front());
    }
    FragSet::SortByPosition(firsts);
    FragSet::SortByPosition(members[kNoGroup]);

    std::string out;
    std::array<std::string, kGroupRows> headings;
    for (const Fragment* first : firsts) {
        const int g = first->Group;
        const std::size_t row = static_cast<std::size_t>(g);
        headings[row] = HeadingText(set, g);
        if (!out.empty()) out += '\n';
        out += "## " + headings[row] + "\n\n";
        // The name plate that names the group is its heading.
        const Fragment* plate = set.NamePlateOf(g);
        for (const Fragment* f : members[row])
            if (f != plate) AppendItem(out, Item(*f, env));
    }
    if (!members[kNoGroup].empty()) {
        if (!out.empty()) out += '\n';
        out += "## " + std::string(kOutlineNoGroup) + "\n\n";
        for (const Fragment* f : members[kNoGroup])
            AppendItem(out, Item(*f, env));
    }

    std::string lines;
    for (const ArrowLine& line : set.GroupLines) {
        if (!FragSet::IsGroupNumber(line.From) || !FragSet::IsGroupNumber(line.To) ||
            headings[static_cast<std::size_t>(line.From)].empty() ||
            headings[static_cast<std::size_t>(line.To)].empty())
            continue;
        lines += "- " + headings[static_cast<std::size_t>(line.From)] + " → " +
                 headings[static_cast<std::size_t>(line.To)] + "\n";
    }
    if (!lines.empty()) {
        if (!out.empty()) out += '\n';
        out += "## " + std::string(kOutlineGroupLines) + "\n\n" + lines;
    }
    return out;
}

}  // namespace qv
