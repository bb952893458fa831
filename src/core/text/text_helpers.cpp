#include "core/text/text_helpers.h"

#include <limits>

#include "core/text/sjis.h"

namespace qv {

std::string_view TrimControls(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20)
        --e;
    return s.substr(b, e - b);
}

std::string_view TrimAsciiBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::size_t SplitFields(std::string_view line, std::size_t n, std::vector<std::string>& fields) {
    fields.resize(n);
    for (auto& f : fields)
        f.clear();
    // '"' and ',' are below 0x40 and so never trail bytes: plain byte searches are safe here.
    std::string_view rest = line;
    std::size_t count = 0;
    while (count < n) {
        rest = TrimControls(rest);
        if (rest.empty()) break;
        std::string& field = fields[count];
        if (rest.front() == '"') {
            rest.remove_prefix(1);
            for (;;) {
                std::size_t q = rest.find('"');
                if (q == std::string_view::npos) {
                    // An opening quote that never closes: the field is lost and reading stops.
                    field.clear();
                    rest = {};
                    break;
                }
                if (q + 1 == rest.size()) {
                    field.append(rest.substr(0, q));
                    rest = {};
                    break;
                }
                if (rest[q + 1] == '"') {
                    field.append(rest.substr(0, q + 1));
                    rest.remove_prefix(q + 2);
                    continue;
                }
                field.append(rest.substr(0, q));
                rest = TrimControls(rest.substr(q + 1));
                if (!rest.empty() && rest.front() == ',') {
                    rest.remove_prefix(1);
                } else {
                    rest = {};
                }
                break;
            }
        } else {
            std::size_t c = rest.find(',');
            if (c == std::string_view::npos) {
                field.assign(rest);
                rest = {};
            } else {
                field.assign(rest.substr(0, c));
                rest.remove_prefix(c + 1);
            }
        }
        ++count;
    }
    return count;
}

std::vector<std::string> SplitFields(std::string_view line, std::size_t n, std::size_t* found) {
    std::vector<std::string> fields;
    std::size_t count = SplitFields(line, n, fields);
    if (found) *found = count;
    return fields;
}

std::string TrimBlanks(std::string_view text) {
    // Leading side: whole characters from the start.
    std::size_t b = 0;
    while (b < text.size()) {
        if (text[b] == ' ' || text[b] == '\t') {
            ++b;
        } else if (sjis::CharLength(text, b) == 2 && static_cast<unsigned char>(text[b]) == 0x81 &&
                   static_cast<unsigned char>(text[b + 1]) == 0x40) {
            b += 2;
        } else {
            break;
        }
    }
    text.remove_prefix(b);
    // Trailing side: find the character boundaries once, then drop blanks from the end. The two
    // bytes 0x81 0x40 at the end are a full-width blank only if 0x81 starts a character.
    std::size_t keep = 0;  // end of the last non-blank character
    for (std::size_t p = 0; p < text.size();) {
        std::size_t len = sjis::CharLength(text, p);
        bool blank = (len == 1 && (text[p] == ' ' || text[p] == '\t')) ||
                     (len == 2 && static_cast<unsigned char>(text[p]) == 0x81 &&
                      static_cast<unsigned char>(text[p + 1]) == 0x40);
        p += len;
        if (!blank) keep = p;
    }
    return std::string(text.substr(0, keep));
}

std::string ReplaceAll(std::string_view text, std::string_view search,
                       std::string_view replacement) {
    if (text.empty() || search.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = sjis::Find(text, search, pos);
        if (hit == std::string_view::npos) break;
        out.append(text.substr(pos, hit - pos));
        out.append(replacement);
        pos = hit + search.size();
    }
    out.append(text.substr(pos));
    return out;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachLine(text, [&](std::string_view line, std::size_t) {
        lines.push_back(line);
        return true;
    });
    return lines;
}

std::optional<std::int64_t> ParseDecimal(std::string_view text, std::int64_t minValue,
                                         std::int64_t maxValue) {
    text = TrimAsciiBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    // Beyond this the value is out of any range asked for; stop before int64 could overflow.
    constexpr std::int64_t kLimit = std::int64_t{1} << 40;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > kLimit) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < minValue || value > maxValue) return std::nullopt;
    return value;
}

std::optional<int> ParseInt(std::string_view text) {
    const auto v =
        ParseDecimal(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    if (!v) return std::nullopt;
    return static_cast<int>(*v);
}

}  // namespace qv
