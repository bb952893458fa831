// An SVG file as a paint device: whatever is painted on it through QPainter comes out as SVG
// elements in painting order — shapes as paths, rectangles and lines, text as <text> in its font,
// images as PNG data. As a PictureFileTarget it embeds picture cards with their files' own bytes
// (a JPEG stays that JPEG), each file once however many cards show it, which Qt's own SVG
// generator cannot: it encodes every image again, for every card.
#pragma once

#include <QPaintDevice>
#include <QSize>
#include <functional>
#include <memory>
#include <string_view>

#include "render/painting/card_painter.h"

namespace qv {

class SvgPaintEngine;

class SvgPaintDevice final : public QPaintDevice, public PictureFileTarget {
  public:
    // An SVG of `size` pixels (the viewBox too); the text goes to `sink` in pieces as it is made,
    // which returns false when it could not take one (nothing more is sent then).
    SvgPaintDevice(QSize size, std::function<bool(std::string_view)> sink);
    ~SvgPaintDevice() override;
    SvgPaintDevice(const SvgPaintDevice&) = delete;
    SvgPaintDevice& operator=(const SvgPaintDevice&) = delete;

    QPaintEngine* paintEngine() const override;

    // Embeds the file of `picture` when it is a JPEG, PNG, GIF or BMP file that has not changed
    // since it was decoded.
    bool DrawPictureFile(QPainter& painter, const QRect& target,
                         const SharedPicture& picture) override;

    // Whether everything painted so far (and the closing tag, once the painter ended) reached the
    // sink.
    bool Ok() const;

  protected:
    int metric(PaintDeviceMetric metric) const override;

  private:
    QSize size_;
    std::unique_ptr<SvgPaintEngine> engine_;
};

// The media type of an image file by its first bytes ("image/jpeg", "image/png", "image/gif",
// "image/bmp"); empty for anything else.
std::string_view ImageMediaType(std::string_view bytes);

}  // namespace qv
