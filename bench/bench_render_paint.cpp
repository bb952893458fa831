// Painting a document: a full 1920 × 1080 view of 1000 cards of 12 × 3 columns with Japanese text
// with the default settings (no card image cache, FrgFastDraw off; target 8.3 ms), from the card
// image cache FrgFastDraw keeps (8 ms) and with every cached card rebuilt (40 ms); one drag step
// of 50 selected cards, moving them, building the repaint region and painting it (2 ms); and the
// image output of a fixed 2000 × 1500 page of 1000 cards as a JPEG of quality 100 (250 ms).
// The paint of a real window after a command, region and refresh included, is measured by
// bench_app_commands.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/formats/document_export.h"
#include "render/painting/document_painter.h"
#include "render/painting/offscreen_document.h"
#include "render/painting/render_cache.h"

namespace {

// Fonts and painting need a GUI application; one for the whole run, made on first use.
void EnsureApplication() {
    static int argc = 1;
    static char name[] = "bench_render_paint";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return std::make_unique<QGuiApplication>(argc, argv);
    }();
}

// Card texts: a few dozen Japanese words, about 30 characters a card.
std::string CardText(int i) {
    static const char* const kWords[] = {
        "\x83\x41\x83\x43\x83\x66\x83\x41",          // アイデア
        "\x89\xb9\x90\xba\x82\xc5\x83\x81\x83\x82",  // 音声でメモ
        "\x8e\xca\x90\x5e\x82\xa9\x82\xe7",          // 写真から
        "\x95\xb6\x8e\x9a\x82\xf0\x93\xc7\x82\xde",  // 文字を読む
        "\x83\x4a\x81\x5b\x83\x68",                  // カード
        "\x90\x46\x82\xc5\x95\xaa\x97\xde",          // 色で分類
        "\x93\xaf\x8a\xfa\x82\xcd\x8c\xe3\x82\xc5",  // 同期は後で
        "\x89\xdb\x91\xe8",                          // 課題
        "\x8c\x9f\x93\xa2\x82\xb7\x82\xe9",          // 検討する
    };
    std::string text;
    for (int w = 0; w < 6; ++w)
        text += kWords[(i * 7 + w * 5) % 9];
    return text + std::to_string(i);
}

struct PaintFixture {
    qv::EnvData env;
    std::unique_ptr<qv::OffscreenDocument> doc;
    qv::RenderCache cache;
    QImage target;

    PaintFixture(int width, int height, bool fixedPage, bool fastDraw = false) {
        EnsureApplication();
        env.FrgFastDraw = fastDraw;
        doc = std::make_unique<qv::OffscreenDocument>(env, nullptr, width, height);
        qv::FragSet& set = doc->Set();
        if (fixedPage) {
            set.FixedSize = true;
            set.FixedWidth = 2000;
            set.FixedHeight = 1500;
            set.DivColumns = 4;
            set.DivRows = 3;
        }
        // 40 × 25 cards overlapping on a grid that fills the view; 30 groups, 40 lines.
        const int stepX = (width - 190) / 39, stepY = (height - 60) / 24;
        for (int i = 0; i < 1000; ++i) {
            qv::Fragment* f = set.AddFragment();
            f->Text = CardText(i);
            f->Group = 1 + (i % 40) / 4 + 10 * ((i / 40) / 9);
            f->Left = (i % 40) * stepX;
            f->Top = (i / 40) * stepY;
            f->Columns = 12;
            f->Lines = 3;
            if (i % 7 == 0) f->ColBG = qv::Rgb(255, 240, 200);
        }
        for (int g = 1; g < 30; ++g)
            set.SetGroupLine(g, g + 1);
        for (int g = 1; g <= 11; ++g)
            set.SetGroupLine(g, g + 10);
        set.Recount();
        set.RefreshVisibility();
        target = QImage(width, height, QImage::Format_RGB32);
    }

    void Paint(const QRegion& region = QRegion()) {
        QPainter painter(&target);
        qv::PaintDocumentWindow(painter, doc->Set(), cache, region);
    }
};

// With the default settings, as most users paint.
void BM_FullPaintDefaultSettings(benchmark::State& state) {
    PaintFixture fx(1920, 1080, false);
    fx.Paint();
    for (auto _ : state) {
        fx.Paint();
        benchmark::ClobberMemory();
    }
    state.counters["cached"] = fx.cache.CachedCardCount();
}
BENCHMARK(BM_FullPaintDefaultSettings)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// With FrgFastDraw on (off by default): every card from its cached image.
void BM_FullPaintFastDrawCachedCards(benchmark::State& state) {
    PaintFixture fx(1920, 1080, false, true);
    fx.Paint();
    for (auto _ : state) {
        fx.Paint();
        benchmark::ClobberMemory();
    }
    state.counters["cached"] = fx.cache.CachedCardCount();
}
BENCHMARK(BM_FullPaintFastDrawCachedCards)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// With FrgFastDraw on, every cached card image made anew.
void BM_FullPaintFastDrawEveryCardStale(benchmark::State& state) {
    PaintFixture fx(1920, 1080, false, true);
    fx.Paint();
    for (auto _ : state) {
        for (const auto& f : fx.doc->Set().Fragments())
            f->MarkStale();
        fx.Paint();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullPaintFastDrawEveryCardStale)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One step of dragging 50 selected cards with the default settings, all of it timed: the cards
// move, the union of their old and new places is built as the repaint region, and it is painted.
void BM_DragStepMoveRegionAndPaint(benchmark::State& state) {
    PaintFixture fx(1920, 1080, false);
    qv::FragSet& set = fx.doc->Set();
    std::vector<qv::Fragment*> moved;
    for (int i = 400; i < 450; ++i) {
        qv::Fragment* f = set.Fragments()[static_cast<std::size_t>(i)].get();
        f->SetSelected(true);
        moved.push_back(f);
    }
    set.RebuildSelection();
    fx.Paint();
    int dx = 3;
    for (auto _ : state) {
        QRegion region;
        for (qv::Fragment* f : moved) {
            const qv::Rect old = f->ScreenRect;
            region += QRect(old.Left, old.Top, old.Width(), old.Height());
            f->Left += dx;
            f->Measure();
            const qv::Rect now = f->ScreenRect;
            region += QRect(now.Left, now.Top, now.Width(), now.Height());
        }
        dx = -dx;
        fx.Paint(region);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DragStepMoveRegionAndPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SaveDocumentImageJpeg100(benchmark::State& state) {
    PaintFixture fx(640, 480, true);
    // Spread the cards over the whole fixed page.
    qv::FragSet& set = fx.doc->Set();
    int i = 0;
    for (const auto& f : set.Fragments()) {
        f->Left = (i % 40) * 45;
        f->Top = (i / 40) * 57;
        ++i;
    }
    set.RefreshVisibility();
    fx.env.JpegQuality = 100;
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / "bench_render_paint_page.jpg";
    for (auto _ : state) {
        const qv::WriteResult written =
            qv::ExportDocument(set, out.string(), qv::ExportFormat::Jpeg, fx.cache);
        if (!written) state.SkipWithError(written.Error.c_str());
    }
    std::error_code ec;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(out, ec));
    std::filesystem::remove(out, ec);
}
BENCHMARK(BM_SaveDocumentImageJpeg100)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace
