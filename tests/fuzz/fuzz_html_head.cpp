// Every reader of linked files on arbitrary file contents: no crash, no read out of bounds, and
// results that keep to their documented shape.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/content/html_head.h"
#include "core/content/link_content.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view file(reinterpret_cast<const char*>(data), size);

    qv::NameValueList list;
    qv::ReadHtmlHeadFromBytes(file, list);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto& e = list[i];
        if (e.Name.empty()) std::abort();
        // "charset" and "title" come first, once each; META pairs always have a value.
        bool fixed = e.Name == "charset" || e.Name == "title";
        if (!fixed && e.Value.empty()) std::abort();
        if (e.Name == "charset" && i != 0) std::abort();
    }

    if (qv::ReadMp3TagFromBytes(file, list)) {
        if (list.size() != 5) std::abort();
        for (const auto& e : list)
            if (e.Value.size() > 30) std::abort();
    } else if (!list.empty()) {
        std::abort();
    }

    std::string first = qv::FirstLineFromBytes(file);
    if (first.size() > 1999) std::abort();
    qv::HelpTitleFromContents(file);
    qv::IsTextBytes(file);
    return 0;
}
