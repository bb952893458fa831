#include "render/pictures/picture.h"

#include <sys/stat.h>

#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/content/spi_unit.h"
#include "core/fs/read_file.h"
#include "core/model/ports.h"
#include "core/text/cp932.h"
#include "core/text/sjis.h"
#include "render/formats/jpeg_codec.h"

namespace qv {

namespace {

// Qt's readers refuse to allocate more than this (in MiB): four bytes for each allowed pixel.
constexpr int kAllocationLimitMiB = static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024)) + 1;

std::string_view ExtensionOf(std::string_view path) {
    // '/' and '.' are below 0x40, so they never occur as the second byte of a double-byte
    // character.
    std::size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

// Whether the file starts with a JPEG start-of-image marker.
bool IsJpegFile(int fd) {
    unsigned char start[3] = {};
    return ::pread(fd, start, 3, 0) == 3 && start[0] == 0xFF && start[1] == 0xD8 &&
           start[2] == 0xFF;
}

// Reads the first image through Qt from the start of the open file: `format` forces a reader,
// empty lets Qt decide by content.
std::optional<QImage> ReadWithQt(int fd, const char* format) {
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle) || !file.seek(0))
        return std::nullopt;
    QImageReader reader(&file, format ? QByteArray(format) : QByteArray());
    reader.setAllocationLimit(kAllocationLimitMiB);
    const QSize size = reader.size();
    if (size.isValid() &&
        static_cast<std::int64_t>(size.width()) * size.height() > kMaxPicturePixels)
        return std::nullopt;
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return std::nullopt;
    return image;
}

// Decodes the JPEG in the open file with libjpeg, from its start.
std::optional<QImage> ReadJpeg(int fd) {
    const int own = ::dup(fd);
    if (own < 0) return std::nullopt;
    std::FILE* file = ::fdopen(own, "rb");
    if (!file) {
        ::close(own);
        return std::nullopt;
    }
    std::optional<QImage> image;
    if (std::fseek(file, 0, SEEK_SET) == 0) image = DecodeJpegStream(file);
    std::fclose(file);
    return image;
}

QImage FromSpiPicture(const SpiPicture& pic) {
    QImage image(pic.Width, pic.Height, QImage::Format_RGB32);
    if (image.isNull()) return image;
    const std::size_t rowBytes = static_cast<std::size_t>(pic.Width) * sizeof(std::uint32_t);
    for (int y = 0; y < pic.Height; ++y)
        std::memcpy(image.scanLine(y), pic.Pixels.data() + static_cast<std::size_t>(y) * pic.Width,
                    rowBytes);
    return image;
}

// One pixel layout for every source, so drawing and scaling take the fast paths.
QImage Normalized(QImage image) {
    const QImage::Format want =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != want) image.convertTo(want);
    return image;
}

}  // namespace

PictureFormat PictureFormatOf(std::string_view path) {
    const std::string ext = sjis::UpperAscii(ExtensionOf(path));
    if (ext == ".BMP") return PictureFormat::Bmp;
    if (ext == ".JPG" || ext == ".JPE" || ext == ".JPEG") return PictureFormat::Jpeg;
    if (ext == ".ICO") return PictureFormat::Icon;
    return PictureFormat::Other;
}

std::optional<QImage> LoadPictureFile(const std::string& path, const SpiUnit* plugins) {
    if (path.empty()) return std::nullopt;
    // Only regular files: a directory or a FIFO named like a picture must not block or confuse
    // the readers.
    FileProblem problem = FileProblem::None;
    std::string why;
    const int fd = OpenRegularDescriptor(Cp932ToUtf8(path), problem, why);
    if (fd < 0) return std::nullopt;
    std::optional<QImage> image = LoadPictureDescriptor(fd, path, plugins);
    ::close(fd);
    return image;
}

std::optional<QImage> LoadPictureDescriptor(int fd, const std::string& path,
                                            const SpiUnit* plugins) {
    std::optional<QImage> image;
    switch (PictureFormatOf(path)) {
        case PictureFormat::Bmp:
            image = ReadWithQt(fd, "bmp");
            break;
        case PictureFormat::Jpeg:
            image = ReadJpeg(fd);
            break;
        case PictureFormat::Icon:
            image = ReadWithQt(fd, "ico");
            break;
        case PictureFormat::Other:
            // The plug-ins read by name, and check what they open themselves.
            if (plugins) {
                if (auto pic = plugins->LoadPictureFile(path)) {
                    QImage converted = FromSpiPicture(*pic);
                    if (!converted.isNull()) image = std::move(converted);
                }
            }
            // JPEG content under another name goes to libjpeg too, under the same limits.
            if (!image) image = IsJpegFile(fd) ? ReadJpeg(fd) : ReadWithQt(fd, nullptr);
            break;
    }
    if (!image) return std::nullopt;
    return Normalized(std::move(*image));
}

QSize ScaledPictureSize(QSize size, int numerator, int denominator) {
    if (size.isEmpty()) return size;
    const PixelSize scaled =
        ScaledPictureSize(PixelSize{size.width(), size.height()}, numerator, denominator);
    std::int64_t w = scaled.Width, h = scaled.Height;
    if (w * h > kMaxPicturePixels) {
        const double shrink = std::sqrt(static_cast<double>(kMaxPicturePixels) /
                                        (static_cast<double>(w) * static_cast<double>(h)));
        w = std::max<std::int64_t>(1, static_cast<std::int64_t>(static_cast<double>(w) * shrink));
        h = std::max<std::int64_t>(1, static_cast<std::int64_t>(static_cast<double>(h) * shrink));
        while (w * h > kMaxPicturePixels)
            (w > h ? w : h) -= 1;
    }
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

QImage ScalePicture(const QImage& picture, int numerator, int denominator) {
    if (picture.isNull()) return picture;
    const QSize size = ScaledPictureSize(picture.size(), numerator, denominator);
    if (size == picture.size()) return picture;
    QImage scaled = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Out of memory while scaling: keep the picture at its own size rather than lose it.
    return scaled.isNull() ? picture : scaled;
}

std::optional<QImage> LoadPicture(const std::string& path, const SpiUnit* plugins, int numerator,
                                  int denominator) {
    std::optional<QImage> image = LoadPictureFile(path, plugins);
    if (!image) return std::nullopt;
    return ScalePicture(*image, numerator, denominator);
}

}  // namespace qv
