// The program's own cursors: the grabbing and picking hands shown while cards move and the four
// tool cursors of the document window. Drawn once, on first use, and kept for the program's life.
#pragma once

#include <QCursor>
#include <QPixmap>
#include <QPoint>

#include "core/model/ports.h"

namespace qv {

// The image of one of the numbered cursors (GrabLeft … SpuitTool) and its hot spot; a null pixmap
// for the shapes the platform provides.
QPixmap ToolCursorImage(CursorShape shape, QPoint* hotSpot = nullptr);

// The cursor for a shape: the program's own image for the numbered ones, the platform's arrow and
// not-allowed shapes otherwise.
QCursor ToolCursor(CursorShape shape);

// The brush and the eyedropper act on the point under their tip, this far from the hot spot.
inline constexpr QPoint kBrushTipOffset{4, 28};

}  // namespace qv
