// The colour dialog with the program's 16 custom colours: they are handed to the dialog and taken
// back into the settings afterwards, whichever way it closes.
#pragma once

#include <QColor>
#include <array>
#include <functional>
#include <optional>

#include "core/color.h"

class QWidget;

namespace qv {
class EnvData;
}

// Opens the colour dialog at `initial`; the choice, or none when cancelled.
std::optional<QColor> ChooseColourWithCustom(qv::EnvData& env, const QColor& initial,
                                             QWidget* parent);

// The custom colours every colour dialog of the program starts with, and those it ends with (the
// user may have changed them, even in a dialog that was then cancelled).
void OfferCustomColours(const std::array<qv::Color, 16>& colours);
std::array<qv::Color, 16> CustomColoursOfDialog();

// A colour of a colour dialog as the settings and documents hold it.
qv::Color FromQColor(const QColor& colour);

// A colour chooser as the dialogs take it (tests put their own in).
using ColourChooserFn = std::function<std::optional<QColor>(const QColor& initial)>;
