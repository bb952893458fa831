#include "core/text/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>

namespace qv {

namespace {

// One iconv conversion descriptor, opened per call: conversions happen at user-interface speed,
// and a per-call handle keeps the functions free of shared state.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of in as possible into out. Returns false on an invalid or unconvertible
    // sequence (in then points at it), true when all of in was converted.
    bool Convert(std::string_view& in, std::string& out) {
        char buffer[1024];
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        bool good = true;
        while (srcLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
                good = false;
                break;
            }
        }
        in = std::string_view(src, srcLeft);
        return good;
    }

    void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

  private:
    iconv_t cd_;
};

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
    Converter cv("UTF-8", "CP932");
    if (!cv.ok()) {
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
    Converter cv("CP932", "UTF-8");
    std::string_view in = utf8;
    if (!cv.ok()) {
        for (char c : utf8) {
            if (static_cast<unsigned char>(c) < 0x80) {
                result.Bytes += c;
            } else {
                result.Complete = false;
            }
        }
        return result;
    }
    while (!in.empty()) {
        if (cv.Convert(in, result.Bytes)) break;
        // Skip the whole offending character (or one stray byte) and put the replacement in.
        result.Complete = false;
        result.Bytes.append(replacement);
        in.remove_prefix(Utf8SequenceLength(in));
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
