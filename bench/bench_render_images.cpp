// JPEG encoding and picture loading. The document image of a default fixed page is 2000 x 1500
// pixels; saving it (drawing 1000 cards included, BM_SaveDocumentImageJpeg100 in
// bench_render_paint.cpp) must stay within 250 ms, so the encoding alone has to be a small part of
// that.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <random>
#include <string>

#include "render/formats/jpeg_codec.h"
#include "render/pictures/picture.h"

namespace {

// A page like a saved document: a background, 1000 coloured cards with outlines, and dense small
// dark strokes standing in for their text (text is what costs an encoder most).
const QImage& DocumentPage() {
    static const QImage page = [] {
        QImage image(2000, 1500, QImage::Format_RGB32);
        image.fill(qRgb(255, 255, 240));
        QPainter painter(&image);
        std::mt19937 random(7);
        for (int i = 0; i < 1000; ++i) {
            const int x = static_cast<int>(random() % 1880), y = static_cast<int>(random() % 1440);
            const QRect card(x, y, 112, 52);
            painter.fillRect(card, QColor::fromHsv(static_cast<int>(random() % 360), 40, 250));
            painter.setPen(Qt::black);
            painter.drawRect(card.adjusted(0, 0, -1, -1));
            for (int line = 0; line < 3; ++line)
                for (int ch = 0; ch < 12; ++ch)
                    if (random() % 4 != 0)
                        painter.fillRect(x + 4 + ch * 9, y + 5 + line * 15, 2 + random() % 6,
                                         4 + random() % 8, QColor(30, 30, 30));
        }
        return image;
    }();
    return page;
}

void BM_EncodeJpegQuality100(benchmark::State& state) {
    const QImage& page = DocumentPage();
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto jpeg = qv::EncodeJpeg(page, 100);
        bytes = jpeg ? static_cast<std::size_t>(jpeg->size()) : 0;
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodeJpegQuality100)->Unit(benchmark::kMillisecond);

void BM_EncodeJpegQuality75(benchmark::State& state) {
    const QImage& page = DocumentPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::EncodeJpeg(page, 75));
}
BENCHMARK(BM_EncodeJpegQuality75)->Unit(benchmark::kMillisecond);

void BM_DecodeJpeg(benchmark::State& state) {
    const auto jpeg = qv::EncodeJpeg(DocumentPage(), 90);
    if (!jpeg) {
        state.SkipWithError("encoding failed");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(
            qv::DecodeJpeg(reinterpret_cast<const std::uint8_t*>(jpeg->constData()),
                           static_cast<std::size_t>(jpeg->size())));
}
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);

void BM_ScalePictureHalf(benchmark::State& state) {
    const QImage& page = DocumentPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::ScalePicture(page, 1, 2));
}
BENCHMARK(BM_ScalePictureHalf)->Unit(benchmark::kMillisecond);

}  // namespace
