#pragma once
// The size field written the plain way: one direction after another, the eight
// growth sweeps node by node straight off their table. The threaded and
// vectorised field must give the same bits.
#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/size_field.h"

namespace literal {

// The eight sweeps, one node at a time; the vertical ones leave the last
// column to the diagonals.
inline void LimitGrowth(int n, float g, float* l) {
    const float gd = static_cast<float>(g * std::sqrt(2.0));
    auto relax = [&](int pc, int pr, int dx, int dy, float cost) {
        float& q = l[(pr + dy) * n + pc + dx];
        q = std::min(q, l[pr * n + pc] + cost);
    };
    for (int r = 0; r <= n - 1; ++r)
        for (int c = 0; c <= n - 2; ++c) relax(c, r, 1, 0, g);
    for (int r = 0; r <= n - 1; ++r)
        for (int c = n - 1; c >= 1; --c) relax(c, r, -1, 0, g);
    for (int r = 0; r <= n - 2; ++r)
        for (int c = 0; c <= n - 2; ++c) relax(c, r, 0, 1, g);
    for (int r = n - 1; r >= 1; --r)
        for (int c = 0; c <= n - 2; ++c) relax(c, r, 0, -1, g);
    for (int r = 0; r <= n - 2; ++r)
        for (int c = 0; c <= n - 2; ++c) relax(c, r, 1, 1, gd);
    for (int r = n - 1; r >= 1; --r)
        for (int c = n - 1; c >= 1; --c) relax(c, r, -1, -1, gd);
    for (int r = 0; r <= n - 2; ++r)
        for (int c = n - 1; c >= 1; --c) relax(c, r, -1, 1, gd);
    for (int r = n - 1; r >= 1; --r)
        for (int c = 0; c <= n - 2; ++c) relax(c, r, 1, -1, gd);
}

// Curvature of every inner node, then per direction of the fan the lengths,
// their growth limit and the keep-the-farthest-in-y rule.
inline SizeField BuildSizeField(const HeightGrid& grid, const TuningConstants& tuning) {
    const int n = grid.gridSize;
    const std::size_t count = static_cast<std::size_t>(n) * n;
    const float maxLength = static_cast<float>(n) * grid.cellSize * tuning.MaxEdgeFactor;
    const float g = grid.cellSize * tuning.SizeGrowthFactor;
    const float inv = 1.0f / maxLength;
    std::vector<SizeMatrix> curvature(count, SizeMatrix{{inv, 0.0f}, {0.0f, inv}});
    for (int r = 1; r <= n - 2; ++r)
        for (int c = 1; c <= n - 2; ++c)
            curvature[static_cast<std::size_t>(r) * n + c] = CurvatureAt(grid, c, r, tuning);

    SizeField field(count);
    std::vector<float> lengths(count);
    for (int k = 0; k < kDirectionSteps; ++k) {
        const double a = static_cast<double>(k) / kDirectionSteps * 3.14159265358979323846;
        const Point2 d(std::cos(a), std::sin(a));
        for (std::size_t i = 0; i < count; ++i) lengths[i] = 1.0f / Apply(curvature[i], d).Length();
        LimitGrowth(n, g, lengths.data());
        for (std::size_t i = 0; i < count; ++i) {
            if (k == 0) {
                field[i].r0 = field[i].r1 = d * lengths[i];
            } else if (field[i].r1.y < lengths[i] * d.y) {
                field[i].r1 = d * lengths[i];
            }
        }
    }
    return field;
}

} // namespace literal
