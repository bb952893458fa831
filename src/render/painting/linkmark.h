// The small images drawn in the bottom-right corner of a card that has a link.
#pragma once

#include <QImage>
#include <string_view>

namespace qv {

// Side of the link mark and of link icons.
inline constexpr int kLinkMarkSide = 16;

// LINKMARK: a white tile with a blue arrow pointing out of it, 16 × 16, transparent outside the
// tile.
QImage MakeLinkMark();

// A plain document page, 16 × 16: the icon of a linked file when the icon theme has none for its
// type.
QImage MakeDocumentIcon();

// The icon of the linked file `cp932Path`, 16 × 16: the icon theme's icon for the file's type
// (found by its name only, so painting never touches the disk), else MakeDocumentIcon().
QImage LinkIconFor(std::string_view cp932Path);

}  // namespace qv
