// A document as a JSON Canvas 1.0 file (".canvas"), the open format of infinite-canvas programs:
// cards become text, file or link nodes, groups become group nodes around their cards, group
// lines become edges between the group nodes. docs/export.md lists what maps to what.
#pragma once

#include <string>
#include <string_view>

#include "core/color.h"

namespace qv {

class FragSet;
class EnvData;
class Fragment;

// The canvas of `set` as UTF-8 JSON. The document must be laid out (frames and lines routed, as
// after RedrawAll) and its visibility current: what the page picture shows is what is written.
std::string JsonCanvasText(const FragSet& set);

// The path a card's link names in a canvas: UTF-8, folders separated by "/", relative when the
// link is. `link` is code page 932 as the card keeps it.
std::string CanvasFilePath(std::string_view link);

// A card's text in UTF-8: the line-break marker, where the settings honour it, becomes a newline.
std::string CardTextUtf8(const Fragment& f, const EnvData& env);

// "#RRGGBB" of a stored colour; empty for "no colour" and system colours.
std::string CanvasColor(Color color);

}  // namespace qv
