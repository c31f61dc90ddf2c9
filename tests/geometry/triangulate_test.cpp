#include "geometry/triangulate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <vector>

namespace {

using Edge = std::pair<int, int>;
Edge Ends(int a, int b) {
    return {std::min(a, b), std::max(a, b)};
}

struct Xy {
    double x, y;
};

// Input from plain vectors (malloc'ed, as callers must); both sides released on exit.
struct Tri2d {
    triangulateio in{}, out{};
    int result = -1;

    Tri2d(const char* switches, const std::vector<Xy>& pts, const std::vector<Edge>& segs = {},
          const std::vector<int>& markers = {}) {
        auto alloc = [](std::size_t n) { return std::malloc(4 * n + 4); };
        in.numberofpoints = static_cast<int>(pts.size());
        in.pointlist = static_cast<REAL*>(alloc(2 * pts.size()));
        for (std::size_t i = 0; i < pts.size(); ++i) {
            in.pointlist[2 * i] = static_cast<REAL>(pts[i].x);
            in.pointlist[2 * i + 1] = static_cast<REAL>(pts[i].y);
        }
        in.numberofsegments = static_cast<int>(segs.size());
        in.segmentlist = static_cast<int*>(alloc(2 * segs.size()));
        in.segmentmarkerlist = static_cast<int*>(alloc(segs.size()));
        for (std::size_t i = 0; i < segs.size(); ++i) {
            in.segmentlist[2 * i] = segs[i].first;
            in.segmentlist[2 * i + 1] = segs[i].second;
            in.segmentmarkerlist[i] = markers.empty() ? 0 : markers[i];
        }
        out.numberofcorners = 3;
        result = triangulate(switches, &in, &out, nullptr);
    }
    ~Tri2d() {
        ReleaseTriangulateIO(&in);
        ReleaseTriangulateIO(&out);
    }

    Xy P(int i) const { return {out.pointlist[2 * i], out.pointlist[2 * i + 1]}; }
    int C(int t, int k) const { return out.trianglelist[3 * t + (k % 3)]; }
    double Area(int t) const {
        Xy a = P(C(t, 0)), b = P(C(t, 1)), d = P(C(t, 2));
        return ((b.x - a.x) * (d.y - a.y) - (b.y - a.y) * (d.x - a.x)) / 2;
    }
    double TotalArea() const {
        double s = 0;
        for (int t = 0; t < out.numberoftriangles; ++t) s += Area(t);
        return s;
    }
    std::map<Edge, int> EdgeUse() const {
        std::map<Edge, int> use;
        for (int t = 0; t < out.numberoftriangles; ++t)
            for (int k = 0; k < 3; ++k) ++use[Ends(C(t, k), C(t, k + 1))];
        return use;
    }
    std::map<Edge, int> Segments() const { // ends -> marker
        std::map<Edge, int> s;
        for (int i = 0; i < out.numberofsegments; ++i)
            s[Ends(out.segmentlist[2 * i], out.segmentlist[2 * i + 1])] = out.segmentmarkerlist[i];
        return s;
    }
    // Total length of the output segments lying on the segment a-b.
    double CoveredLength(Xy a, Xy b) const {
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        auto on = [&](Xy p) {
            const double cross = ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x)) / len;
            const double along = ((b.x - a.x) * (p.x - a.x) + (b.y - a.y) * (p.y - a.y)) / len;
            return std::abs(cross) < 1e-4 * (1 + len) && along > -1e-4 && along < len + 1e-4;
        };
        double covered = 0;
        for (int i = 0; i < out.numberofsegments; ++i) {
            Xy p = P(out.segmentlist[2 * i]), q = P(out.segmentlist[2 * i + 1]);
            if (on(p) && on(q)) covered += std::hypot(q.x - p.x, q.y - p.y);
        }
        return covered;
    }
    double MinAngleDegrees() const {
        double worst = 180;
        for (int t = 0; t < out.numberoftriangles; ++t)
            for (int k = 0; k < 3; ++k) {
                Xy o = P(C(t, k)), u = P(C(t, k + 1)), v = P(C(t, k + 2));
                const double a = std::atan2((u.x - o.x) * (v.y - o.y) - (u.y - o.y) * (v.x - o.x),
                                            (u.x - o.x) * (v.x - o.x) + (u.y - o.y) * (v.y - o.y));
                worst = std::min(worst, std::abs(a) * 180 / M_PI);
            }
        return worst;
    }
};

const std::vector<Xy> kUnitSquare = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

// What every successful run keeps: counter-clockwise triangles forming a disc
// (Euler: T = 2V - B - 2), and every boundary edge a segment with a non-zero
// marker, every segment a triangle side.
void ExpectWellFormed(const Tri2d& r) {
    ASSERT_EQ(r.result, kTriangulateOk) << TriangulateResultText(r.result);
    EXPECT_EQ(r.out.numberofcorners, 3);
    for (int t = 0; t < r.out.numberoftriangles; ++t) EXPECT_GT(r.Area(t), 0) << t;
    const auto use = r.EdgeUse();
    const auto segs = r.Segments();
    std::set<int> used;
    int boundary = 0;
    for (auto& [e, n] : use) {
        EXPECT_LE(n, 2);
        used.insert({e.first, e.second});
        if (n != 1) continue;
        ++boundary;
        auto it = segs.find(e);
        ASSERT_NE(it, segs.end()) << "boundary edge " << e.first << "-" << e.second;
        EXPECT_NE(it->second, 0);
    }
    EXPECT_EQ(r.out.numberoftriangles, 2 * static_cast<int>(used.size()) - boundary - 2);
    for (auto& [e, m] : segs) EXPECT_TRUE(use.count(e)) << e.first << "-" << e.second;
}

TEST(Triangulate, RefusesUnknownSwitchesAndBadInputLeavingNoOutput) {
    for (const char* bad : {"zpqcQV", "zpq30cQ", "-zpqcQ", "zpYQ", "zpqcQ "}) {
        Tri2d r(bad, kUnitSquare);
        EXPECT_EQ(r.result, kTriangulateBadSwitch) << bad;
        EXPECT_EQ(r.out.pointlist, nullptr);
    }
    EXPECT_EQ(Tri2d("Qczqp", kUnitSquare).result, kTriangulateOk);
    EXPECT_EQ(Tri2d("zpcQ", kUnitSquare, {{0, 4}}).result, kTriangulateBadInput);
    EXPECT_EQ(Tri2d("pcQ", kUnitSquare, {{0, 1}}).result, kTriangulateBadInput); // one-based
    EXPECT_EQ(Tri2d("zQ", {{0, 0}, {1, 0}, {NAN, 1}}).result, kTriangulateBadInput);
    Tri2d line("zQ", {{0, 0}, {1, 1}, {2, 2}, {3, 3}});
    EXPECT_EQ(line.result, kTriangulateDegenerate);
    EXPECT_EQ(line.out.trianglelist, nullptr);
    triangulateio in{}, out{};
    REAL pts[] = {0, 0, 1, 0, 0, 1}, hole[] = {0.2f, 0.2f};
    in.pointlist = pts;
    in.numberofpoints = 3;
    in.holelist = hole;
    in.numberofholes = 1;
    EXPECT_EQ(triangulate("zpQ", &in, &out, nullptr), kTriangulateUnsupported);
}

TEST(Triangulate, InputPointsFirstInOrderWithRepeatsKeptButUnused) {
    const std::vector<Xy> pts = {{0, 0}, {4, 0}, {4, 3}, {2, 1.5}, {0, 3}, {4, 0}, {1, 1}};
    Tri2d r("zpqcQ", pts);
    ExpectWellFormed(r);
    ASSERT_GE(r.out.numberofpoints, 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(r.out.pointlist[2 * i], static_cast<REAL>(pts[i].x));
        EXPECT_EQ(r.out.pointlist[2 * i + 1], static_cast<REAL>(pts[i].y));
    }
    std::set<int> used;
    for (int t = 0; t < r.out.numberoftriangles; ++t)
        for (int k = 0; k < 3; ++k) used.insert(r.C(t, k));
    EXPECT_TRUE(used.count(1));
    EXPECT_FALSE(used.count(5)); // the repeat of point 1
    EXPECT_NEAR(r.TotalArea(), 12.0, 1e-4);

    // Without z every index is one larger.
    Tri2d zero("zpcQ", pts, {{0, 6}}), one("pcQ", pts, {{1, 7}});
    ASSERT_EQ(one.result, kTriangulateOk);
    ASSERT_EQ(zero.out.numberoftriangles, one.out.numberoftriangles);
    for (int i = 0; i < 3 * zero.out.numberoftriangles; ++i)
        EXPECT_EQ(zero.out.trianglelist[i] + 1, one.out.trianglelist[i]);
    ASSERT_EQ(zero.out.numberofsegments, one.out.numberofsegments);
    for (int i = 0; i < 2 * zero.out.numberofsegments; ++i)
        EXPECT_EQ(zero.out.segmentlist[i] + 1, one.out.segmentlist[i]);
}

TEST(Triangulate, CMeshesTheWholeHullWithoutItOnlyWhatSegmentsEnclose) {
    std::vector<Xy> pts = kUnitSquare;
    pts.push_back({3, 0.5});
    const std::vector<Edge> square = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
    Tri2d with("zpcQ", pts, square), without("zpQ", pts, square), noGraph("zQ", pts, square);
    for (auto* r : {&with, &without, &noGraph}) ExpectWellFormed(*r);
    EXPECT_NEAR(with.TotalArea(), 2.0, 1e-6); // square plus triangle (1,0) (3,0.5) (1,1)
    EXPECT_NEAR(without.TotalArea(), 1.0, 1e-6);
    EXPECT_NEAR(noGraph.TotalArea(), 2.0, 1e-6); // segments ignored without p
}

TEST(Triangulate, QualityRefinementRemovesSmallAngles) {
    // A long thin rectangle: its plain triangulation has angles near 5.7 degrees.
    const std::vector<Xy> pts = {{0, 0}, {10, 0}, {10, 1}, {0, 1}};
    Tri2d plain("zpcQ", pts), refined("zpqcQ", pts);
    ExpectWellFormed(plain);
    ExpectWellFormed(refined);
    EXPECT_EQ(plain.out.numberofpoints, 4);
    EXPECT_LT(plain.MinAngleDegrees(), 10);
    EXPECT_GE(refined.MinAngleDegrees(), 20.0);
    EXPECT_NEAR(refined.TotalArea(), 10.0, 1e-4);
}

TEST(Triangulate, SegmentPiecesAndTheirMarkers) {
    // Bottom edge: input, marker 0 -> 1 on the boundary; right edge: keeps 9;
    // diagonal: interior, keeps 0; the other hull edges: 1.
    Tri2d r("zpcQ", kUnitSquare, {{0, 1}, {1, 2}, {0, 2}}, {0, 9, 0});
    ExpectWellFormed(r);
    const std::map<Edge, int> expected = {
        {{0, 1}, 1}, {{1, 2}, 9}, {{0, 2}, 0}, {{2, 3}, 1}, {{0, 3}, 1}};
    EXPECT_EQ(r.Segments(), expected);
    EXPECT_EQ(Ends(r.out.segmentlist[4], r.out.segmentlist[5]), Edge(0, 2)); // input order first

    // Crossing segments meet in a new point 8 and are cut there.
    std::vector<Xy> pts = kUnitSquare;
    pts.insert(pts.end(), {{0.2, 0.2}, {0.8, 0.8}, {0.2, 0.8}, {0.8, 0.2}});
    Tri2d x("zpcQ", pts, {{4, 5}, {6, 7}}, {5, 6});
    ExpectWellFormed(x);
    ASSERT_EQ(x.out.numberofpoints, 9);
    EXPECT_NEAR(x.P(8).x, 0.5, 1e-6);
    EXPECT_NEAR(x.P(8).y, 0.5, 1e-6);
    const auto cut = x.Segments();
    EXPECT_EQ(cut.count({4, 5}), 0u);
    for (auto [e, m] : std::map<Edge, int>{{{4, 8}, 5}, {{5, 8}, 5}, {{6, 8}, 6}, {{7, 8}, 6}})
        EXPECT_EQ(cut.at(e), m);

    // Overlapping segments: one piece per stretch, the first non-zero marker wins.
    Tri2d o("zpcQ", {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {1, 2}, {3, 2}, {2, 2}},
            {{4, 5}, {6, 5}, {5, 6}}, {0, 4, 8});
    ExpectWellFormed(o);
    EXPECT_EQ(o.Segments().at({4, 6}), 0);
    EXPECT_EQ(o.Segments().at({5, 6}), 4);
}

// Random graphs with crossings and a repeated point: every rule at once, and
// every input segment covered by its pieces.
TEST(Triangulate, RandomGraphsKeepEveryRule) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> coord(0, 100);
    std::uniform_int_distribution<int> pick(0, 59);
    for (int round = 0; round < 20; ++round) {
        std::vector<Xy> pts;
        for (int i = 0; i < 60; ++i) pts.push_back({coord(rng), coord(rng)});
        pts.push_back(pts[7]);
        std::vector<Edge> segs;
        for (int s = 0; s < 6; ++s)
            if (int a = pick(rng), b = pick(rng); a != b) segs.push_back({a, b});
        Tri2d r("zpqcQ", pts, segs, std::vector<int>(segs.size(), 2));
        ExpectWellFormed(r);
        for (int t = 0; t < r.out.numberoftriangles; ++t)
            for (int k = 0; k < 3; ++k) EXPECT_NE(r.C(t, k), 60);
        for (auto [a, b] : segs) {
            const Xy p = pts[static_cast<std::size_t>(a)], q = pts[static_cast<std::size_t>(b)];
            EXPECT_NEAR(r.CoveredLength(p, q), std::hypot(q.x - p.x, q.y - p.y), 1e-2) << round;
        }
    }
}

} // namespace
