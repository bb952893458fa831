#include "render/painting/colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>

namespace qv {

namespace {

// The classic default system colours, used without a palette and for roles Qt has none for.
constexpr std::array<Color, 31> kClassicSystemColors = {
    Rgb(0xC8, 0xC8, 0xC8),  //  0 scroll bar
    Rgb(0x00, 0x80, 0x80),  //  1 desktop
    Rgb(0x00, 0x00, 0x80),  //  2 active caption
    Rgb(0x80, 0x80, 0x80),  //  3 inactive caption
    Rgb(0xC0, 0xC0, 0xC0),  //  4 menu
    Rgb(0xFF, 0xFF, 0xFF),  //  5 window
    Rgb(0x00, 0x00, 0x00),  //  6 window frame
    Rgb(0x00, 0x00, 0x00),  //  7 menu text
    Rgb(0x00, 0x00, 0x00),  //  8 window text
    Rgb(0xFF, 0xFF, 0xFF),  //  9 caption text
    Rgb(0xC0, 0xC0, 0xC0),  // 10 active border
    Rgb(0xC0, 0xC0, 0xC0),  // 11 inactive border
    Rgb(0x80, 0x80, 0x80),  // 12 application workspace
    Rgb(0x00, 0x00, 0x80),  // 13 highlight
    Rgb(0xFF, 0xFF, 0xFF),  // 14 highlight text
    Rgb(0xC0, 0xC0, 0xC0),  // 15 button face
    Rgb(0x80, 0x80, 0x80),  // 16 button shadow
    Rgb(0x80, 0x80, 0x80),  // 17 grey text
    Rgb(0x00, 0x00, 0x00),  // 18 button text
    Rgb(0xC0, 0xC0, 0xC0),  // 19 inactive caption text
    Rgb(0xFF, 0xFF, 0xFF),  // 20 button highlight
    Rgb(0x00, 0x00, 0x00),  // 21 3-D dark shadow
    Rgb(0xDF, 0xDF, 0xDF),  // 22 3-D light
    Rgb(0x00, 0x00, 0x00),  // 23 tool-tip text
    Rgb(0xFF, 0xFF, 0xE1),  // 24 tool-tip background
    Rgb(0xC0, 0xC0, 0xC0),  // 25 (unused)
    Rgb(0x00, 0x00, 0xFF),  // 26 hot-tracked item
    Rgb(0x10, 0x84, 0xD0),  // 27 gradient active caption
    Rgb(0xB5, 0xB5, 0xB5),  // 28 gradient inactive caption
    Rgb(0x31, 0x6A, 0xC5),  // 29 menu highlight
    Rgb(0xEC, 0xE9, 0xD8),  // 30 menu bar
};

QColor FromColorRef(Color c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// The palette role standing in for a system colour, if Qt has one.
bool PaletteColor(unsigned index, QColor& out) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
        case 5:
            out = palette.color(QPalette::Active, QPalette::Base);
            return true;
        case 8:
            out = palette.color(QPalette::Active, QPalette::Text);
            return true;
        case 12:
            out = palette.color(QPalette::Active, QPalette::Dark);
            return true;
        case 13:
            out = palette.color(QPalette::Active, QPalette::Highlight);
            return true;
        case 14:
            out = palette.color(QPalette::Active, QPalette::HighlightedText);
            return true;
        case 15:
            out = palette.color(QPalette::Active, QPalette::Button);
            return true;
        case 16:
            out = palette.color(QPalette::Active, QPalette::Mid);
            return true;
        case 17:
            out = palette.color(QPalette::Disabled, QPalette::Text);
            return true;
        case 18:
            out = palette.color(QPalette::Active, QPalette::ButtonText);
            return true;
        case 20:
            out = palette.color(QPalette::Active, QPalette::Light);
            return true;
        case 21:
            out = palette.color(QPalette::Active, QPalette::Shadow);
            return true;
        case 23:
            out = palette.color(QPalette::Active, QPalette::ToolTipText);
            return true;
        case 24:
            out = palette.color(QPalette::Active, QPalette::ToolTipBase);
            return true;
        default:
            return false;
    }
}

}  // namespace

QColor ToQColor(Color color) {
    if (color == kNoColor) return QColor(0, 0, 0, 0);
    if (IsSystemColor(color)) {
        const unsigned index = color & 0xFFFFFF;
        QColor fromPalette;
        if (PaletteColor(index, fromPalette)) return fromPalette;
        if (index < kClassicSystemColors.size()) return FromColorRef(kClassicSystemColors[index]);
        return QColor(0, 0, 0);
    }
    return FromColorRef(color);
}

}  // namespace qv
