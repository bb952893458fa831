#include "core/export/json_canvas.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/commands/jump_history.h"
#include "core/model/arrow_line.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/text/cp932.h"
#include "core/text/json_writer.h"
#include "core/text/sjis.h"

namespace qv {

namespace {

// What the page picture shows, gathered in painting order: the canvas lists nodes bottom to top
// as they are drawn.
class CanvasParts final : public PaintVisitor {
  public:
    void DivisionLines() override {}
    void Card(const Fragment& f, bool) override { cards.push_back(&f); }
    void Frame(int, const GroupEntry&) override {}
    void GroupLine(int, const ArrowLine& line, bool) override { lines.push_back(&line); }

    std::vector<const Fragment*> cards;
    std::vector<const ArrowLine*> lines;
};

void Box(JsonWriter& json, const Rect& r) {
    json.Key("x").Int(r.Left);
    json.Key("y").Int(r.Top);
    json.Key("width").Int(r.Width());
    json.Key("height").Int(r.Height());
}

void ColorKey(JsonWriter& json, std::string_view key, Color c) {
    const std::string hex = CanvasColor(c);
    if (!hex.empty()) json.Key(key).String(hex);
}

// An edge's arrow ends by line type. Heads pointing inwards have no form in a canvas; the line
// keeps its own type under "qvLineType".
std::pair<const char*, const char*> LineEnds(int type) {
    switch (SanitizeLineType(type)) {
        case kLineArrow:
            return {"none", "arrow"};
        case kLineDoubleArrow:
            return {"arrow", "arrow"};
        default:
            return {"none", "none"};
    }
}

// The side of `r` nearest to `p`: where a line leaves or meets its frame, so that readers route
// the edge as the page draws it.
const char* NearestSide(const Rect& r, Point p) {
    const int left = std::abs(p.X - r.Left), right = std::abs(p.X - r.Right);
    const int top = std::abs(p.Y - r.Top), bottom = std::abs(p.Y - r.Bottom);
    const int best = std::min({left, right, top, bottom});
    if (best == top) return "top";
    if (best == bottom) return "bottom";
    if (best == left) return "left";
    return "right";
}

// Groups 1 … 100; 0 is "no group".
bool InGroup(int g) {
    return g >= 1 && g <= kMaxGroup;
}

}  // namespace

std::string CardTextUtf8(const Fragment& f, const EnvData& env) {
    std::string_view text = f.Text;
    std::string bytes;
    const std::string_view marker = env.CR_String;
    if (env.Accept_CR && !marker.empty()) {
        std::size_t from = 0;
        for (std::size_t at; (at = sjis::Find(text, marker, from)) != std::string_view::npos;
             from = at + marker.size()) {
            bytes.append(text.substr(from, at - from));
            bytes += '\n';
        }
        bytes.append(text.substr(from));
        text = bytes;
    }
    return Cp932ToUtf8(text);
}

std::string CanvasColor(Color c) {
    if (c == kNoColor || IsSystemColor(c) || (c & 0xFF000000) != 0) return {};
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", RedOf(c), GreenOf(c), BlueOf(c));
    return buf;
}

std::string CanvasFilePath(std::string_view link) {
    std::string path;
    path.reserve(link.size());
    // A backslash is a folder separator unless it is the trail byte of a character.
    for (std::size_t pos = 0; pos < link.size(); pos = sjis::NextChar(link, pos)) {
        const std::size_t n = sjis::CharLength(link, pos);
        if (n == 1 && link[pos] == '\\')
            path += '/';
        else
            path.append(link.substr(pos, n));
    }
    return Cp932ToUtf8(path);
}

std::string JsonCanvasText(const FragSet& set) {
    const EnvData& env = set.Env();
    CanvasParts parts;
    PaintScope scope;
    scope.SelectedLast = false;
    set.PaintOrder(parts, scope);

    // Groups with a card on the canvas; the frame's rectangle (members grown by the frame margin)
    // encloses them as the picture shows.
    std::array<bool, kGroupRows> used{};
    for (const Fragment* f : parts.cards)
        if (InGroup(f->Group)) used[static_cast<std::size_t>(f->Group)] = true;
    for (int g = 1; g <= kMaxGroup; ++g) {
        const GroupEntry& e = set.GroupTable[static_cast<std::size_t>(g)];
        if (e.Bounds.IsEmpty()) used[static_cast<std::size_t>(g)] = false;
    }

    JsonWriter json;
    json.BeginObject();
    json.Key("nodes").BeginArray();
    for (int g = 1; g <= kMaxGroup; ++g) {
        if (!used[static_cast<std::size_t>(g)]) continue;
        const GroupEntry& e = set.GroupTable[static_cast<std::size_t>(g)];
        json.BeginObject();
        json.Key("id").String("group-" + std::to_string(g));
        json.Key("type").String("group");
        Box(json, e.Bounds);
        const std::string name = set.GroupNameText(g);
        if (!name.empty()) json.Key("label").Cp932(name);
        ColorKey(json, "color", env.Colors.GroupFrame);
        json.Key("qvGroup").Int(g);
        json.EndObject();
    }
    // Card numbers are their places in the document's list, so a card keeps its id from one
    // export to the next while the list does not change.
    std::size_t index = 0;
    const auto& all = set.Fragments();
    for (const Fragment* f : parts.cards) {
        while (index < all.size() && all[index].get() != f)
            ++index;
        json.BeginObject();
        json.Key("id").String("card-" + std::to_string(index + 1));
        const bool web = !f->Link.empty() && AsWebAddress(f->Link).has_value();
        const bool picture = f->Kind == FragmentKind::Image;
        if (picture || (!f->Link.empty() && !web)) {
            json.Key("type").String("file");
            Box(json, f->DocRect());
            const std::string file = CanvasFilePath(f->Link);
            json.Key("file").String(file);
            json.Key("qvPicture").Bool(picture);
            // The link as the card spells it, when the canvas path had to change it.
            if (Cp932ToUtf8(f->Link) != file) json.Key("qvLink").Cp932(f->Link);
            if (!picture || !f->Text.empty()) json.Key("qvText").String(CardTextUtf8(*f, env));
        } else if (web) {
            json.Key("type").String("link");
            Box(json, f->DocRect());
            json.Key("url").Cp932(f->Link);
            json.Key("qvText").String(CardTextUtf8(*f, env));
        } else {
            json.Key("type").String("text");
            Box(json, f->DocRect());
            json.Key("text").String(CardTextUtf8(*f, env));
        }
        if (!picture) ColorKey(json, "color", f->ColBG);
        if (f->Kind == FragmentKind::NamePlate) json.Key("qvNamePlate").Bool(true);
        if (f->Kind == FragmentKind::Symbol) json.Key("qvSymbol").Bool(true);
        // What a canvas cannot hold: the group (0 for none, which a frame around the card
        // would otherwise claim), the size in columns and lines (a picture's scale) and both
        // colours as stored.
        json.Key("qvGroup").Int(InGroup(f->Group) ? f->Group : 0);
        json.Key("qvColumns").Int(f->Columns);
        json.Key("qvLines").Int(f->Lines);
        json.Key("qvColFG").Int(ColorToSigned(f->ColFG));
        json.Key("qvColBG").Int(ColorToSigned(f->ColBG));
        json.EndObject();
    }
    json.EndArray();

    json.Key("edges").BeginArray();
    for (const ArrowLine* drawn : parts.lines) {
        const ArrowLine& line = *drawn;
        if (!InGroup(line.From) || !InGroup(line.To) ||
            !used[static_cast<std::size_t>(line.From)] || !used[static_cast<std::size_t>(line.To)])
            continue;
        const auto [fromEnd, toEnd] = LineEnds(line.Type);
        json.BeginObject();
        json.Key("id").String("line-" + std::to_string(&line - set.GroupLines.data() + 1));
        json.Key("fromNode").String("group-" + std::to_string(line.From));
        json.Key("toNode").String("group-" + std::to_string(line.To));
        json.Key("fromSide")
            .String(NearestSide(set.GroupTable[static_cast<std::size_t>(line.From)].Bounds,
                                line.DocStart));
        json.Key("toSide").String(
            NearestSide(set.GroupTable[static_cast<std::size_t>(line.To)].Bounds, line.DocEnd));
        json.Key("fromEnd").String(fromEnd);
        json.Key("toEnd").String(toEnd);
        ColorKey(json, "color", env.Colors.GroupLine);
        json.Key("qvLineType").Int(SanitizeLineType(line.Type));
        json.Key("qvLineWidth").Int(line.Width);
        json.EndObject();
    }
    json.EndArray();
    if (set.FixedSize) {
        json.Key("qvPageWidth").Int(set.FixedWidth);
        json.Key("qvPageHeight").Int(set.FixedHeight);
    }
    if (set.DivColumns > 1 || set.DivRows > 1) {
        json.Key("qvDivColumns").Int(set.DivColumns);
        json.Key("qvDivRows").Int(set.DivRows);
    }
    json.EndObject();
    std::string text = json.str();
    text += '\n';
    return text;
}

}  // namespace qv
