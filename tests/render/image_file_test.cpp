#include "render/image_file.h"

#include <gtest/gtest.h>

#include <QImageReader>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "render/jpeg_codec.h"
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

TEST(ImageFileTypeOf, AcceptsBmpJpgAndJpegInAnyCase) {
    using qv::ImageFileType;
    EXPECT_EQ(qv::ImageFileTypeOf("a/b.BMP"), ImageFileType::Bmp);
    EXPECT_EQ(qv::ImageFileTypeOf("b.bmp"), ImageFileType::Bmp);
    EXPECT_EQ(qv::ImageFileTypeOf("b.Jpg"), ImageFileType::Jpeg);
    EXPECT_EQ(qv::ImageFileTypeOf("b.jpeg"), ImageFileType::Jpeg);
    EXPECT_EQ(qv::ImageFileTypeOf("b.png"), ImageFileType::Unsupported);
    EXPECT_EQ(qv::ImageFileTypeOf("b"), ImageFileType::Unsupported);
    EXPECT_EQ(qv::ImageFileTypeOf("b.jpg/c"), ImageFileType::Unsupported);
}

TEST_F(ImageFileTest, JpegRoundTripAtFullQualityIsClose) {
    const QImage original = DocumentLike(96, 64);
    ASSERT_EQ(qv::SaveImageFile(original, Path("out.JPG"), 100), qv::ImageSaveStatus::Saved);
    const std::string bytes = ReadBytes(Path("out.JPG"));
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
    // Other readers take the file too.
    EXPECT_EQ(QImageReader(QString::fromStdString(Path("out.JPG"))).read().size(), original.size());
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
    QImage original = DocumentLike(13, 7);  // odd width: rows need padding
    original.setPixel(0, 0, qRgb(1, 2, 3));
    ASSERT_EQ(qv::SaveImageFile(original, Path("out.bmp"), 100), qv::ImageSaveStatus::Saved);
    const std::string bytes = ReadBytes(Path("out.bmp"));
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);  // bits per pixel
    QImage back(QString::fromStdString(Path("out.bmp")), "bmp");
    ASSERT_EQ(back.size(), original.size());
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(back.pixel(x, y), original.pixel(x, y)) << x << "," << y;
}

TEST_F(ImageFileTest, OtherExtensionsAndEmptyImagesWriteNothing) {
    std::string error;
    EXPECT_EQ(qv::SaveImageFile(DocumentLike(4, 4), Path("out.png"), 100, &error),
              qv::ImageSaveStatus::UnsupportedType);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(qv::SaveImageFile(QImage(), Path("out.bmp"), 100), qv::ImageSaveStatus::EmptyImage);
    EXPECT_EQ(FileCount(), 0);
}

TEST_F(ImageFileTest, FailedWritesReportAndKeepTheOldFile) {
    const QImage image = DocumentLike(200, 150);
    std::string error;
    // Folders that cannot exist: missing, or a file standing where the folder should be.
    EXPECT_EQ(qv::SaveImageFile(image, Path("missing/out.jpg"), 90, &error),
              qv::ImageSaveStatus::WriteFailed);
    EXPECT_FALSE(error.empty());
    std::ofstream(Path("plain")) << "x";
    EXPECT_EQ(qv::SaveImageFile(image, Path("plain/out.bmp"), 90),
              qv::ImageSaveStatus::WriteFailed);

    // A full disk: the old file survives and no temporary file is left behind.
    std::ofstream(Path("old.bmp")) << "previous content";
    const qv::ImageSaveStatus status = qv::test::WithFileSizeLimit(
        4096, [&] { return qv::SaveImageFile(image, Path("old.bmp"), 90, &error); });
    EXPECT_EQ(status, qv::ImageSaveStatus::WriteFailed);
    EXPECT_EQ(ReadBytes(Path("old.bmp")), "previous content");
    EXPECT_EQ(FileCount(), 2);  // "plain" and "old.bmp"

    // Without the limit the same call replaces it.
    EXPECT_EQ(qv::SaveImageFile(image, Path("old.bmp"), 90), qv::ImageSaveStatus::Saved);
    EXPECT_EQ(QImage(QString::fromStdString(Path("old.bmp"))).size(), image.size());

    // A write-protected image is left alone, even by root.
    std::ofstream(Path("locked.jpg")) << "protected";
    fs::permissions(Path("locked.jpg"), fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(qv::SaveImageFile(image, Path("locked.jpg"), 90), qv::ImageSaveStatus::WriteFailed);
    EXPECT_EQ(ReadBytes(Path("locked.jpg")), "protected");
}

}  // namespace
