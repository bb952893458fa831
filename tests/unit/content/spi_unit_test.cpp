#include "core/content/spi_unit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A fresh folder per test, removed afterwards.
class SpiUnitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qv_spi_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Copies one of the built test plug-ins into the folder under `name`.
    void AddPlugin(const std::string& variant, const std::string& name) {
        fs::copy_file(fs::path(QV_TEST_PLUGIN_DIR) / (variant + ".spi"), dir_ / name);
    }
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        return (dir_ / name).string();
    }
    // A binary PPM whose pixel i has the colour (r, g, b) = (i * 40, 255 - i * 40, 7 * i).
    std::string WritePpm(const std::string& name, int w, int h) {
        std::string data = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
        for (int i = 0; i < w * h; ++i) {
            data += static_cast<char>(i * 40);
            data += static_cast<char>(255 - i * 40);
            data += static_cast<char>(7 * i);
        }
        return WriteFile(name, data);
    }
    static std::uint32_t Expected(int i, bool inverted) {
        std::uint32_t r = static_cast<std::uint8_t>(i * 40),
                      g = static_cast<std::uint8_t>(255 - i * 40),
                      b = static_cast<std::uint8_t>(7 * i);
        if (inverted) r = 255 - r, g = 255 - g, b = 255 - b;
        return 0xFF000000u | (r << 16) | (g << 8) | b;
    }
    static std::vector<std::string> Names(const qv::SpiUnit& unit) {
        std::vector<std::string> names;
        for (const auto& p : unit.Plugins())
            names.push_back(p.FileName);
        return names;
    }

    fs::path dir_;
};

TEST_F(SpiUnitTest, EmptyOrMissingFolderGivesNoPlugins) {
    std::string ppm = WritePpm("a.ppm", 2, 2);
    qv::SpiUnit none("");
    EXPECT_EQ(none.Count(), 0);
    EXPECT_EQ(none.Folder(), "");
    EXPECT_FALSE(none.LoadPictureFile(ppm));

    qv::SpiUnit missing((dir_ / "no-such-folder").string());
    EXPECT_EQ(missing.Count(), 0);
}

TEST_F(SpiUnitTest, KeepsOnlyCompleteImportFiltersInNameOrder) {
    AddPlugin("ppm", "b_ppm.SPI");
    AddPlugin("ppm_alt", "A_alt.spi");
    AddPlugin("ppm_export", "c_export.spi");
    AddPlugin("ppm_incomplete", "d_incomplete.spi");
    AddPlugin("ppm", "e_notaplugin.txt");
    WriteFile("f_broken.spi", "this is not a shared library");
    fs::create_directory(dir_ / "g_folder.spi");

    qv::SpiUnit unit(dir_.string());
    EXPECT_EQ(Names(unit), (std::vector<std::string>{"A_alt.spi", "b_ppm.SPI"}));
    ASSERT_EQ(unit.Count(), 2);
    EXPECT_EQ(unit.At(0).Pattern, "");
    EXPECT_EQ(unit.At(0).Description, "Inverted PPM");
    EXPECT_EQ(unit.At(1).Pattern, "*.ppm");
    EXPECT_EQ(unit.At(1).Description, "Portable pixmap");
    EXPECT_EQ(unit.ListLines(), (std::vector<std::string>{"A_alt.spi        Inverted PPM",
                                                          "b_ppm.SPI        Portable pixmap"}));

    // With or without the trailing separator the same plug-ins are found.
    qv::SpiUnit slashed(dir_.string() + "/");
    EXPECT_EQ(slashed.Folder(), dir_.string() + "/");
    EXPECT_EQ(Names(slashed), Names(unit));
}

TEST_F(SpiUnitTest, DecodesWithTheFirstPluginThatAccepts) {
    AddPlugin("ppm", "b.spi");
    std::string even = WritePpm("even.ppm", 2, 3);
    std::string odd = WritePpm("odd.pnm", 3, 2);
    {
        qv::SpiUnit unit(dir_.string());
        auto pic = unit.LoadPictureFile(even);
        ASSERT_TRUE(pic);
        ASSERT_EQ(pic->Width, 2);
        ASSERT_EQ(pic->Height, 3);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(pic->Pixels[i], Expected(i, false)) << i;
    }
    AddPlugin("ppm_alt", "a.spi");
    qv::SpiUnit unit(dir_.string());
    // The earlier plug-in (inverting, top-down 32-bit) takes even widths.
    auto first = unit.LoadPictureFile(even);
    ASSERT_TRUE(first);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(first->Pixels[i], Expected(i, true)) << i;
    // It reads the descriptor and refuses odd widths; the next plug-in must still see the header.
    auto second = unit.LoadPictureFile(odd);
    ASSERT_TRUE(second);
    ASSERT_EQ(second->Width, 3);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(second->Pixels[i], Expected(i, false)) << i;
}

TEST_F(SpiUnitTest, PicturesReportedOverThePixelBudgetAreNotDecoded) {
    // The same reader, but its size report says 200000 x 300000 pixels: never asked to decode.
    AddPlugin("ppm_huge_info", "huge.spi");
    const std::string ppm = WritePpm("small.ppm", 2, 3);
    EXPECT_FALSE(qv::SpiUnit(dir_.string()).LoadPictureFile(ppm));
    fs::remove(dir_ / "huge.spi");
    AddPlugin("ppm", "plain.spi");
    EXPECT_TRUE(qv::SpiUnit(dir_.string()).LoadPictureFile(ppm));
}

TEST_F(SpiUnitTest, FilesNoPluginCanReadGiveNothing) {
    AddPlugin("ppm", "ppm.spi");
    qv::SpiUnit unit(dir_.string());
    EXPECT_FALSE(unit.LoadPictureFile((dir_ / "missing.ppm").string()));
    EXPECT_FALSE(unit.LoadPictureFile(WriteFile("text.ppm", "hello")));
    EXPECT_FALSE(unit.LoadPictureFile(WriteFile("empty.ppm", "")));
    // Accepted by the header test, but the samples are missing: the plug-in fails.
    EXPECT_FALSE(unit.LoadPictureFile(WriteFile("short.ppm", "P6 4 4 255\nabc")));
    EXPECT_FALSE(unit.LoadPictureFile(dir_.string()));

    // A path a plug-in could not hold in its 260-byte buffer is refused, not handed over.
    fs::path deep = dir_;
    while (deep.string().size() < 300)
        deep /= "sub";
    fs::create_directories(deep);
    std::string longPath = (deep / "long.ppm").string();
    fs::copy_file(WritePpm("ok.ppm", 1, 1), longPath);
    EXPECT_TRUE(unit.LoadPictureFile((dir_ / "ok.ppm").string()));
    EXPECT_FALSE(unit.LoadPictureFile(longPath));
}

TEST(PatternExtension, TakesTheFirstPatternFromItsDot) {
    EXPECT_EQ(qv::PatternExtension("*.pic"), ".PIC");
    EXPECT_EQ(qv::PatternExtension(".mag"), ".MAG");
    EXPECT_EQ(qv::PatternExtension("*.pi2;*.pic"), ".PI2");
    EXPECT_EQ(qv::PatternExtension("*"), "*");
    EXPECT_EQ(qv::PatternExtension(""), "");
}

// Builds an info block (40-byte header, optional masks, colour table) for DibToPicture.
std::vector<std::uint8_t> Header(int w, int h, int bits, std::uint32_t compression = 0,
                                 std::uint32_t colorsUsed = 0) {
    std::vector<std::uint8_t> b(40, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, static_cast<std::uint32_t>(w));
    put32(8, static_cast<std::uint32_t>(h));
    b[12] = 1;
    b[14] = static_cast<std::uint8_t>(bits);
    put32(16, compression);
    put32(32, colorsUsed);
    return b;
}
void Append32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::optional<qv::SpiPicture> Convert(const std::vector<std::uint8_t>& info,
                                      const std::vector<std::uint8_t>& bits) {
    return qv::DibToPicture(info.data(), info.size(), bits.data(), bits.size());
}

TEST(DibToPicture, ReadsPaletteDepthsBottomUp) {
    // 1 bit: a two-colour table, 9 pixels wide so a row spills into a second byte.
    auto info = Header(9, 2, 1);
    Append32(info, 0x00FF0000);  // index 0: red (0x00RRGGBB, stored blue first)
    Append32(info, 0x0000FF00);  // index 1: green
    std::vector<std::uint8_t> bits = {0b10000000, 0b10000000, 0, 0,   // bottom row
                                      0b01000000, 0,          0, 0};  // top row
    auto pic = Convert(info, bits);
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->Pixels[0], 0xFFFF0000u);
    EXPECT_EQ(pic->Pixels[1], 0xFF00FF00u);
    EXPECT_EQ(pic->Pixels[9], 0xFF00FF00u);
    EXPECT_EQ(pic->Pixels[9 + 8], 0xFF00FF00u);
    EXPECT_EQ(pic->Pixels[9 + 1], 0xFFFF0000u);

    // 4 bits with a table of one colour: indexes past the table are black.
    info = Header(2, 1, 4, 0, 1);
    Append32(info, 0x00123456);
    pic = Convert(info, {0x01, 0, 0, 0});
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->Pixels[0], 0xFF123456u);
    EXPECT_EQ(pic->Pixels[1], 0xFF000000u);

    // 8 bits, colours used = 0 means a full table, which must be there.
    info = Header(1, 1, 8);
    EXPECT_FALSE(Convert(info, {0, 0, 0, 0}));
    info.resize(40 + 256 * 4, 0x40);
    pic = Convert(info, {200, 0, 0, 0});
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->Pixels[0], 0xFF404040u);
}

TEST(DibToPicture, ReadsDirectColourDepthsAndTopDownRows) {
    // 16 bits, 5-5-5 by default: full red, full blue.
    auto pic = Convert(Header(2, 1, 16), {0x00, 0x7C, 0x1F, 0x00});
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->Pixels[0], 0xFFFF0000u);
    EXPECT_EQ(pic->Pixels[1], 0xFF0000FFu);

    // 16 bits with 5-6-5 masks after the header: pure green uses the sixth bit.
    auto info = Header(1, 1, 16, 3);
    Append32(info, 0xF800);
    Append32(info, 0x07E0);
    Append32(info, 0x001F);
    pic = Convert(info, {0xE0, 0x07, 0, 0});
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->Pixels[0], 0xFF00FF00u);

    // 32 bits, negative height: the first row in memory is the top row; alpha is ignored.
    info = Header(1, -2, 32);
    pic = Convert(info, {0x01, 0x02, 0x03, 0x00, 0x0A, 0x0B, 0x0C, 0x80});
    ASSERT_TRUE(pic);
    ASSERT_EQ(pic->Height, 2);
    EXPECT_EQ(pic->Pixels[0], 0xFF030201u);
    EXPECT_EQ(pic->Pixels[1], 0xFF0C0B0Au);

    // 24 bits bottom-up with padded rows.
    pic = Convert(Header(1, 2, 24), {1, 2, 3, 0, 4, 5, 6, 0});
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->Pixels[0], 0xFF060504u);
    EXPECT_EQ(pic->Pixels[1], 0xFF030201u);
}

TEST(DibToPicture, RefusesWhatItCannotReadSafely) {
    const std::vector<std::uint8_t> bits(64, 0);
    EXPECT_FALSE(Convert(Header(0, 1, 24), bits));
    EXPECT_FALSE(Convert(Header(1, 0, 24), bits));
    EXPECT_FALSE(Convert(Header(-1, 1, 24), bits));
    EXPECT_FALSE(Convert(Header(1, 1, 2), bits));
    EXPECT_FALSE(Convert(Header(1, 1, 8, 1), bits));   // run-length compression
    EXPECT_FALSE(Convert(Header(1, 1, 24, 3), bits));  // masks only for 16 and 32 bits
    EXPECT_FALSE(Convert(Header(1, 1, 16, 3), bits));  // masks announced but missing
    EXPECT_TRUE(Convert(Header(5, 4, 24), bits));      // 4 rows of 16 bytes fit exactly
    EXPECT_FALSE(Convert(Header(6, 4, 24), bits));     // 4 rows of 20 bytes do not fit
    EXPECT_FALSE(Convert(Header(20000, 20000, 1), std::vector<std::uint8_t>(8, 0)));

    auto info = Header(1, 1, 24);
    info[0] = 60;  // header longer than the block
    EXPECT_FALSE(Convert(info, bits));
    EXPECT_FALSE(qv::DibToPicture(nullptr, 0, bits.data(), bits.size()));
}

}  // namespace
