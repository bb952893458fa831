// Reads the head of an HTML page for the property dialog: the declared character set, the title
// and the META name/content pairs, all converted to code page 932.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/content/name_value.h"

namespace qv {

// How much of a page without a head end tag is read at most; the data the dialog wants sits near
// the top of a page, and a huge file must not be pulled into memory whole.
inline constexpr std::size_t kMaxHtmlHeadBytes = 1024 * 1024;

// Clears `list`, then adds in this order: "charset" with the declared name (when the page
// declares one), "title" (when the page has a title element), and for every META tag with both a
// NAME and a CONTENT attribute, the name in lower case with the content, in document order.
// Returns false only when the file cannot be opened (the list stays empty).
bool ReadHtmlHead(const std::filesystem::path& path, NameValueList& list);

// The same for a page already in memory.
void ReadHtmlHeadFromBytes(std::string_view page, NameValueList& list);

// The value of `attribute` in the tag text `tag` (from "<" through ">") when the tag is named
// `tagName`; empty text otherwise. Names compare without regard to letter case; values may be
// double-quoted, single-quoted or bare.
std::string TagAttribute(std::string_view tag, std::string_view tagName,
                         std::string_view attribute);

}  // namespace qv
