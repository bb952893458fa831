// A small streaming JSON writer: the command-line tool's reports and the JSON Canvas export.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class JsonWriter {
  public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);

    JsonWriter& String(std::string_view utf8);
    JsonWriter& Int(std::int64_t v);
    JsonWriter& Bool(bool v);
    JsonWriter& Null();

    // A code page 932 text: "key": its UTF-8 form, then "key_hex": its bytes in lower-case hex.
    JsonWriter& Cp932Field(std::string_view key, std::string_view bytes);
    // A code page 932 text as a plain value (UTF-8), for arrays.
    JsonWriter& Cp932(std::string_view bytes);

    const std::string& str() const { return out_; }

  private:
    void Separate();

    std::string out_;
    std::vector<bool> first_;  // per open container: nothing written yet
    bool afterKey_ = false;
};

// `utf8` as a quoted JSON string; bytes that are not well-formed UTF-8 become U+FFFD, so the
// result is always valid UTF-8.
std::string EscapeJson(std::string_view utf8);

}  // namespace qv
