// One row of a document's group table, with the plain-data record of its group frame.
#pragma once

#include "core/color.h"
#include "core/geom.h"

namespace qv {

// The rounded outline around a group's members, as the painter needs it. The model decides where
// it is and whether it shows; the render layer paints its outline.
struct GroupFrame {
    Rect Bounds;  // client coordinates: the members' screen union grown by 16; empty when none
    bool Visible = false;
    Color PenColor = 0x00FFFF;
    int PenWidth = 1;
    int MaxRound = 50;  // largest corner diameter, taken once when the document is created
};

struct GroupEntry {
    GroupFrame Frame;
    Rect Bounds;       // document coordinates: MemberUnion grown by 16; empty without members
    Rect MemberUnion;  // exact union of the members' document rectangles
    bool Shown = true;
    bool HasSelected = false;
    bool FrameTouched = false;  // dragged cards overlapped the frame: repaint it
    bool FrameMoved = false;    // the members' union changed during the drag
    bool Empty = true;
    int Count = 0;
    int TextCount = 0;  // members of kind Text
};

// Margin between a group's members and its frame.
inline constexpr int kFrameMargin = 16;

}  // namespace qv
