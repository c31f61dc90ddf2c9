#include "host/app/mesh_import.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "host/app/input_file.h"
#include "host/app/mesh_export.h"

namespace contorra {

namespace {

// One-based material ID of an assimp material.
int MaterialId(const aiScene& scene, unsigned index) {
    if (index < scene.mNumMaterials) {
        aiString name;
        if (scene.mMaterials[index]->Get(AI_MATKEY_NAME, name) == AI_SUCCESS) {
            const std::string s = name.C_Str();
            const std::string prefix = "MatID_";
            if (s.size() > prefix.size() && s.compare(0, prefix.size(), prefix) == 0 &&
                std::all_of(s.begin() + prefix.size(), s.end(),
                            [](unsigned char c) { return std::isdigit(c); })) {
                const int id = std::stoi(s.substr(prefix.size(), 6));
                if (id >= 1 && id <= 65536) return id;
            }
        }
    }
    return static_cast<int>(std::min(index, 65535u)) + 1;
}

using Key3 = std::tuple<float, float, float>;

// Map vertices of one channel, shared when equal.
struct ChannelBuilder {
    std::map<Key3, DWORD> index;
    std::vector<UVVert> verts;
    std::vector<TVFace> faces;
    bool used = false;
    DWORD Add(const UVVert& p) {
        auto [it, fresh] = index.emplace(Key3{p.x, p.y, p.z}, static_cast<DWORD>(verts.size()));
        if (fresh) verts.push_back(p);
        return it->second;
    }
};

constexpr int kChannelCount = AI_MAX_NUMBER_OF_TEXTURECOORDS + 1;

// The triangles of all of a scene's meshes gathered into one mesh: vertices
// shared when equal, one map face per face in every channel any mesh uses.
class MeshGatherer {
public:
    explicit MeshGatherer(bool yUp) : yUp_(yUp), channels_(kChannelCount) {}

    void Add(const aiScene& scene, const aiMesh& am) {
        std::vector<DWORD> local(am.mNumVertices);
        for (unsigned v = 0; v < am.mNumVertices; ++v) {
            const aiVector3D& a = am.mVertices[v];
            const Point3 p = yUp_ ? Point3(a.x, -a.z, a.y) : Point3(a.x, a.y, a.z);
            auto [it, fresh] =
                vertexIndex_.emplace(Key3{p.x, p.y, p.z}, static_cast<DWORD>(verts_.size()));
            if (fresh) verts_.push_back(p);
            local[v] = it->second;
        }
        const MtlID mat = static_cast<MtlID>(MaterialId(scene, am.mMaterialIndex) - 1);
        for (unsigned f = 0; f < am.mNumFaces; ++f) {
            const aiFace& af = am.mFaces[f];
            if (af.mNumIndices != 3) continue;
            Face face;
            face.setVerts(local[af.mIndices[0]], local[af.mIndices[1]], local[af.mIndices[2]]);
            face.setSmGroup(1);
            face.setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
            face.setMatID(mat);
            faces_.push_back(face);
            for (int ch = 0; ch < kChannelCount; ++ch) AddMapFace(am, af, ch);
        }
    }

    bool Empty() const { return faces_.empty(); }

    // Finite coordinates can leave float's range once node transforms apply.
    bool Finite() const {
        return std::all_of(verts_.begin(), verts_.end(), [](const Point3& p) {
            return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
        });
    }

    Mesh Result() const {
        Mesh mesh;
        mesh.setNumVerts(static_cast<int>(verts_.size()));
        mesh.setNumFaces(static_cast<int>(faces_.size()));
        for (std::size_t i = 0; i < verts_.size(); ++i)
            mesh.setVert(static_cast<int>(i), verts_[i]);
        for (std::size_t i = 0; i < faces_.size(); ++i) mesh.faces[i] = faces_[i];
        for (int ch = 0; ch < kChannelCount; ++ch) {
            const ChannelBuilder& cb = channels_[ch];
            if (!cb.used) continue;
            mesh.setMapSupport(ch, TRUE);
            mesh.setNumMapVerts(ch, static_cast<int>(cb.verts.size()));
            mesh.setNumMapFaces(ch, static_cast<int>(cb.faces.size()));
            std::copy(cb.verts.begin(), cb.verts.end(), mesh.Map(ch).tv.begin());
            std::copy(cb.faces.begin(), cb.faces.end(), mesh.Map(ch).tf.begin());
        }
        mesh.buildBoundingBox();
        return mesh;
    }

private:
    // Channel 0 holds the vertex colours, channel k the UV set k - 1. A face
    // of a mesh without this set still needs a map face.
    void AddMapFace(const aiMesh& am, const aiFace& af, int ch) {
        ChannelBuilder& cb = channels_[ch];
        const bool has = ch == 0 ? am.mColors[0] != nullptr : am.mTextureCoords[ch - 1] != nullptr;
        DWORD t[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned i = af.mIndices[c];
            UVVert value = ch == 0 ? UVVert(1.0f, 1.0f, 1.0f) : UVVert(0.0f, 0.0f, 0.0f);
            if (has && ch == 0)
                value = UVVert(am.mColors[0][i].r, am.mColors[0][i].g, am.mColors[0][i].b);
            else if (has)
                value =
                    UVVert(am.mTextureCoords[ch - 1][i].x, am.mTextureCoords[ch - 1][i].y,
                           am.mNumUVComponents[ch - 1] > 2 ? am.mTextureCoords[ch - 1][i].z : 0.0f);
            t[c] = cb.Add(value);
        }
        cb.used = cb.used || has;
        cb.faces.emplace_back(t[0], t[1], t[2]);
    }

    bool yUp_;
    std::map<Key3, DWORD> vertexIndex_;
    std::vector<Point3> verts_;
    std::vector<Face> faces_;
    std::vector<ChannelBuilder> channels_;
};

// Assimp's message, and what it most likely means when no reader took a
// file whose extension is one we know: the file is cut short or damaged.
std::string ReadFailure(const Assimp::Importer& importer, std::optional<MeshFormat> format) {
    std::string what = importer.GetErrorString();
    if (what.empty()) what = "the file could not be read";
    if (format && what.find("No suitable reader") != std::string::npos) {
        std::string ext = FormatInfo(*format).extension;
        for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return "not a readable " + ext + " file: it is truncated or damaged (" + what + ")";
    }
    return "cannot read the mesh: " + what;
}

std::string MeshName(const aiScene& scene, unsigned m) {
    std::string s = "mesh " + std::to_string(m);
    if (scene.mMeshes[m]->mName.length)
        s += " \"" + std::string(scene.mMeshes[m]->mName.C_Str()) + "\"";
    return s;
}

// The first node (depth first) that draws mesh m, for messages.
const aiNode* NodeOf(const aiNode* node, unsigned m) {
    if (!node) return nullptr;
    for (unsigned i = 0; i < node->mNumMeshes; ++i)
        if (node->mMeshes[i] == m) return node;
    for (unsigned c = 0; c < node->mNumChildren; ++c)
        if (const aiNode* hit = NodeOf(node->mChildren[c], m)) return hit;
    return nullptr;
}

bool Finite(const aiVector3D& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool Finite(const aiMatrix4x4& t) {
    for (unsigned r = 0; r < 4; ++r)
        for (unsigned c = 0; c < 4; ++c)
            if (!std::isfinite(t[r][c])) return false;
    return true;
}

std::string CheckNodes(const aiNode* node) {
    if (!node) return {};
    if (!Finite(node->mTransformation))
        return "node \"" + std::string(node->mName.C_Str()) +
               "\" has a transform that is not finite (NaN or infinite)";
    for (unsigned c = 0; c < node->mNumChildren; ++c)
        if (std::string bad = CheckNodes(node->mChildren[c]); !bad.empty()) return bad;
    return {};
}

// What the later steps take for granted: every face with at least one
// corner and every index in its mesh, finite coordinates and transforms.
// Empty when the scene is fit to go on; else the node, mesh and problem.
std::string CheckScene(const aiScene& scene) {
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh* am = scene.mMeshes[m];
        if (!am) return MeshName(scene, m) + " is missing";
        const aiNode* node = NodeOf(scene.mRootNode, m);
        const std::string where =
            (node && node->mName.length ? "node \"" + std::string(node->mName.C_Str()) + "\", "
                                        : std::string()) +
            MeshName(scene, m);
        if (am->mNumVertices && !am->mVertices) return where + " has no vertex positions";
        for (unsigned v = 0; v < am->mNumVertices; ++v)
            if (!Finite(am->mVertices[v]))
                return where + ", vertex " + std::to_string(v) +
                       ": the coordinates are not finite (NaN or infinite)";
        for (unsigned f = 0; f < am->mNumFaces; ++f) {
            const aiFace& af = am->mFaces[f];
            if (af.mNumIndices == 0 || !af.mIndices)
                return where + ", face " + std::to_string(f) +
                       " has no corners: the file is cut short or damaged";
            for (unsigned c = 0; c < af.mNumIndices; ++c)
                if (af.mIndices[c] >= am->mNumVertices)
                    return where + ", face " + std::to_string(f) + " names vertex " +
                           std::to_string(af.mIndices[c]) + " of " +
                           std::to_string(am->mNumVertices);
        }
    }
    return CheckNodes(scene.mRootNode);
}

// Whether a PLY header line is one assimp's reader handles: a format,
// comment, element or property line with a known type.
bool PlyHeaderLine(const std::string& line) {
    static const std::set<std::string> types = {
        "char", "uchar", "short", "ushort", "int",   "uint",   "float",   "double",
        "int8", "uint8", "int16", "uint16", "int32", "uint32", "float32", "float64"};
    std::istringstream in(line);
    std::string word, a, b, c, rest;
    in >> word;
    if (word == "comment" || word == "obj_info" || word.empty()) return true;
    if (word == "format")
        return in >> a >> b &&
               (a == "ascii" || a == "binary_little_endian" || a == "binary_big_endian") &&
               b == "1.0" && !(in >> rest);
    if (word == "element") {
        unsigned long long n = 0;
        return in >> a >> n && !(in >> rest);
    }
    if (word == "property") {
        if (!(in >> a)) return false;
        if (a == "list")
            return in >> a >> b >> c && types.count(a) && types.count(b) && !(in >> rest);
        return types.count(a) && in >> b && !(in >> rest);
    }
    return false;
}

// assimp's PLY reader never returns from some damaged headers (it reads PLY
// by content, whatever the extension): one without its end, with a byte that
// is no text, or with a line it does not know. Empty when the file is no PLY
// or its header is plain text of known lines ending in end_header; the header
// is short, so only its start is read.
std::string PlyHeaderProblem(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(64 * 1024, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const std::size_t start = head.find_first_not_of(" \t\r\n");
    if (start == std::string::npos || head.compare(start, 3, "ply") != 0) return {};
    const std::size_t end = head.find("\nend_header");
    const std::size_t after = end == std::string::npos ? end : end + 11;
    if (end == std::string::npos || after >= head.size() ||
        (head[after] != '\n' && head.compare(after, 2, "\r\n") != 0))
        return "the PLY header has no end_header line in its first 64 KiB: the file is cut "
               "short or damaged";
    for (std::size_t i = start; i < end; ++i) {
        const unsigned char c = static_cast<unsigned char>(head[i]);
        if ((c < 0x20 || c > 0x7E) && c != '\n' && c != '\r' && c != '\t')
            return "the PLY header holds a byte that is not text at offset " + std::to_string(i) +
                   ": the file is damaged";
    }
    std::istringstream lines(head.substr(start, end - start));
    std::string line;
    std::getline(lines, line); // "ply"
    for (int n = 2; std::getline(lines, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!PlyHeaderLine(line))
            return "PLY header line " + std::to_string(n) +
                   " is not one of format, comment, "
                   "element or property with a known type: the file is damaged";
    }
    return {};
}

} // namespace

Mesh ImportMesh(const std::filesystem::path& path) {
    const std::string name = path.string();
    std::string problem;
    if (!CheckInputFile(name, problem)) throw std::runtime_error(name + ": " + problem);
    if (problem = PlyHeaderProblem(name); !problem.empty())
        throw std::runtime_error(name + ": " + problem);
    const auto format = MeshFormatOf(path);
    Assimp::Importer importer;
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE,
                                aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    // The reader's own validation runs before any other step, and ours after
    // it: assimp's later steps assert on what validation lets through.
    const aiScene* scene = importer.ReadFile(name, aiProcess_ValidateDataStructure);
    if (!scene) throw std::runtime_error(name + ": " + ReadFailure(importer, format));
    if (const std::string bad = CheckScene(*scene); !bad.empty())
        throw std::runtime_error(name + ": " + bad);
    scene = importer.ApplyPostProcessing(aiProcess_Triangulate | aiProcess_SortByPType |
                                         aiProcess_PreTransformVertices);
    if (!scene) throw std::runtime_error(name + ": " + ReadFailure(importer, format));

    MeshGatherer gather(format && FormatInfo(*format).yUp);
    for (unsigned m = 0; m < scene->mNumMeshes; ++m)
        if (scene->mMeshes[m]->mPrimitiveTypes & aiPrimitiveType_TRIANGLE)
            gather.Add(*scene, *scene->mMeshes[m]);
    if (gather.Empty()) throw std::runtime_error(name + ": holds no triangle");
    if (!gather.Finite())
        throw std::runtime_error(name + ": a vertex is beyond the range of numbers once its "
                                        "node transforms are applied");
    return gather.Result();
}

} // namespace contorra
