// Group frames and group lines: frame rectangles from the members, line routing between frames,
// frame visibility, and the repaints they cause.
#include <algorithm>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

namespace qv {

bool FragSet::PickOutActive() const {
    return gesture_.Dragging && !gesture_.GroupDrag && ctx_.view.CtrlDown();
}

// Only the outline of a frame is painted: repaint the strips along its edges and the rounded
// corners, not everything inside.
void FragSet::InvalidateFrame(const GroupFrame& frame) {
    const Rect& b = frame.Bounds;
    if (b.IsEmpty()) return;
    DocumentView& view = ctx_.view;
    const int w = std::max(frame.PenWidth, 1) + 2;
    const int corner = std::clamp(frame.MaxRound, 0, std::min(b.Width(), b.Height()) / 2) + w;
    view.Invalidate(Rect{b.Left - 2, b.Top - 2, b.Right + 2, b.Top + w});
    view.Invalidate(Rect{b.Left - 2, b.Bottom - w, b.Right + 2, b.Bottom + 2});
    view.Invalidate(Rect{b.Left - 2, b.Top - 2, b.Left + w, b.Bottom + 2});
    view.Invalidate(Rect{b.Right - w, b.Top - 2, b.Right + 2, b.Bottom + 2});
    if (frame.MaxRound > 1) {
        view.Invalidate(Rect{b.Left, b.Top, b.Left + corner, b.Top + corner});
        view.Invalidate(Rect{b.Right - corner, b.Top, b.Right, b.Top + corner});
        view.Invalidate(Rect{b.Left, b.Bottom - corner, b.Left + corner, b.Bottom});
        view.Invalidate(Rect{b.Right - corner, b.Bottom - corner, b.Right, b.Bottom});
    }
}

void FragSet::InvalidateLine(const ArrowLine& line) {
    scratchRects_.clear();
    LinePaintRects(line, ctx_.env.GLineArrowSize, scratchRects_);
    for (const Rect& r : scratchRects_)
        ctx_.view.Invalidate(r);
}

void FragSet::UpdateGroupFrames() {
    const EnvData& env = ctx_.env;
    const bool pickOut = PickOutActive();

    // Step 1: frame rectangles, every group in one pass over the fragments.
    std::array<Rect, kGroupRows> docUnion{}, winUnion{};
    std::array<Fragment*, kGroupRows> plates{};
    for (const auto& p : frags_) {
        const int g = p->Group;
        if (g < 1 || g > kMaxGroup) continue;
        const auto i = static_cast<std::size_t>(g);
        if (GroupTable[i].Empty) continue;
        if (p->Kind == FragmentKind::NamePlate && !plates[i]) plates[i] = p.get();
        if (pickOut && p->Selected) continue;
        docUnion[i] = docUnion[i].United(p->DocRect());
        winUnion[i] = winUnion[i].United(p->ScreenRect);
    }
    std::array<GroupFrame, kGroupRows> before;
    for (int g = 1; g <= kMaxGroup; ++g) {
        const auto i = static_cast<std::size_t>(g);
        GroupEntry& e = GroupTable[i];
        before[i] = e.Frame;
        e.MemberUnion = docUnion[i];
        if (docUnion[i].IsEmpty()) {
            e.Bounds = Rect{};
            e.Frame.Bounds = Rect{};
        } else {
            e.Bounds = docUnion[i].Inflated(kFrameMargin, kFrameMargin);
            e.Frame.Bounds = winUnion[i].Inflated(kFrameMargin, kFrameMargin);
        }
    }

    // Step 2: route every line between its two frames; show it where both groups are shown.
    const int sx = ScrollX(), sy = ScrollY();
    routeMemo_.resize(GroupLines.size());
    for (std::size_t li = 0; li < GroupLines.size(); ++li) {
        ArrowLine& line = GroupLines[li];
        if (line.From < 1 || line.From > kMaxGroup || line.To < 1 || line.To > kMaxGroup) continue;
        const GroupEntry& from = GroupTable[static_cast<std::size_t>(line.From)];
        const GroupEntry& to = GroupTable[static_cast<std::size_t>(line.To)];
        if (from.Frame.Bounds.IsEmpty() || to.Frame.Bounds.IsEmpty()) continue;
        RouteMemo& memo = routeMemo_[li];
        if (!memo.Valid || memo.From != from.Frame.Bounds || memo.To != to.Frame.Bounds ||
            memo.Type != line.Type || memo.Width != line.Width ||
            memo.RightAngle != env.GLineRightAngle) {
            memo.From = from.Frame.Bounds;
            memo.To = to.Frame.Bounds;
            memo.Type = line.Type;
            memo.Width = line.Width;
            memo.RightAngle = env.GLineRightAngle;
            memo.Route = RouteLine(memo.From, memo.To, line.Type, line.Width, memo.RightAngle);
            memo.Valid = true;
        }
        const LineRoute& route = memo.Route;
        const bool moved = route.Start != line.WinStart || route.End != line.WinEnd;
        const bool show = env.GroupLine && from.Shown && to.Shown;
        if (line.Drawn && (moved || !show)) InvalidateLine(line);
        line.WinStart = route.Start;
        line.WinEnd = route.End;
        line.DocStart = Point{route.Start.X + sx, route.Start.Y + sy};
        line.DocEnd = Point{route.End.X + sx, route.End.Y + sy};
        if (show && (!line.Drawn || moved)) InvalidateLine(line);
        line.Drawn = show;
    }

    // Step 3: which frames show.
    for (int g = 1; g <= kMaxGroup; ++g) {
        const auto i = static_cast<std::size_t>(g);
        GroupEntry& e = GroupTable[i];
        e.FrameMoved = false;
        e.Frame.PenColor = env.Colors.GroupFrame;
        e.Frame.PenWidth = env.GFrameLineWidth;
        const bool content = plates[i] ? (env.IfNpShowGfrm || e.TextCount > 0)
                                       : (!env.NoNpHideGfrm && e.TextCount > 0);
        e.Frame.Visible = env.GroupFrame && e.Shown && content;
        const GroupFrame& old = before[i];
        const bool same = old.Visible == e.Frame.Visible && old.Bounds == e.Frame.Bounds &&
                          old.PenColor == e.Frame.PenColor && old.PenWidth == e.Frame.PenWidth;
        if (same) continue;
        if (old.Visible) InvalidateFrame(old);
        if (e.Frame.Visible) InvalidateFrame(e.Frame);
    }
}

void FragSet::EraseGroupLines() {
    for (ArrowLine& line : GroupLines) {
        if (!line.Drawn) continue;
        InvalidateLine(line);
        line.Drawn = false;
    }
}

void FragSet::RepaintTouchedFrames() {
    const bool all = ctx_.env.ImageIsBack && HasImages;
    for (int g = 1; g <= kMaxGroup; ++g) {
        GroupEntry& e = GroupTable[static_cast<std::size_t>(g)];
        if (!all && !e.FrameTouched) continue;
        if (e.Frame.Visible) InvalidateFrame(e.Frame);
        e.FrameTouched = false;
    }
}

}  // namespace qv
