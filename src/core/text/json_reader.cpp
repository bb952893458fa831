#include "core/text/json_reader.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "core/text/unicode.h"

namespace qv {

namespace {

bool IsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = Utf8CharLength(s.substr(i));
        if (n == 0) return false;
        i += n;
    }
    return true;
}

}  // namespace

std::optional<bool> JsonValue::AsBool() const {
    if (type_ != Type::Bool) return std::nullopt;
    return bool_;
}

std::optional<double> JsonValue::AsNumber() const {
    if (type_ != Type::Number) return std::nullopt;
    return number_;
}

std::optional<long long> JsonValue::AsInteger(long long lo, long long hi) const {
    if (type_ != Type::Number || number_ != std::floor(number_)) return std::nullopt;
    if (number_ < static_cast<double>(lo) || number_ > static_cast<double>(hi)) return std::nullopt;
    return static_cast<long long>(number_);
}

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (const auto& [name, value] : members_)
        if (name == key) return &value;
    return nullptr;
}

class JsonParser {
  public:
    JsonParser(std::string_view text, const JsonLimits& limits) : s_(text), limits_(limits) {}

    JsonParseResult Run() {
        JsonParseResult result;
        JsonValue value;
        SkipBlanks();
        if (Value(value, 0)) {
            SkipBlanks();
            if (pos_ != s_.size()) Fail("text after the end of the JSON value");
        }
        if (!error_.empty()) {
            result.Error = error_ + Where();
            return result;
        }
        result.Value = std::move(value);
        return result;
    }

  private:
    bool Fail(std::string what) {
        if (error_.empty()) {
            error_ = std::move(what);
            failedAt_ = pos_;
        }
        return false;
    }

    std::string Where() const {
        std::size_t line = 1, column = 1;
        for (std::size_t i = 0; i < failedAt_ && i < s_.size(); ++i) {
            if (s_[i] == '\n') {
                ++line;
                column = 1;
            } else if ((static_cast<unsigned char>(s_[i]) & 0xC0) != 0x80) {
                ++column;
            }
        }
        return " at line " + std::to_string(line) + ", column " + std::to_string(column);
    }

    void SkipBlanks() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }

    bool Literal(std::string_view word) {
        if (s_.substr(pos_, word.size()) != word) return Fail("unknown word");
        pos_ += word.size();
        return true;
    }

    bool Value(JsonValue& out, int depth) {
        if (++values_ > limits_.MaxValues)
            return Fail("more than " + std::to_string(limits_.MaxValues) + " values");
        if (pos_ >= s_.size()) return Fail("unexpected end of the text");
        switch (s_[pos_]) {
            case '{':
                return Object(out, depth + 1);
            case '[':
                return Array(out, depth + 1);
            case '"':
                out.type_ = JsonValue::Type::String;
                return String(out.text_);
            case 't':
                out.type_ = JsonValue::Type::Bool;
                out.bool_ = true;
                return Literal("true");
            case 'f':
                out.type_ = JsonValue::Type::Bool;
                return Literal("false");
            case 'n':
                return Literal("null");
            default:
                return Number(out);
        }
    }

    bool Object(JsonValue& out, int depth) {
        if (depth > limits_.MaxDepth)
            return Fail("nested deeper than " + std::to_string(limits_.MaxDepth) + " levels");
        out.type_ = JsonValue::Type::Object;
        ++pos_;
        SkipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '}') {
            ++pos_;
            return true;
        }
        for (;;) {
            SkipBlanks();
            if (pos_ >= s_.size() || s_[pos_] != '"') return Fail("expected a member name");
            std::string name;
            if (!String(name)) return false;
            SkipBlanks();
            if (pos_ >= s_.size() || s_[pos_] != ':') return Fail("expected ':'");
            ++pos_;
            SkipBlanks();
            out.members_.emplace_back(std::move(name), JsonValue{});
            if (!Value(out.members_.back().second, depth)) return false;
            SkipBlanks();
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == '}') {
                ++pos_;
                return true;
            }
            return Fail("expected ',' or '}'");
        }
    }

    bool Array(JsonValue& out, int depth) {
        if (depth > limits_.MaxDepth)
            return Fail("nested deeper than " + std::to_string(limits_.MaxDepth) + " levels");
        out.type_ = JsonValue::Type::Array;
        ++pos_;
        SkipBlanks();
        if (pos_ < s_.size() && s_[pos_] == ']') {
            ++pos_;
            return true;
        }
        for (;;) {
            SkipBlanks();
            out.items_.emplace_back();
            if (!Value(out.items_.back(), depth)) return false;
            SkipBlanks();
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == ']') {
                ++pos_;
                return true;
            }
            return Fail("expected ',' or ']'");
        }
    }

    std::optional<std::uint32_t> Hex4() {
        if (s_.size() - pos_ < 4) return std::nullopt;
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = s_[pos_++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= static_cast<std::uint32_t>(c - 'A' + 10);
            else
                return std::nullopt;
        }
        return v;
    }

    bool String(std::string& out) {
        ++pos_;  // the opening quote
        const std::size_t start = pos_;
        for (;;) {
            // Runs without escapes are copied whole once their UTF-8 has been checked.
            std::size_t end = pos_;
            while (end < s_.size() && s_[end] != '"' && s_[end] != '\\' &&
                   static_cast<unsigned char>(s_[end]) >= 0x20)
                ++end;
            const std::string_view run = s_.substr(pos_, end - pos_);
            if (!IsValidUtf8(run)) return Fail("a string that is not UTF-8");
            out.append(run);
            pos_ = end;
            if (pos_ >= s_.size()) {
                pos_ = start;
                return Fail("a string without its closing quote");
            }
            const char c = s_[pos_];
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c != '\\') return Fail("a control character inside a string");
            if (++pos_ >= s_.size()) return Fail("a string without its closing quote");
            const char e = s_[pos_++];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    auto unit = Hex4();
                    if (!unit) return Fail("a bad \\u escape");
                    std::uint32_t code = *unit;
                    if (code >= 0xD800 && code <= 0xDBFF && s_.substr(pos_, 2) == "\\u") {
                        const std::size_t back = pos_;
                        pos_ += 2;
                        const auto low = Hex4();
                        if (low && *low >= 0xDC00 && *low <= 0xDFFF)
                            code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
                        else
                            pos_ = back;
                    }
                    if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;
                    AppendUtf8(out, code);
                    break;
                }
                default:
                    --pos_;
                    return Fail("an unknown escape in a string");
            }
        }
    }

    bool Number(JsonValue& out) {
        const std::size_t start = pos_;
        auto digits = [&] {
            const std::size_t from = pos_;
            while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9')
                ++pos_;
            return pos_ > from;
        };
        if (pos_ < s_.size() && s_[pos_] == '-') ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '0') {
            ++pos_;
        } else if (!digits()) {
            pos_ = start;
            return Fail("expected a value");
        }
        if (pos_ < s_.size() && s_[pos_] == '.') {
            ++pos_;
            if (!digits()) return Fail("a number without digits after '.'");
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            if (!digits()) return Fail("a number without digits in its exponent");
        }
        double v = 0;
        const auto r = std::from_chars(s_.data() + start, s_.data() + pos_, v);
        // Out of range: the largest number of that sign, so that "too big" stays too big.
        if (r.ec == std::errc::result_out_of_range) v = s_[start] == '-' ? -HUGE_VAL : HUGE_VAL;
        if (!std::isfinite(v)) v = s_[start] == '-' ? -1e308 : 1e308;
        out.type_ = JsonValue::Type::Number;
        out.number_ = v;
        return true;
    }

    std::string_view s_;
    const JsonLimits& limits_;
    std::size_t pos_ = 0;
    std::size_t values_ = 0;
    std::string error_;
    std::size_t failedAt_ = 0;
};

JsonParseResult ParseJson(std::string_view text, const JsonLimits& limits) {
    return JsonParser(text, limits).Run();
}

}  // namespace qv
