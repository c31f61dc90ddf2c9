// The scene origin: when a JSON scene gets one, how coordinates move to it,
// how saved scenes keep it; and height grids written in world coordinates.
#include "host/app/scene_origin.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include "host/app/height_grid_export.h"
#include "host/app/json_scene.h"
#include "host/app/scene_file.h"
#include "host/sdk/spline_shape.h"

namespace fs = std::filesystem;
using namespace contorra;

namespace {

JsonScene Parse(const std::string& nodes, const std::string& extra = "") {
    return ParseJsonScene(R"({"nodes": [)" + nodes + "]" + extra + "}", "scene.json");
}

const std::string kSmall = R"({"name": "S", "object": {"type": "spline",
    "lines": [{"points": [[100.25, 20], [99999, -5, 3]]}]}})";
const std::string kFar = R"({"name": "F", "object": {"type": "spline",
    "lines": [{"points": [[500000.25, 5000000.5, 1], [500100, 5000200, 2]]}]}})";

TEST(SceneOrigin, SmallScenesKeepOriginZeroAndTheirNumbers) {
    const JsonScene s = Parse(kSmall);
    EXPECT_TRUE(s.origin.IsZero());
    EXPECT_EQ(std::get<JsonSpline>(s.nodes[0].object).lines[0].points[1], Point3(99999, -5, 3));
}

TEST(SceneOrigin, LargeCoordinatesMoveToTheRoundedCentreInDouble) {
    const JsonScene s = Parse(kFar);
    EXPECT_EQ(s.origin, (SceneOrigin{500050.0, 5000100.0, 0.0}));
    const auto& pts = std::get<JsonSpline>(s.nodes[0].object).lines[0].points;
    EXPECT_EQ(pts[0], Point3(-49.75f, -99.5f, 1.0f)); // float of the far value would be off by 0.25
    EXPECT_EQ(pts[1], Point3(50.0f, 100.0f, 2.0f));
    EXPECT_EQ(s.nodes[0].transform.GetTrans(), Point3(0, 0, 0));
}

TEST(SceneOrigin, RotatedNodesMoveOnlyTheirTranslation) {
    const JsonScene s = Parse(kFar + R"(, {"name": "R", "transform": {"rotation": [0, 0, 90],
        "position": [500000, 5000000, 0]}, "object": {"type": "spline",
        "lines": [{"points": [[0, 0], [10, 0]]}]}})");
    const Matrix3& tm = s.nodes[1].transform;
    EXPECT_EQ(tm.GetTrans(), Point3(-50, -100, 0));
    EXPECT_EQ(std::get<JsonSpline>(s.nodes[1].object).lines[0].points[1], Point3(10, 0, 0));
}

TEST(SceneOrigin, TheSceneMaySwitchItOffOrFixIt) {
    EXPECT_TRUE(Parse(kFar, R"(, "origin": false)").origin.IsZero());
    const JsonScene fixed = Parse(kFar, R"(, "origin": [500000, 5000000, 10])");
    EXPECT_EQ(fixed.origin, (SceneOrigin{500000, 5000000, 10}));
    // World = point + position, relative to the fixed origin.
    EXPECT_EQ(std::get<JsonSpline>(fixed.nodes[0].object).lines[0].points[0] +
                  fixed.nodes[0].transform.GetTrans(),
              Point3(0.25f, 0.5f, -9.0f));
    try {
        Parse(kFar, R"(, "origin": "here")");
        FAIL() << "a malformed origin was taken";
    } catch (const SceneFileError& e) {
        EXPECT_EQ(e.path, "/origin");
    }
}

TEST(SceneOrigin, SavedScenesKeepItAndOlderFilesHaveNone) {
    ClassRegistry registry;
    std::vector<std::uint8_t> withOrigin, without;
    std::string error;
    for (bool set : {true, false}) {
        Scene scene;
        SplineShape* shape = CreateNewSplineShape();
        shape->shape.NewLine().Append(Point3(1, 2, 3));
        scene.CreateNode(shape, "contour");
        if (set) scene.origin = {500000.125, 5000000.5, -2.0};
        ASSERT_TRUE(SaveSceneBytes(scene, set ? withOrigin : without, error)) << error;
    }
    EXPECT_EQ(withOrigin.size(), without.size() + 6 + 24); // one chunk of three doubles
    Scene back, old;
    ASSERT_TRUE(LoadSceneBytes(back, registry, withOrigin, "mem", error)) << error;
    EXPECT_EQ(back.origin, (SceneOrigin{500000.125, 5000000.5, -2.0}));
    ASSERT_TRUE(LoadSceneBytes(old, registry, without, "mem", error)) << error;
    EXPECT_TRUE(old.origin.IsZero());
    EXPECT_EQ(old.NumNodes(), 1);
}

// A single right triangle (0,0) (10,0) (0,10): the far half of its box is
// outside the mesh.
Mesh Triangle() {
    Mesh m;
    m.setNumVerts(3);
    m.setVert(0, Point3(0, 0, 0));
    m.setVert(1, Point3(10, 0, 0));
    m.setVert(2, Point3(0, 10, 0));
    m.setNumFaces(1);
    m.faces[0].setVerts(0, 1, 2);
    return m;
}

TEST(HeightGrid, SampledCellsAreWorldPlacedWithNoDataOutsideTheMesh) {
    HeightGridRequest request;
    request.cell = 1.0;
    request.origin = {500000, 5000000, 100};
    int asked = 0;
    const HeightRaster r = SampleHeightGrid(
        Triangle(),
        [&](std::vector<Point3>& pts) {
            asked += static_cast<int>(pts.size());
            for (Point3& p : pts) p.z = p.x + 2 * p.y;
        },
        request);
    ASSERT_EQ(r.columns, 10);
    ASSERT_EQ(r.rows, 10);
    EXPECT_EQ(r.left, 500000.0);
    EXPECT_EQ(r.top, 5000010.0);
    EXPECT_EQ(asked, 55); // only the cells whose centre lies on the triangle
    EXPECT_EQ(r.heights[9 * 10 + 0], 100 + 0.5 + 2 * 0.5); // bottom-left cell
    EXPECT_EQ(r.heights[0 * 10 + 9], kNoData);             // top-right cell

    // Where the lookup gives nothing (leaves 0), the face's flat height stands in.
    Mesh tilted = Triangle();
    for (Point3& v : tilted.verts) v.z = 3 * v.x;
    const HeightRaster flat = SampleHeightGrid(
        tilted, [](std::vector<Point3>&) {}, request);
    EXPECT_NEAR(flat.heights[9 * 10 + 2], 100 + 3 * 2.5, 1e-9);
}

TEST(HeightGrid, FilesReadBackWithHeightsSystemAndNoData) {
    const fs::path dir = fs::temp_directory_path() / ("contorra_dem_" + std::to_string(getpid()));
    fs::create_directories(dir);
    HeightGridRequest request;
    request.cell = 2.0;
    request.origin = {500000, 5000000, 0};
    const HeightRaster r = SampleHeightGrid(
        Triangle(),
        [](std::vector<Point3>& pts) {
            for (Point3& p : pts) p.z = 3 * p.x;
        },
        request);
    OGRSpatialReference utm;
    utm.importFromEPSG(32633);
    char* wkt = nullptr;
    utm.exportToWkt(&wkt);
    const std::string crs = wkt;
    CPLFree(wkt);
    for (const char* name : {"dem.tif", "dem.asc"}) {
        const fs::path p = dir / name;
        WriteHeightGrid(r, crs, p);
        GDALDatasetUniquePtr ds(GDALDataset::Open(p.string().c_str(), GDAL_OF_RASTER));
        ASSERT_TRUE(ds) << name;
        double gt[6];
        ds->GetGeoTransform(gt);
        EXPECT_DOUBLE_EQ(gt[0], 500000.0) << name;
        EXPECT_DOUBLE_EQ(gt[3], 5000010.0) << name;
        EXPECT_DOUBLE_EQ(gt[1], 2.0) << name;
        ASSERT_TRUE(ds->GetSpatialRef()) << name;
        EXPECT_TRUE(ds->GetSpatialRef()->IsSame(&utm)) << name;
        GDALRasterBand* band = ds->GetRasterBand(1);
        int hasNoData = 0;
        EXPECT_EQ(band->GetNoDataValue(&hasNoData), kNoData);
        EXPECT_TRUE(hasNoData);
        std::vector<double> v(25);
        ASSERT_EQ(band->RasterIO(GF_Read, 0, 0, 5, 5, v.data(), 5, 5, GDT_Float64, 0, 0), CE_None);
        for (std::size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(v[i], r.heights[i], 1e-6) << name;
    }
    EXPECT_EQ(RasterDriverFor(dir / "dem.xyz"), "XYZ");
    EXPECT_EQ(RasterDriverFor(dir / "dem.nothing"), "");
    EXPECT_THROW(WriteHeightGrid(r, crs, dir / "dem.nothing"), std::runtime_error);
    EXPECT_FALSE(fs::exists(dir / "dem.nothing"));
    fs::remove_all(dir);
}

} // namespace
