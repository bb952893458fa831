// Editing operations the document window's tools and keys call: grouping by rectangle, pick-out
// while dragging, the background brush, group-line selection and style, and deleting.
#include <algorithm>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

namespace qv {

int FragSet::FirstEmptyGroup() const {
    for (int g = 1; g <= kMaxGroup; ++g)
        if (GroupTable[static_cast<std::size_t>(g)].Empty) return g;
    return kNoGroup;
}

GroupingResult FragSet::GroupSelection() {
    if (SelectionList.empty() || ReadOnly) return GroupingResult::Nothing;
    // Counts come from the fragments themselves: the table's may be stale between refreshes.
    Recount();
    const int whole = FullySelectedGroup();
    int target = kNoGroup;
    if (whole >= 1 && whole <= kMaxGroup) {
        if (GroupTable[static_cast<std::size_t>(whole)].Count ==
            static_cast<int>(SelectionList.size()))
            return GroupingResult::Nothing;
        target = whole;
    } else {
        target = FirstEmptyGroup();
        if (target == kNoGroup) return GroupingResult::NoFreeGroup;
        // A group emptied earlier may have been switched off with its last member; the new group
        // must show, or the cards just grouped would vanish.
        GroupTable[static_cast<std::size_t>(target)].Shown = true;
    }
    MoveSelectionToGroup(target);
    SelectAll(false);
    return GroupingResult::Grouped;
}

void FragSet::CtrlChangedWhileDragging(bool ctrlDown) {
    if (!gesture_.Dragging) return;
    if (ctrlDown) {
        // A group drag carries whole groups: there is nothing to pick out.
        if (gesture_.GroupDrag) return;
    } else {
        gesture_.GroupDrag = false;
    }
    MoveCursorShape(ctrlDown);
    Recount();
    EraseGroupLines();
    UpdateGroupFrames();
    ctx_.host.RefreshMap();
}

bool FragSet::PaintBackground(Fragment* fragment, Color color) {
    if (!fragment || ReadOnly) return false;
    auto paint = [color](Fragment* f) {
        if (f->ColBG == color) return;
        f->ColBG = color;
        f->MarkStale();
        f->Redraw();
    };
    if (fragment->Selected) {
        for (Fragment* f : SelectionList)
            paint(f);
    } else {
        paint(fragment);
    }
    SelectAll(false);
    Modified = true;
    return true;
}

int FragSet::SelectGroupLineAt(int x, int y) {
    const int hit = GroupLineAt(x, y);
    if (hit == SelectedLine) return hit;
    const auto count = static_cast<int>(GroupLines.size());
    if (SelectedLine >= 0 && SelectedLine < count)
        InvalidateLine(GroupLines[static_cast<std::size_t>(SelectedLine)]);
    SelectedLine = hit;
    if (hit >= 0) InvalidateLine(GroupLines[static_cast<std::size_t>(hit)]);
    return hit;
}

bool FragSet::SetGroupLineStyle(int index, std::optional<int> type, std::optional<int> width) {
    if (ReadOnly || index < 0 || index >= static_cast<int>(GroupLines.size())) return false;
    ArrowLine& line = GroupLines[static_cast<std::size_t>(index)];
    // The old shape goes before the new one is routed: arrowheads change the line's extent.
    if (line.Drawn) InvalidateLine(line);
    line.Drawn = false;
    if (type && *type >= kLinePlain && *type <= kLineReverseDoubleArrow) line.Type = *type;
    if (width && SanitizeLineWidth(*width) == *width) line.Width = *width;
    Modified = true;
    UpdateGroupFrames();
    return true;
}

bool FragSet::DeleteSelectionOrLine() {
    if (ReadOnly) return false;
    if (SelectedLine != -1) {
        if (!DeleteGroupLine(SelectedLine)) {
            SelectedLine = -1;
            return false;
        }
        RefreshRequest();
        return true;
    }
    if (SelectionList.empty()) return false;
    DeleteSelected();
    return true;
}

}  // namespace qv
