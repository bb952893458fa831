#include "core/dialogs/find_set_dlg.h"

#include <algorithm>

#include "core/settings/env_data.h"
#include "core/text/cp932.h"
#include "core/text/sjis.h"
#include "core/text/text_helpers.h"

namespace qv {

namespace {

// Blanks at either end in UTF-8: ASCII blanks, tabs and the full-width blank U+3000.
std::string TrimUtf8(std::string_view s) {
    constexpr std::string_view kWide = "\xe3\x80\x80";
    for (;;) {
        if (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
            s.remove_prefix(1);
        else if (s.substr(0, 3) == kWide)
            s.remove_prefix(3);
        else
            break;
    }
    for (;;) {
        if (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
            s.remove_suffix(1);
        else if (s.size() >= 3 && s.substr(s.size() - 3) == kWide)
            s.remove_suffix(3);
        else
            break;
    }
    return std::string(s);
}

}  // namespace

std::string TrimmedFindText(std::string_view utf8Text) {
    return TrimUtf8(utf8Text);
}

std::optional<FindRequest> AcceptFindText(EnvData& env, std::string_view utf8Text) {
    const std::string trimmed = TrimUtf8(utf8Text);
    if (trimmed.empty()) return std::nullopt;
    Cp932Encoding encoded = Utf8ToCp932(trimmed, "");
    FindRequest request;
    if (!encoded.Complete) return request;
    const std::string t = TrimBlanks(encoded.Bytes);
    if (t.empty()) return std::nullopt;
    auto& history = env.FindHistory;
    const auto found = std::find_if(history.begin(), history.end(),
                                    [&](const std::string& e) { return sjis::EqualsNoCase(e, t); });
    // An empty history has no first entry: the text starts it.
    if (history.empty() || found != history.begin()) {
        if (found != history.end()) history.erase(found);
        history.insert(history.begin(), t);
    }
    request.Text = t;
    return request;
}

}  // namespace qv
