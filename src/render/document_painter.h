// Painting a whole document, or a part of it, in the model's order: division lines, cards (on the
// window: unselected ones, then the selected ones), group frames, group lines. The document
// window, the overview map, printing, image output and the command-line tool all paint through
// PaintDocument; nothing else walks the document to draw it.
#pragma once

#include <QImage>
#include <QRegion>
#include <optional>
#include <string>

#include "render/image_file.h"

class QPainter;

namespace qv {

class FragSet;
class RenderCache;

enum class PaintTarget {
    // The document window at its scroll position: client coordinates, selection colours, cards
    // from their cached images, frames as rounded outlines, lines at their window points.
    Window,
    // Paper or an image: document coordinates times the scale, the cards' own colours, every
    // visible card in list order, frames and lines of shown groups.
    Page,
    // The overview map: document coordinates times the scale, cards as small boxes, thin lines.
    Map,
};

struct PaintRequest {
    PaintTarget Target = PaintTarget::Window;
    // Page: document pixels to target pixels; 0 is image output (1:1, colours as on screen even
    // with PrintMonochrome). Map: the map scale.
    double Scale = 0;
    // Window: the client region to repaint (only what meets it is painted; the painter is clipped
    // to it); empty for the whole client area.
    QRegion Region;
};

// Paints `request` on `painter`. The Window target fills the region with the page colour first;
// the other targets paint over what the caller prepared (see RenderDocumentImage and PaintMap).
void PaintDocument(QPainter& painter, const FragSet& set, RenderCache& cache,
                   const PaintRequest& request);

// The window's paint: PaintDocument with the Window target and `region` (empty = everything).
void PaintDocumentWindow(QPainter& painter, const FragSet& set, RenderCache& cache,
                         const QRegion& region = QRegion());

// ---- Image output ----

// Largest image written: JPEG cannot hold a side above 65500, and the whole page is one bitmap.
inline constexpr int kMaxImageSide = 65500;
inline constexpr long long kMaxImagePixels = 200LL * 1000 * 1000;

// Size of the document image: the whole page when division lines show, otherwise the used area
// grown by 5 % (floor) with the page origin kept at the top-left. None when it exceeds the limits.
std::optional<QSize> DocumentImageSize(const FragSet& set);

// The document image (Format_RGB32): page colour, division lines, cards at full size, frames,
// lines. None when the size is out of limits or memory runs out.
std::optional<QImage> RenderDocumentImage(const FragSet& set, RenderCache& cache);

// Image output: refreshes visibility, then writes the document image to `path` (a file-system path)
// as its extension says: ".BMP" a Windows bitmap, ".JPG" (or ".JPEG") a baseline JPEG of quality
// JpegQuality. Any other extension writes nothing (UnsupportedType). The file is replaced
// atomically; every failure comes back as a status, with a description in *error.
ImageSaveStatus SaveDocumentImage(FragSet& set, const std::string& path, RenderCache& cache,
                                  std::string* error = nullptr);

// ---- Printing ----

// The print scale for a printable area of pageWidth × pageHeight pixels: the whole page fitted
// when division lines show, else 95 % of the fit of the used area.
double PrintScale(const FragSet& set, int pageWidth, int pageHeight);

// Prints one page: refreshes visibility, then paints at PrintScale from the painter's origin.
void PrintDocumentPage(QPainter& painter, FragSet& set, RenderCache& cache, int pageWidth,
                       int pageHeight);

// ---- Overview map ----

// Document pixels to map pixels for a map client of the given size: the smaller of the two fits
// at 99 %, 0.1 instead of 0. None without a document or with an empty page.
std::optional<double> ComputeMapScale(const FragSet* set, int clientWidth, int clientHeight);

// The whole map: the page area in the page colour (2 pixels beyond the scaled page), the rest in
// the workspace colour, then the document, then the frame of the part the window shows
// (AreaFrame). Without a document only the workspace colour.
void PaintMap(QPainter& painter, const FragSet* set, RenderCache& cache, int clientWidth,
              int clientHeight);

}  // namespace qv
