#pragma once
// One grid of the exact fit's hierarchy and its operator: minimum curvature
// with tension, a 13-node stencil, relaxed by five-colour Gauss-Seidel.
// Colour (i + 3j) mod 5 keeps every node of one colour out of the others'
// stencils, so a colour's nodes may be updated in any order, on any thread,
// with the same result.
//
// Each row is stored residue by residue: the nodes with i = s, s + 5, ...
// lie together, so the nodes of one colour in a row are one contiguous run,
// and so is every neighbour of theirs at a given offset. The relaxation and
// the residual then take four nodes at a time.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/worker_pool.h"

using FitReal = double; // the solve's arithmetic: the free border's rows are ill-conditioned for float

enum : std::uint8_t {
    kFitFree = 0,    // minimises bending and slope
    kFitHeld = 1,    // tied to its nearest sample by the Taylor condition
    kFitPinned = 2,  // fixed at its value: a flat area, or no correction near the samples
    kFitPressed = 4, // free, but held at its band's edge: relaxed, not corrected from below
    kFitStuck = 8,   // pressed for good, once the cycles stall
};
// The kinds a sweep relaxes have neither of the two low bits.
constexpr std::uint8_t kFitFixedBits = kFitHeld | kFitPinned;

// On the level being solved z is the height; below it z is a correction and
// f the restricted residual it answers.
struct FitLevel {
    int n = 0;
    int run = 0;             // nodes of one residue in a row: ceil(n / 5)
    std::size_t stride = 0;  // a row: 5 runs
    FitReal w = 0.0;         // bending weight (1 - tension) / h^2, h in finest cells
    FitReal t = 0.0;         // slope weight: the tension
    bool rhs = false;
    bool banded = false; // free nodes kept within [cdx, cdy]
    bool sticky = false; // a node pressed against its band stays so
    FitReal relax = 1.5; // over-relaxation of the free nodes
    std::vector<FitReal> z, f, r;
    std::vector<std::uint8_t> kind;
    // Held nodes: the sample's offset and height; pinned: the height in cval;
    // free nodes of a banded level: the band in cdx .. cdy.
    std::vector<float> cdx, cdy, cval;

    void Size(int nodesPerSide);
    std::size_t Nodes() const { return stride * static_cast<std::size_t>(n); }
    std::vector<std::uint32_t> column; // i -> its place within a row
    std::size_t At(int i, int j) const {
        return static_cast<std::size_t>(j) * stride + column[static_cast<std::size_t>(i)];
    }
    // Where the run of residue s in row j starts; on grids narrower than five
    // some runs are empty.
    std::size_t RunStart(int s, int j) const {
        return static_cast<std::size_t>(j) * stride + static_cast<std::size_t>(s) * static_cast<std::size_t>(run);
    }
    // Moves an array filled row-major, n to a row, into the level's order;
    // the pool, when given, takes bands of rows.
    template <class T> void FromRowMajor(std::vector<T>& v, WorkerPool* pool = nullptr) const;
    // The kinds, offsets, bands and pinned heights, filled row-major.
    void ToRunOrder(WorkerPool* pool = nullptr) {
        FromRowMajor(kind, pool);
        FromRowMajor(cdx, pool);
        FromRowMajor(cdy, pool);
        FromRowMajor(cval, pool);
    }
    // Row j of v in column order, into out[0 .. n), and back.
    template <class T> void GatherRow(const std::vector<T>& v, int j, T* out) const {
        const T* row = v.data() + static_cast<std::size_t>(j) * stride;
        for (int s = 0; s < 5; ++s, row += run)
            for (int i = s, k = 0; i < n; i += 5, ++k) out[i] = row[k];
    }
    template <class T> void ScatterRow(std::vector<T>& v, int j, const T* in) const {
        T* row = v.data() + static_cast<std::size_t>(j) * stride;
        for (int s = 0; s < 5; ++s, row += run)
            for (int i = s, k = 0; i < n; i += 5, ++k) row[k] = in[i];
    }
};

template <class T> void FreeVector(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

// How many bands of rows a level of n rows is split into on the pool: a few
// per thread, each of 24 rows or more (a sweep's seams need 20).
int RowBands(WorkerPool* pool, int n);

// One Gauss-Seidel sweep over all five colours: colour by colour in effect,
// though the colours follow each other down the rows a few apart, so the rows
// at work stay in cache.
void RelaxLevel(FitLevel& L, WorkerPool* pool);
// The residual into L.r. On a banded level it also marks the nodes pressed
// against their band, which take no correction; true when any turned.
bool LevelResidual(FitLevel& L, WorkerPool* pool);

template <class T> void FitLevel::FromRowMajor(std::vector<T>& v, WorkerPool* pool) const {
    std::vector<T> moved(Nodes()); // the runs' padding stays zero
    ForRowBands(pool, n, RowBands(pool, n), [&](int, int j0, int j1) {
        for (int j = j0; j < j1; ++j)
            ScatterRow(moved, j, v.data() + static_cast<std::size_t>(j) * static_cast<std::size_t>(n));
    });
    v.swap(moved);
}
