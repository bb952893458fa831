// The edge between a card's text (code page 932 bytes, line breaks held as the line-break marker)
// and the text the user edits (Unicode, line breaks as line feeds). The dialogs convert with these
// so that nothing the user typed is lost without notice.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// A card text holds at most this many bytes of code page 932.
inline constexpr std::size_t kMaxCardTextBytes = 800;

struct CardTextConversion {
    std::string Text;  // code page 932; characters that could not be held are missing
    // The characters code page 932 cannot hold, each once, in the order met (UTF-8).
    std::vector<std::string> Unheld;
    bool Complete() const { return Unheld.empty(); }
};

// The memo's text (UTF-8; "\n" or "\r\n" line ends) as a card text: every line break becomes
// `marker`.
CardTextConversion MemoToCardText(std::string_view utf8, std::string_view marker);

// A card text as the memo shows it: every `marker` becomes "\n".
std::string CardTextToMemo(std::string_view cp932, std::string_view marker);

// Bytes the UTF-8 text takes in code page 932 (a line feed counts as CR LF, as the card keeps it;
// a character the code page cannot hold counts as two bytes).
std::size_t Cp932Length(std::string_view utf8);

// The memo changed from `before` to `after` (UTF-8). When `after` takes more than `limit` bytes of
// code page 932 and `before` did not, the inserted characters are cut from their end, whole
// characters only, until the text fits, as a length-limited edit field does. `caret` receives the
// position after the kept insertion in UTF-16 code units. Texts within the limit come back as
// they are (caret -1); line ends come back as single line feeds.
std::string LimitInsertion(std::string_view before, std::string_view after, std::size_t limit,
                           int& caret);

// Clipboard text (UTF-8) for new cards: the lines code page 932 can hold, joined by CR LF, and
// the lines it cannot, with "?" where characters were lost (for the message only).
struct ClipboardConversion {
    std::string Text;
    std::vector<std::string> UnheldLines;
};
ClipboardConversion ClipboardToCp932(std::string_view utf8);

// Joins the characters for a message: "😀", "★" … separated by blanks.
std::string JoinCharacters(const std::vector<std::string>& characters);

}  // namespace qv
