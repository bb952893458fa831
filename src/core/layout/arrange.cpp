#include "core/layout/arrange.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

namespace qv {

namespace {

// v mod m in 0..m-1 for m > 0, whatever sign a random source hands out.
int Mod(int v, int m) {
    const int r = v % m;
    return r < 0 ? r + m : r;
}

int Rand8(RandomSource& random) {
    return Mod(random.Next(), 8);
}

AwayCorner CornerOf(int setting) {
    switch (setting) {
        case 1:
            return AwayCorner::TopRight;
        case 2:
            return AwayCorner::BottomLeft;
        case 3:
            return AwayCorner::BottomRight;
        default:
            return AwayCorner::TopLeft;
    }
}

// The group all selected cards share, or -1.
int CommonGroup(const std::vector<Fragment*>& list) {
    if (list.empty()) return -1;
    const int g = list.front()->Group;
    for (const Fragment* f : list)
        if (f->Group != g) return -1;
    return g;
}

// Gather and away are one routine: a pile that starts at (x, y) and steps by (sx, sy).
void Pile(FragSet& set, bool away) {
    if (set.SelectionList.empty()) return;

    AwayCorner corner = AwayCorner::TopLeft;
    int x = kAwayMargin, y = kAwayMargin, sx = 1, sy = 1;
    if (!away) {
        const Point p = FragSet::TopLeft(set.SelectionList);
        x = p.X;
        y = p.Y;
    } else {
        corner = CornerOf(set.Env().AwayPosition);
        if (corner == AwayCorner::TopRight || corner == AwayCorner::BottomRight) {
            x = set.WholeWidth - kAwayMargin;
            sx = -1;
        }
        if (corner == AwayCorner::BottomLeft || corner == AwayCorner::BottomRight) {
            y = set.WholeHeight - kAwayMargin;
            sy = -1;
        }
    }
    const bool fromRight = corner == AwayCorner::TopRight || corner == AwayCorner::BottomRight;
    const bool fromBottom = corner == AwayCorner::BottomLeft || corner == AwayCorner::BottomRight;

    // Whatever lay under a moved card is repainted by the view from the erased area, so no list
    // of uncovered cards is needed.
    int next = set.HighestZOrder() + 1;
    for (Fragment* f : set.SelectionList) {
        const int w = f->Width();
        const int h = f->Height();
        f->EraseFragment();
        int left = fromRight ? x - w : x;
        int top = fromBottom ? y - h : y;
        if (away) {
            // A pile larger than the page must not push cards where nobody can scroll to them.
            left = std::max(left, 0);
            top = std::max(top, 0);
        }
        f->Left = left;
        f->Top = top;
        f->Right = left + w;
        f->Bottom = top + h;
        f->ZOrder = next++;
        x += sx;
        y += sy;
    }

    if (const int g = CommonGroup(set.SelectionList); g > 0)
        if (Fragment* plate = set.NamePlateOf(g)) set.BringToTop(plate);
    set.SortByZOrder();
    set.RebuildSelection();
    for (Fragment* f : set.SelectionList)
        f->MeasureAndDraw();
    if (!away && !set.SelectionList.empty()) set.CentreOn(set.SelectionList.front(), false);
    set.EraseGroupLines();
    set.UpdateGroupFrames();
    set.Context().host.RefreshMap();
    set.Modified = true;
}

}  // namespace

int IntegerSqrt(int n) {
    if (n <= 0) return 0;
    auto r = static_cast<std::int64_t>(std::sqrt(static_cast<double>(n)));
    while (r * r > n)
        --r;
    while ((r + 1) * (r + 1) <= n)
        ++r;
    return static_cast<int>(r);
}

void Gather(FragSet& set) {
    Pile(set, false);
}

void PutAway(FragSet& set) {
    Pile(set, true);
}

void Spread(FragSet& set) {
    std::vector<Fragment*>& list = set.SelectionList;
    const int n = static_cast<int>(list.size());
    if (n < 2) return;
    const EnvData& env = set.Env();
    RandomSource& random = set.Context().random;

    const int perRow = std::max(1, IntegerSqrt(n));
    const Point origin = FragSet::TopLeft(list);
    if (env.SpreadShuffle) {
        for (int k = 0; k < n / 2; ++k) {
            const int a = random.Next();
            const int b = random.Next();
            std::swap(list[static_cast<std::size_t>(Mod(b, n))],
                      list[static_cast<std::size_t>(Mod(a, n))]);
        }
    } else {
        set.SortByStacking(list);
    }

    const bool align = env.SpreadAlign;
    auto rowStart = [&] { return align ? origin.X : origin.X + Rand8(random); };
    int next = set.HighestZOrder() + 1;
    int x = origin.X, y = origin.Y, rowH = 0, col = 0;
    for (int i = 0; i < n; ++i) {
        Fragment* f = list[static_cast<std::size_t>(i)];
        const int w = f->Width();
        const int h = f->Height();
        f->EraseFragment();
        // On a fixed page a card that would stick out starts the next row. The row it leaves is
        // measured without it, and a row's first card never breaks (that would only leave an
        // empty row behind), so rows never overlap.
        if (set.FixedSize && col > 0 && set.FixedWidth < x + w + w / 3) {
            x = rowStart();
            y += rowH + kSpreadGap;
            rowH = 0;
            col = 0;
        }
        rowH = std::max(rowH, h);
        if (align || i == 0) {
            f->Left = x;
            f->Top = y;
        } else {
            f->Left = x + Rand8(random);
            const int r2 = random.Next();
            const int drop = rowH != h ? Mod(random.Next(), rowH - h) : 0;
            f->Top = y + Mod(r2, 8) + drop;
        }
        f->Right = f->Left + w;
        f->Bottom = f->Top + h;
        f->ZOrder = next++;
        if (++col == perRow) {
            col = 0;
            x = rowStart();
            y += rowH + kSpreadGap;
            rowH = 0;
        } else {
            x += w + kSpreadGap;
        }
    }

    set.SortByZOrder();
    set.RebuildSelection();
    // Shown at once at the new places; the posted refresh then redraws the whole document.
    for (Fragment* f : set.SelectionList)
        f->MeasureAndDraw();
    set.EraseGroupLines();
    set.UpdateGroupFrames();
    set.Modified = true;
    set.RefreshRequest();
}

}  // namespace qv
