#include "core/model/zoom.h"

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

// Factors this close to a level count as that level (levels are whole percents; a factor made by
// multiplying may be off by rounding).
constexpr double kSameLevel = 0.0005;

double Level(int percent) {
    return percent / 100.0;
}

}  // namespace

double ClampZoom(double factor) {
    if (!std::isfinite(factor)) return 1.0;
    return std::clamp(factor, kMinZoom, kMaxZoom);
}

double NextZoomLevel(double factor) {
    factor = ClampZoom(factor);
    for (int percent : kZoomLevels)
        if (Level(percent) > factor + kSameLevel) return Level(percent);
    return kMaxZoom;
}

double PreviousZoomLevel(double factor) {
    factor = ClampZoom(factor);
    for (auto it = kZoomLevels.rbegin(); it != kZoomLevels.rend(); ++it)
        if (Level(*it) < factor - kSameLevel) return Level(*it);
    return kMinZoom;
}

double FitZoom(const Rect& area, int clientWidth, int clientHeight, int margin) {
    const int w = clientWidth - 2 * margin, h = clientHeight - 2 * margin;
    if (area.IsEmpty() || w <= 0 || h <= 0) return 1.0;
    return ClampZoom(
        std::min(static_cast<double>(w) / area.Width(), static_cast<double>(h) / area.Height()));
}

std::string ZoomPercentText(double factor) {
    return std::to_string(static_cast<int>(std::floor(ClampZoom(factor) * 100 + 0.5))) + "%";
}

}  // namespace qv
