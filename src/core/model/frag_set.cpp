#include "core/model/frag_set.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "core/settings/env_data.h"
#include "core/text/sjis.h"

namespace qv {

namespace {

// Stable merge sort that stays within bounds even for an order that is not transitive (the reading
// order is not: three cards can each be "before" the next). std::sort would be undefined there.
template <class Less>
void MergeSort(std::vector<Fragment*>& v, Less less) {
    const std::size_t n = v.size();
    if (n < 2) return;
    std::vector<Fragment*> buf(n);
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n);
            const std::size_t hi = std::min(lo + 2 * width, n);
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                buf[k++] = less(*v[j], *v[i]) ? v[j++] : v[i++];
            while (i < mid)
                buf[k++] = v[i++];
            while (j < hi)
                buf[k++] = v[j++];
        }
        v.swap(buf);
    }
}

// Splits a find pattern into words at half-width and full-width blanks.
std::vector<std::string_view> SplitWords(std::string_view pattern) {
    std::vector<std::string_view> words;
    std::size_t start = 0, pos = 0;
    while (pos < pattern.size()) {
        const std::size_t len = sjis::CharLength(pattern, pos);
        const bool blank = pattern[pos] == ' ' ||
                           (len == 2 && pattern[pos] == '\x81' && pattern[pos + 1] == '\x40');
        if (blank) {
            if (pos > start) words.push_back(pattern.substr(start, pos - start));
            start = pos + len;
        }
        pos += len;
    }
    if (pos > start) words.push_back(pattern.substr(start, pos - start));
    return words;
}

}  // namespace

FragSet::FragSet(const DocContext& context) : ctx_(context) {
    const EnvData& env = ctx_.env;
    FixedWidth = env.DefScrWidth;
    FixedHeight = env.DefScrHeight;
    for (GroupEntry& e : GroupTable) {
        e.Frame.PenColor = env.Colors.GroupFrame;
        e.Frame.PenWidth = env.GFrameLineWidth;
        e.Frame.MaxRound = env.GFrameMaxRnd;
    }
    frags_.reserve(kMaxFragments);
    ComputeWholeSize();
    history_ = std::make_unique<EditHistory>(*this);
}

// The view may already be half torn down when its document goes: nothing is invalidated here.
FragSet::~FragSet() = default;

// ---- Fragments ----

Fragment* FragSet::AddFragment() {
    if (Count() >= kMaxFragments) {
        ctx_.prompts.Warning(kTooManyFragmentsText, PromptButtons::OkCancel);
        return nullptr;
    }
    auto f = std::make_unique<Fragment>(ctx_.env, &ctx_);
    int top = zTop_;
    if (!frags_.empty()) top = std::max(top, frags_.back()->ZOrder);
    f->ZOrder = frags_.empty() ? 0 : top + 1;
    zTop_ = f->ZOrder;
    f->Visible = true;
    frags_.push_back(std::move(f));
    return frags_.back().get();
}

void FragSet::ForgetReferences(const Fragment* f) {
    if (marked_ == f) marked_ = nullptr;
    if (gesture_.LinkPress == f) gesture_.LinkPress = nullptr;
    RemoveFromList(SelectionList, f);
}

void FragSet::Clear() {
    const EnvData& env = ctx_.env;
    frags_.clear();
    marked_ = nullptr;
    gesture_ = Gesture{};
    zTop_ = 0;
    routeMemo_.clear();
    SelectionList.clear();
    SelCursor = -1;
    GroupLines.clear();
    SelectedLine = -1;
    IncompleteSources.clear();
    Modified = false;
    ReadOnly = false;
    FixedSize = false;
    FixedWidth = env.DefScrWidth;
    FixedHeight = env.DefScrHeight;
    DivColumns = 0;
    DivRows = 0;
    removed_.clear();
    for (GroupEntry& e : GroupTable) {
        e.HasSelected = false;
        e.FrameTouched = false;
        e.FrameMoved = false;
    }
    Recount();
    ComputeWholeSize();
    // Steps of the old content would refer to cards that are gone.
    history_->Reset();
}

void FragSet::DestroyFragment(Fragment* fragment) {
    auto it = std::find_if(frags_.begin(), frags_.end(),
                           [&](const auto& p) { return p.get() == fragment; });
    if (it == frags_.end()) return;
    fragment->EraseFragment();
    ForgetReferences(fragment);
    removed_.push_back(std::move(*it));
    frags_.erase(it);
}

void FragSet::DeleteSelected() {
    DestroySelectedFragments();
    SelectionList.clear();
    Recount();
    Modified = true;
    RefreshRequest();
}

void FragSet::DestroySelectedFragments() {
    for (const auto& p : frags_) {
        if (!p->Selected) continue;
        p->EraseFragment();
        if (marked_ == p.get()) marked_ = nullptr;
        if (gesture_.LinkPress == p.get()) gesture_.LinkPress = nullptr;
    }
    std::erase_if(SelectionList, [](const Fragment* f) { return f->Selected; });
    for (auto& p : frags_)
        if (p->Selected) removed_.push_back(std::move(p));
    std::erase_if(frags_, [](const auto& p) { return !p; });
}

int FragSet::HighestZOrder() const {
    int top = -1;
    for (const auto& p : frags_)
        top = std::max(top, p->ZOrder);
    zTop_ = std::max(top, 0);
    return top;
}

void FragSet::BringToTop(Fragment* fragment) {
    if (!fragment) return;
    fragment->ZOrder = HighestZOrder() + 1;
    zTop_ = fragment->ZOrder;
}

bool FragSet::ZOrderLess(const Fragment& a, const Fragment& b) const {
    if (ctx_.env.ImageIsBack) {
        const bool ai = a.Kind == FragmentKind::Image;
        const bool bi = b.Kind == FragmentKind::Image;
        if (ai != bi) return ai;
    }
    return a.ZOrder < b.ZOrder;
}

void FragSet::SortByZOrder() {
    std::stable_sort(frags_.begin(), frags_.end(),
                     [this](const auto& a, const auto& b) { return ZOrderLess(*a, *b); });
    RenumberIfNeeded();
    HighestZOrder();
}

// Stacking numbers only grow (every refresh lifts the name plates); long before they could
// overflow they are renumbered, keeping their order.
void FragSet::RenumberIfNeeded() {
    constexpr int kRenumberAbove = 1 << 30;
    if (HighestZOrder() < kRenumberAbove) return;
    std::vector<Fragment*> byZ;
    byZ.reserve(frags_.size());
    for (const auto& p : frags_)
        byZ.push_back(p.get());
    std::stable_sort(byZ.begin(), byZ.end(),
                     [](const Fragment* a, const Fragment* b) { return a->ZOrder < b->ZOrder; });
    for (std::size_t i = 0; i < byZ.size(); ++i)
        byZ[i]->ZOrder = static_cast<int>(i);
}

bool FragSet::PositionLess(const Fragment& a, const Fragment& b) {
    const std::int64_t overlap =
        static_cast<std::int64_t>(std::min(a.Right, b.Right)) - std::max(a.Left, b.Left);
    const std::int64_t narrower = std::min<std::int64_t>(a.Width(), b.Width());
    if (overlap * 2 > narrower) return a.Top < b.Top;
    return a.Left < b.Left;
}

void FragSet::SortByPosition(std::vector<Fragment*>& list) {
    MergeSort(list, &PositionLess);
}

void FragSet::SortByStacking(std::vector<Fragment*>& list) const {
    std::stable_sort(list.begin(), list.end(),
                     [this](const Fragment* a, const Fragment* b) { return ZOrderLess(*a, *b); });
}

void FragSet::Recount() {
    for (GroupEntry& e : GroupTable) {
        e.Count = 0;
        e.TextCount = 0;
    }
    HasImages = false;
    for (const auto& p : frags_) {
        if (p->Kind == FragmentKind::Image) HasImages = true;
        if (!IsGroupNumber(p->Group)) continue;
        GroupEntry& e = GroupTable[static_cast<std::size_t>(p->Group)];
        ++e.Count;
        if (p->Kind == FragmentKind::Text) ++e.TextCount;
    }
    for (GroupEntry& e : GroupTable)
        e.Empty = e.Count == 0;
    // A relation line needs two groups with members.
    for (std::size_t i = GroupLines.size(); i-- > 0;) {
        const ArrowLine& line = GroupLines[i];
        const bool valid = line.From >= 1 && line.From <= kMaxGroup && line.To >= 1 &&
                           line.To <= kMaxGroup && line.From != line.To;
        if (valid && !GroupTable[static_cast<std::size_t>(line.From)].Empty &&
            !GroupTable[static_cast<std::size_t>(line.To)].Empty)
            continue;
        if (line.Drawn) InvalidateLine(line);
        GroupLines.erase(GroupLines.begin() + static_cast<std::ptrdiff_t>(i));
    }
    SelectedLine = -1;
}

void FragSet::Unmark() {
    if (!marked_) return;
    marked_->Marked = false;
    marked_->MarkStale();
    marked_->Redraw();
    marked_ = nullptr;
}

void FragSet::RemoveFromList(std::vector<Fragment*>& list, const Fragment* f) {
    std::erase(list, f);
}

// ---- What the app changes in the document ----

void FragSet::AdoptRecovered(const std::string& path) {
    FileName = path;
    ReadOnly = false;
    Modified = true;
    history_->ForgetSaved();
}

void FragSet::ShowGroup(int g, bool shown) {
    if (IsGroupNumber(g)) GroupTable[static_cast<std::size_t>(g)].Shown = shown;
}

void FragSet::TouchFrame(int g) {
    if (IsGroupNumber(g)) GroupTable[static_cast<std::size_t>(g)].FrameTouched = true;
}

void FragSet::Deselect(Fragment& fragment) {
    fragment.SetSelected(false);
    fragment.Redraw();
    RemoveFromList(SelectionList, &fragment);
}

// ---- Groups ----

Fragment* FragSet::NamePlateOf(int n) const {
    if (n < 1 || n > kMaxGroup || GroupTable[static_cast<std::size_t>(n)].Empty) return nullptr;
    for (const auto& p : frags_)
        if (p->Group == n && p->Kind == FragmentKind::NamePlate) return p.get();
    return nullptr;
}

void FragSet::FirstNamePlates(std::array<Fragment*, kGroupRows>& plates) const {
    plates.fill(nullptr);
    for (const auto& p : frags_) {
        const int g = p->Group;
        if (p->Kind == FragmentKind::NamePlate && g >= 1 && g <= kMaxGroup &&
            !plates[static_cast<std::size_t>(g)] && !GroupTable[static_cast<std::size_t>(g)].Empty)
            plates[static_cast<std::size_t>(g)] = p.get();
    }
}

Fragment* FragSet::GroupName(int n, std::string& text) const {
    text.clear();
    if (n == kNoGroup) {
        text = kNoGroupName;
        return nullptr;
    }
    if (n < 1 || n > kMaxGroup) return nullptr;
    if (Fragment* plate = NamePlateOf(n)) {
        text = plate->Text;
        return plate;
    }
    char number[8];  // "グループ %2u"
    std::snprintf(number, sizeof number, " %2u", static_cast<unsigned>(n));
    text = std::string(kGroupWord) + number;
    return nullptr;
}

std::string FragSet::GroupNameText(int n) const {
    std::string text;
    GroupName(n, text);
    return text;
}

int FragSet::CurrentGroup() const {
    if (!SelectionList.empty()) {
        const int g = SelectionList.front()->Group;
        if (std::all_of(SelectionList.begin(), SelectionList.end(),
                        [g](const Fragment* f) { return f->Group == g; }) &&
            IsGroupNumber(g))
            return g;
    }
    if (const auto row = ctx_.host.GroupListRow(); row && *row >= 0 && *row <= kMaxGroup)
        return *row == kMaxGroup ? kNoGroup : *row + 1;
    // New cards should land where the user can see them: the first shown group.
    for (int g = 1; g <= kMaxGroup; ++g)
        if (GroupTable[static_cast<std::size_t>(g)].Shown) return g;
    return GroupTable[kNoGroup].Shown ? kNoGroup : 1;
}

bool FragSet::HasOtherNamePlate(int g, const Fragment* except) const {
    for (const auto& p : frags_)
        if (p.get() != except && p->Group == g && p->Kind == FragmentKind::NamePlate) return true;
    return false;
}

void FragSet::JoinGroup(Fragment* f, int g) {
    f->Group = g;
    // A group is named by one plate; a plate in no group would come back from the file as text.
    if (f->Kind == FragmentKind::NamePlate && (g == kNoGroup || HasOtherNamePlate(g, f))) {
        f->EraseFragment();
        f->Kind = FragmentKind::Text;
    }
    f->MarkStale();
    f->MeasureAndDraw();
}

void FragSet::MoveSelectionToGroup(int g) {
    if (!IsGroupNumber(g)) return;
    std::array<bool, kGroupRows> hadSelected{};
    for (Fragment* f : SelectionList)
        if (IsGroupNumber(f->Group)) hadSelected[static_cast<std::size_t>(f->Group)] = true;
    for (Fragment* f : SelectionList)
        if (f->Group != g) JoinGroup(f, g);
    Recount();
    for (int i = 0; i <= kMaxGroup; ++i) {
        GroupEntry& e = GroupTable[static_cast<std::size_t>(i)];
        if (hadSelected[static_cast<std::size_t>(i)] && e.Empty) e.Shown = false;
    }
    if (ctx_.env.ShowDstGrp) GroupTable[static_cast<std::size_t>(g)].Shown = true;
    Modified = true;
    RefreshRequest();
}

bool FragSet::SwapGroups(int a, int b) {
    if (!IsGroupNumber(a) || !IsGroupNumber(b)) return false;
    if (a == b) return true;
    for (const auto& p : frags_) {
        if (p->Group == a)
            p->Group = b;
        else if (p->Group == b)
            p->Group = a;
        else
            continue;
        p->MarkStale();
    }
    for (ArrowLine& line : GroupLines) {
        if (line.From == a)
            line.From = b;
        else if (line.From == b)
            line.From = a;
        if (line.To == a)
            line.To = b;
        else if (line.To == b)
            line.To = a;
    }
    std::swap(GroupTable[static_cast<std::size_t>(a)], GroupTable[static_cast<std::size_t>(b)]);
    if (a == kNoGroup || b == kNoGroup) {
        // Members that became "no group" lose what only a group can have: its relation lines and
        // its name plate (Recount drops the lines, which now end at no group).
        for (const auto& p : frags_) {
            if (p->Group == kNoGroup && p->Kind == FragmentKind::NamePlate) {
                p->EraseFragment();
                p->Kind = FragmentKind::Text;
                p->MeasureAndDraw();
            }
        }
    }
    Recount();
    Modified = true;
    return true;
}

bool FragSet::SetGroupLine(int a, int b) {
    if (a < 1 || a > kMaxGroup || b < 1 || b > kMaxGroup || a == b) return false;
    auto it = std::find_if(GroupLines.begin(), GroupLines.end(),
                           [&](const ArrowLine& l) { return l.Joins(a, b); });
    ArrowLine* line;
    if (it != GroupLines.end()) {
        line = &*it;
        if (line->Drawn) InvalidateLine(*line);
        line->Drawn = false;
    } else {
        GroupLines.emplace_back();
        line = &GroupLines.back();
    }
    line->From = a;
    line->To = b;
    line->Type = SanitizeLineType(ctx_.env.DefGLineType);
    line->Width = SanitizeLineWidth(ctx_.env.DefGLineWidth);
    Modified = true;
    return true;
}

bool FragSet::DeleteGroupLine(int index) {
    if (index < 0 || index >= static_cast<int>(GroupLines.size())) return false;
    const ArrowLine& line = GroupLines[static_cast<std::size_t>(index)];
    if (line.Drawn) InvalidateLine(line);
    GroupLines.erase(GroupLines.begin() + index);
    SelectedLine = -1;
    Modified = true;
    return true;
}

// ---- Selection ----

int FragSet::SelectAll(bool on) {
    for (const auto& p : frags_) {
        const bool want = on && p->Visible;
        if (p->Selected == want) continue;
        p->SetSelected(want);
        p->Redraw();
    }
    return RebuildSelection();
}

void FragSet::DeselectAllQuiet() {
    for (const auto& p : frags_) {
        if (!p->Selected) continue;
        p->SetSelected(false);
        p->Redraw();
    }
}

void FragSet::SelectInRect(const Rect& clientRect) {
    const Rect r{
        std::min(clientRect.Left, clientRect.Right), std::min(clientRect.Top, clientRect.Bottom),
        std::max(clientRect.Left, clientRect.Right), std::max(clientRect.Top, clientRect.Bottom)};
    const std::int64_t area = static_cast<std::int64_t>(r.Width()) * r.Height();
    if (area > 64) {
        const bool touching = ctx_.env.FrameAllSelect;
        for (const auto& p : frags_) {
            if (!p->Visible || p->Selected) continue;
            const Rect& s = p->ScreenRect;
            if (!s.Intersects(r)) continue;
            const bool inside =
                s.Left >= r.Left && s.Top >= r.Top && s.Right <= r.Right && s.Bottom <= r.Bottom;
            if (!touching && !inside) continue;
            p->SetSelected(true);
            p->Redraw();
        }
        RebuildSelection();
        return;
    }
    if (ctx_.env.ImageIsBack && HasImages && SelectionList.empty()) {
        SortByZOrder();
        RedrawAll();
    }
}

void FragSet::SelectGroup(int g, bool centre) {
    int top = HighestZOrder();
    for (const auto& p : frags_) {
        const bool want = p->Visible && p->Group == g;
        if (want) {
            p->SetSelected(true);
            p->ZOrder = ++top;
            p->Redraw();
        } else if (p->Selected) {
            p->SetSelected(false);
            p->Redraw();
        }
    }
    zTop_ = std::max(top, 0);
    SortByZOrder();
    RebuildSelection();
    if (Fragment* plate = NamePlateOf(g)) {
        BringToTop(plate);
        SortByZOrder();
    }
    if (centre) CentreOn(NearestToSelectionCentre(), false);
}

void FragSet::SelectByColour(Color c) {
    for (const auto& p : frags_) {
        const bool want = p->Visible && p->ColBG == c;
        if (p->Selected == want) continue;
        p->SetSelected(want);
        p->Redraw();
    }
    RebuildSelection();
    if (Fragment* f = NearestToSelectionCentre()) CentreOn(f, false);
}

int FragSet::SelectByText(std::string_view pattern, int group, bool withinSelection) {
    const auto words = SplitWords(pattern);
    const bool all = ctx_.env.FindAndSw;
    const bool caseSensitive = ctx_.env.FindCaseSw;
    auto contains = [&](const std::string& text, std::string_view word) {
        return (caseSensitive ? sjis::Find(text, word) : sjis::FindNoCase(text, word)) !=
               std::string_view::npos;
    };
    auto matches = [&](const std::string& text) {
        if (words.empty()) return true;
        if (all)
            return std::all_of(words.begin(), words.end(),
                               [&](std::string_view w) { return contains(text, w); });
        return std::any_of(words.begin(), words.end(),
                           [&](std::string_view w) { return contains(text, w); });
    };
    int count = 0;
    for (const auto& p : frags_) {
        if (!p->Visible || (group != -1 && p->Group != group)) continue;
        if (withinSelection && !p->Selected) continue;
        const bool hit = matches(p->Text);
        p->SetSelected(hit);
        if (hit) ++count;
    }
    RebuildSelection();
    RedrawAll();
    if (count > 0 && !SelectionList.empty()) {
        SelCursor = 0;
        CentreOn(SelectionList.front(), true);
    }
    return count;
}

int FragSet::RebuildSelection() {
    for (GroupEntry& e : GroupTable)
        e.HasSelected = false;
    Unmark();
    SelCursor = -1;
    SelectionList.clear();
    for (const auto& p : frags_)
        if (p->Selected) SelectionList.push_back(p.get());
    // Group by group, list order inside a group, then reading order.
    std::stable_sort(SelectionList.begin(), SelectionList.end(),
                     [](const Fragment* a, const Fragment* b) { return a->Group < b->Group; });
    for (const Fragment* f : SelectionList)
        if (IsGroupNumber(f->Group))
            GroupTable[static_cast<std::size_t>(f->Group)].HasSelected = true;
    SortByPosition(SelectionList);
    return static_cast<int>(SelectionList.size());
}

Fragment* FragSet::SingleSelected() const {
    return SelectionList.size() == 1 ? SelectionList.front() : nullptr;
}

// ---- Position queries ----

Fragment* FragSet::NearestToSelectionCentre() const {
    if (SelectionList.empty()) return nullptr;
    std::int64_t sx = 0, sy = 0;
    for (const Fragment* f : SelectionList) {
        sx += f->Left + f->Width() / 2;
        sy += f->Top + f->Height() / 2;
    }
    const auto n = static_cast<std::int64_t>(SelectionList.size());
    const std::int64_t cx = sx / n, cy = sy / n;
    Fragment* best = nullptr;
    std::int64_t bestD = 0;
    for (Fragment* f : SelectionList) {
        const std::int64_t dx = f->Left + f->Width() / 2 - cx;
        const std::int64_t dy = f->Top + f->Height() / 2 - cy;
        const std::int64_t d = dx * dx + dy * dy;
        if (!best || d < bestD) {
            best = f;
            bestD = d;
        }
    }
    return best;
}

Point FragSet::TopLeft(const std::vector<Fragment*>& list) {
    if (list.empty()) return Point{};
    Point p{list.front()->Left, list.front()->Top};
    for (const Fragment* f : list) {
        p.X = std::min(p.X, f->Left);
        p.Y = std::min(p.Y, f->Top);
    }
    return p;
}

Fragment* FragSet::FragmentByLink(std::string_view path) const {
    if (path.empty()) return nullptr;
    for (const auto& p : frags_)
        if (sjis::EqualsNoCase(p->Link, path)) return p.get();
    return nullptr;
}

int FragSet::FullySelectedGroup() const {
    std::array<int, kGroupRows> members{}, selected{};
    for (const auto& p : frags_) {
        if (!IsGroupNumber(p->Group)) continue;
        ++members[static_cast<std::size_t>(p->Group)];
        if (p->Selected) ++selected[static_cast<std::size_t>(p->Group)];
    }
    int best = -1;
    for (int g = 0; g <= kMaxGroup; ++g) {
        const auto i = static_cast<std::size_t>(g);
        if (members[i] == 0 || selected[i] != members[i]) continue;
        if (best < 0 || members[i] > members[static_cast<std::size_t>(best)]) best = g;
    }
    return best;
}

void FragSet::CentreOn(Fragment* fragment, bool mark) {
    if (!fragment) return;
    DocumentView& view = ctx_.view;
    const int oldX = ScrollX(), oldY = ScrollY();
    view.SetScrollPosition(ScrollAxis::Horizontal,
                           fragment->Left + fragment->Width() / 2 - view.ClientWidth() / 2);
    view.SetScrollPosition(ScrollAxis::Vertical,
                           fragment->Top + fragment->Height() / 2 - view.ClientHeight() / 2);
    Unmark();
    if (mark) {
        marked_ = fragment;
        fragment->Marked = true;
        fragment->MarkStale();
        BringToTop(fragment);
        SortByZOrder();
        fragment->Redraw();
    } else {
        SelCursor = -1;
    }
    if (ScrollX() != oldX || ScrollY() != oldY) RedrawAll();
}

// ---- Hit tests ----

Fragment* FragSet::FragmentAt(int x, int y) const {
    Fragment* best = nullptr;
    for (const auto& p : frags_) {
        if (!p->Visible || !p->ScreenRect.Contains(x, y)) continue;
        if (!best || !ZOrderLess(*p, *best)) best = p.get();
    }
    return best;
}

int FragSet::GroupFrameAt(int x, int y) const {
    for (int g = 1; g <= kMaxGroup; ++g) {
        const GroupEntry& e = GroupTable[static_cast<std::size_t>(g)];
        if (e.Shown && !e.Empty && e.Frame.Bounds.Contains(x, y)) return g;
    }
    return 0;
}

int FragSet::GroupUnderFragment(const Fragment& fragment) const {
    for (int g = 1; g <= kMaxGroup; ++g) {
        if (g == fragment.Group) continue;
        const GroupEntry& e = GroupTable[static_cast<std::size_t>(g)];
        if (e.Shown && !e.Empty && e.Frame.Bounds.Intersects(fragment.ScreenRect)) return g;
    }
    return 0;
}

int FragSet::GroupLineAt(int x, int y) const {
    for (std::size_t i = 0; i < GroupLines.size(); ++i)
        if (GroupLines[i].HitTest(x, y)) return static_cast<int>(i);
    return -1;
}

// ---- Visibility, size and redraw ----

void FragSet::RefreshVisibility() {
    std::array<Fragment*, kGroupRows> plates;
    FirstNamePlates(plates);
    int top = HighestZOrder();
    for (int g = 1; g <= kMaxGroup; ++g)
        if (Fragment* plate = plates[static_cast<std::size_t>(g)]) plate->ZOrder = ++top;
    zTop_ = std::max(top, 0);
    SortByZOrder();
    UpdateVisibility();
}

void FragSet::UpdateVisibility() {
    const EnvData& env = ctx_.env;
    bool dropped = false;
    for (const auto& p : frags_) {
        const bool visible = p->Kind == FragmentKind::NamePlate
                                 ? env.NamePlate && (!env.HideNamePlate || ShownGroup(p->Group))
                                 : ShownGroup(p->Group);
        if (visible != p->Visible) {
            p->Visible = visible;
            p->MarkStale();
        }
        if (!visible) {
            p->EraseFragment();
            if (p->Selected) {
                p->SetSelected(false);
                dropped = true;
            }
        }
    }
    if (dropped) std::erase_if(SelectionList, [](const Fragment* f) { return !f->Selected; });
    RedrawAll();
}

void FragSet::RefreshRequest() {
    ctx_.refresh.Request();
}

void FragSet::UpdateScreenRects() {
    for (const auto& p : frags_)
        p->UpdateScreenRect();
}

void FragSet::RedrawAll() {
    EraseGroupLines();
    for (const auto& p : frags_)
        p->Measure();
    ComputeWholeSize();
    UpdateScreenRects();  // the new scroll range may have moved the page
    for (const auto& p : frags_)
        p->Erased = false;
    ctx_.view.InvalidateAll();
    UpdateGroupFrames();
    ctx_.host.RefreshMap();
}

void FragSet::ComputeWholeSize() {
    int usedW = 1, usedH = 1;
    for (const auto& p : frags_) {
        if (!p->Visible) continue;
        usedW = std::max(usedW, p->Right);
        usedH = std::max(usedH, p->Bottom);
    }
    UsedWidth = std::min(usedW, kMaxPageSide);
    UsedHeight = std::min(usedH, kMaxPageSide);
    WholeWidth = FixedSize ? std::clamp(FixedWidth, 1, kMaxPageSide) : UsedWidth;
    WholeHeight = FixedSize ? std::clamp(FixedHeight, 1, kMaxPageSide) : UsedHeight;
    DocumentView& view = ctx_.view;
    int rangeX = WholeWidth + 20;
    int rangeY = WholeHeight + 20;
    if (gesture_.Dragging) {
        // While cards are dragged the page must not pull back under them.
        rangeX = std::max(rangeX, ScrollX() + view.ClientWidth());
        rangeY = std::max(rangeY, ScrollY() + view.ClientHeight());
    }
    view.SetScrollRange(ScrollAxis::Horizontal, rangeX);
    view.SetScrollRange(ScrollAxis::Vertical, rangeY);
    ShowDivLines = ctx_.env.DivLine && FixedSize && (DivColumns > 1 || DivRows > 1);
}

void FragSet::DivisionLines(int width, int height, Point shift,
                            std::vector<std::pair<Point, Point>>& out) const {
    if (!ShowDivLines) return;
    // A grid finer than one pixel per cell would only paint the page solid (and a corrupt count
    // would take forever).
    if (DivColumns > 1 && DivColumns <= width) {
        const int step = width / DivColumns;
        for (int i = 1; i < DivColumns; ++i) {
            const int x = i * step - shift.X;
            out.emplace_back(Point{x, -shift.Y}, Point{x, height - shift.Y});
        }
    }
    if (DivRows > 1 && DivRows <= height) {
        const int step = height / DivRows;
        for (int i = 1; i < DivRows; ++i) {
            const int y = i * step - shift.Y;
            out.emplace_back(Point{-shift.X, y}, Point{width - shift.X, y});
        }
    }
}

Point FragSet::NewFragmentPosition(int columns, int lines, int k) const {
    const EnvData& env = ctx_.env;
    const int h = std::abs(env.FragmentFont.PixelHeight());
    const int p = env.NewPosition;
    const int w = ctx_.view.ClientWidth();
    const int ch = ctx_.view.ClientHeight();
    int x0 = 4;
    if (p == 2 || p == 5 || p == 8)
        x0 = (w - (columns * h + 4)) / 2;
    else if (p == 3 || p == 6 || p == 9)
        x0 = w - (columns * h + 6);
    int y0 = 4;
    const int e = lines * (h + 2) + 8;
    if (p >= 4 && p <= 6)
        y0 = (ch - e) / 2;
    else if (p >= 7 && p <= 9)
        y0 = ch - e;
    k = std::max(k, 0);
    // An import of many lines steps far to the right: 64-bit, then kept on the page.
    const std::int64_t left = std::int64_t{x0} +
                              std::int64_t{k / 100} * (std::int64_t{h} * env.FrgWidth + 8) +
                              k % 100 + ScrollX();
    const std::int64_t top = std::int64_t{y0} + k % 100 + ScrollY();
    // A window narrower than the card must not push it off the page.
    return Point{static_cast<int>(std::clamp<std::int64_t>(left, 0, kMaxCoordinate)),
                 static_cast<int>(std::clamp<std::int64_t>(top, 0, kMaxCoordinate))};
}

void FragSet::PaintOrder(PaintVisitor& visitor, const PaintScope& scope) const {
    auto counts = [&](int g) {
        return !scope.Groups || (IsGroupNumber(g) && (*scope.Groups)[static_cast<std::size_t>(g)]);
    };
    if (ShowDivLines) visitor.DivisionLines();
    const bool imagesBack = ctx_.env.ImageIsBack;
    auto firstPass = [&](const Fragment& f) {
        return !scope.SelectedLast || !f.Selected || (imagesBack && f.Kind == FragmentKind::Image);
    };
    for (int pass = 0; pass < (scope.SelectedLast ? 2 : 1); ++pass) {
        for (const auto& p : frags_) {
            if (!p->Visible || firstPass(*p) != (pass == 0) || !counts(p->Group)) continue;
            if (scope.ScreenClip && !p->ScreenRect.Intersects(*scope.ScreenClip)) continue;
            if (scope.DocClip && !p->DocRect().Intersects(*scope.DocClip)) continue;
            visitor.Card(*p, pass == 1);
        }
    }
    for (int g = 1; g <= kMaxGroup; ++g) {
        const GroupEntry& e = GroupTable[static_cast<std::size_t>(g)];
        if (e.Frame.Visible && !e.Bounds.IsEmpty() && counts(g)) visitor.Frame(g, e);
    }
    if (!ctx_.env.GroupLine) return;
    for (std::size_t i = 0; i < GroupLines.size(); ++i) {
        const ArrowLine& line = GroupLines[i];
        if (!counts(line.From) || !counts(line.To)) continue;
        if (scope.DrawnLinesOnly) {
            if (!line.Drawn) continue;
        } else {
            // A line whose frames never had members was never routed.
            if (!ShownGroup(line.From) || !ShownGroup(line.To)) continue;
            if (GroupTable[static_cast<std::size_t>(line.From)].Bounds.IsEmpty() ||
                GroupTable[static_cast<std::size_t>(line.To)].Bounds.IsEmpty())
                continue;
        }
        visitor.GroupLine(static_cast<int>(i), line, static_cast<int>(i) == SelectedLine);
    }
}

}  // namespace qv
