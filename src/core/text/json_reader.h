// A small JSON reader for files from other programs (the JSON Canvas import): the whole text
// becomes a tree of values. Outside data, so it is strict about the grammar and bounded in depth
// and in the number of values, whatever the file holds.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv {

class JsonValue {
  public:
    enum class Type : unsigned char { Null, Bool, Number, String, Array, Object };

    Type Kind() const { return type_; }
    bool IsNull() const { return type_ == Type::Null; }
    bool IsObject() const { return type_ == Type::Object; }
    bool IsArray() const { return type_ == Type::Array; }
    bool IsString() const { return type_ == Type::String; }
    bool IsNumber() const { return type_ == Type::Number; }
    bool IsBool() const { return type_ == Type::Bool; }

    // The value when it has that type.
    std::optional<bool> AsBool() const;
    std::optional<double> AsNumber() const;
    // A number that is a whole number within [lo, hi].
    std::optional<long long> AsInteger(long long lo, long long hi) const;
    const std::string* AsString() const { return type_ == Type::String ? &text_ : nullptr; }

    // Array items; empty for other types.
    const std::vector<JsonValue>& Items() const { return items_; }
    // Object members in file order; empty for other types.
    const std::vector<std::pair<std::string, JsonValue>>& Members() const { return members_; }
    // The first member named `key` of an object; null when there is none or this is no object.
    const JsonValue* Find(std::string_view key) const;

  private:
    friend class JsonParser;
    Type type_ = Type::Null;
    bool bool_ = false;
    double number_ = 0;
    std::string text_;  // UTF-8, escapes resolved
    std::vector<JsonValue> items_;
    std::vector<std::pair<std::string, JsonValue>> members_;
};

struct JsonLimits {
    int MaxDepth = 64;                 // nested arrays and objects
    std::size_t MaxValues = 1u << 20;  // values of every kind, members' names not counted
};

struct JsonParseResult {
    std::optional<JsonValue> Value;  // none when the text is not JSON or breaks a limit
    std::string Error;               // what is wrong and where ("… at line 3, column 7")
};

// Parses one JSON value (RFC 8259) filling `text` but for white space around it. Strings must be
// valid UTF-8; "\u" escapes of lone surrogates become U+FFFD.
JsonParseResult ParseJson(std::string_view text, const JsonLimits& limits = {});

}  // namespace qv
