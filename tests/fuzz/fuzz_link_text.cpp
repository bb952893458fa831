// A card's link of any bytes must never crash the readers of links, and what they make of it must
// hold: a web address has a lower-case scheme of its own characters, a file address names an
// absolute path without NUL, and a path link never yields a path with a NUL either.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/commands/jump_history.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view link(reinterpret_cast<const char*>(data), size);
    if (const auto web = qv::AsWebAddress(link)) {
        if (web->Scheme.empty() || web->Scheme.size() >= link.size()) std::abort();
        for (const char c : web->Scheme)
            if (std::isupper(static_cast<unsigned char>(c))) std::abort();
        if (link.substr(web->Scheme.size(), 3) != "://") std::abort();
    }
    if (const auto file = qv::AsFileAddress(link)) {
        if (file->Path && (file->Path->empty() || file->Path->front() != '/' ||
                           file->Path->find('\0') != std::string::npos))
            std::abort();
    }
    // Without a document the path is never looked up on disk.
    if (const auto path = qv::LinkFilePath(link, "")) {
        if (path->find('\0') != std::string::npos && link.find('\0') == std::string_view::npos)
            std::abort();
        if (path->find('\\') != std::string::npos) std::abort();
    }
    return 0;
}
