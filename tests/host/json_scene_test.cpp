#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/app/json_scene.h"

using namespace contorra;

namespace {

JsonScene Parse(const std::string& text) {
    return ParseJsonScene(text, "/data/hill.json");
}

void ExpectNear(const Point3& a, const Point3& b) {
    EXPECT_NEAR(a.x, b.x, 1e-4f);
    EXPECT_NEAR(a.y, b.y, 1e-4f);
    EXPECT_NEAR(a.z, b.z, 1e-4f);
}

} // namespace

TEST(JsonScene, ReadsNodesObjectsAndTerrainLists) {
    const JsonScene s = Parse(R"({
      "description": "test",
      "nodes": [
        {"name": "child", "parent": "group",
         "object": {"type": "spline", "lines": [
            {"points": [[0, 0, 5], [10, 0, 5], [10, 10]], "closed": true},
            {"points": [[1, 2, 3], [4, 5, 6]]}]}},
        {"name": "group", "wire_color": "#FF8000",
         "transform": {"position": [10, 0, 0], "rotation": [0, 0, 90], "scale": [2, 2, 2]}},
        {"name": "pad", "wire_color": [1, 2, 3],
         "transform": {"matrix": [[1, 0, 0], [0, 1, 0], [0, 0, 1], [5, 6, 7]]},
         "object": {"type": "mesh", "vertices": [[0, 0, 0], [1, 0, 0], [0, 1, 0]],
                    "faces": [[0, 1, 2]], "material_ids": [7]}},
        {"name": "block", "object": {"type": "box", "width": 4, "height": 2.5}},
        {"name": "land", "object": {"type": "terrain",
           "parameters": {"Interations": 6, "Dummy_Size": 12.5},
           "splines": ["child"],
           "platforms": [{"node": "pad", "Slope_Up": 30, "Platform_ID": 5}],
           "inserts": ["block"], "uvw_zones": []}}
      ]})");
    ASSERT_EQ(s.nodes.size(), 5u);
    // Parents come before their children; otherwise file order.
    EXPECT_EQ(s.nodes[0].name, "group");
    EXPECT_EQ(s.nodes[1].name, "pad");
    EXPECT_EQ(s.nodes[4].name, "child");
    EXPECT_EQ(s.nodes[4].parent, "group");

    // Scale 2, a quarter turn about z, then the move: (1, 0, 0) -> (10, 2, 0).
    ExpectNear(Point3(1.0f, 0.0f, 0.0f) * s.nodes[0].transform, Point3(10.0f, 2.0f, 0.0f));
    EXPECT_EQ(s.nodes[0].wireColor, 0x000080FFu);
    EXPECT_EQ(s.nodes[1].wireColor, 0x00030201u);
    ExpectNear(s.nodes[1].transform.GetTrans(), Point3(5.0f, 6.0f, 7.0f));

    const auto& spline = std::get<JsonSpline>(s.nodes[4].object);
    ASSERT_EQ(spline.lines.size(), 2u);
    EXPECT_TRUE(spline.lines[0].closed);
    EXPECT_FALSE(spline.lines[1].closed);
    ExpectNear(spline.lines[0].points[2], Point3(10.0f, 10.0f, 0.0f)); // z may be left out

    const auto& mesh = std::get<JsonMesh>(s.nodes[1].object).mesh;
    EXPECT_EQ(mesh.getNumFaces(), 1);
    EXPECT_EQ(mesh.faces[0].getMatID(), 6); // stored zero-based

    const auto& box = std::get<JsonBox>(s.nodes[2].object);
    EXPECT_EQ(box.width, 4.0f);
    EXPECT_EQ(box.length, 1.0f);
    EXPECT_EQ(box.height, 2.5f);

    const auto& t = std::get<JsonTerrain>(s.nodes[3].object);
    ASSERT_EQ(t.parameters.size(), 2u);
    EXPECT_EQ(t.lists[kSplines].size(), 1u);
    EXPECT_EQ(t.lists[kSplines][0].node, "child");
    ASSERT_EQ(t.lists[kPlatforms].size(), 1u);
    EXPECT_EQ(t.lists[kPlatforms][0].values.size(), 2u);
    EXPECT_EQ(t.lists[kPlatforms][0].values[0].path, "/nodes/4/object/platforms/0/Slope_Up");
    EXPECT_EQ(t.lists[kInserts][0].node, "block");
    EXPECT_TRUE(t.lists[kUvwZones].empty());
}

namespace {

struct ErrorCase {
    std::string text, path, words; // an empty path: the text must parse
};

const std::string kNode = R"({"nodes": [{"name": "a", "object": )";
const std::string kTerrain =
    R"({"nodes": [{"name": "c"}, {"name": "t", "object": {"type": "terrain", )";

void ExpectErrors(const std::vector<ErrorCase>& cases) {
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.path.empty()) {
            EXPECT_NO_THROW(Parse(c.text));
            continue;
        }
        try {
            Parse(c.text);
            ADD_FAILURE() << "no error";
        } catch (const SceneFileError& e) {
            EXPECT_EQ(e.path, c.path);
            EXPECT_NE(e.problem.find(c.words), std::string::npos) << e.problem;
            EXPECT_EQ(std::string(e.what()).rfind("/data/hill.json: " + c.path + ": ", 0), 0u)
                << e.what();
        }
    }
}

} // namespace

TEST(JsonScene, NodeErrorsNameTheFileAndTheJsonPath) {
    ExpectErrors({
        {R"({"nodes": [], "extra": 1})", "/extra", "unknown key \"extra\""},
        {R"({"nodes": {}})", "/nodes", "expected a list"},
        {R"({"nodes": [{"name": 3}]})", "/nodes/0/name", "expected a string"},
        {R"({"nodes": [{"name": "a"}, {"name": "a"}]})", "/nodes/1/name",
         "already used by /nodes/0"},
        {R"({"nodes": [{"name": "a", "parent": "b"}]})", "/nodes/0/parent", "unknown node \"b\""},
        {R"({"nodes": [{"name": "a", "parent": "b"}, {"name": "b", "parent": "a"}]})",
         "/nodes/0/parent", "loop"},
        {R"({"nodes": [{"name": "a", "transform": {"position": [1e999, 0, 0]}}]})",
         "/nodes/0/transform/position/0", "not finite"},
        {R"({"nodes": [{"name": "a", "transform": {"position": [0, 0, 0], "matrix": []}}]})",
         "/nodes/0/transform/matrix", "either"},
        {R"({"nodes": [{"name": "a", "wire_color": "red"}]})", "/nodes/0/wire_color", "#RRGGBB"},
        {R"({"nodes": [{"name": "a", "wire_color": [0, 256, 0]}]})", "/nodes/0/wire_color/1",
         "0 .. 255"},
    });
}

TEST(JsonScene, ObjectErrorsNameTheFileAndTheJsonPath) {
    const std::string pts = kNode + R"({"type": "spline", "lines": [{"points": )";
    const std::string tri = kNode + R"({"type": "mesh", "vertices": [[0,0,0],[1,0,0],[0,1,0]], )";
    ExpectErrors({
        {kNode + R"({"type": "sphere"}}]})", "/nodes/0/object/type", "unknown object type"},
        {pts + R"([[0, 0], [1]]}]}}]})", "/nodes/0/object/lines/0/points/1", "2 or 3 numbers"},
        {pts + R"([[0, 0], [1, 1, "2"]]}]}}]})", "/nodes/0/object/lines/0/points/1/2",
         "expected a number, got a string"},
        {pts + R"([[0, 0], [1, 1]], "colour": 1}]}}]})", "/nodes/0/object/lines/0/colour",
         "unknown key"},
        {pts + R"([[0, 0]]}]}}]})", "/nodes/0/object/lines/0/points", "at least 2 points"},
        {tri + R"("faces": [[0, 1, 3]]}}]})", "/nodes/0/object/faces/0/2", "not in 0 .. 2"},
        {tri + R"("faces": [[0, 1, 2]], "material_ids": [1.5]}}]})",
         "/nodes/0/object/material_ids/0", "whole number"},
        {tri + R"("faces": [[0, 1, 2]], "material_ids": []}}]})", "/nodes/0/object/material_ids",
         "one material ID per face"},
        {kNode + R"({"type": "mesh", "file": "nope.obj"}}]})", "/nodes/0/object/file", "nope.obj"},
        {kNode + R"({"type": "box", "width": true}}]})", "/nodes/0/object/width",
         "expected a number"},
    });
}

TEST(JsonScene, TerrainListErrorsNameTheEntry) {
    ExpectErrors({
        {kTerrain + R"("splines": ["c", "d"]}}]})", "/nodes/1/object/splines/1",
         "unknown node \"d\""},
        {kTerrain + R"("platforms": [{"node": "e"}]}}]})", "/nodes/1/object/platforms/0/node",
         "unknown node \"e\""},
        {kTerrain + R"("platforms": [{"node": "c", "Insert_ID": 2}]}}]})",
         "/nodes/1/object/platforms/0/Insert_ID", "unknown key"},
        {kTerrain + R"("inserts": [{"node": "c", "Insert_type": "hole"}]}}]})",
         "/nodes/1/object/inserts/0/Insert_type", "expected a number"},
        {kTerrain + R"("roads": []}}]})", "/nodes/1/object/roads", "unknown key"},
        {kTerrain + R"("parameters": {"Interations": null}}}]})", "", ""}, // checked by the builder
    });
    std::string many = kTerrain + R"("splines": [)";
    for (int i = 0; i < 201; ++i) many += std::string(i ? "," : "") + "\"c\"";
    try {
        Parse(many + "]}}]}");
        ADD_FAILURE() << "no error";
    } catch (const SceneFileError& e) {
        EXPECT_EQ(e.path, "/nodes/1/object/splines");
    }
}

TEST(JsonScene, SyntaxErrorsSayWhereAndMissingFilesAreRefused) {
    try {
        Parse("{\"nodes\": [\n  {\"name\": \"a\",}\n]}");
        ADD_FAILURE() << "no error";
    } catch (const SceneFileError& e) {
        EXPECT_NE(e.problem.find("line 2"), std::string::npos) << e.problem;
    }
    EXPECT_THROW(ReadJsonScene("/nonexistent/scene.json"), SceneFileError);
}

// A chain listed children first, and a loop behind a long tail: each node's
// depth is found once, and parents still come before their children.
TEST(JsonScene, LongParentChainsSortAndLoopsAreFound) {
    const int count = 20000;
    std::string nodes;
    for (int i = count - 1; i >= 0; --i)
        nodes += "{\"name\": \"n" + std::to_string(i) + "\"" +
                 (i ? ", \"parent\": \"n" + std::to_string(i - 1) + "\"" : std::string()) + "}" +
                 (i ? ", " : "");
    const JsonScene s = Parse("{\"nodes\": [" + nodes + "]}");
    ASSERT_EQ(s.nodes.size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) ASSERT_EQ(s.nodes[i].name, "n" + std::to_string(i));

    try {
        Parse(R"({"nodes": [{"name": "t0", "parent": "t1"}, {"name": "t1", "parent": "a"},
                            {"name": "a", "parent": "b"}, {"name": "b", "parent": "a"}]})");
        FAIL() << "a loop was accepted";
    } catch (const SceneFileError& e) {
        EXPECT_NE(e.problem.find("form a loop"), std::string::npos) << e.what();
        EXPECT_TRUE(e.path == "/nodes/2/parent" || e.path == "/nodes/3/parent") << e.path;
    }
}
