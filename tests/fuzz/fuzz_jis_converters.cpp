// The Japanese converters on arbitrary bytes: never a crash, never longer than the input, and the
// output is always whole code page 932 characters without any escape or shift byte left over.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/content/japanese_codes.h"
#include "core/text/cp932.h"

namespace {

void Check(std::string_view in, const std::string& out) {
    if (out.size() > in.size()) std::abort();
    if (qv::Cp932ToUtf8(out).find("\xEF\xBF\xBD") != std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    Check(in, qv::EucToSjis(in));
    std::string jis = qv::JisToSjis(in);
    Check(in, jis);
    if (jis.find_first_of("\x1B\x0E\x0F") != std::string::npos) std::abort();
    Check(in, qv::Utf8ToAnsi(in));
    if (size >= 2) qv::JisCodeToSjis(static_cast<std::uint16_t>(data[0] << 8 | data[1]));
    return 0;
}
