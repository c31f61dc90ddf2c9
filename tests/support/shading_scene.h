#pragma once
// Nodes found by handle through the core interface, and a shading context at
// a fixed point, for tests that shade objects through their nodes.
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
