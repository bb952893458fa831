// Pixel checks of cards on the document window, scaled and on the map.
#include <gtest/gtest.h>

#include <QPainter>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/model/fragment.h"
#include "render/painting/card_painter.h"
#include "render/pictures/picture_loader.h"
#include "render/text/qt_text_metrics.h"
#include "render/render_fixture.h"
#include "render/text/text_face.h"

namespace {

using qv::Color;
using qv::FragmentKind;
using qv::test::CountColor;
using qv::test::Px;
using qv::test::RenderDoc;

// "■■■■": full-width black squares, ink almost to the edges of their cells.
const std::string kSquares = "\x81\xa1\x81\xa1\x81\xa1\x81\xa1";

QRect Q(const qv::Rect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

// Rows and columns of `r` in which some pixel is not `bg`.
QRect InkBounds(const QImage& image, const QRect& r, QRgb bg) {
    QRect ink;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((image.pixel(x, y) & RGB_MASK) != (bg & RGB_MASK)) ink |= QRect(x, y, 1, 1);
    return ink;
}

TEST(CardPaint, TextCardFillsItsRectangleAndIsOutlined) {
    RenderDoc d;
    qv::Fragment* f = d.Add("", 1, 30, 40, 12, 3);
    const int h = std::abs(d.env.FragmentFont.PixelHeight());
    EXPECT_EQ(f->Width(), 12 * h + 4);
    EXPECT_EQ(f->Height(), 3 * (h + 2) + 4);
    const QImage img = d.Paint();
    const QRect r = Q(f->ScreenRect);
    // Outline on the outermost pixels, background inside, page colour right outside.
    EXPECT_EQ(img.pixel(r.left(), r.top()), Px(d.env.Colors.FrgBorder));
    EXPECT_EQ(img.pixel(r.right(), r.bottom()), Px(d.env.Colors.FrgBorder));
    EXPECT_EQ(img.pixel(r.left() + 1, r.top() + 1), Px(f->ColBG));
    EXPECT_EQ(img.pixel(r.right() - 1, r.bottom() - 1), Px(f->ColBG));
    EXPECT_EQ(img.pixel(r.left() - 1, r.top()), Px(d.env.Colors.Background));
    EXPECT_EQ(img.pixel(r.right() + 1, r.bottom() + 1), Px(d.env.Colors.Background));
}

TEST(CardPaint, SelectionAndMarkingColours) {
    RenderDoc d;
    qv::Fragment* plain = d.Add("", 1, 10, 10);
    qv::Fragment* selected = d.Add("", 1, 10, 60);
    qv::Fragment* marked = d.Add("", 1, 10, 110);
    qv::Fragment* markedOnly = d.Add("", 1, 10, 160);
    selected->SetSelected(true);
    marked->SetSelected(true);
    marked->Marked = true;
    markedOnly->Marked = true;
    const QImage img = d.Paint();
    auto inside = [&](const qv::Fragment* f) {
        return img.pixel(f->ScreenRect.Left + 3, f->ScreenRect.Top + 1);
    };
    auto edge = [&](const qv::Fragment* f) {
        return img.pixel(f->ScreenRect.Left, f->ScreenRect.Top);
    };
    EXPECT_EQ(inside(plain), Px(plain->ColBG));
    EXPECT_EQ(inside(selected), Px(d.env.Colors.SelFrgBG));
    EXPECT_EQ(edge(selected), Px(d.env.Colors.FrgBorder));
    EXPECT_EQ(inside(marked), Px(d.env.Colors.SelFrgBG));
    EXPECT_EQ(edge(marked), Px(d.env.Colors.SelectRect));
    EXPECT_EQ(edge(markedOnly), Px(d.env.Colors.FrgBorder));
}

TEST(CardPaint, TextStartsBelowAndRightOfTheMarginsAndWrapsByLine) {
    RenderDoc d;
    // Four squares in two columns: two lines of two.
    qv::Fragment* f = d.Add(kSquares, 1, 20, 20, 2, 2);
    const QImage img = d.Paint();
    const QRect r = Q(f->ScreenRect).adjusted(1, 1, -1, -1);
    const QRect ink = InkBounds(img, r, Px(f->ColBG));
    ASSERT_FALSE(ink.isEmpty());
    // Text starts at x + 2 and at y + 2 + 2 (the glyph's own bearing may add a little).
    EXPECT_GE(ink.left(), f->ScreenRect.Left + 2);
    EXPECT_LE(ink.left(), f->ScreenRect.Left + 4);
    EXPECT_GE(ink.top(), f->ScreenRect.Top + 4);
    // Two squares per line: nothing is drawn beyond two columns.
    const int h = std::abs(d.env.FragmentFont.PixelHeight());
    EXPECT_LE(ink.right(), f->ScreenRect.Left + 2 + 2 * h);
    // The second line's ink lies one card line (h + 2) lower than the first's.
    const int step = h + 2;
    const QRect firstLine(r.left(), ink.top(), r.width(), 3);
    const QRect secondLine(r.left(), ink.top() + step, r.width(), 3);
    EXPECT_GT(CountColor(img, firstLine, Px(f->ColFG)), 0);
    EXPECT_GT(CountColor(img, secondLine, Px(f->ColFG)), 0);
    // Lines beyond the card's two are not drawn: five squares show as four.
    f->Text = kSquares + "\x81\xa1";
    f->MarkStale();
    const QImage again = d.Paint();
    EXPECT_EQ(CountColor(again, Q(f->ScreenRect), Px(f->ColFG)),
              CountColor(img, Q(f->ScreenRect), Px(f->ColFG)));
}

// The runs of rows of `r` that hold ink, top to bottom, as (first row, last row).
std::vector<std::pair<int, int>> InkRows(const QImage& image, const QRect& r, QRgb bg) {
    std::vector<std::pair<int, int>> runs;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        bool ink = false;
        for (int x = r.left(); x <= r.right() && !ink; ++x)
            ink = (image.pixel(x, y) & RGB_MASK) != (bg & RGB_MASK);
        if (!ink) continue;
        if (!runs.empty() && runs.back().second == y - 1)
            runs.back().second = y;
        else
            runs.emplace_back(y, y);
    }
    return runs;
}

TEST(CardPaint, EveryLineOfAFullCardIsWholeAndOneCardLineBelowTheLast) {
    // Six squares in a card of two columns and three lines fill it; on the window, and drawn
    // straight as printing and every output do (pixels and text), each line is h + 2 below the
    // one before and has as much ink as the first: the last is not cut by the bottom outline.
    for (const char* face : {"MS PGothic", "MS Mincho", "No Such Face"}) {
        for (int size : {9, 11, 20, -11}) {
            RenderDoc d;
            d.env.FragmentFont.Face = face;
            d.env.FragmentFont.Size = size;
            const int h = d.env.FragmentFont.PixelHeight();
            qv::Fragment* f = d.Add(kSquares + kSquares.substr(0, 4), 1, 20, 20, 2, 3);
            ASSERT_EQ(f->Height(), 3 * (h + 2) + 4);
            const QRect inside = Q(f->ScreenRect).adjusted(1, 1, -1, -1);
            std::vector<QImage> outputs{d.Paint()};
            for (bool vector : {false, true}) {
                QImage img(d.width, d.height, QImage::Format_RGB32);
                img.fill(qRgb(255, 0, 255));
                QPainter p(&img);
                qv::ScaledDraw how;
                how.Vector = vector;
                qv::DrawScaled(p, *f, d.env, d.cache, how);
                p.end();
                outputs.push_back(img);
            }
            for (std::size_t i = 0; i < outputs.size(); ++i) {
                SCOPED_TRACE(std::string(face) + " " + std::to_string(size) + " output " +
                             std::to_string(i));
                const auto rows = InkRows(outputs[i], inside, Px(f->ColBG));
                ASSERT_EQ(rows.size(), 3u);
                for (std::size_t k = 1; k < rows.size(); ++k) {
                    EXPECT_EQ(rows[k].first - rows[k - 1].first, h + 2);
                    EXPECT_EQ(rows[k].second - rows[k].first, rows[0].second - rows[0].first);
                }
            }
        }
    }
}

TEST(CardPaint, SymbolIsTransparentWithADoubleOutlineWhenSelected) {
    RenderDoc d;
    qv::Fragment* under = d.Add("", 1, 10, 10, 20, 3);
    under->ColBG = qv::Rgb(200, 100, 50);
    qv::Fragment* symbol = d.Add("A", 1, 20, 20, 1, 1, FragmentKind::Symbol);
    symbol->ColFG = qv::Rgb(0, 0, 0);
    const QImage img = d.Paint();
    const QRect r = Q(symbol->ScreenRect);
    // Unselected: only its text; what lies below shows around it, no outline.
    EXPECT_EQ(img.pixel(r.left(), r.top()), Px(under->ColBG));
    EXPECT_EQ(img.pixel(r.right(), r.bottom()), Px(under->ColBG));
    EXPECT_EQ(img.pixel(r.right() - 1, r.top() + 1), Px(under->ColBG));
    EXPECT_GT(CountColor(img, r, Px(symbol->ColFG)), 0);

    symbol->SetSelected(true);
    const QImage sel = d.Paint();
    const QRgb outline = Px(d.env.Colors.SelFrgBG);
    EXPECT_EQ(sel.pixel(r.left(), r.top()), outline);
    EXPECT_EQ(sel.pixel(r.left() + 1, r.top() + 1), outline);
    EXPECT_EQ(sel.pixel(r.right(), r.bottom()), outline);
    EXPECT_EQ(sel.pixel(r.right() - 1, r.bottom() - 1), outline);
    EXPECT_EQ(sel.pixel(r.left() + 2, r.bottom() - 2), Px(under->ColBG));  // no fill
    EXPECT_EQ(CountColor(sel, r, Px(symbol->ColFG)), 0);  // text in the selection colour
    EXPECT_GT(CountColor(sel, r, Px(d.env.Colors.SelFrgFG)), 0);
}

TEST(CardPaint, LinkMarkSitsBottomRightAndInvertsWhilePressed) {
    RenderDoc d;
    qv::Fragment* f = d.Add("", 1, 10, 10, 12, 3);
    const QImage none = d.Paint();
    f->Link = "other.csv";
    f->MarkStale();
    const QImage mark = d.Paint();
    const QRect corner(f->ScreenRect.Right - 16, f->ScreenRect.Bottom - 16, 16, 16);
    const QRect elsewhere(f->ScreenRect.Left + 1, f->ScreenRect.Top + 1, 16, 16);
    EXPECT_NE(none.copy(corner), mark.copy(corner));
    EXPECT_EQ(none.copy(elsewhere), mark.copy(elsewhere));
    f->LinkPressed = true;
    f->MarkStale();
    const QImage pressed = d.Paint();
    // Where the mark is opaque, the pressed mark is its inverse.
    const QImage m = mark.copy(corner.adjusted(4, 4, -4, -4));
    const QImage p = pressed.copy(corner.adjusted(4, 4, -4, -4));
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x)
            EXPECT_EQ(p.pixel(x, y) & RGB_MASK, ~m.pixel(x, y) & RGB_MASK) << x << "," << y;

    // Switched off: no mark.
    d.env.LinkMark = false;
    f->MarkStale();
    EXPECT_EQ(d.Paint().copy(corner), none.copy(corner));
}

TEST(CardPaint, CachedImagesFollowFastDrawRevisionsAndTheVisibleArea) {
    RenderDoc d(300, 200);
    qv::Fragment* a = d.Add(kSquares, 1, 10, 10, 4, 1);
    qv::Fragment* b = d.Add(kSquares, 1, 500, 10, 4, 1);  // outside the client area
    d.set().RedrawAll();
    d.env.FrgFastDraw = false;
    const QImage direct = d.Paint();
    EXPECT_EQ(d.cache.CachedCardCount(), 0);

    d.env.FrgFastDraw = true;
    const QImage cached = d.Paint();
    EXPECT_EQ(cached, direct);  // the image of a card is the card as drawn straight
    EXPECT_TRUE(d.cache.HasCard(a));
    EXPECT_FALSE(d.cache.HasCard(b));

    // A card with a new revision is rebuilt; one without keeps its image.
    a->ColBG = qv::Rgb(1, 2, 3);
    EXPECT_EQ(d.Paint().pixel(12, 12), Px(qv::Rgb(255, 255, 255)));
    a->MarkStale();
    EXPECT_EQ(d.Paint().pixel(12, 12), Px(qv::Rgb(1, 2, 3)));
    // Painting leaves the document alone: a second view's cache of the card still sees the new
    // revision and rebuilds too.
    qv::RenderCache other;
    {
        QImage img(300, 200, QImage::Format_RGB32);
        QPainter p(&img);
        qv::PaintDocumentWindow(p, d.set(), other);
        EXPECT_EQ(img.pixel(12, 12), Px(qv::Rgb(1, 2, 3)));
    }
    a->ColBG = qv::Rgb(4, 5, 6);
    a->MarkStale();
    EXPECT_EQ(d.Paint().pixel(12, 12), Px(qv::Rgb(4, 5, 6)));
    {
        QImage img(300, 200, QImage::Format_RGB32);
        QPainter p(&img);
        qv::PaintDocumentWindow(p, d.set(), other);
        EXPECT_EQ(img.pixel(12, 12), Px(qv::Rgb(4, 5, 6)));
    }

    // Scrolled out of view, the card gives its image up.
    d.doc->View().SetScrollRange(qv::ScrollAxis::Horizontal, 2000);
    d.doc->View().SetScrollPosition(qv::ScrollAxis::Horizontal, 400);
    d.set().UpdateScreenRects();
    d.Paint();
    EXPECT_FALSE(d.cache.HasCard(a));
    EXPECT_TRUE(d.cache.HasCard(b));
    // A changed colour setting drops every image.
    d.env.Colors.FrgBorder = qv::Rgb(9, 9, 9);
    d.cache.FollowSettings(d.env);
    EXPECT_EQ(d.cache.CachedCardCount(), 0);
}

// Without card images the window keeps each card's text laid out, made again when the text
// changes (whether or not the card was marked stale), and only for cards on the window.
TEST(CardPaint, TextLayoutsAreKeptForTheCardsOnTheWindowUntilTheirTextChanges) {
    RenderDoc d(300, 200);
    d.env.FrgFastDraw = false;
    qv::Fragment* a = d.Add(kSquares + " one two three", 0, 10, 10, 4, 3);
    d.Add("far", 0, 500, 10, 4, 1);  // outside the client area
    d.set().RedrawAll();
    const QImage first = d.Paint();
    EXPECT_EQ(d.cache.LaidOutCardCount(), 1);
    EXPECT_EQ(d.cache.CachedCardCount(), 0);
    EXPECT_EQ(d.Paint(), first);

    // A text changed with or without a new revision is laid out afresh.
    RenderDoc fresh(300, 200);
    fresh.env.FrgFastDraw = false;
    fresh.Add("changed text", 0, 10, 10, 4, 3);
    fresh.Add("far", 0, 500, 10, 4, 1);
    fresh.set().RedrawAll();
    const QImage want = fresh.Paint();
    a->Text = "changed text";
    EXPECT_EQ(d.Paint(), want);
    a->Text = kSquares;
    a->MarkStale();
    d.Paint();
    a->Text = "changed text";
    a->MarkStale();
    EXPECT_EQ(d.Paint(), want);

    // Scrolled away, the card's layout goes; the one now shown is laid out.
    d.doc->View().SetScrollRange(qv::ScrollAxis::Horizontal, 2000);
    d.doc->View().SetScrollPosition(qv::ScrollAxis::Horizontal, 400);
    d.set().UpdateScreenRects();
    d.Paint();
    EXPECT_EQ(d.cache.LaidOutCardCount(), 1);
}

TEST(CardPaint, PartialRepaintTouchesOnlyTheRegion) {
    RenderDoc d;
    d.Add(kSquares, 1, 10, 10, 4, 1);
    d.Add(kSquares, 1, 10, 100, 4, 1);
    QImage image(d.width, d.height, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 255));
    const QRect region(0, 90, 120, 40);
    d.PaintOnto(image, QRegion(region));
    const QImage full = d.Paint();
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            if (region.contains(x, y))
                ASSERT_EQ(image.pixel(x, y), full.pixel(x, y)) << x << "," << y;
            else
                ASSERT_EQ(image.pixel(x, y), qRgb(255, 0, 255)) << x << "," << y;
        }
}

TEST(CardPaint, PictureCards) {
    RenderDoc d;
    // No picture: a 48 × 48 box in the page colour, outlined; selection background when selected.
    qv::Fragment* missing = d.Add("", 1, 10, 10, 1, 1, FragmentKind::Image);
    missing->Link = "/no/such/picture.bmp";
    missing->LoadPicture();
    missing->Measure();
    EXPECT_EQ(missing->Width(), 48);
    QImage img = d.Paint();
    EXPECT_EQ(img.pixel(10, 10), Px(d.env.Colors.FrgBorder));
    EXPECT_EQ(img.pixel(30, 30), Px(d.env.Colors.Background));
    missing->SetSelected(true);
    EXPECT_EQ(d.Paint().pixel(30, 30), Px(d.env.Colors.SelFrgBG));

    // A picture without transparency of its own, shown transparent: its bottom-left colour
    // becomes see-through; shown opaque it covers what lies below.
    qv::Fragment* under = d.Add("", 1, 100, 100, 10, 3);
    under->ColBG = qv::Rgb(200, 100, 50);
    qv::Fragment* pic = d.Add("", 1, 110, 105, 1, 1, FragmentKind::Image);
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(qRgb(0, 255, 0));
    picture.setPixel(5, 5, qRgb(255, 0, 0));
    pic->Cache = qv::MakePicture(picture);
    pic->ColBG = qv::kNoColor;
    pic->Measure();
    img = d.Paint();
    EXPECT_EQ(img.pixel(111, 106), Px(under->ColBG));
    EXPECT_EQ(img.pixel(115, 110), qRgb(255, 0, 0));
    pic->ColBG = qv::Rgb(255, 255, 255);
    img = d.Paint();
    EXPECT_EQ(img.pixel(111, 106), qRgb(0, 255, 0));
    // Selected: outlined twice in the selection background, the outer line in SelectRect when
    // marked.
    pic->SetSelected(true);
    pic->Marked = true;
    img = d.Paint();
    EXPECT_EQ(img.pixel(110, 105), Px(d.env.Colors.SelectRect));
    EXPECT_EQ(img.pixel(111, 106), Px(d.env.Colors.SelFrgBG));
}

TEST(DrawScaled, KeepsColoursOnScreenAndPrintsMonochrome) {
    RenderDoc d;
    qv::Fragment* f = d.Add(kSquares, 1, 40, 40, 4, 1);
    f->ColBG = qv::Rgb(250, 200, 0);
    f->ColFG = qv::Rgb(0, 0, 200);
    d.env.PrintMonochrome = true;
    auto draw = [&](double scale, bool mono) {
        QImage img(400, 300, QImage::Format_RGB32);
        img.fill(qRgb(255, 0, 255));
        QPainter p(&img);
        qv::ScaledDraw how;
        how.Scale = scale;
        how.Monochrome = mono;
        qv::DrawScaled(p, *f, d.env, d.cache, how);
        return img;
    };
    // 1:1: the card exactly where the window shows it, in its own colours.
    const QImage full = draw(1, false);
    EXPECT_EQ(full.pixel(40, 40), Px(d.env.Colors.FrgBorder));
    EXPECT_EQ(full.pixel(41, 41), Px(f->ColBG));
    EXPECT_EQ(full.pixel(f->Right - 1, f->Bottom - 1), Px(d.env.Colors.FrgBorder));
    EXPECT_EQ(full.pixel(f->Right, f->Bottom), qRgb(255, 0, 255));
    EXPECT_GT(CountColor(full, Q(f->DocRect()), Px(f->ColFG)), 0);
    // Half size on paper: floor(40 / 2) = 20; white, black text, black outline.
    const QImage half = draw(0.5, true);
    EXPECT_EQ(half.pixel(20, 20), qRgb(0, 0, 0));
    EXPECT_EQ(half.pixel(21, 21), qRgb(255, 255, 255));
    EXPECT_EQ(half.pixel(19, 19), qRgb(255, 0, 255));
    EXPECT_EQ(CountColor(half, QRect(0, 0, 400, 300), Px(f->ColBG)), 0);
}

TEST(DrawMiniature, IsAtLeastThreePixelsSquare) {
    RenderDoc d;
    qv::Fragment* f = d.Add("", 1, 1000, 500, 1, 1);
    EXPECT_EQ(qv::MiniatureRect(*f, 0.001), (qv::Rect{1, 1, 4, 4}));
    EXPECT_EQ(qv::MiniatureRect(*f, 0.1), (qv::Rect{100, 50, 103, 53}));  // 2 × 2 -> 3 × 3
    QImage img(50, 50, QImage::Format_RGB32);
    img.fill(qRgb(255, 0, 255));
    QPainter p(&img);
    qv::DrawMiniature(p, *f, d.env, 0.001);
    p.end();
    EXPECT_EQ(CountColor(img, QRect(0, 0, 50, 50), qRgb(255, 0, 255)), 50 * 50 - 9);
    EXPECT_EQ(img.pixel(2, 2), Px(f->ColBG));
    EXPECT_EQ(img.pixel(1, 1), Px(d.env.Colors.FrgBorder));
}

TEST(QtTextMetrics, MeasuresWhatIsDrawn) {
    RenderDoc d;
    qv::QtTextMetrics metrics(d.env);
    qv::TextFace& face = d.cache.Fonts().Face(d.env, FragmentKind::Symbol);
    const std::string text = "Abc\x82\xa0\x83\x7c";
    EXPECT_EQ(metrics.TextWidth(FragmentKind::Symbol, text), face.Width(text));
    EXPECT_EQ(metrics.TextWidth(FragmentKind::Symbol, text),
              metrics.TextWidth(FragmentKind::Symbol, "Abc") +
                  metrics.TextWidth(FragmentKind::Symbol, "\x82\xa0\x83\x7c"));
    EXPECT_GT(metrics.LineHeight(FragmentKind::Symbol), metrics.LineHeight(FragmentKind::Text));
    // A symbol card is as wide as its text plus 4, and its text fits in it.
    qv::Fragment* s = d.Add(text, 1, 10, 10, 1, 1, FragmentKind::Symbol);
    EXPECT_EQ(s->Width(), face.Width(text) + 4);
    // A changed font setting takes effect at once.
    const int before = metrics.TextWidth(FragmentKind::Text, text);
    d.env.FragmentFont.Size = 22;
    EXPECT_GT(metrics.TextWidth(FragmentKind::Text, text), before);
}

}  // namespace

namespace {

TEST(RenderCache, KeepsEveryCardApartThroughDropsAndPaints) {
    RenderDoc d;
    std::vector<const qv::Fragment*> cards;
    for (int i = 0; i < 700; ++i)
        cards.push_back(d.Add("", 0, i, i));
    auto image = [](int i) {
        QImage img(1, 1, QImage::Format_RGB32);
        img.setPixel(0, 0, qRgb(i & 0xFF, i >> 8, 7));
        return img;
    };
    auto holds = [&](int i) {
        const QImage* img = d.cache.Card(cards[static_cast<std::size_t>(i)], 7);
        return img && img->pixel(0, 0) == image(i).pixel(0, 0);
    };
    d.cache.BeginPaint();
    for (int i = 0; i < 700; ++i)
        d.cache.StoreCard(cards[static_cast<std::size_t>(i)], 7, image(i));
    EXPECT_EQ(d.cache.CachedCardCount(), 700);
    for (int i = 0; i < 700; i += 3)
        d.cache.DropCard(cards[static_cast<std::size_t>(i)]);
    for (int i = 0; i < 700; ++i)
        ASSERT_EQ(holds(i), i % 3 != 0) << i;
    // Stored again after a drop, replaced in place.
    d.cache.StoreCard(cards[0], 7, image(0));
    d.cache.StoreCard(cards[1], 7, image(1));
    EXPECT_TRUE(holds(0));
    EXPECT_TRUE(holds(1));
    // A full paint keeps only what it reached.
    d.cache.BeginPaint();
    for (int i = 0; i < 700; i += 2)
        d.cache.Card(cards[static_cast<std::size_t>(i)], 7);
    d.cache.EndFullPaint();
    int live = 0;
    for (int i = 0; i < 700; ++i) {
        const bool expected = i % 2 == 0 && (i % 3 != 0 || i == 0);
        ASSERT_EQ(d.cache.HasCard(cards[static_cast<std::size_t>(i)]), expected) << i;
        if (expected) {
            ASSERT_TRUE(holds(i)) << i;
        }
        live += expected;
    }
    EXPECT_EQ(d.cache.CachedCardCount(), live);
    // An image of another revision of the card is not given out.
    EXPECT_EQ(d.cache.Card(cards[2], 8), nullptr);
}

}  // namespace
