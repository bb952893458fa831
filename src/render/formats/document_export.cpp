#include "render/formats/document_export.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <optional>

#include "core/export/json_canvas.h"
#include "core/export/markdown_outline.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/text/sjis.h"
#include "render/formats/jpeg_codec.h"
#include "render/formats/png_stream.h"
#include "render/formats/svg_device.h"
#include "render/painting/colors.h"

namespace qv {

namespace {

// Qt's writers (the PDF engine) write to a QIODevice; this one hands the bytes on in order.
class OutputDevice final : public QIODevice {
  public:
    explicit OutputDevice(const OutputBytes& write) : write_(write) { open(QIODevice::WriteOnly); }
    bool Failed() const { return failed_; }
    // The bytes go out as they come: nothing may be written back.
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (failed_ || !write_(std::string_view(data, static_cast<std::size_t>(size)))) {
            failed_ = true;
            return -1;
        }
        return size;
    }

  private:
    const OutputBytes& write_;
    bool failed_ = false;
};

WriteResult Refused(WriteProblem problem, std::string text) {
    return WriteResult{problem, std::move(text), 0};
}

// A write the taker refused has its reason kept by the taker; anything else is `encodeProblem`.
WriteResult Close(bool written, bool encoded, const char* encodeProblem) {
    if (!written) return Refused(WriteProblem::Failed, {});
    if (!encoded) return Refused(WriteProblem::Unencodable, encodeProblem);
    return {};
}

// A paint the progress stopped: nothing is kept.
WriteResult Cancelled() {
    return Refused(WriteProblem::Cancelled, kOutputCancelled);
}

// ---- Windows bitmaps ----

// A 24-bit bottom-up bitmap: the 54-byte header, then the rows, the last one first, each padded
// to 4 bytes.
constexpr int kBmpHeaderBytes = 54;

long long BmpRowBytes(int width) {
    return (static_cast<long long>(width) * 3 + 3) / 4 * 4;
}

void Put16(std::string& out, std::size_t at, unsigned v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// None when the file would not fit the format (4 GiB) or the size is empty.
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

// Packs `width` pixels (0xffRRGGBB) as blue, green, red bytes into `out` (BmpRowBytes long).
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

// ---- The formats ----

// Follows the rows of a banded image: after each band, how far they are; false (and `cancelled`)
// when the progress stops the output.
class BandProgress {
  public:
    BandProgress(const OutputProgress& progress, int height)
        : progress_(progress), height_(height) {}
    bool Done(int rows) {
        rowsDone_ += rows;
        if (!progress_ || progress_(static_cast<double>(rowsDone_) / height_)) return true;
        cancelled_ = true;
        return false;
    }
    bool Cancelled() const { return cancelled_; }

  private:
    const OutputProgress& progress_;
    int height_;
    int rowsDone_ = 0;
    bool cancelled_ = false;
};

WriteResult WriteSvg(FragSet& set, const OutputBytes& write, RenderCache& cache,
                     const OutputProgress& progress) {
    const QSize size = DocumentImageSize(set);
    SvgPaintDevice svg(size, [&](std::string_view text) { return write(text); });
    QPainter painter;
    bool encoded = painter.begin(&svg);
    if (encoded) {
        painter.fillRect(QRect(QPoint(0, 0), size), ToQColor(set.Env().Colors.Background));
        const bool whole =
            PaintDocumentVector(painter, set, cache, 1, ColorMode::Screen, &svg, progress);
        encoded = painter.end();
        if (!whole) return Cancelled();
    }
    return Close(svg.Ok(), encoded, "the SVG file could not be made");
}

WriteResult WritePdf(FragSet& set, const OutputBytes& write, RenderCache& cache,
                     const OutputProgress& progress) {
    const QSize size = DocumentImageSize(set);
    const double points = PdfPointsPerPixel(size.width(), size.height());
    OutputDevice device(write);
    bool encoded = true;
    bool whole = true;
    {
        QPdfWriter pdf(&device);
        pdf.setCreator(QStringLiteral("Quillovarsta"));
        if (!set.FileName.empty())
            pdf.setTitle(QFileInfo(QFile::decodeName(set.FileName.c_str())).completeBaseName());
        // One page the size of the document; 96 pixels to the inch, as the screen shows it. A
        // strip scaled down with a long page keeps a point a side: readers refuse empty pages.
        const QPageSize page(
            QSizeF(std::max(1.0, size.width() * points), std::max(1.0, size.height() * points)),
            QPageSize::Point, QString(), QPageSize::ExactMatch);
        encoded = pdf.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF()));
        pdf.setResolution(96);
        QPainter painter;
        encoded = encoded && painter.begin(&pdf);
        if (encoded) {
            // The page may be a little off the exact size (whole points); scale onto it.
            const QRect area = pdf.pageLayout().paintRectPixels(pdf.resolution());
            const double s = std::min(area.width() / static_cast<double>(size.width()),
                                      area.height() / static_cast<double>(size.height()));
            painter.scale(s, s);
            painter.fillRect(QRect(QPoint(0, 0), size), ToQColor(set.Env().Colors.Background));
            whole =
                PaintDocumentVector(painter, set, cache, 1, ColorMode::Screen, nullptr, progress);
            encoded = painter.end();
        }
    }
    if (!whole) return Cancelled();
    return Close(!device.Failed(), encoded, "the PDF file could not be made");
}

WriteResult WritePng(FragSet& set, const OutputBytes& write, RenderCache& cache,
                     std::int64_t bandBytes, const OutputProgress& progress) {
    const QSize size = DocumentImageSize(set);
    bool written = true;
    BandProgress bands(progress, size.height());
    PngStreamEncoder png;
    const bool encoded =
        png.Start(size.width(), size.height(),
                  [&](const char* data, std::size_t n) {
                      return written = write(std::string_view(data, n));
                  }) &&
        ForEachDocumentBand(set, cache, size, bandBytes,
                            [&](const QImage& band, int rows, int) {
                                return png.WriteRows(band, rows) && bands.Done(rows);
                            }) &&
        png.Finish();
    if (bands.Cancelled()) return Cancelled();
    return Close(written, encoded, "the PNG image could not be encoded");
}

WriteResult WriteJpeg(FragSet& set, const OutputBytes& write, RenderCache& cache,
                      std::int64_t bandBytes, const OutputProgress& progress) {
    const QSize size = DocumentImageSize(set);
    bool written = true;
    BandProgress bands(progress, size.height());
    JpegStreamEncoder jpeg;
    const bool encoded =
        jpeg.Start(size.width(), size.height(), set.Env().JpegQuality,
                   [&](const char* data, std::size_t n) {
                       return written = write(std::string_view(data, n));
                   }) &&
        ForEachDocumentBand(set, cache, size, bandBytes,
                            [&](const QImage& band, int rows, int) {
                                return jpeg.WriteRows(band, rows) && bands.Done(rows);
                            }) &&
        jpeg.Finish();
    if (bands.Cancelled()) return Cancelled();
    return Close(written, encoded, "the image could not be encoded");
}

WriteResult WriteBmp(FragSet& set, const OutputBytes& write, RenderCache& cache,
                     std::int64_t bandBytes, const OutputProgress& progress) {
    const QSize size = DocumentImageSize(set);
    BandProgress bands(progress, size.height());
    // The file holds the last row first: the bands are painted from the bottom up and each is
    // written backwards, so the bytes go out front to back (a pipe cannot seek).
    const std::optional<std::string> header = BmpFileHeader(size.width(), size.height());
    std::string row(static_cast<std::size_t>(BmpRowBytes(size.width())), '\0');
    bool written = header && write(*header);
    const bool encoded =
        written && ForEachDocumentBand(
                       set, cache, size, bandBytes,
                       [&](const QImage& band, int rows, int) {
                           for (int y = rows - 1; y >= 0; --y) {
                               PackBmpRow(reinterpret_cast<const QRgb*>(band.constScanLine(y)),
                                          size.width(), row.data());
                               if (!write(row)) return written = false;
                           }
                           return bands.Done(rows);
                       },
                       true);
    if (bands.Cancelled()) return Cancelled();
    return Close(written, encoded, "the image could not be encoded");
}

// What can be refused before anything is written: a format not known, a page the format cannot
// hold.
WriteResult Writable(FragSet& set, ExportFormat format) {
    set.RefreshVisibility();
    if (format == ExportFormat::Unsupported)
        return Refused(WriteProblem::Unsupported,
                       "not an output file name (.bmp, .jpg, .png, .svg, .pdf, .canvas or .md)");
    std::string error;
    if (!ExportFormatHolds(format, DocumentImageSize(set), &error))
        return Refused(WriteProblem::Unencodable, std::move(error));
    return {};
}

// The output in `format` handed to `write`, after Writable.
WriteResult WriteFormat(FragSet& set, ExportFormat format, const OutputBytes& write,
                        RenderCache& cache, std::int64_t bandBytes,
                        const OutputProgress& progress) {
    switch (format) {
        case ExportFormat::Bmp:
            return WriteBmp(set, write, cache, bandBytes, progress);
        case ExportFormat::Jpeg:
            return WriteJpeg(set, write, cache, bandBytes, progress);
        case ExportFormat::Png:
            return WritePng(set, write, cache, bandBytes, progress);
        case ExportFormat::Svg:
            return WriteSvg(set, write, cache, progress);
        case ExportFormat::Pdf:
            return WritePdf(set, write, cache, progress);
        case ExportFormat::Canvas:
            // Made in one go in memory (milliseconds); it can only be stopped before it is written.
            if (progress && !progress(0)) return Cancelled();
            return write(JsonCanvasText(set)) ? WriteResult{} : Refused(WriteProblem::Failed, {});
        case ExportFormat::Markdown:
            // Text made in one go, as the canvas is.
            if (progress && !progress(0)) return Cancelled();
            return write(MarkdownOutlineText(set)) ? WriteResult{}
                                                   : Refused(WriteProblem::Failed, {});
        case ExportFormat::Unsupported:
            break;
    }
    return Refused(WriteProblem::Unsupported, {});
}

}  // namespace

ExportFormat ExportFormatOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return ExportFormat::Unsupported;
    const std::string ext = sjis::UpperAscii(name.substr(dot));
    if (ext == ".BMP") return ExportFormat::Bmp;
    if (ext == ".JPG" || ext == ".JPEG") return ExportFormat::Jpeg;
    if (ext == ".PNG") return ExportFormat::Png;
    if (ext == ".SVG") return ExportFormat::Svg;
    if (ext == ".PDF") return ExportFormat::Pdf;
    if (ext == ".CANVAS") return ExportFormat::Canvas;
    if (ext == ".MD") return ExportFormat::Markdown;
    return ExportFormat::Unsupported;
}

std::string_view ExportExtension(ExportFormat format) {
    switch (format) {
        case ExportFormat::Bmp:
            return ".bmp";
        case ExportFormat::Jpeg:
            return ".jpg";
        case ExportFormat::Png:
            return ".png";
        case ExportFormat::Svg:
            return ".svg";
        case ExportFormat::Pdf:
            return ".pdf";
        case ExportFormat::Canvas:
            return ".canvas";
        case ExportFormat::Markdown:
            return ".md";
        case ExportFormat::Unsupported:
            break;
    }
    return {};
}

bool ExportFormatHolds(ExportFormat format, QSize size, std::string* error) {
    const std::string dims = std::to_string(size.width()) + " x " + std::to_string(size.height());
    std::string why;
    if (format == ExportFormat::Jpeg &&
        (size.width() > kMaxJpegSide || size.height() > kMaxJpegSide))
        why = "a JPEG file cannot hold a page of " + dims + " pixels (at most " +
              std::to_string(kMaxJpegSide) + " a side)";
    else if (format == ExportFormat::Bmp && !BmpFileHeader(size.width(), size.height()))
        why = "a bitmap file cannot hold a page of " + dims + " pixels";
    else if (format == ExportFormat::Png &&
             (size.width() > kMaxPngSide || size.height() > kMaxPngSide))
        why = "a PNG file is limited to " + std::to_string(kMaxPngSide) +
              " pixels a side; this page is " + dims + " pixels";
    if (why.empty()) return true;
    if (error) *error = std::move(why);
    return false;
}

double PdfPointsPerPixel(int width, int height) {
    const double side = std::max({width, height, 1}) * 0.75;
    return side > kMaxPdfPagePoints ? 0.75 * kMaxPdfPagePoints / side : 0.75;
}

WriteResult ExportDocument(FragSet& set, const std::string& path, ExportFormat format,
                           RenderCache& cache, std::int64_t bandBytes,
                           const OutputProgress& progress) {
    if (WriteResult writable = Writable(set, format); !writable) return writable;
    AtomicFileWriter file;
    if (WriteResult opened = file.Start(path); !opened) return opened;
    WriteResult made = WriteFormat(
        set, format, [&](std::string_view data) { return file.Write(data); }, cache, bandBytes,
        progress);
    // A refused write has its reason in the writer: committing reports it and removes the file.
    if (made || made.Problem == WriteProblem::Failed) return file.Commit();
    return made;
}

WriteResult WriteExport(FragSet& set, ExportFormat format, const OutputBytes& write,
                        RenderCache& cache, std::int64_t bandBytes,
                        const OutputProgress& progress) {
    if (WriteResult writable = Writable(set, format); !writable) return writable;
    return WriteFormat(set, format, write, cache, bandBytes, progress);
}

}  // namespace qv
