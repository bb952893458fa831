// Painting a whole document, or a part of it, in the model's order: division lines, cards (on the
// window: unselected ones, then the selected ones), group frames, group lines. The document
// window, the overview map, printing, vector files, image output and the command-line tool all
// paint through PaintDocument, described by a RenderTarget; nothing else walks the document to
// draw it.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/model/fragment.h"

class QPainter;

namespace qv {

class FragSet;
class PictureFileTarget;
class RenderCache;

// The kinds of surface a document is painted on.
enum class TargetKind {
    // The document window at its scroll position: client coordinates, selection colours, cards
    // from their cached images (selected ones last), frames as rounded outlines, the lines shown
    // on the window now.
    Window,
    // An image (image output, the command-line tool): document coordinates times the scale, the
    // cards' own colours, every visible card in list order drawn straight, frames and lines of
    // shown groups; text is blended straight into the image.
    Page,
    // The overview map: cards as small boxes, thin lines (those shown on the window).
    Map,
    // A printer: as Page, but text is always drawn as text and pictures come from their files at
    // full size, so paper is sharp at any resolution.
    Print,
    // A vector file (PDF, SVG): as Print.
    Vector,
};

enum class ColorMode {
    Screen,      // the colours of the settings and the cards
    Monochrome,  // black text, outlines, frames and lines on white cards
};

// What to paint on, and how.
struct RenderTarget {
    TargetKind Kind = TargetKind::Window;
    // Document pixels to target pixels (the window: its zoom; the page, frames and lines scale
    // through the painter, cards are drawn for the zoom).
    double Scale = 1;
    // The target pixel of the scaled page that lands at the painter's origin (a band of an image
    // starts at 0, its first row). The window's origin is its scroll position.
    QPoint Origin;
    ColorMode Colors = ColorMode::Screen;
    // Groups that count besides being shown (index = group number); null: every shown group.
    const std::array<bool, kGroupRows>* Groups = nullptr;
    // Painter pixels to paint; empty for everything. The window clips to it; the other targets
    // leave out what cannot reach it.
    QRegion Region;
    // Vector: a target that keeps pictures as their files (null: pixels).
    PictureFileTarget* PictureFiles = nullptr;
    // Page, Print, Vector: told the share of the cards painted so far (0 … 1) before each card;
    // when it returns false nothing more is painted.
    std::function<bool(double done)> Progress;
};

// How far a long output is (0 … 1). Returning false stops it: the output then fails with
// kOutputCancelled as its reason and leaves no file.
using OutputProgress = std::function<bool(double done)>;
inline constexpr const char* kOutputCancelled = "cancelled";

// Paints `target` on `painter` in the model's order (FragSet::PaintOrder): division lines, cards,
// group frames, group lines. The window fills its region with the page colour first; the other
// targets paint over what the caller prepared (see RenderDocumentBand and PaintMap).
void PaintDocument(QPainter& painter, const FragSet& set, RenderCache& cache,
                   const RenderTarget& target);

// The window's paint of `region` (widget pixels; empty = everything) at `zoom`: a widget pixel p
// shows client point p / zoom (the model's client coordinates are document units). At 1 cards
// come from their cached images; otherwise they are drawn for the zoom (DrawZoomedCard).
void PaintDocumentWindow(QPainter& painter, const FragSet& set, RenderCache& cache,
                         const QRegion& region = QRegion(), double zoom = 1);

// ---- Image output ----

// The most pixels RenderDocumentImage puts in one bitmap; files are written in bands instead
// (render/formats/document_export.h).
inline constexpr long long kMaxImagePixels = 200LL * 1000 * 1000;

// Size of the document image: the whole page when division lines show, otherwise the used area
// grown by 5 % (floor) with the page origin kept at the top-left.
QSize DocumentImageSize(const FragSet& set);

// Paints the rows [top, top + band.height()) of the document image into `band` (its width is the
// image's): page colour, division lines, cards at full size, frames, lines. Bands painted one
// after another give exactly the whole image.
void RenderDocumentBand(const FragSet& set, RenderCache& cache, QImage& band, int top);

// Paints the image of `size` band by band (Format_RGB32, about `bandBytes` each), top to bottom
// (bottom to top when `bottomUp`), handing each band, its row count and its first row to `take`;
// stops when `take` returns false. False when a band could not be allocated or `take` stopped.
// Memory stays one band whatever the page.
bool ForEachDocumentBand(const FragSet& set, RenderCache& cache, QSize size, std::int64_t bandBytes,
                         const std::function<bool(const QImage& band, int rows, int top)>& take,
                         bool bottomUp = false);

// The whole document image in one bitmap (Format_RGB32). None above kMaxImagePixels or when
// memory runs out.
std::optional<QImage> RenderDocumentImage(const FragSet& set, RenderCache& cache);

// ---- Printing ----

// The print scale for a printable area of pageWidth × pageHeight pixels: the whole page fitted
// when division lines show, else 95 % of the fit of the used area.
double PrintScale(const FragSet& set, int pageWidth, int pageHeight);

// Prints one page: refreshes visibility, then paints at PrintScale from the painter's origin, in
// black and white when PrintMonochrome is on. Works on any paint device (QPrinter, QPdfWriter, an
// image for a preview). False when `progress` stopped it.
bool PrintDocumentPage(QPainter& painter, FragSet& set, RenderCache& cache, int pageWidth,
                       int pageHeight, const OutputProgress& progress = {});

// A vector file of the document (PDF, SVG): refreshes visibility, then paints the page at `scale`
// from the painter's origin, text as text and pictures at full size.
// `files`, when given, takes the pictures as their files' own bytes. False when `progress`
// stopped it.
bool PaintDocumentVector(QPainter& painter, FragSet& set, RenderCache& cache, double scale = 1,
                         ColorMode colors = ColorMode::Screen, PictureFileTarget* files = nullptr,
                         const OutputProgress& progress = {});

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
