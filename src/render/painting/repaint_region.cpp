#include "render/painting/repaint_region.h"

#include <cstdint>

namespace qv {

namespace {

// A run of touched cells in a row: columns [First, End).
struct Run {
    int First = 0;
    int End = 0;
    bool operator==(const Run&) const = default;
};

}  // namespace

QRegion RepaintRegion(const std::vector<QRect>& rects) {
    QRect bounds;
    for (const QRect& r : rects)
        bounds |= r;
    if (bounds.isEmpty()) return QRegion();
    if (rects.size() <= kExactRepaintRects) {
        // Adding rectangles to a region one by one costs time in proportion to the region each
        // time; uniting them pairwise, halves of equal size, keeps the whole near n log n.
        std::vector<QRegion> parts(rects.begin(), rects.end());
        for (std::size_t step = 1; step < parts.size(); step *= 2)
            for (std::size_t i = 0; i + step < parts.size(); i += 2 * step)
                parts[i] = parts[i].united(parts[i + step]);
        return parts.front();
    }
    const int columns = (bounds.width() + kRepaintCell - 1) / kRepaintCell;
    const int rows = (bounds.height() + kRepaintCell - 1) / kRepaintCell;
    // A region as large as the screen of a huge window is one rectangle anyway.
    if (std::int64_t{columns} * rows > std::int64_t{1} << 22) return QRegion(bounds);
    std::vector<std::uint8_t> touched(static_cast<std::size_t>(columns) * rows, 0);
    for (const QRect& r : rects) {
        if (r.isEmpty()) continue;
        const int c0 = (r.left() - bounds.left()) / kRepaintCell;
        const int c1 = (r.right() - bounds.left()) / kRepaintCell;
        const int r0 = (r.top() - bounds.top()) / kRepaintCell;
        const int r1 = (r.bottom() - bounds.top()) / kRepaintCell;
        for (int y = r0; y <= r1; ++y)
            std::fill_n(touched.begin() + static_cast<std::ptrdiff_t>(y) * columns + c0, c1 - c0 + 1,
                        std::uint8_t{1});
    }
    // The rectangles of a region in its own banded form: rows of equal runs joined into one
    // band, sorted by top, then left, never touching sideways.
    std::vector<QRect> banded;
    std::vector<Run> runs, bandRuns;
    int bandTop = 0;
    auto closeBand = [&](int bottomRow) {
        const int top = bounds.top() + bandTop * kRepaintCell;
        const int bottom = std::min(bounds.top() + bottomRow * kRepaintCell, bounds.bottom() + 1);
        for (const Run& run : bandRuns) {
            const int left = bounds.left() + run.First * kRepaintCell;
            const int right = std::min(bounds.left() + run.End * kRepaintCell, bounds.right() + 1);
            banded.emplace_back(left, top, right - left, bottom - top);
        }
    };
    for (int y = 0; y < rows; ++y) {
        runs.clear();
        const std::uint8_t* row = touched.data() + static_cast<std::ptrdiff_t>(y) * columns;
        for (int x = 0; x < columns;) {
            if (!row[x]) {
                ++x;
                continue;
            }
            const int first = x;
            while (x < columns && row[x])
                ++x;
            runs.push_back(Run{first, x});
        }
        if (runs != bandRuns) {
            closeBand(y);
            bandRuns = runs;
            bandTop = y;
        }
    }
    closeBand(rows);
    // A clip of many rectangles slows every drawing call more than painting the gaps between
    // them costs, once they cover most of their bounds.
    std::int64_t area = 0;
    for (const QRect& r : banded)
        area += std::int64_t{r.width()} * r.height();
    if (area * 100 >= std::int64_t{bounds.width()} * bounds.height() * kWholeBoundsPercent)
        return QRegion(bounds);
    QRegion region;
    region.setRects(banded.data(), static_cast<int>(banded.size()));
    return region;
}

}  // namespace qv
