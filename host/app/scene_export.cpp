#include "host/app/scene_export.h"

#include <assimp/Exporter.hpp>
#include <assimp/scene.h>

#include <algorithm>
#include <map>
#include <stdexcept>

#include "host/app/atomic_file.h"
#include "host/app/obj_export.h"
#include "host/sdk/inode.h"
#include "host/sdk/tri_object.h"

namespace contorra {

std::vector<NodeMesh> EvaluateNodeMeshes(const std::vector<INode*>& nodes, TimeValue t) {
    std::vector<NodeMesh> out;
    for (INode* node : nodes) {
        Object* obj = node->EvalWorldState(t).obj;
        if (!obj || !obj->CanConvertToType(triObjectClassID)) continue;
        Object* converted = obj->ConvertToType(t, triObjectClassID);
        auto* tri = dynamic_cast<TriObject*>(converted);
        NodeMesh nm{node->GetName(), {}};
        if (tri) nm.mesh = tri->mesh;
        if (converted && converted != obj) converted->DeleteThis();
        if (nm.mesh.getNumFaces() == 0) continue;
        // World-space modifiers leave their result in object space too.
        const Matrix3 tm = node->GetObjectTM(t);
        for (Point3& p : nm.mesh.verts) p = p * tm;
        nm.mesh.InvalidateGeomCache();
        out.push_back(std::move(nm));
    }
    return out;
}

std::unique_ptr<aiScene> NodesToScene(const std::vector<NodeMesh>& nodes, MeshFormat format) {
    std::vector<aiMesh*> meshes;
    std::vector<aiMaterial*> materials;
    std::map<std::string, unsigned> materialByName;
    auto root = std::make_unique<aiNode>("scene");
    std::vector<aiNode*> children;
    for (const NodeMesh& n : nodes) {
        std::unique_ptr<aiScene> part = MeshToScene(n.mesh, format, n.name);
        // Materials are named after their ID, so nodes share them by name.
        std::vector<unsigned> remap(part->mNumMaterials);
        for (unsigned i = 0; i < part->mNumMaterials; ++i) {
            const std::string name = part->mMaterials[i]->GetName().C_Str();
            auto [it, fresh] =
                materialByName.emplace(name, static_cast<unsigned>(materials.size()));
            if (fresh) {
                materials.push_back(part->mMaterials[i]);
                part->mMaterials[i] = nullptr;
            }
            remap[i] = it->second;
        }
        auto* child = new aiNode(n.name);
        child->mNumMeshes = part->mNumMeshes;
        child->mMeshes = part->mNumMeshes ? new unsigned[part->mNumMeshes] : nullptr;
        for (unsigned i = 0; i < part->mNumMeshes; ++i) {
            aiMesh* m = part->mMeshes[i];
            part->mMeshes[i] = nullptr;
            m->mMaterialIndex = remap[m->mMaterialIndex];
            child->mMeshes[i] = static_cast<unsigned>(meshes.size());
            meshes.push_back(m);
        }
        children.push_back(child);
    }
    auto scene = std::make_unique<aiScene>();
    if (materials.empty()) {
        // Writers expect one material even in an empty file.
        auto* m = new aiMaterial;
        const aiString name("default");
        m->AddProperty(&name, AI_MATKEY_NAME);
        materials.push_back(m);
    }
    scene->mNumMaterials = static_cast<unsigned>(materials.size());
    scene->mMaterials = new aiMaterial*[materials.size()];
    std::copy(materials.begin(), materials.end(), scene->mMaterials);
    scene->mNumMeshes = static_cast<unsigned>(meshes.size());
    scene->mMeshes = meshes.empty() ? nullptr : new aiMesh*[meshes.size()];
    std::copy(meshes.begin(), meshes.end(), scene->mMeshes);
    if (!children.empty()) {
        root->mNumChildren = static_cast<unsigned>(children.size());
        root->mChildren = new aiNode*[children.size()];
        for (std::size_t i = 0; i < children.size(); ++i) {
            children[i]->mParent = root.get();
            root->mChildren[i] = children[i];
        }
    }
    scene->mRootNode = root.release();
    return scene;
}

void ExportNodes(const std::vector<NodeMesh>& nodes, const std::filesystem::path& path) {
    const auto format = MeshFormatOf(path);
    if (!format)
        throw std::runtime_error(path.string() + ": unknown mesh format (use " +
                                 std::string(MeshFormatList()) + ")");
    if (nodes.empty()) throw std::runtime_error(path.string() + ": no mesh to write");
    if (*format == MeshFormat::Obj) return ExportObj(nodes, path);
    const std::unique_ptr<aiScene> scene = NodesToScene(nodes, *format);
    WriteAtomically(path, [&](const std::filesystem::path& staged) {
        Assimp::Exporter exporter;
        if (exporter.Export(scene.get(), FormatInfo(*format).assimpId, staged.string()) !=
            AI_SUCCESS)
            throw std::runtime_error(path.string() + ": " + exporter.GetErrorString());
    });
}

} // namespace contorra
