#pragma once
// Writing several evaluated nodes into one mesh file: one named node of the
// file per scene node, each with its meshes (one per material ID, as
// mesh_export.h describes), materials shared by name.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/app/mesh_export.h"
#include "host/sdk/base_types.h"
#include "host/sdk/mesh.h"

class INode;
struct aiScene;

namespace contorra {

struct NodeMesh {
    std::string name;
    Mesh mesh; // world coordinates
};

// The nodes as the host evaluates them at t (own modifiers, transform,
// world-space modifiers), in world coordinates. Nodes whose result is no
// triangle mesh, or an empty one (lines, grouping nodes), are left out.
std::vector<NodeMesh> EvaluateNodeMeshes(const std::vector<INode*>& nodes, TimeValue t);

std::unique_ptr<aiScene> NodesToScene(const std::vector<NodeMesh>& nodes, MeshFormat format);

// Writes the nodes atomically, format by extension. Throws std::runtime_error
// naming the file.
void ExportNodes(const std::vector<NodeMesh>& nodes, const std::filesystem::path& path);

} // namespace contorra
