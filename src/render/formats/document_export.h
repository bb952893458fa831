// The document output: every file the program makes of a whole document goes out here, in the
// format its name's extension says — a 24-bit Windows bitmap or a baseline JPEG painted in bands
// (image output), PNG streamed from the same bands, SVG and PDF through the vector target (text as
// text), and JSON Canvas and the Markdown outline from the core. A file is replaced atomically
// (core/fs/atomic_file.h) and every outcome comes back as the WriteResult every other write
// returns.
#pragma once

#include <QSize>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/fs/atomic_file.h"
#include "render/painting/document_painter.h"

namespace qv {

class FragSet;
class RenderCache;

enum class ExportFormat {
    Unsupported,
    Bmp,       // ".bmp": a 24-bit bottom-up Windows bitmap
    Jpeg,      // ".jpg" or ".jpeg": a baseline JPEG of the settings' JpegQuality
    Png,       // ".png"
    Svg,       // ".svg"
    Pdf,       // ".pdf"
    Canvas,    // ".canvas": JSON Canvas 1.0
    Markdown,  // ".md": an outline of the groups and their cards
};

// By the extension of a path's file name, in any letter case. A name that is only an extension
// (".svg", a hidden file) names no format.
ExportFormat ExportFormatOf(std::string_view path);
// ".bmp", ".jpg", ".png", ".svg", ".pdf", ".canvas", ".md" (empty for Unsupported).
std::string_view ExportExtension(ExportFormat format);

// The largest side a JPEG holds; PNG pages are held to the same, so that a page stretched far
// out by one distant card is refused at once instead of being encoded for days.
inline constexpr int kMaxJpegSide = 65500;
inline constexpr int kMaxPngSide = kMaxJpegSide;
// The largest side of a PDF page, in points (200 inches); larger documents are scaled onto it.
inline constexpr double kMaxPdfPagePoints = 14400;

// Whether a file of `format` can hold a page of `size`: a JPEG or PNG side is at most 65500
// pixels, a bitmap file at most 4 GiB; the vector formats hold any page. False with the reason
// (naming the limit) in *error.
bool ExportFormatHolds(ExportFormat format, QSize size, std::string* error = nullptr);

// Takes the next bytes of an output; false when they could not be written (the output stops,
// and the taker knows why).
using OutputBytes = std::function<bool(std::string_view data)>;

// Writes `set` to `path` (a file-system path) in `format`. Refreshes visibility first; the page is
// DocumentImageSize. Images are painted in bands of about `bandBytes`, so memory does not grow
// with the page. On failure nothing is left at `path` and an old file stays as it was; the
// problem is Unsupported for no format, Unencodable for a page the format cannot hold (refused
// before anything is written) or a failed encoder, Cancelled (reason kOutputCancelled) when
// `progress` — which follows the cards or bands — stopped it, else the file's own.
WriteResult ExportDocument(FragSet& set, const std::string& path, ExportFormat format,
                           RenderCache& cache, std::int64_t bandBytes = std::int64_t{4} << 20,
                           const OutputProgress& progress = {});

// ExportDocument without a file: the output is handed to `write` front to back as it is made
// (images band by band, SVG card by card, PDF as Qt's writer gives it), so that it can go to a
// pipe. A refused write fails with an empty Error: the taker knows why.
WriteResult WriteExport(FragSet& set, ExportFormat format, const OutputBytes& write,
                        RenderCache& cache, std::int64_t bandBytes = std::int64_t{4} << 20,
                        const OutputProgress& progress = {});

// The scale from document pixels to PDF points for a page of width × height pixels: 0.75 (96
// pixels to the inch), less when a side would pass kMaxPdfPagePoints.
double PdfPointsPerPixel(int width, int height);

}  // namespace qv
