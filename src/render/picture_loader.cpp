#include "render/picture_loader.h"

#include <memory>
#include <utility>

#include "render/picture.h"

namespace qv {

std::optional<Picture> FilePictureLoader::Load(const std::string& path, int numerator,
                                               int denominator) {
    std::optional<QImage> image = LoadPicture(path, plugins_, numerator, denominator);
    if (!image) return std::nullopt;
    return MakePicture(std::move(*image));
}

const QImage* PictureImage(const Picture& picture) {
    return static_cast<const QImage*>(picture.Image.get());
}

Picture MakePicture(QImage image) {
    Picture picture;
    picture.Width = image.width();
    picture.Height = image.height();
    picture.Image = std::make_shared<const QImage>(std::move(image));
    return picture;
}

}  // namespace qv
