// What painting a document keeps between paints: each card's text layout and, with FrgFastDraw,
// its image; the card fonts, the link mark and link icons, and transparent versions of pictures.
// One per document window; the map viewer, printing and image output may share it or use their
// own.
//
// Cards are keyed by their fragment. A card's image is made again when the fragment's Revision is
// not the one it was made from, when its size changed, or when settings that change the look of
// cards changed; its text layout when its text, the layout or the font changed. What is kept of
// cards that a full paint no longer reached (scrolled out, hidden, deleted) is dropped after that
// paint, so memory follows what is on screen.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/color.h"
#include "core/settings/env_data.h"
#include "render/pictures/picture_cache.h"
#include "render/text/text_face.h"
#include "render/text/text_layout.h"

namespace qv {

class Fragment;
class SpiUnit;

class RenderCache {
  public:
    RenderCache();
    ~RenderCache();
    RenderCache(const RenderCache&) = delete;
    RenderCache& operator=(const RenderCache&) = delete;

    // Forgets what it keeps of every card (fonts and marks are kept).
    void Clear();
    // Cards kept as images.
    int CachedCardCount() const;
    bool HasCard(const Fragment* fragment) const;
    // Cards whose text layout is kept.
    int LaidOutCardCount() const;

    CardFonts& Fonts() { return fonts_; }

    // Where paper and vector targets get pictures at full size: the program's picture cache
    // unless told otherwise, and the image plug-ins in force (null: none).
    void SetPictureSource(PictureCache* pictures, const SpiUnit* plugins) {
        pictures_ = pictures ? pictures : &DefaultPictureCache();
        plugins_ = plugins;
    }
    PictureCache& Pictures() const { return *pictures_; }
    const SpiUnit* Plugins() const { return plugins_; }

    // ---- Used by the painters ----

    // Drops every card image when `env` changed anything a card image shows (text layouts know
    // their face and layout and stay until they no longer fit).
    void FollowSettings(const EnvData& env);
    // The cached image of a card made from its look `revision`, or null.
    const QImage* Card(const Fragment* fragment, std::uint64_t revision);
    // Stores a card's image made from its look `revision`; it counts as reached by the current
    // paint.
    void StoreCard(const Fragment* fragment, std::uint64_t revision, QImage image);
    // Forgets everything kept of a card.
    void DropCard(const Fragment* fragment);
    // Forgets a card's image only.
    void DropCardImage(const Fragment* fragment);
    // The text of a card laid out with `params` in `face`: kept from an earlier paint when the
    // text, face and layout are what it was made from (a new selection or colour leaves the
    // layout as it was), else laid out now and kept. It counts as reached by the current paint.
    const LaidText& CardText(const Fragment* fragment, std::string_view text, TextFace& face,
                             const TextLayoutParams& params);
    // Starts a paint; with EndFullPaint, entries the paint did not reach are dropped.
    void BeginPaint() { ++generation_; }
    void EndFullPaint();

    // The link mark, inverted while it is pressed.
    const QImage& LinkMark(bool pressed);
    // The icon of a linked file, inverted while pressed.
    const QImage& LinkIcon(const std::string& cp932Path, bool pressed);
    // A picture whose colour of its bottom-left pixel becomes transparent (opaque pictures) or
    // the picture itself (pictures with transparency), for pictures shown transparent.
    const QImage& TransparentPicture(const QImage& picture);
    // `picture` reduced to `size` (smoothly, once), for a zoomed window that shows it smaller;
    // kept while full paints reach it.
    const QImage& ReducedPicture(const QImage& picture, QSize size);

  private:
    struct KeptText {
        std::string Text;
        std::uint64_t Face = 0;  // its serial
        TextLayoutParams Params;  // its Marker viewing Marker below
        std::string Marker;
        LaidText Laid;
    };
    struct CardEntry {
        const Fragment* Key = nullptr;  // null once dropped
        QImage Image;
        std::uint64_t Generation = 0;
        std::uint64_t Revision = 0;
        std::unique_ptr<KeptText> Text;
    };
    // The entry of a card, or -1.
    int Find(const Fragment* fragment) const;
    // The entry of a card, made when there is none; it counts as reached by the current paint.
    CardEntry& Entry(const Fragment* fragment);
    // Rebuilds the hash table over the live entries, dropping the others.
    void Rehash();
    // What of the settings shows on a card image.
    struct CardLook {
        EnvData::ColorSettings Colors;
        FontSpec Fonts[3];
        bool LinkMark = false;
        bool LinkIsIcon = false;
        bool AcceptCr = false;
        std::string CrString;
        bool operator==(const CardLook&) const = default;
    };

    // Card images in one array, found through an open-addressing table of entry indexes (-1 for
    // a free slot): painting looks up every card on screen, so a lookup is one probe or two.
    std::vector<CardEntry> cards_;
    std::vector<int> table_;
    std::uint64_t generation_ = 0;
    CardLook look_;
    bool haveLook_ = false;
    CardFonts fonts_;
    QImage linkMark_[2];
    std::unordered_map<std::string, QImage> icons_[2];
    struct MaskedEntry {
        QImage Image;
        std::uint64_t Generation = 0;
    };
    std::unordered_map<qint64, MaskedEntry> masked_;
    struct ReducedKey {
        qint64 Picture = 0;
        int Width = 0;
        int Height = 0;
        bool operator==(const ReducedKey&) const = default;
    };
    struct ReducedHash {
        std::size_t operator()(const ReducedKey& k) const {
            return std::hash<qint64>()(k.Picture) ^ (std::hash<int>()(k.Width) * 31) ^
                   (std::hash<int>()(k.Height) * 131);
        }
    };
    std::unordered_map<ReducedKey, MaskedEntry, ReducedHash> reduced_;
    PictureCache* pictures_;
    const SpiUnit* plugins_ = nullptr;
};

}  // namespace qv
