// Drawing group frames and group lines.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>

class QPainter;

namespace qv {

class EnvData;
struct ArrowLine;
struct GroupFrame;

// Paints a group frame on the document window: the rounded outline of frame.Bounds (client
// coordinates) in the frame's pen, with corner diameter min(MaxRound, a quarter of the smaller
// inner side), always odd; square corners when MaxRound <= 1. Only the outline is painted, all of
// it inside Bounds.
void PaintRndFrame(QPainter& painter, const GroupFrame& frame);

// A quarter of the ellipse in `box` (0: upper right, 1: upper left, 2: lower left, 3: lower
// right), as QPainter::drawArc draws it with the painter's pen. A one-pixel pen on a painter that
// only moves draws a square box's pixels from a set worked out once per size: stroking the arc
// costs more than all the rest of a frame.
void DrawQuarterArc(QPainter& painter, const QRect& box, int quarter);

// The painter's line from `from` to `to` reaching one pixel further, so that from..to are all
// painted when drawn rightwards or downwards. A one-pixel pen on a painter that only moves fills
// such a level or upright line as the rectangle of its pixels.
void DrawPixelSpan(QPainter& painter, QPoint from, QPoint to);

// Draws a group line with its arrowheads at the line's window points (WinStart, WinEnd). Uses
// GLineArrowSize and GLineArrowType.
void DrawArrowLine(QPainter& painter, const ArrowLine& line, const QColor& color,
                   const EnvData& env);
// The same at the line's document points times `zoom` (> 0), moved by -origin, widths and
// arrowheads scaled (printing, image output, vector files). `stepped` (image output) steps
// one-pixel lines itself, so that any part of the image painted alone has the pixels of the whole.
void DrawArrowLineScaled(QPainter& painter, const ArrowLine& line, double zoom, const QColor& color,
                         const EnvData& env, QPoint origin = QPoint(), bool stepped = false);

// A one-pixel line from `from` up to, not including, `to` (coordinates moved by -origin when
// drawn), every third pixel when `dotted`, in the painter's pen colour. The pixels depend only on
// the two points, never on the painter's clip or device size.
void StepLine(QPainter& painter, QPoint from, QPoint to, bool dotted, QPoint origin = QPoint());

// The overview map's line: one pixel wide (dotted for a dotted line), no arrowheads, between the
// document points times `scale`, in `color`. Nothing unless the line is Drawn.
void DrawThinLine(QPainter& painter, const ArrowLine& line, double scale, const QColor& color);

// A group frame on paper, in an image or on the map: a rounded rectangle through `rect` (exclusive
// right and bottom) whose corner ellipse is cornerDiameter × cornerDiameter, in `color` and
// `penWidth`, not filled.
void DrawRoundedFrame(QPainter& painter, const QRect& rect, int cornerDiameter, const QColor& color,
                      int penWidth);

}  // namespace qv
