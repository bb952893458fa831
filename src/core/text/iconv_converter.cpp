#include "core/text/iconv_converter.h"

#include <cerrno>
#include <cstddef>

namespace qv {

IconvConverter::IconvConverter(const char* to, std::initializer_list<const char*> from) {
    for (const char* name : from) {
        cd_ = iconv_open(to, name);
        if (Ok()) break;
    }
}

IconvConverter::~IconvConverter() {
    if (Ok()) iconv_close(cd_);
}

bool IconvConverter::Convert(std::string_view& in, std::string& out) {
    char buffer[1024];
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    bool good = true;
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            good = false;
            break;
        }
    }
    in = std::string_view(src, srcLeft);
    return good;
}

void IconvConverter::Reset() {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace qv
