#include "render/pictures/picture.h"
#include "render/pictures/picture_cache.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <jpeglib.h>
#include <QBuffer>
#include <QImageWriter>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/content/spi_unit.h"
#include "core/fs/read_file.h"
#include "render/formats/jpeg_codec.h"
#include "render/pictures/picture_loader.h"
#include "render/text/qt_text.h"

namespace fs = std::filesystem;

namespace {

// Four 4 x 3 blocks of distinct colours, so lossy formats can be checked at the block centres.
QImage Quadrants() {
    QImage image(8, 6, QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y,
                           x < 4 ? (y < 3 ? qRgb(220, 30, 30) : qRgb(30, 200, 40))
                                 : (y < 3 ? qRgb(20, 40, 210) : qRgb(250, 250, 250)));
    return image;
}

// A picture with a different colour in every pixel, for the lossless formats.
QImage Distinct(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 20, y * 30, (x + y) * 10));
    return image;
}

void ExpectNear(QRgb got, QRgb want, int tolerance, const char* what) {
    EXPECT_LE(std::abs(qRed(got) - qRed(want)), tolerance) << what;
    EXPECT_LE(std::abs(qGreen(got) - qGreen(want)), tolerance) << what;
    EXPECT_LE(std::abs(qBlue(got) - qBlue(want)), tolerance) << what;
}

void ExpectSamePixels(const QImage& got, const QImage& want) {
    ASSERT_EQ(got.size(), want.size());
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            ASSERT_EQ(qUnpremultiply(got.pixel(x, y)), want.pixel(x, y)) << x << "," << y;
}

class PictureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qv_pic_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Save(const QImage& image, const std::string& name, const char* format,
                     int quality = -1) {
        QImageWriter writer(QString::fromStdString(Path(name)), format);
        writer.setQuality(quality);
        EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
        return Path(name);
    }
    std::string WriteBytes(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        return Path(name);
    }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir_;
};

TEST(PictureFormatOf, ChoosesByExtensionInAnyCase) {
    using qv::PictureFormat;
    EXPECT_EQ(qv::PictureFormatOf("/a/b.bmp"), PictureFormat::Bmp);
    EXPECT_EQ(qv::PictureFormatOf("b.JpG"), PictureFormat::Jpeg);
    EXPECT_EQ(qv::PictureFormatOf("b.jpe"), PictureFormat::Jpeg);
    EXPECT_EQ(qv::PictureFormatOf("b.JPEG"), PictureFormat::Jpeg);
    EXPECT_EQ(qv::PictureFormatOf("b.Ico"), PictureFormat::Icon);
    EXPECT_EQ(qv::PictureFormatOf("b.png"), PictureFormat::Other);
    EXPECT_EQ(qv::PictureFormatOf("/x.bmp/picture"), PictureFormat::Other);
    EXPECT_EQ(qv::PictureFormatOf("bmp"), PictureFormat::Other);
}

TEST_F(PictureTest, ReadsBmpAndPngExactly) {
    const QImage distinct = Distinct(7, 5);
    auto bmp = qv::LoadPictureFile(Save(distinct, "p.BMP", "bmp"), nullptr);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->format(), QImage::Format_RGB32);
    ExpectSamePixels(*bmp, distinct);

    // A PNG with transparency keeps it; no plug-in is needed for the formats Qt reads.
    QImage alpha(3, 2, QImage::Format_ARGB32);
    alpha.fill(qRgba(10, 20, 30, 255));
    alpha.setPixel(1, 1, qRgba(0, 0, 0, 0));
    auto png = qv::LoadPictureFile(Save(alpha, "p.png", "png"), nullptr);
    ASSERT_TRUE(png);
    EXPECT_EQ(png->format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(png->pixel(0, 0), qRgba(10, 20, 30, 255));
    EXPECT_EQ(qAlpha(png->pixel(1, 1)), 0);

    // Content decides for an unknown extension, and a code page 932 file name reaches the system.
    fs::copy_file(Path("p.png"), Path("noext"));
    EXPECT_TRUE(qv::LoadPictureFile(Path("noext"), nullptr));
    fs::copy_file(Path("p.BMP"), Path("\xE7\xB5\xB5.bmp"));  // 絵.bmp in UTF-8
    auto named = qv::LoadPictureFile(Path("") + qv::ToCp932(QString::fromUtf8("絵.bmp")), nullptr);
    ASSERT_TRUE(named);
    EXPECT_EQ(named->size(), QSize(7, 5));
}

TEST_F(PictureTest, DecodesJpegInColourGreyAndCmyk) {
    const QImage quads = Quadrants();
    auto jpeg = qv::LoadPictureFile(Save(quads, "q.jpg", "jpeg", 100), nullptr);
    ASSERT_TRUE(jpeg);
    ASSERT_EQ(jpeg->size(), quads.size());
    EXPECT_EQ(jpeg->format(), QImage::Format_RGB32);
    for (QPoint p : {QPoint(1, 1), QPoint(6, 1), QPoint(1, 4), QPoint(6, 4)})
        ExpectNear(jpeg->pixel(p), quads.pixel(p), 40, "block colour");
    EXPECT_EQ(qAlpha(jpeg->pixel(0, 0)), 255);

    QImage grey(16, 16, QImage::Format_Grayscale8);
    grey.fill(90);
    auto greyJpeg = qv::LoadPictureFile(Save(grey, "g.JPEG", "jpeg", 100), nullptr);
    ASSERT_TRUE(greyJpeg);
    ExpectNear(greyJpeg->pixel(8, 8), qRgb(90, 90, 90), 2, "grey");

    // CMYK as photo software writes it: Adobe marker, inverted inks. (0, 255, 255, 255) is cyan.
    std::FILE* f = std::fopen(Path("c.jpe").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = 8;
    cinfo.image_height = 8;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(8 * 4);
    for (int x = 0; x < 8; ++x) {
        row[4 * x] = 0;
        row[4 * x + 1] = row[4 * x + 2] = row[4 * x + 3] = 255;
    }
    while (cinfo.next_scanline < 8) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
    auto cmyk = qv::LoadPictureFile(Path("c.jpe"), nullptr);
    ASSERT_TRUE(cmyk);
    ExpectNear(cmyk->pixel(4, 4), qRgb(0, 255, 255), 3, "cyan");
}

TEST_F(PictureTest, UnreadableFilesAreNoPicture) {
    // A noisy picture so that cutting the file loses real scan data.
    QImage noisy(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            noisy.setPixel(x, y, qRgb((x * 37 + y * 11) & 255, (x * y) & 255, (x ^ y) * 4 & 255));
    const std::string good = ReadBytes(Save(noisy, "good.jpg", "jpeg", 95));
    ASSERT_GT(good.size(), 1000u);

    EXPECT_FALSE(qv::LoadPictureFile(WriteBytes("empty.jpg", ""), nullptr));
    EXPECT_FALSE(qv::LoadPictureFile(WriteBytes("text.jpg", "not a picture at all"), nullptr));
    EXPECT_FALSE(
        qv::LoadPictureFile(WriteBytes("cut.jpg", good.substr(0, good.size() * 6 / 10)), nullptr));
    EXPECT_FALSE(qv::LoadPictureFile(WriteBytes("empty.bmp", ""), nullptr));
    EXPECT_FALSE(qv::LoadPictureFile(WriteBytes("empty.ico", ""), nullptr));
    EXPECT_FALSE(qv::LoadPictureFile(WriteBytes("empty.png", ""), nullptr));
    EXPECT_FALSE(qv::LoadPictureFile(WriteBytes("text.png", "plain text"), nullptr));
    EXPECT_FALSE(qv::LoadPictureFile(Path("missing.bmp"), nullptr));
    EXPECT_FALSE(qv::LoadPictureFile("", nullptr));
    fs::create_directory(dir_ / "folder.jpg");
    EXPECT_FALSE(qv::LoadPictureFile(Path("folder.jpg"), nullptr));

    // A JPEG whose frame header claims 60000 x 60000 is refused before anything is allocated.
    std::string huge = good;
    std::size_t sof = huge.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    huge[sof + 5] = huge[sof + 7] = '\xEA';
    huge[sof + 6] = huge[sof + 8] = '\x60';
    EXPECT_FALSE(qv::LoadPictureFile(WriteBytes("huge.jpg", huge), nullptr));
    EXPECT_FALSE(qv::DecodeJpeg(reinterpret_cast<const std::uint8_t*>(huge.data()), huge.size()));
    EXPECT_TRUE(qv::DecodeJpeg(reinterpret_cast<const std::uint8_t*>(good.data()), good.size()));

    // The same for a bitmap whose header claims 30000 x 30000 at 32 bits.
    std::string bmp = ReadBytes(Save(Distinct(2, 2), "small.bmp", "bmp"));
    bmp[18] = bmp[22] = '\x30';
    bmp[19] = bmp[23] = '\x75';
    EXPECT_FALSE(qv::LoadPictureFile(WriteBytes("huge.bmp", bmp), nullptr));
}

// An icon file of 32-bit entries of the given sizes and colours.
std::string IconFile(const std::vector<std::pair<int, QRgb>>& entries) {
    std::string out;
    auto put16 = [&](int v) {
        out += static_cast<char>(v & 255), out += static_cast<char>(v >> 8);
    };
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((v >> (8 * i)) & 255);
    };
    std::vector<std::string> images;
    for (auto [size, colour] : entries) {
        std::string dib;
        auto d32 = [&](std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                dib += static_cast<char>((v >> (8 * i)) & 255);
        };
        d32(40), d32(size), d32(size * 2), d32(1u | (32u << 16)), d32(0), d32(0), d32(0), d32(0),
            d32(0), d32(0);
        for (int i = 0; i < size * size; ++i)
            d32(colour);
        dib.append(static_cast<std::size_t>(size * 4), '\0');  // AND mask: rows of 4 bytes, opaque
        images.push_back(dib);
    }
    put16(0), put16(1), put16(static_cast<int>(entries.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out += static_cast<char>(entries[i].first), out += static_cast<char>(entries[i].first);
        out += '\0', out += '\0';
        put16(1), put16(32), put32(static_cast<std::uint32_t>(images[i].size())), put32(offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images)
        out += image;
    return out;
}

TEST_F(PictureTest, IconFileGivesItsFirstIcon) {
    auto icon = qv::LoadPictureFile(
        WriteBytes("two.ICO", IconFile({{16, 0xFFFF0000u}, {32, 0xFF0000FFu}})), nullptr);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->size(), QSize(16, 16));
    EXPECT_EQ(icon->pixel(5, 5), qRgb(255, 0, 0));
}

TEST_F(PictureTest, OtherFormatsGoToThePluginsFirstThenToQt) {
    fs::create_directory(dir_ / "spi");
    fs::copy_file(fs::path(QV_TEST_PLUGIN_DIR) / "ppm_alt.spi", dir_ / "spi" / "alt.spi");
    qv::SpiUnit plugins((dir_ / "spi").string());
    ASSERT_EQ(plugins.Count(), 1);

    // The plug-in inverts colours, so an inverted result proves it decoded the file.
    const std::string even =
        WriteBytes("even.ppm", std::string("P6 2 1 255\n") + "\x10\x20\x30" + "\xF0\xE0\xD0");
    auto viaPlugin = qv::LoadPictureFile(even, &plugins);
    ASSERT_TRUE(viaPlugin);
    EXPECT_EQ(viaPlugin->format(), QImage::Format_RGB32);
    EXPECT_EQ(viaPlugin->pixel(0, 0), qRgb(0xEF, 0xDF, 0xCF));
    EXPECT_EQ(viaPlugin->pixel(1, 0), qRgb(0x0F, 0x1F, 0x2F));

    // It refuses odd widths: Qt's own reader takes over and gives the true colours.
    const std::string odd = WriteBytes("odd.ppm", std::string("P6 1 1 255\n") + "\x10\x20\x30");
    auto viaQt = qv::LoadPictureFile(odd, &plugins);
    ASSERT_TRUE(viaQt);
    EXPECT_EQ(viaQt->pixel(0, 0), qRgb(0x10, 0x20, 0x30));
    // Built-in formats never reach the plug-ins.
    fs::copy_file(even, Path("even.bmp"));
    EXPECT_FALSE(qv::LoadPictureFile(Path("even.bmp"), &plugins));
}

TEST_F(PictureTest, TheModelsLoaderGivesScaledPictures) {
    qv::FilePictureLoader loader;
    qv::PictureLoader& port = loader;
    auto picture = port.Load(Save(Distinct(10, 6), "p.bmp", "bmp"), 1, 2);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width, 5);
    EXPECT_EQ(picture->Height, 3);
    const QImage* image = qv::PictureImage(*picture);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->size(), QSize(5, 3));
    EXPECT_FALSE(port.Load(Path("missing.bmp"), 1, 1));
}

TEST(ScalePicture, AppliesTheCardRatio) {
    EXPECT_EQ(qv::ScaledPictureSize(QSize(10, 7), 1, 2), QSize(5, 3));
    EXPECT_EQ(qv::ScaledPictureSize(QSize(10, 7), 2, 1), QSize(20, 14));
    EXPECT_EQ(qv::ScaledPictureSize(QSize(10, 7), 3, 3), QSize(10, 7));
    EXPECT_EQ(qv::ScaledPictureSize(QSize(10, 7), 2, 3), QSize(6, 4));  // truncated
    EXPECT_EQ(qv::ScaledPictureSize(QSize(10, 7), 1, 20), QSize(1, 1));
    EXPECT_EQ(qv::ScaledPictureSize(QSize(10, 7), 0, 2), QSize(10, 7));
    EXPECT_EQ(qv::ScaledPictureSize(QSize(10, 7), 1, 0), QSize(10, 7));
    EXPECT_EQ(qv::ScaledPictureSize(QSize(10, 7000), 10, 1), QSize(100, 32767));
    // Too large after scaling: shrunk to the limit, proportions kept.
    const QSize big = qv::ScaledPictureSize(QSize(4000, 2000), 8, 1);
    EXPECT_LE(static_cast<std::int64_t>(big.width()) * big.height(), qv::kMaxPicturePixels);
    EXPECT_NEAR(static_cast<double>(big.width()) / big.height(), 2.0, 0.001);
    EXPECT_GT(static_cast<std::int64_t>(big.width()) * big.height(),
              qv::kMaxPicturePixels * 99 / 100);

    const QImage half = qv::ScalePicture(Quadrants(), 1, 2);
    EXPECT_EQ(half.size(), QSize(4, 3));
    ExpectNear(half.pixel(0, 0), qRgb(220, 30, 30), 10, "scaled block");
    const QImage same = qv::ScalePicture(Quadrants(), 4, 4);
    EXPECT_EQ(same, Quadrants());
}

TEST_F(PictureTest, CardsLinkingOneFileShareOneDecodedPicture) {
    qv::PictureCache cache;
    const std::string path = Save(Distinct(40, 30), "shared.bmp", "bmp");
    {
        qv::FilePictureLoader loader(nullptr, &cache);
        std::vector<qv::Picture> cards;
        for (int i = 0; i < 20; ++i) {
            auto picture = loader.Load(path, 1, 1);
            ASSERT_TRUE(picture);
            cards.push_back(*picture);
        }
        EXPECT_EQ(cache.DecodeCount(), 1);
        EXPECT_EQ(cache.BytesInUse(), 40 * 30 * 4);
        // Other ratios are scaled from the picture a card already holds, not decoded again.
        auto half = loader.Load(path, 1, 2);
        auto halfAgain = loader.Load(path, 2, 4);
        ASSERT_TRUE(half && halfAgain);
        EXPECT_EQ(qv::PictureImage(*half)->size(), QSize(20, 15));
        EXPECT_EQ(cache.DecodeCount(), 1);
        EXPECT_EQ(cache.BytesInUse(), 40 * 30 * 4 + 20 * 15 * 4);
        // A view drawing sharply asks for the file's own size and gets the shared one.
        EXPECT_EQ(cache.FullSize(*qv::PictureSource(*half), nullptr)->Image.cacheKey(),
                  qv::PictureImage(cards[0])->cacheKey());
    }
    // Nobody holds it any more: the memory is given back.
    EXPECT_EQ(cache.BytesInUse(), 0);

    // A changed file is read again.
    qv::FilePictureLoader loader(nullptr, &cache);
    auto before = loader.Load(path, 1, 1);
    Save(Distinct(41, 30), "shared.bmp", "bmp");
    auto after = loader.Load(path, 1, 1);
    ASSERT_TRUE(before && after);
    EXPECT_EQ(after->Width, 41);
    EXPECT_EQ(cache.DecodeCount(), 3);
}

TEST_F(PictureTest, PicturesBeyondTheBudgetAreMissingAsTooLarge) {
    qv::PictureCache cache(100 * 100 * 4 + 10);
    qv::FilePictureLoader loader(nullptr, &cache);
    const std::string first = Save(Distinct(100, 100), "first.jpg", "jpeg");
    const std::string second = Save(Distinct(60, 60), "second.bmp", "bmp");
    auto kept = loader.Load(first, 1, 1);
    ASSERT_TRUE(kept);
    EXPECT_FALSE(loader.Load(second, 1, 1));
    EXPECT_EQ(loader.StatusOf(second), qv::PictureStatus::TooLarge);
    EXPECT_STREQ(qv::PictureStatusText(loader.StatusOf(second)), "picture too large");
    EXPECT_EQ(cache.DecodeCount(), 1);  // refused by its announced size, before decoding
    EXPECT_LE(cache.BytesInUse(), cache.Budget());
    // A scaled copy small enough fits beside it once the decoded original is let go... but the
    // original itself must fit to be decoded at all.
    EXPECT_FALSE(loader.Load(second, 1, 4));
    // With the first picture released there is room again.
    kept.reset();
    EXPECT_TRUE(loader.Load(second, 1, 1));
    EXPECT_EQ(loader.StatusOf(second), qv::PictureStatus::Loaded);
    EXPECT_EQ(loader.StatusOf(Path("missing.bmp")), qv::PictureStatus::Loaded);
    EXPECT_FALSE(loader.Load(Path("missing.bmp"), 1, 1));
    EXPECT_EQ(loader.StatusOf(Path("missing.bmp")), qv::PictureStatus::Missing);
}

}  // namespace

namespace {

TEST_F(PictureTest, WhatIsNoPictureFileSaysWhatItIs) {
    qv::PictureCache cache;
    qv::FilePictureLoader loader(nullptr, &cache);
    ASSERT_EQ(::mkfifo(Path("pipe.png").c_str(), 0600), 0);
    fs::create_directory(dir_ / "folder.bmp");
    fs::create_symlink("loop-b.jpg", dir_ / "loop-a.jpg");
    fs::create_symlink("loop-a.jpg", dir_ / "loop-b.jpg");
    const struct {
        const char* Name;
        const char* Says;
    } cases[] = {{"pipe.png", "FIFO"}, {"folder.bmp", "folder"}, {"loop-a.jpg", "loop"}};
    for (const auto& c : cases) {
        EXPECT_FALSE(loader.Load(Path(c.Name), 1, 1)) << c.Name;
        EXPECT_EQ(loader.StatusOf(Path(c.Name)), qv::PictureStatus::Unreadable)
            << c.Name << " is there, just no picture file";
        EXPECT_NE(loader.WhyOf(Path(c.Name)).find(c.Says), std::string::npos)
            << c.Name << ": " << loader.WhyOf(Path(c.Name));
    }
    EXPECT_FALSE(loader.Load(Path("missing.png"), 1, 1));
    EXPECT_EQ(loader.StatusOf(Path("missing.png")), qv::PictureStatus::Missing);
}

// The picture is decoded from the file that was examined, even when a FIFO takes its name
// meanwhile; reading the FIFO by name would wait for a writer for ever.
TEST_F(PictureTest, AFifoSwappedInAfterTheCheckIsNeverRead) {
    for (const char* name : {"swap.png", "swap.jpg", "swap.bmp", "swap.ico"}) {
        const std::string path = Path(name);
        const std::string format = fs::path(name).extension().string().substr(1);
        if (format == "ico") {
            WriteBytes(name, IconFile({{16, 0xff2040ff}}));
        } else {
            Save(Quadrants(), name, format == "jpg" ? "jpeg" : format.c_str(), 95);
        }
        qv::FileProblem problem = qv::FileProblem::None;
        std::string why;
        const int fd = qv::OpenRegularDescriptor(path, problem, why);
        ASSERT_GE(fd, 0) << why;
        fs::remove(path);
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::alarm(20);  // a hang ends the check as a failure, not the test run
            ::_exit(qv::LoadPictureDescriptor(fd, path, nullptr) ? 0 : 1);
        }
        ::close(fd);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name << " " << status;
    }
}

}  // namespace
