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
