#include "app/dialogs/colour_choice.h"

#include <QColorDialog>

#include "core/settings/env_data.h"
#include "render/painting/colors.h"

std::optional<QColor> ChooseColourWithCustom(qv::EnvData& env, const QColor& initial,
                                             QWidget* parent) {
    OfferCustomColours(env.CustomColors);
    const QColor chosen = QColorDialog::getColor(initial, parent);
    env.CustomColors = CustomColoursOfDialog();
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}

void OfferCustomColours(const std::array<qv::Color, 16>& colours) {
    for (std::size_t i = 0; i < colours.size(); ++i)
        QColorDialog::setCustomColor(static_cast<int>(i), qv::ToQColor(colours[i]));
}

std::array<qv::Color, 16> CustomColoursOfDialog() {
    std::array<qv::Color, 16> colours{};
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = FromQColor(QColorDialog::customColor(static_cast<int>(i)));
    return colours;
}

qv::Color FromQColor(const QColor& colour) {
    return qv::Rgb(colour.red(), colour.green(), colour.blue());
}
