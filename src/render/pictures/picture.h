// Loading the picture of an image card: the file's format is chosen by its extension, pictures are
// scaled once at load by the card's ratio, and anything that cannot be read is "no picture".
#pragma once

#include <QImage>
#include <QSize>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

class SpiUnit;

enum class PictureFormat {
    Bmp,    // ".BMP": Qt's bitmap reader
    Jpeg,   // ".JPG", ".JPE", ".JPEG": libjpeg
    Icon,   // ".ICO": the first icon of the file
    Other,  // anything else: the image plug-ins, then Qt's own readers (PNG, GIF, ...)
};

// By the extension of a code page 932 path, in any letter case.
PictureFormat PictureFormatOf(std::string_view path);

// Loads the picture file `path` (code page 932 bytes). `plugins` may be null (no plug-ins).
// Returns an image in Format_RGB32, or Format_ARGB32_Premultiplied when the file has transparency
// (icons, PNG, GIF). None when the file is missing, is no regular file, cannot be decoded, or is
// larger than kMaxPicturePixels.
std::optional<QImage> LoadPictureFile(const std::string& path, const SpiUnit* plugins);

// The same for the regular file `fd` that `path` was opened as (see OpenRegularDescriptor): read
// from the descriptor, so the file decoded is the file examined. Left open.
std::optional<QImage> LoadPictureDescriptor(int fd, const std::string& path,
                                            const SpiUnit* plugins);

// The size a picture of `size` takes at an image card's ratio: the model's ScaledPictureSize
// (side * numerator / denominator, multiplied first, truncated, 1 … kMaxPictureSide; a ratio term
// below 1 counts as 1:1), shrunk further, proportions kept, when the result would have more than
// kMaxPicturePixels pixels.
QSize ScaledPictureSize(QSize size, int numerator, int denominator);

// Applies an image card's ratio: the picture smoothly resampled to ScaledPictureSize. When memory
// for the scaled picture runs out, the picture keeps its own size.
QImage ScalePicture(const QImage& picture, int numerator, int denominator);

// LoadPictureFile followed by ScalePicture.
std::optional<QImage> LoadPicture(const std::string& path, const SpiUnit* plugins, int numerator,
                                  int denominator);

}  // namespace qv
