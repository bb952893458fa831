// The colour dialog with the program's 16 custom colours: they are handed to the dialog and taken
// back into the settings afterwards, whichever way it closes.
#pragma once

#include <QColor>
#include <functional>
#include <optional>

class QWidget;

namespace qv {
class EnvData;
}

// Opens the colour dialog at `initial`; the choice, or none when cancelled.
std::optional<QColor> ChooseColourWithCustom(qv::EnvData& env, const QColor& initial,
                                             QWidget* parent);

// A colour chooser as the dialogs take it (tests put their own in).
using ColourChooserFn = std::function<std::optional<QColor>(const QColor& initial)>;
