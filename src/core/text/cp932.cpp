#include "core/text/cp932.h"

#include <cstddef>

#include "core/text/iconv_converter.h"

namespace qv {

namespace {

std::size_t Utf8SequenceLength(std::string_view s) {
    unsigned char c = static_cast<unsigned char>(s[0]);
    std::size_t len = c < 0x80           ? 1
                      : (c >> 5) == 0x6  ? 2
                      : (c >> 4) == 0xE  ? 3
                      : (c >> 3) == 0x1E ? 4
                                         : 1;
    if (len > s.size()) return 1;
    for (std::size_t i = 1; i < len; ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 1;
    }
    return len;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    IconvConverter cv("UTF-8", "CP932");
    if (!cv.Ok()) {
        // No converter: keep ASCII, mark everything else.
        for (char c : bytes)
            out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
        return out;
    }
    std::string_view in = bytes;
    while (!in.empty()) {
        if (cv.Convert(in, out)) break;
        out += "\xEF\xBF\xBD";
        in.remove_prefix(1);
        cv.Reset();
    }
    return out;
}

Cp932Encoding Utf8ToCp932(std::string_view utf8, std::string_view replacement) {
    Cp932Encoding result;
    result.Bytes.reserve(utf8.size());
    IconvConverter cv("CP932", "UTF-8");
    std::string_view in = utf8;
    if (!cv.Ok()) {
        for (char c : utf8) {
            if (static_cast<unsigned char>(c) < 0x80) {
                result.Bytes += c;
            } else {
                result.Complete = false;
                result.Unrepresentable = "\xEF\xBF\xBD";
            }
        }
        return result;
    }
    while (!in.empty()) {
        if (cv.Convert(in, result.Bytes)) break;
        // Skip the whole offending character (or one stray byte) and put the replacement in.
        result.Complete = false;
        result.Bytes.append(replacement);
        const std::size_t length = Utf8SequenceLength(in);
        const std::string_view bad = length == 1 && static_cast<unsigned char>(in[0]) >= 0x80
                                         ? "\xEF\xBF\xBD"
                                         : in.substr(0, length);
        if (result.Unrepresentable.find(bad) == std::string::npos)
            result.Unrepresentable.append(bad);
        in.remove_prefix(length);
        cv.Reset();
    }
    return result;
}

std::string HexBytes(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        unsigned char b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

}  // namespace qv
