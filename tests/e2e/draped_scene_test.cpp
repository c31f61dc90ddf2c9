// Whole scenes from the command line: draped nodes written with the terrain
// (build --whole-scene) or alone (conform), read back with assimp; a saved
// scene renders as its JSON does; a split outline stays split in the OBJ; bad
// modifiers are refused before anything is written.
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "host/app/json_scene.h"
#include "tests/e2e/run_command.h"

namespace fs = std::filesystem;

namespace {

const std::string kDraped = CONTORRA_SOURCE_DIR "/examples/draped_road.json";
const fs::path kBuildDir = fs::path(CONTORRA_BINARY).parent_path();

RunResult Contorra(const std::string& args) {
    return RunShell(Quote(CONTORRA_BINARY) + " " + args);
}

struct FileNode {
    unsigned faces = 0;
    float minHeight = 1e30f, maxHeight = -1e30f; // the file's up axis
};

// Per node name of the file: its faces and the range of its heights.
std::map<std::string, FileNode> ReadNodes(const fs::path& file, bool yUp) {
    Assimp::Importer importer;
    const aiScene* s = importer.ReadFile(file.string(), 0);
    std::map<std::string, FileNode> out;
    if (!s) {
        ADD_FAILURE() << file << ": " << importer.GetErrorString();
        return out;
    }
    // Everything below a child of the root counts for that child.
    std::function<void(const aiNode*, const std::string&)> walk = [&](const aiNode* n,
                                                                     const std::string& top) {
        for (unsigned i = 0; i < n->mNumMeshes; ++i) {
            const aiMesh* m = s->mMeshes[n->mMeshes[i]];
            FileNode& fn = out[top];
            fn.faces += m->mNumFaces;
            for (unsigned v = 0; v < m->mNumVertices; ++v) {
                const float h = yUp ? m->mVertices[v].y : m->mVertices[v].z;
                fn.minHeight = std::min(fn.minHeight, h);
                fn.maxHeight = std::max(fn.maxHeight, h);
            }
        }
        for (unsigned i = 0; i < n->mNumChildren; ++i)
            walk(n->mChildren[i], top.empty() ? n->mChildren[i]->mName.C_Str() : top);
    };
    walk(s->mRootNode, "");
    return out;
}

int MeshFaces(const contorra::JsonScene& js, const std::string& name) {
    for (const contorra::JsonNode& n : js.nodes)
        if (n.name == name) return std::get<contorra::JsonMesh>(n.object).mesh.getNumFaces();
    return -1;
}

class DrapedScene : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("contorra_draped_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    fs::path dir;
};

} // namespace

// The example's road and building arrive on the hill (heights 102 .. 122):
// in the whole scene with the terrain, and alone from conform, whether conform
// reads the JSON or the saved scene.
TEST_F(DrapedScene, WholeSceneAndConformWriteTheDrapedNodes) {
    const contorra::JsonScene js = contorra::ReadJsonScene(kDraped);
    const RunResult build = Contorra("-q build " + Quote(kDraped) + " -o " + Quote(Path("all.glb")) +
                                     " --whole-scene --save " + Quote(Path("site.cscene")));
    ASSERT_EQ(build.code, 0) << build.err;
    std::map<std::string, FileNode> all = ReadNodes(Path("all.glb"), true);
    EXPECT_EQ(all.size(), 3u); // contours are lines, not meshes
    ASSERT_TRUE(all.count("Terrain") && all.count("Road") && all.count("Building"));
    EXPECT_GT(all["Terrain"].faces, 1000u);
    for (const char* name : {"Road", "Building"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(static_cast<int>(all[name].faces), MeshFaces(js, name));
        // Given at height 0, draped onto a hill that rises from 102 at its rim.
        EXPECT_GT(all[name].minHeight, 99.0f);
        EXPECT_LT(all[name].maxHeight, 125.0f); // the summit is at 122, the surface's bulge above
        EXPECT_GT(all[name].maxHeight - all[name].minHeight, 1.0f);
    }

    fs::create_directories(dir / "saved");
    const RunResult fromJson = Contorra("-q conform " + Quote(kDraped) + " -o " + Quote(Path("a.obj")));
    ASSERT_EQ(fromJson.code, 0) << fromJson.err;
    const RunResult fromSaved =
        Contorra("conform " + Quote(Path("site.cscene")) + " -o " + Quote(Path("saved/a.obj")));
    ASSERT_EQ(fromSaved.code, 0) << fromSaved.err;
    EXPECT_NE(fromSaved.out.find("draped 2 nodes"), std::string::npos) << fromSaved.out;
    std::map<std::string, FileNode> draped = ReadNodes(Path("a.obj"), false);
    EXPECT_EQ(draped.count("Terrain"), 0u);
    for (const char* name : {"Road", "Building"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(static_cast<int>(draped[name].faces), MeshFaces(js, name));
        EXPECT_NEAR(draped[name].minHeight, all[name].minHeight, 1e-3f);
        EXPECT_NEAR(draped[name].maxHeight, all[name].maxHeight, 1e-3f);
    }
    EXPECT_TRUE(Slurp(Path("a.obj")) == Slurp(Path("saved/a.obj")));
}

TEST_F(DrapedScene, BadModifiersAreRefusedWithNothingWritten) {
    const nlohmann::json scene = nlohmann::json::parse(Slurp(kDraped));
    const struct {
        std::string modifier, where, problem;
    } cases[] = {
        {R"({"type": "Drape", "target": "Terrain", "nodes": ["Road"]})", "/modifiers/0/type",
         "unknown modifier type \"Drape\""},
        {R"({"type": "Terravel", "target": "Ground", "nodes": ["Road"]})", "/modifiers/0/target",
         "unknown node \"Ground\""},
        {R"({"type": "Terravel", "target": "Road", "nodes": ["Building"]})", "/modifiers/0/target",
         "\"Road\" is not a terrain"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.modifier);
        nlohmann::json bad = scene;
        bad["modifiers"] = nlohmann::json::array({nlohmann::json::parse(c.modifier)});
        std::ofstream(Path("bad.json")) << bad.dump();
        for (const std::string& cmd :
             {"build " + Quote(Path("bad.json")) + " --whole-scene -o " + Quote(Path("out.glb")),
              "conform " + Quote(Path("bad.json")) + " -o " + Quote(Path("out.glb"))}) {
            const RunResult r = Contorra(cmd);
            EXPECT_EQ(r.code, 2) << cmd;
            EXPECT_NE(r.err.find("bad.json: " + c.where + ": " + c.problem), std::string::npos)
                << r.err;
            EXPECT_FALSE(fs::exists(Path("out.glb")));
        }
    }
    const RunResult none = Contorra("conform " + Quote(CONTORRA_SOURCE_DIR "/examples/platform.json") +
                                    " -o " + Quote(Path("out.glb")));
    EXPECT_EQ(none.code, 2);
    EXPECT_NE(none.err.find("drapes nothing"), std::string::npos) << none.err;
    EXPECT_FALSE(fs::exists(Path("out.glb")));
    const RunResult noOutput = Contorra("build " + Quote(kDraped) + " --whole-scene");
    EXPECT_EQ(noOutput.code, 2);
    EXPECT_NE(noOutput.err.find("--whole-scene: name the file"), std::string::npos) << noOutput.err;
    const RunResult help = Contorra("conform --help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--output"), std::string::npos);
}

// A saved scene keeps the materials and maps: its render is the JSON's, pixel for pixel.
TEST_F(DrapedScene, SavedSceneRendersAsItsJson) {
    // Its road and roof carry edge-gradient maps, its terrain a plain material.
    const std::string json = kDraped;
    ASSERT_EQ(Contorra("-q build " + Quote(json) + " --save " + Quote(Path("e.cscene"))).code, 0);
    const std::string size = " --size 320x240 --threads 2 -q --camera -40,-20,180,-20,10,110";
    const RunResult a = Contorra("render " + Quote(json) + " -o " + Quote(Path("a.png")) + size);
    ASSERT_EQ(a.code, 0) << a.err;
    const RunResult b =
        Contorra("render " + Quote(Path("e.cscene")) + " -o " + Quote(Path("b.png")) + size);
    ASSERT_EQ(b.code, 0) << b.err;
    // The same scene without its materials: wire colours, another image.
    nlohmann::json plain = nlohmann::json::parse(Slurp(json));
    plain.erase("materials");
    for (auto& node : plain["nodes"]) node.erase("material");
    std::ofstream(Path("plain.json")) << plain.dump();
    ASSERT_EQ(Contorra("render " + Quote(Path("plain.json")) + " -o " + Quote(Path("c.png")) + size)
                  .code,
              0);
    const std::string pa = Slurp(Path("a.png")), pb = Slurp(Path("b.png")), pc = Slurp(Path("c.png"));
    EXPECT_GT(pa.size(), 1000u);
    EXPECT_TRUE(pa == pb) << "the saved scene renders differently";
    EXPECT_FALSE(pa == pc) << "the materials change nothing";
}

// The split outline's two sides stay two sets of vertices in the OBJ file.
TEST_F(DrapedScene, SplitOutlineKeepsItsVerticesInTheObj) {
    const std::string json = CONTORRA_SOURCE_DIR "/examples/insert_split.json";
    const RunResult build = Contorra("-q build " + Quote(json) + " -o " + Quote(Path("s.obj")) +
                                     " --save " + Quote(Path("s.cscene")));
    ASSERT_EQ(build.code, 0) << build.err;
    const RunResult digest = RunShell(Quote((kBuildDir / "e2e_mesh_digest").string()) + " " +
                                      Quote((kBuildDir / "contorra.dlo").string()) + " " +
                                      Quote(Path("s.cscene")));
    ASSERT_EQ(digest.code, 0) << digest.err;
    std::istringstream line(digest.out);
    std::string node;
    int verts = 0;
    line >> node >> verts;
    ASSERT_EQ(node, "Terrain");
    std::istringstream obj(Slurp(Path("s.obj")));
    int v = 0;
    for (std::string l; std::getline(obj, l);) v += l.rfind("v ", 0) == 0;
    EXPECT_EQ(v, verts);
}
