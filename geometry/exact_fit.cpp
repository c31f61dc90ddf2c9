// Minimum curvature with tension on the height grid, solved coarse to fine by
// multigrid V-cycles: the hierarchy, the samples held and the bands kept. The
// operator and its relaxation are exact_fit_stencil's.
#include "geometry/exact_fit.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <utility>

#include "geometry/exact_fit_stencil.h"

namespace {

using Real = FitReal;
using Level = FitLevel;

// Below the finest level a cycle or two give the next one its start.
constexpr int kCoarseCycles = 2;
// The lines are sampled half a cell apart: every square a line crosses for
// half a cell holds a sample, and each line's nodes stay a chain (samples
// less than a cell apart fall in neighbouring squares). Sampled denser, more
// nodes are held by samples near their squares' corners, which fits real
// DEMs worse and takes more cycles.
constexpr float kSampleStep = 0.5f; // in cells

// Full weighting, summed rather than averaged: a coarse row carries four
// times the area of a fine one, which is how its operator is scaled.
void Restrict(const Level& fine, Level& coarse, WorkerPool* pool) {
    const int n = coarse.n, fn = fine.n;
    const Real wt[3] = {0.5, 1.0, 0.5};
    ForRowBands(pool, n, RowBands(pool, n), [&](int, int j0, int j1) {
        std::vector<Real> rows(3 * static_cast<std::size_t>(fn)); // fine rows 2J - 1 .. 2J + 1
        for (int J = j0; J < j1; ++J) {
            for (int b = -1; b <= 1; ++b)
                if (2 * J + b >= 0 && 2 * J + b < fn)
                    fine.GatherRow(fine.r, 2 * J + b, rows.data() + static_cast<std::size_t>(b + 1) * fn);
            for (int S = 0; S < 5; ++S) {
                const std::size_t start = coarse.RunStart(S, J);
                for (int I = S, K = 0; I < n; I += 5, ++K) {
                    const std::size_t o = start + static_cast<std::size_t>(K);
                    coarse.z[o] = 0.0;
                    if (coarse.kind[o] != kFitFree) {
                        coarse.f[o] = 0.0;
                        continue;
                    }
                    Real s = 0.0;
                    const int x = 2 * I;
                    if (I > 0 && J > 0 && x + 1 < fn && 2 * J + 1 < fn) {
                        // Inside, the same sums in the same order, unrolled.
                        const Real* r = rows.data() + x;
                        const std::size_t u = static_cast<std::size_t>(fn);
                        s += 0.25 * r[-1], s += 0.5 * r[0], s += 0.25 * r[1];
                        s += 0.5 * r[u - 1], s += 1.0 * r[u], s += 0.5 * r[u + 1];
                        s += 0.25 * r[2 * u - 1], s += 0.5 * r[2 * u], s += 0.25 * r[2 * u + 1];
                        coarse.f[o] = s;
                        continue;
                    }
                    for (int b = -1; b <= 1; ++b) {
                        const int y = 2 * J + b;
                        if (y < 0 || y >= fn) continue;
                        const Real* row = rows.data() + static_cast<std::size_t>(b + 1) * fn;
                        for (int a = -1; a <= 1; ++a) {
                            const int x = 2 * I + a;
                            if (x < 0 || x >= fn) continue;
                            s += wt[a + 1] * wt[b + 1] * row[x];
                        }
                    }
                    coarse.f[o] = s;
                }
            }
        }
    });
}

// The coarse level's z, bilinear along the fine row j (fine.n nodes), row by
// row over the pool: each(j, line).
void Interpolate(const Level& coarse, const Level& fine, WorkerPool* pool,
                 const std::function<void(int, const Real*)>& each) {
    const int fn = fine.n, cn = coarse.n;
    ForRowBands(pool, fn, RowBands(pool, fn), [&](int, int j0, int j1) {
        // Coarse rows J and J + 1, and the fine row.
        std::vector<Real> rows(2 * static_cast<std::size_t>(cn) + static_cast<std::size_t>(fn));
        Real* lower = rows.data();
        Real* upper = lower + cn;
        Real* line = upper + cn;
        for (int j = j0; j < j1; ++j) {
            const int J = j / 2;
            const bool oddJ = j & 1;
            coarse.GatherRow(coarse.z, J, lower);
            if (oddJ) coarse.GatherRow(coarse.z, J + 1, upper);
            for (int i = 0; i < fn; ++i) {
                const int I = i / 2;
                Real e = lower[I];
                if ((i & 1) && oddJ) e = 0.25 * (e + lower[I + 1] + upper[I] + upper[I + 1]);
                else if (i & 1) e = 0.5 * (e + lower[I + 1]);
                else if (oddJ) e = 0.5 * (e + upper[I]);
                line[i] = e;
            }
            each(j, line);
        }
    });
}

// Bilinear, added to the fine level's free nodes only.
void ProlongAdd(const Level& coarse, Level& fine, WorkerPool* pool) {
    const int fn = fine.n;
    Interpolate(coarse, fine, pool, [&](int j, const Real* line) {
        for (int s = 0; s < 5; ++s) {
            const std::size_t start = fine.RunStart(s, j);
            Real* z = fine.z.data() + start;
            const std::uint8_t* kind = fine.kind.data() + start;
            const float* lo = fine.banded ? fine.cdx.data() + start : nullptr;
            const float* hi = fine.banded ? fine.cdy.data() + start : nullptr;
            for (int i = s, k = 0; i < fn; i += 5, ++k) {
                Real moved = z[k] + line[i];
                if (lo) moved = std::clamp<Real>(moved, lo[k], hi[k]);
                z[k] = kind[k] == kFitFree ? moved : z[k];
            }
        }
    });
}

// A coarse node carries no correction where any fine node it gathers from is
// held: the samples there settle the surface, the smoothing does the rest.
void CoarsenKinds(const Level& fine, Level& coarse, WorkerPool* pool) {
    const int n = coarse.n, fn = fine.n;
    ForRowBands(pool, n, RowBands(pool, n), [&](int, int j0, int j1) {
        // Per fine column, whether any of the three fine rows is other than free.
        std::vector<std::uint8_t> row(static_cast<std::size_t>(fn)), any(static_cast<std::size_t>(fn));
        for (int J = j0; J < j1; ++J) {
            std::fill(any.begin(), any.end(), 0);
            for (int y = std::max(0, 2 * J - 1); y <= std::min(fn - 1, 2 * J + 1); ++y) {
                fine.GatherRow(fine.kind, y, row.data());
                for (int x = 0; x < fn; ++x) any[static_cast<std::size_t>(x)] |= row[static_cast<std::size_t>(x)];
            }
            for (int I = 0; I < n; ++I) {
                const std::size_t x = static_cast<std::size_t>(2 * I);
                const bool other = any[x] | (I > 0 ? any[x - 1] : 0) | (2 * I + 1 < fn ? any[x + 1] : 0);
                coarse.kind[coarse.At(I, J)] = other ? kFitPinned : kFitFree;
            }
        }
    });
}

void VCycle(std::vector<Level>& levels, int k, WorkerPool* pool, bool corrected = true) {
    Level& L = levels[static_cast<std::size_t>(k)];
    if (k == 1 || !corrected) {
        for (int s = 0; s < (k == 1 ? 20 : 4); ++s) RelaxLevel(L, pool);
        return;
    }
    RelaxLevel(L, pool);
    RelaxLevel(L, pool);
    // The coarse grids' kinds follow the nodes pressed against their bands.
    if (LevelResidual(L, pool))
        for (int m = k - 1; m >= 1; --m)
            CoarsenKinds(levels[static_cast<std::size_t>(m + 1)], levels[static_cast<std::size_t>(m)], pool);
    Level& C = levels[static_cast<std::size_t>(k - 1)];
    Restrict(L, C, pool);
    VCycle(levels, k - 1, pool);
    ProlongAdd(C, L, pool);
    RelaxLevel(L, pool);
    RelaxLevel(L, pool);
}

// The tension is weighed against the bending on the cells of this level
// count over the site, whatever the grid: in grid cells a slope's weight
// against a bend's grows fourfold at each finer level, and a finer grid would
// otherwise give a flatter surface, not a more detailed one.
constexpr int kTensionLevels = 10;

void SizeLevel(Level& L, int k, int levels, float tension) {
    L.Size(GridSizeForLevels(k));
    const float h = std::ldexp(1.0f, levels - k); // in finest cells
    L.w = (1.0f - tension) / (h * h);
    L.t = std::ldexp(tension, 2 * (kTensionLevels - levels));
    L.z.assign(L.Nodes(), 0.0f);
    // Row-major until the samples and regions have placed their nodes.
    L.kind.assign(static_cast<std::size_t>(L.n) * static_cast<std::size_t>(L.n), kFitFree);
}

// Ties each node to the nearest sample in its half-cell square, and marks the
// squares that hold samples of two heights. Row-major, as the regions are.
void HoldSamples(Level& L, const std::vector<LineSample>& samples, const Point2& origin,
                 float cellSize, float base, NodeTies& ties) {
    const int n = L.n;
    const std::size_t nodes = L.kind.size();
    std::vector<std::int32_t>& owner = ties.owner;
    owner.assign(nodes, -1);
    ties.shared.assign(nodes, 0);
    L.cdx.assign(nodes, 0.0f);
    L.cdy.assign(nodes, 0.0f);
    L.cval.assign(nodes, 0.0f);
    std::vector<Real>& best = L.r; // free until the solve starts
    best.assign(nodes, std::numeric_limits<float>::infinity());
    const GridPlace place{origin.x, origin.y, cellSize, n};
    for (std::size_t s = 0; s < samples.size(); ++s) {
        const LineSample& p = samples[s];
        int i = 0, j = 0;
        float dx = 0.0f, dy = 0.0f;
        if (!NodeOfSample(p, place, i, j, dx, dy)) continue;
        const float d2 = dx * dx + dy * dy;
        const std::size_t o = static_cast<std::size_t>(j) * static_cast<std::size_t>(n) +
                              static_cast<std::size_t>(i);
        // Unlike the one tied so far, it is a second height here.
        if (owner[o] >= 0 && samples[static_cast<std::size_t>(owner[o])].z != p.z) ties.shared[o] = 1;
        if (!(d2 < best[o])) continue;
        best[o] = d2;
        owner[o] = static_cast<std::int32_t>(s);
        L.kind[o] = kFitHeld;
        L.cdx[o] = dx;
        L.cdy[o] = dy;
        L.cval[o] = p.z - base;
    }
}

// Free nodes keep to the band of the region they lie in; a band of one
// height pins them flat. The nodes then take the solve's order.
void BandFreeRegions(Level& L, const std::vector<LineSample>& samples, const Point2& origin,
                     float cellSize, float base, const NodeTies& ties, WorkerPool* pool) {
    BandFreeNodes({origin.x, origin.y, cellSize, L.n}, ties, samples, L.cdx, L.cdy, pool);
    std::atomic<bool> banded{false};
    RunRanges(pool, L.kind.size(), 4096, [&](std::size_t begin, std::size_t end) {
        bool any = false;
        for (std::size_t o = begin; o < end; ++o) {
            if (L.kind[o] != kFitFree) continue;
            const float lo = L.cdx[o], hi = L.cdy[o];
            if (lo == hi) {
                L.kind[o] = kFitPinned;
                L.cval[o] = lo - base;
                continue;
            }
            L.cdx[o] = lo - base;
            L.cdy[o] = hi - base;
            any = any || std::isfinite(lo) || std::isfinite(hi);
        }
        if (any) banded.store(true, std::memory_order_relaxed);
    });
    L.banded = banded.load();
    L.ToRunOrder(pool);
}

// The solve ties each held node to its sample by the Taylor condition, which
// the grid's bilinear surface (what every later stage reads) meets only where
// the surface is a plane: across a bend it misses the sample, and a ring
// narrower than two cells can vanish between its nodes. Each held node is
// finally set so that the bilinear surface of its sample's square passes
// through the sample, the square's other corners as the solve left them: a
// snapshot, so no node reads another's new height. It stays within one
// contour interval of its sample's height, since a node further off would
// have a contour between itself and its sample.
void SettleOnSquares(Level& L, Real interval, WorkerPool* pool) {
    const int n = L.n;
    if (n < 3) return;
    std::vector<Real>& solved = L.r; // scratch once the cycles are done
    solved.assign(L.z.begin(), L.z.end());
    ForRowBands(pool, n, RowBands(pool, n), [&](int, int j0, int j1) {
        // A node held on the grid's edge already has its sample's height.
        for (int j = std::max(j0, 1); j < std::min(j1, n - 1); ++j)
            for (int i = 1; i + 1 < n; ++i) {
                const std::size_t o = L.At(i, j);
                if (L.kind[o] != kFitHeld) continue;
                const Real dx = L.cdx[o], dy = L.cdy[o];
                const Real a = std::fabs(dx), b = std::fabs(dy);
                const int si = dx < 0.0 ? -1 : 1, sj = dy < 0.0 ? -1 : 1;
                const Real across = a * (1.0 - b) * solved[L.At(i + si, j)] +
                                    (1.0 - a) * b * solved[L.At(i, j + sj)] +
                                    a * b * solved[L.At(i + si, j + sj)];
                const Real v = L.cval[o];
                L.z[o] = std::clamp((v - across) / ((1.0 - a) * (1.0 - b)), v - interval, v + interval);
            }
    });
}

Real LargestMove(const Level& L, const std::vector<float>& before, WorkerPool* pool) {
    const int bands = RowBands(pool, L.n);
    std::vector<Real> most(static_cast<std::size_t>(bands), 0.0);
    ForRowBands(pool, L.n, bands, [&](int b, int j0, int j1) {
        Real m = 0.0;
        const std::size_t end = L.At(0, j1);
        for (std::size_t o = L.At(0, j0); o < end; ++o)
            m = std::max(m, std::fabs(L.z[o] - static_cast<Real>(before[o])));
        most[static_cast<std::size_t>(b)] = m;
    });
    return *std::max_element(most.begin(), most.end());
}

} // namespace

ExactFitReport FitExactHeightField(HeightGrid& grid, const std::vector<ContourLine>& lines,
                                   int levels, const ExactFitSettings& settings,
                                   BuildProgress* progress, WorkerPool* pool) {
    ExactFitReport report;
    levels = std::max(levels, 1);
    const float tension = std::clamp(settings.tension, 0.0f, 1.0f);
    const int finest = GridSizeForLevels(levels);
    const float finestCell = grid.extent / static_cast<float>(finest - 1);
    const std::vector<LineSample> samples = SampleLines(lines, finestCell * kSampleStep);

    float lo = std::numeric_limits<float>::infinity(), hi = -lo;
    double sum = 0.0;
    for (const LineSample& s : samples) {
        lo = std::min(lo, s.z);
        hi = std::max(hi, s.z);
        sum += s.z;
    }
    const float start = samples.empty() ? 0.0f : static_cast<float>(sum / static_cast<double>(samples.size()));
    const float range = samples.empty() ? 0.0f : hi - lo;
    const float interval = ContourInterval(samples);
    // The height the tolerance and the settling on squares are measured in.
    const float scale = interval > 0.0f ? interval : range > 0.0f ? range : std::max(1.0f, std::fabs(start));
    report.limit = settings.tolerance * scale;

    ProgressScope bar(progress, "Surface Building");
    bar.Update(0);
    bool cancelled = false;
    std::vector<Level> hierarchy(static_cast<std::size_t>(levels) + 1);
    NodeTies ties;
    for (int top = 1; top <= levels; ++top) {
        Level& L = hierarchy[static_cast<std::size_t>(top)];
        SizeLevel(L, top, levels, tension);
        L.relax = settings.overRelax;
        const float cell = grid.extent / static_cast<float>(L.n - 1);
        const std::vector<LineSample> coarser = top < levels ? SampleLines(lines, cell * kSampleStep)
                                                             : std::vector<LineSample>();
        const std::vector<LineSample>& here = top < levels ? coarser : samples;
        HoldSamples(L, here, grid.origin, cell, start, ties);
        FreeVector(L.r); // its scratch, until the first residual: room for the regions' own
        // The levels below only give the finest its start: the cycles there
        // settle it as well without bands, and each band costs a flood.
        if (top == levels) BandFreeRegions(L, here, grid.origin, cell, start, ties, pool);
        else L.ToRunOrder(pool);
        FreeVector(ties.owner);
        FreeVector(ties.shared);
        L.rhs = false;
        FreeVector(L.f);
        if (top == 1) {
            std::fill(L.z.begin(), L.z.end(), 0.0f);
        } else {
            // The level below seeds this one, then answers its corrections.
            Interpolate(hierarchy[static_cast<std::size_t>(top - 1)], L, pool,
                        [&](int j, const Real* line) { L.ScatterRow(L.z, j, line); });
            for (int k = top - 1; k >= 1; --k) {
                Level& C = hierarchy[static_cast<std::size_t>(k)];
                CoarsenKinds(hierarchy[static_cast<std::size_t>(k + 1)], C, pool);
                C.rhs = true;
                C.banded = false;
                C.f.assign(C.z.size(), 0.0f);
                C.cval.assign(C.z.size(), 0.0f);
                FreeVector(C.cdx);
                FreeVector(C.cdy);
            }
        }
        int maxCycles = cancelled ? 1 : std::max(1, settings.maxCycles);
        if (top < levels) maxCycles = std::min(maxCycles, kCoarseCycles);
        // Heights before the cycle, in float: enough to measure a move by.
        std::vector<float> before(L.z.size());
        Real lastMove = std::numeric_limits<Real>::infinity();
        int stalls = 0, grows = 0;
        bool corrected = true;
        std::vector<float> settled;
        for (int c = 0; c < maxCycles; ++c) {
            RunRanges(pool, L.z.size(), 4096, [&](std::size_t begin, std::size_t end) {
                for (std::size_t o = begin; o < end; ++o) before[o] = static_cast<float>(L.z[o]);
            });
            VCycle(hierarchy, top, pool, corrected);
            const Real move = LargestMove(L, before, pool);
            if (top == levels) {
                report.cycles = c + 1;
                report.lastChange = static_cast<float>(move);
                // Relaxed alone, small moves say little of what is left.
                report.converged = corrected && move <= report.limit;
            }
            bar.Update(((top - 1) * 100 + std::min(99, (c + 1) * 100 / maxCycles)) / levels);
            if (move <= report.limit) break;
            // Nodes let go of their band and pressed again by the next cycle
            // can hold the cycles in a loop that no longer shrinks; from the
            // second cycle that fails to shrink the largest move by a tenth,
            // pressed nodes stay pressed.
            stalls = move > 0.9 * lastMove ? stalls + 1 : 0;
            if (stalls >= 2) L.sticky = true;
            // Over-relaxed, the cycles can grow instead of settling (real
            // contours sampled a cell apart did; past 1.8 most contours do);
            // from the third cycle in a row whose largest move grows, every
            // level relaxes plainly.
            grows = move > lastMove ? grows + 1 : 0;
            if (grows == 1) settled = before; // the heights the growth started from
            if (grows >= 3)
                for (Level& each : hierarchy) each.relax = 1.0;
            // Where a thin plate leaves an area free to turn about a line (a
            // strip beyond the last contour), the coarse grids' corrections
            // can grow even so: from three more growing cycles the level
            // goes back to where the growth started and relaxes on its own.
            if (grows >= 6 && corrected) {
                corrected = false;
                std::copy(settled.begin(), settled.end(), L.z.begin());
            }
            lastMove = move;
            // A cancel only cuts the cycles: every level still gets one.
            if (bar.Cancelled()) {
                cancelled = true;
                break;
            }
        }
    }

    // Only the finest heights are left when the grid's own array is made.
    Level& finestLevel = hierarchy[static_cast<std::size_t>(levels)];
    SettleOnSquares(finestLevel, scale, pool);
    for (int k = 1; k < levels; ++k) hierarchy[static_cast<std::size_t>(k)] = Level();
    FreeVector(finestLevel.r);
    FreeVector(finestLevel.f);
    FreeVector(finestLevel.cdx);
    FreeVector(finestLevel.cdy);
    FreeVector(finestLevel.cval);
    FreeVector(finestLevel.kind);
    grid.gridSize = finestLevel.n;
    grid.cellSize = finestCell;
    const int n = finestLevel.n;
    grid.heights.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
            grid.heights[static_cast<std::size_t>(j) * static_cast<std::size_t>(n) + static_cast<std::size_t>(i)] =
                static_cast<float>(finestLevel.z[finestLevel.At(i, j)] + start);
    return report;
}
