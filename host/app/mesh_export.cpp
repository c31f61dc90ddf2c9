#include "host/app/mesh_export.h"

#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <map>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "host/app/atomic_file.h"
#include "host/app/material_colours.h"
#include "host/app/obj_export.h"

namespace contorra {

namespace {

const MeshFormatInfo kFormats[] = {
    {MeshFormat::Obj, "obj", "obj", 1, true, true, false, JoinRule::None},
    {MeshFormat::Ply, "ply", "ply", 1, true, false, false, JoinRule::None},
    {MeshFormat::Stl, "stl", "stlb", 0, false, false, false, JoinRule::None},
    {MeshFormat::Gltf, "gltf", "gltf2", AI_MAX_NUMBER_OF_TEXTURECOORDS, true, true, true,
     JoinRule::PositionNormalUv},
    {MeshFormat::Glb, "glb", "glb2", AI_MAX_NUMBER_OF_TEXTURECOORDS, true, true, true,
     JoinRule::PositionNormalUv},
    // Text FBX: the binary form written by this assimp cannot be read back.
    // Its writer keeps one control point per distinct position.
    {MeshFormat::Fbx, "fbx", "fbxa", AI_MAX_NUMBER_OF_TEXTURECOORDS, true, true, true,
     JoinRule::Position},
};

// A corner's identity in an output mesh: mesh vertex, normal and one index per
// exported map channel. Corners with equal keys share an output vertex.
constexpr int kMaxKey = 1 + 3 + AI_MAX_NUMBER_OF_TEXTURECOORDS + 1;
using CornerKey = std::array<std::uint32_t, kMaxKey>;

struct CornerKeyHash {
    std::size_t operator()(const CornerKey& k) const {
        std::size_t h = 1469598103934665603ull;
        for (std::uint32_t v : k) h = (h ^ v) * 1099511628211ull;
        return h;
    }
};

std::uint32_t Bits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

aiVector3D Axis(const Point3& p, bool yUp) {
    return yUp ? aiVector3D(p.x, p.z, -p.y) : aiVector3D(p.x, p.y, p.z);
}

aiMaterial* MakeMaterial(int zeroBasedId) {
    auto* m = new aiMaterial;
    const int id = zeroBasedId + 1;
    const aiString name(("MatID_" + std::to_string(id)).c_str());
    m->AddProperty(&name, AI_MATKEY_NAME);
    const Color c = MaterialIdColour(id);
    const aiColor3D diffuse(c.r, c.g, c.b);
    m->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    const aiColor4D base(c.r, c.g, c.b, 1.0f);
    m->AddProperty(&base, 1, AI_MATKEY_BASE_COLOR);
    return m;
}

// A map channel is exported only when it has a map face for every face and
// every map face points at an existing map vertex.
bool UsableChannel(const Mesh& mesh, int ch) {
    if (!mesh.mapSupport(ch)) return false;
    const MeshMap& mm = mesh.Map(ch);
    if (mm.getNumFaces() != mesh.getNumFaces()) return false;
    const auto n = static_cast<DWORD>(mm.getNumVerts());
    return std::all_of(mm.tf.begin(), mm.tf.end(),
                       [n](const TVFace& f) { return f.t[0] < n && f.t[1] < n && f.t[2] < n; });
}

// Which corners share an output vertex. Full keys tell apart everything
// exported (the mesh vertex among it); weak keys are what the joining
// exporters compare.
class CornerKeys {
public:
    CornerKeys(Mesh& mesh, const MeshFormatInfo& info) : mesh_(mesh), join_(info.join) {
        for (int ch = 1; ch < MAX_MESHMAPS && static_cast<int>(uvChannels_.size()) < info.uvSets;
             ++ch)
            if (UsableChannel(mesh, ch)) uvChannels_.push_back(ch);
        colours_ = info.colours && UsableChannel(mesh, 0);
    }

    // getCornerNormal caches, so the mesh is not const.
    Mesh& GetMesh() const { return mesh_; }
    const std::vector<int>& UvChannels() const { return uvChannels_; }
    bool Colours() const { return colours_; }

    CornerKey Full(int f, int c) const {
        CornerKey key{};
        key[0] = mesh_.faces[f].v[c];
        const Point3 n = mesh_.getCornerNormal(f, c);
        key[1] = Bits(n.x);
        key[2] = Bits(n.y);
        key[3] = Bits(n.z);
        for (std::size_t k = 0; k < uvChannels_.size(); ++k)
            key[4 + k] = mesh_.Map(uvChannels_[k]).tf[f].t[c];
        if (colours_) key[kMaxKey - 1] = mesh_.Map(0).tf[f].t[c];
        return key;
    }

    // What must not be joined: the whole corner, or, where the writer keeps
    // normals and UVs per corner anyway, just its mesh vertex.
    CornerKey Identity(int f, int c) const {
        if (join_ != JoinRule::Position) return Full(f, c);
        CornerKey key{};
        key[0] = mesh_.faces[f].v[c];
        return key;
    }

    CornerKey Weak(int f, int c) const {
        CornerKey key{};
        const Point3& p = mesh_.verts[mesh_.faces[f].v[c]];
        const Point3 n = mesh_.getCornerNormal(f, c);
        key[0] = Bits(p.x);
        key[1] = Bits(p.y);
        key[2] = Bits(p.z);
        if (join_ == JoinRule::Position) return key;
        key[3] = Bits(n.x);
        key[4] = Bits(n.y);
        key[5] = Bits(n.z);
        if (!uvChannels_.empty()) {
            const MeshMap& mm = mesh_.Map(uvChannels_[0]);
            const UVVert& uv = mm.tv[mm.tf[f].t[c]];
            key[6] = Bits(uv.x);
            key[7] = Bits(uv.y);
        }
        return key;
    }

private:
    Mesh& mesh_;
    JoinRule join_;
    std::vector<int> uvChannels_;
    bool colours_ = false;
};

// Faces grouped by material ID, in ID order; faces with a bad vertex index are dropped.
std::map<int, std::vector<int>> GroupByMaterial(const Mesh& mesh, const MeshFormatInfo& info) {
    const auto nv = static_cast<DWORD>(mesh.getNumVerts());
    std::map<int, std::vector<int>> groups;
    for (int f = 0; f < mesh.getNumFaces(); ++f) {
        const Face& face = mesh.faces[f];
        if (face.v[0] >= nv || face.v[1] >= nv || face.v[2] >= nv) continue;
        groups[info.materials ? face.getMatID() : 0].push_back(f);
    }
    return groups;
}

struct Part {
    unsigned material;
    int matId;
    std::vector<int> faces;
};

// A group's faces in layers: a face goes into the first layer where none of
// its corners would be joined with a different corner.
void AddLayeredParts(int matId, const std::vector<int>& faceList, unsigned material,
                     const CornerKeys& keys, std::vector<Part>& parts) {
    using Layer = std::unordered_map<CornerKey, CornerKey, CornerKeyHash>;
    std::vector<Layer> layers;
    const std::size_t base = parts.size();
    for (int f : faceList) {
        CornerKey weak[3], full[3];
        for (int c = 0; c < 3; ++c) {
            weak[c] = keys.Weak(f, c);
            full[c] = keys.Identity(f, c);
        }
        std::size_t l = 0;
        for (; l < layers.size(); ++l) {
            bool fits = true;
            for (int c = 0; c < 3 && fits; ++c) {
                auto it = layers[l].find(weak[c]);
                fits = it == layers[l].end() || it->second == full[c];
            }
            if (fits) break;
        }
        if (l == layers.size()) {
            layers.emplace_back();
            parts.push_back({material, matId, {}});
        }
        for (int c = 0; c < 3; ++c) layers[l].emplace(weak[c], full[c]);
        parts[base + l].faces.push_back(f);
    }
}

// One output mesh per group, or, for exporters that join vertices, per layer
// of a group: split vertices, or vertices apart only in a later UV set, land
// in different layers. materialCount is the number of groups.
std::vector<Part> SplitIntoParts(const std::map<int, std::vector<int>>& groups,
                                 const CornerKeys& keys, const MeshFormatInfo& info,
                                 unsigned& materialCount) {
    std::vector<Part> parts;
    materialCount = 0;
    for (const auto& [matId, faceList] : groups) {
        if (info.join == JoinRule::None)
            parts.push_back({materialCount, matId, faceList});
        else
            AddLayeredParts(matId, faceList, materialCount, keys, parts);
        ++materialCount;
    }
    return parts;
}

// The scene with its root node, materials and room for one mesh per part.
std::unique_ptr<aiScene> EmptyScene(const std::string& name, const std::vector<Part>& parts,
                                    unsigned materialCount) {
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = new aiNode(name.empty() ? std::string("mesh") : name);
    scene->mNumMaterials = std::max(materialCount, 1u);
    scene->mMaterials = new aiMaterial*[scene->mNumMaterials];
    std::fill(scene->mMaterials, scene->mMaterials + scene->mNumMaterials, nullptr);
    for (const Part& part : parts)
        if (!scene->mMaterials[part.material])
            scene->mMaterials[part.material] = MakeMaterial(part.matId);
    if (!scene->mMaterials[0]) scene->mMaterials[0] = MakeMaterial(0); // an empty mesh
    const auto partCount = static_cast<unsigned>(parts.size());
    scene->mNumMeshes = partCount;
    scene->mMeshes = partCount ? new aiMesh*[partCount] : nullptr;
    scene->mRootNode->mNumMeshes = partCount;
    scene->mRootNode->mMeshes = partCount ? new unsigned[partCount] : nullptr;
    return scene;
}

// Fills the output vertex v from corner c of face f.
void SetVertex(aiMesh& am, unsigned v, int f, int c, const CornerKeys& keys, bool yUp) {
    Mesh& mesh = keys.GetMesh();
    am.mVertices[v] = Axis(mesh.verts[mesh.faces[f].v[c]], yUp);
    am.mNormals[v] = Axis(mesh.getCornerNormal(f, c), yUp);
    const std::vector<int>& uvChannels = keys.UvChannels();
    for (std::size_t k = 0; k < uvChannels.size(); ++k) {
        const MeshMap& mm = mesh.Map(uvChannels[k]);
        const UVVert& uv = mm.tv[mm.tf[f].t[c]];
        am.mTextureCoords[k][v] = aiVector3D(uv.x, uv.y, 0.0f);
    }
    if (keys.Colours()) {
        const MeshMap& mm = mesh.Map(0);
        const VertColor& vc = mm.tv[mm.tf[f].t[c]];
        am.mColors[0][v] = aiColor4D(vc.x, vc.y, vc.z, 1.0f);
    }
}

// The output mesh of one part; corners with equal full keys share a vertex.
aiMesh* PartMesh(const Part& part, const CornerKeys& keys, const MeshFormatInfo& info,
                 const std::string& rootName) {
    std::unordered_map<CornerKey, unsigned, CornerKeyHash> index;
    std::vector<std::array<int, 2>> origin; // (face, corner) of each output vertex
    std::vector<unsigned> corners;
    corners.reserve(part.faces.size() * 3);
    for (int f : part.faces)
        for (int c = 0; c < 3; ++c) {
            auto [it, fresh] = index.emplace(keys.Full(f, c), static_cast<unsigned>(origin.size()));
            if (fresh) origin.push_back({f, c});
            corners.push_back(it->second);
        }

    auto* am = new aiMesh;
    am->mName = aiString((rootName + "_MatID_" + std::to_string(part.matId + 1)).c_str());
    am->mMaterialIndex = part.material;
    am->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    const auto count = static_cast<unsigned>(origin.size());
    am->mNumVertices = count;
    am->mVertices = new aiVector3D[count];
    am->mNormals = new aiVector3D[count];
    for (std::size_t k = 0; k < keys.UvChannels().size(); ++k) {
        am->mTextureCoords[k] = new aiVector3D[count];
        am->mNumUVComponents[k] = 2;
    }
    if (keys.Colours()) am->mColors[0] = new aiColor4D[count];
    for (unsigned v = 0; v < count; ++v)
        SetVertex(*am, v, origin[v][0], origin[v][1], keys, info.yUp);
    am->mNumFaces = static_cast<unsigned>(part.faces.size());
    am->mFaces = new aiFace[am->mNumFaces];
    for (unsigned i = 0; i < am->mNumFaces; ++i) {
        am->mFaces[i].mNumIndices = 3;
        am->mFaces[i].mIndices =
            new unsigned[3]{corners[3 * i], corners[3 * i + 1], corners[3 * i + 2]};
    }
    return am;
}

} // namespace

std::optional<MeshFormat> MeshFormatOf(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    if (ext.empty()) return std::nullopt;
    ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const auto& f : kFormats)
        if (ext == f.extension) return f.format;
    return std::nullopt;
}

const MeshFormatInfo& FormatInfo(MeshFormat format) {
    for (const auto& f : kFormats)
        if (f.format == format) return f;
    return kFormats[0];
}

const char* MeshFormatList() {
    return "obj, ply, stl, gltf, glb, fbx";
}

std::vector<std::filesystem::path> MeshSidecars(const std::filesystem::path& path) {
    const auto format = MeshFormatOf(path);
    if (format == MeshFormat::Obj) return {std::filesystem::path(path).replace_extension(".mtl")};
    if (format == MeshFormat::Gltf) return {std::filesystem::path(path).replace_extension(".bin")};
    return {};
}

std::unique_ptr<aiScene> MeshToScene(const Mesh& source, MeshFormat format,
                                     const std::string& name) {
    const MeshFormatInfo& info = FormatInfo(format);
    Mesh mesh = source;
    mesh.buildNormals();
    const CornerKeys keys(mesh, info);
    unsigned materialCount = 0;
    const std::vector<Part> parts =
        SplitIntoParts(GroupByMaterial(mesh, info), keys, info, materialCount);
    auto scene = EmptyScene(name, parts, materialCount);
    for (unsigned pi = 0; pi < scene->mNumMeshes; ++pi) {
        scene->mMeshes[pi] = PartMesh(parts[pi], keys, info, scene->mRootNode->mName.C_Str());
        scene->mRootNode->mMeshes[pi] = pi;
    }
    return scene;
}

void ExportMesh(const Mesh& mesh, const std::filesystem::path& path, const std::string& name) {
    const auto format = MeshFormatOf(path);
    if (!format)
        throw std::runtime_error(path.string() + ": unknown mesh format (use " +
                                 std::string(MeshFormatList()) + ")");
    if (mesh.getNumFaces() == 0)
        throw std::runtime_error(path.string() + ": the mesh is empty, nothing to write");
    if (*format == MeshFormat::Obj) return ExportObj({{name, mesh}}, path);
    const std::unique_ptr<aiScene> scene = MeshToScene(mesh, *format, name);
    WriteAtomically(path, [&](const std::filesystem::path& staged) {
        Assimp::Exporter exporter;
        if (exporter.Export(scene.get(), FormatInfo(*format).assimpId, staged.string()) !=
            AI_SUCCESS)
            throw std::runtime_error(path.string() + ": " + exporter.GetErrorString());
    });
}

} // namespace contorra
