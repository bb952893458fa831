// A document on a notional window, painted into images, for the drawing tests.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <memory>
#include <string>
#include <utility>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/painting/document_painter.h"
#include "render/painting/offscreen_document.h"
#include "render/painting/render_cache.h"
#include "unit/model/fakes.h"

namespace qv::test {

// The colour a stored value paints with, as a pixel.
inline QRgb Px(Color c) {
    return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}

struct RenderDoc {
    EnvData env;
    std::unique_ptr<OffscreenDocument> doc;
    RenderCache cache;
    int width;
    int height;

    explicit RenderDoc(int w = 400, int h = 300) : width(w), height(h) {
        // Easily told apart: every colour the painters use differs.
        env.Colors.Background = Rgb(0, 128, 128);
        env.Colors.DefFrgBG = Rgb(255, 255, 255);
        env.Colors.DefFrgFG = Rgb(0, 0, 0);
        env.Colors.FrgBorder = Rgb(10, 20, 30);
        env.Colors.SelFrgFG = Rgb(250, 250, 0);
        env.Colors.SelFrgBG = Rgb(0, 0, 140);
        env.Colors.SelectRect = Rgb(255, 0, 0);
        env.Colors.GroupFrame = Rgb(255, 255, 0);
        env.Colors.GroupLine = Rgb(0, 255, 255);
        env.Colors.DivLine = Rgb(128, 128, 128);
        doc = std::make_unique<OffscreenDocument>(env, nullptr, w, h);
        set().RedrawAll();
    }

    FragSet& set() { return doc->Set(); }

    Fragment* Add(std::string text, int group, int left, int top, int columns = 4, int lines = 1,
                  FragmentKind kind = FragmentKind::Text) {
        return test::AddCard(set(), std::move(text), group, left, top, columns, lines, kind);
    }

    // Recount, visibility, sizes, frames and line routes, as the program's refresh does.
    void Refresh() {
        set().Recount();
        set().RefreshVisibility();
    }

    // The window's paint of `region` (everything when empty) over a magenta canvas.
    QImage Paint(const QRegion& region = QRegion()) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(qRgb(255, 0, 255));
        PaintOnto(image, region);
        return image;
    }
    void PaintOnto(QImage& image, const QRegion& region = QRegion()) {
        QPainter p(&image);
        PaintDocumentWindow(p, set(), cache, region);
    }
};

// Pixels of `image` inside `r` (exclusive right and bottom) that equal `color`.
inline int CountColor(const QImage& image, const QRect& r, QRgb color) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.rect().contains(x, y) && (image.pixel(x, y) & RGB_MASK) == (color & RGB_MASK))
                ++n;
    return n;
}

}  // namespace qv::test
