// The whole document: window paint order, image output, the map and printing.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "render/painting/card_painter.h"
#include "render/painting/colors.h"
#include "render/formats/document_export.h"
#include "render/painting/document_painter.h"
#include "render/render_fixture.h"

namespace fs = std::filesystem;

namespace {

using qv::test::CountColor;
using qv::test::Px;
using qv::test::RenderDoc;

// Two groups of cards joined by an arrow, frames and lines routed.
struct TwoGroups : RenderDoc {
    qv::Fragment* a;
    qv::Fragment* b;
    TwoGroups() : RenderDoc(600, 400) {
        a = Add("", 1, 40, 60, 4, 2);
        b = Add("", 2, 300, 60, 4, 2);
        set().SetGroupLine(1, 2);
        set().GroupLines[0].Type = qv::kLineArrow;
        Refresh();
    }
};

TEST(PaintDocumentWindow, FramesAndLinesOverTheCards) {
    TwoGroups d;
    const qv::GroupFrame& frame = d.set().GroupTable[1].Frame;
    ASSERT_TRUE(frame.Visible);
    const QImage img = d.Paint();
    const int midX = (frame.Bounds.Left + frame.Bounds.Right) / 2;
    EXPECT_EQ(img.pixel(midX, frame.Bounds.Top), Px(d.env.Colors.GroupFrame));
    const qv::ArrowLine& line = d.set().GroupLines[0];
    ASSERT_TRUE(line.Drawn);
    const int lx = (line.WinStart.X + line.WinEnd.X) / 2,
              ly = (line.WinStart.Y + line.WinEnd.Y) / 2;
    EXPECT_EQ(img.pixel(lx, ly), Px(d.env.Colors.GroupLine));
    d.set().SelectedLine = 0;
    EXPECT_EQ(d.Paint().pixel(lx, ly), Px(d.env.Colors.SelectRect));
    // The page colour everywhere else.
    EXPECT_EQ(img.pixel(5, 5), Px(d.env.Colors.Background));
}

TEST(PaintDocumentWindow, SelectedCardsComeAfterTheOthers) {
    RenderDoc d;
    qv::Fragment* low = d.Add("", 1, 10, 10, 4, 2);
    qv::Fragment* high = d.Add("", 1, 30, 20, 4, 2);
    high->ColBG = qv::Rgb(1, 200, 1);
    const QPoint overlap(40, 30);
    EXPECT_EQ(d.Paint().pixel(overlap), Px(high->ColBG));
    low->SetSelected(true);
    EXPECT_EQ(d.Paint().pixel(overlap), Px(d.env.Colors.SelFrgBG));
}

// Leaving out what later cards hide must not change a pixel: compare with painting every card
// whole, in the model's order, with card images kept or not, whole or in part.
TEST(PaintDocumentWindow, CardsHiddenByLaterCardsAreLeftOutUnseen) {
    for (const bool fastDraw : {true, false}) {
        SCOPED_TRACE(fastDraw ? "card images kept" : "card images made for each paint");
        RenderDoc d(500, 400);
        d.env.FrgFastDraw = fastDraw;
        std::mt19937 rng(77);
        const std::string text = "\x83\x41\x83\x43\x83\x66\x83\x41 idea";
        const auto kindOf = [](int i) {
            return i % 11 == 0  ? qv::FragmentKind::Symbol
                   : i % 7 == 0 ? qv::FragmentKind::NamePlate
                   : i % 13 == 0 ? qv::FragmentKind::Image
                                 : qv::FragmentKind::Text;
        };
        for (int i = 0; i < 300; ++i) {
            qv::Fragment* f = d.Add(text, 0, static_cast<int>(rng() % 480) - 20,
                                    static_cast<int>(rng() % 380) - 20,
                                    2 + static_cast<int>(rng() % 8), 1 + static_cast<int>(rng() % 3),
                                    kindOf(i));
            f->ColBG = qv::Rgb(static_cast<int>(rng() % 256), 200, 100);
            if (i % 9 == 0) f->SetSelected(true);
        }
        // A pile as gather leaves it, each card a pixel right of and below the one before: only
        // an edge of each shows.
        for (int i = 0; i < 120; ++i) {
            qv::Fragment* f = d.Add(text + std::to_string(i), 0, 150 + i, 120 + i, 6, 3, kindOf(i));
            f->ColBG = qv::Rgb(100, static_cast<int>(rng() % 256), 200);
            if (i % 5 == 0) f->SetSelected(true);
        }
        // Cards exactly on top of each other, one hiding another completely, and a card crossed
        // by two others so that four parts of it show.
        d.Add(text, 0, 100, 100, 4, 2);
        d.Add(text, 0, 100, 100, 4, 2);
        qv::Fragment* hidden = d.Add(text, 0, 300, 300, 2, 1);
        d.Add(text, 0, 290, 295, 6, 2);
        d.Add(text + text, 0, 20, 330, 8, 3);
        d.Add("x", 0, 50, 320, 2, 5);
        d.Add("y", 0, 10, 345, 12, 1);
        d.set().RedrawAll();

        struct Order : qv::PaintVisitor {
            std::vector<const qv::Fragment*> cards;
            void Card(const qv::Fragment& f, bool) override { cards.push_back(&f); }
        } order;
        d.set().PaintOrder(order);
        QImage naive(d.width, d.height, QImage::Format_RGB32);
        naive.fill(Px(d.env.Colors.Background));
        {
            QPainter p(&naive);
            qv::RenderCache cache;
            for (const qv::Fragment* f : order.cards)
                qv::DrawCard(p, *f, d.env, cache, qv::Rect{0, 0, d.width, d.height});
        }
        for (const auto& f : d.set().Fragments())
            f->MarkStale();
        const QImage culled = d.Paint();
        ASSERT_EQ(culled, naive);
        EXPECT_FALSE(d.cache.HasCard(hidden));
        // Warm, and a repaint of two parts of the window.
        EXPECT_EQ(d.Paint(), naive);
        QImage part = naive;
        const QRegion region = QRegion(140, 110, 90, 160) + QRegion(0, 300, 200, 60);
        {
            QPainter p(&part);
            for (const QRect& r : region)
                p.fillRect(r, QColor(255, 0, 255));
        }
        d.PaintOnto(part, region);
        EXPECT_EQ(part, naive);
    }
}

TEST(DocumentImage, SizeIsTheUsedAreaPlusFivePercentOrTheWholeDividedPage) {
    RenderDoc d;
    qv::Fragment* f = d.Add("", 1, 100, 100, 12, 3);
    d.Refresh();
    ASSERT_EQ(d.set().UsedWidth, f->Right);
    EXPECT_EQ(qv::DocumentImageSize(d.set()), QSize(f->Right * 105 / 100, f->Bottom * 105 / 100));
    d.set().UsedWidth = 20;  // 20 × 1.05 = 21 exactly: floor must not lose the pixel
    EXPECT_EQ(qv::DocumentImageSize(d.set()).width(), 21);

    d.set().FixedSize = true;
    d.set().FixedWidth = 600;
    d.set().FixedHeight = 400;
    d.set().DivColumns = 3;
    d.set().DivRows = 2;
    d.Refresh();
    ASSERT_TRUE(d.set().ShowDivLines);
    EXPECT_EQ(qv::DocumentImageSize(d.set()), QSize(600, 400));
    const std::optional<QImage> img = qv::RenderDocumentImage(d.set(), d.cache);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->size(), QSize(600, 400));
    EXPECT_EQ(img->pixel(599, 399), Px(d.env.Colors.Background));
    EXPECT_EQ(img->pixel(200, 5), Px(d.env.Colors.DivLine));
    EXPECT_EQ(img->pixel(400, 399), Px(d.env.Colors.DivLine));
    EXPECT_EQ(img->pixel(5, 200), Px(d.env.Colors.DivLine));
    EXPECT_EQ(img->pixel(201, 5), Px(d.env.Colors.Background));
    // The card at its document place, whatever the window's scroll position.
    EXPECT_EQ(img->pixel(101, 101), Px(f->ColBG));

    // Without division lines a fixed page is cut to the used area.
    d.set().DivColumns = 0;
    d.set().DivRows = 0;
    d.Refresh();
    EXPECT_EQ(qv::DocumentImageSize(d.set()), QSize(f->Right * 105 / 100, f->Bottom * 105 / 100));

    // A page too large for one bitmap in memory is not made at once; files take it in bands,
    // as far as their format goes.
    d.set().DivColumns = 2;
    d.set().FixedWidth = 70000;
    d.set().FixedHeight = 30000;
    d.Refresh();
    EXPECT_EQ(qv::DocumentImageSize(d.set()), QSize(70000, 30000));
    EXPECT_FALSE(qv::RenderDocumentImage(d.set(), d.cache));
    std::string error;
    EXPECT_FALSE(qv::ExportFormatHolds(qv::ExportFormat::Jpeg, QSize(70000, 30000), &error));
    EXPECT_NE(error.find("JPEG"), std::string::npos);
    EXPECT_TRUE(qv::ExportFormatHolds(qv::ExportFormat::Bmp, QSize(30000, 30000)));
    EXPECT_FALSE(qv::ExportFormatHolds(qv::ExportFormat::Bmp, QSize(70000, 30000)));
    EXPECT_TRUE(qv::ExportFormatHolds(qv::ExportFormat::Jpeg, QSize(65500, 65500)));
}

TEST(DocumentImage, KeepsCardColoursAndLeavesHiddenGroupsOut) {
    TwoGroups d;
    d.env.PrintMonochrome = true;  // applies to paper only
    d.a->ColBG = qv::Rgb(250, 10, 10);
    d.a->SetSelected(true);  // no selection colours in the image
    std::optional<QImage> img = qv::RenderDocumentImage(d.set(), d.cache);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixel(d.a->Left + 2, d.a->Top + 1), Px(d.a->ColBG));
    EXPECT_EQ(img->pixel(d.b->Left + 2, d.b->Top + 1), Px(d.b->ColBG));
    const qv::Rect fb = d.set().GroupTable[2].Bounds;
    EXPECT_EQ(img->pixel((fb.Left + fb.Right) / 2, fb.Top), Px(d.env.Colors.GroupFrame));
    const qv::ArrowLine& line = d.set().GroupLines[0];
    EXPECT_EQ(
        img->pixel((line.DocStart.X + line.DocEnd.X) / 2, (line.DocStart.Y + line.DocEnd.Y) / 2),
        Px(d.env.Colors.GroupLine));

    // A card far right and below keeps the image wide; between it and group 1 lay group 2.
    qv::Fragment* c = d.Add("", 3, 500, 300);
    d.set().GroupTable[2].Shown = false;
    d.Refresh();
    img = qv::RenderDocumentImage(d.set(), d.cache);
    ASSERT_TRUE(img);
    const QRect between(d.a->Right + 40, 0, c->Left - 20 - (d.a->Right + 40), img->height());
    EXPECT_EQ(CountColor(*img, between, Px(d.env.Colors.Background)),
              between.width() * between.height())
        << "group 2's card, frame and the line are left out";
}

class SaveImage : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qv_docimg_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir_;
};

TEST_F(SaveImage, WritesBmpAndBaselineJpegByExtensionAndNothingElse) {
    TwoGroups d;
    const auto save = [&](const std::string& name) {
        return qv::ExportDocument(d.set(), Path(name), qv::ExportFormatOf(name), d.cache);
    };
    qv::WriteResult written = save("doc.BMP");
    ASSERT_TRUE(written) << written.Error;
    const QImage bmp(QString::fromStdString(Path("doc.BMP")));
    EXPECT_EQ(bmp.size(), qv::DocumentImageSize(d.set()));
    EXPECT_EQ(bmp.pixel(1, 1) & RGB_MASK, Px(d.env.Colors.Background) & RGB_MASK);

    d.env.JpegQuality = 60;
    ASSERT_TRUE(save("doc.jpg"));
    const std::string jpeg = Bytes(Path("doc.jpg"));
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    EXPECT_NE(jpeg.find("\xFF\xC0"), std::string::npos);  // baseline frame
    EXPECT_EQ(jpeg.find("\xFF\xC2"), std::string::npos);  // not progressive
    d.env.JpegQuality = 100;
    ASSERT_TRUE(save("best.jpg"));
    EXPECT_GT(Bytes(Path("best.jpg")).size(), jpeg.size());

    EXPECT_EQ(save("doc.gif").Problem, qv::WriteProblem::Unsupported);
    EXPECT_FALSE(fs::exists(Path("doc.gif")));
    written = save("missing/doc.bmp");
    EXPECT_EQ(written.Problem, qv::WriteProblem::Failed);
    EXPECT_FALSE(written.Error.empty());
}

TEST(PaintMap, ScalesThePageIntoTheClientArea) {
    RenderDoc d(400, 300);
    d.env.Colors.AreaFrame = qv::Rgb(0, 0, 255);
    d.set().FixedSize = true;
    d.set().FixedWidth = 2000;
    d.set().FixedHeight = 1500;
    d.Refresh();
    const std::optional<double> scale = qv::ComputeMapScale(&d.set(), 150, 100);
    ASSERT_TRUE(scale);
    EXPECT_DOUBLE_EQ(*scale, 0.066);
    EXPECT_FALSE(qv::ComputeMapScale(nullptr, 150, 100));

    QImage img(150, 100, QImage::Format_RGB32);
    img.fill(qRgb(255, 0, 255));
    QPainter p(&img);
    qv::PaintMap(p, &d.set(), d.cache, 150, 100);
    p.end();
    const QRgb workspace = qv::ToQColor(qv::kSysAppWorkspace).rgb();
    EXPECT_EQ(img.pixel(133, 50), Px(d.env.Colors.Background));  // 132 + 2 wide
    EXPECT_EQ(img.pixel(134, 50), workspace);
    EXPECT_EQ(img.pixel(60, 99), Px(d.env.Colors.Background));  // 99 + 2 high: all of it
    // The window's view: 400 × 300 client pixels from scroll 0,0, times 0.066 = 26 × 19.
    EXPECT_EQ(img.pixel(0, 0), Px(d.env.Colors.AreaFrame));
    EXPECT_EQ(img.pixel(25, 18), Px(d.env.Colors.AreaFrame));
    EXPECT_EQ(img.pixel(26, 10), Px(d.env.Colors.Background));
    EXPECT_EQ(CountColor(img, img.rect(), qRgb(255, 0, 255)), 0);

    QImage empty(50, 50, QImage::Format_RGB32);
    QPainter pe(&empty);
    qv::PaintMap(pe, nullptr, d.cache, 50, 50);
    pe.end();
    EXPECT_EQ(CountColor(empty, empty.rect(), workspace), 2500);
}

// The map's boxes go straight into its pixels; a painter that clips (a part of the map) draws them
// through the painter instead. Both give the same pixels.
TEST(PaintMap, BoxesInThePixelsAreThePaintersBoxes) {
    RenderDoc d(400, 300);
    std::mt19937 rng(5);
    for (int i = 0; i < 200; ++i) {
        qv::Fragment* f = d.Add("", 1 + i % 3, static_cast<int>(rng() % 3000),
                                static_cast<int>(rng() % 2000), 1 + static_cast<int>(rng() % 30),
                                1 + static_cast<int>(rng() % 9),
                                i % 17 == 0 ? qv::FragmentKind::Image : qv::FragmentKind::Text);
        f->ColBG = qv::Rgb(static_cast<int>(rng() % 256), 90, 200);
        if (i % 6 == 0) f->SetSelected(true);
    }
    d.Refresh();
    auto map = [&](bool clipped) {
        QImage img(230, 160, QImage::Format_RGB32);
        img.fill(qRgb(255, 0, 255));
        QPainter p(&img);
        if (clipped) p.setClipRect(img.rect());
        qv::PaintMap(p, &d.set(), d.cache, img.width(), img.height());
        return img;
    };
    const QImage straight = map(false);
    EXPECT_EQ(straight, map(true));
    EXPECT_GT(CountColor(straight, straight.rect(), Px(d.env.Colors.FrgBorder)), 200);
}

TEST(PrintScale, FitsTheWholePageOrNinetyFivePercentOfTheUsedArea) {
    RenderDoc d;
    d.Add("", 1, 100, 100, 12, 3);
    d.Refresh();
    const double used = std::min(0.95 * 1000 / d.set().UsedWidth, 0.95 * 800 / d.set().UsedHeight);
    EXPECT_DOUBLE_EQ(qv::PrintScale(d.set(), 1000, 800), used);
    d.set().FixedSize = true;
    d.set().DivColumns = 2;
    d.Refresh();
    EXPECT_DOUBLE_EQ(qv::PrintScale(d.set(), 1000, 800), std::min(1000.0 / 2000, 800.0 / 1500));
}

}  // namespace
