// Settings at the ends of the integer range: a document built and drawn with them, through every
// painter, stays within defined arithmetic (the sanitizer build checks every operation).
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <string>

#include "core/io/text_exchange.h"
#include "core/model/arrow_line.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "render/painting/document_painter.h"
#include "render/painting/offscreen_document.h"
#include "render/painting/render_cache.h"
#include "unit/model/fakes.h"

namespace {

// Every integer setting and every font size at `extreme`.
qv::UsrIniFile ExtremeSettings(int extreme) {
    qv::UsrIniFile ini;
    for (const auto& s : qv::StoredSettings())
        if (s.Kind == qv::SettingKind::Int) ini.WriteInteger(s.Section, s.Key, extreme);
    for (const auto& f : qv::StoredFonts())
        ini.WriteInteger(f.Section, "FontSize", extreme);
    return ini;
}

class ExtremeSettingsTest : public ::testing::TestWithParam<int> {};

TEST_P(ExtremeSettingsTest, BuildDrawAndSaveADocument) {
    qv::UsrIniFile ini = ExtremeSettings(GetParam());
    qv::EnvData env(ini);
    qv::OffscreenDocument doc(env, nullptr, 500, 400);
    qv::FragSet& set = doc.Set();

    // Cards of every kind at the default sizes, placed as imports and new cards place them.
    const std::string_view lines[] = {"[one]", ";plate", "text", "[two]", "more text"};
    ASSERT_GT(qv::ImportLines(set, lines, 1), 0);
    qv::Fragment* image = qv::test::AddCard(set, "#", 1, 10, 10, env.ImgRatio1, env.ImgRatio2,
                                            qv::FragmentKind::Image);
    ASSERT_NE(image, nullptr);
    image->LoadPicture();
    qv::test::AddCard(set, "*", 2, 30, 30, 1, 1, qv::FragmentKind::Symbol);
    for (const int k : {0, 1, 999, 1 << 30}) {
        const qv::Point p = set.NewFragmentPosition(env.FrgWidth, env.FrgHeight, k);
        EXPECT_GE(p.X, 0);
        EXPECT_GE(p.Y, 0);
    }
    ASSERT_TRUE(set.SetGroupLine(1, 2));
    set.GroupLines[0].Type = qv::kLineDoubleArrow;
    set.Recount();
    set.RefreshVisibility();

    qv::RenderCache cache;
    QImage window(500, 400, QImage::Format_RGB32);
    {
        QPainter p(&window);
        qv::PaintDocumentWindow(p, set, cache);
    }
    if (const auto page = qv::RenderDocumentImage(set, cache)) {
        EXPECT_FALSE(page->isNull());
    }
    QImage printed(300, 200, QImage::Format_RGB32);
    {
        QPainter p(&printed);
        qv::PrintDocumentPage(p, set, cache, 300, 200);
    }
    QImage map(120, 90, QImage::Format_RGB32);
    {
        QPainter p(&map);
        qv::PaintMap(p, &set, cache, 120, 90);
    }

    // What is saved loads to the same values.
    qv::UsrIniFile saved;
    env.Store(saved);
    const qv::EnvData again(saved);
    for (const auto& s : qv::StoredSettings())
        EXPECT_EQ(qv::GetSetting(again, s), qv::GetSetting(env, s)) << s.Key;
}

INSTANTIATE_TEST_SUITE_P(IntegerEnds, ExtremeSettingsTest,
                         ::testing::Values(2147483647, -2147483647 - 1));

}  // namespace
