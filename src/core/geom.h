// Points and rectangles in document or client pixels.
//
// Rectangles follow the platform rules the program's files and layouts were made with: Right and
// Bottom are exclusive, a rectangle whose width or height is <= 0 is empty, and the union with an
// empty rectangle is the other one.
#pragma once

#include <algorithm>

namespace qv {

struct Point {
    int X = 0;
    int Y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    static Rect FromSize(int left, int top, int width, int height) {
        return Rect{left, top, left + width, top + height};
    }

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }

    bool Contains(Point p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    bool Contains(int x, int y) const { return Contains(Point{x, y}); }

    // True when the two rectangles share at least one pixel.
    bool Intersects(const Rect& o) const {
        return !IsEmpty() && !o.IsEmpty() && Left < o.Right && o.Left < Right && Top < o.Bottom &&
               o.Top < Bottom;
    }

    // The common part; an empty Rect{} when they do not meet.
    Rect Intersected(const Rect& o) const {
        Rect r{std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right),
               std::min(Bottom, o.Bottom)};
        return r.IsEmpty() ? Rect{} : r;
    }

    // The smallest rectangle holding both; an empty operand does not count.
    Rect United(const Rect& o) const {
        if (o.IsEmpty()) return IsEmpty() ? Rect{} : *this;
        if (IsEmpty()) return o;
        return Rect{std::min(Left, o.Left), std::min(Top, o.Top), std::max(Right, o.Right),
                    std::max(Bottom, o.Bottom)};
    }

    Rect Translated(int dx, int dy) const {
        return Rect{Left + dx, Top + dy, Right + dx, Bottom + dy};
    }
    Rect Inflated(int dx, int dy) const {
        return Rect{Left - dx, Top - dy, Right + dx, Bottom + dy};
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace qv
