#include "geometry/exact_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

#include "geometry/contour_sampling.h"
#include "tests/support/terrain_generators.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

ContourLine Ring(float radius, float z, int points = 360, Point2 centre = Point2(0.0f, 0.0f)) {
    ContourLine line;
    line.closed = true;
    for (int k = 0; k < points; ++k) {
        const double a = 2.0 * kPi * k / points;
        line.points.emplace_back(static_cast<float>(radius * std::cos(a)) + centre.x,
                                 static_cast<float>(radius * std::sin(a)) + centre.y, z);
    }
    return line;
}

// The grid placed around the lines as a build places it, then the exact fit.
HeightGrid Fit(const std::vector<ContourLine>& lines, int levels, const ExactFitSettings& settings,
               ExactFitReport* report = nullptr) {
    ContourSegments segments;
    HeightGrid grid;
    SampleSet unused;
    EXPECT_TRUE(GatherContours(segments, lines));
    EXPECT_TRUE(SetUpSampling(segments, levels, 2.0f, grid, unused));
    const ExactFitReport r = FitExactHeightField(grid, lines, levels, settings, nullptr);
    if (report) *report = r;
    EXPECT_EQ(grid.gridSize, GridSizeForLevels(levels));
    EXPECT_EQ(grid.heights.size(), static_cast<std::size_t>(grid.gridSize) * grid.gridSize);
    return grid;
}

Point2 NodeAt(const HeightGrid& g, int i, int j) {
    return Point2(g.origin.x + static_cast<float>(i) * g.cellSize,
                  g.origin.y + static_cast<float>(j) * g.cellSize);
}

float HeightAtNode(const HeightGrid& g, int i, int j) {
    return g.heights[static_cast<std::size_t>(j) * g.gridSize + i];
}

// Open lines from y = -50 to 50, each at its (x, height).
std::vector<ContourLine> StraightLines(std::initializer_list<std::pair<float, float>> at) {
    std::vector<ContourLine> lines;
    for (const auto& [x, z] : at) {
        ContourLine line;
        line.points = {Point3(x, -50.0f, z), Point3(x, 50.0f, z)};
        lines.push_back(line);
    }
    return lines;
}

std::vector<ContourLine> ConeRings() {
    std::vector<ContourLine> lines;
    for (int r = 10; r <= 90; r += 10) lines.push_back(Ring(static_cast<float>(r), 100.0f - r));
    return lines;
}

TEST(SampleLines, EveryVertexAndNoGapOverAStepEachLineOnItsOwn) {
    ContourLine open;
    open.points = {Point3(0.0f, 0.0f, 5.0f), Point3(10.0f, 0.0f, 5.0f), Point3(10.0f, 2.5f, 6.0f)};
    ContourLine dot;
    dot.points = {Point3(3.0f, 4.0f, 7.0f)};
    ContourLine square;
    square.closed = true;
    square.points = {Point3(0.0f, 0.0f, 9.0f), Point3(1.0f, 0.0f, 9.0f), Point3(1.0f, 1.0f, 9.0f),
                     Point3(0.0f, 1.0f, 9.0f)};
    const std::vector<LineSample> s = SampleLines({open, dot, square}, 1.0f);
    // 10 + 3 steps and the last vertex; one; four sides of one step, closed.
    ASSERT_EQ(s.size(), 14u + 1u + 4u);
    EXPECT_FLOAT_EQ(s[3].x, 3.0f);
    EXPECT_FLOAT_EQ(s[10].x, 10.0f);
    EXPECT_NEAR(s[11].y, 2.5f / 3.0f, 1e-6f);
    EXPECT_NEAR(s[11].z, 5.0f + 1.0f / 3.0f, 1e-6f);
    EXPECT_FLOAT_EQ(s[13].y, 2.5f);
    EXPECT_EQ(s[13].line, 0);
    EXPECT_EQ(s[14].line, 1);
    EXPECT_FLOAT_EQ(s[14].z, 7.0f);
    for (std::size_t k = 15; k < s.size(); ++k) EXPECT_EQ(s[k].line, 2);
    EXPECT_FLOAT_EQ(s[18].y, 1.0f); // the fourth corner; the ring does not repeat the first
}

// A thin plate bends nowhere on a plane, so the plane is the solution
// everywhere; with tension the margin beyond the outer lines may flatten,
// but between the lines the plane still holds.
TEST(ExactFit, ReproducesAPlaneThroughItsContours) {
    // z = 0.3 x - 0.2 y: level lines 0.3 x - 0.2 y = c are straight.
    std::vector<ContourLine> lines;
    for (int c = -30; c <= 30; c += 5) {
        ContourLine line;
        for (int k = -1; k <= 1; k += 2) {
            const float y = 120.0f * static_cast<float>(k);
            line.points.emplace_back((static_cast<float>(c) + 0.2f * y) / 0.3f, y, static_cast<float>(c));
        }
        lines.push_back(line);
    }
    for (const float tension : {0.0f, 0.5f}) {
        ExactFitSettings settings;
        settings.tension = tension;
        settings.tolerance = 1.0e-6f;
        settings.maxCycles = 200; // the free corners settle last
        const HeightGrid g = Fit(lines, 6, settings);
        float worst = 0.0f;
        for (int j = 0; j < g.gridSize; ++j)
            for (int i = 0; i < g.gridSize; ++i) {
                const Point2 p = NodeAt(g, i, j);
                const float plane = 0.3f * p.x - 0.2f * p.y;
                // With tension, only between the lines.
                if (tension > 0.0f && (std::fabs(plane) > 15.0f || std::fabs(p.y) > 100.0f)) continue;
                worst = std::max(worst, std::fabs(HeightAtNode(g, i, j) - plane));
            }
        // Exact but for float with no tension; with it, the flattened margin
        // reaches in through the outer lines by a trace (a line's held nodes
        // are a node thick, the stencil reaches two).
        EXPECT_LT(worst, tension > 0.0f ? 2.0e-2f : 2.0e-3f) << "tension " << tension;
    }
}

TEST(ExactFit, ConeContoursGiveACone) {
    ExactFitSettings settings;
    const HeightGrid g = Fit(ConeRings(), 7, settings);
    double sum = 0.0, worst = 0.0;
    int count = 0;
    for (int j = 0; j < g.gridSize; ++j)
        for (int i = 0; i < g.gridSize; ++i) {
            const Point2 p = NodeAt(g, i, j);
            const double r = std::sqrt(double(p.x) * p.x + double(p.y) * p.y);
            if (r < 10.0 || r > 90.0) continue;
            const double e = HeightAtNode(g, i, j) - (100.0 - r);
            sum += e * e;
            worst = std::max(worst, std::fabs(e));
            ++count;
        }
    // Slope 1: a cell of error in position is a cell in height.
    EXPECT_LT(worst, g.cellSize);
    EXPECT_LT(std::sqrt(sum / count), 0.2 * g.cellSize);
    // The summit inside the last ring rises above it, not beyond the cone,
    // and as far on a grid of other cells: the tension is weighed in the
    // site's lengths, not in cells, so a finer grid only adds detail.
    const float top = HeightAtNode(g, g.gridSize / 2, g.gridSize / 2);
    EXPECT_GT(top, 90.3f);
    EXPECT_LT(top, 100.0f);
    const HeightGrid fine = Fit(ConeRings(), 9, settings);
    EXPECT_NEAR(HeightAtNode(fine, fine.gridSize / 2, fine.gridSize / 2), top, 0.05f);
}

TEST(ExactFit, TwoEqualContoursEncloseAFlatPlateau) {
    std::vector<ContourLine> lines = {Ring(70, 0), Ring(50, 10), Ring(25, 10), Ring(10, 20)};
    ExactFitSettings settings;
    const HeightGrid g = Fit(lines, 7, settings);
    float lowBand = 1e9f, highBand = -1e9f;
    for (int j = 0; j < g.gridSize; ++j)
        for (int i = 0; i < g.gridSize; ++i) {
            const Point2 p = NodeAt(g, i, j);
            const float r = std::sqrt(p.x * p.x + p.y * p.y);
            const float z = HeightAtNode(g, i, j);
            if (r > 25.0f + g.cellSize && r < 50.0f - g.cellSize) {
                EXPECT_EQ(z, 10.0f) << r;
            }
            if (r > 52.0f && r < 68.0f) {
                lowBand = std::min(lowBand, z);
                highBand = std::max(highBand, z);
            }
        }
    // Between contours of different heights the surface still slopes, and the
    // summit ring is no plateau.
    EXPECT_GT(highBand - lowBand, 5.0f);
    EXPECT_GT(HeightAtNode(g, g.gridSize / 2, g.gridSize / 2), 20.2f);
}

TEST(ExactFit, AContourOfOneSampleIsHeld) {
    std::vector<ContourLine> lines = ConeRings();
    ContourLine summit; // one point, on the centre node
    summit.points = {Point3(0.0f, 0.0f, 104.0f)};
    lines.push_back(summit);
    ExactFitSettings settings;
    const HeightGrid g = Fit(lines, 7, settings);
    const int c = g.gridSize / 2;
    EXPECT_NEAR(HeightAtNode(g, c, c), 104.0f, 0.01f);
    EXPECT_LT(HeightAtNode(g, c + 3, c), 104.0f);

}

TEST(ExactFit, StopsOnceACycleMovesNoNodeBeyondTheTolerance) {
    const std::vector<ContourLine> lines = {Ring(70, 0), Ring(40, 30), Ring(10, 35)};
    ExactFitSettings loose;
    loose.tolerance = 1.0e-2f;
    loose.tension = 0.25f; // settles to the tight tolerance within the cycle limit
    ExactFitReport a, b, c;
    const HeightGrid ga = Fit(lines, 7, loose, &a);
    EXPECT_TRUE(a.converged);
    EXPECT_LE(a.lastChange, a.limit);
    EXPECT_FLOAT_EQ(a.limit, 1.0e-2f * 5.0f); // of the smallest contour interval

    // One cycle fewer and it had not got there.
    ExactFitSettings cut = loose;
    cut.maxCycles = a.cycles - 1;
    ASSERT_GE(cut.maxCycles, 1);
    Fit(lines, 7, cut, &b);
    EXPECT_FALSE(b.converged);
    EXPECT_GT(b.lastChange, b.limit);

    // A tighter tolerance takes more cycles and lands within the loose one's
    // reach of it.
    ExactFitSettings tight = loose;
    tight.tolerance = 1.0e-4f;
    const HeightGrid gc = Fit(lines, 7, tight, &c);
    EXPECT_TRUE(c.converged);
    EXPECT_GT(c.cycles, a.cycles);
    float worst = 0.0f;
    for (std::size_t k = 0; k < gc.heights.size(); ++k)
        worst = std::max(worst, std::fabs(gc.heights[k] - ga.heights[k]));
    EXPECT_GT(worst, 0.0f);
    EXPECT_LT(worst, 20.0f * a.limit);
}

// Heights of the nodes whose distance from the centre lies in (r0, r1), the
// lowest and the highest.
std::pair<float, float> RangeBetween(const HeightGrid& g, float r0, float r1) {
    float lo = 1e30f, hi = -1e30f;
    for (int j = 0; j < g.gridSize; ++j)
        for (int i = 0; i < g.gridSize; ++i) {
            const Point2 p = NodeAt(g, i, j);
            const float r = std::sqrt(p.x * p.x + p.y * p.y);
            if (r <= r0 || r >= r1) continue;
            lo = std::min(lo, HeightAtNode(g, i, j));
            hi = std::max(hi, HeightAtNode(g, i, j));
        }
    return {lo, hi};
}

// A thin plate carries a steep slope on past the next contour; the regions
// between the lines keep it within their heights.
TEST(ExactFitBands, AThinPlateStaysBetweenItsContours) {
    ExactFitSettings plate;
    plate.tension = 0.0f;
    // Closed rings, steep between 45 and 43, then a wide ring up to a summit.
    const HeightGrid g = Fit({Ring(60, 0), Ring(45, 10), Ring(43, 20), Ring(15, 30)}, 7, plate);
    const float c = g.cellSize;
    const auto wide = RangeBetween(g, 15.0f + c, 43.0f - c);
    EXPECT_GE(wide.first, 20.0f);
    EXPECT_LE(wide.second, 30.0f);
    const auto summit = RangeBetween(g, 0.0f, 15.0f - c);
    EXPECT_GE(summit.first, 30.0f);
    EXPECT_LE(summit.second, 40.0f); // within an interval of its ring

    // Open lines that end where the samples end, as a cut-out of a larger
    // map: the edge of the samples closes their regions.
    const std::vector<ContourLine> open = StraightLines({{-50.0f, 0.0f}, {-48.0f, 10.0f}, {50.0f, 20.0f}});
    const HeightGrid h = Fit(open, 7, plate);
    float top = -1e30f, bottom = 1e30f;
    for (int j = 0; j < h.gridSize; ++j)
        for (int i = 0; i < h.gridSize; ++i) {
            const Point2 p = NodeAt(h, i, j);
            if (p.x < -47.0f || p.x > 49.0f || std::fabs(p.y) > 50.0f) continue;
            top = std::max(top, HeightAtNode(h, i, j));
            bottom = std::min(bottom, HeightAtNode(h, i, j));
        }
    EXPECT_LE(top, 20.0f);
    EXPECT_GE(bottom, 10.0f);
}

// Which side of its contour a region of one level lies on comes from the
// region across it, even when a second contour runs closer than a cell.
TEST(ExactFitBands, SummitsRiseAndPitsFallWithinAnInterval) {
    ExactFitSettings plate;
    plate.tension = 0.0f;
    // A pit: the ring inside falls from 20 to 10, so the inside lies below 10.
    const HeightGrid pit = Fit({Ring(70, 20), Ring(45, 10)}, 7, plate);
    const auto inside = RangeBetween(pit, 0.0f, 45.0f - pit.cellSize);
    EXPECT_GE(inside.first, 0.0f);
    EXPECT_LE(inside.second, 10.0f);
    EXPECT_LT(HeightAtNode(pit, pit.gridSize / 2, pit.gridSize / 2), 9.0f);

    // A summit ring 0.4 inside the one below it: the nodes between them hold
    // samples of both, and say nothing of which side the summit is on.
    const HeightGrid hill = Fit({Ring(60, 0), Ring(40, 10), Ring(39.6f, 20)}, 7, plate);
    ASSERT_GT(hill.cellSize, 0.4f);
    const auto top = RangeBetween(hill, 0.0f, 39.6f - hill.cellSize);
    EXPECT_GE(top.first, 20.0f);
    EXPECT_LE(top.second, 30.0f);
    EXPECT_GT(HeightAtNode(hill, hill.gridSize / 2, hill.gridSize / 2), 21.0f);
}

// Lines x + y = c across the square [-50, 50]^2, each at its (c, height).
std::vector<ContourLine> DiagonalLines(std::initializer_list<std::pair<float, float>> at) {
    std::vector<ContourLine> lines;
    for (const auto& [c, z] : at) {
        ContourLine line;
        const float x0 = std::max(-50.0f, c - 50.0f), x1 = std::min(50.0f, c + 50.0f);
        line.points = {Point3(x0, c - x0, z), Point3(x1, c - x1, z)};
        lines.push_back(line);
    }
    return lines;
}

// A ring pinched against a line of its own level, less than a cell away:
// across the line's diagonal steps, the region beyond that line touches the
// ring's nodes too, and says the opposite side. It stays a pit or a summit,
// as the rest of its rim says, not a flat.
TEST(ExactFitBands, ARingPinchedAgainstALineOfItsLevelKeepsItsSide) {
    ExactFitSettings plate;
    plate.tension = 0.0f;
    // Lines rising to the north-east, 10 at x + y = -20.
    for (const float side : {1.0f, -1.0f}) {
        std::vector<ContourLine> lines = DiagonalLines({{-70.0f, 0.0f}, {-20.0f, 10.0f}, {70.0f, 20.0f}});
        const float r = 12.0f, d = (r + 0.4f) / std::sqrt(2.0f);
        const Point2 centre(-10.0f + side * d, -10.0f + side * d);
        lines.push_back(Ring(r, 10.0f, 360, centre));
        const HeightGrid g = Fit(lines, 7, plate);
        ASSERT_GT(g.cellSize, 0.4f * std::sqrt(2.0f));
        float lo = 1e30f, hi = -1e30f;
        for (int j = 0; j < g.gridSize; ++j)
            for (int i = 0; i < g.gridSize; ++i) {
                const Point2 p = NodeAt(g, i, j);
                if (std::hypot(p.x - centre.x, p.y - centre.y) > r - g.cellSize) continue;
                lo = std::min(lo, HeightAtNode(g, i, j));
                hi = std::max(hi, HeightAtNode(g, i, j));
            }
        // Above the line the ring is a pit; below it, a summit.
        if (side > 0.0f) {
            EXPECT_LE(hi, 10.0f);
            EXPECT_LT(GridHeightAt(g, centre), 9.9f);
        } else {
            EXPECT_GE(lo, 10.0f);
            EXPECT_GT(GridHeightAt(g, centre), 10.1f);
        }
    }
}

// The generated landscape's contours, a line per segment.
std::vector<ContourLine> LandscapeLines() {
    std::vector<ContourLine> lines;
    for (const ContourSegment& s : terrain::LandscapeContours(5.0, 64)) {
        ContourLine line;
        line.points = {s.start, s.end};
        lines.push_back(line);
    }
    return lines;
}

// Every later stage reads the grid through its bilinear surface: that
// surface passes through the contours, not only the nodes beside them, and a
// summit ring narrower than two cells keeps its level.
TEST(ExactFit, TheGridsOwnSurfacePassesThroughItsContours) {
    // Contours 5 apart, on cells of 4.3: held by the Taylor condition alone
    // the surface misses them by 0.023 RMS.
    const std::vector<ContourLine> lines = LandscapeLines();
    const HeightGrid g = Fit(lines, 8, ExactFitSettings());
    double sum = 0.0;
    const std::vector<LineSample> samples = SampleLines(lines, 0.5f * g.cellSize);
    for (const LineSample& s : samples) {
        const double e = GridHeightAt(g, Point2(s.x, s.y)) - s.z;
        sum += e * e;
    }
    EXPECT_LT(std::sqrt(sum / static_cast<double>(samples.size())), 0.018);

    // With three contours to a cell, a node held to pass its sample through
    // its square would overshoot (by 6.2 here); it stays within a contour
    // interval of the sample it is held to, the nearest in its half-cell.
    const HeightGrid coarse = Fit(lines, 5, ExactFitSettings());
    const GridPlace place{coarse.origin.x, coarse.origin.y, coarse.cellSize, coarse.gridSize};
    std::vector<float> nearest(coarse.heights.size(), 1e30f), held(coarse.heights.size(), 0.0f);
    for (const LineSample& s : SampleLines(lines, 0.5f * coarse.cellSize)) {
        int i = 0, j = 0;
        float dx = 0.0f, dy = 0.0f;
        if (!NodeOfSample(s, place, i, j, dx, dy)) continue;
        const std::size_t o = static_cast<std::size_t>(j) * coarse.gridSize + i;
        if (dx * dx + dy * dy < nearest[o]) nearest[o] = dx * dx + dy * dy, held[o] = s.z;
    }
    float beyond = 0.0f;
    for (std::size_t o = 0; o < held.size(); ++o)
        if (nearest[o] < 1e30f) beyond = std::max(beyond, std::fabs(coarse.heights[o] - held[o]));
    EXPECT_LE(beyond, 5.0f + 1e-3f);

    // A ring 1.4 cells across, off the nodes, on top of the cone: by the
    // Taylor condition alone it sinks 0.46 below its level.
    std::vector<ContourLine> cone = ConeRings();
    const float c = Fit(cone, 7, ExactFitSettings()).cellSize;
    const Point2 centre(0.37f * c, -0.21f * c);
    const float level = 100.0f - 0.7f * c; // the cone's height there
    const ContourLine narrow = Ring(0.7f * c, level, 12, centre);
    cone.push_back(narrow);
    const HeightGrid h = Fit(cone, 7, ExactFitSettings());
    ASSERT_EQ(h.cellSize, c);
    double along = 0.0;
    for (const Point3& p : narrow.points) along += GridHeightAt(h, Point2(p.x, p.y)) - p.z;
    EXPECT_LT(std::fabs(along / static_cast<double>(narrow.points.size())), 0.15);
    EXPECT_GT(GridHeightAt(h, centre), level);
}

// Two ways the cycles on the landscape's contours would not settle. A thin
// plate presses nodes against their bands, lets them go and presses them
// again: without pressed nodes staying pressed once the cycles stall, it
// loops for all 60 cycles. Over-relaxed too far, the cycles grow instead of
// settling: the fit then relaxes plainly.
TEST(ExactFitBands, SettlesWhereTheCyclesWouldTurnBackAndForthOrGrow) {
    const std::vector<ContourLine> lines = LandscapeLines();
    ExactFitSettings plate;
    plate.tension = 0.0f;
    ExactFitSettings overRelaxed;
    overRelaxed.overRelax = 1.9f;
    for (const auto& [settings, levels] : {std::pair{plate, 9}, std::pair{overRelaxed, 8}}) {
        ExactFitReport report;
        Fit(lines, levels, settings, &report);
        EXPECT_TRUE(report.converged) << report.cycles << " cycles, last move " << report.lastChange;
        EXPECT_LT(report.cycles, 30) << "levels " << levels;
    }
}

// A thin plate beyond straight outer lines may turn about them at no cost;
// with a ring in the middle of the lines, the coarse grids' corrections grew
// on that turn by half again each cycle, to heights of 1e15. The fit then
// goes back to where the growth started and relaxes on its own.
TEST(ExactFitBands, AThinPlateFreeToTurnAboutItsOuterLinesStaysOnTheSlope) {
    std::vector<ContourLine> lines = StraightLines({{-40.0f, 0.0f}, {0.0f, 10.0f}, {40.0f, 20.0f}});
    lines.push_back(Ring(12.0f, 10.0f, 360, Point2(17.0f, 0.0f)));
    ExactFitSettings plate;
    plate.tension = 0.0f;
    for (const int levels : {7, 9}) {
        ExactFitReport report;
        const HeightGrid g = Fit(lines, levels, plate, &report);
        // Off the slope the lines draw, z = 10 + x / 4, by less than its fall
        // between two lines, out to the grid's corners.
        float off = 0.0f;
        for (int j = 0; j < g.gridSize; ++j)
            for (int i = 0; i < g.gridSize; ++i)
                off = std::max(off, std::fabs(HeightAtNode(g, i, j) - (10.0f + NodeAt(g, i, j).x / 4.0f)));
        EXPECT_LT(off, 10.0f) << "levels " << levels;
        EXPECT_NEAR(GridHeightAt(g, Point2(-40.0f, 0.0f)), 0.0f, 0.5f);
        EXPECT_NEAR(GridHeightAt(g, Point2(40.0f, 0.0f)), 20.0f, 0.5f);
        EXPECT_FALSE(report.converged); // relaxed alone, it cannot say
    }
}

} // namespace
