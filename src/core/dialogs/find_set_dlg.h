// The find dialog's rules without its widgets: what "開始" makes of the typed text and how the
// program-wide find history changes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qv {

class EnvData;

struct FindRequest {
    // The trimmed search text in code page 932; none when the words cannot be held in it (the
    // search then finds nothing, and the text never enters the history).
    std::optional<std::string> Text;
};

// "開始" with the combo box text (UTF-8). An empty text, or one of blanks only, closes as
// Cancel (none) and leaves the history alone: an empty entry would end the stored history.
// Otherwise the trimmed text goes to the front of the history (an entry equal to it but for
// letter case is removed), unless it is the first entry already.
std::optional<FindRequest> AcceptFindText(EnvData& env, std::string_view utf8Text);

// The text the combo box shows after OK (UTF-8): the trimmed text.
std::string TrimmedFindText(std::string_view utf8Text);

}  // namespace qv
