#include "geometry/triangulate.h"

#include "host/sdk/point.h"

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

template <typename T> T* Malloced(const std::vector<T>& v) {
    T* p = static_cast<T*>(std::malloc(sizeof(T) * v.size() + 1));
    std::copy(v.begin(), v.end(), p);
    return p;
}

// Zero-based input from plain lists, as mesh output gives it; both sides released on exit.
struct Tri2d {
    triangulateio in{}, out{};
    int result = -1;

    Tri2d(const char* switches, const std::vector<Point2>& pts, const std::vector<Edge>& segs = {},
          std::vector<int> markers = {}) {
        std::vector<REAL> xy;
        for (Point2 p : pts) xy.insert(xy.end(), {p.x, p.y});
        std::vector<int> ends;
        for (Edge e : segs) ends.insert(ends.end(), {e.first, e.second});
        markers.resize(segs.size());
        in.pointlist = Malloced(xy);
        in.numberofpoints = static_cast<int>(pts.size());
        in.segmentlist = Malloced(ends);
        in.segmentmarkerlist = Malloced(markers);
        in.numberofsegments = static_cast<int>(segs.size());
        result = triangulate(switches, &in, &out, nullptr);
    }
    ~Tri2d() {
        ReleaseTriangulateIO(&in);
        ReleaseTriangulateIO(&out);
    }

    Point2 P(int i) const { return {out.pointlist[2 * i], out.pointlist[2 * i + 1]}; }
    int C(int t, int k) const { return out.trianglelist[3 * t + k % 3]; }
    // Twice the signed area of triangle t: positive when counter-clockwise.
    double Cross(int t) const {
        const Point2 a = P(C(t, 0)), b = P(C(t, 1)) - a, c = P(C(t, 2)) - a;
        return double(b.x) * c.y - double(b.y) * c.x;
    }
    std::map<Edge, int> Segments() const { // ends -> marker
        std::map<Edge, int> s;
        for (int i = 0; i < out.numberofsegments; ++i)
            s[Ends(out.segmentlist[2 * i], out.segmentlist[2 * i + 1])] = out.segmentmarkerlist[i];
        return s;
    }
};

// What every run keeps: counter-clockwise triangles forming a disc (Euler:
// T = 2V - B - 2), every boundary edge a segment with a non-zero marker, every
// segment a triangle side.
void ExpectWellFormed(const Tri2d& r) {
    ASSERT_EQ(r.result, kTriangulateOk) << TriangulateResultText(r.result);
    std::map<Edge, int> use;
    for (int t = 0; t < r.out.numberoftriangles; ++t) {
        EXPECT_GT(r.Cross(t), 0) << t;
        for (int k = 0; k < 3; ++k) ++use[Ends(r.C(t, k), r.C(t, k + 1))];
    }
    const auto segs = r.Segments();
    std::set<int> used;
    int boundary = 0;
    for (auto& [e, n] : use) {
        EXPECT_LE(n, 2);
        used.insert({e.first, e.second});
        if (n != 1) continue;
        ++boundary;
        EXPECT_NE(segs.count(e) ? segs.at(e) : 0, 0) << "boundary " << e.first << "-" << e.second;
    }
    EXPECT_EQ(r.out.numberoftriangles, 2 * static_cast<int>(used.size()) - boundary - 2);
    for (auto& [e, m] : segs) EXPECT_TRUE(use.count(e)) << e.first << "-" << e.second;
}

const std::vector<Point2> kUnitSquare = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

TEST(Triangulate, RefusesBadSwitchesAndBadInputLeavingNoOutput) {
    Tri2d badSwitch("zpq30cQ", kUnitSquare), line("zQ", {{0, 0}, {1, 1}, {2, 2}, {3, 3}});
    EXPECT_EQ(badSwitch.result, kTriangulateBadSwitch);
    EXPECT_EQ(badSwitch.out.pointlist, nullptr);
    EXPECT_EQ(line.result, kTriangulateDegenerate);
    EXPECT_EQ(line.out.trianglelist, nullptr);
    EXPECT_EQ(Tri2d("zpcQ", kUnitSquare, {{0, 4}}).result, kTriangulateBadInput);
    EXPECT_EQ(Tri2d("pcQ", kUnitSquare, {{0, 1}}).result, kTriangulateBadInput); // one-based
    EXPECT_EQ(Tri2d("zQ", {{0, 0}, {1, 0}, {NAN, 1.0f}}).result, kTriangulateBadInput);
}

TEST(Triangulate, SegmentPiecesKeepTheirMarkers) {
    // Bottom edge: marker 0 -> 1 on the boundary; right edge keeps 9; the
    // diagonal, inside, keeps 0.
    Tri2d r("zpcQ", kUnitSquare, {{0, 1}, {1, 2}, {0, 2}}, {0, 9, 0});
    ExpectWellFormed(r);
    EXPECT_EQ(r.Segments(), (std::map<Edge, int>{
                                {{0, 1}, 1}, {{1, 2}, 9}, {{0, 2}, 0}, {{2, 3}, 1}, {{0, 3}, 1}}));

    // Overlapping segments: one piece per stretch, the first non-zero marker wins.
    Tri2d o("zpcQ", {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {1, 2}, {3, 2}, {2, 2}},
            {{4, 5}, {6, 5}, {5, 6}}, {0, 4, 8});
    ExpectWellFormed(o);
    EXPECT_EQ(o.Segments().at({4, 6}), 0);
    EXPECT_EQ(o.Segments().at({5, 6}), 4);
}

// Random graphs with crossings and a repeated point hold every rule at once;
// the input points come first, and the repeat is kept but never used.
TEST(Triangulate, RandomGraphsKeepEveryRule) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> coord(0, 100);
    std::uniform_int_distribution<int> pick(0, 59);
    for (int round = 0; round < 20; ++round) {
        std::vector<Point2> pts;
        for (int i = 0; i < 60; ++i) pts.push_back({coord(rng), coord(rng)});
        pts.push_back(pts[7]);
        std::vector<Edge> segs;
        for (int s = 0; s < 6; ++s)
            if (int a = pick(rng), b = pick(rng); a != b) segs.push_back({a, b});
        Tri2d r("zpqcQ", pts, segs, std::vector<int>(segs.size(), 2));
        ExpectWellFormed(r);
        for (int i = 0; i < 61; ++i) ASSERT_EQ(r.P(i), pts[i]);
        for (int i = 0; i < 3 * r.out.numberoftriangles; ++i) EXPECT_NE(r.out.trianglelist[i], 60);
        int pieces = 0; // at least one per segment, more where they cross
        for (auto& [e, m] : r.Segments()) pieces += m == 2;
        EXPECT_GE(pieces, static_cast<int>(segs.size()));
    }
}

// "q" alone asks for 20 degrees and no more: on random points in a square no
// angle is left under 20, and refinement stops as soon as that holds, so some
// triangles keep an angle between 20 and 20.7 degrees.
TEST(Triangulate, QualityMeansTwentyDegrees) {
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> coord(1, 99);
    std::vector<Point2> pts = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    for (int i = 0; i < 300; ++i) pts.push_back({coord(rng), coord(rng)});
    Tri2d r("zqQ", pts);
    ExpectWellFormed(r);
    const double pi = 3.14159265358979323846;
    int justAbove = 0;
    for (int t = 0; t < r.out.numberoftriangles; ++t) {
        double smallest = 180.0;
        for (int k = 0; k < 3; ++k) {
            const Point2 a = r.P(r.C(t, k)), b = r.P(r.C(t, k + 1)), c = r.P(r.C(t, k + 2));
            const double ux = b.x - a.x, uy = b.y - a.y, vx = c.x - a.x, vy = c.y - a.y;
            const double angle = std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy);
            smallest = std::min(smallest, angle * 180.0 / pi);
        }
        EXPECT_GE(smallest, 20.0 - 1e-3) << "triangle " << t;
        justAbove += smallest < 20.6;
    }
    EXPECT_GT(justAbove, 0);
}

} // namespace
