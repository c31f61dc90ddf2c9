// Vertices that share a position but not an index, as on the two sides of a
// split outline, stay apart in every mesh file that can keep them, and several
// nodes go into one file under their names.
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "host/app/mesh_export.h"
#include "host/app/scene_export.h"

namespace fs = std::filesystem;

namespace {

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("contorra_split_" + std::to_string(getpid()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};

// A flat 2 x 1 strip of two unit squares cut apart along x = 1: the cut's two
// positions appear twice, once for each side. Same material, same normal,
// same UVs and colours at the copies: nothing but the index tells them apart.
Mesh SplitStrip() {
    Mesh m;
    const Point3 p[8] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                         {1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}};
    m.setNumVerts(8);
    for (int i = 0; i < 8; ++i) m.setVert(i, p[i]);
    m.setNumFaces(4);
    const int f[4][3] = {{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}};
    for (int i = 0; i < 4; ++i) {
        m.faces[i].setVerts(f[i][0], f[i][1], f[i][2]);
        m.faces[i].setSmGroup(1);
    }
    for (int ch : {0, 1}) {
        m.setMapSupport(ch);
        MeshMap& mm = m.Map(ch);
        mm.setNumVerts(8);
        for (int i = 0; i < 8; ++i) mm.tv[i] = ch ? Point3(p[i].x, p[i].y, 0.0f) : Point3(1.0f, 1.0f, 1.0f);
        mm.setNumFaces(4);
        for (int i = 0; i < 4; ++i) mm.tf[i].setTVerts(f[i][0], f[i][1], f[i][2]);
    }
    return m;
}

std::string Text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The vertices a file stores, counted the way its format stores them.
int StoredVertices(const fs::path& file) {
    const std::string ext = file.extension().string();
    const std::string text = Text(file);
    int n = 0;
    if (ext == ".obj") {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) n += line.rfind("v ", 0) == 0;
    } else if (ext == ".ply" || ext == ".fbx") {
        // PLY: "element vertex N"; FBX control points: "Vertices: *N" holds N coordinates.
        // (Read by hand: std::regex trips GCC 12's false warning under the sanitizers.)
        const bool ply = ext == ".ply";
        const std::string tag = ply ? "element vertex " : "Vertices: *";
        for (auto at = text.find(tag); at != std::string::npos; at = text.find(tag, at + 1))
            n += std::stoi(text.substr(at + tag.size())) / (ply ? 1 : 3);
    } else {
        // glTF keeps its accessors as written when nothing is post-processed.
        Assimp::Importer importer;
        const aiScene* s = importer.ReadFile(file.string(), 0);
        if (!s) return -1;
        for (unsigned i = 0; i < s->mNumMeshes; ++i) n += static_cast<int>(s->mMeshes[i]->mNumVertices);
    }
    return n;
}

} // namespace

TEST(SplitExport, EveryFormatThatSharesVerticesKeepsTheCut) {
    TempDir dir;
    const Mesh strip = SplitStrip();
    for (const char* name : {"s.obj", "s.ply", "s.gltf", "s.glb", "s.fbx"}) {
        SCOPED_TRACE(name);
        contorra::ExportMesh(strip, dir.path / name, "strip");
        EXPECT_EQ(StoredVertices(dir.path / name), strip.getNumVerts());
    }
    // Two nodes in one file: each keeps its own vertices.
    contorra::ExportNodes({{"left", strip}, {"right", strip}}, dir.path / "two.obj");
    EXPECT_EQ(StoredVertices(dir.path / "two.obj"), 2 * strip.getNumVerts());
}

TEST(SplitExport, NodesKeepTheirNamesAndMaterialsAreShared) {
    TempDir dir;
    Mesh a = SplitStrip(), b = SplitStrip();
    for (Face& f : b.faces) f.setMatID(4);
    b.faces[0].setMatID(0);
    for (const char* name : {"n.glb", "n.obj", "n.fbx"}) {
        SCOPED_TRACE(name);
        contorra::ExportNodes({{"Road", a}, {"Shed", b}}, dir.path / name);
        Assimp::Importer importer;
        const aiScene* s = importer.ReadFile((dir.path / name).string(), 0);
        ASSERT_NE(s, nullptr) << importer.GetErrorString();
        // Faces under each node below the root; a writer may hang a node's
        // meshes on children of its own.
        std::map<std::string, unsigned> faces;
        std::function<void(const aiNode*, const std::string&)> walk = [&](const aiNode* n,
                                                                         const std::string& top) {
            for (unsigned i = 0; i < n->mNumMeshes; ++i)
                faces[top] += s->mMeshes[n->mMeshes[i]]->mNumFaces;
            for (unsigned i = 0; i < n->mNumChildren; ++i)
                walk(n->mChildren[i], top.empty() ? n->mChildren[i]->mName.C_Str() : top);
        };
        walk(s->mRootNode, "");
        EXPECT_EQ(faces.size(), 2u);
        EXPECT_EQ(faces["Road"], 4u);
        EXPECT_EQ(faces["Shed"], 4u);
        std::set<std::string> materials;
        for (unsigned i = 0; i < s->mNumMaterials; ++i)
            materials.insert(s->mMaterials[i]->GetName().C_Str());
        EXPECT_TRUE(materials.count("MatID_1") && materials.count("MatID_5"));
    }
}
