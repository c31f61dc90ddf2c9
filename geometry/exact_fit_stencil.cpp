#include "geometry/exact_fit_stencil.h"

#include "geometry/wide_vectors.h"

#include <cstring>

namespace {

// The operator's row at node (i, j) without its diagonal term, and the
// diagonal, near the borders: the energy's terms that exist there, which is
// what leaves the borders free (natural conditions). V is one node's value,
// or four nodes' of a run in a border row (columns i, i + 5, ..., all away
// from the side borders, so the same terms exist for each); at(c, r, v)
// reads node (c, r) into v.
template <class V, class Read>
[[gnu::always_inline]] inline void BorderTerms(int n, FitReal w, FitReal t, int i, int j, const Read& at,
                                               V& off, FitReal& diag) {
    V o{}, v;
    FitReal d = 0.0;
    const FitReal k3[3] = {1.0, -2.0, 1.0};
    for (int m = i - 1; m <= i + 1; ++m) {
        if (m < 1 || m > n - 2) continue;
        V s{};
        for (int k = -1; k <= 1; ++k)
            if (m + k != i) at(m + k, j, v), s += k3[k + 1] * v;
        const FitReal co = k3[i - m + 1];
        o += w * co * s;
        d += w * co * co;
    }
    for (int m = j - 1; m <= j + 1; ++m) {
        if (m < 1 || m > n - 2) continue;
        V s{};
        for (int k = -1; k <= 1; ++k)
            if (m + k != j) at(i, m + k, v), s += k3[k + 1] * v;
        const FitReal co = k3[j - m + 1];
        o += w * co * s;
        d += w * co * co;
    }
    // The twist of the four cells around the node, weighted twice.
    for (int q = j - 1; q <= j; ++q) {
        for (int m = i - 1; m <= i; ++m) {
            if (m < 0 || q < 0 || m > n - 2 || q > n - 2) continue;
            const int cx[4] = {m, m + 1, m, m + 1};
            const int cy[4] = {q, q, q + 1, q + 1};
            const FitReal sg[4] = {1.0, -1.0, -1.0, 1.0};
            V s{};
            FitReal co = 0.0;
            for (int k = 0; k < 4; ++k) {
                if (cx[k] == i && cy[k] == j) co = sg[k];
                else at(cx[k], cy[k], v), s += sg[k] * v;
            }
            o += 2.0 * w * co * s;
            d += 2.0 * w * co * co;
        }
    }
    const int nx[4] = {i - 1, i + 1, i, i};
    const int ny[4] = {j, j, j - 1, j + 1};
    for (int k = 0; k < 4; ++k) {
        if (nx[k] < 0 || ny[k] < 0 || nx[k] > n - 1 || ny[k] > n - 1) continue;
        at(nx[k], ny[k], v);
        o -= t * v;
        d += t;
    }
    off = o;
    diag = d;
}

// Row (i, j) of the operator applied to z, split into off-diagonal sum and
// diagonal, for the nodes the runs leave out: those of the two border rows
// or columns on each side.
void BorderRow(const FitLevel& L, int i, int j, FitReal& off, FitReal& diag) {
    const FitReal* z = L.z.data();
    BorderTerms(L.n, L.w, L.t, i, j, [&](int c, int r, FitReal& v) { v = z[L.At(c, r)]; }, off, diag);
}

// A held node's height from its four edge neighbours: the Taylor condition
// through its sample.
inline FitReal HeldHeight(const FitLevel& L, std::size_t o, FitReal west, FitReal east, FitReal south,
                          FitReal north) {
    return L.cval[o] - L.cdx[o] * 0.5 * (east - west) - L.cdy[o] * 0.5 * (north - south);
}

// A node the runs leave out (in a border column), or a held or pinned one.
void UpdateNode(FitLevel& L, int i, int j) {
    const std::size_t o = L.At(i, j);
    const std::uint8_t kind = L.kind[o];
    if (kind == kFitPinned) {
        L.z[o] = L.cval[o];
        return;
    }
    if (kind == kFitHeld) {
        const int n = L.n;
        if (i == 0 || j == 0 || i == n - 1 || j == n - 1) {
            L.z[o] = L.cval[o];
            return;
        }
        const FitReal* z = L.z.data();
        L.z[o] = HeldHeight(L, o, z[L.At(i - 1, j)], z[L.At(i + 1, j)], z[o - L.stride], z[o + L.stride]);
        return;
    }
    FitReal off = 0.0, diag = 0.0;
    BorderRow(L, i, j, off, diag);
    if (!(diag > 0.0)) return;
    L.z[o] += L.relax * (((L.rhs ? L.f[o] : 0.0) - off) / diag - L.z[o]);
    if (L.banded) L.z[o] = std::clamp<FitReal>(L.z[o], L.cdx[o], L.cdy[o]);
}

// The run of residue s in row j, and the runs beside it: node
// (s + 5k + di, j + dj) is at [k] of each (none for rows off the grid).
struct Runs {
    int s, j;
    int k0, k1; // the nodes that are neither of the two border columns on each side
    std::size_t centre;
    const FitReal* z[13]; // centre, then i-1, i+1, j-1, j+1, the four corners, i-2, i+2, j-2, j+2

    // The run at offset (di, dj), one of the stencil's.
    const FitReal* Near(int di, int dj) const {
        static constexpr int kIndex[5][5] = {{-1, -1, 11, -1, -1},
                                             {-1, 5, 3, 6, -1},
                                             {9, 1, 0, 2, 10},
                                             {-1, 7, 4, 8, -1},
                                             {-1, -1, 12, -1, -1}};
        return z[kIndex[dj + 2][di + 2]];
    }

    Runs(const FitLevel& L, const FitReal* base, int s, int j) : s(s), j(j) {
        k0 = s >= 2 ? 0 : 1;
        k1 = s <= L.n - 3 ? (L.n - 3 - s) / 5 + 1 : 0;
        centre = L.RunStart(s, j);
        const int d[13][2] = {{0, 0},   {-1, 0}, {1, 0},  {0, -1}, {0, 1},  {-1, -1}, {1, -1},
                              {-1, 1},  {1, 1},  {-2, 0}, {2, 0},  {0, -2}, {0, 2}};
        for (int m = 0; m < 13; ++m) {
            int t = s + d[m][0], carry = 0;
            if (t < 0) t += 5, carry = -1;
            else if (t > 4) t -= 5, carry = 1;
            const int row = j + d[m][1];
            z[m] = row < 0 || row >= L.n ? nullptr
                                         : base + static_cast<std::size_t>(row) * L.stride +
                                               static_cast<std::size_t>(t * L.run) + carry;
        }
    }
};

// Four doubles at a time; the compiler splits them where the machine's
// vectors are narrower, and every lane rounds as the single-node code does.
using Four = FitReal __attribute__((vector_size(4 * sizeof(FitReal))));
using FourF = float __attribute__((vector_size(4 * sizeof(float))));

// Vectors pass by reference only: by value their calling convention would
// depend on the target. A run's nodes go four at a time, its last few one
// by one through the same code, so all of them round alike.
template <class V> constexpr int kLanes = sizeof(V) / sizeof(FitReal);

template <class V> [[gnu::always_inline]] inline void Load(V& v, const FitReal* p) {
    std::memcpy(&v, p, sizeof v);
}
template <class V> [[gnu::always_inline]] inline void LoadWidened(V& v, const float* p) {
    if constexpr (kLanes<V> == 1) {
        v = static_cast<FitReal>(*p);
    } else {
        FourF f;
        std::memcpy(&f, p, sizeof f);
        v = __builtin_convertvector(f, Four);
    }
}
template <class V> [[gnu::always_inline]] inline void Splat(V& v, FitReal x) {
    if constexpr (kLanes<V> == 1) v = x;
    else v = Four{x, x, x, x};
}

// The off-diagonal part of interior rows: edge, corner and far neighbours.
template <class V>
[[gnu::always_inline]] inline void OffDiagonal(const FitLevel& L, const Runs& R, int k, V& off) {
    V a, b, c, d, w, t, m8, two;
    Load(a, R.z[1] + k), Load(b, R.z[2] + k), Load(c, R.z[3] + k), Load(d, R.z[4] + k);
    const V edge = a + b + c + d;
    Load(a, R.z[5] + k), Load(b, R.z[6] + k), Load(c, R.z[7] + k), Load(d, R.z[8] + k);
    const V corner = a + b + c + d;
    Load(a, R.z[9] + k), Load(b, R.z[10] + k), Load(c, R.z[11] + k), Load(d, R.z[12] + k);
    const V far = a + b + c + d;
    Splat(w, L.w), Splat(t, L.t), Splat(m8, -8.0), Splat(two, 2.0);
    off = w * (m8 * edge + two * corner + far) - t * edge;
}

// The same in one of the two border rows on each side.
template <class V>
[[gnu::always_inline]] inline void FrameOffDiagonal(const FitLevel& L, const Runs& R, int k, V& off,
                                                    FitReal& diag) {
    const int i = R.s + 5 * k;
    BorderTerms(L.n, L.w, L.t, i, R.j, [&](int c, int r, V& v) { Load(v, R.Near(c - i, r - R.j) + k); },
                off, diag);
}

// The operator's row for the nodes at k of a run; false where it has no
// diagonal.
template <bool kFrame, class V>
[[gnu::always_inline]] inline bool Operator(const FitLevel& L, const Runs& R, int k, V& off, V& diag) {
    FitReal d = 20.0 * L.w + 4.0 * L.t;
    if constexpr (kFrame) FrameOffDiagonal(L, R, k, off, d);
    else OffDiagonal(L, R, k, off);
    Splat(diag, d);
    return d > 0.0;
}

// One colour's nodes of run s in row j. Same-colour nodes do not see each
// other, so every lane may be relaxed as if free and the held and pinned
// ones set over it after; their new values do not read their old.
template <bool kFrame, class V>
[[gnu::always_inline]] inline void RelaxNodes(FitLevel& L, const Runs& R, int k) {
    const std::size_t at = R.centre + static_cast<std::size_t>(k);
    FitReal* c = L.z.data() + at;
    const std::uint8_t* kind = L.kind.data() + at;
    V off, diag, rhs, old, relax;
    if (!Operator<kFrame>(L, R, k, off, diag)) {
        // No energy holds these nodes: only the fixed ones change.
        for (int q = 0; q < kLanes<V>; ++q)
            if (kind[q] & kFitFixedBits) UpdateNode(L, R.s + 5 * (k + q), R.j);
        return;
    }
    Splat(rhs, 0.0), Splat(relax, L.relax);
    if (L.rhs) Load(rhs, L.f.data() + at);
    Load(old, c);
    V v = old + relax * ((rhs - off) / diag - old);
    if (L.banded) {
        V lo, hi;
        LoadWidened(lo, L.cdx.data() + at);
        LoadWidened(hi, L.cdy.data() + at);
        v = hi < v ? hi : v;
        v = v < lo ? lo : v;
    }
    std::memcpy(c, &v, sizeof v);
    std::uint32_t kinds = 0;
    std::memcpy(&kinds, kind, kLanes<V>);
    if ((kinds & 0x01010101u * kFitFixedBits) == 0) return;
    // As UpdateNode has them: a node held on the grid's edge keeps its height.
    const bool edge = kFrame && (R.j == 0 || R.j == L.n - 1);
    for (int q = 0; q < kLanes<V>; ++q) {
        if (!(kind[q] & kFitFixedBits)) continue;
        const std::size_t o = at + static_cast<std::size_t>(q);
        const int m = k + q;
        if (kind[q] == kFitPinned || edge) c[q] = L.cval[o];
        else c[q] = HeldHeight(L, o, R.z[1][m], R.z[2][m], R.z[3][m], R.z[4][m]);
    }
}

// A run's nodes four at a time, its last few one by one, through Kernel's
// Nodes<kFrame, lanes>; inside or in a border row.
template <class Kernel, bool kFrame> [[gnu::always_inline]] inline void RunBody(FitLevel& L, int s, int j) {
    const Runs R(L, L.z.data(), s, j);
    int k = R.k0;
    for (; k + 4 <= R.k1; k += 4) Kernel::template Nodes<kFrame, Four>(L, R, k);
    for (; k < R.k1; ++k) Kernel::template Nodes<kFrame, FitReal>(L, R, k);
}
template <class Kernel> [[gnu::always_inline]] inline void Run(FitLevel& L, int s, int j, bool frame) {
    if (frame) RunBody<Kernel, true>(L, s, j);
    else RunBody<Kernel, false>(L, s, j);
}

struct Relaxation {
    template <bool kFrame, class V> [[gnu::always_inline]] static void Nodes(FitLevel& L, const Runs& R, int k) {
        RelaxNodes<kFrame, V>(L, R, k);
    }
};

CONTORRA_WIDE_VECTORS void RelaxRun(FitLevel& L, int s, int j, bool frame) {
    Run<Relaxation>(L, s, j, frame);
}

// One colour of row j.
void RelaxRow(FitLevel& L, int colour, int j) {
    const int n = L.n;
    const int s = ((colour - 3 * j) % 5 + 5) % 5;
    const bool frame = j < 2 || j > n - 3;
    // The two border columns on each side.
    for (int i = s; i < 2; i += 5) UpdateNode(L, i, j);
    RelaxRun(L, s, j, frame);
    const int right = std::max(2, n - 2);
    for (int i = right + ((s - right) % 5 + 5) % 5; i < n; i += 5) UpdateNode(L, i, j);
}

// The residual of a run into L.r, pressed nodes aside.
template <bool kFrame, class V>
[[gnu::always_inline]] inline void ResidualNodes(FitLevel& L, const Runs& R, int k) {
    const std::size_t at = R.centre + static_cast<std::size_t>(k);
    V off, diag, rhs, here;
    Operator<kFrame>(L, R, k, off, diag);
    Splat(rhs, 0.0);
    if (L.rhs) Load(rhs, L.f.data() + at);
    Load(here, L.z.data() + at);
    const V r = rhs - off - diag * here;
    std::memcpy(L.r.data() + at, &r, sizeof r);
}

struct Residual {
    template <bool kFrame, class V> [[gnu::always_inline]] static void Nodes(FitLevel& L, const Runs& R, int k) {
        ResidualNodes<kFrame, V>(L, R, k);
    }
};

CONTORRA_WIDE_VECTORS void ResidualRun(FitLevel& L, int s, int j, bool frame) {
    Run<Residual>(L, s, j, frame);
}

// One run's residuals, held and pinned nodes' and pressed ones' cleared.
// A node pressed against its band takes no correction: the coarse grids
// would push it on, and its neighbours with it. True when a kind changed.
bool PressRun(std::uint8_t* kinds, FitReal* out, const FitReal* z, const float* lo, const float* hi,
              int count, std::uint8_t pressedKind) {
    if (!lo) {
        for (int k = 0; k < count; ++k)
            if (kinds[k] & kFitFixedBits) out[k] = 0.0;
        return false;
    }
    bool changed = false;
    for (int k = 0; k < count; ++k) {
        const std::uint8_t was = kinds[k];
        const FitReal r = out[k], zk = z[k];
        const bool fixed = (was & kFitFixedBits) != 0;
        const bool pressed = (!fixed) & (((r < 0.0) & (zk <= lo[k])) | ((r > 0.0) & (zk >= hi[k])) |
                                       (was == kFitStuck));
        const std::uint8_t free = kFitFree;
        const std::uint8_t kind = fixed ? was : pressed ? pressedKind : free;
        changed |= kind != was;
        kinds[k] = kind;
        out[k] = (fixed | pressed) ? 0.0 : r;
    }
    return changed;
}

} // namespace

void FitLevel::Size(int nodesPerSide) {
    n = nodesPerSide;
    run = (n + 4) / 5;
    stride = 5 * static_cast<std::size_t>(run);
    column.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) column[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>((i % 5) * run + i / 5);
}

int RowBands(WorkerPool* pool, int n) {
    const int threads = pool ? pool->Size() : 1;
    if (threads == 1 || n < 96) return 1;
    return std::max(1, std::min(threads * 4, n / 24));
}

void RelaxLevel(FitLevel& L, WorkerPool* pool) {
    const int n = L.n;
    // A band of rows runs colour c on row J - 2c at step J, the colours of a
    // step in order: two rows, the stencil's reach, behind the colour before,
    // so every node sees the earlier colours new and the later ones old, as
    // colour by colour would. Next to another band a colour stops 2c rows
    // short; the seams left between bands are done after, colour by colour.
    const int bands = RowBands(pool, n);
    ForRowBands(pool, n, bands, [&](int b, int j0, int j1) {
        for (int J = j0; J < j1 + 8; ++J)
            for (int c = 0; c < 5; ++c) {
                const int j = J - 2 * c;
                if (j >= (b == 0 ? 0 : j0 + 2 * c) && j < (b == bands - 1 ? n : j1 - 2 * c))
                    RelaxRow(L, c, j);
            }
    });
    if (bands <= 1) return;
    pool->Run(bands - 1, [&](int b) {
        const int seam = RowBandStart(n, bands, b + 1);
        for (int c = 1; c < 5; ++c)
            for (int j = seam - 2 * c; j < seam + 2 * c; ++j) RelaxRow(L, c, j);
    });
}

bool LevelResidual(FitLevel& L, WorkerPool* pool) {
    const int n = L.n;
    L.r.resize(L.z.size());
    const int bands = RowBands(pool, n);
    std::vector<std::uint8_t> turned(static_cast<std::size_t>(bands), 0);
    const std::uint8_t pressedKind = L.sticky ? kFitStuck : kFitPressed;
    ForRowBands(pool, n, bands, [&](int b, int j0, int j1) {
        bool changed = false;
        for (int j = j0; j < j1; ++j) {
            const bool frame = j < 2 || j > n - 3;
            // The two border columns on each side.
            for (int i = 0; i < n; i = i == 1 ? std::max(2, n - 2) : i + 1) {
                const std::size_t o = L.At(i, j);
                FitReal off = 0.0, diag = 0.0;
                BorderRow(L, i, j, off, diag);
                L.r[o] = (L.rhs ? L.f[o] : 0.0) - off - diag * L.z[o];
            }
            for (int s = 0; s < 5; ++s) {
                ResidualRun(L, s, j, frame);
                const std::size_t o = L.RunStart(s, j);
                const auto at = [&](auto& v) { return v.empty() ? nullptr : v.data() + o; };
                changed |= PressRun(L.kind.data() + o, L.r.data() + o, L.z.data() + o,
                                    L.banded ? at(L.cdx) : nullptr, L.banded ? at(L.cdy) : nullptr,
                                    (n - s + 4) / 5, pressedKind);
            }
        }
        turned[static_cast<std::size_t>(b)] = changed;
    });
    return std::find(turned.begin(), turned.end(), 1) != turned.end();
}
