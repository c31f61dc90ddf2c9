#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <set>
#include <string>
#include <vector>

#include "host/app/mesh_export.h"
#include "host/app/mesh_import.h"

using namespace contorra;
namespace fs = std::filesystem;

namespace {

struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() /
               ("contorra_mesh_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                std::to_string(getpid()));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
};

// A bent 4 x 3 grid: two material IDs, UVs shared per vertex on channel 1,
// a seam of separate map vertices per face on channel 2, vertex colours on 0.
Mesh SampleMesh() {
    Mesh m;
    const int cols = 4, rows = 3;
    m.setNumVerts(cols * rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            m.setVert(r * cols + c, Point3(10.0f * c, 10.0f * r, 0.5f * c * r + 0.25f * c));
    const int nf = 2 * (cols - 1) * (rows - 1);
    m.setNumFaces(nf);
    int f = 0;
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < cols; ++c) {
            const int a = r * cols + c, b = a + 1, d = a + cols, e = d + 1;
            for (const auto& tri : {std::array<int, 3>{a, b, e}, std::array<int, 3>{a, e, d}}) {
                m.faces[f].setVerts(tri[0], tri[1], tri[2]);
                m.faces[f].setSmGroup(1);
                m.faces[f].setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
                m.faces[f].setMatID(c < 2 ? 0 : 4);
                ++f;
            }
        }
    m.setMapSupport(1);
    for (int v = 0; v < m.getNumVerts(); ++v)
        m.Map(1).tv[v] = UVVert(m.verts[v].x / 30.0f, m.verts[v].y / 20.0f, 0.0f);
    m.setMapSupport(2);
    m.setNumMapVerts(2, 3 * nf);
    for (int i = 0; i < nf; ++i) {
        m.Map(2).tf[i] = TVFace(3 * i, 3 * i + 1, 3 * i + 2);
        for (int c = 0; c < 3; ++c) m.Map(2).tv[3 * i + c] = UVVert(0.125f * i, 0.25f * c, 0.0f);
    }
    m.setMapSupport(0);
    for (int v = 0; v < m.getNumVerts(); ++v)
        m.Map(0).tv[v] = UVVert((v % 4) / 3.0f, (v / 4) / 2.0f, 0.5f);
    return m;
}

long Q(float v, float steps = 1000.0f) {
    return std::lround(v * steps);
}

// A face as text: its corners (position, then what the flags ask for),
// rotated to start at the smallest, so that the winding is kept but the
// order of faces and vertices does not matter.
std::vector<std::string> Faces(Mesh& m, bool mat, std::vector<int> channels) {
    std::vector<std::string> out;
    for (int f = 0; f < m.getNumFaces(); ++f) {
        std::vector<std::string> corner(3);
        for (int c = 0; c < 3; ++c) {
            const Point3& p = m.verts[m.faces[f].v[c]];
            std::string s = std::to_string(Q(p.x)) + "," + std::to_string(Q(p.y)) + "," +
                            std::to_string(Q(p.z));
            for (int ch : channels) {
                const UVVert& t = m.Map(ch).tv[m.Map(ch).tf[f].t[c]];
                // Colours may come back in 8-bit steps.
                const float steps = ch == 0 ? 100.0f : 1000.0f;
                s += "|";
                s += std::to_string(ch) + ":" + std::to_string(Q(t.x, steps)) + "," +
                     std::to_string(Q(t.y, steps)) + "," + std::to_string(Q(t.z, steps));
            }
            corner[c] = s;
        }
        const int first =
            static_cast<int>(std::min_element(corner.begin(), corner.end()) - corner.begin());
        std::string face = mat ? "m" : "";
        if (mat) face += std::to_string(m.faces[f].getMatID());
        for (int c = 0; c < 3; ++c) face += ' ' + corner[(first + c) % 3];
        out.push_back(face);
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(MeshFiles, EveryFormatRoundTripsWhatItCarries) {
    TempDir dir;
    struct Case {
        const char* file;
        bool materials;
        std::vector<int> channels; // map channels expected back, 0 = colours
    };
    const Case cases[] = {
        {"t.obj", true, {0, 1}},     {"t.ply", false, {0, 1}},   {"t.stl", false, {}},
        {"t.gltf", true, {0, 1, 2}}, {"t.glb", true, {0, 1, 2}}, {"t.fbx", true, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Mesh original = SampleMesh();
        ExportMesh(original, dir.path / c.file, "terrain");
        Mesh back = ImportMesh(dir.path / c.file);
        EXPECT_EQ(back.getNumVerts(), original.getNumVerts());
        EXPECT_EQ(back.getNumFaces(), original.getNumFaces());
        for (int ch = 0; ch <= 2; ++ch) {
            const bool expected = std::count(c.channels.begin(), c.channels.end(), ch) > 0;
            EXPECT_EQ(back.mapSupport(ch) != 0, expected) << "channel " << ch;
        }
        EXPECT_EQ(Faces(back, c.materials, c.channels), Faces(original, c.materials, c.channels));
    }
    // Sidecars sit beside their files; nothing temporary is left.
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"t.bin", "t.fbx", "t.glb", "t.gltf", "t.mtl",
                                               "t.obj", "t.ply", "t.stl"}));
}

TEST(MeshFiles, YUpFormatsStoreHeightsAlongY) {
    TempDir dir;
    Mesh m = SampleMesh();
    ExportMesh(m, dir.path / "t.glb", "terrain");
    Assimp::Importer raw;
    const aiScene* s = raw.ReadFile((dir.path / "t.glb").string(), 0);
    ASSERT_NE(s, nullptr);
    float maxY = -1e9f, minZ = 1e9f;
    for (unsigned i = 0; i < s->mNumMeshes; ++i)
        for (unsigned v = 0; v < s->mMeshes[i]->mNumVertices; ++v) {
            maxY = std::max(maxY, s->mMeshes[i]->mVertices[v].y);
            minZ = std::min(minZ, s->mMeshes[i]->mVertices[v].z);
        }
    // Host heights reach 0.5 * 3 * 2 + 0.25 * 3 = 3.75; host y reaches 20, so file z reaches -20.
    EXPECT_FLOAT_EQ(maxY, 3.75f);
    EXPECT_FLOAT_EQ(minZ, -20.0f);
}

TEST(MeshFiles, BadRequestsAreErrorsNamingTheFile) {
    TempDir dir;
    Mesh m = SampleMesh();
    auto expectError = [](const std::function<void()>& f, const std::string& needle) {
        try {
            f();
            ADD_FAILURE() << "no error for " << needle;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(needle), std::string::npos) << e.what();
        }
    };
    expectError([&] { ExportMesh(m, dir.path / "t.xyz", "t"); }, "t.xyz");
    expectError([&] { ExportMesh(Mesh(), dir.path / "e.obj", "t"); }, "e.obj");
    EXPECT_FALSE(fs::exists(dir.path / "e.obj"));
    expectError([&] { ImportMesh(dir.path / "missing.obj"); }, "missing.obj");
    std::ofstream(dir.path / "junk.glb") << "not a model at all";
    expectError([&] { ImportMesh(dir.path / "junk.glb"); }, "junk.glb");
    // A file with only a line in it holds no triangle.
    std::ofstream(dir.path / "line.obj") << "v 0 0 0\nv 1 0 0\nl 1 2\n";
    expectError([&] { ImportMesh(dir.path / "line.obj"); }, "line.obj");
    EXPECT_EQ(MeshFormatOf("A.GLB"), MeshFormat::Glb);
    EXPECT_FALSE(MeshFormatOf("noext").has_value());
}

// What contorra checks for clashes must be every file the exporter writes.
TEST(MeshFiles, SidecarsAreTheFilesWrittenBesideTheMesh) {
    for (const char* name : {"t.obj", "t.ply", "t.stl", "t.gltf", "t.glb", "t.fbx"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        ExportMesh(SampleMesh(), dir.path / name, "terrain");
        std::set<fs::path> written, expected = {dir.path / name};
        for (const auto& e : fs::directory_iterator(dir.path)) written.insert(e.path());
        for (const fs::path& side : MeshSidecars(dir.path / name)) expected.insert(side);
        EXPECT_EQ(written, expected);
    }
}
