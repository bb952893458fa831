// A document as a Markdown outline (".md"): a "## " heading per group, its cards as list items,
// the cards without a group last, then the group lines. What a card says comes through as text a
// Markdown reader shows as written: nothing in it can start a heading, a list or raw HTML.
// docs/export.md lists what maps to what.
#pragma once

#include <string>
#include <string_view>

namespace qv {

class FragSet;

// The heading of the cards without a group, last in the outline.
inline constexpr std::string_view kOutlineNoGroup = "グループなし";
// The heading of the list of group lines, after every group.
inline constexpr std::string_view kOutlineGroupLines = "グループ関係線";

// The outline of `set` as UTF-8 without a byte-order mark. Only what the page shows is written
// (hidden groups are left out); the set's visibility must be current. Groups and their cards come
// in reading order, the order gathering piles cards in.
std::string MarkdownOutlineText(const FragSet& set);

// `text` (UTF-8) as inline Markdown that shows exactly `text`: punctuation Markdown acts on is
// escaped with a backslash, also a "#", "-", "+", "=", "1." and the like at the start of a line,
// and leading spaces (which would make code) are dropped. Line ends are left as they are.
std::string MarkdownEscape(std::string_view text);

// A link target (UTF-8) as a Markdown link destination that cannot end the link early, start raw
// HTML or name a script: spaces, brackets, quotes and control characters are percent-encoded, and
// a path whose first part looks like a scheme ("javascript:") is made relative ("./javascript:").
std::string MarkdownDestination(std::string_view target);

}  // namespace qv
