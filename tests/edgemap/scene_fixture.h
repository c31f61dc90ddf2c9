#pragma once
// A small scene for shading tests: nodes found by handle through the core
// interface, a shading context at a fixed object-space point, and new maps.
#include "edgemap/gradient_edge.h"
#include "host/sdk/inode.h"
#include "host/sdk/mesh.h"
#include "host/sdk/tri_object.h"
#include "tests/support/shading_scene.h"

// A flat grid of n x n squares, two triangles each with all edges visible; the
// squares' diagonals run from lower left to upper right.
inline Mesh FlatGrid(int n, float size = 1.0f) {
    Mesh m;
    const int row = n + 1;
    m.setNumVerts(row * row);
    for (int i = 0; i < row * row; ++i) m.setVert(i, Point3(i % row * size, i / row * size, 0.0f));
    m.setNumFaces(2 * n * n);
    for (int f = 0; f < 2 * n * n; ++f) {
        int a = f / 2 / n * row + f / 2 % n, c = a + row + 1; // the diagonal's ends
        m.faces[f].setVerts(a, f % 2 ? c : a + 1, f % 2 ? c - 1 : c);
        m.faces[f].setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
        m.faces[f].setSmGroup(1);
    }
    return m;
}

// Reads the parameters after a change, as a render would.
inline void Reread(GradientEdge* map) {
    Interval valid = FOREVER;
    map->Update(0, valid);
}

// A new map shading by distance from open edges.
inline GradientEdge* NewEdgeMap(float distance = 0.1f) {
    auto* map =
        static_cast<GradientEdge*>(static_cast<Animatable*>(GetGradientEdgeDesc()->Create(FALSE)));
    map->pblock->SetValue(ge_distance, 0, distance);
    map->pblock->SetValue(ge_open_edges, 0, 1);
    Reread(map);
    return map;
}
