// GIS vector files in: lines, polygons and heights, the errors that name the
// file, layer and feature, and the scene origin they are placed against.
#include "host/app/gis_input.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace contorra;

namespace {

class GisFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("contorra_gis_" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A GeoJSON file of the features (each "{geometry}, {properties}") in a
    // projected system (UTM zone 33 north).
    fs::path Write(const std::string& name, const std::vector<std::string>& features) {
        std::string text = R"({"type": "FeatureCollection", "name": "lines", "crs": {"type": "name",
            "properties": {"name": "urn:ogc:def:crs:EPSG::32633"}}, "features": [)";
        for (std::size_t i = 0; i < features.size(); ++i)
            text += (i ? "," : "") + std::string(R"({"type": "Feature", )") + features[i] + "}";
        text += "]}";
        const fs::path p = dir_ / name;
        std::ofstream(p) << text;
        return p;
    }

    std::string ErrorOf(const GisSource& s, bool needHeights = true) {
        try {
            ReadGisLayer(s, needHeights);
        } catch (const GisError& e) {
            return e.what();
        }
        return "no error";
    }

    fs::path dir_;
};

const std::string kLine =
    R"("properties": {"elev": 10, "name": "a"}, "geometry": {"type": "LineString",
       "coordinates": [[500000.5, 5000000.25], [500010, 5000000], [500010, 5000010]]})";
const std::string kMulti =
    R"("properties": {"elev": "20.5", "name": "b"}, "geometry": {"type": "MultiLineString",
       "coordinates": [[[500000, 5000020], [500010, 5000020]], [[500000, 5000030], [500005, 5000030]]]})";
const std::string kRing =
    R"("properties": {"elev": 30, "name": "c"}, "geometry": {"type": "Polygon",
       "coordinates": [[[500002, 5000002], [500008, 5000002], [500008, 5000008], [500002, 5000002]]]})";

TEST_F(GisFiles, LinesMultiLinesAndRingsCarryTheirAttributeHeights) {
    const GisLayer layer =
        ReadGisLayer({Write("c.geojson", {kLine, kMulti, kRing}), "", "elev"}, true);
    ASSERT_EQ(layer.lines.size(), 4u);
    EXPECT_EQ(layer.lines[0].points.size(), 3u);
    EXPECT_FALSE(layer.lines[0].closed);
    EXPECT_DOUBLE_EQ(layer.lines[0].points[0][0], 500000.5); // kept in double
    EXPECT_DOUBLE_EQ(layer.lines[0].points[0][1], 5000000.25);
    EXPECT_DOUBLE_EQ(layer.lines[0].points[2][2], 10.0);
    EXPECT_DOUBLE_EQ(layer.lines[1].points[0][2], 20.5); // a numeric string
    EXPECT_DOUBLE_EQ(layer.lines[2].points[1][2], 20.5);
    EXPECT_TRUE(layer.lines[3].closed);
    EXPECT_EQ(layer.lines[3].points.size(), 3u); // the repeated first point is dropped
    EXPECT_NE(layer.crsWkt.find("32633"), std::string::npos);
}

TEST_F(GisFiles, HeightsComeFromTheGeometryWhenNoAttributeIsNamed) {
    const fs::path p = Write("z.geojson", {R"("properties": {}, "geometry": {"type": "LineString",
        "coordinates": [[0, 0, 5], [10, 0, 7]]})"});
    const GisLayer layer = ReadGisLayer({p, "", ""}, true);
    ASSERT_EQ(layer.lines.size(), 1u);
    EXPECT_DOUBLE_EQ(layer.lines[0].points[1][2], 7.0);
}

TEST_F(GisFiles, BadInputNamesFileLayerFeatureAndProblem) {
    const fs::path p = Write("bad.geojson", {kLine, R"("properties": {"elev": "high"},
        "geometry": {"type": "LineString", "coordinates": [[0, 0], [1, 1]]})"});
    std::string e = ErrorOf({p, "", "height"});
    EXPECT_NE(e.find("bad.geojson"), std::string::npos) << e;
    EXPECT_NE(e.find("no attribute \"height\""), std::string::npos) << e;
    EXPECT_NE(e.find("\"elev\""), std::string::npos) << e; // lists what there is

    e = ErrorOf({p, "", "elev"});
    EXPECT_NE(e.find("layer \"lines\": feature 1: "), std::string::npos) << e;
    EXPECT_NE(e.find("not a number (\"high\")"), std::string::npos) << e;

    e = ErrorOf({p, "", ""}); // 2D lines and no attribute
    EXPECT_NE(e.find("feature 0: the geometry is 2D"), std::string::npos) << e;
    EXPECT_EQ(ErrorOf({p, "", ""}, false), "no error"); // outlines need no heights

    e = ErrorOf({p, "roads", "elev"});
    EXPECT_NE(e.find("no layer \"roads\" (the file has \"lines\")"), std::string::npos) << e;

    std::ofstream(dir_ / "junk.gpkg") << "not a geopackage";
    e = ErrorOf({dir_ / "junk.gpkg", "", ""});
    EXPECT_NE(e.find("junk.gpkg: cannot read the file"), std::string::npos) << e;
    e = ErrorOf({dir_ / "missing.gpkg", "", ""});
    EXPECT_NE(e.find("missing.gpkg: cannot read the file"), std::string::npos) << e;
}

TEST_F(GisFiles, FilledPolygonsBecomeFacesAtTheirHeight) {
    const std::string square = R"("properties": {"elev": 12}, "geometry": {"type": "Polygon",
        "coordinates": [[[0, 0], [10, 0], [10, 10], [4, 5], [0, 10], [0, 0]]]})";
    const GisLayer layer = ReadGisLayer({Write("pad.geojson", {square}), "", "elev"}, true);
    const JsonMesh m = GisFaces(layer, SceneOrigin{}, "pad");
    ASSERT_EQ(m.mesh.getNumFaces(), 3); // five corners, one of them reflex
    double area = 0;
    for (const Face& f : m.mesh.faces) {
        const Point3 &a = m.mesh.verts[f.v[0]], &b = m.mesh.verts[f.v[1]],
                     &c = m.mesh.verts[f.v[2]];
        const double cross = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        EXPECT_GT(cross, 0); // counter-clockwise: facing up
        area += cross / 2;
    }
    EXPECT_DOUBLE_EQ(area, 100.0 - 0.5 * 10 * 5); // the notch is left out
    for (const Point3& v : m.mesh.verts) EXPECT_EQ(v.z, 12.0f);
}

TEST_F(GisFiles, ASceneOfUtmContoursIsPlacedAroundItsRoundedCentre) {
    Write("c.geojson", {kLine, kRing});
    const std::string text = R"({"nodes": [
        {"name": "C", "object": {"type": "contours", "file": "c.geojson", "elevation": "elev"}},
        {"name": "Pad", "transform": {"position": [500005, 5000005, 0]},
         "object": {"type": "spline", "lines": [{"points": [[-1, -1], [1, 1]]}]}},
        {"name": "T", "object": {"type": "terrain", "splines": ["C"]}}]})";
    const JsonScene scene = ParseJsonScene(text, dir_ / "site.json");
    EXPECT_EQ(scene.origin, (SceneOrigin{500005.0, 5000005.0, 0.0})); // centre of the extent
    EXPECT_NE(scene.crsWkt.find("32633"), std::string::npos);
    const auto& c = std::get<JsonSpline>(scene.nodes[0].object);
    EXPECT_EQ(c.lines[0].points[0], Point3(-4.5f, -4.75f, 10.0f)); // exact, not float-rounded
    // A node placed by its position keeps its points and moves its position.
    EXPECT_EQ(scene.nodes[1].transform.GetTrans(), Point3(0, 0, 0));
    EXPECT_EQ(std::get<JsonSpline>(scene.nodes[1].object).lines[0].points[1], Point3(1, 1, 0));
}

TEST_F(GisFiles, GisObjectErrorsPointIntoTheScene) {
    Write("c.geojson", {kLine});
    auto error = [&](const std::string& object) {
        try {
            ParseJsonScene(R"({"nodes": [{"name": "C", "object": )" + object + "}]}",
                           dir_ / "s.json");
        } catch (const SceneFileError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    std::string e = error(R"({"type": "contours", "file": "c.geojson", "elevation": "z"})");
    EXPECT_NE(e.find("s.json: /nodes/0/object: "), std::string::npos) << e;
    EXPECT_NE(e.find("c.geojson: layer \"lines\": no attribute \"z\""), std::string::npos) << e;
    e = error(R"({"type": "contours", "file": "c.geojson", "fill": true})");
    EXPECT_NE(e.find("/nodes/0/object/fill: unknown key"), std::string::npos) << e;
    e = error(R"({"type": "shape"})");
    EXPECT_NE(e.find("missing \"file\""), std::string::npos) << e;
}

} // namespace
