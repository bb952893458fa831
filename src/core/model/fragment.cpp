#include "core/model/fragment.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "core/settings/env_data.h"

namespace qv {

std::uint64_t Fragment::NextRevision() {
    // One counter for the whole program: a cache keyed by a card's address must not mistake a new
    // card for a destroyed one that lived there.
    static std::atomic<std::uint64_t> counter{0};
    return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

PixelSize ScaledPictureSize(PixelSize natural, int numerator, int denominator) {
    if (numerator < 1 || denominator < 1) numerator = denominator = 1;
    auto scale = [&](int v) {
        if (v <= 0) return 0;
        std::int64_t s = v;
        if (numerator != denominator) s = s * numerator / denominator;
        return static_cast<int>(std::clamp<std::int64_t>(s, 1, kMaxPictureSide));
    };
    return PixelSize{scale(natural.Width), scale(natural.Height)};
}

int FontHeightOf(const EnvData& env, FragmentKind kind) {
    switch (kind) {
        case FragmentKind::NamePlate:
            return std::abs(env.NamePlateFont.PixelHeight());
        case FragmentKind::Symbol:
            return std::abs(env.SymbolFont.PixelHeight());
        default:
            return std::abs(env.FragmentFont.PixelHeight());
    }
}

namespace {

// Card sizes are kept within what int pixel arithmetic and the page can take, whatever a file or
// a setting says.
constexpr std::int64_t kMaxCardSide = 1 << 20;

int ClampSide(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, 0, kMaxCardSide));
}

}  // namespace

Fragment::Fragment(const EnvData& env, const DocContext* owner)
    : ColFG(env.Colors.DefFrgFG), ColBG(env.Colors.DefFrgBG), owner_(owner) {
    Right = Left;
    Bottom = Top;
    StartRect = DocRect();
}

PixelSize Fragment::MeasuredSize() const {
    if (!owner_) return PixelSize{Width(), Height()};
    const EnvData& env = owner_->env;
    const std::int64_t h = FontHeightOf(env, Kind);
    switch (Kind) {
        case FragmentKind::Symbol: {
            const std::int64_t w = owner_->metrics.TextWidth(Kind, Text);
            return PixelSize{ClampSide(w + 4), ClampSide(h + 2 + 4)};
        }
        case FragmentKind::Image:
            if (Cache) return PixelSize{Cache->Width, Cache->Height};
            return PixelSize{kMissingPictureSide, kMissingPictureSide};
        default:
            return PixelSize{ClampSide(h * Columns + 4), ClampSide(Lines * (h + 2) + 4)};
    }
}

void Fragment::UpdateScreenRect() {
    if (!owner_) return;
    const DocumentView& view = owner_->view;
    ScreenRect = DocRect().Translated(-view.ScrollPosition(ScrollAxis::Horizontal),
                                      -view.ScrollPosition(ScrollAxis::Vertical));
}

void Fragment::Measure() {
    if (!owner_) return;
    // A corrupt file can place a card anywhere an int reaches; keep it where pixel arithmetic
    // (moves, unions, scroll ranges) cannot overflow.
    Left = std::clamp(Left, -kMaxCoordinate, kMaxCoordinate);
    Top = std::clamp(Top, -kMaxCoordinate, kMaxCoordinate);
    const PixelSize size = MeasuredSize();
    Right = Left + size.Width;
    Bottom = Top + size.Height;
    UpdateScreenRect();
    Measured = true;
}

void Fragment::MeasureAndDraw() {
    if (!owner_) return;
    const Rect old = ScreenRect;
    const bool wasMeasured = Measured;
    Measure();
    if (!Visible) return;
    if (wasMeasured && !Erased && old != ScreenRect) owner_->view.Invalidate(old);
    owner_->view.Invalidate(ScreenRect);
    Erased = false;
}

void Fragment::Redraw() const {
    if (owner_ && Visible && Measured) owner_->view.Invalidate(ScreenRect);
}

void Fragment::EraseFragment() {
    if (!owner_ || Erased) return;
    UpdateScreenRect();
    owner_->view.Invalidate(ScreenRect);
    Erased = true;
}

void Fragment::SetSelected(bool selected) {
    if (Selected == selected) return;
    Selected = selected;
    MarkStale();
}

void Fragment::LoadPicture() {
    if (Kind != FragmentKind::Image || !owner_) return;
    Cache.reset();
    std::optional<Picture> pic = owner_->pictures.Load(Link, Columns, Lines);
    // A picture without pixels (an icon file without icon) would make a card nobody can see or
    // click; it is shown as the placeholder instead.
    if (pic && pic->Width > 0 && pic->Height > 0) Cache = std::move(pic);
    MarkStale();
}

void Fragment::CopyFields(const Fragment& source) {
    Text = source.Text;
    Group = source.Group;
    Kind = source.Kind;
    Left = source.Left;
    Top = source.Top;
    Right = source.Right;
    Bottom = source.Bottom;
    Columns = source.Columns;
    Lines = source.Lines;
    ColFG = source.ColFG;
    ColBG = source.ColBG;
    Link = source.Link;
    Visible = source.Visible;
    MarkStale();
}

}  // namespace qv
