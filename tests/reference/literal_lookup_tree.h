#pragma once
// The height lookup's quadtree built the plain way: one node after another,
// depth first, every patch tested against every quarter, the budget spent as
// it goes. The lookup's own tree must come out node for node the same.
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "geometry/surface_lookup.h"

namespace literal {

struct LookupBudget {
    std::size_t nodes = 0;
    std::size_t refs = 0;
};

inline std::unique_ptr<QuadNode> BuildLookupNode(const Point2& boxMin, const Point2& boxMax,
                                                 std::vector<const SurfacePatch*> list, int depth,
                                                 LookupBudget& budget) {
    auto node = std::make_unique<QuadNode>();
    node->boxMin = boxMin;
    node->boxMax = boxMax;
    node->centre = (boxMin + boxMax) * 0.5f;
    if (depth < static_cast<int>(list.size()) && depth < 16 && budget.nodes >= 4) {
        const Point2 half = (boxMax - boxMin) * 0.5f;
        std::vector<const SurfacePatch*> sub[4];
        std::size_t total = 0;
        bool separates = false;
        for (int i = 0; i < 2; ++i) {
            for (int j = 0; j < 2; ++j) {
                const Point2 lo = boxMin + Point2(j * half.x, i * half.y);
                const Point2 hi = lo + half;
                std::vector<const SurfacePatch*>& s = sub[j + 2 * i];
                for (const SurfacePatch* p : list)
                    if (PatchOverlapsBox(*p, lo, hi)) s.push_back(p);
                total += s.size();
                separates = separates || s.size() < list.size();
            }
        }
        if (separates && total - list.size() <= budget.refs) {
            budget.nodes -= 4;
            budget.refs -= total - list.size();
            list = {};
            for (int i = 0; i < 2; ++i)
                for (int j = 0; j < 2; ++j) {
                    const Point2 lo = boxMin + Point2(j * half.x, i * half.y);
                    node->child[j + 2 * i] =
                        BuildLookupNode(lo, lo + half, std::move(sub[j + 2 * i]), depth + 1, budget);
                }
            return node;
        }
    }
    node->refCount = static_cast<std::int32_t>(list.size());
    node->patchRefs = std::move(list);
    return node;
}

// The tree over a lookup's patches, for vertices verts.
inline std::unique_ptr<QuadNode> BuildLookupTree(const SurfaceLookup& s, const Point3* verts,
                                                 int numVerts) {
    Point2 lo(1.0e30f, 1.0e30f), hi(-1.0e30f, -1.0e30f);
    for (int i = 0; i < numVerts; ++i) {
        if (verts[i].x < lo.x) lo.x = verts[i].x;
        if (verts[i].y < lo.y) lo.y = verts[i].y;
        if (verts[i].x > hi.x) hi.x = verts[i].x;
        if (verts[i].y > hi.y) hi.y = verts[i].y;
    }
    std::vector<const SurfacePatch*> all;
    for (int f = 0; f < s.patchCount; ++f) all.push_back(&s.patches[static_cast<std::size_t>(f)]);
    LookupBudget budget{LookupNodeBudget(s.patchCount) - 1,
                        LookupRefBudget(s.patchCount) - static_cast<std::size_t>(s.patchCount)};
    return BuildLookupNode(lo, hi, std::move(all), 0, budget);
}

} // namespace literal
