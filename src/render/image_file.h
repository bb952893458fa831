// Writing the document image: a 24-bit Windows bitmap or a baseline JPEG, chosen by the file's
// extension. Files are replaced atomically: the old file stays intact when writing fails.
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

enum class ImageFileType {
    Unsupported,  // any other extension: nothing is written
    Bmp,          // ".BMP"
    Jpeg,         // ".JPG" or ".JPEG"
};

// By the extension of a path, in any letter case.
ImageFileType ImageFileTypeOf(std::string_view path);

enum class ImageSaveStatus {
    Saved,
    UnsupportedType,  // the extension names no image type; nothing was written
    EmptyImage,       // nothing to write
    EncodeFailed,     // the image could not be encoded (out of memory)
    WriteFailed,      // the file could not be created, written or renamed into place
    Cancelled,        // stopped by the caller; nothing was written
};

// A 24-bit bottom-up Windows bitmap written in pieces: the 54-byte header, then row y of the
// picture at BmpRowOffset (the last row first in the file). Rows are padded to 4 bytes.
inline constexpr int kBmpHeaderBytes = 54;
long long BmpRowBytes(int width);
long long BmpRowOffset(int width, int height, int y);
// None when the file would not fit the format (4 GiB) or the size is empty.
std::optional<std::string> BmpFileHeader(int width, int height);
// Packs `width` pixels (0xffRRGGBB) as blue, green, red bytes into `out` (BmpRowBytes long).
void PackBmpRow(const QRgb* row, int width, char* out);

// Encodes `image` as a 24-bit bottom-up Windows bitmap (alpha dropped).
std::optional<QByteArray> EncodeBmp(const QImage& image);

// Saves `image` to `path` (a file-system path) in the type its extension names; JPEG at
// `jpegQuality`, clamped to 1 … 100. A write-protected file is not replaced. *error (when given)
// receives a description of a failure in UTF-8.
ImageSaveStatus SaveImageFile(const QImage& image, const std::string& path, int jpegQuality,
                              std::string* error = nullptr);

}  // namespace qv
