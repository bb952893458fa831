// The zoom of a document window: the levels the commands step through, the range a wheel or a
// pinch may reach between them, and the size a fit asks for. Zoom is a window's view of the page
// only; nothing of it is stored with a document.
#pragma once

#include <array>
#include <string>

#include "core/geom.h"

namespace qv {

// Percent levels of ViewZoomIn and ViewZoomOut.
inline constexpr std::array<int, 12> kZoomLevels = {10,  25,  33,  50,  67,  75,
                                                    100, 125, 150, 200, 300, 400};
inline constexpr double kMinZoom = 0.10;
inline constexpr double kMaxZoom = 4.00;

// `factor` within kMinZoom … kMaxZoom (1 for anything that is not a number).
double ClampZoom(double factor);

// The next level above (below) `factor`; a factor between two levels goes to the nearer one in
// that direction, so a pinch followed by a command lands on a level. The ends stay where they are.
double NextZoomLevel(double factor);
double PreviousZoomLevel(double factor);

// The factor at which `area` (document pixels) fits a client of clientWidth × clientHeight
// screen pixels with `margin` screen pixels left free on every side, clamped; 1 for an empty area
// or client.
double FitZoom(const Rect& area, int clientWidth, int clientHeight, int margin);

// "75%": the factor in whole percent, rounded half up.
std::string ZoomPercentText(double factor);

}  // namespace qv
