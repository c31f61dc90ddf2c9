#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

#include "geometry/exact_fit_stencil.h"
#include "tests/reference/literal_relaxation.h"

namespace {

// A level of every node kind, with random heights, right-hand sides, bands
// (some open on one side) and sample offsets.
LiteralLevel RandomLevel(int n, bool rhs, bool banded, bool sticky, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> height(-10.0, 10.0);
    std::uniform_real_distribution<float> offset(-0.5f, 0.5f), side(0.0f, 4.0f);
    std::uniform_int_distribution<int> pick(0, 99);
    const float inf = std::numeric_limits<float>::infinity();
    LiteralLevel L;
    L.n = n;
    L.w = 0.95 / 4.0;
    L.t = 0.05;
    L.rhs = rhs;
    L.banded = banded;
    L.sticky = sticky;
    const std::size_t nodes = static_cast<std::size_t>(n) * n;
    L.z.resize(nodes);
    L.f.resize(nodes);
    L.kind.resize(nodes);
    L.cdx.resize(nodes);
    L.cdy.resize(nodes);
    L.cval.resize(nodes);
    for (std::size_t o = 0; o < nodes; ++o) {
        L.z[o] = height(rng);
        L.f[o] = rhs ? height(rng) : 0.0;
        L.cval[o] = static_cast<float>(height(rng));
        const int p = pick(rng);
        L.kind[o] = p < 55 ? kFitFree : p < 70 ? kFitHeld : p < 80 ? kFitPinned : p < 92 ? kFitPressed : kFitStuck;
        if (L.kind[o] == kFitHeld) {
            L.cdx[o] = offset(rng);
            L.cdy[o] = offset(rng);
        } else {
            const float mid = static_cast<float>(L.z[o]) + offset(rng) * 8.0f;
            L.cdx[o] = pick(rng) < 10 ? -inf : mid - side(rng);
            L.cdy[o] = pick(rng) < 10 ? inf : mid + side(rng);
        }
    }
    return L;
}

FitLevel InRuns(const LiteralLevel& from) {
    FitLevel L;
    L.Size(from.n);
    L.w = from.w;
    L.t = from.t;
    L.rhs = from.rhs;
    L.banded = from.banded;
    L.sticky = from.sticky;
    L.z = from.z;
    L.f = from.f;
    L.kind = from.kind;
    L.cdx = from.cdx;
    L.cdy = from.cdy;
    L.cval = from.cval;
    for (auto* v : {&L.z, &L.f}) L.FromRowMajor(*v);
    L.ToRunOrder();
    return L;
}

// Nodes whose bits differ, heights or residuals, and kinds that differ.
int Differences(const LiteralLevel& want, const FitLevel& got, bool residual) {
    int count = 0;
    for (int j = 0; j < want.n; ++j)
        for (int i = 0; i < want.n; ++i) {
            const double a = residual ? want.r[want.At(i, j)] : want.z[want.At(i, j)];
            const double b = residual ? got.r[got.At(i, j)] : got.z[got.At(i, j)];
            count += std::memcmp(&a, &b, sizeof a) != 0;
            count += want.kind[want.At(i, j)] != got.kind[got.At(i, j)];
        }
    return count;
}

} // namespace

TEST(ExactFitRuns, SweepsAndResidualsGiveTheLiteralBitsOnEveryShapeAndPool) {
    WorkerPool two(2), three(3);
    unsigned seed = 1;
    // Sizes below the stencil, odd runs, ragged last runs, and grids the
    // pool splits into bands with seams between them.
    for (int n : {3, 4, 5, 7, 12, 33, 130, 257}) {
        for (int config = 0; config < 8; ++config) {
            const bool rhs = config & 1, banded = config & 2, sticky = config & 4;
            for (WorkerPool* pool : {static_cast<WorkerPool*>(nullptr), &two, &three}) {
                SCOPED_TRACE(testing::Message() << "n " << n << " rhs " << rhs << " banded " << banded
                                                << " sticky " << sticky << " threads "
                                                << (pool ? pool->Size() : 1));
                LiteralLevel want = RandomLevel(n, rhs, banded, sticky, ++seed);
                FitLevel got = InRuns(want);
                LiteralSweep(want);
                LiteralSweep(want);
                RelaxLevel(got, pool);
                RelaxLevel(got, pool);
                EXPECT_EQ(Differences(want, got, false), 0);
                const bool turned = LiteralResidual(want);
                EXPECT_EQ(LevelResidual(got, pool), turned);
                EXPECT_EQ(Differences(want, got, true), 0);
            }
        }
    }
}

TEST(ExactFitRuns, RowsComeBackInColumnOrder) {
    for (int n : {3, 9, 11, 130}) {
        FitLevel L;
        L.Size(n);
        std::vector<int> v(static_cast<std::size_t>(n) * n);
        for (std::size_t o = 0; o < v.size(); ++o) v[o] = static_cast<int>(o);
        L.FromRowMajor(v);
        ASSERT_EQ(v.size(), L.Nodes());
        std::vector<int> row(static_cast<std::size_t>(n));
        for (int j = 0; j < n; ++j) {
            L.GatherRow(v, j, row.data());
            for (int i = 0; i < n; ++i) ASSERT_EQ(row[static_cast<std::size_t>(i)], j * n + i) << n;
        }
    }
}
