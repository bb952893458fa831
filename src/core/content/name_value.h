// The name/value lists the link readers fill: HTML head data (charset, title, META tags) and the
// fields of an MP3 tag, in the order they were found.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv {

struct NameValue {
    std::string Name;
    std::string Value;
};

using NameValueList = std::vector<NameValue>;

// The value of the first entry whose name equals `name` without regard to ASCII letter case, or
// empty text when there is none.
std::string_view LookupValue(const NameValueList& list, std::string_view name);

}  // namespace qv
