#include "core/dialogs/memo_text.h"

#include <algorithm>

#include "core/text/cp932.h"
#include "core/text/text_helpers.h"

namespace qv {

namespace {

// Splits UTF-8 text into its characters. A malformed byte is a character of its own, so that it
// is reported rather than dropped.
std::vector<std::string_view> Characters(std::string_view utf8) {
    std::vector<std::string_view> out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::size_t n = 1;
        if (c >= 0xF0 && c <= 0xF4) {
            n = 4;
        } else if (c >= 0xE0) {
            n = 3;
        } else if (c >= 0xC2) {
            n = 2;
        }
        if (c >= 0xF5) n = 1;
        if (i + n > utf8.size()) n = 1;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) {
                n = 1;
                break;
            }
        }
        out.push_back(utf8.substr(i, n));
        i += n;
    }
    return out;
}

// Code page 932 bytes one character takes; a line end counts as CR LF (a CR before LF as none).
std::size_t CharBytes(std::string_view ch, std::string_view next) {
    if (ch == "\n") return 2;
    if (ch == "\r") return next == "\n" ? 0 : 2;
    if (static_cast<unsigned char>(ch[0]) < 0x80) return 1;
    Cp932Encoding e = Utf8ToCp932(ch, "");
    return e.Complete ? e.Bytes.size() : 2;
}

std::size_t Utf16Units(std::string_view ch) {
    return ch.size() == 4 ? 2 : 1;
}

std::string NormaliseLineEnds(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 16);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r') {
            out += "\r\n";
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        } else if (utf8[i] == '\n') {
            out += "\r\n";
        } else {
            out += utf8[i];
        }
    }
    return out;
}

}  // namespace

CardTextConversion MemoToCardText(std::string_view utf8, std::string_view marker) {
    CardTextConversion result;
    const std::string text = NormaliseLineEnds(utf8);
    Cp932Encoding whole = Utf8ToCp932(text, "");
    if (!whole.Complete) {
        // Find out which characters were lost so that the user can be told.
        whole.Bytes.clear();
        for (std::string_view ch : Characters(text)) {
            Cp932Encoding one = Utf8ToCp932(ch, "");
            if (one.Complete) {
                whole.Bytes += one.Bytes;
            } else if (std::find(result.Unheld.begin(), result.Unheld.end(), ch) ==
                       result.Unheld.end()) {
                result.Unheld.emplace_back(ch);
            }
        }
    }
    result.Text = ReplaceAll(whole.Bytes, "\r\n", marker);
    return result;
}

std::string CardTextToMemo(std::string_view cp932, std::string_view marker) {
    return Cp932ToUtf8(ReplaceAll(cp932, marker, "\n"));
}

std::size_t Cp932Length(std::string_view utf8) {
    const std::string text = NormaliseLineEnds(utf8);
    Cp932Encoding whole = Utf8ToCp932(text, "");
    if (whole.Complete) return whole.Bytes.size();
    std::size_t n = 0;
    const auto chars = Characters(text);
    for (std::size_t i = 0; i < chars.size(); ++i)
        n += CharBytes(chars[i], i + 1 < chars.size() ? chars[i + 1] : std::string_view());
    return n;
}

namespace {

// Every line end as a single "\n", as the memo holds it; a CR whose LF was cut off would
// otherwise change what the characters around it count.
std::string SingleLineFeeds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string LimitInsertion(std::string_view beforeText, std::string_view afterText,
                           std::size_t limit, int& caret) {
    caret = -1;
    const std::string beforeFeeds = SingleLineFeeds(beforeText);
    const std::string afterFeeds = SingleLineFeeds(afterText);
    const std::string_view before = beforeFeeds;
    const std::string_view after = afterFeeds;
    const std::size_t afterLength = Cp932Length(after);
    if (afterLength <= limit) return std::string(after);
    const std::size_t beforeLength = Cp932Length(before);
    // A text that was too long already may still shrink, but never grow.
    const std::size_t target = std::max(limit, beforeLength);
    if (afterLength <= target) return std::string(after);

    const auto a = Characters(before);
    const auto b = Characters(after);
    std::size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;

    auto bytesOf = [&](std::size_t from, std::size_t to) {
        std::size_t n = 0;
        for (std::size_t i = from; i < to; ++i)
            n += CharBytes(b[i], i + 1 < b.size() ? b[i + 1] : std::string_view());
        return n;
    };
    const std::size_t middleEnd = b.size() - suffix;
    std::size_t length = bytesOf(0, prefix) + bytesOf(middleEnd, b.size());
    std::size_t kept = prefix;
    while (kept < middleEnd) {
        const std::size_t n = bytesOf(kept, kept + 1);
        if (length + n > target) break;
        length += n;
        ++kept;
    }
    std::string out;
    std::size_t units = 0;
    for (std::size_t i = 0; i < kept; ++i) {
        out += b[i];
        units += Utf16Units(b[i]);
    }
    for (std::size_t i = middleEnd; i < b.size(); ++i)
        out += b[i];
    caret = static_cast<int>(units);
    return out;
}

ClipboardConversion ClipboardToCp932(std::string_view utf8) {
    ClipboardConversion out;
    std::size_t start = 0;
    while (start <= utf8.size()) {
        std::size_t end = utf8.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = utf8.size();
        const std::string_view line = utf8.substr(start, end - start);
        const Cp932Encoding e = Utf8ToCp932(line);
        if (e.Complete) {
            if (!out.Text.empty() || start > 0) out.Text += "\r\n";
            out.Text += e.Bytes;
        } else {
            out.UnheldLines.push_back(e.Bytes);
        }
        if (end == utf8.size()) break;
        start = end + (utf8.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return out;
}

std::string JoinCharacters(const std::vector<std::string>& characters) {
    std::string out;
    for (const std::string& c : characters) {
        if (!out.empty()) out += ' ';
        out += c;
    }
    return out;
}

}  // namespace qv
