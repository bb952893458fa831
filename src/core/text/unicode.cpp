#include "core/text/unicode.h"

#include <cstdint>
#include <cstdio>

namespace qv {

namespace {

// The code point of a well-formed character of `length` bytes.
std::uint32_t DecodeUtf8(std::string_view s, std::size_t length) {
    const auto b = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(s[i]));
    };
    switch (length) {
        case 1:
            return b(0);
        case 2:
            return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
        case 3:
            return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
        default:
            return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
    }
}

// Characters a terminal acts on instead of showing, or that reorder what follows them.
bool IsControlCode(std::uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0x2028 || c == 0x2029;
}

}  // namespace

std::size_t Utf8CharLength(std::string_view s) {
    if (s.empty()) return 0;
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) low = 0xA0;   // overlong
        if (b0 == 0xED) high = 0x9F;  // surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) low = 0x90;   // overlong
        if (b0 == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    const auto b1 = static_cast<unsigned char>(s[1]);
    if (b1 < low || b1 > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0;
    }
    return length;
}

bool HasUtf16Bom(std::string_view bytes) {
    return bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom);
}

std::optional<std::string> Utf16ToUtf8(std::string_view bytes) {
    if (!HasUtf16Bom(bytes)) return std::nullopt;
    const bool bigEndian = bytes.starts_with(kUtf16BeBom);
    bytes.remove_prefix(2);
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]));
        const auto b = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1]));
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    std::string out = "\xEF\xBB\xBF";
    out.reserve(bytes.size() * 3 / 2 + 3);
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t c = unit(2 * i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
            const std::uint32_t next = unit(2 * (i + 1));
            if (next >= 0xDC00 && next <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        AppendUtf8(out, c);
    }
    if (bytes.size() % 2 != 0) AppendUtf8(out, 0xFFFD);
    return out;
}

std::string EscapeForTerminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    char buf[12];
    while (!text.empty()) {
        const std::size_t length = Utf8CharLength(text);
        if (length == 0) {
            std::snprintf(buf, sizeof buf, "\\x%02x", static_cast<unsigned char>(text[0]));
            out += buf;
            text.remove_prefix(1);
            continue;
        }
        const std::uint32_t c = DecodeUtf8(text, length);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (IsControlCode(c)) {
            std::snprintf(buf, sizeof buf, c < 0x80 ? "\\x%02x" : "\\u%04x", c);
            out += buf;
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return out;
}

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace qv
