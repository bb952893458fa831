// The model's picture port, served by the shared picture cache: cards get their pictures through
// the image plug-ins currently in force, and cards that link one file share one decoded picture.
#pragma once

#include <QImage>
#include <map>
#include <optional>
#include <string>

#include "core/model/ports.h"
#include "render/pictures/picture_cache.h"

namespace qv {

class SpiUnit;

class FilePictureLoader final : public PictureLoader {
  public:
    // `plugins` may be null (no plug-ins) and must outlive its use here; see SetPlugins. `cache`
    // (the program's one when null) must outlive the loader.
    explicit FilePictureLoader(const SpiUnit* plugins = nullptr, PictureCache* cache = nullptr)
        : plugins_(plugins), cache_(cache ? cache : &DefaultPictureCache()) {}

    // The plug-in manager is rebuilt when the plug-in folder changes; the owner hands the new one
    // over (or null) before the old one is destroyed.
    void SetPlugins(const SpiUnit* plugins) { plugins_ = plugins; }
    const SpiUnit* Plugins() const { return plugins_; }
    PictureCache& Cache() const { return *cache_; }

    // The picture scaled by the card's ratio; Picture::Image holds a SharedPicture whose image is
    // exactly Width x Height pixels.
    std::optional<Picture> Load(const std::string& path, int numerator, int denominator) override;
    // Why the last Load of `path` gave no picture (Loaded after a success or before any).
    PictureStatus StatusOf(const std::string& path) const;
    // When that was because the file is no regular file or could not be opened: the problem and
    // its reason in English ("it is a FIFO, not a regular file"); None and empty otherwise.
    FileProblem ProblemOf(const std::string& path) const;
    std::string WhyOf(const std::string& path) const;

  private:
    struct Failure {
        PictureStatus Status = PictureStatus::Loaded;
        FileProblem Problem = FileProblem::None;
        std::string Why;
    };
    const SpiUnit* plugins_;
    PictureCache* cache_;
    std::map<std::string, Failure> failures_;
};

// The image inside a picture made by FilePictureLoader (or by MakePicture); null when it holds
// none.
const QImage* PictureImage(const Picture& picture);
// The shared picture behind it, with its file's name; null when it holds none.
const SharedPicture* PictureSource(const Picture& picture);

// Wraps an image as a Picture of its own size (for pictures made in memory, and tests).
Picture MakePicture(QImage image);

}  // namespace qv
