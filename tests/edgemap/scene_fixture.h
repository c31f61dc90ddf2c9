#pragma once
// A small scene for shading tests: nodes found by handle through the core
// interface, and a shading context at a fixed object-space point.
#include <map>

#include "host/sdk/inode.h"
#include "host/sdk/mesh.h"
#include "host/sdk/shade_context.h"
#include "host/sdk/tri_object.h"
#include "tests/support/recording_interface.h"

class NodeTable : public RecordingInterface {
public:
    ~NodeTable() override {
        for (auto& [handle, node] : nodes) node->DeleteThis();
    }
    INode* GetINodeByHandle(ULONG handle) override {
        auto it = nodes.find(handle);
        return it == nodes.end() ? nullptr : it->second;
    }
    INode* Add(const Mesh& mesh) {
        auto* tri = new TriObject;
        tri->GetMesh() = mesh;
        INode* node = new INode;
        node->SetObjectRef(tri);
        nodes[node->GetHandle()] = node;
        return node;
    }
    std::map<ULONG, INode*> nodes;
};

// Camera space is object space here.
class PointShade : public ShadeContext {
public:
    PointShade(INode* n, const Point3& at) : node(n), p(at) {}
    INode* Node() override { return node; }
    Point3 P() override { return p; }
    BOOL InMtlEditor() override { return mtlEditor; }
    INode* node;
    Point3 p;
    BOOL mtlEditor = FALSE;
};

// A flat grid of n x n unit squares, two triangles each, all edges visible.
inline Mesh FlatGrid(int n, float size = 1.0f) {
    Mesh m;
    m.setNumVerts((n + 1) * (n + 1));
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x) m.setVert(y * (n + 1) + x, Point3(x * size, y * size, 0.0f));
    m.setNumFaces(2 * n * n);
    int f = 0;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            int a = y * (n + 1) + x, b = a + 1, c = a + n + 2, d = a + n + 1;
            for (int t = 0; t < 2; ++t) {
                Face& face = m.faces[f++];
                if (t == 0)
                    face.setVerts(a, b, c);
                else
                    face.setVerts(a, c, d);
                face.setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
                face.setSmGroup(1);
            }
        }
    }
    return m;
}
