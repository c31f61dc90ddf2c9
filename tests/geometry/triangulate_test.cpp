#include "geometry/triangulate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

std::pair<int, int> Ends(int a, int b) {
    return {std::min(a, b), std::max(a, b)};
}

struct Xy {
    double x, y;
};

// Input built from plain vectors; output owned and released like the mesh stage does.
struct Tri2d {
    triangulateio in{}, out{};
    int result = -1;

    Tri2d(const char* switches, const std::vector<Xy>& points,
          const std::vector<std::pair<int, int>>& segments = {},
          const std::vector<int>& markers = {}) {
        in.numberofpoints = static_cast<int>(points.size());
        in.pointlist = static_cast<REAL*>(std::malloc(sizeof(REAL) * 2 * points.size() + 1));
        for (std::size_t i = 0; i < points.size(); ++i) {
            in.pointlist[2 * i] = static_cast<REAL>(points[i].x);
            in.pointlist[2 * i + 1] = static_cast<REAL>(points[i].y);
        }
        in.numberofsegments = static_cast<int>(segments.size());
        in.segmentlist = static_cast<int*>(std::malloc(sizeof(int) * 2 * segments.size() + 1));
        in.segmentmarkerlist = static_cast<int*>(std::malloc(sizeof(int) * segments.size() + 1));
        for (std::size_t i = 0; i < segments.size(); ++i) {
            in.segmentlist[2 * i] = segments[i].first;
            in.segmentlist[2 * i + 1] = segments[i].second;
            in.segmentmarkerlist[i] = markers.empty() ? 0 : markers[i];
        }
        in.numberofcorners = 3;
        out.numberofcorners = 3;
        result = triangulate(switches, &in, &out, nullptr);
    }
    ~Tri2d() {
        ReleaseTriangulateIO(&in);
        ReleaseTriangulateIO(&out);
    }

    Xy P(int i) const { return {out.pointlist[2 * i], out.pointlist[2 * i + 1]}; }
    std::vector<int> Tri(int t) const {
        return {out.trianglelist[3 * t], out.trianglelist[3 * t + 1], out.trianglelist[3 * t + 2]};
    }
    double Area2(int t) const {
        auto c = Tri(t);
        Xy a = P(c[0]), b = P(c[1]), d = P(c[2]);
        return (b.x - a.x) * (d.y - a.y) - (b.y - a.y) * (d.x - a.x);
    }
    double TotalArea() const {
        double s = 0;
        for (int t = 0; t < out.numberoftriangles; ++t) s += Area2(t) / 2;
        return s;
    }
    // Undirected triangle edges with the number of triangles using each.
    std::map<std::pair<int, int>, int> EdgeUse() const {
        std::map<std::pair<int, int>, int> use;
        for (int t = 0; t < out.numberoftriangles; ++t) {
            auto c = Tri(t);
            for (int k = 0; k < 3; ++k)
                ++use[Ends(c[static_cast<std::size_t>(k)],
                           c[static_cast<std::size_t>((k + 1) % 3)])];
        }
        return use;
    }
    // Output segments keyed by their undirected ends, with their markers.
    std::map<std::pair<int, int>, int> Segments() const {
        std::map<std::pair<int, int>, int> s;
        for (int i = 0; i < out.numberofsegments; ++i)
            s[Ends(out.segmentlist[2 * i], out.segmentlist[2 * i + 1])] = out.segmentmarkerlist[i];
        return s;
    }
    // Output segments lying on the input line a-b, between a and b.
    std::vector<int> PiecesOf(Xy a, Xy b) const {
        std::vector<int> pieces;
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        auto onSegment = [&](Xy p) {
            const double cross = ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x)) / len;
            const double along = ((b.x - a.x) * (p.x - a.x) + (b.y - a.y) * (p.y - a.y)) / len;
            return std::abs(cross) < 1e-4 * (1 + len) && along > -1e-4 && along < len + 1e-4;
        };
        for (int i = 0; i < out.numberofsegments; ++i)
            if (onSegment(P(out.segmentlist[2 * i])) && onSegment(P(out.segmentlist[2 * i + 1])))
                pieces.push_back(i);
        return pieces;
    }
    double SegmentLength(int i) const {
        Xy a = P(out.segmentlist[2 * i]), b = P(out.segmentlist[2 * i + 1]);
        return std::hypot(b.x - a.x, b.y - a.y);
    }
    double MinAngleDegrees() const {
        double worst = 180;
        for (int t = 0; t < out.numberoftriangles; ++t) {
            auto c = Tri(t);
            for (int k = 0; k < 3; ++k) {
                Xy o = P(c[static_cast<std::size_t>(k)]);
                Xy u = P(c[static_cast<std::size_t>((k + 1) % 3)]);
                Xy v = P(c[static_cast<std::size_t>((k + 2) % 3)]);
                const double a = std::atan2((u.x - o.x) * (v.y - o.y) - (u.y - o.y) * (v.x - o.x),
                                            (u.x - o.x) * (v.x - o.x) + (u.y - o.y) * (v.y - o.y));
                worst = std::min(worst, std::abs(a) * 180 / M_PI);
            }
        }
        return worst;
    }
};

const std::vector<Xy> kUnitSquare = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

// The invariants every successful run must keep, whatever the input.
void ExpectWellFormed(const Tri2d& r) {
    ASSERT_EQ(r.result, kTriangulateOk) << TriangulateResultText(r.result);
    EXPECT_EQ(r.out.numberofcorners, 3);
    for (int t = 0; t < r.out.numberoftriangles; ++t) {
        EXPECT_GT(r.Area2(t), 0) << "triangle " << t << " is not counter-clockwise";
        for (int c : r.Tri(t)) ASSERT_TRUE(c >= 0 && c < r.out.numberofpoints);
    }
    // Euler: a triangulated disc with V used points and B boundary edges has 2V - B - 2 faces.
    auto use = r.EdgeUse();
    std::set<int> used;
    int boundary = 0;
    for (auto& [e, n] : use) {
        EXPECT_LE(n, 2);
        used.insert(e.first);
        used.insert(e.second);
        if (n == 1) ++boundary;
    }
    EXPECT_EQ(r.out.numberoftriangles, 2 * static_cast<int>(used.size()) - boundary - 2);
    // Every boundary edge is an output segment with a non-zero marker.
    auto segs = r.Segments();
    for (auto& [e, n] : use) {
        if (n != 1) continue;
        auto it = segs.find(e);
        ASSERT_NE(it, segs.end()) << "boundary edge " << e.first << "-" << e.second;
        EXPECT_NE(it->second, 0);
    }
    // Every output segment is a triangle edge.
    for (auto& [e, m] : segs) EXPECT_TRUE(use.count(e)) << e.first << "-" << e.second;
}

TEST(TriangulateSwitches, RefusesAnythingButTheFiveLetters) {
    for (const char* bad : {"zpqcQV", "zpq30cQ", "-zpqcQ", "zpa0.1", "zpYQ", "zpqcQ "}) {
        Tri2d r(bad, kUnitSquare);
        EXPECT_EQ(r.result, kTriangulateBadSwitch) << bad;
        EXPECT_EQ(r.out.pointlist, nullptr);
        EXPECT_EQ(r.out.numberoftriangles, 0);
    }
    for (const char* good : {"zpqcQ", "z", "Qczqp", ""}) {
        Tri2d r(good, kUnitSquare);
        EXPECT_EQ(r.result, kTriangulateOk) << good;
    }
}

TEST(TriangulateSwitches, BadInputIsReportedAndLeavesNoOutput) {
    {
        Tri2d r("zpcQ", kUnitSquare, {{0, 4}});
        EXPECT_EQ(r.result, kTriangulateBadInput);
        EXPECT_EQ(r.out.segmentlist, nullptr);
    }
    {
        Tri2d r("pcQ", kUnitSquare, {{0, 1}}); // one-based: index 0 is out of range
        EXPECT_EQ(r.result, kTriangulateBadInput);
    }
    {
        Tri2d r("zQ", {{0, 0}, {1, 0}, {NAN, 1}});
        EXPECT_EQ(r.result, kTriangulateBadInput);
    }
    {
        Tri2d r("zQ", {{0, 0}, {1, 1}, {2, 2}, {3, 3}});
        EXPECT_EQ(r.result, kTriangulateDegenerate);
        EXPECT_EQ(r.out.trianglelist, nullptr);
    }
    {
        triangulateio in{}, out{};
        REAL pts[] = {0, 0, 1, 0, 0, 1};
        REAL hole[] = {0.2f, 0.2f};
        in.pointlist = pts;
        in.numberofpoints = 3;
        in.holelist = hole;
        in.numberofholes = 1;
        EXPECT_EQ(triangulate("zpQ", &in, &out, nullptr), kTriangulateUnsupported);
        EXPECT_EQ(out.pointlist, nullptr);
    }
}

TEST(TriangulateSwitches, WithoutZIndicesStartAtOne) {
    const std::vector<Xy> pts = {{0, 0}, {2, 0}, {2, 1}, {0, 1}, {1, 0.5}};
    Tri2d zero("zpcQ", pts, {{0, 4}}), one("pcQ", pts, {{1, 5}});
    ExpectWellFormed(zero);
    ASSERT_EQ(one.result, kTriangulateOk);
    ASSERT_EQ(zero.out.numberoftriangles, one.out.numberoftriangles);
    for (int i = 0; i < 3 * zero.out.numberoftriangles; ++i)
        EXPECT_EQ(zero.out.trianglelist[i] + 1, one.out.trianglelist[i]);
    ASSERT_EQ(zero.out.numberofsegments, one.out.numberofsegments);
    for (int i = 0; i < 2 * zero.out.numberofsegments; ++i)
        EXPECT_EQ(zero.out.segmentlist[i] + 1, one.out.segmentlist[i]);
}

TEST(TriangulatePoints, InputFirstInOrderDuplicatesKeptButUnused) {
    const std::vector<Xy> pts = {{0, 0}, {4, 0}, {4, 3}, {2, 1.5}, {0, 3}, {4, 0}, {1, 1}};
    Tri2d r("zpqcQ", pts);
    ExpectWellFormed(r);
    ASSERT_GE(r.out.numberofpoints, 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(r.out.pointlist[2 * i], static_cast<REAL>(pts[i].x));
        EXPECT_EQ(r.out.pointlist[2 * i + 1], static_cast<REAL>(pts[i].y));
    }
    bool firstCopyUsed = false;
    for (int t = 0; t < r.out.numberoftriangles; ++t)
        for (int c : r.Tri(t)) {
            EXPECT_NE(c, 5) << "the repeated point is used";
            firstCopyUsed |= c == 1;
        }
    EXPECT_TRUE(firstCopyUsed);
    EXPECT_NEAR(r.TotalArea(), 12.0, 1e-4);
}

TEST(TriangulatePoints, HullIsCoveredWithCAndOnlyEnclosedRegionWithout) {
    // Unit square enclosed by segments, plus one point off to the right.
    std::vector<Xy> pts = kUnitSquare;
    pts.push_back({3, 0.5});
    const std::vector<std::pair<int, int>> square = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
    Tri2d with("zpcQ", pts, square), without("zpQ", pts, square);
    ExpectWellFormed(with);
    ExpectWellFormed(without);
    EXPECT_NEAR(with.TotalArea(), 2.0, 1e-6); // square plus the triangle (1,0) (3,0.5) (1,1)
    EXPECT_NEAR(without.TotalArea(), 1.0, 1e-6);
    // Without p the segments are ignored and the whole hull is meshed.
    Tri2d points("zQ", pts, square);
    ExpectWellFormed(points);
    EXPECT_NEAR(points.TotalArea(), 2.0, 1e-6);
}

TEST(TriangulateQuality, RefinementRemovesSmallAnglesAndOnlyAddsPoints) {
    // A long thin rectangle: its plain triangulation has angles near 5.7 degrees.
    const std::vector<Xy> pts = {{0, 0}, {10, 0}, {10, 1}, {0, 1}};
    Tri2d plain("zpcQ", pts), refined("zpqcQ", pts);
    ExpectWellFormed(plain);
    ExpectWellFormed(refined);
    EXPECT_EQ(plain.out.numberofpoints, 4);
    EXPECT_LT(plain.MinAngleDegrees(), 10);
    EXPECT_GT(refined.out.numberofpoints, 4);
    EXPECT_GE(refined.MinAngleDegrees(), 20.0);
    EXPECT_NEAR(refined.TotalArea(), 10.0, 1e-4);
}

TEST(TriangulateSegments, OpenAndClosedOutlinesSurviveAsPieces) {
    // Points of a front-like grid, and a closed diamond plus an open polyline inside it.
    std::vector<Xy> pts;
    for (int y = 0; y <= 4; ++y)
        for (int x = 0; x <= 4; ++x) pts.push_back({x * 2.5, y * 2.5});
    const int base = static_cast<int>(pts.size());
    for (Xy p : {Xy{5, 1.3}, Xy{8.7, 5}, Xy{5, 8.7}, Xy{1.3, 5}, Xy{3.1, 3.3}, Xy{6.9, 6.1}})
        pts.push_back(p);
    std::vector<std::pair<int, int>> segs = {{base, base + 1},
                                             {base + 1, base + 2},
                                             {base + 2, base + 3},
                                             {base + 3, base},
                                             {base + 4, base + 5}};
    Tri2d r("zpqcQ", pts, segs, {3, 3, 3, 3, 0});
    ExpectWellFormed(r);
    for (std::size_t s = 0; s < segs.size(); ++s) {
        Xy a = pts[static_cast<std::size_t>(segs[s].first)];
        Xy b = pts[static_cast<std::size_t>(segs[s].second)];
        double covered = 0;
        for (int i : r.PiecesOf(a, b)) {
            covered += r.SegmentLength(i);
            // Interior pieces keep their marker, be it 3 or 0.
            EXPECT_EQ(r.out.segmentmarkerlist[i], s < 4 ? 3 : 0);
        }
        EXPECT_NEAR(covered, std::hypot(b.x - a.x, b.y - a.y), 1e-4) << "segment " << s;
    }
}

TEST(TriangulateSegments, CrossingSegmentsAreSplitAtTheCrossing) {
    std::vector<Xy> pts = kUnitSquare;
    pts.push_back({0.2, 0.2});
    pts.push_back({0.8, 0.8});
    pts.push_back({0.2, 0.8});
    pts.push_back({0.8, 0.2});
    Tri2d r("zpcQ", pts, {{4, 5}, {6, 7}}, {5, 6});
    ExpectWellFormed(r);
    ASSERT_EQ(r.out.numberofpoints, 9);
    EXPECT_NEAR(r.P(8).x, 0.5, 1e-6);
    EXPECT_NEAR(r.P(8).y, 0.5, 1e-6);
    auto segs = r.Segments();
    EXPECT_EQ(segs.at({4, 8}), 5);
    EXPECT_EQ(segs.at({5, 8}), 5);
    EXPECT_EQ(segs.at({6, 8}), 6);
    EXPECT_EQ(segs.at({7, 8}), 6);
    EXPECT_EQ(segs.count({4, 5}), 0u);
}

TEST(TriangulateSegments, BoundaryMarkersFollowTheirRules) {
    // Square with its bottom edge an input segment of marker 0, its right edge
    // one of marker 9, and an interior diagonal of marker 0.
    std::vector<Xy> pts = kUnitSquare;
    Tri2d r("zpcQ", pts, {{0, 1}, {1, 2}, {0, 2}}, {0, 9, 0});
    ExpectWellFormed(r);
    auto segs = r.Segments();
    EXPECT_EQ(segs.size(), 5u);
    EXPECT_EQ(segs.at({0, 1}), 1); // boundary piece with marker 0
    EXPECT_EQ(segs.at({1, 2}), 9); // boundary piece keeps its own marker
    EXPECT_EQ(segs.at({0, 2}), 0); // interior piece with marker 0
    EXPECT_EQ(segs.at({2, 3}), 1); // hull edges
    EXPECT_EQ(segs.at({0, 3}), 1);
    // Input segments come first, in input order.
    EXPECT_EQ(Ends(r.out.segmentlist[0], r.out.segmentlist[1]), std::make_pair(0, 1));
    EXPECT_EQ(Ends(r.out.segmentlist[4], r.out.segmentlist[5]), std::make_pair(0, 2));
}

TEST(TriangulateSegments, OverlappingSegmentsGiveOnePieceWithTheFirstNonZeroMarker) {
    std::vector<Xy> pts = {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {1, 2}, {3, 2}, {2, 2}};
    // 4-5 overlaps 6-5 over (2,2)-(3,2); marker 0 first, then 4, then 8.
    Tri2d r("zpcQ", pts, {{4, 5}, {6, 5}, {5, 6}}, {0, 4, 8});
    ExpectWellFormed(r);
    auto segs = r.Segments();
    EXPECT_EQ(segs.at({4, 6}), 0);
    EXPECT_EQ(segs.at({5, 6}), 4);
}

// Random graphs with crossings: every invariant at once, and every input segment
// fully covered by output pieces.
TEST(TriangulateRandom, RandomGraphsKeepEveryRule) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> coord(0, 100);
    for (int round = 0; round < 20; ++round) {
        std::vector<Xy> pts;
        for (int i = 0; i < 60; ++i) pts.push_back({coord(rng), coord(rng)});
        pts.push_back(pts[7]); // a repeated point
        std::vector<std::pair<int, int>> segs;
        std::vector<int> markers;
        std::uniform_int_distribution<int> pick(0, 59);
        for (int s = 0; s < 6; ++s) {
            int a = pick(rng), b = pick(rng);
            if (a == b) continue;
            segs.push_back({a, b});
            markers.push_back(s % 2 ? 2 : 0);
        }
        Tri2d r("zpqcQ", pts, segs, markers);
        ExpectWellFormed(r);
        for (int t = 0; t < r.out.numberoftriangles; ++t)
            for (int c : r.Tri(t)) EXPECT_NE(c, 60);
        for (std::size_t s = 0; s < segs.size(); ++s) {
            Xy a = pts[static_cast<std::size_t>(segs[s].first)];
            Xy b = pts[static_cast<std::size_t>(segs[s].second)];
            double covered = 0;
            for (int i : r.PiecesOf(a, b)) covered += r.SegmentLength(i);
            EXPECT_NEAR(covered, std::hypot(b.x - a.x, b.y - a.y), 1e-2)
                << "round " << round << " segment " << s;
        }
    }
}

} // namespace
