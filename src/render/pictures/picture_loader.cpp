#include "render/pictures/picture_loader.h"

#include <memory>
#include <utility>

#include "core/text/cp932.h"

namespace qv {

std::optional<Picture> FilePictureLoader::Load(const std::string& path, int numerator,
                                               int denominator) {
    PictureCache::Result r =
        cache_->Load(path, Cp932ToUtf8(path), plugins_, numerator, denominator);
    if (!r.Picture) {
        failures_[path] = Failure{r.Status, r.Problem, r.Why};
        return std::nullopt;
    }
    failures_.erase(path);
    Picture picture;
    picture.Width = r.Picture->Image.width();
    picture.Height = r.Picture->Image.height();
    picture.Image = std::move(r.Picture);
    return picture;
}

PictureStatus FilePictureLoader::StatusOf(const std::string& path) const {
    auto it = failures_.find(path);
    return it == failures_.end() ? PictureStatus::Loaded : it->second.Status;
}

FileProblem FilePictureLoader::ProblemOf(const std::string& path) const {
    auto it = failures_.find(path);
    return it == failures_.end() ? FileProblem::None : it->second.Problem;
}

std::string FilePictureLoader::WhyOf(const std::string& path) const {
    auto it = failures_.find(path);
    return it == failures_.end() ? std::string() : it->second.Why;
}

const SharedPicture* PictureSource(const Picture& picture) {
    return static_cast<const SharedPicture*>(picture.Image.get());
}

const QImage* PictureImage(const Picture& picture) {
    const SharedPicture* source = PictureSource(picture);
    return source ? &source->Image : nullptr;
}

Picture MakePicture(QImage image) {
    Picture picture;
    picture.Width = image.width();
    picture.Height = image.height();
    auto shared = std::make_shared<SharedPicture>();
    shared->Image = std::move(image);
    shared->FullSize = true;
    picture.Image = std::move(shared);
    return picture;
}

}  // namespace qv
