// Presses, drags, releases and double clicks on fragments.
#include <algorithm>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

namespace qv {

namespace {

// Auto-scroll: how close to the window edge the pointer must be, and how far one step scrolls, in
// screen pixels.
constexpr int kScrollZoneScreen = 32;
constexpr int kScrollStepScreen = 16;

}  // namespace

// ---- Stretching ----

void FragSet::TakeStretchBase() {
    for (const auto& p : frags_)
        p->StartRect = p->DocRect();
}

// ---- Mouse ----

void FragSet::MoveCursorShape(bool pickOut) {
    CursorShape shape = CursorShape::Arrow;
    if (ctx_.env.MoveCurosr == static_cast<int>(CursorShape::GrabLeft))
        shape = pickOut ? CursorShape::PickLeft : CursorShape::GrabLeft;
    else if (ctx_.env.MoveCurosr == static_cast<int>(CursorShape::GrabRight))
        shape = pickOut ? CursorShape::PickRight : CursorShape::GrabRight;
    ctx_.view.SetCursor(shape);
}

void FragSet::PressFragment(Fragment* fragment, MouseButton button, int x, int y,
                            ShiftState shift) {
    if (!fragment || !fragment->Visible) return;
    // A press keeps a multiple selection (so it can be dragged); otherwise this card alone.
    auto plainClick = [&] {
        if (SelectionList.size() < 2 || !fragment->Selected) {
            DeselectAllQuiet();
            fragment->SetSelected(true);
            SortByZOrder();
        }
    };
    if (button == MouseButton::Left) {
        if (fragment->Kind == FragmentKind::Image) SortByZOrder();
        gesture_.PressPoint = Point{x, y};
        const Rect& r = fragment->ScreenRect;
        if (shift.Shift) {
            fragment->SetSelected(!fragment->Selected);
            if (!fragment->Selected) {
                RemoveFromList(SelectionList, fragment);
                if (SelCursor >= 0) --SelCursor;
                if (marked_ == fragment) Unmark();
            }
        } else if (x > r.Right - kLinkMarkSize && y > r.Bottom - kLinkMarkSize &&
                   fragment->Kind != FragmentKind::Image && ctx_.env.LinkMark &&
                   !fragment->Link.empty()) {
            gesture_.LinkPress = fragment;
            fragment->LinkPressed = true;
            fragment->MarkStale();
        } else {
            if (shift.Ctrl) {
                SelectGroup(fragment->Group, false);
                gesture_.GroupDrag = true;
            } else {
                plainClick();
            }
            if (gesture_.AfterDialog) {
                gesture_.AfterDialog = false;
                gesture_.GroupDrag = false;
                gesture_.Dragging = false;
            } else if (!ReadOnly) {
                MoveCursorShape(false);
                gesture_.Dragging = true;
                gesture_.Moved = false;
            }
        }
    } else if (button == MouseButton::Right) {
        plainClick();
    }
    RebuildSelection();
    fragment->Redraw();
}

bool FragSet::DragBlocked(int dx, int dy) const {
    for (const Fragment* f : SelectionList) {
        if (f->Left + dx < 0 || f->Top + dy < 0) return true;
        if (FixedSize && (f->Right + dx > WholeWidth || f->Bottom + dy > WholeHeight)) return true;
    }
    return false;
}

// Scrolls the page when the pointer pushes against an edge of the window and adds the distance
// really scrolled to the move, so that the cards stay under the pointer. A scroll that would push
// a card off the page is not made.
void FragSet::AutoScroll(int x, int y, int& dx, int& dy, bool& scrolled) {
    DocumentView& view = ctx_.view;
    auto scroll = [&](ScrollAxis axis, int step, int client) {
        const int pos = view.ScrollPosition(axis);
        if (step > 0) {
            // The page grows under the cards, also when all of it fitted in the window so far.
            const int range = view.ScrollRange(axis);
            if (range - client < pos + step)
                view.SetScrollRange(axis, std::max(range, pos + client) + step);
        }
        view.SetScrollPosition(axis, pos + step);
        const int moved = view.ScrollPosition(axis) - pos;
        if (moved != 0) scrolled = true;
        return moved;
    };
    const int cw = view.ClientWidth();
    const int ch = view.ClientHeight();
    const int zone = view.DocumentPixels(kScrollZoneScreen);
    const int step = view.DocumentPixels(kScrollStepScreen);
    if (x > cw - zone && gesture_.PressPoint.X > cw - zone && dx > 0 && !DragBlocked(dx + step, dy))
        dx += scroll(ScrollAxis::Horizontal, step, cw);
    if (y > ch - zone && gesture_.PressPoint.Y > ch - zone && dy > 0 && !DragBlocked(dx, dy + step))
        dy += scroll(ScrollAxis::Vertical, step, ch);
    if (ScrollX() > 0 && x < zone && gesture_.PressPoint.X < zone && dx < 0 &&
        !DragBlocked(dx - step, dy))
        dx += scroll(ScrollAxis::Horizontal, -step, cw);
    if (ScrollY() > 0 && y < zone && gesture_.PressPoint.Y < zone && dy < 0 &&
        !DragBlocked(dx, dy - step))
        dy += scroll(ScrollAxis::Vertical, -step, ch);
}

void FragSet::DragSelection(Fragment* under, int x, int y, ShiftState shift) {
    if (!gesture_.Dragging) return;
    int dx = x - gesture_.PressPoint.X;
    int dy = y - gesture_.PressPoint.Y;
    if (under && dx == 0 && dy == 0) return;
    if (!shift.Ctrl) gesture_.GroupDrag = false;
    // Blocked: nothing moves and the press point stays, so the offset keeps growing until the
    // move becomes legal.
    if (DragBlocked(dx, dy)) {
        ctx_.view.SetCursor(CursorShape::NotAllowed);
        return;
    }
    MoveCursorShape(shift.Ctrl && !gesture_.GroupDrag);

    bool scrolled = false;
    AutoScroll(x, y, dx, dy, scrolled);
    if (scrolled || !under) RefreshVisibility();

    if (dx != 0 || dy != 0) {
        for (Fragment* f : SelectionList) {
            f->EraseFragment();
            const int g = f->Group;
            if (g >= 1 && g <= kMaxGroup) {
                GroupEntry& e = GroupTable[static_cast<std::size_t>(g)];
                if (f->ScreenRect.Intersects(e.Frame.Bounds)) e.FrameTouched = true;
            }
            f->Left += dx;
            f->Top += dy;
            f->Right += dx;
            f->Bottom += dy;
            f->UpdateScreenRect();
            f->Erased = false;
            f->Redraw();
        }
        if (ctx_.env.GfrmMovUpdate) {
            std::array<Rect, kGroupRows> unions{};
            bool anyTouched = false;
            for (const GroupEntry& e : GroupTable)
                anyTouched = anyTouched || e.FrameTouched;
            if (anyTouched) {
                for (const auto& p : frags_) {
                    const int g = p->Group;
                    if (g >= 1 && g <= kMaxGroup &&
                        GroupTable[static_cast<std::size_t>(g)].FrameTouched)
                        unions[static_cast<std::size_t>(g)] =
                            unions[static_cast<std::size_t>(g)].United(p->DocRect());
                }
                for (int g = 1; g <= kMaxGroup; ++g) {
                    GroupEntry& e = GroupTable[static_cast<std::size_t>(g)];
                    if (!e.FrameTouched) continue;
                    if (unions[static_cast<std::size_t>(g)] == e.MemberUnion)
                        e.FrameTouched = false;
                    else
                        e.FrameMoved = true;
                }
                for (ArrowLine& line : GroupLines) {
                    if (!line.Drawn) continue;
                    const bool fromMoved =
                        FragSet::IsGroupNumber(line.From) &&
                        GroupTable[static_cast<std::size_t>(line.From)].FrameMoved;
                    const bool toMoved = FragSet::IsGroupNumber(line.To) &&
                                         GroupTable[static_cast<std::size_t>(line.To)].FrameMoved;
                    if (!fromMoved && !toMoved) continue;
                    InvalidateLine(line);
                    line.Drawn = false;
                }
            }
            UpdateGroupFrames();
        }
        gesture_.Moved = true;
    }
    gesture_.PressPoint = Point{x, y};
}

void FragSet::ReleaseDrag(Fragment* under, ShiftState shift) {
    ctx_.view.SetCursor(CursorShape::Default);
    if (gesture_.Dragging) {
        gesture_.Dragging = false;
        if (gesture_.Moved) {
            gesture_.Moved = false;
            if (shift.Ctrl && !gesture_.GroupDrag) {
                // Ctrl-drop: every dragged card joins the frame it was dropped on (no group when it
                // lies on none but its own).
                std::vector<std::pair<Fragment*, int>> joins;
                for (Fragment* f : SelectionList)
                    joins.emplace_back(f, GroupUnderFragment(*f));
                for (auto [f, g] : joins) {
                    if (f->Group == g) continue;
                    JoinGroup(f, g);
                    if (ctx_.env.ShowDstGrp) GroupTable[static_cast<std::size_t>(g)].Shown = true;
                }
                Recount();
                ctx_.host.RefreshGroupList();
            }
            ComputeWholeSize();
            UpdateScreenRects();
            ctx_.view.InvalidateAll();
            Modified = true;
        } else if (ctx_.env.ImageIsBack && HasImages) {
            RedrawAll();
            RepaintTouchedFrames();
        }
        gesture_.GroupDrag = false;
    } else if (gesture_.LinkPress) {
        Fragment* f = gesture_.LinkPress;
        gesture_.LinkPress = nullptr;
        f->LinkPressed = false;
        f->MarkStale();
        if (under == f) {
            f->Redraw();
            ctx_.links.OpenLink(*this, *f);
        } else {
            RefreshVisibility();
        }
    }
}

void FragSet::PageScrolled(int dx, int dy) {
    if (!gesture_.Dragging) return;
    gesture_.PressPoint.X -= dx;
    gesture_.PressPoint.Y -= dy;
}

void FragSet::DoubleClickFragment(Fragment* fragment, ShiftState shift) {
    if (!fragment) return;
    if (shift.Shift) {
        ctx_.links.OpenLink(*this, *fragment);
        return;
    }
    if (ReadOnly || SelectionList.empty()) return;
    ctx_.host.EditSelection(*this);
    gesture_.Dragging = false;
    gesture_.GroupDrag = false;
    ctx_.view.SetCursor(CursorShape::Default);
    ctx_.host.TurnImeOff();
    gesture_.AfterDialog = true;
}

}  // namespace qv
