#pragma once
// Meshes, objects and nodes shared by the terrain tests.
#include <memory>
#include <vector>

#include "host/sdk/inode.h"
#include "host/sdk/spline_shape.h"
#include "module/class_descs.h"
#include "terrain/land_object.h"
#include "tests/host/grid_mesh.h"

// n x n cells of the given size from origin, two counter-clockwise triangles
// per cell, heights from f.
inline Mesh SurfaceMesh(int n, float size, float (*f)(float, float), Point2 origin = {}) {
    Mesh m = GridMesh(n + 1);
    for (Point3& v : m.verts) {
        v = Point3(origin.x + size * v.x, origin.y + size * v.y, 0.0f);
        v.z = f(v.x, v.y);
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

// Nodes made by a test, deleted in the order they were made: a node before
// the nodes its modifiers point at.
struct TestNodes {
    std::vector<std::unique_ptr<INode>> owned;
    ~TestNodes() {
        for (auto& n : owned) n.reset();
    }

    INode* Node(Object* object, const Matrix3& tm = Matrix3(), const char* name = "node") {
        INode* n = owned.emplace_back(std::make_unique<INode>()).get();
        n->SetName(name);
        n->SetObjectRef(object);
        n->SetNodeTM(0, tm);
        return n;
    }
    // One polyline per point list; the first `closed` of them closed.
    INode* Spline(const std::vector<std::vector<Point3>>& lines, std::size_t closed,
                  const Matrix3& tm = Matrix3()) {
        SplineShape* s = CreateNewSplineShape();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            PolyLine& line = s->shape.NewLine();
            for (const Point3& p : lines[i]) line.Append(p);
            if (i < closed) line.Close();
        }
        return Node(s, tm);
    }
};
