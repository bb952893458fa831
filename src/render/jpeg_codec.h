// JPEG decoding and encoding through libjpeg's own interface. Every libjpeg error (and every
// warning that means lost image data) comes back as a failure result, never as an exit.
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qv {

inline constexpr int kMinJpegQuality = 1;
inline constexpr int kMaxJpegQuality = 100;

// The quality actually used for a requested one: clamped to 1 … 100.
int ClampJpegQuality(int quality);

// Decodes a JPEG (baseline or progressive; grey, colour or CMYK) into an opaque 32-bit image.
// None for anything that is not a complete, readable JPEG, and for pictures above
// kMaxPicturePixels (refused before their pixels are allocated).
std::optional<QImage> DecodeJpeg(const std::uint8_t* data, std::size_t size);

// The same for a file, by its file-system name (UTF-8).
std::optional<QImage> DecodeJpegFile(const std::string& systemPath);

// Encodes a baseline (not progressive) JFIF of the given quality (clamped). Qualities of 90 and
// above keep full colour resolution (no chroma subsampling) so card text stays crisp. Transparent
// pixels are written as their colour without alpha. None for an empty image or a libjpeg failure.
std::optional<QByteArray> EncodeJpeg(const QImage& image, int quality);

// A baseline JPEG encoded row by row, its bytes handed to `sink` as they come (image output
// writes pages in bands straight to the file). Same settings as EncodeJpeg. Any failure, of
// libjpeg or of the sink, makes every later call fail.
class JpegStreamEncoder {
  public:
    // Returns false when the bytes could not be taken (the encoding stops).
    using Sink = std::function<bool(const char* data, std::size_t size)>;

    JpegStreamEncoder();
    ~JpegStreamEncoder();
    JpegStreamEncoder(const JpegStreamEncoder&) = delete;
    JpegStreamEncoder& operator=(const JpegStreamEncoder&) = delete;

    // width and height 1 … 65500.
    bool Start(int width, int height, int quality, Sink sink);
    // The next `rows` rows, from the top of `band` (Format_RGB32, the image's width).
    bool WriteRows(const QImage& band, int rows);
    // After the last row: writes the end of the file.
    bool Finish();

    struct State;  // libjpeg's state, behind the header

  private:
    std::unique_ptr<State> state_;
};

}  // namespace qv
