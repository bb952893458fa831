// The streamed PNG encoder: the file decodes to the rows given, and every row after the first is
// stored with the Up filter (pages repeat row after row; choosing per row costs time).
#include <gtest/gtest.h>
#include <zlib.h>

#include <QImage>
#include <cstdint>
#include <string>

#include "render/formats/png_stream.h"

namespace {

std::uint32_t BigEndian32(const std::string& s, std::size_t at) {
    return (std::uint32_t{static_cast<unsigned char>(s[at])} << 24) |
           (std::uint32_t{static_cast<unsigned char>(s[at + 1])} << 16) |
           (std::uint32_t{static_cast<unsigned char>(s[at + 2])} << 8) |
           std::uint32_t{static_cast<unsigned char>(s[at + 3])};
}

// The filtered rows of a PNG: the inflated contents of its IDAT chunks.
std::string FilteredRows(const std::string& png) {
    std::string idat;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = BigEndian32(png, at);
        if (png.compare(at + 4, 4, "IDAT") == 0) idat.append(png, at + 8, length);
        at += 12 + length;
    }
    std::string out(1 << 20, '\0');
    uLongf size = static_cast<uLongf>(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                   reinterpret_cast<const Bytef*>(idat.data()),
                   static_cast<uLong>(idat.size())) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

TEST(PngStream, RowsComeBackExactlyAndAreStoredWithTheUpFilter) {
    const int w = 61, h = 47;
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 7 + y) & 255, (x * y) & 255, (y * 13) & 255));
    std::string bytes;
    qv::PngStreamEncoder encoder;
    ASSERT_TRUE(encoder.Start(w, h, [&](const char* data, std::size_t size) {
        bytes.append(data, size);
        return true;
    }));
    // Handed over in bands of uneven heights, as the banded renderer does.
    ASSERT_TRUE(encoder.WriteRows(image.copy(0, 0, w, 20), 20));
    ASSERT_TRUE(encoder.WriteRows(image.copy(0, 20, w, 27), 27));
    ASSERT_TRUE(encoder.Finish());

    const QImage back = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                         static_cast<int>(bytes.size()))
                            .convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(back == image);

    const std::string rows = FilteredRows(bytes);
    const std::size_t stride = 1 + std::size_t{w} * 3;
    ASSERT_EQ(rows.size(), stride * h);
    for (int y = 1; y < h; ++y)
        EXPECT_EQ(rows[stride * y], 2) << "row " << y;
}

}  // namespace
