// Exporting a document to open formats, chosen by the file's extension: SVG and PDF through the
// vector target (text as text), PNG streamed from the banded image renderer, and JSON Canvas from
// the core. Every file is replaced atomically; failures come back with a description.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qv {

class FragSet;
class RenderCache;

// How far a long output is (0 … 1); false stops it (see document_painter.h).
using OutputProgress = std::function<bool(double done)>;

enum class ExportFormat {
    Unsupported,
    Svg,     // ".svg"
    Pdf,     // ".pdf"
    Png,     // ".png"
    Canvas,  // ".canvas": JSON Canvas 1.0
};

// By the extension of a path, in any letter case.
ExportFormat ExportFormatOf(std::string_view path);
// ".svg", ".pdf", ".png", ".canvas" (empty for Unsupported).
std::string_view ExportExtension(ExportFormat format);
// The formats as a user reads them in a message: ".svg, .pdf, .png or .canvas".
inline constexpr std::string_view kExportExtensions = ".svg, .pdf, .png or .canvas";

// The largest side of a PDF page, in points (200 inches); larger documents are scaled onto it.
inline constexpr double kMaxPdfPagePoints = 14400;

// Writes `set` to `path` (a file-system path) in `format`. Refreshes visibility first, like the
// image output; the page is DocumentImageSize. PNG rows are painted in bands of about
// `bandBytes`. False with the reason in *error (nothing is left at `path` then, an old file stays
// as it was). `progress` (when given) follows the cards or bands and may stop the export (the
// reason is then kOutputCancelled).
bool ExportDocument(FragSet& set, const std::string& path, ExportFormat format, RenderCache& cache,
                    std::string* error = nullptr, std::int64_t bandBytes = std::int64_t{4} << 20,
                    const OutputProgress& progress = {});

// ExportDocument without a file: the export is handed to `write` front to back as it is made
// (PNG band by band, SVG card by card, PDF as Qt's writer gives it), so that it can go to a pipe.
// False with the reason in *error, except when `write` refused: the taker knows why then.
bool WriteExport(FragSet& set, ExportFormat format,
                 const std::function<bool(std::string_view data)>& write, RenderCache& cache,
                 std::string* error = nullptr, std::int64_t bandBytes = std::int64_t{4} << 20,
                 const OutputProgress& progress = {});

// The scale from document pixels to PDF points for a page of width × height pixels: 0.75 (96
// pixels to the inch), less when a side would pass kMaxPdfPagePoints.
double PdfPointsPerPixel(int width, int height);

}  // namespace qv
