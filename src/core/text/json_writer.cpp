#include "core/text/json_writer.h"

#include <cstdio>

#include "core/text/cp932.h"
#include "core/text/unicode.h"

namespace qv {

std::string EscapeJson(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    out += '"';
    while (!s.empty()) {
        const char c = s[0];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            // JSON is UTF-8: a byte that is not part of a well-formed character (a file name in
            // another encoding, say) stands as U+FFFD.
            const std::size_t length = Utf8CharLength(s);
            if (length == 0) {
                out += "\xEF\xBF\xBD";
                s.remove_prefix(1);
            } else {
                out.append(s.substr(0, length));
                s.remove_prefix(length);
            }
            continue;
        }
        s.remove_prefix(1);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", u);
                    out += buf;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

void JsonWriter::Separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) out_ += ", ";
        first_.back() = false;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    Separate();
    out_ += '{';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    out_ += '}';
    first_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    Separate();
    out_ += '[';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    out_ += ']';
    first_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    Separate();
    out_ += EscapeJson(key);
    out_ += ": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view utf8) {
    Separate();
    out_ += EscapeJson(utf8);
    return *this;
}

JsonWriter& JsonWriter::Int(std::int64_t v) {
    Separate();
    out_ += std::to_string(v);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool v) {
    Separate();
    out_ += v ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    Separate();
    out_ += "null";
    return *this;
}

JsonWriter& JsonWriter::Cp932(std::string_view bytes) {
    return String(Cp932ToUtf8(bytes));
}

JsonWriter& JsonWriter::Cp932Field(std::string_view key, std::string_view bytes) {
    Key(key).Cp932(bytes);
    std::string hexKey(key);
    hexKey += "_hex";
    return Key(hexKey).String(HexBytes(bytes));
}

}  // namespace qv
