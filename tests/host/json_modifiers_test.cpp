// World-space modifiers and mesh edges of JSON scenes: the reader's errors
// name the JSON path; with the plug-in loaded, a draped node lands on the
// built terrain, smoothing groups and selected edges drive the edge map, and
// materials survive a saved scene.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>

#include "host/app/core_interface.h"
#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"
#include "host/app/scene.h"
#include "host/app/scene_export.h"
#include "host/app/scene_file.h"
#include "host/app/terrain_build.h"
#include "host/sdk/std_material.h"
#include "host/sdk/tri_object.h"
#include "tests/support/shading_scene.h"

namespace {

using contorra::SceneFileError;

std::string ModulePath() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "contorra.dlo")
        .string();
}

// Four closed square contours around the origin, 10 units apart in height
// (the summit at 40), a terrain built from them, a sheet and a spline.
std::string HillNodes(const std::string& terrainParams = R"({"Interations": 6})") {
    std::ostringstream s;
    s << R"([)";
    for (int k = 1; k <= 4; ++k) {
        const int r = 10 * k, z = 50 - 10 * k;
        s << R"({"name": "C)" << k << R"(", "object": {"type": "spline", "lines": [{"closed": true,
            "points": [[)" << -r << "," << -r << "," << z << "],[" << r << "," << -r << "," << z
          << "],[" << r << "," << r << "," << z << "],[" << -r << "," << r << "," << z
          << "]]}]}},";
    }
    s << R"({"name": "Terrain", "object": {"type": "terrain", "parameters": )" << terrainParams
      << R"(, "splines": ["C1", "C2", "C3", "C4"]}},
        {"name": "Line", "object": {"type": "spline", "lines": [{"points": [[0,0],[1,1]]}]}},
        {"name": "Sheet", "transform": {"position": [0, 0, 75]},
         "object": {"type": "mesh", "vertices": )";
    // A 100 x 10 strip from x = -50 in 2-unit steps: its ends leave the terrain.
    std::string verts, faces;
    for (int i = 0; i <= 50; ++i) {
        verts += (i ? "," : "") + ("[" + std::to_string(-50 + 2 * i) + ",-5,0],[" +
                                   std::to_string(-50 + 2 * i) + ",5,0]");
        if (i)
            faces += (i > 1 ? "," : "") + ("[" + std::to_string(2 * i - 2) + "," +
                                           std::to_string(2 * i) + "," + std::to_string(2 * i + 1) +
                                           "],[" + std::to_string(2 * i - 2) + "," +
                                           std::to_string(2 * i + 1) + "," +
                                           std::to_string(2 * i - 1) + "]");
    }
    s << "[" << verts << R"(], "faces": [)" << faces << "]}}]";
    return s.str();
}

std::string SceneWith(const std::string& modifiers) {
    return R"({"nodes": )" + HillNodes() + R"(, "modifiers": )" + modifiers + "}";
}

std::string ErrorOf(const std::string& text, ClassRegistry* registry = nullptr) {
    try {
        contorra::JsonScene js = contorra::ParseJsonScene(text, "scene.json");
        if (registry) {
            Scene scene;
            contorra::AddJsonScene(js, scene, *registry);
            contorra::AddJsonMaterials(js, scene, *registry);
        }
    } catch (const SceneFileError& e) {
        EXPECT_EQ(e.file, "scene.json");
        return e.path + ": " + e.problem;
    }
    return "no error";
}

struct BadCase {
    std::string text, path, problem;
};

void ExpectErrors(const std::vector<BadCase>& cases, ClassRegistry* registry = nullptr) {
    for (const BadCase& c : cases) {
        const std::string got = ErrorOf(c.text, registry);
        EXPECT_EQ(got.rfind(c.path + ": ", 0), 0u) << c.text.substr(0, 300) << "\n -> " << got;
        EXPECT_NE(got.find(c.problem), std::string::npos) << got;
    }
}

// The world position of a point given in a node's object space.
Point3 World(INode* node, const Point3& p) {
    return p * node->GetObjectTM(0);
}

} // namespace

TEST(JsonModifiers, ReaderErrorsNameThePath) {
    const std::string m = "/modifiers/0";
    ExpectErrors({
        {SceneWith("{}"), "/modifiers", "list of modifiers"},
        {SceneWith(R"([{"type": "Bend", "target": "Terrain", "nodes": ["Sheet"]}])"), m + "/type",
         "unknown modifier type \"Bend\""},
        {SceneWith(R"([{"type": "Terravel", "nodes": ["Sheet"]}])"), m, "missing \"target\""},
        {SceneWith(R"([{"type": "Terravel", "target": "Terrain", "nodes": []}])"), m + "/nodes",
         "list of the names"},
        {SceneWith(R"([{"type": "Terravel", "target": "Ground", "nodes": ["Sheet"]}])"),
         m + "/target", "unknown node \"Ground\""},
        {SceneWith(R"([{"type": "Terravel", "target": "Sheet", "nodes": ["C1"]}])"), m + "/target",
         "\"Sheet\" is not a terrain"},
        {SceneWith(R"([{"type": "Terravel", "target": "Terrain", "nodes": ["Line"]}])"),
         m + "/nodes/0", "no mesh or box"},
        {SceneWith(R"([{"type": "Terravel", "target": "Terrain", "nodes": ["Sheet", "Terrain"]}])"),
         m + "/nodes/1", "over itself"},
        {SceneWith(R"([{"type": "Terravel", "target": "Terrain", "nodes": ["Sheet", "Sheet"]}])"),
         m + "/nodes/1", "listed twice"},
        {SceneWith(R"([{"type": "Terravel", "target": "Terrain", "nodes": ["Road"]}])"),
         m + "/nodes/0", "unknown node \"Road\""},
        {SceneWith(R"([{"type": "Terravel", "target": "Terrain", "nodes": ["Sheet"], "speed": 1}])"),
         m + "/speed", "unknown key"},
        {SceneWith(R"([{"type": "Terravel", "target": "Terrain", "nodes": ["Sheet"],
                    "parameters": {"Land_Object": "Terrain"}}])"),
         m + "/parameters/Land_Object", "given by \"target\""},
    });
}

TEST(JsonMeshEdges, SmoothingGroupsAndSelectedEdgesReachTheMesh) {
    const std::string square = R"({"nodes": [{"name": "s", "object": {"type": "mesh",
        "vertices": [[0,0,0],[4,0,0],[4,4,0],[0,4,0]], "faces": [[0,1,2],[0,2,3]], )";
    contorra::JsonScene js = contorra::ParseJsonScene(
        square + R"("smoothing_groups": [1, [2, 32]], "selected_edges": [[2, 0]]}}]})",
        "scene.json");
    const Mesh& mesh = std::get<contorra::JsonMesh>(js.nodes[0].object).mesh;
    EXPECT_EQ(mesh.faces[0].getSmGroup(), 1u);
    EXPECT_EQ(mesh.faces[1].getSmGroup(), 2u | 0x80000000u);
    // The diagonal is side 2 of face 0 (2 -> 0) and side 0 of face 1 (0 -> 2).
    ASSERT_EQ(mesh.edgeSel.GetSize(), 6);
    for (int bit = 0; bit < 6; ++bit) EXPECT_EQ(mesh.edgeSel[bit] != 0, bit == 2 || bit == 3) << bit;

    const std::string at = "/nodes/0/object/";
    ExpectErrors({
        {square + R"("smoothing_groups": [1]}}]})", at + "smoothing_groups", "one entry per face"},
        {square + R"("smoothing_groups": [1, 33]}}]})", at + "smoothing_groups/1", "1 .. 32"},
        {square + R"("smoothing_groups": [1, [2, 0.5]]}}]})", at + "smoothing_groups/1/1",
         "smoothing group"},
        {square + R"("selected_edges": [[1, 3]]}}]})", at + "selected_edges/0",
         "no face has an edge from vertex 1 to vertex 3"},
        {square + R"("selected_edges": [[1, 9]]}}]})", at + "selected_edges/0/1", "0 .. 3"},
        {square + R"("selected_edges": [1, 2]}}]})", at + "selected_edges/0", "[a, b]"},
        {R"({"nodes": [{"name": "s", "object": {"type": "mesh", "file": "x.obj",
            "smoothing_groups": [1]}}]})",
         at + "file", "either \"file\""},
    });
}

class JsonModifiersWithPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_NE(registry.LoadModule(ModulePath(), error), nullptr) << error;
    }
    ClassRegistry registry;
};

TEST_F(JsonModifiersWithPlugin, PluginSideErrorsNameThePath) {
    ExpectErrors({{SceneWith(R"([{"type": "Terravel", "target": "Terrain", "nodes": ["Sheet"],
                              "parameters": {"Strength": 1}}])"),
                   "/modifiers/0/parameters/Strength", "the modifier has no parameter"}},
                 &registry);
}

// The sheet, given 75 units up, lands on the built surface: within the
// terrain each vertex lies on the terrain mesh up to the smooth patches'
// bulge; outside it the surface is at 0. The terrain node is moved sideways.
TEST_F(JsonModifiersWithPlugin, DrapedNodeLiesOnTheBuiltSurface) {
    std::string text = SceneWith(R"([{"type": "Terravel", "target": "Terrain", "nodes": ["Sheet"]}])");
    text.replace(text.find(R"("name": "Terrain")"), 17,
                 R"("name": "Terrain", "transform": {"position": [3, 0, 0]})");
    contorra::JsonScene js = contorra::ParseJsonScene(text, "scene.json");
    Scene scene;
    std::stringstream progress;
    CoreInterface core(scene, ProgressStyle::Quiet, progress);
    const std::vector<INode*> terrains = contorra::AddJsonScene(js, scene, registry);
    ASSERT_EQ(terrains.size(), 1u);
    INode* sheet = scene.FindByName("Sheet");
    ASSERT_EQ(sheet->NumWSModifiers(), 1);
    std::string error;
    ASSERT_TRUE(contorra::PressGenerate(terrains[0]->GetObjectRef(), &core, error)) << error;
    Mesh ground;
    ASSERT_TRUE(contorra::TerrainMesh(terrains[0]->GetObjectRef(), ground));
    for (Point3& p : ground.verts) p = World(terrains[0], p);

    // The terrain's own height under (x, y), linear within its triangles; NaN off it.
    auto groundAt = [&ground](float x, float y) {
        for (const Face& f : ground.faces) {
            const Point3 &a = ground.verts[f.v[0]], &b = ground.verts[f.v[1]],
                         &c = ground.verts[f.v[2]];
            const float d = (b.y - c.y) * (a.x - c.x) + (c.x - b.x) * (a.y - c.y);
            const float u = ((b.y - c.y) * (x - c.x) + (c.x - b.x) * (y - c.y)) / d;
            const float v = ((c.y - a.y) * (x - c.x) + (a.x - c.x) * (y - c.y)) / d;
            if (u >= -1e-5f && v >= -1e-5f && u + v <= 1.0f + 1e-5f)
                return u * a.z + v * b.z + (1.0f - u - v) * c.z;
        }
        return std::nanf("");
    };
    const std::vector<contorra::NodeMesh> draped = contorra::EvaluateNodeMeshes({sheet}, 0);
    ASSERT_EQ(draped.size(), 1u);
    int on = 0, off = 0;
    for (const Point3& p : draped[0].mesh.verts) {
        const float z = groundAt(p.x, p.y);
        if (std::isnan(z)) {
            EXPECT_EQ(p.z, 0.0f) << p.x << ", " << p.y;
            ++off;
        } else {
            EXPECT_NEAR(p.z, z, 0.3f) << p.x << ", " << p.y;
            ++on;
        }
    }
    EXPECT_GT(on, 40);
    EXPECT_GT(off, 4);
}

// The same square with the same map criteria shades its diagonal as an edge
// only when the smoothing groups or the selection make it one.
TEST_F(JsonModifiersWithPlugin, SmoothingGroupsAndSelectionDriveTheEdgeMap) {
    auto shadeDiagonal = [this](const std::string& criteria, const std::string& meshExtras) {
        const std::string text =
            R"({"materials": [{"name": "m", "diffuse_map": {"type": "GradientEdge",
                "parameters": {"Distance": 1, )" +
            criteria + R"(}, "markers": [{"position": 0, "color": "#ff0000"},
                {"position": 1, "color": "#00ff00"}]}}],
              "nodes": [{"name": "s", "material": "m", "object": {"type": "mesh",
                "vertices": [[0,0,0],[4,0,0],[4,4,0],[0,4,0]], "faces": [[0,1,2],[0,2,3]])" +
            meshExtras + "}}]}";
        contorra::JsonScene js = contorra::ParseJsonScene(text, "scene.json");
        Scene scene;
        contorra::AddJsonScene(js, scene, registry);
        contorra::SceneMaterials materials = contorra::AddJsonMaterials(js, scene, registry);
        Texmap* map = static_cast<StdMat*>(materials.Find("m"))->DiffuseMap();
        Interval valid = FOREVER;
        map->Update(0, valid);
        NodeTable nodes;
        INode* node = nodes.Add(std::get<contorra::JsonMesh>(js.nodes[0].object).mesh);
        PointShade sc(node, Point3(2.0f, 2.0f, 0.0f)); // on the diagonal, 2 from the border
        return map->EvalColor(sc).r;
    };
    EXPECT_NEAR(shadeDiagonal(R"("Selection_only": true)", R"(, "selected_edges": [[0, 2]])"),
                1.0f, 1e-4f);
    EXPECT_LT(shadeDiagonal(R"("Selection_only": true)", R"(, "selected_edges": [[0, 1]])"),
              0.5f);
    EXPECT_NEAR(shadeDiagonal(R"("smooth": true, "smooth_eq": 1)", R"(, "smoothing_groups": [1, 2])"),
                1.0f, 1e-4f);
    EXPECT_LT(shadeDiagonal(R"("smooth": true, "smooth_eq": 1)",
                            R"(, "smoothing_groups": [1, [1, 2]])"),
              0.5f);
    // One-based material IDs: 1 and 2 are the square's two faces.
    EXPECT_NEAR(shadeDiagonal(R"("matid": true, "matid_eq": 0, "matId_range": true,
                                 "MatId1": 1, "MatId2": 2)",
                              R"(, "material_ids": [1, 2])"),
                1.0f, 1e-4f);
    EXPECT_NE(ErrorOf(R"({"materials": [{"name": "m", "diffuse_map": {"type": "GradientEdge",
                  "parameters": {"MatId1": 0}}}], "nodes": []})",
                      &registry)
                  .find("\"MatId1\" is 1 .. 1000, got 0"),
              std::string::npos);
}

// A node's material, its map and the map's markers come back from a saved
// scene and shade the same.
TEST_F(JsonModifiersWithPlugin, MaterialsAndMapsSurviveASavedScene) {
    const std::string text = R"({"materials": [{"name": "m", "diffuse": "#336699",
        "bump_amount": 0.25, "diffuse_map": {"type": "GradientEdge",
          "parameters": {"Distance": 1.5, "open edges": true, "c_mult": 3},
          "markers": [{"position": 0, "color": "#ff0000"},
                      {"position": 0.4, "color": "#0000ff", "out": "solid"},
                      {"position": 1, "color": "#00ff00"}]}}],
      "nodes": [{"name": "s", "material": "m", "object": {"type": "mesh",
        "vertices": [[0,0,0],[4,0,0],[4,4,0],[0,4,0]], "faces": [[0,1,2],[0,2,3]]}}]})";
    contorra::JsonScene js = contorra::ParseJsonScene(text, "scene.json");
    Scene original;
    contorra::AddJsonScene(js, original, registry);
    contorra::SceneMaterials materials = contorra::AddJsonMaterials(js, original, registry);
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(SaveSceneBytes(original, bytes, error)) << error;
    Scene loaded;
    ASSERT_TRUE(LoadSceneBytes(loaded, registry, bytes, "saved", error)) << error;

    auto* before = static_cast<StdMat*>(original.FindByName("s")->GetMtl());
    auto* after = dynamic_cast<StdMat*>(loaded.FindByName("s")->GetMtl());
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->GetDiffuse(), before->GetDiffuse());
    EXPECT_EQ(after->GetBumpAmount(), 0.25f);
    Texmap* mapBefore = before->DiffuseMap();
    Texmap* mapAfter = after->DiffuseMap();
    ASSERT_NE(mapAfter, nullptr);
    EXPECT_EQ(mapAfter->ClassID(), mapBefore->ClassID());
    EXPECT_EQ(mapAfter->NumSubTexmaps(), 6);
    for (Texmap* m : {mapBefore, mapAfter}) {
        Interval valid = FOREVER;
        m->Update(0, valid);
    }
    NodeTable nodes;
    INode* node = nodes.Add(std::get<contorra::JsonMesh>(js.nodes[0].object).mesh);
    int differ = 0;
    for (float x = 0.05f; x < 2.0f; x += 0.1f) {
        PointShade sc(node, Point3(x, 1.7f, 0.0f));
        const AColor a = mapBefore->EvalColor(sc), b = mapAfter->EvalColor(sc);
        EXPECT_EQ(a.r, b.r) << x;
        EXPECT_EQ(a.g, b.g) << x;
        EXPECT_EQ(a.b, b.b) << x;
        differ += a.r != a.b;
    }
    EXPECT_GT(differ, 5); // the ramp is not one colour
}
