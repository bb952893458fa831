// Fragment (断片): one card of a document — a short text or a picture at a position on the page,
// with its group, size, colours and link.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/color.h"
#include "core/geom.h"
#include "core/model/ports.h"

namespace qv {

class EnvData;

// Group numbers: 0 is no group (無所属), 1..100 are groups.
inline constexpr int kNoGroup = 0;
inline constexpr int kMaxGroup = 100;
inline constexpr int kGroupRows = kMaxGroup + 1;

// Size of the link mark in the bottom-right corner of a card, and of a card without picture.
inline constexpr int kLinkMarkSize = 16;
inline constexpr int kMissingPictureSide = 48;

// Measuring keeps Left and Top within ±kMaxCoordinate.
inline constexpr int kMaxCoordinate = 1 << 28;

// The pixel height of the font cards of `kind` are drawn in, by which their sizes are counted.
int FontHeightOf(const EnvData& env, FragmentKind kind);

class Fragment {
  public:
    // A fragment of a document has that document's context as owner; a copy in the cut buffer has
    // none and is never measured or drawn. Fields take the creation defaults (colours from `env`).
    Fragment(const EnvData& env, const DocContext* owner);

    Fragment(const Fragment&) = delete;
    Fragment& operator=(const Fragment&) = delete;

    const DocContext* Owner() const { return owner_; }

    // ---- Data ----
    std::string Text;  // code page 932; a line break is held as the LineBreakMarker
    std::string Link;  // file path; for an Image the picture file
    int Group = 1;
    FragmentKind Kind = FragmentKind::Text;
    int Left = 2;
    int Top = 2;
    int Right = 2;    // exclusive; derived by Measure from Left and the size rule
    int Bottom = 2;   // exclusive
    int Columns = 4;  // Image: scale numerator
    int Lines = 1;    // Image: scale denominator
    Color ColFG = 0;
    Color ColBG = 0;
    int ZOrder = 0;

    // ---- State ----
    bool Selected = false;  // change through SetSelected so that the card is rebuilt
    bool Visible = false;
    bool Marked = false;
    bool LinkPressed = false;
    bool Measured = false;
    // The appearance's revision: creation and every change of text, size, colours, kind,
    // selection, marking or link press give the card a new one. Every view that caches an image of
    // the card keeps the revision it was made from and rebuilds when they differ, so the window,
    // the map and any later view cache the same document without clearing each other's work.
    // Numbers are never reused, not even by another card at the same address.
    std::uint64_t Revision = NextRevision();
    bool Erased = false;
    Rect ScreenRect;  // document rectangle minus the owner's scroll positions
    Rect StartRect;   // rectangle when stretching began (FragSet::TakeStretchBase)

    // The picture of an Image fragment, shown at Cache->Width × Cache->Height; none when there is
    // no picture (the card then measures kMissingPictureSide square).
    std::optional<Picture> Cache;

    // ---- Geometry ----
    Rect DocRect() const { return Rect{Left, Top, Right, Bottom}; }
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool HasPicture() const { return Cache.has_value(); }

    // The size rule: width and height of the card in pixels for its kind, text and size fields.
    // Text and NamePlate: h × Columns + 4 by Lines × (h + 2) + 4 with h the kind's font height;
    // Symbol: its whole text's width + 4 by h + 6; Image: the picture's size or 48 × 48.
    // Needs the owner for the fonts (a fragment without owner gives its current size).
    PixelSize MeasuredSize() const;

    // Recomputes Right, Bottom and ScreenRect by the size rule and sets Measured. Nothing without
    // owner.
    void Measure();
    // ScreenRect from the current document rectangle and scroll positions (no size change).
    void UpdateScreenRect();

    // Measures and schedules a repaint of the old and new screen area when visible (the
    // retained-mode form of drawing the card). Clears Erased.
    void MeasureAndDraw();
    // Schedules a repaint of the card's current screen area (the card itself is unchanged).
    void Redraw() const;
    // Schedules a repaint of the card's screen area so that it disappears from where it was, and
    // sets Erased. Nothing when it has no owner or is already erased.
    void EraseFragment();

    // Sets Selected and marks the card stale when the value changes.
    void SetSelected(bool selected);
    // Marks every cached image of the card as outdated.
    void MarkStale() { Revision = NextRevision(); }
    // A revision number no card has had yet.
    static std::uint64_t NextRevision();

    // Loads the picture of an Image fragment from Link through the owner's picture loader, scaled
    // by Columns / Lines. Nothing for the other kinds or without owner.
    void LoadPicture();

    // Copies Text, Group, Kind, Left, Top, Right, Bottom, Columns, Lines, ColFG, ColBG, Link and
    // Visible (not ZOrder, selection, marking or picture), as the cut buffer does.
    void CopyFields(const Fragment& source);

  private:
    const DocContext* owner_;
};

}  // namespace qv
