// The image output's encoders and files: JPEG quality and fidelity, the 24-bit bitmap, and what a
// failed write leaves.
#include <gtest/gtest.h>

#include <QImageReader>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "render/formats/document_export.h"
#include "render/formats/jpeg_codec.h"
#include "render/render_fixture.h"
#include "unit/fs/file_size_limit.h"

namespace fs = std::filesystem;

namespace {

// Smooth colour gradients with a few flat cards on top, like a document image.
QImage DocumentLike(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 128));
    for (int y = h / 4; y < h / 2; ++y)
        for (int x = w / 4; x < w / 2; ++x)
            image.setPixel(x, y, qRgb(255, 255, 200));
    return image;
}

class ImageFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qv_img_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    int FileCount() const {
        return static_cast<int>(std::distance(fs::directory_iterator(dir_), {}));
    }

    fs::path dir_;
};

// A document whose image is a few hundred kilobytes: columns of cards in many colours.
struct ColourfulDoc : qv::test::RenderDoc {
    ColourfulDoc() {
        for (int i = 0; i < 40; ++i)
            Add("card", 1 + i % 3, 10 + (i % 8) * 45, 10 + (i / 8) * 50, 4, 2)->ColBG =
                qv::Rgb(200 - i * 4, 60 + i * 4, 128);
        Refresh();
    }
    qv::WriteResult Save(const std::string& path, qv::ExportFormat format) {
        return qv::ExportDocument(set(), path, format, cache);
    }
};

TEST_F(ImageFileTest, JpegRoundTripAtFullQualityIsClose) {
    const QImage original = DocumentLike(96, 64);
    const std::optional<QByteArray> jpeg = qv::EncodeJpeg(original, 100);
    ASSERT_TRUE(jpeg);
    const std::string bytes(jpeg->constData(), static_cast<std::size_t>(jpeg->size()));
    // Baseline: a SOF0 frame, no progressive SOF2.
    EXPECT_NE(bytes.find("\xFF\xC0"), std::string::npos);
    EXPECT_EQ(bytes.find("\xFF\xC2"), std::string::npos);

    auto decoded =
        qv::DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), original.size());
    int worst = 0;
    for (int y = 0; y < original.height(); ++y)
        for (int x = 0; x < original.width(); ++x) {
            QRgb a = original.pixel(x, y), b = decoded->pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 4);
    // Other readers take it too.
    EXPECT_EQ(QImage::fromData(*jpeg, "JPG").size(), original.size());
}

TEST_F(ImageFileTest, JpegQualityIsClampedToOneToHundred) {
    const QImage image = DocumentLike(64, 48);
    auto q1 = qv::EncodeJpeg(image, 1), q0 = qv::EncodeJpeg(image, 0),
         qNeg = qv::EncodeJpeg(image, -20), q100 = qv::EncodeJpeg(image, 100),
         q500 = qv::EncodeJpeg(image, 500), q50 = qv::EncodeJpeg(image, 50);
    ASSERT_TRUE(q1 && q0 && qNeg && q100 && q500 && q50);
    EXPECT_EQ(*q0, *q1);
    EXPECT_EQ(*qNeg, *q1);
    EXPECT_EQ(*q500, *q100);
    EXPECT_LT(q1->size(), q50->size());
    EXPECT_LT(q50->size(), q100->size());
    EXPECT_EQ(qv::ClampJpegQuality(0), 1);
    EXPECT_EQ(qv::ClampJpegQuality(101), 100);
    EXPECT_FALSE(qv::EncodeJpeg(QImage(), 90));
}

TEST_F(ImageFileTest, BmpIsA24BitBitmapWithTheSamePixels) {
    ColourfulDoc d;
    // A divided page is the image: an odd width, so rows need padding.
    d.set().FixedSize = true;
    d.set().FixedWidth = 413;
    d.set().FixedHeight = 300;
    d.set().DivColumns = 2;
    d.env.DivLine = true;
    d.Refresh();
    ASSERT_EQ(qv::DocumentImageSize(d.set()), QSize(413, 300));
    const std::optional<QImage> original = qv::RenderDocumentImage(d.set(), d.cache);
    ASSERT_TRUE(original);
    const qv::WriteResult written = d.Save(Path("out.bmp"), qv::ExportFormat::Bmp);
    ASSERT_TRUE(written) << written.Error;
    const std::string bytes = ReadBytes(Path("out.bmp"));
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);  // bits per pixel
    QImage back(QString::fromStdString(Path("out.bmp")), "bmp");
    ASSERT_EQ(back.size(), original->size());
    for (int y = 0; y < back.height(); ++y)
        for (int x = 0; x < back.width(); ++x)
            ASSERT_EQ(back.pixel(x, y), original->pixel(x, y)) << x << "," << y;
}

TEST_F(ImageFileTest, OtherExtensionsWriteNothing) {
    ColourfulDoc d;
    const qv::WriteResult written = d.Save(Path("out.gif"), qv::ExportFormatOf(Path("out.gif")));
    EXPECT_EQ(written.Problem, qv::WriteProblem::Unsupported);
    EXPECT_FALSE(written.Error.empty());
    EXPECT_EQ(FileCount(), 0);
}

TEST_F(ImageFileTest, FailedWritesReportAndKeepTheOldFile) {
    ColourfulDoc d;
    // Folders that cannot exist: missing, or a file standing where the folder should be.
    qv::WriteResult written = d.Save(Path("missing/out.jpg"), qv::ExportFormat::Jpeg);
    EXPECT_EQ(written.Problem, qv::WriteProblem::Failed);
    EXPECT_FALSE(written.Error.empty());
    std::ofstream(Path("plain")) << "x";
    EXPECT_EQ(d.Save(Path("plain/out.bmp"), qv::ExportFormat::Bmp).Problem,
              qv::WriteProblem::Failed);

    // A full disk: the old file survives and no temporary file is left behind.
    std::ofstream(Path("old.bmp")) << "previous content";
    written = qv::test::WithFileSizeLimit(
        4096, [&] { return d.Save(Path("old.bmp"), qv::ExportFormat::Bmp); });
    EXPECT_EQ(written.Problem, qv::WriteProblem::Failed);
    EXPECT_EQ(ReadBytes(Path("old.bmp")), "previous content");
    EXPECT_EQ(FileCount(), 2);  // "plain" and "old.bmp"

    // Without the limit the same call replaces it.
    EXPECT_TRUE(d.Save(Path("old.bmp"), qv::ExportFormat::Bmp));
    EXPECT_EQ(QImage(QString::fromStdString(Path("old.bmp"))).size(),
              qv::DocumentImageSize(d.set()));

    // A write-protected image is left alone, even by root.
    std::ofstream(Path("locked.jpg")) << "protected";
    fs::permissions(Path("locked.jpg"), fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(d.Save(Path("locked.jpg"), qv::ExportFormat::Jpeg).Problem,
              qv::WriteProblem::ReadOnly);
    EXPECT_EQ(ReadBytes(Path("locked.jpg")), "protected");
}

}  // namespace
