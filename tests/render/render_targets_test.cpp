// Every target paints through one walk of the document: layers in order, hidden groups left out,
// every card once; image output in bands is the image painted whole.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/model/frag_set.h"
#include "render/painting/colors.h"
#include "render/formats/document_export.h"
#include "render/painting/document_painter.h"
#include "render/formats/jpeg_codec.h"
#include "render/pictures/picture_loader.h"
#include "render/render_fixture.h"

namespace fs = std::filesystem;

namespace {

using qv::test::Px;
using qv::test::RenderDoc;

// Group 1 and 2 joined by a line that crosses an ungrouped card; another ungrouped card under
// group 1's frame; group 3, switched off, joined to group 1; a half-transparent picture that
// shows whether it was drawn once or twice.
struct Layers : RenderDoc {
    qv::Fragment* picture;
    QRgb pictureOnce = 0;
    Layers() : RenderDoc(520, 360) {
        env.ImageIsBack = true;
        env.MapViewImage = true;
        Add("", 1, 40, 60, 4, 2);
        Add("", 2, 360, 60, 4, 2);
        Add("", 3, 360, 260, 4, 2);
        set().Recount();
        set().SetGroupLine(1, 2);
        set().SetGroupLine(1, 3);
        Refresh();
        const qv::ArrowLine& line = set().GroupLines[0];
        const int mid = (line.DocStart.X + line.DocEnd.X) / 2;
        Add("", 0, mid - 30, line.DocStart.Y - 12, 4, 2)->ColBG = qv::Rgb(200, 100, 50);
        const qv::Rect frame = set().GroupTable[1].Bounds;
        Add("", 0, frame.Left + 4, frame.Top - 8, 2, 1)->ColBG = qv::Rgb(50, 100, 200);

        QImage half(20, 20, QImage::Format_ARGB32_Premultiplied);
        half.fill(qRgba(128, 0, 0, 128));
        picture = Add("", 0, 200, 250, 1, 1, qv::FragmentKind::Image);
        picture->Cache = qv::MakePicture(half);
        picture->ColBG = qv::kNoColor;
        picture->Measure();
        picture->SetSelected(true);
        set().GroupTable[3].Shown = false;
        Refresh();
        set().RebuildSelection();
        set().RedrawAll();

        QImage once(1, 1, QImage::Format_RGB32);
        once.fill(Px(env.Colors.Background));
        QPainter p(&once);
        p.drawImage(0, 0, half, 0, 0, 1, 1);
        p.end();
        pictureOnce = once.pixel(0, 0);
    }

    QImage PaintAs(qv::TargetKind kind) {
        if (kind == qv::TargetKind::Window) return Paint();
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Px(env.Colors.Background));
        QPainter p(&image);
        qv::RenderTarget target;
        target.Kind = kind;
        target.Scale = 1;
        qv::PaintDocument(p, set(), cache, target);
        return image;
    }
};

class EveryTarget : public ::testing::TestWithParam<qv::TargetKind> {};

TEST_P(EveryTarget, LayersInOrderHiddenGroupsLeftOutEveryCardOnce) {
    Layers d;
    const QImage img = d.PaintAs(GetParam());
    const qv::ArrowLine& shownLine = d.set().GroupLines[0];
    const qv::ArrowLine& hiddenLine = d.set().GroupLines[1];
    // Lines over cards.
    const int mid = (shownLine.DocStart.X + shownLine.DocEnd.X) / 2;
    EXPECT_EQ(img.pixel(mid, shownLine.DocStart.Y), Px(d.env.Colors.GroupLine));
    // Frames over cards.
    const qv::Rect frame = d.set().GroupTable[1].Bounds;
    EXPECT_EQ(img.pixel(frame.Left + 12, frame.Top), Px(d.env.Colors.GroupFrame));
    // No line to a switched-off group, no frame around it.
    const int hx = (hiddenLine.DocStart.X + hiddenLine.DocEnd.X) / 2;
    const int hy = (hiddenLine.DocStart.Y + hiddenLine.DocEnd.Y) / 2;
    EXPECT_EQ(img.pixel(hx, hy), Px(d.env.Colors.Background));
    const qv::Rect hiddenFrame = d.set().GroupTable[3].Bounds;
    EXPECT_EQ(img.pixel(hiddenFrame.Left + 20, hiddenFrame.Top), Px(d.env.Colors.Background));
    // A half-transparent picture painted once, even when selected on the window.
    EXPECT_EQ(img.pixel(d.picture->Left + 10, d.picture->Top + 10), d.pictureOnce);
}

std::string TargetName(const ::testing::TestParamInfo<qv::TargetKind>& info) {
    static const char* const kNames[] = {"Window", "Page", "Map", "Print", "Vector"};
    return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(RenderTargets, EveryTarget,
                         ::testing::Values(qv::TargetKind::Window, qv::TargetKind::Page,
                                           qv::TargetKind::Map, qv::TargetKind::Print,
                                           qv::TargetKind::Vector),
                         TargetName);

TEST(RenderTargets, MonochromePaperIsBlackOnWhite) {
    Layers d;
    QImage image(d.width, d.height, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    QPainter p(&image);
    qv::RenderTarget target;
    target.Kind = qv::TargetKind::Print;
    target.Colors = qv::ColorMode::Monochrome;
    qv::PaintDocument(p, d.set(), d.cache, target);
    p.end();
    const qv::ArrowLine& line = d.set().GroupLines[0];
    EXPECT_EQ(image.pixel((line.DocStart.X + line.DocEnd.X) / 2, line.DocStart.Y), qRgb(0, 0, 0));
    for (const auto& card : d.set().Fragments()) {
        if (card->Kind != qv::FragmentKind::Text || !card->Visible) continue;
        EXPECT_EQ(image.pixel(card->Left + 2, card->Bottom - 3), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(card->Left, card->Bottom - 3), qRgb(0, 0, 0));
    }
}

// Cards, frames, lines and division lines straddling the edges of bands of 37 rows.
struct Straddling : RenderDoc {
    Straddling() : RenderDoc(640, 480) {
        env.FrgFastDraw = true;
        set().FixedSize = true;
        set().FixedWidth = 700;
        set().FixedHeight = 500;
        set().DivColumns = 3;
        set().DivRows = 4;
        const std::string text = "\x83\x41\x83\x43\x83\x66\x83\x41 idea \x89\xdb\x91\xe8";
        for (int i = 0; i < 60; ++i) {
            qv::Fragment* f =
                Add(text, 1 + i % 5, (i * 53) % 600, (i * 37 + i / 7) % 430, 3 + i % 6, 1 + i % 3,
                    i % 9 == 0 ? qv::FragmentKind::Symbol : qv::FragmentKind::Text);
            f->ColBG = qv::Rgb(255 - i * 3, 220, 120 + i);
        }
        set().Recount();
        for (int g = 1; g < 5; ++g)
            set().SetGroupLine(g, g + 1);
        set().GroupLines[1].Type = qv::kLineDoubleArrow;
        set().GroupLines[2].Width = -1;
        Refresh();
    }
};

TEST(BandedImage, BandsGiveTheWholeImagePixelForPixel) {
    Straddling d;
    const std::optional<QImage> whole = qv::RenderDocumentImage(d.set(), d.cache);
    ASSERT_TRUE(whole);
    QImage stitched(whole->size(), QImage::Format_RGB32);
    QImage band(whole->width(), 37, QImage::Format_RGB32);
    for (int top = 0; top < whole->height(); top += band.height()) {
        qv::RenderDocumentBand(d.set(), d.cache, band, top);
        for (int y = 0; y < band.height() && top + y < whole->height(); ++y)
            std::memcpy(stitched.scanLine(top + y), band.constScanLine(y),
                        static_cast<std::size_t>(band.bytesPerLine()));
    }
    ASSERT_EQ(stitched, *whole);
}

// Long one-pixel group lines of many slopes (shallow, diagonal, steep, both directions),
// plain, dotted and with arrowheads, each crossing dozens of band edges.
struct LongLines : RenderDoc {
    LongLines() : RenderDoc(900, 760) {
        set().FixedSize = true;
        set().FixedWidth = 1000;
        set().FixedHeight = 800;
        struct Pair {
            int ax, ay, bx, by;
        };
        const Pair pairs[] = {{10, 10, 860, 130},   {10, 700, 870, 20},  {30, 40, 700, 740},
                              {600, 20, 80, 730},   {400, 10, 460, 740}, {820, 60, 300, 690},
                              {120, 300, 850, 420}, {200, 720, 520, 60}};
        int g = 1;
        for (const Pair& p : pairs) {
            Add("a", g, p.ax, p.ay, 1, 1);
            Add("b", g + 1, p.bx, p.by, 1, 1);
            g += 2;
        }
        set().Recount();
        for (int i = 0; i < g / 2; ++i) {
            set().SetGroupLine(2 * i + 1, 2 * i + 2);
            qv::ArrowLine& line = set().GroupLines.back();
            line.Width = i % 4 == 3 ? -1 : 1;
            line.Type = i % 4;
        }
        Refresh();
    }
};

TEST(BandedImage, LongThinLinesOfEverySlopeAreTheSameInBandsOfAnyHeight) {
    LongLines d;
    ASSERT_EQ(d.set().GroupLines.size(), 8u);
    const std::optional<QImage> whole = qv::RenderDocumentImage(d.set(), d.cache);
    ASSERT_TRUE(whole);
    // The lines are there (dotted ones too), not left out alike in both.
    int lineColoured = 0;
    for (int y = 0; y < whole->height(); ++y)
        for (int x = 0; x < whole->width(); ++x)
            lineColoured += whole->pixel(x, y) == Px(d.env.Colors.GroupLine);
    EXPECT_GT(lineColoured, 4000);
    for (int rows : {37, 16, 5, 1}) {
        QImage stitched(whole->size(), QImage::Format_RGB32);
        QImage band(whole->width(), rows, QImage::Format_RGB32);
        for (int top = 0; top < whole->height(); top += rows) {
            qv::RenderDocumentBand(d.set(), d.cache, band, top);
            for (int y = 0; y < rows && top + y < whole->height(); ++y)
                std::memcpy(stitched.scanLine(top + y), band.constScanLine(y),
                            static_cast<std::size_t>(band.bytesPerLine()));
        }
        int differing = 0;
        for (int y = 0; y < whole->height(); ++y)
            for (int x = 0; x < whole->width(); ++x)
                differing += stitched.pixel(x, y) != whole->pixel(x, y);
        EXPECT_EQ(differing, 0) << "bands of " << rows << " rows";
    }
}

// Qt's own 24-bit bitmap of `image`: an encoder apart from the program's.
std::optional<QByteArray> QtBmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !QImageWriter(&buffer, "bmp").write(image))
        return std::nullopt;
    return bytes;
}

TEST(BandedImage, FilesWrittenInBandsHoldTheWholeImage) {
    Straddling d;
    const fs::path dir = fs::temp_directory_path() / ("qv-banded-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::optional<QImage> whole = qv::RenderDocumentImage(d.set(), d.cache);
    ASSERT_TRUE(whole);
    // Bands of 37 rows (not a multiple of JPEG's 8 or 16).
    const std::int64_t bandBytes = std::int64_t{whole->width()} * 4 * 37;
    const std::string bmpPath = (dir / "banded.bmp").string();
    qv::WriteResult written =
        qv::ExportDocument(d.set(), bmpPath, qv::ExportFormat::Bmp, d.cache, bandBytes);
    ASSERT_TRUE(written) << written.Error;
    const QImage bmp =
        QImage(QString::fromStdString(bmpPath)).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(bmp, *whole);
    // Byte for byte what the whole-image encoders give.
    std::ifstream bmpIn(bmpPath, std::ios::binary);
    const std::string bmpBytes(std::istreambuf_iterator<char>(bmpIn), {});
    const std::optional<QByteArray> reference = QtBmp(*whole);
    ASSERT_TRUE(reference);
    EXPECT_EQ(bmpBytes.size(), static_cast<std::size_t>(reference->size()));
    EXPECT_EQ(bmpBytes.substr(54), std::string(reference->constData() + 54,
                                               static_cast<std::size_t>(reference->size() - 54)));

    d.env.JpegQuality = 85;
    const std::string jpgPath = (dir / "banded.jpg").string();
    written = qv::ExportDocument(d.set(), jpgPath, qv::ExportFormat::Jpeg, d.cache, bandBytes);
    ASSERT_TRUE(written) << written.Error;
    std::ifstream jpgIn(jpgPath, std::ios::binary);
    const std::string jpgBytes(std::istreambuf_iterator<char>(jpgIn), {});
    const std::optional<QByteArray> jpeg = qv::EncodeJpeg(*whole, 85);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpgBytes, std::string(jpeg->constData(), static_cast<std::size_t>(jpeg->size())));
    fs::remove_all(dir);
}

TEST(BandedImage, PagesBeyondWhatTheFileHoldsAreRefusedAndNothingIsWritten) {
    RenderDoc d;
    d.Add("", 1, 10, 10);
    d.set().FixedSize = true;
    d.set().FixedWidth = 66000;
    d.set().FixedHeight = 100;
    d.set().DivColumns = 2;
    d.env.DivLine = true;
    d.Refresh();
    const fs::path out =
        fs::temp_directory_path() / ("qv-wide-" + std::to_string(::getpid()) + ".jpg");
    const qv::WriteResult written =
        qv::ExportDocument(d.set(), out.string(), qv::ExportFormat::Jpeg, d.cache);
    EXPECT_EQ(written.Problem, qv::WriteProblem::Unencodable);
    EXPECT_NE(written.Error.find("JPEG"), std::string::npos);
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace

namespace {

// A paint device that records what reaches it: text as text, images with their own size.
class RecordingEngine final : public QPaintEngine {
  public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    int TextItems = 0;
    std::vector<QSize> Images;
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap& pm, const QRectF&) override {
        Images.push_back(pm.size());
    }
    void drawImage(const QRectF&, const QImage& image, const QRectF&,
                   Qt::ImageConversionFlags) override {
        Images.push_back(image.size());
    }
    void drawTextItem(const QPointF&, const QTextItem&) override { ++TextItems; }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    Type type() const override { return QPaintEngine::User; }
};

class RecordingDevice final : public QPaintDevice {
  public:
    RecordingEngine Engine;
    QPaintEngine* paintEngine() const override { return const_cast<RecordingEngine*>(&Engine); }

  protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
            case PdmHeight:
                return 2000;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDepth:
                return 32;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
            default:
                return 0;
        }
    }
};

TEST(RenderTargets, PaperAndVectorFilesGetTextAsTextAndPicturesAtFullSize) {
    RenderDoc d;
    const fs::path dir = fs::temp_directory_path() / ("qv-vector-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    QImage source(40, 30, QImage::Format_RGB32);
    source.fill(qRgb(10, 200, 30));
    const std::string picturePath = (dir / "shown-half.bmp").string();
    ASSERT_TRUE(source.save(QString::fromStdString(picturePath), "BMP"));
    d.Add("\x83\x41\x83\x43 idea", 1, 10, 10, 6, 2);
    qv::Fragment* pic = d.Add("", 1, 100, 100, 1, 2, qv::FragmentKind::Image);
    pic->Link = picturePath;
    pic->LoadPicture();
    pic->Measure();
    d.Refresh();
    ASSERT_TRUE(pic->HasPicture());
    ASSERT_EQ(pic->Width(), 20);

    for (qv::TargetKind kind : {qv::TargetKind::Print, qv::TargetKind::Vector}) {
        RecordingDevice device;
        QPainter p(&device);
        qv::RenderTarget target;
        target.Kind = kind;
        target.Scale = 3;
        qv::PaintDocument(p, d.set(), d.cache, target);
        p.end();
        EXPECT_GT(device.Engine.TextItems, 0);
        ASSERT_EQ(device.Engine.Images.size(), 1u);
        EXPECT_EQ(device.Engine.Images[0], QSize(40, 30));
    }
    // The window shows the card's own copy.
    RecordingDevice window;
    QPainter p(&window);
    qv::PaintDocumentWindow(p, d.set(), d.cache);
    p.end();
    ASSERT_FALSE(window.Engine.Images.empty());
    EXPECT_EQ(window.Engine.Images.back(), QSize(20, 15));
    fs::remove_all(dir);
}

}  // namespace
