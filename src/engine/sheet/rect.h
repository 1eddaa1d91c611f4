#pragma once
// A rectangle of cells, 0-based rows and columns, both ends included.

#include <algorithm>

namespace kolumbra::sheet {

inline constexpr int MaxRows = 65536;
inline constexpr int MaxColumns = 256;

struct Rect {
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    bool operator==(const Rect&) const = default;
    bool Contains(int r, int c) const { return r >= r1 && r <= r2 && c >= c1 && c <= c2; }
    bool Overlaps(const Rect& o) const { return r1 <= o.r2 && o.r1 <= r2 && c1 <= o.c2 && o.c1 <= c2; }
    bool IsSingleCell() const { return r1 == r2 && c1 == c2; }
    long long CellCount() const { return static_cast<long long>(r2 - r1 + 1) * (c2 - c1 + 1); }
    Rect Union(const Rect& o) const {
        return Rect{std::min(r1, o.r1), std::min(c1, o.c1), std::max(r2, o.r2), std::max(c2, o.c2)};
    }
};

}  // namespace kolumbra::sheet
