// Materials of JSON scenes: the reader's and builder's errors name the JSON
// path, and a parsed edge-gradient map shades with the marker colours given.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "host/app/json_materials.h"
#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"
#include "host/app/scene.h"
#include "host/sdk/std_material.h"
#include "tests/support/shading_scene.h"

namespace {

using contorra::SceneFileError;

// The real module, beside the test program (both land in the build folder).
std::string ModulePath() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "contorra.dlo")
        .string();
}

// A 4 x 4 square of two triangles per unit cell, then the given materials
// and the node's material; `map` is the diffuse map's JSON.
std::string SceneText(const std::string& map, const std::string& nodeMaterial = "\"m\"") {
    return R"({"materials": [{"name": "m", "diffuse": "#808080", "diffuse_map": )" + map +
           R"(}], "nodes": [{"name": "ground", "material": )" + nodeMaterial +
           R"(, "object": {"type": "mesh", "vertices": [[0,0,0],[4,0,0],[4,4,0],[0,4,0]],
               "faces": [[0,1,2],[0,2,3]]}}]})";
}

const std::string kGoodMap = R"({"type": "GradientEdge",
    "parameters": {"Distance": 1, "open edges": true},
    "markers": [{"position": 0, "color": "#ff0000"},
                {"position": 0.5, "color": [0, 128, 255], "in": "linear", "out": "solid"},
                {"position": 1, "color": "#00ff00"}]})";

struct BadCase {
    std::string text, path, problem;
};

std::string ErrorPath(const std::string& text, ClassRegistry* registry) {
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

TEST(JsonMaterials, ReaderErrorsNameThePath) {
    const std::string marker = R"({"position": 0, "color": "#000000"})";
    const BadCase cases[] = {
        {R"({"materials": {}, "nodes": []})", "/materials", "list"},
        {R"({"materials": [{"diffuse": "#000000"}], "nodes": []})", "/materials/0", "\"name\""},
        {R"({"materials": [{"name": "m", "shine": 1}], "nodes": []})", "/materials/0/shine",
         "unknown key"},
        {R"({"materials": [{"name": "m", "diffuse": [1, 2]}], "nodes": []})",
         "/materials/0/diffuse", "colour"},
        {SceneText(R"({"type": "Checker"})"), "/materials/0/diffuse_map/type", "GradientEdge"},
        {SceneText(R"({"type": "GradientEdge", "markers": [)" + marker + "]}"),
         "/materials/0/diffuse_map/markers", "at least 2"},
        {SceneText(R"({"type": "GradientEdge", "markers": [)" + marker +
                   R"(, {"position": 1.5}]})"),
         "/materials/0/diffuse_map/markers/1/position", "0 .. 1"},
        {SceneText(
             R"({"type": "GradientEdge", "markers": [{"position": 0.5}, {"position": 0.2}]})"),
         "/materials/0/diffuse_map/markers/1/position", "increasing"},
        {SceneText(R"({"type": "GradientEdge", "markers": [)" + marker +
                   R"(, {"position": 1, "out": "cubic"}]})"),
         "/materials/0/diffuse_map/markers/1/out", "unknown curve type"},
        {SceneText(R"({"type": "GradientEdge", "markers": [)" + marker +
                   R"(, {"position": 1, "color": [0, 300, 0]}]})"),
         "/materials/0/diffuse_map/markers/1/color/1", "0 .. 255"},
        {SceneText(kGoodMap, "\"rock\""), "/nodes/0/material", "unknown material \"rock\""},
    };
    for (const BadCase& c : cases) {
        const std::string got = ErrorPath(c.text, nullptr);
        EXPECT_EQ(got.rfind(c.path + ": ", 0), 0u) << c.text << "\n -> " << got;
        EXPECT_NE(got.find(c.problem), std::string::npos) << c.text << "\n -> " << got;
    }
}

class JsonMaterialsWithPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_NE(registry.LoadModule(ModulePath(), error), nullptr) << error;
    }
    ClassRegistry registry;
};

TEST_F(JsonMaterialsWithPlugin, MapParameterErrorsNameThePath) {
    const std::string at = "/materials/0/diffuse_map/parameters/";
    const BadCase cases[] = {
        {SceneText(R"({"type": "GradientEdge", "parameters": {"Distence": 1}})"), at + "Distence",
         "no parameter \"Distence\""},
        {SceneText(R"({"type": "GradientEdge", "parameters": {"Distance": -1}})"), at + "Distance",
         "got -1"},
        {SceneText(R"({"type": "GradientEdge", "parameters": {"Distance": "far"}})"),
         at + "Distance", "expected a number"},
        {SceneText(R"({"type": "GradientEdge", "parameters": {"matid": 2}})"), at + "matid",
         "true or false"},
        {SceneText(R"({"type": "GradientEdge", "parameters": {"conditions": 0.5}})"),
         at + "conditions", "whole number"},
        {SceneText(R"({"type": "GradientEdge", "parameters": {"marker_map": 1}})"),
         at + "marker_map", "cannot be set"},
    };
    for (const BadCase& c : cases) {
        const std::string got = ErrorPath(c.text, &registry);
        EXPECT_EQ(got.rfind(c.path + ": ", 0), 0u) << c.text << "\n -> " << got;
        EXPECT_NE(got.find(c.problem), std::string::npos) << c.text << "\n -> " << got;
    }
}

TEST_F(JsonMaterialsWithPlugin, ParsedMapShadesWithTheGivenMarkerColours) {
    contorra::JsonScene js = contorra::ParseJsonScene(SceneText(kGoodMap), "scene.json");
    Scene scene;
    contorra::AddJsonScene(js, scene, registry);
    contorra::SceneMaterials materials = contorra::AddJsonMaterials(js, scene, registry);

    auto* mtl = dynamic_cast<StdMat*>(materials.Find("m"));
    ASSERT_NE(mtl, nullptr);
    EXPECT_EQ(scene.FindByName("ground")->GetMtl(), mtl);
    EXPECT_NEAR(mtl->GetDiffuse().r, 128.0f / 255.0f, 1e-6f);
    Texmap* map = mtl->DiffuseMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->NumSubTexmaps(), 6); // two per marker: the three given replaced the default
    Interval valid = FOREVER;
    mtl->Update(0, valid);

    // The shading context looks the node up by handle; the mesh is the one
    // given above (a 4 x 4 square whose outline is all open edges).
    NodeTable nodes;
    Mesh square;
    square.setNumVerts(4);
    square.setVert(0, Point3(0, 0, 0));
    square.setVert(1, Point3(4, 0, 0));
    square.setVert(2, Point3(4, 4, 0));
    square.setVert(3, Point3(0, 4, 0));
    square.setNumFaces(2);
    square.faces[0].setVerts(0, 1, 2);
    square.faces[1].setVerts(0, 2, 3);
    for (Face& f : square.faces) f.setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
    INode* node = nodes.Add(square);

    struct Sample {
        Point3 p;
        AColor expect;
    };
    // Distance 1 from the open border: on it the first marker, half way the
    // second, one unit in and beyond the last.
    const Sample samples[] = {
        {{0.0f, 2.0f, 0.0f}, {1.0f, 0.0f, 0.0f, 1.0f}},
        {{2.0f, 3.5f, 0.0f}, {0.0f, 128.0f / 255.0f, 1.0f, 1.0f}},
        {{2.0f, 2.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 1.0f}},
        {{3.0f, 1.5f, 0.0f}, {0.0f, 1.0f, 0.0f, 1.0f}},
    };
    for (const Sample& s : samples) {
        PointShade sc(node, s.p);
        AColor c = map->EvalColor(sc);
        EXPECT_NEAR(c.r, s.expect.r, 1e-4f) << s.p.x << ", " << s.p.y;
        EXPECT_NEAR(c.g, s.expect.g, 1e-4f) << s.p.x << ", " << s.p.y;
        EXPECT_NEAR(c.b, s.expect.b, 1e-4f) << s.p.x << ", " << s.p.y;
        EXPECT_NEAR(c.a, s.expect.a, 1e-4f) << s.p.x << ", " << s.p.y;
    }
}

} // namespace
