// JPEG decoding and encoding through libjpeg's own interface. Every libjpeg error (and every
// warning that means lost image data) comes back as a failure result, never as an exit.
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstddef>
#include <cstdint>
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

}  // namespace qv
