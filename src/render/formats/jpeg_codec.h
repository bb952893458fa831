// JPEG decoding and encoding through libjpeg's own interface. Every libjpeg error (and every
// warning that means lost image data) comes back as a failure result, never as an exit.
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/content/spi_unit.h"

namespace qv {

inline constexpr int kMinJpegQuality = 1;
inline constexpr int kMaxJpegQuality = 100;

// The quality actually used for a requested one: clamped to 1 … 100.
int ClampJpegQuality(int quality);

// Every scan of a progressive JPEG is a pass over the coefficients of the components it carries,
// so a small file declaring thousands of scans costs minutes. Encoders write about ten, rarely a
// few dozen; libjpeg-turbo's own tools refuse beyond a few hundred.
inline constexpr int kMaxJpegScans = 500;
// All scans together may visit this many component pixels (a downsampled component counts its
// own, smaller size): about forty passes over the largest picture allowed, a second or so of work.
// A well-made progressive picture of any allowed size needs fewer than twenty.
inline constexpr std::int64_t kMaxJpegScanPixels = 40 * kMaxPicturePixels;

// What a decode may cost: pictures beyond these are refused (treated as unreadable).
struct JpegLimits {
    int MaxScans = kMaxJpegScans;
    std::int64_t MaxScanPixels = kMaxJpegScanPixels;
    std::int64_t MaxPixels = kMaxPicturePixels;  // checked from the header, before allocation
};

// Decodes a JPEG (baseline or progressive; grey, colour or CMYK) into an opaque 32-bit image.
// None for anything that is not a complete, readable JPEG, and for pictures beyond `limits`
// (too many scans or too much work in them, stopped as the scans arrive; or more pixels, refused
// from the header before anything is allocated).
std::optional<QImage> DecodeJpeg(const std::uint8_t* data, std::size_t size,
                                 const JpegLimits& limits = {});

// The same for a file already open for reading, from where it stands.
std::optional<QImage> DecodeJpegStream(std::FILE* file, const JpegLimits& limits = {});

// A baseline (not progressive) JFIF of the given quality (clamped) encoded row by row, its bytes
// handed to `sink` as they come (image output writes pages in bands straight to the file).
// Qualities of 90 and above keep full colour resolution (no chroma subsampling) so card text
// stays crisp. Any failure, of libjpeg or of the sink, makes every later call fail.
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

// A picture in memory through JpegStreamEncoder in one go (the pictures tests and benchmarks
// make). Transparent pixels are written as their colour without alpha. None for an empty image or
// a libjpeg failure.
std::optional<QByteArray> EncodeJpeg(const QImage& image, int quality);

}  // namespace qv
