#include "render/painting/render_cache.h"

#include <algorithm>
#include <utility>

#include "render/painting/card_painter.h"
#include "render/painting/linkmark.h"

namespace qv {

namespace {

// Link icons kept per state; a document rarely links more kinds of file than this.
constexpr std::size_t kMaxIcons = 256;

QImage Inverted(QImage image) {
    image.invertPixels(QImage::InvertRgb);
    return image;
}

}  // namespace

RenderCache::RenderCache() : pictures_(&DefaultPictureCache()) {}
RenderCache::~RenderCache() = default;

void RenderCache::Clear() {
    cards_.clear();
    table_.clear();
}

namespace {

std::size_t Slot(const Fragment* key, std::size_t mask) {
    const auto v = reinterpret_cast<std::uintptr_t>(key) >> 4;
    return static_cast<std::size_t>(v * 0x9E3779B97F4A7C15ULL >> 20) & mask;
}

}  // namespace

int RenderCache::Find(const Fragment* fragment) const {
    if (table_.empty() || !fragment) return -1;
    const std::size_t mask = table_.size() - 1;
    for (std::size_t s = Slot(fragment, mask);; s = (s + 1) & mask) {
        const int index = table_[s];
        if (index < 0) return -1;
        if (cards_[static_cast<std::size_t>(index)].Key == fragment) return index;
    }
}

int RenderCache::CachedCardCount() const {
    return static_cast<int>(std::count_if(cards_.begin(), cards_.end(), [](const CardEntry& e) {
        return e.Key && !e.Image.isNull();
    }));
}

bool RenderCache::HasCard(const Fragment* fragment) const {
    const int index = Find(fragment);
    return index >= 0 && !cards_[static_cast<std::size_t>(index)].Image.isNull();
}

int RenderCache::LaidOutCardCount() const {
    return static_cast<int>(std::count_if(cards_.begin(), cards_.end(), [](const CardEntry& e) {
        return e.Key && e.Text;
    }));
}

void RenderCache::Rehash() {
    std::erase_if(cards_, [](const CardEntry& e) { return e.Key == nullptr; });
    std::size_t size = 64;
    while (size < cards_.size() * 2 + 2)
        size *= 2;
    table_.assign(size, -1);
    const std::size_t mask = size - 1;
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        std::size_t s = Slot(cards_[i].Key, mask);
        while (table_[s] >= 0)
            s = (s + 1) & mask;
        table_[s] = static_cast<int>(i);
    }
}

void RenderCache::FollowSettings(const EnvData& env) {
    CardLook look{env.Colors,    {env.FragmentFont, env.NamePlateFont, env.SymbolFont},
                  env.LinkMark,  env.LinkIsIcon,
                  env.Accept_CR, env.CR_String};
    if (haveLook_ && look == look_) return;
    look_ = std::move(look);
    haveLook_ = true;
    for (CardEntry& e : cards_)
        e.Image = QImage();
}

const QImage* RenderCache::Card(const Fragment* fragment, std::uint64_t revision) {
    const int index = Find(fragment);
    if (index < 0) return nullptr;
    CardEntry& e = cards_[static_cast<std::size_t>(index)];
    e.Generation = generation_;
    return e.Revision == revision && !e.Image.isNull() ? &e.Image : nullptr;
}

RenderCache::CardEntry& RenderCache::Entry(const Fragment* fragment) {
    if (const int index = Find(fragment); index >= 0) {
        CardEntry& e = cards_[static_cast<std::size_t>(index)];
        e.Generation = generation_;
        return e;
    }
    cards_.push_back(CardEntry{fragment, QImage(), generation_, 0, nullptr});
    // Dropped entries count as taken until the next rehash, so the table never fills up.
    if (cards_.size() * 2 + 2 > table_.size()) {
        Rehash();
        return cards_.back();
    }
    const std::size_t mask = table_.size() - 1;
    std::size_t s = Slot(fragment, mask);
    while (table_[s] >= 0)
        s = (s + 1) & mask;
    table_[s] = static_cast<int>(cards_.size() - 1);
    return cards_.back();
}

void RenderCache::StoreCard(const Fragment* fragment, std::uint64_t revision, QImage image) {
    CardEntry& e = Entry(fragment);
    e.Image = std::move(image);
    e.Revision = revision;
}

void RenderCache::DropCard(const Fragment* fragment) {
    const int index = Find(fragment);
    if (index < 0) return;
    CardEntry& e = cards_[static_cast<std::size_t>(index)];
    e.Key = nullptr;
    e.Image = QImage();
    e.Text.reset();
}

void RenderCache::DropCardImage(const Fragment* fragment) {
    const int index = Find(fragment);
    if (index >= 0) cards_[static_cast<std::size_t>(index)].Image = QImage();
}

const LaidText& RenderCache::CardText(const Fragment* fragment, std::string_view text,
                                      TextFace& face, const TextLayoutParams& params) {
    CardEntry& e = Entry(fragment);
    if (const KeptText* k = e.Text.get();
        k && k->Text == text && k->Face == face.Serial() && k->Params == params)
        return k->Laid;
    auto kept = std::make_unique<KeptText>();
    kept->Text = std::string(text);
    kept->Face = face.Serial();
    kept->Marker = std::string(params.Marker);
    kept->Params = params;
    kept->Params.Marker = kept->Marker;
    kept->Laid = LayOutText(face, text, params);
    e.Text = std::move(kept);
    return e.Text->Laid;
}

void RenderCache::EndFullPaint() {
    bool dropped = false;
    for (CardEntry& e : cards_) {
        if (e.Key && e.Generation != generation_) {
            e.Key = nullptr;
            e.Image = QImage();
            e.Text.reset();
        }
        dropped |= e.Key == nullptr;
    }
    if (dropped) Rehash();
    std::erase_if(masked_, [&](const auto& e) { return e.second.Generation != generation_; });
    std::erase_if(reduced_, [&](const auto& e) { return e.second.Generation != generation_; });
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
    QImage masked = MaskedPicture(picture);
    if (masked.isNull()) return picture;
    return masked_.emplace(picture.cacheKey(), MaskedEntry{std::move(masked), generation_})
        .first->second.Image;
}

const QImage& RenderCache::ReducedPicture(const QImage& picture, QSize size) {
    const ReducedKey key{picture.cacheKey(), size.width(), size.height()};
    auto it = reduced_.find(key);
    if (it != reduced_.end()) {
        it->second.Generation = generation_;
        return it->second.Image;
    }
    QImage reduced = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (reduced.isNull()) return picture;
    return reduced_.emplace(key, MaskedEntry{std::move(reduced), generation_}).first->second.Image;
}

}  // namespace qv
