// What one press-drag-release on a document window is doing: where the pointer was last, whether
// cards are being dragged and how, and the step of the group line tool. It belongs to the window
// the user works in, not to the document: nothing of it is saved, copied or shown elsewhere.
#pragma once

#include "core/geom.h"

namespace qv {

class Fragment;

// The group line tool's step on a document window.
enum class LineToolStep {
    Off,      // another tool is chosen
    Ready,    // the tool is chosen and waits for a press on a frame
    Drawing,  // the left button is down and the rubber line follows the pointer
};

struct Gesture {
    // The last point the drag was taken to (client coordinates).
    Point PressPoint;
    // Cards are being dragged with the left button.
    bool Dragging = false;
    // The drag carries whole groups (Ctrl was down at the press).
    bool GroupDrag = false;
    // The drag has moved the cards at least once.
    bool Moved = false;
    // A double click opened the property dialog; the press that ended it starts no drag.
    bool AfterDialog = false;
    // The card whose link mark is held down; its link opens when the button comes up over it.
    Fragment* LinkPress = nullptr;
    LineToolStep LineStep = LineToolStep::Off;
};

}  // namespace qv
