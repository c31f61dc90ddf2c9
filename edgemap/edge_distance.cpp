#include "edgemap/edge_distance.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

bool NoCriterion(const EdgeCriteria& c) {
    return !c.selectionOnly && !c.coplanar && !c.smooth && !c.openEdges && !c.matId;
}

bool EdgeChosen(const EdgeCriteria& c, const EdgeFacts& e) {
    if (NoCriterion(c)) return true;

    bool coplanarCond = false, smoothCond = false, matCond = false;
    if (!e.open) {
        // A not-a-number arc cosine (a dot product just past 1) compares false.
        coplanarCond = std::acos(DotProd(e.n0, e.n1)) < c.angle;
        bool shared = (e.smooth0 & e.smooth1) != 0;
        smoothCond = c.smoothType == 0 ? shared : !shared;
        int m0 = e.mat0, m1 = e.mat1;
        if (!c.matIdRange) {
            matCond = c.matIdType == 0 ? m0 == m1 : m0 != m1;
        } else if (c.matIdType == 0) {
            matCond = (m0 == c.matId1 && m1 == c.matId2) || (m0 == c.matId2 && m1 == c.matId1);
        } else {
            matCond = (m0 != c.matId1 && m1 != c.matId2) || (m0 != c.matId2 && m1 != c.matId1);
        }
    }

    const bool enabled[5] = {c.selectionOnly, c.openEdges, c.coplanar, c.smooth, c.matId};
    const bool holds[5] = {e.selected, e.open, coplanarCond, smoothCond, matCond};
    if (c.combine == 1) {
        for (int i = 0; i < 5; ++i)
            if (enabled[i] && holds[i]) return true;
        return false;
    }
    for (int i = 0; i < 5; ++i)
        if (enabled[i] && !holds[i]) return false;
    return true;
}

void EdgeDistanceData::AddSegment(const Point3& a, const Point3& b) {
    segments.push_back({a, b});
    totalLength_ += static_cast<double>(Length(b - a));
}

void EdgeDistanceData::BuildGrid() {
    cells.clear();
    columns = rows = 0;
    if (segments.empty()) return;

    boxMin = boxMax = segments[0].a;
    for (const EdgeSegment& s : segments) {
        for (const Point3& p : {s.a, s.b}) {
            boxMin = {std::min(boxMin.x, p.x), std::min(boxMin.y, p.y), std::min(boxMin.z, p.z)};
            boxMax = {std::max(boxMax.x, p.x), std::max(boxMax.y, p.y), std::max(boxMax.z, p.z)};
        }
    }

    cellSize = static_cast<float>(totalLength_ / static_cast<double>(segments.size())) *
               static_cast<float>(cellMultiplier);
    if (criteria.distance > cellSize)
        cellSize = static_cast<float>(cellMultiplier) * criteria.distance;
    origin = boxMin;
    Point3 size = boxMax - boxMin;
    if (cellSize < 0.001f) return;

    columns = static_cast<int>(std::fabs(size.x / cellSize)) + 1;
    rows = static_cast<int>(std::fabs(size.y / cellSize)) + 1;
    cells.resize(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            GridCell& cell = cells[static_cast<std::size_t>(r) * columns + c];
            cell.column = c;
            cell.row = r;
        }
    }

    for (int i = 0; i < static_cast<int>(segments.size()); ++i) {
        const EdgeSegment& s = segments[i];
        int ca = static_cast<int>((s.a.x - origin.x) / cellSize);
        int ra = static_cast<int>((s.a.y - origin.y) / cellSize);
        int cb = static_cast<int>((s.b.x - origin.x) / cellSize);
        int rb = static_cast<int>((s.b.y - origin.y) / cellSize);
        int c0 = std::max(std::min(ca, cb) - 1, 0),
            c1 = std::min(std::max(ca, cb) + 1, columns - 1);
        int r0 = std::max(std::min(ra, rb) - 1, 0), r1 = std::min(std::max(ra, rb) + 1, rows - 1);
        // Segments are listed in index order, so a cell already holding i has it last.
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                std::vector<int>& list = cells[static_cast<std::size_t>(r) * columns + c].segments;
                if (list.empty() || list.back() != i) list.push_back(i);
            }
        }
    }
}

int EdgeDistanceData::CellIndex(const Point3& p) const {
    if (cells.empty() || cellSize < 0.001f) return -1;
    // Far-away points would overflow an int; they lie in no cell anyway.
    double fc = std::trunc(static_cast<double>((p.x - origin.x) / cellSize));
    double fr = std::trunc(static_cast<double>((p.y - origin.y) / cellSize));
    if (!(std::fabs(fc) < 1e9) || !(std::fabs(fr) < 1e9)) return -1;
    std::int64_t index = static_cast<std::int64_t>(columns) * static_cast<std::int64_t>(fr) +
                         static_cast<std::int64_t>(fc);
    if (index < 0 || index >= static_cast<std::int64_t>(cells.size())) return -1;
    return static_cast<int>(index);
}

float EdgeDistanceData::NearestEdgeDistance(const Point3& p, Point3& nearest) const {
    float best = NO_EDGE_DISTANCE;
    int cell = CellIndex(p);
    if (cell < 0) return best;
    for (int i : cells[cell].segments) {
        const Point3& a = segments[i].a;
        const Point3& b = segments[i].b;
        Point3 ab = b - a;
        float t = DotProd(p - a, ab) / LengthSquared(ab);
        if (t >= 0.0f && t <= 1.0f) {
            Point3 q = a + ab * t;
            float d = Length(p - q);
            if (d < best) {
                best = d;
                nearest = q;
            }
        }
        float da = Length(a - p);
        if (da < best) {
            best = da;
            nearest = a;
        }
        float db = Length(b - p);
        if (db < best) {
            best = db;
            nearest = b;
        }
    }
    return best;
}
