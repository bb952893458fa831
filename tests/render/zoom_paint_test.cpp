// The document window's paint at a zoom other than 100 %: where cards land, text drawn from the
// font (not a bitmap blown up), grey bars where text is too small, repaints of part of the
// window, and the reduced copies of pictures.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>

#include "render/painting/card_painter.h"
#include "render/painting/document_painter.h"
#include "render/render_fixture.h"

namespace {

using qv::test::CountColor;
using qv::test::Px;
using qv::test::RenderDoc;

// A window of width × height screen pixels at `zoom`: its client is width / zoom document
// pixels wide.
struct ZoomedDoc : RenderDoc {
    double zoom;
    int screenWidth;
    int screenHeight;
    ZoomedDoc(double z, int w, int h)
        : RenderDoc(static_cast<int>(w / z), static_cast<int>(h / z)),
          zoom(z),
          screenWidth(w),
          screenHeight(h) {}
    QImage PaintZoomed(const QRegion& region = QRegion()) {
        QImage image(screenWidth, screenHeight, QImage::Format_RGB32);
        image.fill(qRgb(255, 0, 255));
        PaintZoomedOnto(image, region);
        return image;
    }
    void PaintZoomedOnto(QImage& image, const QRegion& region) {
        QPainter p(&image);
        qv::PaintDocumentWindow(p, set(), cache, region, zoom);
    }
};

TEST(ZoomedWindowPaint, CardsCoverTheirScaledRectangleWithTheirOutlineAtTheEdge) {
    ZoomedDoc d(2.0, 400, 300);
    qv::Fragment* f = d.Add("", 0, 20, 30, 4, 2);
    d.Refresh();
    const QImage img = d.PaintZoomed();
    const QRgb back = Px(d.env.Colors.DefFrgBG), border = Px(d.env.Colors.FrgBorder);
    const int l = 2 * f->Left, t = 2 * f->Top, r = 2 * f->Right, b = 2 * f->Bottom;
    EXPECT_EQ(img.pixel(l, t + 10) & RGB_MASK, border & RGB_MASK);
    EXPECT_EQ(img.pixel(r - 1, t + 10) & RGB_MASK, border & RGB_MASK);
    EXPECT_EQ(img.pixel(l + 10, b - 1) & RGB_MASK, border & RGB_MASK);
    EXPECT_EQ(img.pixel(l + 4, t + 4) & RGB_MASK, back & RGB_MASK);
    EXPECT_EQ(img.pixel(r + 1, t + 10) & RGB_MASK, Px(d.env.Colors.Background) & RGB_MASK);
    EXPECT_EQ(img.pixel(l - 1, t + 10) & RGB_MASK, Px(d.env.Colors.Background) & RGB_MASK);
    // Nothing of the magenta canvas is left: the whole window is painted.
    EXPECT_EQ(CountColor(img, img.rect(), qRgb(255, 0, 255)), 0);
}

TEST(ZoomedWindowPaint, TextAtTwiceTheSizeIsDrawnFromTheFontNotFromABlownUpImage) {
    ZoomedDoc d(2.0, 400, 200);
    qv::Fragment* f = d.Add("WMWMWM", 0, 10, 10, 8, 1);
    d.Refresh();
    const QImage img = d.PaintZoomed();
    const QRect card(2 * f->Left + 2, 2 * f->Top + 2, 2 * f->Width() - 4, 2 * f->Height() - 4);
    const QRgb text = Px(d.env.Colors.DefFrgFG);
    int inked = 0, uneven = 0;
    // A picture scaled up twice is made of uniform 2 × 2 blocks; glyphs drawn at the size are
    // not.
    for (int y = card.top() & ~1; y + 1 <= card.bottom(); y += 2)
        for (int x = card.left() & ~1; x + 1 <= card.right(); x += 2) {
            const QRgb p = img.pixel(x, y);
            inked += (p & RGB_MASK) != (Px(d.env.Colors.DefFrgBG) & RGB_MASK);
            uneven += p != img.pixel(x + 1, y) || p != img.pixel(x, y + 1) ||
                      p != img.pixel(x + 1, y + 1);
        }
    EXPECT_GT(CountColor(img, card, text) + inked, 0) << "no text drawn";
    EXPECT_GT(uneven, 10);
}

TEST(ZoomedWindowPaint, TextTooSmallToReadBecomesGreyBarsAndReadableTextStaysText) {
    const QRgb grey = qv::kTextBarColor;
    {
        // 12-pixel characters at 25 % are 3 pixels high: bars.
        ZoomedDoc d(0.25, 300, 200);
        qv::Fragment* f = d.Add("long enough text for a bar", 0, 40, 40, 12, 3);
        d.Refresh();
        ASSERT_LT(std::abs(d.env.FragmentFont.PixelHeight()) * 0.25, qv::kReadableTextPixels);
        const QImage img = d.PaintZoomed();
        const QRect card(10, 10, f->Width() / 4, f->Height() / 4);
        EXPECT_GT(CountColor(img, card, grey), 0);
        EXPECT_EQ(CountColor(img, card, Px(d.env.Colors.DefFrgFG)), 0);
    }
    {
        ZoomedDoc d(0.75, 300, 200);
        qv::Fragment* f = d.Add("long enough text for a bar", 0, 40, 40, 12, 3);
        d.Refresh();
        const QImage img = d.PaintZoomed();
        const QRect card(30, 30, f->Width() * 3 / 4, f->Height() * 3 / 4);
        EXPECT_EQ(CountColor(img, card, grey), 0);
        EXPECT_GT(CountColor(img, card, Px(d.env.Colors.DefFrgFG)), 0);
    }
}

TEST(ZoomedWindowPaint, APartRepaintedGivesThePixelsOfTheWholePaint) {
    for (double zoom : {0.33, 0.5, 1.5, 3.0}) {
        ZoomedDoc d(zoom, 360, 240);
        d.Add("one", 1, 30, 30, 4, 2);
        d.Add("two", 1, 140, 60, 4, 2);
        qv::Fragment* sel = d.Add("three", 2, 200, 150, 5, 1);
        sel->SetSelected(true);
        d.set().RebuildSelection();
        d.set().SetGroupLine(1, 2);
        d.Refresh();
        const QImage whole = d.PaintZoomed();
        QImage part = whole.copy();
        const QRegion region = QRegion(37, 41, 101, 77) + QRegion(150, 120, 90, 60);
        // Dirty the region, then repaint only it.
        {
            QPainter p(&part);
            for (const QRect& r : region)
                p.fillRect(r, Qt::magenta);
        }
        d.PaintZoomedOnto(part, region);
        EXPECT_EQ(part, whole) << "zoom " << zoom;
    }
}

TEST(ZoomedWindowPaint, ReducedPicturesAreMadeOnceAndDroppedWhenNoPaintUsesThem) {
    qv::RenderCache cache;
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::red);
    cache.BeginPaint();
    const QImage& small = cache.ReducedPicture(picture, QSize(50, 25));
    EXPECT_EQ(small.size(), QSize(50, 25));
    EXPECT_EQ(small.pixel(10, 10), qRgb(255, 0, 0));
    const qint64 key = small.cacheKey();
    EXPECT_EQ(cache.ReducedPicture(picture, QSize(50, 25)).cacheKey(), key);
    EXPECT_NE(cache.ReducedPicture(picture, QSize(40, 20)).cacheKey(), key);
    cache.EndFullPaint();
    cache.BeginPaint();
    cache.EndFullPaint();  // a full paint without the picture
    cache.BeginPaint();
    EXPECT_NE(cache.ReducedPicture(picture, QSize(50, 25)).cacheKey(), key);
}

}  // namespace
