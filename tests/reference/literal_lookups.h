#pragma once
// The face look-ups of mesh output as plain walks over every face: the
// references the indexed look-ups must agree with (tests) and beat (benchmarks).
#include "geometry/geometry_primitives.h"
#include "tests/support/stage_parts.h"
#include "host/sdk/mesh.h"

namespace literal {

// Zero-based material ID of the first front face containing p, else the base ID.
inline int MatIdAt(const StageParts& b, const Point2& p) {
    for (int f = 0; f < b.front.faces.count(); ++f) {
        const FrontFace& face = b.front.faces[f];
        const Point2 tri[3] = {b.front.vertices[face.corner0].pos, b.front.vertices[face.corner1].pos,
                               b.front.vertices[face.corner2].pos};
        if (PointInPolygon(p, tri, 3)) return face.matId - 1;
    }
    return b.grid.baseMatId - 1;
}

// 3 x face + side of the first face side joining a and b, or -1.
inline int FindMeshEdge(const Mesh& mesh, int a, int b) {
    const DWORD va = static_cast<DWORD>(a), vb = static_cast<DWORD>(b);
    for (int f = 0; f < mesh.numFaces; ++f)
        for (int k = 0; k < 3; ++k) {
            const DWORD p = mesh.faces[f].v[k], q = mesh.faces[f].v[(k + 1) % 3];
            if ((p == va && q == vb) || (p == vb && q == va)) return 3 * f + k;
        }
    return -1;
}

} // namespace literal
