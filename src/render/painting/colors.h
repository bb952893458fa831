// Stored colour values (0x00BBGGRR, system colours 0x80000000 + n, "no colour") as Qt colours.
#pragma once

#include <QColor>

#include "core/color.h"

namespace qv {

// The colour to paint with. System colours come from the application palette where it has a
// matching role (window, window text, workspace, button face, grey text, highlight...) and from
// the classic defaults otherwise; kNoColor is fully transparent. The top byte of other values is
// ignored, as the platform did with its palette-index flags.
QColor ToQColor(Color color);

}  // namespace qv
