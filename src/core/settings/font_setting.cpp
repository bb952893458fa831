#include "core/settings/font_setting.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace qv {

int FontSpec::PixelHeight() const {
    // 64-bit so that |INT_MIN| and the multiplication cannot overflow.
    const std::int64_t points = std::llabs(static_cast<std::int64_t>(Size));
    const std::int64_t pixels = (points * kScreenDpi * 2 + 72) / (72 * 2);
    return static_cast<int>(std::clamp<std::int64_t>(pixels, 1, kMaxFontPixelHeight));
}

}  // namespace qv
