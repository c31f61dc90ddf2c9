#pragma once
// Meshes and objects shared by the terrain tests.
#include <functional>

#include "host/sdk/mesh.h"
#include "module/class_descs.h"
#include "terrain/land_object.h"

// A square of n x n cells of the given size from origin, two counter-clockwise
// triangles per cell, heights from f.
inline Mesh GridMesh(int n, float size, const std::function<float(float, float)>& f,
                     Point2 origin = Point2(0.0f, 0.0f)) {
    Mesh m;
    m.setNumVerts((n + 1) * (n + 1));
    m.setNumFaces(2 * n * n);
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) {
            const float x = origin.x + size * static_cast<float>(i);
            const float y = origin.y + size * static_cast<float>(j);
            m.setVert(j * (n + 1) + i, x, y, f(x, y));
        }
    }
    int face = 0;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const int a = j * (n + 1) + i, b = a + 1, c = a + n + 2, d = a + n + 1;
            m.faces[static_cast<std::size_t>(face++)].setVerts(a, b, c);
            m.faces[static_cast<std::size_t>(face++)].setVerts(a, c, d);
        }
    }
    return m;
}

inline LandObject* NewLandObject() {
    return static_cast<LandObject*>(GetLandObjectDesc()->Create(FALSE));
}

// Gives a terrain object a mesh as a build would leave it.
inline void SetBuiltMesh(LandObject* obj, const Mesh& mesh) {
    obj->mesh = mesh;
    obj->heightLookup.BuildSurfaceLookup(obj->mesh);
}
