#include "geometry/size_field.h"

#include <algorithm>
#include <cmath>
#include <vector>


namespace {

constexpr double Pi = 3.14159265358979323846;

// Direction k of the size field's fan: the angle is k / kDirectionSteps of pi.
Point2 FanDirection(int k) {
    const double a = static_cast<double>(k) / kDirectionSteps * Pi;
    return Point2(std::cos(a), std::sin(a));
}

// 1 / |m applied to d| for every node; a zero image gives an infinite length,
// which LimitGrowth then bounds from the border.
void LengthsAlong(const std::vector<SizeMatrix>& m, const Point2& d, std::vector<float>& out) {
    const std::size_t count = m.size();
    for (std::size_t i = 0; i < count; ++i) out[i] = 1.0f / Apply(m[i], d).Length();
}

// Relaxes q from p over one row pair: rows are independent of each other in
// the vertical and diagonal sweeps, so the column order inside them is free.
inline void RelaxRow(float* __restrict q, const float* __restrict p, int count, float cost) {
    for (int c = 0; c < count; ++c) {
        const float v = p[c] + cost;
        q[c] = v < q[c] ? v : q[c];
    }
}

// The two horizontal sweeps are chains along each row. Rows are independent,
// so a block of rows advances one column at a time; the result is the same as
// finishing one row after another.
constexpr int RowBlock = 16;

void SweepRowsForward(int n, float g, float* l) {
    for (int r0 = 0; r0 < n; r0 += RowBlock) {
        const int r1 = std::min(n, r0 + RowBlock);
        for (int c = 0; c + 1 < n; ++c)
            for (int r = r0; r < r1; ++r) {
                float* row = l + static_cast<std::size_t>(r) * n;
                const float v = row[c] + g;
                row[c + 1] = v < row[c + 1] ? v : row[c + 1];
            }
    }
}

void SweepRowsBackward(int n, float g, float* l) {
    for (int r0 = 0; r0 < n; r0 += RowBlock) {
        const int r1 = std::min(n, r0 + RowBlock);
        for (int c = n - 1; c >= 1; --c)
            for (int r = r0; r < r1; ++r) {
                float* row = l + static_cast<std::size_t>(r) * n;
                const float v = row[c] + g;
                row[c - 1] = v < row[c - 1] ? v : row[c - 1];
            }
    }
}

// trunc(g) limited to 0 .. n - 1; compared in float first so that a far-off
// or undefined coordinate cannot overflow the conversion.
int CellIndex(float g, int n) {
    if (!(g >= 1.0f)) return 0;
    if (g >= static_cast<float>(n - 1)) return n - 1;
    return static_cast<int>(g);
}

} // namespace

const Point2 DirectionTable[8] = {
    Point2(std::cos(0 * Pi / 8), std::sin(0 * Pi / 8)),
    Point2(std::cos(1 * Pi / 8), std::sin(1 * Pi / 8)),
    Point2(std::cos(2 * Pi / 8), std::sin(2 * Pi / 8)),
    Point2(std::cos(3 * Pi / 8), std::sin(3 * Pi / 8)),
    Point2(std::cos(4 * Pi / 8), std::sin(4 * Pi / 8)),
    Point2(std::cos(5 * Pi / 8), std::sin(5 * Pi / 8)),
    Point2(std::cos(6 * Pi / 8), std::sin(6 * Pi / 8)),
    Point2(std::cos(7 * Pi / 8), std::sin(7 * Pi / 8)),
};

SizeMatrix PrincipalScale(const SizeMatrix& t, float limit) {
    const float a = t.r0.x, b = t.r0.y, c = t.r1.x, e = t.r1.y;
    const float det = std::fabs(e * a - c * b);
    Point2 best;
    float bestSq = 0.0f;
    for (const Point2& v : DirectionTable) {
        const Point2 u = Apply(t, v);
        const float sq = u.LengthSquared();
        if (sq > bestSq) {
            bestSq = sq;
            best = u;
        }
    }
    const float s1 = std::sqrt(bestSq);
    Point2 d(0.0f, 1.0f);
    float s2 = 0.0f;
    if (s1 > 0.0f) {
        d = best / s1;
        s2 = det / s1;
    }
    const Point2 p(-d.y, d.x);
    const float k1 = std::min(std::sqrt(s1), limit);
    const float k2 = std::min(std::sqrt(s2), limit);
    return {p * k2, d * k1};
}

void LimitGrowth(int n, float g, float* l) {
    if (n < 2) return;
    const float gd = static_cast<float>(g * std::sqrt(2.0));
    const std::size_t stride = static_cast<std::size_t>(n);
    auto row = [&](int r) { return l + static_cast<std::size_t>(r) * stride; };
    SweepRowsForward(n, g, l);
    SweepRowsBackward(n, g, l);
    // Vertical sweeps leave the last column out.
    for (int r = 0; r <= n - 2; ++r) RelaxRow(row(r + 1), row(r), n - 1, g);
    for (int r = n - 1; r >= 1; --r) RelaxRow(row(r - 1), row(r), n - 1, g);
    // Diagonals: p in columns 0 .. n-2 or 1 .. n-1, q one row on.
    for (int r = 0; r <= n - 2; ++r) RelaxRow(row(r + 1) + 1, row(r), n - 1, gd);
    for (int r = n - 1; r >= 1; --r) RelaxRow(row(r - 1), row(r) + 1, n - 1, gd);
    for (int r = 0; r <= n - 2; ++r) RelaxRow(row(r + 1), row(r) + 1, n - 1, gd);
    for (int r = n - 1; r >= 1; --r) RelaxRow(row(r - 1) + 1, row(r), n - 1, gd);
}

SizeMatrix CurvatureAt(const HeightGrid& grid, int column, int row, const TuningConstants& tuning) {
    const int n = grid.gridSize;
    const float h = grid.cellSize;
    const std::vector<float>& heights = grid.heights;
    float z[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            z[i][j] = heights[static_cast<std::size_t>(row - 1 + i) * n + (column - 1 + j)];

    // The literals 6.0, 1.0 and 2.0 are double: those steps run in double and
    // are rounded to float when stored.
    const float gy =
        static_cast<float>(((z[2][0] + z[2][1] + z[2][2]) - z[0][0] - z[0][1] - z[0][2]) / h / 6.0);
    const float gx =
        static_cast<float>(((z[0][2] + z[1][2] + z[2][2]) - z[0][0] - z[1][0] - z[2][0]) / h / 6.0);
    const float s = static_cast<float>(std::sqrt(1.0 / (gx * gx + gy * gy + 1.0)));
    const float h2 = h * h;
    const float shape = tuning.TriangleShapeFactor;
    const float scale = tuning.CurvatureScale;
    const float hxx =
        static_cast<float>(((z[0][0] + z[1][0] + z[2][0] + z[0][2] + z[1][2] + z[2][2]) -
                            2.0 * (z[0][1] + z[1][1] + z[2][1])) /
                           h2 / shape * s);
    const float hyy =
        static_cast<float>(((z[0][0] + z[0][1] + z[0][2] + z[2][0] + z[2][1] + z[2][2]) -
                            2.0 * (z[1][0] + z[1][1] + z[1][2])) /
                           h2 / shape * s);
    const float hxy = ((z[2][2] - z[2][0]) + z[0][0] - z[0][2]) / h2 / scale * s;

    const float q = h * scale;
    const SizeMatrix t{{hxx / q, hxy / q}, {hxy / q, hyy / q}};
    const SizeMatrix p = PrincipalScale(t, 1.0f / h);
    return {{p.r0.x, p.r1.x}, {p.r0.y, p.r1.y}};
}

void BuildSizeField(SizeField& sizeField, const HeightGrid& grid, const TuningConstants& tuning,
                    BuildProgress* progress) {
    const int n = grid.gridSize;
    const float cellSize = grid.cellSize;
    const std::size_t count = static_cast<std::size_t>(n) * n;
    const float maxLength = static_cast<float>(n) * cellSize * tuning.MaxEdgeFactor;
    const float g = cellSize * tuning.SizeGrowthFactor;

    ProgressScope bar(progress, "Mesh Distortion Building");
    bar.Update(0);

    const float inv = 1.0f / maxLength;
    std::vector<SizeMatrix> curvature(count, SizeMatrix{{inv, 0.0f}, {0.0f, inv}});
    for (int r = 1; r <= n - 2; ++r)
        for (int c = 1; c <= n - 2; ++c)
            curvature[static_cast<std::size_t>(r) * n + c] = CurvatureAt(grid, c, r, tuning);

    std::vector<float> lengths(count);
    const Point2 d0(1.0f, 0.0f);
    LengthsAlong(curvature, d0, lengths);
    LimitGrowth(n, g, lengths.data());
    sizeField.assign(count, SizeMatrix{});
    for (std::size_t i = 0; i < count; ++i) {
        const Point2 r1 = d0 * lengths[i];
        sizeField[i] = {r1, r1};
    }

    for (int k = 1; k <= kDirectionSteps - 1; ++k) {
        bar.Update((k * 100) / kDirectionSteps);
        const Point2 d = FanDirection(k);
        LengthsAlong(curvature, d, lengths);
        LimitGrowth(n, g, lengths.data());
        for (std::size_t i = 0; i < count; ++i) {
            Point2& r1 = sizeField[i].r1;
            if (r1.y < lengths[i] * d.y) r1 = d * lengths[i];
        }
    }
}

void SizeAt(const HeightGrid& grid, const SizeField& sizeField, const Point2& p, SizeMatrix& m,
            int& id) {
    const int n = grid.gridSize;
    const int c = CellIndex((p.x - grid.origin.x) / grid.cellSize, n);
    const int r = CellIndex((p.y - grid.origin.y) / grid.cellSize, n);
    const std::size_t i = static_cast<std::size_t>(r) * n + c;
    m = sizeField[i];
    id = i < grid.matIds.size() ? grid.matIds[i] : grid.baseMatId;
}
