#pragma once
// Triangle meshes for the height lookup's tests: a jittered grid of unit
// cells, or any triangles a test fills in itself.
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "geometry/surface_lookup.h"

struct GridMesh {
    std::vector<Point3> verts;
    std::vector<std::int32_t> corners;

    GridMesh() = default;
    // An n x n grid of unit cells with jittered inner vertices, two
    // counter-clockwise triangles per cell, heights from f.
    GridMesh(int n, const std::function<float(float, float)>& f, float jitter = 0.25f,
             unsigned seed = 7) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> d(-jitter, jitter);
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i) {
                const bool inner = i > 0 && j > 0 && i < n && j < n;
                const float x = static_cast<float>(i) + (inner ? d(rng) : 0.0f);
                const float y = static_cast<float>(j) + (inner ? d(rng) : 0.0f);
                verts.emplace_back(x, y, f(x, y));
            }
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                const int a = j * (n + 1) + i, b = a + n + 1;
                corners.insert(corners.end(), {a, a + 1, b + 1, a, b + 1, b});
            }
    }
    int Faces() const { return static_cast<int>(corners.size() / 3); }
    void Build(SurfaceLookup& s) const {
        s.BuildFromTriangles(verts.data(), static_cast<int>(verts.size()), corners.data(), Faces());
    }
    Point3 V(int face, int k) const {
        return verts[static_cast<std::size_t>(corners[3 * face + k])];
    }
};
