#pragma once
// A flat n x n vertex grid in the XY plane with unit spacing, vertex
// r * n + c at (c, r, 0); quad (c, r) is split along its rising diagonal into
// faces 2q and 2q + 1 with q = r * (n - 1) + c.
#include "host/sdk/mesh.h"

inline Mesh GridMesh(int n) {
    Mesh m;
    m.setNumVerts(n * n);
    for (int r = 0; r < n; r++)
        for (int c = 0; c < n; c++) m.verts[r * n + c] = Point3(c, r, 0);
    m.setNumFaces(2 * (n - 1) * (n - 1));
    for (int r = 0; r + 1 < n; r++)
        for (int c = 0; c + 1 < n; c++) {
            int q = r * (n - 1) + c;
            int a = r * n + c, b = a + 1, d = a + n, e = d + 1;
            m.faces[2 * q].setVerts(a, b, e);
            m.faces[2 * q + 1].setVerts(a, e, d);
            for (int k = 0; k < 2; k++) {
                // The diagonal a-e is hidden on both sides.
                if (k == 0)
                    m.faces[2 * q].setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_INVIS);
                else
                    m.faces[2 * q + 1].setEdgeVisFlags(EDGE_INVIS, EDGE_VIS, EDGE_VIS);
                m.faces[2 * q + k].setSmGroup(1);
            }
        }
    return m;
}

// Centre of face f of a mesh.
inline Point3 FaceCentre(const Mesh& m, int f) {
    const Face& fc = m.faces[f];
    return (m.verts[fc.v[0]] + m.verts[fc.v[1]] + m.verts[fc.v[2]]) / 3.0f;
}
