#include "core/text/sjis.h"

namespace qv::sjis {

namespace {

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

template <typename Eq>
std::size_t FindImpl(std::string_view s, std::string_view needle, std::size_t from, Eq eq) {
    if (from > s.size()) return std::string_view::npos;
    if (needle.empty()) return from;
    for (std::size_t pos = from; pos + needle.size() <= s.size(); pos = NextChar(s, pos)) {
        std::size_t i = 0;
        while (i < needle.size() && eq(s[pos + i], needle[i], i, pos))
            ++i;
        if (i < needle.size()) continue;
        // The match must also end on a boundary: a needle ending in a lead byte must not take
        // half of a character.
        std::size_t end = pos;
        while (end < pos + needle.size())
            end = NextChar(s, end);
        if (end == pos + needle.size()) return pos;
    }
    return std::string_view::npos;
}

}  // namespace

std::size_t PrevChar(std::string_view s, std::size_t pos) {
    if (pos > s.size()) pos = s.size();
    std::size_t prev = 0;
    for (std::size_t p = 0; p < pos; p = NextChar(s, p))
        prev = p;
    return prev;
}

bool IsCharBoundary(std::string_view s, std::size_t pos) {
    if (pos >= s.size()) return pos == s.size();
    std::size_t p = 0;
    while (p < pos)
        p = NextChar(s, p);
    return p == pos;
}

std::size_t Find(std::string_view s, std::string_view needle, std::size_t from) {
    return FindImpl(s, needle, from,
                    [](char a, char b, std::size_t, std::size_t) { return a == b; });
}

std::size_t FindNoCase(std::string_view s, std::string_view needle, std::size_t from) {
    // Letters fold only where the needle has a single-byte character; trail bytes match exactly.
    // A match starts on a boundary of s and agrees byte for byte up to letter case, so the two
    // texts share their character boundaries throughout the match.
    std::string folded(needle);
    std::string single(needle.size(), 0);
    for (std::size_t p = 0; p < needle.size(); p = NextChar(needle, p)) {
        if (CharLength(needle, p) == 1) {
            single[p] = 1;
            folded[p] = AsciiUpper(needle[p]);
        }
    }
    return FindImpl(s, folded, from, [&](char a, char b, std::size_t i, std::size_t) {
        return a == b || (single[i] && AsciiUpper(a) == b);
    });
}

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (std::size_t p = 0; p < out.size(); p = NextChar(out, p)) {
        if (CharLength(out, p) == 1) out[p] = AsciiUpper(out[p]);
    }
    return out;
}

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (std::size_t p = 0; p < out.size(); p = NextChar(out, p)) {
        if (CharLength(out, p) == 1) out[p] = AsciiLower(out[p]);
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t p = 0; p < a.size();) {
        std::size_t len = CharLength(a, p);
        if (len != CharLength(b, p)) return false;
        if (len == 1) {
            if (AsciiUpper(a[p]) != AsciiUpper(b[p])) return false;
        } else if (a.substr(p, 2) != b.substr(p, 2)) {
            return false;
        }
        p += len;
    }
    return true;
}

}  // namespace qv::sjis
