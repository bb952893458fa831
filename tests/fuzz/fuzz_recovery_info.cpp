// A recovery description of any bytes must never crash the reader, and what it accepts must come
// back the same when written out again (a restored document is named by exactly that path).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/recovery/recovery_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto info = qv::ParseRecoveryInfo(text);
    if (!info) return 0;
    if (info->OriginalPath.find('\0') != std::string::npos) std::abort();
    if (qv::ParseRecoveryInfo(qv::RecoveryInfoText(*info)) != info) std::abort();
    return 0;
}
