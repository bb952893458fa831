#include "render/text/fonts.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

#include "render/text/qt_text.h"

namespace {

QString Map(const char* utf8) {
    return qv::MapFontFace(QString::fromUtf8(utf8));
}

TEST(MapFontFace, WindowsJapaneseFacesBecomeIpaFaces) {
    EXPECT_EQ(Map("ＭＳ Ｐゴシック"), "IPAPGothic");
    EXPECT_EQ(Map("ＭＳ　Ｐゴシック"), "IPAPGothic");  // full-width blank
    EXPECT_EQ(Map("MS PGothic"), "IPAPGothic");
    EXPECT_EQ(Map("MS UI Gothic"), "IPAPGothic");
    EXPECT_EQ(Map("ＭＳ ゴシック"), "IPAGothic");
    EXPECT_EQ(Map("ms gothic"), "IPAGothic");
    EXPECT_EQ(Map("ＭＳ 明朝"), "IPAMincho");
    EXPECT_EQ(Map("MS Mincho"), "IPAMincho");
    EXPECT_EQ(Map("ＭＳ Ｐ明朝"), "IPAPMincho");
    EXPECT_EQ(Map("MS PMincho"), "IPAPMincho");
}

TEST(MapFontFace, InstalledFacesStayAndOthersFallBack) {
    EXPECT_EQ(Map("No Such Face 123"), qv::kFallbackFontFamily);
    EXPECT_EQ(Map(""), qv::kFallbackFontFamily);
    EXPECT_EQ(Map("IPAGothic"), "IPAGothic");
    for (const QString& family : QFontDatabase::families()) {
        if (family.startsWith("IPA")) continue;
        EXPECT_EQ(qv::MapFontFace(family), family);
        break;
    }
}

TEST(MakeFont, HonoursFaceStyleAndPixelHeight) {
    qv::FontSpec fontSpec;
    fontSpec.Face = qv::ToCp932(QString::fromUtf8("ＭＳ Ｐゴシック"));
    fontSpec.Size = 9;  // 12 pixels
    fontSpec.Bold = true;
    fontSpec.Italic = true;
    const QFont font = qv::MakeFont(fontSpec);
    EXPECT_EQ(QFontInfo(font).family(), "IPAPGothic");
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.italic());

    fontSpec.Bold = fontSpec.Italic = false;
    const QFont plain = qv::MakeFont(fontSpec, 30);
    EXPECT_FALSE(plain.bold());
    EXPECT_FALSE(plain.italic());
    EXPECT_LE(plain.pixelSize(), 30);
    EXPECT_GE(plain.pixelSize(), 28);
}

TEST(MakeFont, OneTextLineFitsTheCardLine) {
    for (const char* face : {"MS PGothic", "ＭＳ 明朝", "No Such Face"}) {
        for (int size : {6, 9, 11, 20, 40, -11, -20}) {
            qv::FontSpec fontSpec;
            fontSpec.Face = qv::ToCp932(QString::fromUtf8(face));
            fontSpec.Size = size;
            const int h = fontSpec.PixelHeight();
            const QFont font = qv::MakeFont(fontSpec);
            const int limit = size < 0 ? h : h + 2;
            EXPECT_LE(QFontMetrics(font).height(), limit) << face << " " << size;
            // Not shrunk further than needed.
            QFont bigger = font;
            bigger.setPixelSize(font.pixelSize() + 1);
            if (font.pixelSize() < h) {
                EXPECT_GT(QFontMetrics(bigger).height(), limit);
            }
        }
    }
}

}  // namespace
