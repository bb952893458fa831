#include "render/image_file.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>

#include "core/text/cp932.h"
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

bool WriteFileAtomically(const QString& systemPath, const QByteArray& bytes, std::string* error) {
    QSaveFile file(systemPath);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString().toStdString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        if (error) *error = file.errorString().toStdString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString().toStdString();
        return false;
    }
    return true;
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
    const std::string systemPath = Cp932ToUtf8(path);
    const QString fileName =
        QString::fromUtf8(systemPath.data(), static_cast<qsizetype>(systemPath.size()));
    if (!WriteFileAtomically(fileName, *bytes, error)) return ImageSaveStatus::WriteFailed;
    return ImageSaveStatus::Saved;
}

}  // namespace qv
