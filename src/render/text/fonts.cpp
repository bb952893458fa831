#include "render/text/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <algorithm>

#include "render/text/qt_text.h"

namespace qv {

namespace {

// Compatibility-normalised, blanks removed, upper case: "ＭＳ　Ｐゴシック" and "ms pgothic" become
// "MSPゴシック" and "MSPGOTHIC".
QString FaceKey(const QString& face) {
    QString key = face.normalized(QString::NormalizationForm_KC);
    key.remove(QLatin1Char(' '));
    return key.toUpper();
}

QString WindowsFaceSubstitute(const QString& key) {
    struct Substitute {
        const char16_t* Key;
        const char* Family;
    };
    static const Substitute kSubstitutes[] = {
        {u"MSPゴシック", "IPAPGothic"}, {u"MSPGOTHIC", "IPAPGothic"},  {u"MSゴシック", "IPAGothic"},
        {u"MSGOTHIC", "IPAGothic"},     {u"MSUIGOTHIC", "IPAPGothic"}, {u"MSP明朝", "IPAPMincho"},
        {u"MSPMINCHO", "IPAPMincho"},   {u"MS明朝", "IPAMincho"},      {u"MSMINCHO", "IPAMincho"},
    };
    for (const Substitute& s : kSubstitutes) {
        if (key == QString::fromUtf16(s.Key)) return QString::fromLatin1(s.Family);
    }
    return {};
}

bool IsInstalled(const QString& family) {
    return !family.isEmpty() && QFontDatabase::hasFamily(family);
}

}  // namespace

QString MapFontFace(const QString& face) {
    const QString trimmed = face.trimmed();
    const QString substitute = WindowsFaceSubstitute(FaceKey(trimmed));
    if (IsInstalled(substitute)) return substitute;
    if (substitute.isEmpty() && IsInstalled(trimmed)) return trimmed;
    return QString::fromLatin1(kFallbackFontFamily);
}

QFont MakeFont(const FontSpec& fontSpec, int pixelHeight) {
    const int h = std::clamp(pixelHeight, 1, kMaxFontPixelHeight);
    QFont font(MapFontFace(FromCp932(fontSpec.Face)));
    font.setBold(fontSpec.Bold);
    font.setItalic(fontSpec.Italic);
    font.setPixelSize(h);

    // The engine's line height exceeds the nominal size by the rounding of ascent and descent (and
    // by more for fonts with tall ascenders): shrink until a line fits.
    const int limit = fontSpec.Size < 0 ? h : h + 2;
    int height = QFontMetrics(font).height();
    if (height > limit && height > 0) {
        int size = std::max(1, h * limit / height);
        font.setPixelSize(size);
        while (size > 1 && QFontMetrics(font).height() > limit)
            font.setPixelSize(--size);
        // The estimate can undershoot; take the largest size that still fits.
        while (size < h) {
            font.setPixelSize(size + 1);
            if (QFontMetrics(font).height() > limit) {
                font.setPixelSize(size);
                break;
            }
            ++size;
        }
    }
    return font;
}

QFont MakeFont(const FontSpec& fontSpec) {
    return MakeFont(fontSpec, fontSpec.PixelHeight());
}

}  // namespace qv
