#include "core/model/edit_history.h"

#include <algorithm>
#include <utility>

#include "core/model/frag_set.h"

namespace qv {

namespace {

bool Matches(const CardValues& v, const Fragment& f) {
    return v.Group == f.Group && v.Left == f.Left && v.Top == f.Top && v.Kind == f.Kind &&
           v.Columns == f.Columns && v.Lines == f.Lines && v.ColFG == f.ColFG &&
           v.ColBG == f.ColBG && v.Text == f.Text && v.Link == f.Link;
}

std::vector<LineValues> LinesOf(const FragSet& set) {
    std::vector<LineValues> lines;
    lines.reserve(set.GroupLines.size());
    for (const ArrowLine& l : set.GroupLines)
        lines.push_back(LineValues{l.From, l.To, l.Type, l.Width});
    return lines;
}

bool SameLines(const std::vector<LineValues>& a, const TArrowList& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != LineValues{b[i].From, b[i].To, b[i].Type, b[i].Width}) return false;
    return true;
}

PageValues PageOf(const FragSet& set) {
    return PageValues{set.FixedSize, set.FixedWidth, set.FixedHeight, set.DivColumns, set.DivRows};
}

std::array<bool, kGroupRows> ShownOf(const FragSet& set) {
    std::array<bool, kGroupRows> shown{};
    for (std::size_t g = 0; g < shown.size(); ++g)
        shown[g] = set.GroupTable[g].Shown;
    return shown;
}

std::size_t HeapBytes(const std::string& s) {
    // Short texts live inside the string itself.
    return s.capacity() > 15 ? s.capacity() + 1 : 0;
}

std::size_t ValuesBytes(const CardValues& v) {
    return sizeof(CardValues) + HeapBytes(v.Text) + HeapBytes(v.Link);
}

// A card held out of its document: the object with its texts and picture.
std::size_t CardBytes(const Fragment& f) {
    std::size_t n = sizeof(Fragment) + HeapBytes(f.Text) + HeapBytes(f.Link);
    if (f.Cache) n += static_cast<std::size_t>(f.Cache->Width) * f.Cache->Height * 4;
    return n;
}

void AssignValues(Fragment& f, const CardValues& v) {
    const bool picture =
        f.Kind != v.Kind || f.Link != v.Link || f.Columns != v.Columns || f.Lines != v.Lines;
    f.EraseFragment();
    if (f.Text != v.Text) f.Text = v.Text;
    if (f.Link != v.Link) f.Link = v.Link;
    f.Group = v.Group;
    f.Kind = v.Kind;
    f.Left = v.Left;
    f.Top = v.Top;
    f.Columns = v.Columns;
    f.Lines = v.Lines;
    f.ColFG = v.ColFG;
    f.ColBG = v.ColBG;
    f.MarkStale();
    if (picture) {
        if (f.Kind == FragmentKind::Image)
            f.LoadPicture();
        else
            f.Cache.reset();
    }
    f.MeasureAndDraw();
}

}  // namespace

CardValues CardValues::Of(const Fragment& f) {
    return CardValues{f.Text, f.Link,    f.Group, f.Kind,  f.Left,
                      f.Top,  f.Columns, f.Lines, f.ColFG, f.ColBG};
}

struct EditHistory::Step {
    struct Change {
        Fragment* Card;
        CardValues Before;
        CardValues After;
    };
    // A card that enters or leaves the document: its place in the list and its values on the
    // side where it is present, and the object itself while the step's state leaves it out.
    struct Placed {
        Fragment* Card;
        std::size_t Index;
        CardValues Values;
        std::unique_ptr<Fragment> Held;
    };

    std::string Label;
    StepKind Kind = StepKind::Edit;
    std::vector<Change> Changed;
    std::vector<Placed> Added;    // index in the list after the step
    std::vector<Placed> Removed;  // index in the list before the step
    // The whole list before and after, when the cards present on both sides changed places.
    std::vector<Fragment*> OrderBefore;
    std::vector<Fragment*> OrderAfter;
    std::optional<std::pair<std::vector<LineValues>, std::vector<LineValues>>> Lines;
    std::optional<std::pair<PageValues, PageValues>> Page;
    std::optional<std::pair<std::array<bool, kGroupRows>, std::array<bool, kGroupRows>>> Shown;
    std::size_t Bytes = 0;

    bool Reordered() const { return !OrderAfter.empty() || !OrderBefore.empty(); }
    // Whether anything the file holds changed (a new stacking alone does not make a step).
    bool Edits() const {
        return !Changed.empty() || !Added.empty() || !Removed.empty() || Lines || Page;
    }

    StepKind Judge() const {
        const bool cards = !Changed.empty() || !Added.empty() || !Removed.empty();
        if (!cards) {
            if (Lines && !Page) return StepKind::Lines;
            if (Page && !Lines) return StepKind::Page;
            return StepKind::Edit;
        }
        if (Lines || Page) return StepKind::Edit;
        if (Changed.empty() && Removed.empty()) return StepKind::Create;
        if (Changed.empty() && Added.empty()) return StepKind::Delete;
        if (!Added.empty() || !Removed.empty()) return StepKind::Edit;
        bool position = false, group = false, back = false, other = false;
        for (const Change& c : Changed) {
            const CardValues &a = c.Before, &b = c.After;
            position = position || a.Left != b.Left || a.Top != b.Top;
            group = group || a.Group != b.Group;
            back = back || a.ColBG != b.ColBG;
            other = other || a.Text != b.Text || a.Link != b.Link || a.Kind != b.Kind ||
                    a.Columns != b.Columns || a.Lines != b.Lines || a.ColFG != b.ColFG;
        }
        if (other) return StepKind::Properties;
        if (back) return position || group ? StepKind::Properties : StepKind::Paint;
        return group ? StepKind::Group : StepKind::Move;
    }

    std::size_t Measure() const {
        std::size_t n = sizeof(Step) + Label.capacity();
        for (const Change& c : Changed)
            n += sizeof(Change) + ValuesBytes(c.Before) + ValuesBytes(c.After) -
                 2 * sizeof(CardValues);
        for (const auto* list : {&Added, &Removed})
            for (const Placed& p : *list)
                n += sizeof(Placed) + CardBytes(*p.Card) + ValuesBytes(p.Values) -
                     sizeof(CardValues);
        n += (OrderBefore.capacity() + OrderAfter.capacity()) * sizeof(Fragment*);
        if (Lines) n += (Lines->first.capacity() + Lines->second.capacity()) * sizeof(LineValues);
        return n;
    }
};

EditHistory::EditHistory(FragSet& set) : set_(set) {
    TakeShadow();
}

EditHistory::~EditHistory() = default;

void EditHistory::Reset() {
    steps_.clear();
    position_ = 0;
    bytes_ = 0;
    saved_ = set_.Modified ? -1 : 0;
    set_.removed_.clear();
    TakeShadow();
}

void EditHistory::TakeShadow() {
    const auto& list = set_.frags_;
    shadow_.resize(list.size());
    shadowIndex_.clear();
    shadowIndex_.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        ShadowCard& s = shadow_[i];
        s.Card = list[i].get();
        if (!Matches(s.Values, *s.Card)) s.Values = CardValues::Of(*s.Card);
        shadowIndex_.emplace(s.Card, i);
    }
    if (!SameLines(shadowLines_, set_.GroupLines)) shadowLines_ = LinesOf(set_);
    shadowPage_ = PageOf(set_);
    shadowShown_ = ShownOf(set_);
}

std::unique_ptr<EditHistory::Step> EditHistory::Diff() {
    auto step = std::make_unique<Step>();
    const auto& list = set_.frags_;
    std::vector<char> present(shadow_.size(), 0);
    bool inOrder = true;
    std::size_t last = 0;
    bool any = false;
    for (std::size_t i = 0; i < list.size(); ++i) {
        Fragment* f = list[i].get();
        const auto it = shadowIndex_.find(f);
        if (it == shadowIndex_.end()) {
            step->Added.push_back(Step::Placed{f, i, CardValues::Of(*f), nullptr});
            continue;
        }
        const std::size_t k = it->second;
        present[k] = 1;
        if (any && k < last) inOrder = false;
        last = k;
        any = true;
        if (!Matches(shadow_[k].Values, *f))
            step->Changed.push_back(Step::Change{f, shadow_[k].Values, CardValues::Of(*f)});
    }
    auto& removed = set_.removed_;
    for (std::size_t k = 0; k < shadow_.size(); ++k) {
        if (present[k]) continue;
        Fragment* f = shadow_[k].Card;
        const auto held = std::find_if(removed.begin(), removed.end(),
                                       [f](const auto& p) { return p.get() == f; });
        // Every way out of the document passes the set's removed list; a card that did not
        // cannot come back.
        if (held == removed.end()) continue;
        step->Removed.push_back(Step::Placed{f, k, shadow_[k].Values, std::move(*held)});
    }
    // Cards made and removed again within the step are gone for good.
    removed.clear();
    if (!inOrder) {
        step->OrderBefore.reserve(shadow_.size());
        for (const ShadowCard& s : shadow_)
            step->OrderBefore.push_back(s.Card);
        step->OrderAfter.reserve(list.size());
        for (const auto& p : list)
            step->OrderAfter.push_back(p.get());
    }
    if (!SameLines(shadowLines_, set_.GroupLines)) step->Lines.emplace(shadowLines_, LinesOf(set_));
    if (const PageValues page = PageOf(set_); page != shadowPage_)
        step->Page.emplace(shadowPage_, page);
    if (const auto shown = ShownOf(set_); shown != shadowShown_)
        step->Shown.emplace(shadowShown_, shown);
    return step;
}

bool EditHistory::Commit(std::string label, std::optional<StepKind> kind) {
    std::unique_ptr<Step> step = Diff();
    if (set_.ReadOnly) {
        TakeShadow();
        return false;
    }
    if (!step->Edits()) {
        // Groups shown or hidden are the user's view, not an edit: the next step starts from
        // them. A new stacking alone is no step either, but it stays pending, so that undoing the
        // next step puts the cards back in the order the file had.
        shadowShown_ = ShownOf(set_);
        // A change that changed nothing back where the file was saved leaves nothing to save.
        if (position_ == saved_ && !step->Reordered()) set_.Modified = false;
        return false;
    }
    DiscardRedo();
    step->Kind = kind.value_or(step->Judge());
    step->Label = std::move(label);
    step->Bytes = step->Measure();
    bytes_ += step->Bytes;
    steps_.push_back(std::move(step));
    ++position_;
    TakeShadow();
    while (bytes_ > budget_ && steps_.size() > 1)
        DropOldest();
    return true;
}

void EditHistory::Revert() {
    std::unique_ptr<Step> step = Diff();
    Apply(*step, false);
    TakeShadow();
}

void EditHistory::DiscardRedo() {
    if (position_ >= static_cast<int>(steps_.size())) return;
    if (saved_ > position_) saved_ = -1;
    for (auto it = steps_.begin() + position_; it != steps_.end(); ++it)
        bytes_ -= (*it)->Bytes;
    steps_.erase(steps_.begin() + position_, steps_.end());
}

void EditHistory::DropOldest() {
    bytes_ -= steps_.front()->Bytes;
    steps_.erase(steps_.begin());
    --position_;
    saved_ = saved_ > 0 ? saved_ - 1 : -1;
}

void EditHistory::SetBudget(std::size_t bytes) {
    budget_ = bytes;
    while (bytes_ > budget_ && steps_.size() > 1)
        DropOldest();
}

bool EditHistory::CanUndo() const {
    return !set_.ReadOnly && position_ > 0;
}

bool EditHistory::CanRedo() const {
    return !set_.ReadOnly && position_ < static_cast<int>(steps_.size());
}

const std::string& EditHistory::UndoLabel() const {
    static const std::string none;
    return position_ > 0 ? steps_[static_cast<std::size_t>(position_ - 1)]->Label : none;
}

const std::string& EditHistory::RedoLabel() const {
    static const std::string none;
    return position_ < StepCount() ? steps_[static_cast<std::size_t>(position_)]->Label : none;
}

StepKind EditHistory::UndoKind() const {
    return position_ > 0 ? steps_[static_cast<std::size_t>(position_ - 1)]->Kind : StepKind::Edit;
}

StepKind EditHistory::RedoKind() const {
    return position_ < StepCount() ? steps_[static_cast<std::size_t>(position_)]->Kind
                                   : StepKind::Edit;
}

bool EditHistory::Undo() {
    if (set_.ReadOnly) return false;
    Commit();
    if (!CanUndo()) return false;
    --position_;
    Apply(*steps_[static_cast<std::size_t>(position_)], false);
    TakeShadow();
    FollowSaved();
    return true;
}

bool EditHistory::Redo() {
    if (set_.ReadOnly) return false;
    Commit();
    if (!CanRedo()) return false;
    Apply(*steps_[static_cast<std::size_t>(position_)], true);
    ++position_;
    TakeShadow();
    FollowSaved();
    return true;
}

void EditHistory::FollowSaved() {
    set_.Modified = position_ != saved_;
}

void EditHistory::MarkSaved() {
    Commit();
    saved_ = position_;
    // A new stacking the file now holds is where the next step starts from.
    TakeShadow();
}

void EditHistory::ForgetSaved() {
    saved_ = -1;
}

void EditHistory::Apply(Step& step, bool forward) {
    FragSet& set = set_;
    auto& list = set.frags_;
    std::vector<Step::Placed>& leaving = forward ? step.Removed : step.Added;
    std::vector<Step::Placed>& coming = forward ? step.Added : step.Removed;

    set.Unmark();
    set.SelectAll(false);

    // Cards that leave go out of the list first, into the step.
    for (Step::Placed& p : leaving) {
        const auto it = std::find_if(list.begin(), list.end(),
                                     [&](const auto& q) { return q.get() == p.Card; });
        if (it == list.end()) continue;
        p.Card->EraseFragment();
        set.ForgetReferences(p.Card);
        p.Held = std::move(*it);
        list.erase(it);
    }
    for (const Step::Change& c : step.Changed)
        AssignValues(*c.Card, forward ? c.After : c.Before);

    if (step.Reordered()) {
        // The whole order as it was on that side; every card of it is either in the list or
        // held by the step.
        const std::vector<Fragment*>& order = forward ? step.OrderAfter : step.OrderBefore;
        std::unordered_map<const Fragment*, std::unique_ptr<Fragment>> owned;
        owned.reserve(list.size() + coming.size());
        for (auto& p : list)
            owned.emplace(p.get(), std::move(p));
        for (Step::Placed& p : coming)
            if (p.Held) owned.emplace(p.Card, std::move(p.Held));
        list.clear();
        for (Fragment* f : order) {
            const auto it = owned.find(f);
            if (it != owned.end() && it->second) list.push_back(std::move(it->second));
        }
        // Nothing may be lost to an order that does not hold a card.
        for (auto& [f, p] : owned)
            if (p) list.push_back(std::move(p));
    } else {
        std::vector<Step::Placed*> byIndex;
        for (Step::Placed& p : coming)
            if (p.Held) byIndex.push_back(&p);
        std::sort(byIndex.begin(), byIndex.end(),
                  [](const Step::Placed* a, const Step::Placed* b) { return a->Index < b->Index; });
        for (Step::Placed* p : byIndex) {
            const std::size_t at = std::min(p->Index, list.size());
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), std::move(p->Held));
        }
    }
    for (Step::Placed& p : coming) {
        // A card may have been changed before it went within the same step.
        if (!Matches(p.Values, *p.Card)) AssignValues(*p.Card, p.Values);
        p.Card->Erased = false;
        p.Card->MarkStale();
        p.Card->MeasureAndDraw();
    }
    // Stacking numbers follow the list as it now stands, so that sorting keeps it.
    if (!leaving.empty() || !coming.empty() || step.Reordered()) {
        for (std::size_t i = 0; i < list.size(); ++i)
            list[i]->ZOrder = static_cast<int>(i);
        set.HighestZOrder();
    }

    if (step.Lines) {
        set.EraseGroupLines();
        set.GroupLines.clear();
        for (const LineValues& v : forward ? step.Lines->second : step.Lines->first) {
            ArrowLine& line = set.GroupLines.emplace_back();
            line.From = v.From;
            line.To = v.To;
            line.Type = v.Type;
            line.Width = v.Width;
        }
        set.SelectedLine = -1;
    }
    if (step.Page) {
        const PageValues& v = forward ? step.Page->second : step.Page->first;
        set.FixedSize = v.FixedSize;
        set.FixedWidth = v.FixedWidth;
        set.FixedHeight = v.FixedHeight;
        set.DivColumns = v.DivColumns;
        set.DivRows = v.DivRows;
    }
    if (step.Shown) {
        const auto& shown = forward ? step.Shown->second : step.Shown->first;
        for (std::size_t g = 0; g < shown.size(); ++g)
            set.GroupTable[g].Shown = shown[g];
    }

    // What the step touched is selected, so the user sees what came back or moved.
    for (const Step::Change& c : step.Changed)
        if (set.GroupTable[static_cast<std::size_t>(std::clamp(c.Card->Group, 0, kMaxGroup))].Shown)
            c.Card->SetSelected(true);
    for (const Step::Placed& p : coming)
        if (set.GroupTable[static_cast<std::size_t>(std::clamp(p.Card->Group, 0, kMaxGroup))].Shown)
            p.Card->SetSelected(true);
    set.RebuildSelection();
    set.Recount();
    // The stacking is the step's own: nothing is lifted here (a refresh of the views would lift
    // the name plates). The map follows the redraw; the group list is the caller's.
    set.UpdateVisibility();
}

}  // namespace qv
