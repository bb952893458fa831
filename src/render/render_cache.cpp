#include "render/render_cache.h"

#include <utility>

#include "render/linkmark.h"

namespace qv {

namespace {

// Link icons kept per state; a document rarely links more kinds of file than this.
constexpr std::size_t kMaxIcons = 256;

QImage Inverted(QImage image) {
    image.invertPixels(QImage::InvertRgb);
    return image;
}

}  // namespace

RenderCache::RenderCache() = default;
RenderCache::~RenderCache() = default;

void RenderCache::Clear() {
    cards_.clear();
}

void RenderCache::FollowSettings(const EnvData& env) {
    CardLook look{env.Colors,    {env.FragmentFont, env.NamePlateFont, env.SymbolFont},
                  env.LinkMark,  env.LinkIsIcon,
                  env.Accept_CR, env.CR_String};
    if (haveLook_ && look == look_) return;
    look_ = std::move(look);
    haveLook_ = true;
    cards_.clear();
}

const QImage* RenderCache::Card(const Fragment* fragment) {
    auto it = cards_.find(fragment);
    if (it == cards_.end()) return nullptr;
    it->second.Generation = generation_;
    return &it->second.Image;
}

void RenderCache::StoreCard(const Fragment* fragment, QImage image) {
    cards_[fragment] = CardEntry{std::move(image), generation_};
}

void RenderCache::DropCard(const Fragment* fragment) {
    cards_.erase(fragment);
}

void RenderCache::EndFullPaint() {
    std::erase_if(cards_, [&](const auto& e) { return e.second.Generation != generation_; });
    std::erase_if(masked_, [&](const auto& e) { return e.second.Generation != generation_; });
}

const QImage& RenderCache::LinkMark(bool pressed) {
    QImage& mark = linkMark_[pressed ? 1 : 0];
    if (mark.isNull()) mark = pressed ? Inverted(MakeLinkMark()) : MakeLinkMark();
    return mark;
}

const QImage& RenderCache::LinkIcon(const std::string& cp932Path, bool pressed) {
    auto& icons = icons_[pressed ? 1 : 0];
    auto it = icons.find(cp932Path);
    if (it != icons.end()) return it->second;
    if (icons.size() >= kMaxIcons) icons.clear();
    QImage icon = LinkIconFor(cp932Path);
    if (pressed) icon = Inverted(std::move(icon));
    return icons.emplace(cp932Path, std::move(icon)).first->second;
}

const QImage& RenderCache::TransparentPicture(const QImage& picture) {
    if (picture.hasAlphaChannel() || picture.isNull()) return picture;
    auto it = masked_.find(picture.cacheKey());
    if (it != masked_.end()) {
        it->second.Generation = generation_;
        return it->second.Image;
    }
    // A picture without transparency of its own is shown with the colour of its bottom-left pixel
    // left out, as transparent bitmaps have always been.
    QImage masked = picture.convertToFormat(QImage::Format_ARGB32);
    if (masked.isNull()) return picture;
    const QRgb key = masked.pixel(0, masked.height() - 1) & RGB_MASK;
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            if ((line[x] & RGB_MASK) == key) line[x] = 0;
        }
    }
    masked = masked.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return masked_.emplace(picture.cacheKey(), MaskedPicture{std::move(masked), generation_})
        .first->second.Image;
}

}  // namespace qv
