// The model's picture port, served by LoadPicture: cards get their pictures through the image
// plug-ins currently in force.
#pragma once

#include <QImage>
#include <optional>
#include <string>

#include "core/model/ports.h"

namespace qv {

class SpiUnit;

class FilePictureLoader final : public PictureLoader {
  public:
    // `plugins` may be null (no plug-ins) and must outlive its use here; see SetPlugins.
    explicit FilePictureLoader(const SpiUnit* plugins = nullptr) : plugins_(plugins) {}

    // The plug-in manager is rebuilt when the plug-in folder changes; the owner hands the new one
    // over (or null) before the old one is destroyed.
    void SetPlugins(const SpiUnit* plugins) { plugins_ = plugins; }
    const SpiUnit* Plugins() const { return plugins_; }

    // The picture scaled by the card's ratio; Picture::Image holds a const QImage of exactly
    // Width x Height pixels.
    std::optional<Picture> Load(const std::string& path, int numerator, int denominator) override;

  private:
    const SpiUnit* plugins_;
};

// The image inside a picture made by FilePictureLoader (or by MakePicture); null when it holds
// none.
const QImage* PictureImage(const Picture& picture);

// Wraps an image as a Picture of its own size (for pictures made in memory, and tests).
Picture MakePicture(QImage image);

}  // namespace qv
