#include "core/io/canvas_import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/dialogs/memo_text.h"
#include "core/export/json_canvas.h"
#include "core/fs/file_identity.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/text/cp932.h"
#include "core/text/json_reader.h"
#include "core/text/sjis.h"

namespace qv {

namespace {

// Sizes a card may be given, as in a fragment file.
constexpr int kMaxColumns = 40;
constexpr int kMaxLines = 20;
// A group's frame lies this far outside its cards; a name plate made from a label sits this far
// inside the group's rectangle.
constexpr int kFrameMargin = 16;
// Coordinates beyond this are the same as this: far past any page, and safe to add up.
constexpr double kFarAway = 1e15;
constexpr std::int64_t kLargestSide = std::int64_t{1} << 31;

// The preset colours "1" … "6": red, orange, yellow, green, cyan, purple, light enough to read
// black text on.
constexpr std::array<Color, 6> kPresetColors = {Rgb(255, 160, 160), Rgb(255, 200, 140),
                                                Rgb(255, 240, 140), Rgb(170, 230, 160),
                                                Rgb(150, 225, 235), Rgb(210, 175, 240)};

enum class NodeType { Text, File, Link, Group };

struct Node {
    const JsonValue* Object = nullptr;
    const std::string* Id = nullptr;
    NodeType Type = NodeType::Text;
    std::int64_t X = 0, Y = 0, W = 1, H = 1;

    // Whether the rectangle holds the point (twice the coordinates, so centres stay whole).
    bool HoldsDoubled(std::int64_t x2, std::int64_t y2) const {
        return x2 >= 2 * X && x2 < 2 * (X + W) && y2 >= 2 * Y && y2 < 2 * (Y + H);
    }
    std::int64_t Area() const { return W * H; }
};

std::optional<std::int64_t> Coordinate(const JsonValue& node, std::string_view key) {
    const JsonValue* v = node.Find(key);
    const auto n = v ? v->AsNumber() : std::nullopt;
    if (!n) return std::nullopt;
    return static_cast<std::int64_t>(std::llround(std::clamp(*n, -kFarAway, kFarAway)));
}

const std::string* StringKey(const JsonValue& node, std::string_view key) {
    const JsonValue* v = node.Find(key);
    return v ? v->AsString() : nullptr;
}

std::optional<long long> IntKey(const JsonValue& node, std::string_view key, long long lo,
                                long long hi) {
    const JsonValue* v = node.Find(key);
    return v ? v->AsInteger(lo, hi) : std::nullopt;
}

bool BoolKey(const JsonValue& node, std::string_view key) {
    const JsonValue* v = node.Find(key);
    return v && v->AsBool().value_or(false);
}

std::optional<Color> CanvasColorValue(const std::string* text) {
    if (!text) return std::nullopt;
    if (text->size() == 1 && (*text)[0] >= '1' && (*text)[0] <= '6')
        return kPresetColors[static_cast<std::size_t>((*text)[0] - '1')];
    if (text->size() != 7 || (*text)[0] != '#') return std::nullopt;
    unsigned v = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        const char c = (*text)[i];
        v <<= 4;
        if (c >= '0' && c <= '9')
            v |= static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            v |= static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            v |= static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
    }
    return Rgb(static_cast<int>(v >> 16), static_cast<int>((v >> 8) & 0xFF),
               static_cast<int>(v & 0xFF));
}

// A stored colour under one of our keys (signed decimal, as in a fragment file).
std::optional<Color> OwnColor(const JsonValue& node, std::string_view key) {
    const auto v = IntKey(node, key, std::numeric_limits<std::int32_t>::min(),
                          std::numeric_limits<std::uint32_t>::max());
    if (!v) return std::nullopt;
    return ColorFromSigned(*v);
}

bool IsPictureName(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos)
        return false;
    const std::string ext = sjis::UpperAscii(path.substr(dot));
    for (std::string_view known : {".BMP", ".JPG", ".JPE", ".JPEG", ".ICO", ".PNG", ".GIF"})
        if (ext == known) return true;
    return false;
}

std::string_view BaseName(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Whole characters of `text` within `limit` bytes.
std::string_view CutToLength(std::string_view text, std::size_t limit) {
    std::size_t end = 0;
    for (std::size_t next; end < text.size() && (next = sjis::NextChar(text, end)) <= limit;)
        end = next;
    return text.substr(0, end);
}

// Whether a group label is the name the export gives a group without name plate ("グループ  3").
bool IsDefaultGroupName(const std::string& label, std::optional<long long> number) {
    if (!number) return false;
    char digits[8];
    std::snprintf(digits, sizeof digits, " %2u", static_cast<unsigned>(*number));
    return label == Cp932ToUtf8(std::string(kGroupWord) + digits);
}

// The scale n / d (within the card limits) nearest to `ratio`.
std::pair<int, int> NearestScale(double ratio) {
    std::pair<int, int> best{1, 1};
    double error = std::abs(ratio - 1.0);
    for (int d = 1; d <= kMaxLines; ++d) {
        const int n = std::clamp(static_cast<int>(std::lround(ratio * d)), 1, kMaxColumns);
        const double e = std::abs(ratio - static_cast<double>(n) / d);
        if (e < error - 1e-9) {
            error = e;
            best = {n, d};
        }
    }
    return best;
}

class CanvasReader {
  public:
    CanvasReader(FragSet& set, std::string_view canvasFolder, std::string_view documentFolder)
        : set_(set),
          env_(set.Env()),
          canvasFolder_(canvasFolder),
          sameFolder_(canvasFolder == documentFolder || documentFolder.empty()) {}

    ReadResult Read(std::string_view bytes) {
        ReadResult result;
        if (bytes.size() > kMaxDocumentFileSize)
            return Refuse(
                result, "it is larger than " + std::to_string(kMaxDocumentFileSize >> 20) + " MiB");
        if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
        JsonParseResult parsed = ParseJson(bytes);
        if (!parsed.Value) return Refuse(result, "it is not JSON: " + parsed.Error);
        const JsonValue& root = *parsed.Value;
        if (!root.IsObject())
            return Refuse(result, "it is not a JSON Canvas: no object at the top");
        const JsonValue* nodes = root.Find("nodes");
        if (!nodes || !nodes->IsArray())
            return Refuse(result, "it is not a JSON Canvas: it has no \"nodes\" array");

        result_.Status = ReadStatus::Read;
        CollectNodes(*nodes);
        NumberGroups();
        PlaceCards();
        const JsonValue* edges = root.Find("edges");
        if (edges && edges->IsArray())
            ReadEdges(*edges);
        else if (edges && !edges->IsNull())
            ++result_.ItemsSkipped;
        ReadPage(root);
        result_.CardsRead = set_.Count();
        if (result_.CardsDropped > 0 || result_.GroupsDropped > 0)
            result_.Status = ReadStatus::CutShort;
        set_.Recount();
        set_.ComputeWholeSize();
        set_.RefreshRequest();
        return result_;
    }

  private:
    static ReadResult Refuse(ReadResult& r, std::string why) {
        r.Status = ReadStatus::Unreadable;
        r.Problem = FileProblem::None;
        r.Why = std::move(why);
        return r;
    }

    void CollectNodes(const JsonValue& nodes) {
        std::unordered_set<std::string_view> ids;
        for (const JsonValue& item : nodes.Items()) {
            Node n;
            n.Object = &item;
            n.Id = item.IsObject() ? StringKey(item, "id") : nullptr;
            const std::string* type = item.IsObject() ? StringKey(item, "type") : nullptr;
            const auto x = item.IsObject() ? Coordinate(item, "x") : std::nullopt;
            const auto y = item.IsObject() ? Coordinate(item, "y") : std::nullopt;
            const auto w = item.IsObject() ? Coordinate(item, "width") : std::nullopt;
            const auto h = item.IsObject() ? Coordinate(item, "height") : std::nullopt;
            bool ok = n.Id && !n.Id->empty() && type && x && y && w && h;
            if (ok) {
                // Each type needs its one string; a group's label is optional.
                if (*type == "text") {
                    ok = StringKey(item, "text") != nullptr;
                } else if (*type == "file") {
                    n.Type = NodeType::File;
                    ok = StringKey(item, "file") != nullptr;
                } else if (*type == "link") {
                    n.Type = NodeType::Link;
                    ok = StringKey(item, "url") != nullptr;
                } else {
                    n.Type = NodeType::Group;
                    ok = *type == "group";
                }
            }
            // The first node of an id is the one edges mean.
            if (!ok || !ids.insert(*n.Id).second) {
                ++result_.ItemsSkipped;
                continue;
            }
            n.X = *x;
            n.Y = *y;
            // Sizes stay small enough for an area to fit in 64 bits.
            n.W = std::clamp<std::int64_t>(*w, 1, kLargestSide);
            n.H = std::clamp<std::int64_t>(*h, 1, kLargestSide);
            if (n.Type == NodeType::Group) {
                if (groups_.size() < kMaxGroup)
                    groups_.push_back(n);
                else
                    ++result_.GroupsDropped;
            } else if (cards_.size() < static_cast<std::size_t>(kMaxFragments)) {
                cards_.push_back(n);
            } else {
                ++result_.CardsDropped;
            }
        }
    }

    // Group nodes keep the number they had in our own export where they can; the others take
    // the lowest free numbers, in file order.
    void NumberGroups() {
        std::array<bool, kGroupRows> taken{};
        numbers_.assign(groups_.size(), 0);
        for (std::size_t i = 0; i < groups_.size(); ++i) {
            const auto g = IntKey(*groups_[i].Object, "qvGroup", 1, kMaxGroup);
            if (g && !taken[static_cast<std::size_t>(*g)]) {
                numbers_[i] = static_cast<int>(*g);
                taken[static_cast<std::size_t>(*g)] = true;
            }
        }
        int next = 1;
        for (int& number : numbers_) {
            if (number != 0) continue;
            while (taken[static_cast<std::size_t>(next)])
                ++next;
            number = next;
            taken[static_cast<std::size_t>(next)] = true;
        }
    }

    // The group a card node joins: its own group when that group's rectangle holds the card's
    // centre (frames may overlap on our pages), else the smallest group that holds it (nested
    // groups so flatten to the innermost), else none.
    int GroupOf(const Node& card) const {
        const std::int64_t cx2 = 2 * card.X + card.W, cy2 = 2 * card.Y + card.H;
        const auto own = IntKey(*card.Object, "qvGroup", 0, kMaxGroup);
        if (own && *own == kNoGroup) return kNoGroup;
        int best = -1;
        for (std::size_t i = 0; i < groups_.size(); ++i) {
            if (!groups_[i].HoldsDoubled(cx2, cy2)) continue;
            if (own && numbers_[i] == *own) return numbers_[i];
            if (best < 0 || groups_[i].Area() < groups_[static_cast<std::size_t>(best)].Area())
                best = static_cast<int>(i);
        }
        return best < 0 ? kNoGroup : numbers_[static_cast<std::size_t>(best)];
    }

    // A canvas text (UTF-8, "\n" line ends) as a card text: line breaks as the line-break marker,
    // "〓" for what code page 932 cannot hold, cut to a card's length.
    std::string CardText(std::string_view utf8, bool& unheld) {
        std::string out;
        std::size_t from = 0;
        for (;;) {
            const std::size_t end = utf8.find('\n', from);
            std::string_view line = utf8.substr(
                from, end == std::string_view::npos ? std::string_view::npos : end - from);
            if (line.ends_with('\r')) line.remove_suffix(1);
            const Cp932Encoding enc = Utf8ToCp932(line, kUnconvertibleMark);
            unheld = unheld || !enc.Complete;
            out += enc.Bytes;
            if (end == std::string_view::npos) break;
            out += env_.CR_String;
            from = end + 1;
        }
        if (out.size() > kMaxCardTextBytes) {
            out.resize(CutToLength(out, kMaxCardTextBytes).size());
            ++result_.TextsCut;
        }
        return out;
    }

    std::string Cp932(std::string_view utf8, bool& unheld) {
        const Cp932Encoding enc = Utf8ToCp932(utf8, kUnconvertibleMark);
        unheld = unheld || !enc.Complete;
        return enc.Bytes;
    }

    // The link of a file node. The export keeps a link's own spelling under "qvLink" (folders may
    // be separated by "\"); it counts while "file" still names the same path.
    std::string FileLink(const JsonValue& node, const std::string& file, bool& unheld) {
        if (const std::string* own = StringKey(node, "qvLink")) {
            const Cp932Encoding link = Utf8ToCp932(*own, kUnconvertibleMark);
            if (link.Complete && CanvasFilePath(link.Bytes) == file) return link.Bytes;
        }
        std::string path = file;
        if (!sameFolder_ && !path.empty() && path[0] != '/' && !canvasFolder_.empty())
            path = (std::filesystem::path(canvasFolder_) / path).lexically_normal().string();
        return Cp932(path, unheld);
    }

    void PlaceCards() {
        // Cards (and name plates to come) left of or above the page move onto it, all by the
        // same amount. A group's rectangle may reach further out: only its plate's corner counts.
        std::int64_t minX = 0, minY = 0;
        for (const Node& n : cards_) {
            minX = std::min(minX, n.X);
            minY = std::min(minY, n.Y);
        }
        for (const Node& n : groups_) {
            minX = std::min(minX, n.X + kFrameMargin);
            minY = std::min(minY, n.Y + kFrameMargin);
        }
        // What moves lands a frame's margin inside the page, so that its frame shows whole.
        if (minX < 0) minX -= kFrameMargin;
        if (minY < 0) minY -= kFrameMargin;
        std::array<bool, kGroupRows> hasPlate{};
        for (const Node& n : cards_) {
            Fragment* f = set_.AddFragment();
            if (!f) {
                ++result_.CardsDropped;
                continue;
            }
            FillCard(*f, n);
            f->Left = static_cast<int>(std::min<std::int64_t>(n.X - minX, kMaxPageSide));
            f->Top = static_cast<int>(std::min<std::int64_t>(n.Y - minY, kMaxPageSide));
            FitCard(*f);
            if (f->Kind == FragmentKind::NamePlate)
                hasPlate[static_cast<std::size_t>(f->Group)] = true;
        }
        // A group's label becomes its name plate, at the group's top-left corner inside the frame.
        for (std::size_t i = 0; i < groups_.size(); ++i) {
            const int g = numbers_[i];
            const JsonValue& node = *groups_[i].Object;
            const std::string* label = StringKey(node, "label");
            if (!label || label->empty() || hasPlate[static_cast<std::size_t>(g)] ||
                IsDefaultGroupName(*label, IntKey(node, "qvGroup", 1, kMaxGroup)))
                continue;
            if (set_.Count() >= kMaxFragments) {
                ++result_.CardsDropped;
                continue;
            }
            Fragment* f = set_.AddFragment();
            bool unheld = false;
            f->Text = CardText(*label, unheld);
            if (unheld) result_.UnconvertibleCards.push_back(set_.Count());
            f->Kind = FragmentKind::NamePlate;
            f->Group = g;
            f->ColFG = env_.Colors.NamFrgFG;
            f->ColBG = env_.Colors.NamFrgBG;
            // About a full-width character per column, on as many lines as the label has.
            const std::size_t lines =
                1 + static_cast<std::size_t>(std::count(label->begin(), label->end(), '\n'));
            f->Columns =
                std::clamp(static_cast<int>((f->Text.size() / lines + 1) / 2), 1, kMaxColumns);
            f->Lines = std::clamp(static_cast<int>(lines), 1, kMaxLines);
            f->Left = static_cast<int>(
                std::clamp<std::int64_t>(groups_[i].X - minX + kFrameMargin, 0, kMaxPageSide));
            f->Top = static_cast<int>(
                std::clamp<std::int64_t>(groups_[i].Y - minY + kFrameMargin, 0, kMaxPageSide));
            FitCard(*f);
            hasPlate[static_cast<std::size_t>(g)] = true;
        }
    }

    // Measures the card and keeps it on the largest page.
    static void FitCard(Fragment& f) {
        f.Measure();
        if (f.Right > kMaxPageSide || f.Bottom > kMaxPageSide) {
            f.Left = std::max(0, std::min(f.Left, kMaxPageSide - f.Width()));
            f.Top = std::max(0, std::min(f.Top, kMaxPageSide - f.Height()));
            f.Measure();
        }
    }

    void FillCard(Fragment& f, const Node& n) {
        const JsonValue& node = *n.Object;
        bool unheld = false;
        const std::string* ownText = StringKey(node, "qvText");
        f.Group = GroupOf(n);
        f.Kind = FragmentKind::Text;
        switch (n.Type) {
            case NodeType::Text:
                f.Text = CardText(*StringKey(node, "text"), unheld);
                break;
            case NodeType::File: {
                const std::string& file = *StringKey(node, "file");
                const JsonValue* picture = node.Find("qvPicture");
                const bool isPicture =
                    picture && picture->IsBool() ? *picture->AsBool() : IsPictureName(file);
                f.Link = FileLink(node, file, unheld);
                if (isPicture) f.Kind = FragmentKind::Image;
                if (ownText)
                    f.Text = CardText(*ownText, unheld);
                else if (!isPicture)
                    f.Text = CardText(BaseName(file), unheld);
                break;
            }
            case NodeType::Link: {
                const std::string& url = *StringKey(node, "url");
                f.Link = Cp932(url, unheld);
                f.Text = CardText(ownText ? *ownText : url, unheld);
                break;
            }
            case NodeType::Group:
                break;
        }
        if (f.Kind != FragmentKind::Image) {
            if (BoolKey(node, "qvNamePlate") && f.Group != kNoGroup)
                f.Kind = FragmentKind::NamePlate;
            else if (BoolKey(node, "qvSymbol"))
                f.Kind = FragmentKind::Symbol;
        }
        const bool plate = f.Kind == FragmentKind::NamePlate;
        f.ColFG =
            OwnColor(node, "qvColFG").value_or(plate ? env_.Colors.NamFrgFG : env_.Colors.DefFrgFG);
        f.ColBG = OwnColor(node, "qvColBG")
                      .value_or(CanvasColorValue(StringKey(node, "color"))
                                    .value_or(plate ? env_.Colors.NamFrgBG : env_.Colors.DefFrgBG));
        SizeCard(f, n);
        if (unheld) result_.UnconvertibleCards.push_back(set_.Count());
    }

    // The card's size: ours when the export kept it, else what fits the node's pixel size in the
    // card font (a picture: the scale that brings it nearest to the node's width).
    void SizeCard(Fragment& f, const Node& n) {
        const JsonValue& node = *n.Object;
        const auto columns = IntKey(node, "qvColumns", 1, kMaxColumns);
        const auto lines = IntKey(node, "qvLines", 1, kMaxLines);
        if (columns && lines) {
            f.Columns = static_cast<int>(*columns);
            f.Lines = static_cast<int>(*lines);
            f.LoadPicture();
            return;
        }
        if (f.Kind == FragmentKind::Image) {
            f.Columns = f.Lines = 1;
            f.LoadPicture();
            if (f.HasPicture() && f.Cache->Width > 0) {
                const auto [num, den] =
                    NearestScale(static_cast<double>(n.W) / static_cast<double>(f.Cache->Width));
                if (num != den) {
                    f.Columns = num;
                    f.Lines = den;
                    f.LoadPicture();
                }
            }
            return;
        }
        const std::int64_t h = std::max(1, FontHeightOf(env_, f.Kind));
        auto fit = [](std::int64_t pixels, std::int64_t unit, int most) {
            return static_cast<int>(
                std::clamp<std::int64_t>((pixels - 4 + unit / 2) / unit, 1, most));
        };
        f.Columns = fit(n.W, h, kMaxColumns);
        f.Lines = fit(n.H, h + 2, kMaxLines);
    }

    // The group a node stands for in an edge: a group node's own, a card's group; 0 for none,
    // -1 for an id the canvas does not hold.
    int EdgeEnd(const std::string* id) const {
        if (!id) return -1;
        const auto it = ends_.find(*id);
        return it == ends_.end() ? -1 : it->second;
    }

    void ReadEdges(const JsonValue& edges) {
        for (std::size_t i = 0; i < groups_.size(); ++i)
            ends_.emplace(*groups_[i].Id, numbers_[i]);
        const auto& frags = set_.Fragments();
        for (std::size_t i = 0; i < cards_.size() && i < frags.size(); ++i)
            ends_.emplace(*cards_[i].Id, frags[i]->Group);
        std::array<bool, kGroupRows> used{};
        for (const auto& f : set_.Fragments())
            used[static_cast<std::size_t>(f->Group)] = true;
        for (const JsonValue& edge : edges.Items()) {
            if (!edge.IsObject()) {
                ++result_.ItemsSkipped;
                continue;
            }
            const int a = EdgeEnd(StringKey(edge, "fromNode"));
            const int b = EdgeEnd(StringKey(edge, "toNode"));
            if (a < 0 || b < 0) {
                ++result_.ItemsSkipped;
                continue;
            }
            if (a == kNoGroup || b == kNoGroup || a == b || !used[static_cast<std::size_t>(a)] ||
                !used[static_cast<std::size_t>(b)])
                continue;
            TArrowList& lines = set_.GroupLines;
            if (std::any_of(lines.begin(), lines.end(),
                            [&](const ArrowLine& l) { return l.Joins(a, b); }))
                continue;
            const std::string* fromEnd = StringKey(edge, "fromEnd");
            const std::string* toEnd = StringKey(edge, "toEnd");
            const bool fromArrow = fromEnd && *fromEnd == "arrow";
            const bool toArrow = !toEnd || *toEnd == "arrow";
            ArrowLine line;
            line.From = a;
            line.To = b;
            if (fromArrow && toArrow) {
                line.Type = kLineDoubleArrow;
            } else if (fromArrow || toArrow) {
                line.Type = kLineArrow;
                if (fromArrow) std::swap(line.From, line.To);
            } else {
                // Heads pointing inwards look like a plain line in a canvas; ours says which.
                line.Type =
                    IntKey(edge, "qvLineType", 1, 4).value_or(kLinePlain) == kLineReverseDoubleArrow
                        ? kLineReverseDoubleArrow
                        : kLinePlain;
            }
            line.Width =
                SanitizeLineWidth(static_cast<int>(IntKey(edge, "qvLineWidth", -1, 9).value_or(1)));
            lines.push_back(line);
        }
    }

    void ReadPage(const JsonValue& root) {
        const auto w = IntKey(root, "qvPageWidth", 1, kMaxPageSide);
        const auto h = IntKey(root, "qvPageHeight", 1, kMaxPageSide);
        set_.FixedSize = w && h;
        if (set_.FixedSize) {
            // The page grows to hold every card.
            int right = 1, bottom = 1;
            for (const auto& f : set_.Fragments()) {
                right = std::max(right, f->Right);
                bottom = std::max(bottom, f->Bottom);
            }
            set_.FixedWidth = std::max(static_cast<int>(*w), right);
            set_.FixedHeight = std::max(static_cast<int>(*h), bottom);
        }
        set_.DivColumns = static_cast<int>(IntKey(root, "qvDivColumns", 0, 1000).value_or(0));
        set_.DivRows = static_cast<int>(IntKey(root, "qvDivRows", 0, 1000).value_or(0));
    }

    FragSet& set_;
    const EnvData& env_;
    std::string canvasFolder_;
    bool sameFolder_;
    ReadResult result_;
    std::vector<Node> cards_;
    std::vector<Node> groups_;
    std::vector<int> numbers_;                        // group number of each of groups_
    std::unordered_map<std::string_view, int> ends_;  // node id -> its group, for edges
};

}  // namespace

bool HasCanvasExtension(std::string_view path) {
    constexpr std::string_view ext = ".CANVAS";
    return path.size() > ext.size() &&
           sjis::UpperAscii(path.substr(path.size() - ext.size())) == ext &&
           path[path.size() - ext.size() - 1] != '/';
}

std::string CanvasDocumentPath(std::string_view canvasPath) {
    std::string path(canvasPath);
    if (HasCanvasExtension(path)) path.resize(path.size() - std::string_view(".canvas").size());
    return path + ".csv";
}

ReadResult ReadCanvasBytes(FragSet& set, std::string_view bytes, std::string_view canvasFolder,
                           std::string_view documentFolder) {
    return CanvasReader(set, canvasFolder, documentFolder).Read(bytes);
}

ReadResult ImportCanvasFile(FragSet& set, std::string_view canvasPath, const WholeFile& bytes,
                            std::string_view documentPath) {
    if (bytes.Status != WholeFile::Result::Read) return ReadResult::Failed(bytes);
    ReadResult result;
    const std::filesystem::path canvas(canvasPath);
    const std::filesystem::path document(documentPath);
    result = ReadCanvasBytes(set, bytes.Bytes, canvas.parent_path().string(),
                             document.parent_path().string());
    if (result.Status == ReadStatus::Unreadable) {
        result.Error = "cannot read " + std::string(canvasPath) + ": " + result.Why;
        return result;
    }
    set.FileName = std::string(documentPath);
    set.Modified = true;
    set.ReadOnly = !result.Complete();
    // Whatever the document is saved as, never over the canvas: it is not a fragment file.
    if (const auto id = IdentityOf(canvas)) set.IncompleteSources.push_back(*id);
    return result;
}

}  // namespace qv
