// The open export formats read back as their readers would: the SVG parsed as XML with every card
// text and the picture files' own bytes, the PDF's text layer through pdftotext, the PNG decoded
// pixel for pixel against the bitmap output, the canvas against the JSON Canvas 1.0 shape.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <algorithm>
#include <map>

#include "core/export/json_canvas.h"
#include "core/io/fragment_file.h"
#include "render/formats/document_export.h"
#include "render/formats/jpeg_codec.h"
#include "render/render_fixture.h"
#include "render/text/qt_text.h"

namespace {

using qv::ExportFormat;

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Japanese texts as the model keeps them (code page 932).
std::string Sjis(const char* utf8) {
    return qv::ToCp932(QString::fromUtf8(utf8));
}

const char* const kTexts[] = {"発想のカード", "グループ分け", "線で結ぶ", "English & <tags>"};

struct ExportDoc : qv::test::RenderDoc {
    QTemporaryDir dir;
    QByteArray jpeg, png;
    qv::Fragment* photo = nullptr;

    ExportDoc() : RenderDoc(640, 480) {
        env.Colors.Background = qv::Rgb(240, 240, 230);
        set().ShowDivLines = false;
        Add(Sjis(kTexts[0]), 1, 40, 40, 10, 1);
        Add(Sjis(kTexts[1]), 1, 60, 120, 10, 1);
        Add(Sjis(kTexts[2]), 2, 400, 60, 10, 1);
        Add(Sjis(kTexts[3]), 2, 420, 200, 10, 1);
        Add(Sjis("名札"), 1, 40, 10, 4, 1, qv::FragmentKind::NamePlate);
        // Pictures: a JPEG and a PNG with transparency, linked by cards of their own.
        QImage a(60, 40, QImage::Format_RGB32);
        a.fill(qRgb(200, 40, 40));
        jpeg = *qv::EncodeJpeg(a, 90);
        QImage b(30, 30, QImage::Format_ARGB32);
        b.fill(qRgba(0, 0, 255, 128));
        QFile pngFile(dir.filePath(QStringLiteral("b.png")));
        EXPECT_TRUE(pngFile.open(QIODevice::WriteOnly) && b.save(&pngFile, "PNG"));
        pngFile.close();
        png = Contents(dir.filePath(QStringLiteral("b.png")));
        QFile jpegFile(dir.filePath(QStringLiteral("a.jpg")));
        EXPECT_TRUE(jpegFile.open(QIODevice::WriteOnly) && jpegFile.write(jpeg) == jpeg.size());
        jpegFile.close();
        photo = Picture("a.jpg", 2, 220, 300);
        Picture("b.png", 0, 100, 300)->ColBG = qv::kNoColor;
        set().Recount();
        set().SetGroupLine(1, 2);
        set().SetGroupLineStyle(0, qv::kLineArrow, 2);
        Refresh();
    }

    qv::Fragment* Picture(const char* name, int group, int left, int top) {
        qv::Fragment* f = Add("", group, left, top, 1, 1, qv::FragmentKind::Image);
        f->Link = QFile::encodeName(dir.filePath(QString::fromLatin1(name))).toStdString();
        f->LoadPicture();
        f->Measure();
        EXPECT_TRUE(f->HasPicture()) << name;
        return f;
    }

    QString Export(const char* name, std::int64_t bandBytes = std::int64_t{4} << 20) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        const qv::WriteResult written =
            qv::ExportDocument(set(), QFile::encodeName(path).toStdString(),
                               qv::ExportFormatOf(name), cache, bandBytes);
        EXPECT_TRUE(written) << written.Error;
        return path;
    }
};

TEST(ExportFormats, AreChosenByTheExtensionInAnyCase) {
    EXPECT_EQ(qv::ExportFormatOf("/a/b.SVG"), ExportFormat::Svg);
    EXPECT_EQ(qv::ExportFormatOf("b.pdf"), ExportFormat::Pdf);
    EXPECT_EQ(qv::ExportFormatOf("b.Png"), ExportFormat::Png);
    EXPECT_EQ(qv::ExportFormatOf("b.CANVAS"), ExportFormat::Canvas);
    EXPECT_EQ(qv::ExportFormatOf("notes.v2.MD"), ExportFormat::Markdown);
    // The image output's formats are the same enum's.
    EXPECT_EQ(qv::ExportFormatOf("a/b.BMP"), ExportFormat::Bmp);
    EXPECT_EQ(qv::ExportFormatOf("b.Jpg"), ExportFormat::Jpeg);
    EXPECT_EQ(qv::ExportFormatOf("b.jpeg"), ExportFormat::Jpeg);
    for (const char* other : {"b.gif", "b", "dir.svg/b", ".svg", "b.svgz", "b.jpg/c"})
        EXPECT_EQ(qv::ExportFormatOf(other), ExportFormat::Unsupported) << other;
    EXPECT_DOUBLE_EQ(qv::PdfPointsPerPixel(800, 600), 0.75);
    EXPECT_DOUBLE_EQ(qv::PdfPointsPerPixel(40000, 100) * 40000, qv::kMaxPdfPagePoints);
}

TEST(SvgExport, ParsesAndHoldsEveryCardTextAndThePictureFilesThemselves) {
    ExportDoc d;
    const QString path = d.Export("page.svg");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString texts;
    std::vector<QByteArray> images;
    QStringList families;
    QSize size;
    int paths = 0, lines = 0;
    while (!xml.atEnd()) {
        if (!xml.readNext() || !xml.isStartElement()) continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("svg")) {
            size = QSize(a.value(QLatin1String("width")).toInt(),
                         a.value(QLatin1String("height")).toInt());
        } else if (xml.name() == QLatin1String("text")) {
            families << a.value(QLatin1String("font-family")).toString();
            texts +=
                xml.readElementText(QXmlStreamReader::IncludeChildElements) + QLatin1Char('\n');
        } else if (xml.name() == QLatin1String("image")) {
            const QString href = a.value(QLatin1String("xlink:href")).toString();
            const qsizetype comma = href.indexOf(QLatin1Char(','));
            ASSERT_TRUE(href.startsWith(QLatin1String("data:image/")))
                << href.left(40).toStdString();
            images.push_back(QByteArray::fromBase64(href.mid(comma + 1).toLatin1()));
        } else if (xml.name() == QLatin1String("path")) {
            ++paths;
        } else if (xml.name() == QLatin1String("line")) {
            ++lines;
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(size, qv::DocumentImageSize(d.set()));
    for (const char* t : kTexts)
        EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t << " in " << texts.toStdString();
    EXPECT_TRUE(texts.contains(QString::fromUtf8("名札")));
    ASSERT_FALSE(families.isEmpty());
    EXPECT_TRUE(families.first().contains(QLatin1String("IPA"))) << families.first().toStdString();
    // Both pictures exactly as their files hold them: no JPEG made into a PNG.
    ASSERT_EQ(images.size(), 2u);
    EXPECT_TRUE(std::find(images.begin(), images.end(), d.jpeg) != images.end());
    EXPECT_TRUE(std::find(images.begin(), images.end(), d.png) != images.end());
    EXPECT_GE(paths, 2) << "two rounded frames";
    EXPECT_GE(lines, 1) << "the group line";
}

TEST(SvgExport, TextsWithCharactersXmlCannotHoldStillParse) {
    ExportDoc d;
    d.Add("bell\x07\x1b\"quote\"", 0, 300, 420, 12, 1);
    d.Refresh();
    QFile file(d.Export("odd.svg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString texts;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
            texts += xml.readElementText(QXmlStreamReader::IncludeChildElements);
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("\"quote\""))) << texts.toStdString();
}

TEST(SvgExport, PicturesThatNeedTheirPixelsChangedAreEmbeddedAsPng) {
    ExportDoc d;
    // A JPEG shown transparent loses its bottom-left colour: no file holds that picture.
    d.photo->ColBG = qv::kNoColor;
    const QByteArray svg = Contents(d.Export("masked.svg"));
    EXPECT_EQ(svg.count("data:image/jpeg;base64,"), 0);
    EXPECT_EQ(svg.count("data:image/png;base64,"), 2);
}

TEST(SvgExport, APictureFileShownByManyCardsIsEmbeddedOnce) {
    ExportDoc d;
    const auto rectOf = [](const qv::Fragment* f) {
        return QRect(f->Left, f->Top, f->Right - f->Left, f->Bottom - f->Top);
    };
    std::vector<QRect> cards = {rectOf(d.photo)};
    for (int i = 0; i < 12; ++i) {
        qv::Fragment* f = d.Picture("a.jpg", 3, 20 + 70 * (i % 6), 380 + 50 * (i / 6));
        cards.push_back(rectOf(f));
    }
    d.Refresh();
    const QByteArray svg = Contents(d.Export("many.svg"));
    EXPECT_EQ(svg.count("data:image/jpeg;base64,"), 1);
    EXPECT_EQ(svg.count("data:image/png;base64,"), 1);
    // Every card refers to the one embedded file, scaled from a unit square onto its rectangle.
    QXmlStreamReader xml(svg);
    QSet<QString> ids;
    QString jpegId;
    std::vector<QRect> placed;
    const QRegularExpression matrix(
        QStringLiteral(R"(^matrix\(([-\d.]+) 0 0 ([-\d.]+) ([-\d.]+) ([-\d.]+)\)$)"));
    std::map<QString, QStringList> uses;
    while (!xml.atEnd()) {
        if (!xml.readNext() || !xml.isStartElement()) continue;
        const auto a = xml.attributes();
        const QString href = a.value(QLatin1String("xlink:href")).toString();
        if (xml.name() == QLatin1String("image")) {
            const QString id = a.value(QLatin1String("id")).toString();
            EXPECT_FALSE(id.isEmpty());
            EXPECT_FALSE(ids.contains(id)) << "ids are unique";
            ids.insert(id);
            if (href.startsWith(QLatin1String("data:image/jpeg"))) jpegId = id;
        } else if (xml.name() == QLatin1String("use")) {
            EXPECT_TRUE(href.startsWith(QLatin1Char('#')));
            EXPECT_TRUE(ids.contains(href.mid(1))) << "defined before it is used";
            uses[href.mid(1)] << a.value(QLatin1String("transform")).toString();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    ASSERT_FALSE(jpegId.isEmpty());
    for (const QString& t : uses[jpegId]) {
        const QRegularExpressionMatch m = matrix.match(t);
        ASSERT_TRUE(m.hasMatch()) << t.toStdString();
        placed.emplace_back(m.captured(3).toInt(), m.captured(4).toInt(), m.captured(1).toInt(),
                            m.captured(2).toInt());
    }
    const auto byPlace = [](const QRect& a, const QRect& b) {
        return std::pair(a.x(), a.y()) < std::pair(b.x(), b.y());
    };
    std::sort(cards.begin(), cards.end(), byPlace);
    std::sort(placed.begin(), placed.end(), byPlace);
    EXPECT_EQ(placed, cards);
    EXPECT_EQ(uses.size(), 2u) << "the PNG card refers to its own file";
}

TEST(PdfExport, OnePageTheDocumentsSizeWithTheJapaneseTextsAsText) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    ExportDoc d;
    const QString path = d.Export("page.pdf");
    QProcess p;
    p.start(pdftotext,
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(20000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* t : kTexts)
        EXPECT_TRUE(text.contains(QString::fromUtf8(t))) << t << " in " << text.toStdString();

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    ASSERT_TRUE(info.waitForFinished(20000));
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    const QSize size = qv::DocumentImageSize(d.set());
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))))
        << out.toStdString();
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(out);
    ASSERT_TRUE(m.hasMatch()) << out.toStdString();
    EXPECT_NEAR(m.captured(1).toDouble(), size.width() * 0.75, 1.0);
    EXPECT_NEAR(m.captured(2).toDouble(), size.height() * 0.75, 1.0);
}

TEST(PdfExport, ALargePageIsScaledOntoOnePageReadersAccept) {
    ExportDoc d;
    d.set().FixedSize = true;
    d.set().FixedWidth = 40000;
    d.set().FixedHeight = 3000;
    d.set().DivColumns = 4;
    d.set().DivRows = 2;
    d.set().ShowDivLines = true;
    d.Refresh();
    ASSERT_EQ(qv::DocumentImageSize(d.set()), QSize(40000, 3000));
    const QString path = d.Export("wide.pdf");
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    if (!info.waitForFinished(20000) || info.exitCode() != 0) GTEST_SKIP() << "no pdfinfo";
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(out);
    ASSERT_TRUE(m.hasMatch()) << out.toStdString();
    EXPECT_LE(m.captured(1).toDouble(), qv::kMaxPdfPagePoints);
    EXPECT_NEAR(m.captured(1).toDouble(), qv::kMaxPdfPagePoints, 1.0);
    EXPECT_NEAR(m.captured(2).toDouble(), 3000 * qv::kMaxPdfPagePoints / 40000, 1.0);
}

TEST(PdfExport, AFlatPageKeepsAtLeastOnePointASide) {
    // Scaled onto the largest page, a one-pixel strip would be a fraction of a point high.
    for (const QSize& page : {QSize(40000, 1), QSize(1, 40000), QSize(1, 1)}) {
        ExportDoc d;
        d.set().FixedSize = true;
        d.set().FixedWidth = page.width();
        d.set().FixedHeight = page.height();
        d.set().DivColumns = 2;
        d.set().DivRows = 2;
        d.Refresh();
        d.set().ShowDivLines = true;
        ASSERT_EQ(qv::DocumentImageSize(d.set()), page);
        const QString path = d.Export("flat.pdf");
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {path});
        if (!info.waitForFinished(20000)) GTEST_SKIP() << "no pdfinfo";
        ASSERT_EQ(info.exitCode(), 0) << info.readAllStandardError().toStdString();
        const QString out = QString::fromUtf8(info.readAllStandardOutput());
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"))
                .match(out);
        ASSERT_TRUE(m.hasMatch()) << out.toStdString();
        EXPECT_GE(m.captured(1).toDouble(), 1.0) << out.toStdString();
        EXPECT_GE(m.captured(2).toDouble(), 1.0) << out.toStdString();
        EXPECT_LE(std::max(m.captured(1).toDouble(), m.captured(2).toDouble()),
                  qv::kMaxPdfPagePoints);
    }
}

TEST(PngExport, DecodesToTheBitmapOutputsPixels) {
    ExportDoc d;
    // Small bands: the rows come in many pieces.
    const QString png = d.Export("page.png", 640 * 4 * 37);
    const QString bmp = d.dir.filePath(QStringLiteral("page.bmp"));
    const qv::WriteResult written = qv::ExportDocument(
        d.set(), QFile::encodeName(bmp).toStdString(), ExportFormat::Bmp, d.cache);
    ASSERT_TRUE(written) << written.Error;
    const QImage a = QImage(png).convertToFormat(QImage::Format_RGB32);
    const QImage b = QImage(bmp).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(a.isNull());
    EXPECT_EQ(a.size(), qv::DocumentImageSize(d.set()));
    EXPECT_TRUE(a == b) << "the PNG's pixels differ from the bitmap's";
}

TEST(PngExport, APageBeyondThePixelLimitIsRefusedBeforeAnythingIsWritten) {
    EXPECT_TRUE(qv::ExportFormatHolds(ExportFormat::Png, QSize(qv::kMaxPngSide, qv::kMaxPngSide)));
    std::string error;
    EXPECT_FALSE(qv::ExportFormatHolds(ExportFormat::Png, QSize(10, qv::kMaxPngSide + 1), &error));
    EXPECT_NE(error.find("65500"), std::string::npos) << error;
    ExportDoc d;
    d.Add("far", 1, 2000000, 40, 4, 1);
    d.Refresh();
    const QString path = d.dir.filePath(QStringLiteral("far.png"));
    const qv::WriteResult written = qv::ExportDocument(
        d.set(), QFile::encodeName(path).toStdString(), ExportFormat::Png, d.cache);
    EXPECT_FALSE(written);
    EXPECT_NE(written.Error.find("65500"), std::string::npos) << written.Error;
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(QDir(d.dir.path()).entryList(QDir::Hidden | QDir::Files).filter(".png").size(), 1)
        << "only the picture b.png";
}

TEST(Export, AStoppedExportLeavesNoFileAndAnOldOneAsItWas) {
    ExportDoc d;
    for (ExportFormat f :
         {ExportFormat::Svg, ExportFormat::Pdf, ExportFormat::Png, ExportFormat::Canvas,
          ExportFormat::Markdown, ExportFormat::Bmp, ExportFormat::Jpeg}) {
        const QString path =
            d.dir.filePath(QStringLiteral("stopped") + QString::fromLatin1(qv::ExportExtension(f)));
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        // Stopped at the second report: after some cards or the first band.
        int calls = 0;
        std::vector<double> seen;
        const qv::WriteResult written = qv::ExportDocument(
            d.set(), QFile::encodeName(path).toStdString(), f, d.cache, 640 * 4 * 37,
            [&](double done) {
                seen.push_back(done);
                return f == ExportFormat::Canvas || f == ExportFormat::Markdown ? false
                                                                                : ++calls < 2;
            });
        EXPECT_EQ(written.Problem, qv::WriteProblem::Cancelled);
        EXPECT_EQ(written.Error, qv::kOutputCancelled);
        EXPECT_EQ(Contents(path), "old");
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        for (double v : seen)
            EXPECT_TRUE(v >= 0 && v <= 1) << v;
    }
    EXPECT_EQ(QDir(d.dir.path()).entryList(QDir::Hidden | QDir::Files).size(), 9)
        << "the two pictures and the seven old files; no temporary file";
    // Unstopped, progress runs up to the whole (a bitmap's bands go bottom up).
    for (ExportFormat f : {ExportFormat::Svg, ExportFormat::Png, ExportFormat::Bmp}) {
        double last = 0;
        EXPECT_TRUE(qv::ExportDocument(
            d.set(),
            QFile::encodeName(
                d.dir.filePath(QStringLiteral("all") + QString::fromLatin1(qv::ExportExtension(f))))
                .toStdString(),
            f, d.cache, 640 * 4 * 37, [&](double done) {
                last = done;
                return true;
            }));
        EXPECT_EQ(last, 1.0);
    }
}

TEST(Export, FailuresAreReportedAndLeaveNothingBehind) {
    ExportDoc d;
    const QString folder = d.dir.filePath(QStringLiteral("folder.svg"));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (ExportFormat f : {ExportFormat::Svg, ExportFormat::Pdf, ExportFormat::Png,
                           ExportFormat::Canvas, ExportFormat::Markdown}) {
        qv::WriteResult written =
            qv::ExportDocument(d.set(), QFile::encodeName(folder).toStdString(), f, d.cache);
        EXPECT_FALSE(written);
        EXPECT_NE(written.Error.find("folder"), std::string::npos) << written.Error;
        const std::string missing =
            QFile::encodeName(d.dir.filePath("no/such/x.svg")).toStdString();
        written = qv::ExportDocument(d.set(), missing, f, d.cache);
        EXPECT_FALSE(written);
        EXPECT_FALSE(written.Error.empty());
    }
    const qv::WriteResult unsupported =
        qv::ExportDocument(d.set(), "x.txt", ExportFormat::Unsupported, d.cache);
    EXPECT_FALSE(unsupported);
    EXPECT_NE(unsupported.Error.find(".canvas"), std::string::npos);
    EXPECT_EQ(QDir(d.dir.path()).entryList(QDir::Files).size(), 2) << "only the two pictures";
}

// ---- JSON Canvas ----

QRect Box(const QJsonObject& n) {
    return QRect(n[QLatin1String("x")].toInt(), n[QLatin1String("y")].toInt(),
                 n[QLatin1String("width")].toInt(), n[QLatin1String("height")].toInt());
}

// Checks `canvas` against the JSON Canvas 1.0 shape; returns the nodes by id.
std::map<QString, QJsonObject> ValidCanvas(const QByteArray& canvas) {
    std::map<QString, QJsonObject> nodes;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(canvas, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_TRUE(doc.isObject());
    const QRegularExpression color(QStringLiteral("^(#[0-9A-Fa-f]{6}|[1-6])$"));
    auto checkColor = [&](const QJsonObject& o) {
        if (o.contains(QLatin1String("color"))) {
            EXPECT_TRUE(color.match(o[QLatin1String("color")].toString()).hasMatch())
                << o[QLatin1String("color")].toString().toStdString();
        }
    };
    QSet<QString> ids;
    for (const QJsonValue& v : doc[QLatin1String("nodes")].toArray()) {
        const QJsonObject n = v.toObject();
        const QString id = n[QLatin1String("id")].toString();
        EXPECT_FALSE(id.isEmpty());
        EXPECT_FALSE(ids.contains(id)) << "duplicate id " << id.toStdString();
        ids.insert(id);
        for (const char* key : {"x", "y", "width", "height"}) {
            const QJsonValue k = n[QLatin1String(key)];
            EXPECT_TRUE(k.isDouble() && k.toDouble() == k.toInt()) << id.toStdString() << key;
        }
        const QString type = n[QLatin1String("type")].toString();
        if (type == QLatin1String("text")) {
            EXPECT_TRUE(n[QLatin1String("text")].isString());
        } else if (type == QLatin1String("file")) {
            EXPECT_FALSE(n[QLatin1String("file")].toString().isEmpty());
        } else if (type == QLatin1String("link")) {
            EXPECT_FALSE(n[QLatin1String("url")].toString().isEmpty());
        } else {
            EXPECT_EQ(type, QLatin1String("group")) << id.toStdString();
        }
        checkColor(n);
        nodes[id] = n;
    }
    for (const QJsonValue& v : doc[QLatin1String("edges")].toArray()) {
        const QJsonObject e = v.toObject();
        const QString id = e[QLatin1String("id")].toString();
        EXPECT_FALSE(ids.contains(id)) << "duplicate id " << id.toStdString();
        ids.insert(id);
        EXPECT_TRUE(nodes.count(e[QLatin1String("fromNode")].toString())) << id.toStdString();
        EXPECT_TRUE(nodes.count(e[QLatin1String("toNode")].toString())) << id.toStdString();
        for (const char* side : {"fromSide", "toSide"}) {
            if (!e.contains(QLatin1String(side))) continue;
            const QString value = e[QLatin1String(side)].toString();
            EXPECT_TRUE(QStringList({QStringLiteral("top"), QStringLiteral("right"),
                                     QStringLiteral("bottom"), QStringLiteral("left")})
                            .contains(value))
                << value.toStdString();
        }
        for (const char* end : {"fromEnd", "toEnd"}) {
            const QString value = e[QLatin1String(end)].toString(QStringLiteral("none"));
            EXPECT_TRUE(value == QLatin1String("none") || value == QLatin1String("arrow"));
        }
        checkColor(e);
    }
    // A group holds its cards by enclosing them.
    for (const auto& [id, n] : nodes) {
        if (n[QLatin1String("type")].toString() == QLatin1String("group")) continue;
        const int g = n[QLatin1String("qvGroup")].toInt();
        if (g == 0) continue;
        const QString group = QStringLiteral("group-%1").arg(g);
        EXPECT_TRUE(nodes.count(group)) << id.toStdString();
        if (nodes.count(group)) {
            EXPECT_TRUE(Box(nodes[group]).contains(Box(n))) << id.toStdString();
        }
    }
    return nodes;
}

TEST(CanvasExport, IsValidJsonCanvasWithTextsFilesGroupsAndTheLine) {
    ExportDoc d;
    d.Add(Sjis("リンク"), 2, 500, 260, 6, 1)->Link = "..\\notes\\memo.txt";
    d.Add(Sjis("ウェブ"), 0, 300, 400, 6, 1)->Link = "https://example.org/a?b=1";
    d.Refresh();
    const QByteArray canvas = Contents(d.Export("page.canvas"));
    const std::map<QString, QJsonObject> nodes = ValidCanvas(canvas);

    QStringList texts, files, urls, groups;
    for (const auto& [id, n] : nodes) {
        const QString type = n[QLatin1String("type")].toString();
        if (type == QLatin1String("text")) texts << n[QLatin1String("text")].toString();
        if (type == QLatin1String("file")) files << n[QLatin1String("file")].toString();
        if (type == QLatin1String("link")) urls << n[QLatin1String("url")].toString();
        if (type == QLatin1String("group")) groups << id;
    }
    for (const char* t : kTexts)
        EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t;
    EXPECT_TRUE(files.contains(QStringLiteral("../notes/memo.txt")))
        << files.join(',').toStdString();
    EXPECT_TRUE(files.contains(d.dir.filePath(QStringLiteral("a.jpg"))));
    EXPECT_EQ(urls, QStringList{QStringLiteral("https://example.org/a?b=1")});
    EXPECT_EQ(groups, (QStringList{QStringLiteral("group-1"), QStringLiteral("group-2")}));
    EXPECT_EQ(nodes.at(QStringLiteral("group-1"))[QLatin1String("label")].toString(),
              QString::fromUtf8("名札"));
    // The group frames as drawn, in the frame colour.
    const qv::Rect frame = d.set().GroupTable[1].Bounds;
    EXPECT_EQ(Box(nodes.at(QStringLiteral("group-1"))),
              QRect(frame.Left, frame.Top, frame.Width(), frame.Height()));
    EXPECT_EQ(nodes.at(QStringLiteral("group-1"))[QLatin1String("color")].toString(),
              QStringLiteral("#FFFF00"));

    const QJsonArray edges = QJsonDocument::fromJson(canvas)[QLatin1String("edges")].toArray();
    ASSERT_EQ(edges.size(), 1);
    const QJsonObject e = edges[0].toObject();
    EXPECT_EQ(e[QLatin1String("id")].toString(), QStringLiteral("line-1"));
    EXPECT_EQ(e[QLatin1String("fromNode")].toString(), QStringLiteral("group-1"));
    EXPECT_EQ(e[QLatin1String("toNode")].toString(), QStringLiteral("group-2"));
    EXPECT_EQ(e[QLatin1String("fromEnd")].toString(), QStringLiteral("none"));
    EXPECT_EQ(e[QLatin1String("toEnd")].toString(), QStringLiteral("arrow"));
    EXPECT_EQ(e[QLatin1String("color")].toString(), QStringLiteral("#00FFFF"));

    // Exported twice, the same file: ids are stable.
    EXPECT_EQ(Contents(d.Export("again.canvas")), canvas);
}

TEST(CanvasExport, TheExampleDocumentIsAValidCanvas) {
    qv::EnvData env;
    qv::OffscreenDocument doc(env);
    const std::string example = QV_SOURCE_DIR "/examples/brainstorm.csv";
    ASSERT_EQ(qv::ReadFragmentFile(doc.Set(), example, false).Status, qv::ReadStatus::Read);
    doc.Set().RefreshVisibility();
    const std::map<QString, QJsonObject> nodes =
        ValidCanvas(QByteArray::fromStdString(qv::JsonCanvasText(doc.Set())));
    EXPECT_GT(nodes.size(), 10u);
}

// The outputs as standard output takes them: handed over front to back in pieces no larger than
// a band, the same bytes as the file, and stopped at the first write that is refused.
TEST(StreamedOutput, HandsOverTheFilesBytesInPiecesAndStopsAtTheFirstRefusal) {
    ExportDoc d;
    const std::int64_t bandBytes = 640 * 4 * 37;
    struct Taken {
        std::string Bytes;
        std::size_t Calls = 0, Largest = 0, RefuseAt = 0;  // RefuseAt: the call refused (1 …)
        bool Take(std::string_view data) {
            ++Calls;
            Largest = std::max(Largest, data.size());
            if (Calls == RefuseAt) return false;
            Bytes.append(data);
            return true;
        }
    };
    for (const char* name : {"page.bmp", "page.jpg"}) {
        const QString path = d.dir.filePath(QString::fromLatin1(name));
        const qv::ExportFormat format = qv::ExportFormatOf(name);
        qv::WriteResult written = qv::ExportDocument(d.set(), QFile::encodeName(path).toStdString(),
                                                     format, d.cache, bandBytes);
        ASSERT_TRUE(written) << written.Error;
        Taken t;
        written = qv::WriteExport(
            d.set(), format, [&](std::string_view data) { return t.Take(data); }, d.cache,
            bandBytes);
        ASSERT_TRUE(written) << written.Error;
        EXPECT_TRUE(t.Bytes == Contents(path).toStdString()) << name;
        EXPECT_LE(t.Largest, static_cast<std::size_t>(bandBytes)) << name;
        Taken refused;
        refused.RefuseAt = std::min<std::size_t>(t.Calls, 3);
        EXPECT_EQ(qv::WriteExport(
                      d.set(), format, [&](std::string_view data) { return refused.Take(data); },
                      d.cache, bandBytes)
                      .Problem,
                  qv::WriteProblem::Failed)
            << name;
        EXPECT_EQ(refused.Calls, refused.RefuseAt) << name << ": written on after a refusal";
    }
    for (const char* name : {"page.svg", "page.pdf", "page.png", "page.canvas"}) {
        const qv::ExportFormat format = qv::ExportFormatOf(name);
        const QByteArray file = Contents(d.Export(name, bandBytes));
        Taken t;
        const qv::WriteResult written = qv::WriteExport(
            d.set(), format, [&](std::string_view data) { return t.Take(data); }, d.cache,
            bandBytes);
        ASSERT_TRUE(written) << written.Error;
        // A PDF carries the second it was made; nothing else may differ.
        const auto undated = [](std::string bytes) {
            const std::size_t at = bytes.find("/CreationDate");
            if (at != std::string::npos) bytes.erase(at, bytes.find('\n', at) - at);
            return bytes;
        };
        EXPECT_TRUE(undated(t.Bytes) == undated(file.toStdString())) << name;
        if (format == ExportFormat::Png) {
            EXPECT_LE(t.Largest, static_cast<std::size_t>(bandBytes)) << name;
        }
        Taken refused;
        refused.RefuseAt = std::min<std::size_t>(t.Calls, 2);
        EXPECT_FALSE(qv::WriteExport(
            d.set(), format, [&](std::string_view data) { return refused.Take(data); }, d.cache,
            bandBytes))
            << name;
        EXPECT_EQ(refused.Calls, refused.RefuseAt) << name << ": written on after a refusal";
    }
}

}  // namespace
