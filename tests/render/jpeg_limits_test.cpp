// What a picture may cost to decode: JPEGs with too many scans or too many pixels are no picture
// (the card shows the missing-picture square) whichever reader the file reaches.
#include <gtest/gtest.h>

#include <jpeglib.h>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/model/fragment.h"
#include "render/formats/jpeg_codec.h"
#include "render/painting/offscreen_document.h"
#include "render/pictures/picture.h"
#include "unit/model/fakes.h"

namespace fs = std::filesystem;

namespace {

// A progressive JPEG of `components` (1 grey, 3 colour) that sends every coefficient of every
// component on its own, one bit at a time (the deepest script libjpeg writes): 704 scans for each
// component. Beyond `maxScans` (at least the 11 DC scans of each component) the script is cut
// short and ends with one scan of the coefficients not sent yet. Arithmetic coding keeps the file
// small: no Huffman tables between the scans.
std::string ProgressiveJpeg(int width, int height, int components, int maxScans, int* scans) {
    constexpr int kTopBit = 10;  // the deepest successive approximation libjpeg writes
    std::vector<jpeg_scan_info> script;
    auto add = [&](int component, int ss, int se, int ah, int al) {
        jpeg_scan_info s{};
        s.comps_in_scan = 1;
        s.component_index[0] = component;
        s.Ss = ss;
        s.Se = se;
        s.Ah = ah;
        s.Al = al;
        script.push_back(s);
    };
    for (int c = 0; c < components; ++c) {
        add(c, 0, 0, 0, kTopBit);
        for (int bit = kTopBit; bit >= 1; --bit)
            add(c, 0, 0, bit, bit - 1);
    }
    for (int c = 0; c < components; ++c) {
        for (int k = 1; k <= 63; ++k) {
            add(c, k, k, 0, kTopBit);
            for (int bit = kTopBit; bit >= 1; --bit)
                add(c, k, k, bit, bit - 1);
        }
    }
    if (static_cast<int>(script.size()) > maxScans) {
        script.resize(static_cast<std::size_t>(maxScans - 1));
        const jpeg_scan_info last = script.back();
        if (last.Ss < 63) add(last.component_index[0], last.Ss + 1, 63, 0, 0);
    }
    *scans = static_cast<int>(script.size());

    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    cinfo.arith_code = TRUE;
    cinfo.scan_info = script.data();
    cinfo.num_scans = *scans;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width * components));
    while (cinfo.next_scanline < cinfo.image_height) {
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<JSAMPLE>((i * 7 + cinfo.next_scanline * 13) & 255);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

std::optional<QImage> Decode(const std::string& bytes, const qv::JpegLimits& limits = {}) {
    return qv::DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                          limits);
}

class JpegLimitsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qv-jpeg-limits-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    fs::path dir_;
};

TEST_F(JpegLimitsTest, ScansBeyondTheLimitAreRefusedAtAnyReader) {
    int scans = 0;
    const std::string atLimit = ProgressiveJpeg(16, 16, 1, qv::kMaxJpegScans, &scans);
    ASSERT_EQ(scans, qv::kMaxJpegScans);
    const std::optional<QImage> fine = Decode(atLimit);
    ASSERT_TRUE(fine);
    EXPECT_EQ(fine->size(), QSize(16, 16));

    // The scans' work counts too: here 500 passes over 16 x 16 grey pixels.
    EXPECT_TRUE(Decode(atLimit, qv::JpegLimits{.MaxScanPixels = 500 * 256}));
    EXPECT_FALSE(Decode(atLimit, qv::JpegLimits{.MaxScanPixels = 500 * 256 - 1}));

    const std::string many = ProgressiveJpeg(16, 16, 3, 1 << 20, &scans);
    ASSERT_EQ(scans, 3 * 704);
    EXPECT_FALSE(Decode(many));
    // The file itself is sound: only the limit refuses it.
    EXPECT_TRUE(Decode(many, qv::JpegLimits{.MaxScans = scans}));
    EXPECT_FALSE(Decode(many, qv::JpegLimits{.MaxScans = scans - 1}));

    // By extension through libjpeg, and by content through Qt's readers.
    EXPECT_FALSE(qv::LoadPictureFile(Write("many.jpg", many), nullptr));
    EXPECT_FALSE(qv::LoadPictureFile(Write("many.png", many), nullptr));
    EXPECT_FALSE(qv::LoadPictureFile(Write("many", many), nullptr));
    EXPECT_TRUE(qv::LoadPictureFile(Write("fine.png", atLimit), nullptr)) << "JPEG content";
}

TEST_F(JpegLimitsTest, PixelsBeyondTheBudgetAreRefusedFromTheHeader) {
    int scans = 0;
    const std::string small = ProgressiveJpeg(40, 30, 3, 40, &scans);
    EXPECT_TRUE(Decode(small, qv::JpegLimits{.MaxPixels = 1200}));
    EXPECT_FALSE(Decode(small, qv::JpegLimits{.MaxPixels = 1199}));

    // A frame header claiming 65000 x 65000 (4 billion pixels) costs nothing to refuse, as a
    // .jpg or under any other name.
    std::string huge = small;
    const std::size_t sof = huge.find("\xFF\xCA");  // progressive, arithmetic
    ASSERT_NE(sof, std::string::npos);
    huge[sof + 5] = huge[sof + 7] = '\xFD';
    huge[sof + 6] = huge[sof + 8] = '\xE8';
    EXPECT_FALSE(Decode(huge));
    EXPECT_FALSE(qv::LoadPictureFile(Write("huge.jpg", huge), nullptr));
    EXPECT_FALSE(qv::LoadPictureFile(Write("huge.gif", huge), nullptr));
}

TEST_F(JpegLimitsTest, ACardOfARefusedPictureShowsTheMissingSquare) {
    int scans = 0;
    const std::string path = Write("many.jpg", ProgressiveJpeg(16, 16, 1, 1 << 20, &scans));
    qv::EnvData env;
    qv::OffscreenDocument doc(env, nullptr, 300, 200);
    qv::Fragment* card = qv::test::AddCard(doc.Set(), "#", 1, 5, 5, 1, 1, qv::FragmentKind::Image);
    ASSERT_NE(card, nullptr);
    card->Link = path;
    card->LoadPicture();
    card->Measure();
    EXPECT_FALSE(card->Cache);
    EXPECT_EQ(card->Width(), qv::kMissingPictureSide);
    EXPECT_EQ(card->Height(), qv::kMissingPictureSide);
}

}  // namespace
