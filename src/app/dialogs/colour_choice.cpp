#include "app/dialogs/colour_choice.h"

#include <QColorDialog>

#include "core/settings/env_data.h"
#include "render/colors.h"

std::optional<QColor> ChooseColourWithCustom(qv::EnvData& env, const QColor& initial,
                                             QWidget* parent) {
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i,
                                     qv::ToQColor(env.CustomColors[static_cast<std::size_t>(i)]));
    const QColor chosen = QColorDialog::getColor(initial, parent);
    for (int i = 0; i < 16; ++i) {
        const QColor c = QColorDialog::customColor(i);
        env.CustomColors[static_cast<std::size_t>(i)] = qv::Rgb(c.red(), c.green(), c.blue());
    }
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}
