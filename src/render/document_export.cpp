#include "render/document_export.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "core/export/json_canvas.h"
#include "core/fs/atomic_file.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/text/sjis.h"
#include "render/colors.h"
#include "render/document_painter.h"
#include "render/png_stream.h"
#include "render/svg_device.h"

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

void Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

// How an output ended.
enum class Outcome { Done, WriteFailed, Failed };

// A write the taker refused has its reason kept by the taker; anything else is `encodeProblem`.
Outcome Close(bool written, bool encoded, std::string* error, const char* encodeProblem) {
    if (!written) return Outcome::WriteFailed;
    if (!encoded) {
        Fail(error, encodeProblem);
        return Outcome::Failed;
    }
    return Outcome::Done;
}

// A paint the progress stopped: nothing is kept.
Outcome Cancelled(std::string* error) {
    Fail(error, kOutputCancelled);
    return Outcome::Failed;
}

Outcome WriteSvg(FragSet& set, const OutputBytes& write, RenderCache& cache, std::string* error,
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
        if (!whole) return Cancelled(error);
    }
    return Close(svg.Ok(), encoded, error, "the SVG file could not be made");
}

Outcome WritePdf(FragSet& set, const OutputBytes& write, RenderCache& cache, std::string* error,
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
    if (!whole) return Cancelled(error);
    return Close(!device.Failed(), encoded, error, "the PDF file could not be made");
}

Outcome WritePng(FragSet& set, const OutputBytes& write, RenderCache& cache, std::string* error,
                 std::int64_t bandBytes, const OutputProgress& progress) {
    const QSize size = DocumentImageSize(set);
    bool written = true;
    bool cancelled = false;
    PngStreamEncoder png;
    const bool encoded =
        png.Start(size.width(), size.height(),
                  [&](const char* data, std::size_t n) {
                      return written = write(std::string_view(data, n));
                  }) &&
        ForEachDocumentBand(
            set, cache, size, bandBytes,
            [&](const QImage& band, int rows, int top) {
                if (!png.WriteRows(band, rows)) return false;
                cancelled = progress && !progress(static_cast<double>(top + rows) / size.height());
                return !cancelled;
            }) &&
        png.Finish();
    if (cancelled) return Cancelled(error);
    return Close(written, encoded, error, "the PNG image could not be encoded");
}

// What can be refused before anything is written: a format not known, a page PNG cannot hold.
bool Writable(FragSet& set, ExportFormat format, std::string* error) {
    if (format == ExportFormat::Unsupported) {
        Fail(error, "not an export file name (" + std::string(kExportExtensions) + ")");
        return false;
    }
    set.RefreshVisibility();
    return format != ExportFormat::Png || PngFileHolds(DocumentImageSize(set), error);
}

// The export in `format` handed to `write`, after Writable.
Outcome WriteFormat(FragSet& set, ExportFormat format, const OutputBytes& write, RenderCache& cache,
                    std::string* error, std::int64_t bandBytes, const OutputProgress& progress) {
    switch (format) {
        case ExportFormat::Svg:
            return WriteSvg(set, write, cache, error, progress);
        case ExportFormat::Pdf:
            return WritePdf(set, write, cache, error, progress);
        case ExportFormat::Png:
            return WritePng(set, write, cache, error, bandBytes, progress);
        case ExportFormat::Canvas:
            // Made in one go in memory (milliseconds); it can only be stopped before it is written.
            if (progress && !progress(0)) return Cancelled(error);
            return write(JsonCanvasText(set)) ? Outcome::Done : Outcome::WriteFailed;
        case ExportFormat::Unsupported:
            break;
    }
    return Outcome::Failed;
}

}  // namespace

ExportFormat ExportFormatOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return ExportFormat::Unsupported;
    const std::string ext = sjis::UpperAscii(name.substr(dot));
    if (ext == ".SVG") return ExportFormat::Svg;
    if (ext == ".PDF") return ExportFormat::Pdf;
    if (ext == ".PNG") return ExportFormat::Png;
    if (ext == ".CANVAS") return ExportFormat::Canvas;
    return ExportFormat::Unsupported;
}

std::string_view ExportExtension(ExportFormat format) {
    switch (format) {
        case ExportFormat::Svg:
            return ".svg";
        case ExportFormat::Pdf:
            return ".pdf";
        case ExportFormat::Png:
            return ".png";
        case ExportFormat::Canvas:
            return ".canvas";
        case ExportFormat::Unsupported:
            break;
    }
    return {};
}

double PdfPointsPerPixel(int width, int height) {
    const double side = std::max({width, height, 1}) * 0.75;
    return side > kMaxPdfPagePoints ? 0.75 * kMaxPdfPagePoints / side : 0.75;
}

bool ExportDocument(FragSet& set, const std::string& path, ExportFormat format, RenderCache& cache,
                    std::string* error, std::int64_t bandBytes, const OutputProgress& progress) {
    if (!Writable(set, format, error)) return false;
    AtomicFileWriter file;
    if (!file.Open(path, error)) return false;
    const Outcome outcome = WriteFormat(
        set, format, [&](std::string_view data) { return file.Write(data); }, cache, error,
        bandBytes, progress);
    // The writer keeps the reason of a refused write; committing reports it and removes the file.
    if (outcome == Outcome::WriteFailed) file.Commit(error);
    return outcome == Outcome::Done && file.Commit(error);
}

bool WriteExport(FragSet& set, ExportFormat format, const OutputBytes& write, RenderCache& cache,
                 std::string* error, std::int64_t bandBytes, const OutputProgress& progress) {
    return Writable(set, format, error) &&
           WriteFormat(set, format, write, cache, error, bandBytes, progress) == Outcome::Done;
}

}  // namespace qv
