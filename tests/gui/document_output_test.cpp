// Printing to a PDF file and saving the document as a picture through the two commands. The PDF
// is rasterised with pdftoppm and the page is checked where the frames must be.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/output/document_output.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "gui/output_progress_watch.h"
#include "render/painting/document_painter.h"
#include "render/formats/jpeg_codec.h"
#include "render/painting/offscreen_document.h"
#include "render/text/qt_text.h"
#include "unit/model/fakes.h"

namespace {

constexpr int kDpi = 40;  // rasterising resolution: enough to find frames, quick to scan

struct DocumentOutputTest : ::testing::Test {
    QTemporaryDir dir;
    qv::EnvData env;
    std::unique_ptr<qv::OffscreenDocument> doc;
    qv::QuietPrompts prompts;
    std::vector<QString> statuses;
    std::unique_ptr<DocumentOutput> out;

    DocumentOutputTest() {
        env.Colors.Background = qv::Rgb(0, 128, 128);
        env.Colors.GroupFrame = qv::Rgb(255, 255, 0);
        env.Colors.GroupLine = qv::Rgb(0, 255, 255);
        env.Colors.DefFrgBG = qv::Rgb(255, 200, 200);
        env.GFrameLineWidth = 3;
        doc = std::make_unique<qv::OffscreenDocument>(env);
        qv::FragSet& set = doc->Set();
        set.ShowDivLines = false;
        qv::test::AddCard(set, "one", 1, 100, 100, 8, 2);
        qv::test::AddCard(set, "two", 1, 260, 180, 8, 2);
        qv::test::AddCard(set, "three", 2, 700, 500, 8, 2);
        set.Recount();
        set.RefreshVisibility();
        set.RedrawAll();
        out = std::make_unique<DocumentOutput>(env, prompts, nullptr);
        QObject::connect(out.get(), &DocumentOutput::StatusMessage,
                         [this](const QString& s) { statuses.push_back(s); });
    }

    QString PdfPath() const { return dir.filePath(QStringLiteral("page.pdf")); }

    // Prints through the command with the dialog confirmed for a PDF file.
    void PrintToPdf() {
        out->ConfirmPrint = [this](QPrinter& printer) {
            EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(PdfPath());
            return true;
        };
        out->FilePrint(doc->Set());
    }

    // The printed page as pixels; empty when pdftoppm is missing.
    QImage Rasterise() {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (tool.isEmpty()) return {};
        const QString base = dir.filePath(QStringLiteral("page"));
        QProcess p;
        p.start(tool, {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-png"),
                       QStringLiteral("-singlefile"), PdfPath(), base});
        EXPECT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QImage(base + QStringLiteral(".png"));
    }

    int PageCount() {
        QProcess p;
        p.start(QStringLiteral("pdfinfo"), {PdfPath()});
        p.waitForFinished(20000);
        const QString info = QString::fromUtf8(p.readAllStandardOutput());
        for (const QString& line : info.split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String("Pages:"))) return line.mid(6).trimmed().toInt();
        return -1;
    }

    // Where a group's frame lies on the rasterised page.
    QRect ExpectedFrame(int group) {
        QPrinter& printer = out->Printer();
        const QRect paint = printer.pageLayout().paintRectPixels(printer.resolution());
        const double s = qv::PrintScale(doc->Set(), paint.width(), paint.height());
        const double k = double(kDpi) / printer.resolution();
        const qv::Rect b = doc->Set().GroupTable[static_cast<std::size_t>(group)].Bounds;
        return QRect(
            QPoint(int((paint.left() + b.Left * s) * k), int((paint.top() + b.Top * s) * k)),
            QPoint(int((paint.left() + b.Right * s) * k), int((paint.top() + b.Bottom * s) * k)));
    }
};

bool IsColoured(QRgb c) {
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    return std::max({r, g, b}) - std::min({r, g, b}) > 40;
}

// The bounding box of pixels near `target`.
QRect BoxOf(const QImage& image, QRgb target) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (std::abs(qRed(c) - qRed(target)) < 40 &&
                std::abs(qGreen(c) - qGreen(target)) < 40 &&
                std::abs(qBlue(c) - qBlue(target)) < 40)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

TEST_F(DocumentOutputTest, PrintsOneLandscapePageWithTheFramesWhereTheScaledDocumentHasThem) {
    PrintToPdf();
    ASSERT_TRUE(QFile::exists(PdfPath()));
    EXPECT_EQ(statuses.front(), QStringLiteral("プリンタ設定中..."));
    EXPECT_TRUE(statuses.back().isEmpty());
    EXPECT_TRUE(prompts.Messages.empty());
    const QImage page = Rasterise();
    if (page.isNull()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    // Kept for a look by eye when asked for.
    if (const QString shots = qEnvironmentVariable("QV_SHOT_DIR"); !shots.isEmpty())
        page.save(shots + QStringLiteral("/printed_page.png"));
    EXPECT_EQ(PageCount(), 1);
    EXPECT_GT(page.width(), page.height());

    // The yellow frames: group 1 at the top left, group 2 at the bottom right, together spanning
    // what the scaled document puts there (to within a few pixels of rasterising).
    const QRect frames = BoxOf(page, qRgb(255, 255, 0));
    ASSERT_FALSE(frames.isEmpty());
    const QRect expected = ExpectedFrame(1) | ExpectedFrame(2);
    EXPECT_NEAR(frames.left(), expected.left(), 3);
    EXPECT_NEAR(frames.top(), expected.top(), 3);
    EXPECT_NEAR(frames.right(), expected.right(), 3);
    EXPECT_NEAR(frames.bottom(), expected.bottom(), 3);
    // The used area fills 95 % of the printable width or height.
    EXPECT_GT(expected.right(), page.width() * 0.6);
}

TEST_F(DocumentOutputTest, MonochromePrintingHasNoColour) {
    env.PrintMonochrome = true;
    PrintToPdf();
    const QImage page = Rasterise();
    if (page.isNull()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    int coloured = 0, dark = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb c = page.pixel(x, y);
            coloured += IsColoured(c);
            dark += qGray(c) < 100;
        }
    EXPECT_EQ(coloured, 0);
    EXPECT_GT(dark, 50);  // frames and card outlines are there, in black
}

TEST_F(DocumentOutputTest, ACancelledPrintDialogPrintsNothing) {
    out->ConfirmPrint = [](QPrinter&) { return false; };
    out->FilePrint(doc->Set());
    EXPECT_FALSE(QFile::exists(PdfPath()));
}

TEST_F(DocumentOutputTest, WithoutAPrinterTheDialogOffersAPdfBesideTheDocument) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "a printer is installed";
    doc->Set().FileName =
        QFile::encodeName(dir.filePath(QStringLiteral("ideas.csv"))).toStdString();
    QString offered;
    out->ConfirmPrint = [&](QPrinter& printer) {
        EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
        offered = printer.outputFileName();
        return false;
    };
    out->FilePrint(doc->Set());
    EXPECT_EQ(offered, dir.filePath(QStringLiteral("ideas.pdf")));
}

TEST_F(DocumentOutputTest, AnUnwritablePdfIsReported) {
    out->ConfirmPrint = [this](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("missing/folder/page.pdf")));
        return true;
    };
    out->FilePrint(doc->Set());
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_NE(qv::FromCp932(prompts.Messages[0]).indexOf(QStringLiteral("印刷できませんでした")),
              -1);
}

TEST_F(DocumentOutputTest, ImageOutputOffersTheStoredTypeAndRemembersTheChosenOne) {
    doc->Set().FileName =
        QFile::encodeName(dir.filePath(QStringLiteral("ideas.csv"))).toStdString();
    DocumentOutput::ImageFileRequest asked;
    QString answer = dir.filePath(QStringLiteral("ideas.JPEG"));
    out->ChooseImageFile = [&](const DocumentOutput::ImageFileRequest& r) {
        asked = r;
        return std::optional<QString>(answer);
    };
    out->FileImgOut(doc->Set());
    EXPECT_EQ(asked.Title, QStringLiteral("画像として保存"));
    EXPECT_EQ(asked.Filters, (QStringList{QStringLiteral("ビットマップファイル (*.BMP)"),
                                          QStringLiteral("JPEGファイル(*.JPG)")}));
    EXPECT_EQ(asked.SelectedFilter, 0);
    EXPECT_EQ(asked.DefaultSuffix, QStringLiteral("BMP"));
    EXPECT_EQ(asked.InitialName, dir.filePath(QStringLiteral("ideas.BMP")));
    EXPECT_EQ(statuses.front(), QStringLiteral("画像保存中..."));
    EXPECT_TRUE(prompts.Messages.empty());
    QFile jpeg(answer);
    ASSERT_TRUE(jpeg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(jpeg.read(2).startsWith("\xFF\xD8"));
    EXPECT_EQ(env.ImgFilterIdx, 2);

    // JPEG is offered first next time.
    answer = dir.filePath(QStringLiteral("ideas.bmp"));
    out->FileImgOut(doc->Set());
    EXPECT_EQ(asked.SelectedFilter, 1);
    EXPECT_EQ(asked.InitialName, dir.filePath(QStringLiteral("ideas.JPG")));
    const QImage bmp(answer, "BMP");
    ASSERT_FALSE(bmp.isNull());
    // The used area grown by 5 %, the page origin kept.
    EXPECT_EQ(bmp.width(), doc->Set().UsedWidth * 105 / 100);
    EXPECT_EQ(env.ImgFilterIdx, 1);
}

TEST_F(DocumentOutputTest, ImageOutputReportsOtherTypesAndFailures) {
    const QString png = dir.filePath(QStringLiteral("ideas.png"));
    out->ChooseImageFile = [&](const DocumentOutput::ImageFileRequest&) {
        return std::optional<QString>(png);
    };
    env.ImgFilterIdx = 2;
    out->FileImgOut(doc->Set());
    EXPECT_FALSE(QFile::exists(png));
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(env.ImgFilterIdx, 1);

    const QString nowhere = dir.filePath(QStringLiteral("missing/ideas.BMP"));
    out->ChooseImageFile = [&](const DocumentOutput::ImageFileRequest&) {
        return std::optional<QString>(nowhere);
    };
    out->FileImgOut(doc->Set());
    ASSERT_EQ(prompts.Messages.size(), 2u);
    EXPECT_NE(qv::FromCp932(prompts.Messages[1]).indexOf(QStringLiteral("保存できませんでした")),
              -1);
    // Cancelling the dialog does nothing at all.
    out->ChooseImageFile = [](const DocumentOutput::ImageFileRequest&) {
        return std::optional<QString>();
    };
    out->FileImgOut(doc->Set());
    EXPECT_EQ(prompts.Messages.size(), 2u);
}

// What is left in the test's folder: no output and no temporary file after a cancel.
QStringList FilesIn(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST_F(DocumentOutputTest, ALongImageOutputRunsBesideTheWindowAndCancelLeavesNoFile) {
    // One card far out: a page of 150 million pixels, many seconds to encode.
    qv::test::AddCard(doc->Set(), "far", 2, 12000, 12000, 8, 2);
    doc->Set().Recount();
    doc->Set().RefreshVisibility();
    const QString jpeg = dir.filePath(QStringLiteral("far.JPG"));
    out->ChooseImageFile = [&](const DocumentOutput::ImageFileRequest&) {
        return std::optional<QString>(jpeg);
    };
    OutputProgressWatch watch([](QProgressDialog& dialog) {
        QPushButton* cancel = dialog.findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), QStringLiteral("キャンセル"));
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    out->FileImgOut(doc->Set());
    ASSERT_TRUE(watch.Seen) << "no progress dialog while the picture was written";
    EXPECT_EQ(watch.Title, QStringLiteral("画像として保存"));
    EXPECT_EQ(watch.Label, QStringLiteral("画像保存中..."));
    EXPECT_TRUE(watch.ApplicationModal) << "the document cannot be edited meanwhile";
    EXPECT_TRUE(FilesIn(dir).isEmpty()) << FilesIn(dir).join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_TRUE(statuses.back().isEmpty());
}

TEST_F(DocumentOutputTest, ALongPrintCancelledWithEscapeLeavesNoFile) {
    // A photo of 64 million pixels shown small: paper takes it at full size, seconds of work.
    QImage photo(8000, 8000, QImage::Format_RGB32);
    photo.fill(qRgb(30, 90, 160));
    const QString photoPath = dir.filePath(QStringLiteral("photo.jpg"));
    QFile photoFile(photoPath);
    ASSERT_TRUE(photoFile.open(QIODevice::WriteOnly));
    photoFile.write(*qv::EncodeJpeg(photo, 50));
    photoFile.close();
    qv::FragSet& set = doc->Set();
    qv::Fragment* card = qv::test::AddCard(set, "", 1, 400, 100, 1, 100, qv::FragmentKind::Image);
    card->Link = QFile::encodeName(photoPath).toStdString();
    card->LoadPicture();
    card->Measure();
    ASSERT_TRUE(card->HasPicture());
    set.Recount();
    set.RefreshVisibility();
    OutputProgressWatch watch(
        [](QProgressDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    PrintToPdf();
    ASSERT_TRUE(watch.Seen) << "no progress dialog while the page was printed";
    EXPECT_EQ(watch.Title, QStringLiteral("印刷"));
    EXPECT_EQ(watch.Label, QStringLiteral("印刷中..."));
    EXPECT_FALSE(QFile::exists(PdfPath()));
    EXPECT_EQ(FilesIn(dir), QStringList{QStringLiteral("photo.jpg")});
    EXPECT_TRUE(prompts.Messages.empty());
}

}  // namespace
