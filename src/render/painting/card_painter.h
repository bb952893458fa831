// Drawing one card: on the document window (with the card's cached image), scaled for printing and
// image output, and as a small box on the overview map.
#pragma once

#include <QImage>
#include <QPoint>

#include "core/geom.h"

class QPainter;

namespace qv {

class EnvData;
class Fragment;
class RenderCache;
struct SharedPicture;

// A vector target that can keep a picture as its file's own bytes (an SVG file embeds the JPEG or
// PNG itself rather than pixels encoded again).
class PictureFileTarget {
  public:
    virtual ~PictureFileTarget() = default;
    // Draws the file behind `picture` stretched over `target` (painter coordinates, through the
    // painter's transform). False when it cannot; the pixels are drawn instead.
    virtual bool DrawPictureFile(QPainter& painter, const QRect& target,
                                 const SharedPicture& picture) = 0;
};

// Paints a visible card at its ScreenRect (client coordinates) as the document window shows it:
// selection colours, link mark, outline. Text, name-plate and symbol cards are drawn from their
// cached image, rebuilt when the card's Revision moved on; the image is kept only while
// FrgFastDraw is on, else an image of the card's visible part is made for this paint only. Picture
// cards are drawn straight, never cached. `clientRect` is the visible client area: a card outside
// it loses its cached image and is not drawn.
void DrawCard(QPainter& painter, const Fragment& fragment, const EnvData& env, RenderCache& cache,
              const Rect& clientRect);
// The same, painting only `visible` (client coordinates, within the card and the client area): the
// part not hidden under cards painted later.
void DrawCard(QPainter& painter, const Fragment& fragment, const EnvData& env, RenderCache& cache,
              const Rect& clientRect, const Rect& visible);

// Character height in screen pixels below which a zoomed card's text cannot be read: such cards
// show grey bars where their lines are.
inline constexpr int kReadableTextPixels = 6;
// The bars' grey, a little cool so it never passes for text.
inline constexpr QRgb kTextBarColor = 0xFFA8A8B4;

// Paints a visible card for a document window zoomed to `zoom` (any factor but 1, which DrawCard
// serves from its images): the painter is already scaled, so `visible` and the card are in client
// coordinates. Text is drawn from the font, never from a scaled image, so it is sharp at any
// factor: above 100 % through the painter's scale; below it the card is made at its size on the
// screen with the font at that size (as fast as at 100 %, where many cards show). Text too small
// to read becomes grey bars; pictures shown smaller than their size come from reduced copies the
// cache keeps. Never uses or makes a cached card image.
void DrawZoomedCard(QPainter& painter, const Fragment& fragment, const EnvData& env,
                    RenderCache& cache, const Rect& visible, double zoom);

// How DrawScaled draws.
struct ScaledDraw {
    double Scale = 1;         // document pixels to target pixels
    bool Monochrome = false;  // black text and outlines on white cards
    // Paper and vector files: text always as text through the painter, pictures from their files
    // at full size. Otherwise text is blended straight into an image target.
    bool Vector = false;
    // The target pixel of the scaled page drawn at the painter's (0, 0): a band of an image.
    QPoint Origin;
    // Vector targets that take pictures as files; null: pictures are drawn as pixels.
    PictureFileTarget* Files = nullptr;
};

// Draws a visible card at how.Scale in document coordinates times scale (printing, image output,
// vector files), straight, never from a cached card image: the card's own colours (never selection
// colours), or black on white when Monochrome. Pictures are stretched; a picture card without
// picture draws nothing.
void DrawScaled(QPainter& painter, const Fragment& fragment, const EnvData& env, RenderCache& cache,
                const ScaledDraw& how);

// A picture shown transparent: the colour of its bottom-left pixel left out when it has no
// transparency of its own (as transparent bitmaps have always been), else itself.
QImage MaskedPicture(const QImage& picture);

// The overview map's box of a measured, visible card: its document rectangle times `scale`, at
// least 3 × 3 pixels, filled with the card's background (selection background when selected) and
// outlined; pictures are drawn instead when MapViewImage is on.
void DrawMiniature(QPainter& painter, const Fragment& fragment, const EnvData& env, double scale);

// The miniature's rectangle (exclusive right and bottom), for hit tests and tests.
Rect MiniatureRect(const Fragment& fragment, double scale);

// floor(v + 0.5): the half-up rounding of scaled coordinates.
int RoundHalfUp(double v);

}  // namespace qv
