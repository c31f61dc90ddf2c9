#include "geometry/contour_regions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <tuple>
#include <utility>

namespace {

// The parts a segment of the given length is cut into: whole steps only, so a
// far-flung or undefined point adds its vertex alone.
int SegmentParts(const Point3& a, const Point3& b, float step) {
    const float parts = std::ceil(std::hypot(b.x - a.x, b.y - a.y) / step);
    return parts >= 1.0f && parts < 1.0e6f ? static_cast<int>(parts) : 1;
}

// Calls each(a, b) for every segment of the line, the closing one included;
// true when the line's last vertex ends no segment of it and is a sample of
// its own.
template <class Each> bool ForSegments(const ContourLine& line, const Each& each) {
    const std::vector<Point3>& p = line.points;
    const std::size_t count = p.size();
    const std::size_t segments = count < 2 ? 0 : (line.closed ? count : count - 1);
    for (std::size_t k = 0; k < segments; ++k) each(p[k], p[(k + 1) % count]);
    return count > 0 && (count == 1 || !line.closed);
}

} // namespace

std::vector<LineSample> SampleLines(const std::vector<ContourLine>& lines, float step) {
    std::vector<LineSample> out;
    // Counted first: one allocation, however many millions of samples.
    std::size_t total = 0;
    for (const ContourLine& line : lines) {
        const bool last = ForSegments(line, [&](const Point3& a, const Point3& b) {
            total += static_cast<std::size_t>(SegmentParts(a, b, step));
        });
        total += last ? 1 : 0;
    }
    out.reserve(total);
    for (std::size_t li = 0; li < lines.size(); ++li) {
        const int id = static_cast<int>(li);
        auto add = [&](const Point3& q) {
            if (std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z))
                out.push_back({q.x, q.y, q.z, id});
        };
        const bool last = ForSegments(lines[li], [&](const Point3& a, const Point3& b) {
            const int n = SegmentParts(a, b, step);
            for (int s = 0; s < n; ++s) {
                const float f = static_cast<float>(s) / static_cast<float>(n);
                add(Point3(a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f));
            }
        });
        if (last) add(lines[li].points.back());
    }
    return out;
}

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

enum class Side : std::uint8_t { kUnknown, kAbove, kBelow, kFlat, kBetween, kUnbounded };

// The nodes a region may occupy (inclusive).
struct NodeBox {
    int i0, j0, i1, j1;
};

NodeBox SampledNodes(const std::vector<LineSample>& samples, const GridPlace& grid) {
    const int n = grid.n;
    if (samples.empty()) return {0, 0, n - 1, n - 1};
    float x0 = std::numeric_limits<float>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
    for (const LineSample& s : samples) {
        x0 = std::min(x0, s.x);
        y0 = std::min(y0, s.y);
        x1 = std::max(x1, s.x);
        y1 = std::max(y1, s.y);
    }
    auto node = [&](float v, float origin, bool up) {
        const float g = (v - origin) / grid.cellSize;
        const float r = up ? std::floor(g) : std::ceil(g);
        return static_cast<int>(std::clamp(r, 0.0f, static_cast<float>(n - 1)));
    };
    return {node(x0, grid.originX, false), node(y0, grid.originY, false), node(x1, grid.originX, true),
            node(y1, grid.originY, true)};
}

// What a region's rim says about it.
struct Region {
    float a = 0.0f, b = 0.0f; // the first two contour levels met on the rim
    int levels = 0;           // distinct contour levels on the rim, counted to three
    bool edge = false;        // reaches the grid's border or the sampled box's
    int line = -1;
    bool twoLines = false;
    float spotLo = kInf, spotHi = -kInf; // lines of one sample on the rim
    int votesAbove = 0, votesBelow = 0; // contour nodes the regions across say so over
    bool farAbove = false, farBelow = false; // from beyond packed contours
    Side side = Side::kUnknown;

    void AddLevel(float z) {
        if (levels == 0) a = z, levels = 1;
        else if (levels == 1 && z != a) b = z, levels = 2;
        else if (levels == 2 && z != a && z != b) levels = 3;
    }
    bool Has(float z) const { return (levels >= 1 && z == a) || (levels >= 2 && z == b); }
};

enum class LineKind : std::uint8_t { kContour, kSpot, kOther };

// A contour is a line of two samples or more, all at one height.
struct Levels {
    std::vector<LineKind> kind; // by line
    std::vector<float> levels;  // the contours' heights, ascending, each once
    float gap = kInf;           // the smallest step between two of them
};

Levels ReadLevels(const std::vector<LineSample>& samples) {
    Levels out;
    int lineCount = 0;
    for (const LineSample& s : samples) lineCount = std::max(lineCount, s.line + 1);
    out.kind.assign(static_cast<std::size_t>(lineCount), LineKind::kSpot);
    std::vector<float> first(static_cast<std::size_t>(lineCount), kInf);
    std::vector<int> count(static_cast<std::size_t>(lineCount), 0);
    for (const LineSample& s : samples) {
        const std::size_t l = static_cast<std::size_t>(s.line);
        if (count[l]++ == 0) first[l] = s.z;
        else out.kind[l] = s.z == first[l] && out.kind[l] != LineKind::kOther ? LineKind::kContour
                                                                              : LineKind::kOther;
    }
    for (std::size_t l = 0; l < out.kind.size(); ++l)
        if (out.kind[l] == LineKind::kContour) out.levels.push_back(first[l]);
    std::sort(out.levels.begin(), out.levels.end());
    out.levels.erase(std::unique(out.levels.begin(), out.levels.end()), out.levels.end());
    for (std::size_t k = 1; k < out.levels.size(); ++k)
        out.gap = std::min(out.gap, out.levels[k] - out.levels[k - 1]);
    return out;
}

} // namespace

float ContourInterval(const std::vector<LineSample>& samples) {
    const float gap = ReadLevels(samples).gap;
    return std::isfinite(gap) ? gap : 0.0f;
}

namespace {

// The regions of one grid and what their rims say, step by step.
class RegionBands {
public:
    RegionBands(const GridPlace& grid, const NodeTies& ties, const std::vector<LineSample>& samples,
                WorkerPool* pool)
        : n(grid.n), owner(ties.owner), shared(ties.shared), samples(samples),
          box(SampledNodes(samples, grid)), lines(ReadLevels(samples)), region(owner.size(), -1),
          pool(pool) {}

    void Flood();
    void FacingPairs();
    void ReadSides();
    void Write(std::vector<float>& lo, std::vector<float>& hi) const;

private:
    std::size_t At(int i, int j) const {
        return static_cast<std::size_t>(j) * static_cast<std::size_t>(n) + static_cast<std::size_t>(i);
    }
    bool InBox(int i, int j) const { return i >= box.i0 && i <= box.i1 && j >= box.j0 && j <= box.j1; }
    std::ptrdiff_t IndexOf(float z) const {
        return std::lower_bound(lines.levels.begin(), lines.levels.end(), z) - lines.levels.begin();
    }
    void Propagate(std::vector<std::int32_t>& known);

    const int n;
    const std::vector<std::int32_t>& owner;
    const std::vector<std::uint8_t>& shared;
    const std::vector<LineSample>& samples;
    const NodeBox box;
    const Levels lines;
    std::vector<std::int32_t> region;
    std::vector<Region> regions;
    // Regions facing each other across a contour node, and its level: on
    // its two sides (across, with the number of such nodes), or, past
    // contours packed closer than a cell, two nodes away (far).
    using Pairs = std::vector<std::tuple<std::int32_t, std::int32_t, float>>;
    Pairs across, far;
    std::vector<int> acrossNodes;
    WorkerPool* pool;

    void FacingPairsOfRows(int j0, int j1, Pairs& nearPairs, Pairs& farPairs) const;
    void WriteNodes(std::size_t begin, std::size_t end, std::vector<float>& lo, std::vector<float>& hi) const;
};

void RegionBands::Flood() {
    // Free nodes joined through their four neighbours; the queue keeps each
    // node's column and row, a division per node being most of the flood's time.
    std::vector<std::pair<std::int32_t, std::int32_t>> queue;
    for (int j0 = box.j0; j0 <= box.j1; ++j0) {
        for (int i0 = box.i0; i0 <= box.i1; ++i0) {
            const std::size_t start = At(i0, j0);
            if (owner[start] >= 0 || region[start] >= 0) continue;
            const std::int32_t id = static_cast<std::int32_t>(regions.size());
            regions.emplace_back();
            Region& R = regions.back();
            queue.assign(1, {i0, j0});
            region[start] = id;
            for (std::size_t q = 0; q < queue.size(); ++q) {
                const auto [i, j] = queue[q];
                const int nx[4] = {i - 1, i + 1, i, i};
                const int ny[4] = {j, j, j - 1, j + 1};
                for (int k = 0; k < 4; ++k) {
                    if (!InBox(nx[k], ny[k])) {
                        R.edge = true;
                        continue;
                    }
                    const std::size_t m = At(nx[k], ny[k]);
                    if (owner[m] < 0) {
                        if (region[m] < 0) {
                            region[m] = id;
                            queue.emplace_back(nx[k], ny[k]);
                        }
                        continue;
                    }
                    if (shared[m]) continue;
                    const LineSample& s = samples[static_cast<std::size_t>(owner[m])];
                    if (R.line < 0) R.line = s.line;
                    R.twoLines = R.twoLines || s.line != R.line;
                    switch (lines.kind[static_cast<std::size_t>(s.line)]) {
                    case LineKind::kContour: R.AddLevel(s.z); break;
                    case LineKind::kSpot:
                        R.spotLo = std::min(R.spotLo, s.z);
                        R.spotHi = std::max(R.spotHi, s.z);
                        break;
                    case LineKind::kOther: R.levels = 3; break;
                    }
                }
            }
        }
    }
}

// Bands of rows to themselves; the lists are sorted after, so their order
// does not matter.
void RegionBands::FacingPairs() {
    const int rows = box.j1 - box.j0 + 1;
    const int pieces = pool && rows >= 64 ? pool->Size() * 4 : 1;
    std::vector<Pairs> nearParts(static_cast<std::size_t>(pieces)), farParts(static_cast<std::size_t>(pieces));
    ForRowBands(pool, rows, pieces, [&](int p, int j0, int j1) {
        FacingPairsOfRows(box.j0 + j0, box.j0 + j1, nearParts[static_cast<std::size_t>(p)],
                          farParts[static_cast<std::size_t>(p)]);
    });
    for (int p = 0; p < pieces; ++p) {
        across.insert(across.end(), nearParts[static_cast<std::size_t>(p)].begin(),
                      nearParts[static_cast<std::size_t>(p)].end());
        far.insert(far.end(), farParts[static_cast<std::size_t>(p)].begin(),
                   farParts[static_cast<std::size_t>(p)].end());
    }
    std::sort(far.begin(), far.end());
    far.erase(std::unique(far.begin(), far.end()), far.end());
    std::sort(across.begin(), across.end());
    std::size_t kept = 0;
    for (std::size_t k = 0; k < across.size(); ++k) {
        if (kept > 0 && across[kept - 1] == across[k]) {
            ++acrossNodes.back();
            continue;
        }
        across[kept++] = across[k];
        acrossNodes.push_back(1);
    }
    across.resize(kept);
}

void RegionBands::FacingPairsOfRows(int j0, int j1, Pairs& nearPairs, Pairs& farPairs) const {
    for (int j = j0; j < j1; ++j) {
        for (int i = box.i0; i <= box.i1; ++i) {
            const std::int32_t s = owner[At(i, j)];
            if (s < 0 || shared[At(i, j)]) continue;
            const LineSample& p = samples[static_cast<std::size_t>(s)];
            if (lines.kind[static_cast<std::size_t>(p.line)] != LineKind::kContour) continue;
            std::int32_t seen[25];
            bool near[25];
            int found = 0;
            for (int b = -2; b <= 2; ++b)
                for (int a = -2; a <= 2; ++a) {
                    if (!InBox(i + a, j + b)) continue;
                    const std::int32_t r = region[At(i + a, j + b)];
                    if (r < 0) continue;
                    const bool close = std::abs(a) <= 1 && std::abs(b) <= 1 &&
                                       regions[static_cast<std::size_t>(r)].Has(p.z);
                    int k = static_cast<int>(std::find(seen, seen + found, r) - seen);
                    if (k == found) seen[found] = r, near[found++] = close;
                    else near[k] = near[k] || close;
                }
            // Only a region of one level is told its side: pairs without one
            // are left out, which keeps the lists short on dense contours.
            for (int x = 0; x < found; ++x)
                for (int y = x + 1; y < found; ++y) {
                    const Region& A = regions[static_cast<std::size_t>(seen[x])];
                    const Region& B = regions[static_cast<std::size_t>(seen[y])];
                    const bool nearPair = near[x] && near[y];
                    if (nearPair ? A.levels != 1 && B.levels != 1
                                 : !((A.levels == 1 && B.levels == 2) || (A.levels == 2 && B.levels == 1)))
                        continue;
                    (nearPair ? nearPairs : farPairs)
                        .emplace_back(std::min(seen[x], seen[y]), std::max(seen[x], seen[y]), p.z);
                }
        }
    }
}

void RegionBands::ReadSides() {
    for (Region& R : regions) {
        if (R.levels == 1) continue;
        const bool adjacent = R.levels == 2 && std::abs(IndexOf(R.a) - IndexOf(R.b)) == 1;
        R.side = adjacent ? Side::kBetween : Side::kUnbounded;
        if (adjacent && R.a > R.b) std::swap(R.a, R.b);
    }
    // A region between two levels tells the one across either level its side.
    for (std::size_t k = 0; k < across.size(); ++k) {
        const auto& [x, y, z] = across[k];
        Region& A = regions[static_cast<std::size_t>(x)];
        Region& B = regions[static_cast<std::size_t>(y)];
        for (int turn = 0; turn < 2; ++turn) {
            const Region& from = turn ? B : A;
            Region& to = turn ? A : B;
            if (from.side != Side::kBetween || to.levels != 1) continue;
            (z == from.a ? to.votesBelow : to.votesAbove) += acrossNodes[k];
        }
    }
    // With no region beside it, the nearest one beyond the packed contours
    // tells by lying wholly above or below the level; unless they disagree.
    for (const auto& [x, y, z] : far) {
        for (int turn = 0; turn < 2; ++turn) {
            const Region& from = regions[static_cast<std::size_t>(turn ? y : x)];
            Region& to = regions[static_cast<std::size_t>(turn ? x : y)];
            if (from.side != Side::kBetween || to.levels != 1 || to.a != z || to.votesAbove ||
                to.votesBelow)
                continue;
            if (from.b <= z) to.farAbove = true;
            if (from.a >= z) to.farBelow = true;
        }
    }
    std::vector<std::int32_t> known;
    for (std::size_t r = 0; r < regions.size(); ++r) {
        Region& R = regions[r];
        if (R.levels == 1 && !R.votesAbove && !R.votesBelow && R.farAbove != R.farBelow) {
            R.votesAbove = R.farAbove;
            R.votesBelow = R.farBelow;
        }
        if (R.levels != 1 || !(R.votesAbove || R.votesBelow)) continue;
        // A region one line bounds lies on one side of it. Its neighbours
        // across disagree only where another line of that level passes
        // within a cell, and the region beyond it shows through a node or
        // two: the side most of the rim faces holds.
        if (R.votesAbove && R.votesBelow && !R.twoLines && R.votesAbove != R.votesBelow)
            (R.votesAbove > R.votesBelow ? R.votesBelow : R.votesAbove) = 0;
        R.side = R.votesAbove && R.votesBelow ? Side::kFlat
                 : R.votesAbove              ? Side::kAbove
                                             : Side::kBelow;
        if (R.side != Side::kFlat) known.push_back(static_cast<std::int32_t>(r));
    }
    Propagate(known);
}

// Chains of one-level regions: across a contour the side turns over.
void RegionBands::Propagate(std::vector<std::int32_t>& known) {
    if (known.empty()) return;
    std::vector<std::size_t> startOf(regions.size() + 1, 0);
    for (const auto& e : across) {
        ++startOf[static_cast<std::size_t>(std::get<0>(e)) + 1];
        ++startOf[static_cast<std::size_t>(std::get<1>(e)) + 1];
    }
    for (std::size_t r = 0; r < regions.size(); ++r) startOf[r + 1] += startOf[r];
    std::vector<std::int32_t> next(startOf.back());
    std::vector<std::size_t> fill(startOf.begin(), startOf.end() - 1);
    for (const auto& e : across) {
        next[fill[static_cast<std::size_t>(std::get<0>(e))]++] = std::get<1>(e);
        next[fill[static_cast<std::size_t>(std::get<1>(e))]++] = std::get<0>(e);
    }
    for (std::size_t q = 0; q < known.size(); ++q) {
        const Region& R = regions[static_cast<std::size_t>(known[q])];
        for (std::size_t k = startOf[static_cast<std::size_t>(known[q])];
             k < startOf[static_cast<std::size_t>(known[q]) + 1]; ++k) {
            Region& T = regions[static_cast<std::size_t>(next[k])];
            if (T.levels != 1 || T.side != Side::kUnknown || T.a != R.a) continue;
            T.side = R.side == Side::kAbove ? Side::kBelow : Side::kAbove;
            known.push_back(next[k]);
        }
    }
}

void RegionBands::Write(std::vector<float>& lo, std::vector<float>& hi) const {
    RunRanges(pool, owner.size(), 4096, [&](std::size_t begin, std::size_t end) { WriteNodes(begin, end, lo, hi); });
}

void RegionBands::WriteNodes(std::size_t begin, std::size_t end, std::vector<float>& lo,
                             std::vector<float>& hi) const {
    for (std::size_t o = begin; o < end; ++o) {
        if (owner[o] >= 0) continue;
        const std::int32_t r = region[o];
        if (r < 0) {
            lo[o] = -kInf;
            hi[o] = kInf;
            continue;
        }
        const Region& R = regions[static_cast<std::size_t>(r)];
        float l = -kInf, h = kInf;
        const std::ptrdiff_t k = R.levels >= 1 ? IndexOf(R.a) : 0;
        switch (R.side) {
        case Side::kBetween: l = R.a, h = R.b; break;
        case Side::kFlat: l = h = R.a; break;
        // A summit or pit stays within an interval of its contour; a region
        // beyond the highest or lowest level that reaches the edge of the
        // samples may run on past where the contours were drawn.
        case Side::kAbove:
            l = R.a;
            if (static_cast<std::size_t>(k + 1) < lines.levels.size())
                h = lines.levels[static_cast<std::size_t>(k + 1)];
            else if (!R.edge) h = R.a + lines.gap;
            break;
        case Side::kBelow:
            h = R.a;
            if (k > 0) l = lines.levels[static_cast<std::size_t>(k - 1)];
            else if (!R.edge) l = R.a - lines.gap;
            break;
        case Side::kUnknown:
            if (!R.edge && R.twoLines && R.levels == 1) l = h = R.a;
            break;
        case Side::kUnbounded: break;
        }
        // A spot height on the rim widens the band to take it in.
        if (R.spotLo <= R.spotHi) {
            l = std::min(l, R.spotLo);
            h = std::max(h, R.spotHi);
        }
        lo[o] = l;
        hi[o] = h;
    }
}

} // namespace

void BandFreeNodes(const GridPlace& grid, const NodeTies& ties,
                   const std::vector<LineSample>& samples, std::vector<float>& lo,
                   std::vector<float>& hi, WorkerPool* pool) {
    RegionBands bands(grid, ties, samples, pool);
    bands.Flood();
    bands.FacingPairs();
    bands.ReadSides();
    bands.Write(lo, hi);
}
