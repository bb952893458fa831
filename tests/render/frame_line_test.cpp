// Pixel checks of group frames and group lines.
#include <gtest/gtest.h>

#include <QPainter>

#include "core/model/arrow_line.h"
#include "core/model/group_entry.h"
#include "core/settings/env_data.h"
#include "render/painting/frame_painter.h"
#include "render/render_fixture.h"

namespace {

using qv::test::CountColor;
using qv::test::Px;

const QRgb kCanvas = qRgb(255, 0, 255);
const QRgb kPen = qRgb(255, 255, 0);

QImage Canvas(int w = 300, int h = 200) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kCanvas);
    return image;
}

QImage Frame(qv::Rect bounds, int maxRound, int penWidth) {
    qv::GroupFrame frame;
    frame.Bounds = bounds;
    frame.Visible = true;
    frame.PenColor = qv::Rgb(255, 255, 0);
    frame.PenWidth = penWidth;
    frame.MaxRound = maxRound;
    QImage image = Canvas();
    QPainter p(&image);
    qv::PaintRndFrame(p, frame);
    return image;
}

bool Painted(const QImage& image, int x, int y) {
    return image.pixel(x, y) != kCanvas;
}

bool PaintedNear(const QImage& image, int x, int y, int r = 1) {
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if (Painted(image, x + dx, y + dy)) return true;
    return false;
}

// Nothing of the outline falls outside the frame's own rectangle.
int PaintedOutside(const QImage& image, const QRect& inside) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!inside.contains(x, y) && Painted(image, x, y)) ++n;
    return n;
}

TEST(PaintRndFrame, SquareCornersDrawEveryEdgeInsideTheFrame) {
    for (int maxRound : {0, 1}) {
        const QImage img = Frame(qv::Rect{10, 10, 110, 90}, maxRound, 1);
        EXPECT_EQ(img.pixel(10, 10), kPen);
        EXPECT_EQ(img.pixel(109, 10), kPen);
        EXPECT_EQ(img.pixel(109, 89), kPen);  // right and bottom edges on the last pixels
        EXPECT_EQ(img.pixel(10, 89), kPen);
        EXPECT_EQ(img.pixel(60, 89), kPen);
        EXPECT_FALSE(Painted(img, 60, 50));  // only the outline
        EXPECT_EQ(PaintedOutside(img, QRect(10, 10, 100, 80)), 0);
    }
}

TEST(PaintRndFrame, RoundedCornersFollowMaxRoundAndTheFrameSize) {
    // 100 × 100: a quarter of the side is 25, so MaxRound 50 gives a diameter of 25, MaxRound 10
    // one of 11.
    const QImage big = Frame(qv::Rect{10, 10, 110, 110}, 50, 1);
    const QImage small = Frame(qv::Rect{10, 10, 110, 110}, 10, 1);
    for (const QImage* img : {&big, &small}) {
        EXPECT_FALSE(Painted(*img, 10, 10));   // the corner itself is cut
        EXPECT_EQ(img->pixel(60, 10), kPen);   // top edge
        EXPECT_EQ(img->pixel(10, 60), kPen);   // left edge
        EXPECT_EQ(img->pixel(109, 60), kPen);  // right edge on the last column
        EXPECT_EQ(img->pixel(60, 109), kPen);  // bottom edge on the last row
        EXPECT_FALSE(Painted(*img, 60, 60));
        EXPECT_EQ(PaintedOutside(*img, QRect(10, 10, 100, 100)), 0);
    }
    // The small corner reaches the edges sooner than the big one.
    EXPECT_TRUE(Painted(small, 17, 10));
    EXPECT_FALSE(Painted(big, 17, 10));
    EXPECT_TRUE(Painted(small, 10, 17));
    EXPECT_FALSE(Painted(big, 10, 17));
}

TEST(PaintRndFrame, ThickPensStayInsideTheFrame) {
    for (int maxRound : {0, 60}) {
        const QImage img = Frame(qv::Rect{20, 20, 140, 120}, maxRound, 5);
        EXPECT_EQ(PaintedOutside(img, QRect(20, 20, 120, 100)), 0) << maxRound;
        EXPECT_EQ(img.pixel(80, 20), kPen);
        EXPECT_EQ(img.pixel(80, 23), kPen);  // five pixels thick at the top edge
        EXPECT_FALSE(Painted(img, 80, 26));
    }
}

// Kept arc pixels are the painter's own arc wherever the box lies, clipped or not.
TEST(DrawQuarterArc, HasThePaintersPixelsAnywhere) {
    const QPen pen(QColor(kPen), 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    const QPoint shifts[] = {{0, 0}, {37, 11}, {-100003, 250001}, {4000000, -3999999}};
    for (int side = 1; side <= 130; side += side < 20 ? 1 : 7) {
        for (const QPoint& shift : shifts) {
            for (const bool clip : {false, true}) {
                QImage kept = Canvas(160, 160), drawn = Canvas(160, 160);
                QPainter a(&kept), b(&drawn);
                for (QPainter* p : {&a, &b}) {
                    p->translate(-shift);
                    if (clip) p->setClipRect(QRect(shift + QPoint(5, 5), QSize(70, 60)));
                    p->setPen(pen);
                }
                for (int quarter = 0; quarter < 4; ++quarter) {
                    const QRect box(shift + QPoint(3 + quarter * 7, 2 + quarter * 5), QSize(side, side));
                    qv::DrawQuarterArc(a, box, quarter);
                    b.drawArc(box, quarter * 90 * 16, 90 * 16);
                }
                a.end();
                b.end();
                ASSERT_EQ(kept, drawn) << side << " at " << shift.x() << "," << shift.y()
                                       << (clip ? " clipped" : "");
            }
        }
    }
}

// Level and upright spans filled as rectangles have the pixels of the painter's own lines.
TEST(DrawPixelSpan, HasThePaintersPixelsAnywhere) {
    const QPen pen(QColor(kPen), 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    const QPoint shifts[] = {{0, 0}, {-100003, 250001}};
    const QPoint ends[][2] = {{{3, 4}, {90, 4}}, {{90, 9}, {3, 9}},   {{7, 2}, {7, 80}},
                              {{9, 80}, {9, 2}}, {{20, 20}, {20, 20}}, {{5, 60}, {70, 95}}};
    for (const QPoint& shift : shifts) {
        for (const bool clip : {false, true}) {
            QImage spans = Canvas(100, 100), lines = Canvas(100, 100);
            QPainter a(&spans), b(&lines);
            for (QPainter* p : {&a, &b}) {
                p->translate(-shift);
                if (clip) p->setClipRect(QRect(shift + QPoint(5, 5), QSize(50, 60)));
                p->setPen(pen);
            }
            for (const auto& e : ends) {
                qv::DrawPixelSpan(a, shift + e[0], shift + e[1]);
                const QPoint step((e[1].x() > e[0].x()) - (e[1].x() < e[0].x()),
                                  (e[1].y() > e[0].y()) - (e[1].y() < e[0].y()));
                if (e[0] == e[1])
                    b.drawPoint(shift + e[0]);
                else
                    b.drawLine(shift + e[0], shift + e[1] + step);
            }
            a.end();
            b.end();
            for (int y = 0; y < 100; ++y)
                for (int x = 0; x < 100; ++x)
                    ASSERT_EQ(spans.pixel(x, y), lines.pixel(x, y))
                        << x << "," << y << " " << shift.x() << (clip ? " clipped" : "");
        }
    }
}

struct LineCase {
    qv::EnvData env;
    qv::ArrowLine line;
    LineCase(int type, int width) {
        line.Type = type;
        line.Width = width;
        line.WinStart = {20, 50};
        line.WinEnd = {220, 50};
    }
    QImage Draw(double zoom = 0) const {
        QImage image = Canvas();
        QPainter p(&image);
        if (zoom > 0)
            qv::DrawArrowLineScaled(p, line, zoom, QColor(kPen), env);
        else
            qv::DrawArrowLine(p, line, QColor(kPen), env);
        return image;
    }
};

TEST(DrawArrowLine, ArrowheadsPointAlongTheLine) {
    // GLineArrowSize 12, width 1: the head is 13 long at 15 degrees, so its wings end about 13
    // pixels behind the tip and 3 off the line.
    const QImage arrow = LineCase(qv::kLineArrow, 1).Draw();
    EXPECT_TRUE(Painted(arrow, 120, 50));
    EXPECT_TRUE(PaintedNear(arrow, 208, 46));  // wings behind the tip at the end
    EXPECT_TRUE(PaintedNear(arrow, 208, 52));
    EXPECT_TRUE(Painted(arrow, 221, 50));         // the tip one pixel beyond the end
    EXPECT_FALSE(PaintedNear(arrow, 32, 46, 2));  // no head at the start
    EXPECT_FALSE(PaintedNear(arrow, 32, 53, 2));
    EXPECT_FALSE(PaintedNear(arrow, 233, 46, 2));  // nor pointing the other way

    const QImage both = LineCase(qv::kLineDoubleArrow, 1).Draw();
    EXPECT_TRUE(PaintedNear(both, 208, 46));
    EXPECT_TRUE(PaintedNear(both, 32, 46));
    EXPECT_TRUE(PaintedNear(both, 32, 53));
    EXPECT_TRUE(Painted(both, 19, 50));
    EXPECT_FALSE(PaintedNear(both, 8, 46, 2));

    const QImage plain = LineCase(qv::kLinePlain, 1).Draw();
    EXPECT_EQ(CountColor(plain, QRect(0, 0, 300, 200), kPen), 200);  // the end point left out
}

TEST(DrawArrowLine, ReverseDoubleArrowPointsInwardsFromShortenedEnds) {
    const QImage img = LineCase(qv::kLineReverseDoubleArrow, 1).Draw();
    // Both ends moved in by the head's depth (12): nothing at the anchors themselves.
    EXPECT_FALSE(Painted(img, 22, 50));
    EXPECT_FALSE(Painted(img, 218, 50));
    // The bases lie near the anchors, the tips further in.
    EXPECT_TRUE(PaintedNear(img, 218, 46));
    EXPECT_TRUE(PaintedNear(img, 218, 52));
    EXPECT_TRUE(PaintedNear(img, 20, 46));
    EXPECT_TRUE(PaintedNear(img, 20, 52));
    EXPECT_TRUE(Painted(img, 207, 50));
    EXPECT_FALSE(PaintedNear(img, 200, 46, 2));
    EXPECT_TRUE(Painted(img, 120, 50));
}

TEST(DrawArrowLine, DottedLineHasSolidHeads) {
    const QImage img = LineCase(qv::kLineArrow, qv::kDottedWidth).Draw();
    int gaps = 0;
    for (int x = 30; x < 190; ++x)
        gaps += Painted(img, x, 50) ? 0 : 1;
    EXPECT_GT(gaps, 30);
    // One pixel wide along its length.
    EXPECT_EQ(
        CountColor(img, QRect(0, 0, 200, 50), kPen) + CountColor(img, QRect(0, 51, 200, 149), kPen),
        0);
    // The head's wing is one unbroken run from the tip back to its end.
    for (int x = 207; x <= 219; ++x) {
        bool wing = false;
        for (int y = 46; y <= 49; ++y)
            wing |= Painted(img, x, y);
        EXPECT_TRUE(wing) << x;
    }
}

TEST(DrawArrowLine, ZoomScalesPointsAndWidths) {
    LineCase c(qv::kLinePlain, 3);
    c.line.DocStart = {10, 25};
    c.line.DocEnd = {110, 25};
    c.line.WinStart = {0, 0};
    c.line.WinEnd = {0, 0};
    const QImage img = c.Draw(2.0);
    // Document points × 2; width 3 × 2 = 6.
    EXPECT_TRUE(Painted(img, 120, 47));
    EXPECT_TRUE(Painted(img, 120, 52));
    EXPECT_FALSE(Painted(img, 120, 55));
    EXPECT_FALSE(Painted(img, 120, 44));
    EXPECT_FALSE(Painted(img, 5, 5));
}

TEST(DrawThinLine, OnlyDrawnLinesAtTheMapScale) {
    qv::ArrowLine line;
    line.Type = qv::kLineArrow;
    line.DocStart = {0, 100};
    line.DocEnd = {200, 100};
    auto draw = [&] {
        QImage image = Canvas();
        QPainter p(&image);
        qv::DrawThinLine(p, line, 0.5, QColor(kPen));
        return image;
    };
    EXPECT_EQ(CountColor(draw(), QRect(0, 0, 300, 200), kPen), 0);
    line.Drawn = true;
    const QImage img = draw();
    EXPECT_EQ(CountColor(img, QRect(0, 0, 300, 200), kPen), 100);  // no arrowhead
    EXPECT_EQ(CountColor(img, QRect(0, 50, 100, 1), kPen), 100);
}

}  // namespace

namespace {

// Pixels of a StepLine from `a` to `b` painted into a `area`-sized image whose top-left is the
// line's `origin`, clipped to `clip` (image coordinates) when it is not empty.
QImage Stepped(QPoint a, QPoint b, bool dotted, QPoint origin, QSize area, QRect clip = {}) {
    QImage image(area, QImage::Format_RGB32);
    image.fill(kCanvas);
    QPainter p(&image);
    if (!clip.isEmpty()) p.setClipRect(clip);
    p.setPen(QPen(QColor(kPen), 0));
    qv::StepLine(p, a, b, dotted, origin);
    return image;
}

}  // namespace

TEST(StepLine, AnyPartPaintedAloneHasThePixelsOfTheWhole) {
    const QSize whole(240, 180);
    unsigned seed = 7;
    const auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
    };
    for (int round = 0; round < 60; ++round) {
        // Ends anywhere, also far outside the picture.
        const QPoint a(next(700) - 230, next(600) - 210), b(next(700) - 230, next(600) - 210);
        const bool dotted = round % 3 == 0;
        const QImage full = Stepped(a, b, dotted, QPoint(), whole);
        // A band moved by its origin, and a clip inside the whole picture.
        const int top = next(170), rows = 1 + next(40);
        const QImage band = Stepped(a, b, dotted, QPoint(0, top), QSize(whole.width(), rows));
        for (int y = 0; y < rows && top + y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x)
                ASSERT_EQ(band.pixel(x, y), full.pixel(x, top + y))
                    << round << " " << x << "," << y;
        const QRect clip(next(200), next(150), 1 + next(80), 1 + next(60));
        const QImage clipped = Stepped(a, b, dotted, QPoint(), whole, clip);
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x)
                ASSERT_EQ(clipped.pixel(x, y), clip.contains(x, y) ? full.pixel(x, y) : kCanvas)
                    << round << " " << x << "," << y;
    }
    // The end is left out; a one-step line is its first pixel; dots every third pixel.
    const QImage line = Stepped(QPoint(10, 10), QPoint(20, 10), false, QPoint(), whole);
    EXPECT_EQ(line.pixel(10, 10), kPen);
    EXPECT_EQ(line.pixel(19, 10), kPen);
    EXPECT_EQ(line.pixel(20, 10), kCanvas);
    const QImage dots = Stepped(QPoint(10, 10), QPoint(20, 20), true, QPoint(), whole);
    EXPECT_EQ(dots.pixel(10, 10), kPen);
    EXPECT_EQ(dots.pixel(11, 11), kCanvas);
    EXPECT_EQ(dots.pixel(13, 13), kPen);
    // A shallow line's minor steps come at the half-way points.
    const QImage shallow = Stepped(QPoint(0, 0), QPoint(4, 1), false, QPoint(), whole);
    EXPECT_EQ(shallow.pixel(1, 0), kPen);
    EXPECT_EQ(shallow.pixel(2, 1), kPen);
}
