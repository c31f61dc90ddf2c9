// Minimum curvature with tension on the height grid, solved coarse to fine by
// multigrid V-cycles. The relaxation is a five-colour Gauss-Seidel: colour
// (i + 3j) mod 5 keeps every node of one colour out of the others' 13-node
// stencils, so a colour's nodes may be updated in any order, on any thread,
// with the same result.
#include "geometry/exact_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <utility>


namespace {

using Real = double; // the solve's arithmetic: the free border's rows are ill-conditioned for float

enum : std::uint8_t {
    kFree = 0,   // minimises bending and slope
    kHeld = 1,   // tied to its nearest sample by the Taylor condition
    kPinned = 2, // fixed at its value: a flat area, or no correction near the samples
    kPressed = 3, // free, but held at its band's edge: relaxed, not corrected from below
    kStuck = 4,   // pressed for good: once the cycles stall, see FitExactHeightField
};

// One grid of the hierarchy. On the level being solved z is the height; below
// it z is a correction and f the restricted residual it answers.
struct Level {
    int n = 0;
    Real w = 0.0; // bending weight (1 - tension) / h^2, h in finest cells
    Real t = 0.0; // slope weight: the tension
    bool rhs = false;
    bool banded = false; // free nodes kept within [cdx, cdy]
    bool sticky = false; // a node pressed against its band stays so
    std::vector<Real> z, f, r;
    std::vector<std::uint8_t> kind;
    // Held nodes: the sample's offset and height; pinned: the height in cval;
    // free nodes of a banded level: the band in cdx .. cdy.
    std::vector<float> cdx, cdy, cval;

    std::size_t At(int i, int j) const {
        return static_cast<std::size_t>(j) * static_cast<std::size_t>(n) +
               static_cast<std::size_t>(i);
    }
};

template <class T> void Free(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

// Free nodes are over-relaxed: the regions the coarse grids cannot reach
// (pockets between close contours) then settle in half the cycles; 1.8 no
// longer converges on real contours.
constexpr Real kOverRelax = 1.5;
// Below the finest level a cycle or two give the next one its start.
constexpr int kCoarseCycles = 2;
constexpr int kBorderStrip = 4;
constexpr int kBorderSweeps = 2;

int BandCount(WorkerPool* pool, int n) {
    const int threads = pool ? pool->Size() : 1;
    if (threads == 1 || n < 96) return 1;
    return std::max(1, std::min(threads * 4, n / 24));
}

void ForBands(WorkerPool* pool, int n, int bands, const std::function<void(int, int, int)>& rows) {
    if (bands <= 1) {
        rows(0, 0, n);
        return;
    }
    pool->Run(bands, [&](int b) {
        const int j0 = static_cast<int>(static_cast<long long>(n) * b / bands);
        const int j1 = static_cast<int>(static_cast<long long>(n) * (b + 1) / bands);
        rows(b, j0, j1);
    });
}

// The operator's row at node (i, j) without its diagonal term, and the
// diagonal, near the borders: the energy's terms that exist there, which is
// what leaves the borders free (natural conditions).
void BorderRow(const Level& L, int i, int j, Real& off, Real& diag) {
    const int n = L.n;
    const Real* z = L.z.data();
    auto at = [&](int c, int r) { return z[L.At(c, r)]; };
    Real o = 0.0, d = 0.0;
    const Real k3[3] = {1.0, -2.0, 1.0};
    for (int m = i - 1; m <= i + 1; ++m) {
        if (m < 1 || m > n - 2) continue;
        Real s = 0.0;
        for (int k = -1; k <= 1; ++k)
            if (m + k != i) s += k3[k + 1] * at(m + k, j);
        const Real co = k3[i - m + 1];
        o += L.w * co * s;
        d += L.w * co * co;
    }
    for (int m = j - 1; m <= j + 1; ++m) {
        if (m < 1 || m > n - 2) continue;
        Real s = 0.0;
        for (int k = -1; k <= 1; ++k)
            if (m + k != j) s += k3[k + 1] * at(i, m + k);
        const Real co = k3[j - m + 1];
        o += L.w * co * s;
        d += L.w * co * co;
    }
    // The twist of the four cells around the node, weighted twice.
    for (int q = j - 1; q <= j; ++q) {
        for (int m = i - 1; m <= i; ++m) {
            if (m < 0 || q < 0 || m > n - 2 || q > n - 2) continue;
            const int cx[4] = {m, m + 1, m, m + 1};
            const int cy[4] = {q, q, q + 1, q + 1};
            const Real sg[4] = {1.0, -1.0, -1.0, 1.0};
            Real s = 0.0, co = 0.0;
            for (int k = 0; k < 4; ++k) {
                if (cx[k] == i && cy[k] == j) co = sg[k];
                else s += sg[k] * at(cx[k], cy[k]);
            }
            o += 2.0 * L.w * co * s;
            d += 2.0 * L.w * co * co;
        }
    }
    const int nx[4] = {i - 1, i + 1, i, i};
    const int ny[4] = {j, j, j - 1, j + 1};
    for (int k = 0; k < 4; ++k) {
        if (nx[k] < 0 || ny[k] < 0 || nx[k] > n - 1 || ny[k] > n - 1) continue;
        o -= L.t * at(nx[k], ny[k]);
        d += L.t;
    }
    off = o;
    diag = d;
}

// Row (i, j) of the operator applied to z, split into off-diagonal sum and diagonal.
inline void Row(const Level& L, int i, int j, Real& off, Real& diag) {
    const int n = L.n;
    if (i < 2 || j < 2 || i > n - 3 || j > n - 3) {
        BorderRow(L, i, j, off, diag);
        return;
    }
    const std::size_t un = static_cast<std::size_t>(n);
    const Real* p = L.z.data() + L.At(i, j);
    const Real edge = p[-1] + p[1] + p[-static_cast<std::ptrdiff_t>(un)] + p[un];
    const Real corner = p[-static_cast<std::ptrdiff_t>(un) - 1] + p[-static_cast<std::ptrdiff_t>(un) + 1] +
                         p[un - 1] + p[un + 1];
    const Real far = p[-2] + p[2] + p[-2 * static_cast<std::ptrdiff_t>(un)] + p[2 * un];
    off = L.w * (-8.0 * edge + 2.0 * corner + far) - L.t * edge;
    diag = 20.0 * L.w + 4.0 * L.t;
}

inline void UpdateNode(Level& L, int i, int j) {
    const std::size_t o = L.At(i, j);
    const std::uint8_t kind = L.kind[o];
    if (kind == kPinned) {
        L.z[o] = L.cval[o];
        return;
    }
    if (kind == kHeld) {
        const int n = L.n;
        if (i == 0 || j == 0 || i == n - 1 || j == n - 1) {
            L.z[o] = L.cval[o];
            return;
        }
        const Real* z = L.z.data();
        const std::size_t un = static_cast<std::size_t>(n);
        L.z[o] = L.cval[o] - L.cdx[o] * 0.5 * (z[o + 1] - z[o - 1]) -
                 L.cdy[o] * 0.5 * (z[o + un] - z[o - un]);
        return;
    }
    Real off = 0.0, diag = 0.0;
    Row(L, i, j, off, diag);
    if (!(diag > 0.0)) return;
    L.z[o] += kOverRelax * (((L.rhs ? L.f[o] : 0.0) - off) / diag - L.z[o]);
    if (L.banded) L.z[o] = std::clamp<Real>(L.z[o], L.cdx[o], L.cdy[o]);
}

// One colour of row j. Free interior nodes, most of the work, take the
// 13-node stencil in line; the arithmetic is Row's and UpdateNode's.
void RelaxRow(Level& L, int colour, int j) {
    const int n = L.n;
    const int i0 = ((colour - 3 * j) % 5 + 5) % 5;
    if (j < 2 || j > n - 3) {
        for (int i = i0; i < n; i += 5) UpdateNode(L, i, j);
        return;
    }
    const std::ptrdiff_t un = n;
    Real* z = L.z.data();
    const std::uint8_t* kind = L.kind.data();
    const Real* f = L.rhs ? L.f.data() : nullptr;
    const Real w = L.w, t = L.t, diag = 20.0 * L.w + 4.0 * L.t;
    const std::size_t row = L.At(0, j);
    for (int i = i0; i < n; i += 5) {
        const std::size_t o = row + static_cast<std::size_t>(i);
        if (kind[o] != kFree || i < 2 || i > n - 3 || !(diag > 0.0)) {
            UpdateNode(L, i, j);
            continue;
        }
        const Real* p = z + o;
        const Real edge = p[-1] + p[1] + p[-un] + p[un];
        const Real corner = p[-un - 1] + p[-un + 1] + p[un - 1] + p[un + 1];
        const Real far = p[-2] + p[2] + p[-2 * un] + p[2 * un];
        const Real off = w * (-8.0 * edge + 2.0 * corner + far) - t * edge;
        z[o] += kOverRelax * (((f ? f[o] : 0.0) - off) / diag - z[o]);
        if (L.banded) z[o] = std::clamp<Real>(z[o], L.cdx[o], L.cdy[o]);
    }
}

void Sweep(Level& L, WorkerPool* pool) {
    const int n = L.n;
    const int bands = BandCount(pool, n);
    for (int colour = 0; colour < 5; ++colour) {
        ForBands(pool, n, bands, [&](int, int j0, int j1) {
            for (int j = j0; j < j1; ++j) RelaxRow(L, colour, j);
        });
    }
}

// The rows of the free border differ from the interior's and the coarse
// grids see them least well: a few more sweeps over the strip along the
// border take out what the cycle leaves there. In colour order, on one thread.
void SweepBorder(Level& L, int width, int times) {
    const int n = L.n;
    if (n <= 2 * width) return;
    for (int pass = 0; pass < times; ++pass)
        for (int colour = 0; colour < 5; ++colour)
            for (int j = 0; j < n; ++j) {
                const int i0 = ((colour - 3 * j) % 5 + 5) % 5;
                if (j < width || j >= n - width) {
                    for (int i = i0; i < n; i += 5) UpdateNode(L, i, j);
                    continue;
                }
                for (int i = i0; i < width; i += 5) UpdateNode(L, i, j);
                // The first node of this colour in the right-hand strip.
                const int right = n - width + ((i0 - (n - width)) % 5 + 5) % 5;
                for (int i = right; i < n; i += 5) UpdateNode(L, i, j);
            }
}

// True when a node was pressed against its band or let go of it.
bool Residual(Level& L, WorkerPool* pool) {
    const int n = L.n;
    L.r.resize(L.z.size());
    const int bands = BandCount(pool, n);
    std::vector<std::uint8_t> turned(static_cast<std::size_t>(bands), 0);
    // Plain pointers: a store through the byte array of kinds could
    // otherwise alias every vector's own pointer and reload them all.
    std::uint8_t* kinds = L.kind.data();
    Real* out = L.r.data();
    const Real* z = L.z.data();
    const Real* f = L.rhs ? L.f.data() : nullptr;
    const float* lo = L.banded ? L.cdx.data() : nullptr;
    const float* hi = L.banded ? L.cdy.data() : nullptr;
    ForBands(pool, n, bands, [&](int b, int j0, int j1) {
        bool changed = false;
        for (int j = j0; j < j1; ++j) {
            for (int i = 0; i < n; ++i) {
                const std::size_t o = L.At(i, j);
                const std::uint8_t was = kinds[o];
                if (was == kHeld || was == kPinned) {
                    out[o] = 0.0;
                    continue;
                }
                Real off = 0.0, diag = 0.0;
                Row(L, i, j, off, diag);
                Real r = (f ? f[o] : 0.0) - off - diag * z[o];
                // A node pressed against its band takes no correction: the
                // coarse grids would push it on, and its neighbours with it.
                if (lo) {
                    bool pressed = (r < 0.0 && z[o] <= lo[o]) || (r > 0.0 && z[o] >= hi[o]);
                    pressed = pressed || was == kStuck;
                    const std::uint8_t kind = !pressed ? kFree : L.sticky ? kStuck : kPressed;
                    changed = changed || was != kind;
                    kinds[o] = kind;
                    if (pressed) r = 0.0;
                }
                out[o] = r;
            }
        }
        turned[static_cast<std::size_t>(b)] = changed;
    });
    return std::find(turned.begin(), turned.end(), 1) != turned.end();
}

// Full weighting, summed rather than averaged: a coarse row carries four
// times the area of a fine one, which is how its operator is scaled.
void Restrict(const Level& fine, Level& coarse, WorkerPool* pool) {
    const int n = coarse.n, fn = fine.n;
    const Real wt[3] = {0.5, 1.0, 0.5};
    ForBands(pool, n, BandCount(pool, n), [&](int, int j0, int j1) {
        for (int J = j0; J < j1; ++J) {
            for (int I = 0; I < n; ++I) {
                const std::size_t o = coarse.At(I, J);
                coarse.z[o] = 0.0;
                if (coarse.kind[o] != kFree) {
                    coarse.f[o] = 0.0;
                    continue;
                }
                Real s = 0.0;
                for (int b = -1; b <= 1; ++b) {
                    const int y = 2 * J + b;
                    if (y < 0 || y >= fn) continue;
                    for (int a = -1; a <= 1; ++a) {
                        const int x = 2 * I + a;
                        if (x < 0 || x >= fn) continue;
                        s += wt[a + 1] * wt[b + 1] * fine.r[fine.At(x, y)];
                    }
                }
                coarse.f[o] = s;
            }
        }
    });
}

// Bilinear, added to the fine level's free nodes only.
void ProlongAdd(const Level& coarse, Level& fine, WorkerPool* pool) {
    const int fn = fine.n;
    ForBands(pool, fn, BandCount(pool, fn), [&](int, int j0, int j1) {
        for (int j = j0; j < j1; ++j) {
            const int J = j / 2;
            const bool oddJ = j & 1;
            for (int i = 0; i < fn; ++i) {
                const std::size_t o = fine.At(i, j);
                if (fine.kind[o] != kFree) continue;
                const int I = i / 2;
                const bool oddI = i & 1;
                Real e = coarse.z[coarse.At(I, J)];
                if (oddI && oddJ)
                    e = 0.25 * (e + coarse.z[coarse.At(I + 1, J)] + coarse.z[coarse.At(I, J + 1)] +
                                 coarse.z[coarse.At(I + 1, J + 1)]);
                else if (oddI) e = 0.5 * (e + coarse.z[coarse.At(I + 1, J)]);
                else if (oddJ) e = 0.5 * (e + coarse.z[coarse.At(I, J + 1)]);
                fine.z[o] += e;
                if (fine.banded) fine.z[o] = std::clamp<Real>(fine.z[o], fine.cdx[o], fine.cdy[o]);
            }
        }
    });
}

// A coarse node carries no correction where any fine node it gathers from is
// held: the samples there settle the surface, the smoothing does the rest.
void CoarsenKinds(const Level& fine, Level& coarse) {
    const int n = coarse.n, fn = fine.n;
    for (int J = 0; J < n; ++J) {
        for (int I = 0; I < n; ++I) {
            std::uint8_t kind = kFree;
            for (int b = -1; b <= 1 && kind == kFree; ++b) {
                const int y = 2 * J + b;
                if (y < 0 || y >= fn) continue;
                for (int a = -1; a <= 1; ++a) {
                    const int x = 2 * I + a;
                    if (x >= 0 && x < fn && fine.kind[fine.At(x, y)] != kFree) kind = kPinned;
                }
            }
            coarse.kind[coarse.At(I, J)] = kind;
        }
    }
}

void VCycle(std::vector<Level>& levels, int k, WorkerPool* pool) {
    Level& L = levels[static_cast<std::size_t>(k)];
    if (k == 1) {
        for (int s = 0; s < 20; ++s) Sweep(L, pool);
        return;
    }
    Sweep(L, pool);
    Sweep(L, pool);
    SweepBorder(L, kBorderStrip, kBorderSweeps);
    // The coarse grids' kinds follow the nodes pressed against their bands.
    if (Residual(L, pool))
        for (int m = k - 1; m >= 1; --m)
            CoarsenKinds(levels[static_cast<std::size_t>(m + 1)], levels[static_cast<std::size_t>(m)]);
    Level& C = levels[static_cast<std::size_t>(k - 1)];
    Restrict(L, C, pool);
    VCycle(levels, k - 1, pool);
    ProlongAdd(C, L, pool);
    Sweep(L, pool);
    Sweep(L, pool);
    SweepBorder(L, kBorderStrip, kBorderSweeps);
}

void SizeLevel(Level& L, int k, int levels, float tension) {
    L.n = GridSizeForLevels(k);
    const float h = std::ldexp(1.0f, levels - k); // in finest cells
    L.w = (1.0f - tension) / (h * h);
    L.t = tension;
    const std::size_t nodes = static_cast<std::size_t>(L.n) * static_cast<std::size_t>(L.n);
    L.z.assign(nodes, 0.0f);
    L.kind.assign(nodes, kFree);
}

// Ties each node to the nearest sample in its half-cell square, and marks the
// squares that hold samples of two heights.
void HoldSamples(Level& L, const std::vector<LineSample>& samples, const Point2& origin,
                 float cellSize, float base, NodeTies& ties) {
    const int n = L.n;
    const std::size_t nodes = L.z.size();
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
        const std::size_t o = L.At(i, j);
        // Unlike the one tied so far, it is a second height here.
        if (owner[o] >= 0 && samples[static_cast<std::size_t>(owner[o])].z != p.z) ties.shared[o] = 1;
        if (!(d2 < best[o])) continue;
        best[o] = d2;
        owner[o] = static_cast<std::int32_t>(s);
        L.kind[o] = kHeld;
        L.cdx[o] = dx;
        L.cdy[o] = dy;
        L.cval[o] = p.z - base;
    }
}

// Free nodes keep to the band of the region they lie in; a band of one
// height pins them flat.
void BandFreeRegions(Level& L, const std::vector<LineSample>& samples, const Point2& origin,
                     float cellSize, float base, const NodeTies& ties) {
    BandFreeNodes({origin.x, origin.y, cellSize, L.n}, ties, samples, L.cdx, L.cdy);
    L.banded = false;
    for (std::size_t o = 0; o < L.kind.size(); ++o) {
        if (L.kind[o] != kFree) continue;
        const float lo = L.cdx[o], hi = L.cdy[o];
        if (lo == hi) {
            L.kind[o] = kPinned;
            L.cval[o] = lo - base;
            continue;
        }
        L.cdx[o] = lo - base;
        L.cdy[o] = hi - base;
        L.banded = L.banded || std::isfinite(lo) || std::isfinite(hi);
    }
}

Real LargestMove(const Level& L, const std::vector<float>& before, WorkerPool* pool) {
    const int bands = BandCount(pool, L.n);
    std::vector<Real> most(static_cast<std::size_t>(bands), 0.0);
    ForBands(pool, L.n, bands, [&](int b, int j0, int j1) {
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
    const std::vector<LineSample> samples = SampleLines(lines, finestCell / 8.0f);

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
    report.limit = settings.tolerance * (interval > 0.0f ? interval
                                         : range > 0.0f  ? range
                                                         : std::max(1.0f, std::fabs(start)));

    ProgressScope bar(progress, "Surface Building");
    bar.Update(0);
    bool cancelled = false;
    std::vector<Level> hierarchy(static_cast<std::size_t>(levels) + 1);
    NodeTies ties;
    for (int top = 1; top <= levels; ++top) {
        Level& L = hierarchy[static_cast<std::size_t>(top)];
        SizeLevel(L, top, levels, tension);
        const float cell = grid.extent / static_cast<float>(L.n - 1);
        // A coarser level needs its samples no denser than an eighth of its
        // own cell, which is what keeps each line's nodes a chain.
        const std::vector<LineSample> coarser = top < levels ? SampleLines(lines, cell / 8.0f)
                                                             : std::vector<LineSample>();
        const std::vector<LineSample>& here = top < levels ? coarser : samples;
        HoldSamples(L, here, grid.origin, cell, start, ties);
        Free(L.r); // its scratch, until the first residual: room for the regions' own
        BandFreeRegions(L, here, grid.origin, cell, start, ties);
        Free(ties.owner);
        Free(ties.shared);
        L.rhs = false;
        Free(L.f);
        if (top == 1) {
            std::fill(L.z.begin(), L.z.end(), 0.0f);
        } else {
            // The level below seeds this one, then answers its corrections.
            Level& below = hierarchy[static_cast<std::size_t>(top - 1)];
            const Level& from = below;
            ForBands(pool, L.n, BandCount(pool, L.n), [&](int, int j0, int j1) {
                for (int j = j0; j < j1; ++j) {
                    const int J = j / 2;
                    for (int i = 0; i < L.n; ++i) {
                        const int I = i / 2;
                        Real e = from.z[from.At(I, J)];
                        if ((i & 1) && (j & 1))
                            e = 0.25 * (e + from.z[from.At(I + 1, J)] + from.z[from.At(I, J + 1)] +
                                         from.z[from.At(I + 1, J + 1)]);
                        else if (i & 1) e = 0.5 * (e + from.z[from.At(I + 1, J)]);
                        else if (j & 1) e = 0.5 * (e + from.z[from.At(I, J + 1)]);
                        L.z[L.At(i, j)] = e;
                    }
                }
            });
            for (int k = top - 1; k >= 1; --k) {
                Level& C = hierarchy[static_cast<std::size_t>(k)];
                CoarsenKinds(hierarchy[static_cast<std::size_t>(k + 1)], C);
                C.rhs = true;
                C.banded = false;
                C.f.assign(C.z.size(), 0.0f);
                C.cval.assign(C.z.size(), 0.0f);
                Free(C.cdx);
                Free(C.cdy);
            }
        }
        int maxCycles = cancelled ? 1 : std::max(1, settings.maxCycles);
        if (top < levels) maxCycles = std::min(maxCycles, kCoarseCycles);
        // Heights before the cycle, in float: enough to measure a move by.
        std::vector<float> before(L.z.size());
        Real lastMove = std::numeric_limits<Real>::infinity();
        int stalls = 0;
        for (int c = 0; c < maxCycles; ++c) {
            std::transform(L.z.begin(), L.z.end(), before.begin(),
                           [](Real z) { return static_cast<float>(z); });
            VCycle(hierarchy, top, pool);
            const Real move = LargestMove(L, before, pool);
            if (top == levels) {
                report.cycles = c + 1;
                report.lastChange = static_cast<float>(move);
                report.converged = move <= report.limit;
            }
            bar.Update(((top - 1) * 100 + std::min(99, (c + 1) * 100 / maxCycles)) / levels);
            if (move <= report.limit) break;
            // Nodes let go of their band and pressed again by the next cycle
            // can hold the cycles in a loop that no longer shrinks; from the
            // second cycle that fails to shrink the largest move by a tenth,
            // pressed nodes stay pressed.
            stalls = move > 0.9 * lastMove ? stalls + 1 : 0;
            if (stalls >= 2) L.sticky = true;
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
    for (int k = 1; k < levels; ++k) hierarchy[static_cast<std::size_t>(k)] = Level();
    Free(finestLevel.r);
    Free(finestLevel.f);
    Free(finestLevel.cdx);
    Free(finestLevel.cdy);
    Free(finestLevel.cval);
    Free(finestLevel.kind);
    grid.gridSize = finestLevel.n;
    grid.cellSize = finestCell;
    grid.heights.resize(finestLevel.z.size());
    for (std::size_t o = 0; o < finestLevel.z.size(); ++o)
        grid.heights[o] = static_cast<float>(finestLevel.z[o] + start);
    return report;
}
