#include "render/image_file.h"

#include <QBuffer>
#include <QImageWriter>

#include "core/fs/atomic_file.h"
#include "core/text/sjis.h"
#include "render/jpeg_codec.h"

namespace qv {

ImageFileType ImageFileTypeOf(std::string_view path) {
    std::size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return ImageFileType::Unsupported;
    const std::string ext = sjis::UpperAscii(name.substr(dot));
    if (ext == ".BMP") return ImageFileType::Bmp;
    if (ext == ".JPG" || ext == ".JPEG") return ImageFileType::Jpeg;
    return ImageFileType::Unsupported;
}

long long BmpRowBytes(int width) {
    return (static_cast<long long>(width) * 3 + 3) / 4 * 4;
}

long long BmpRowOffset(int width, int height, int y) {
    return kBmpHeaderBytes + BmpRowBytes(width) * (static_cast<long long>(height) - 1 - y);
}

namespace {

void Put16(std::string& out, std::size_t at, unsigned v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::optional<std::string> BmpFileHeader(int width, int height) {
    if (width <= 0 || height <= 0) return std::nullopt;
    const long long pixels = BmpRowBytes(width) * height;
    if (pixels + kBmpHeaderBytes > 0xFFFFFFFFLL) return std::nullopt;
    std::string h(kBmpHeaderBytes, '\0');
    h[0] = 'B';
    h[1] = 'M';
    Put32(h, 2, static_cast<std::uint32_t>(pixels + kBmpHeaderBytes));
    Put32(h, 10, kBmpHeaderBytes);
    Put32(h, 14, 40);
    Put32(h, 18, static_cast<std::uint32_t>(width));
    Put32(h, 22, static_cast<std::uint32_t>(height));  // positive: rows stored bottom-up
    Put16(h, 26, 1);
    Put16(h, 28, 24);
    Put32(h, 34, static_cast<std::uint32_t>(pixels));
    Put32(h, 38, 3780);  // 96 dots per inch, as Qt writes
    Put32(h, 42, 3780);
    return h;
}

void PackBmpRow(const QRgb* row, int width, char* out) {
    char* p = out;
    for (int x = 0; x < width; ++x) {
        *p++ = static_cast<char>(qBlue(row[x]));
        *p++ = static_cast<char>(qGreen(row[x]));
        *p++ = static_cast<char>(qRed(row[x]));
    }
    const long long padded = BmpRowBytes(width);
    while (p < out + padded)
        *p++ = 0;
}

std::optional<QByteArray> EncodeBmp(const QImage& image) {
    if (image.isNull()) return std::nullopt;
    // Qt writes 32-bit images as 24-bit bitmaps; converting first settles palette and alpha images.
    const QImage rgb32 = image.format() == QImage::Format_RGB32
                             ? image
                             : image.convertToFormat(QImage::Format_RGB32);
    if (rgb32.isNull()) return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) return std::nullopt;
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(rgb32)) return std::nullopt;
    return bytes;
}

ImageSaveStatus SaveImageFile(const QImage& image, const std::string& path, int jpegQuality,
                              std::string* error) {
    const ImageFileType type = ImageFileTypeOf(path);
    if (type == ImageFileType::Unsupported) {
        if (error) *error = "not an image file type (.bmp, .jpg, .jpeg)";
        return ImageSaveStatus::UnsupportedType;
    }
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        if (error) *error = "empty image";
        return ImageSaveStatus::EmptyImage;
    }
    std::optional<QByteArray> bytes =
        type == ImageFileType::Bmp ? EncodeBmp(image) : EncodeJpeg(image, jpegQuality);
    if (!bytes) {
        if (error) *error = "the image could not be encoded";
        return ImageSaveStatus::EncodeFailed;
    }
    // Like a document, a write-protected image or a device is not replaced behind the user's back.
    const std::string_view data(bytes->constData(), static_cast<std::size_t>(bytes->size()));
    WriteResult written = ReplaceFileAtomically(path, data);
    if (!written) {
        if (error) *error = std::move(written.Error);
        return ImageSaveStatus::WriteFailed;
    }
    return ImageSaveStatus::Saved;
}

}  // namespace qv
