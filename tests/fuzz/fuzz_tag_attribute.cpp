// The tag scanner on arbitrary text: never a crash, and a value is always built from the tag's
// own bytes, so it can never be longer than the tag.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/content/html_head.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the names looked for, the rest is the tag.
    static const std::string_view kTags[] = {"META", "meta", "A", ""};
    static const std::string_view kAttributes[] = {"NAME", "content", "=", ""};
    std::string_view tagName = kTags[data[0] & 3];
    std::string_view attribute = kAttributes[(data[0] >> 2) & 3];
    std::string_view tag(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string value = qv::TagAttribute(tag, tagName, attribute);
    if (value.size() >= tag.size() && !value.empty()) std::abort();
    return 0;
}
