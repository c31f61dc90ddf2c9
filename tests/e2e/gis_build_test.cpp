// contorra build over GIS files: contours straight from a vector file, height
// grids out, and sites far from zero built as exactly as the same site at zero.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

#include <gdal_priv.h>

#include "host/app/plugin_loader.h"
#include "host/app/scene.h"
#include "host/app/scene_file.h"
#include "host/app/terrain_build.h"
#include "host/sdk/inode.h"
#include "tests/e2e/run_command.h"

namespace fs = std::filesystem;
using namespace contorra;

namespace {

RunResult Contorra(const std::vector<std::string>& args) {
    std::string cmd = Quote(CONTORRA_BINARY);
    for (const auto& a : args) cmd += ' ' + Quote(a);
    return RunShell(cmd);
}

class GisBuild : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("contorra_e2e_gis_" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

// A hill of four square contours (half sides 10 .. 40, heights 40 .. 10)
// centred on (cx, cy), as "[x, y, z]" point lists.
std::vector<std::string> Hill(double cx, double cy) {
    std::vector<std::string> rings;
    for (int k = 1; k <= 4; ++k) {
        const double h = 10.0 * k, z = 50.0 - 10.0 * k;
        std::string r;
        for (auto [sx, sy] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "%s[%.3f, %.3f, %.1f]", r.empty() ? "" : ", ",
                          cx + sx * h, cy + sy * h, z);
            r += buf;
        }
        rings.push_back(r);
    }
    return rings;
}

fs::path WriteGeoJson(const fs::path& dir, double cx, double cy) {
    std::string text = R"({"type": "FeatureCollection", "name": "contours", "crs": {"type": "name",
        "properties": {"name": "urn:ogc:def:crs:EPSG::32633"}}, "features": [)";
    const auto rings = Hill(cx, cy);
    for (std::size_t i = 0; i < rings.size(); ++i) {
        std::string r = rings[i];
        r = r.substr(0, r.find(']') + 1); // the first point closes the ring
        text += (i ? "," : "") + std::string(R"({"type": "Feature", "properties": {"elev": )") +
                std::to_string(50 - 10 * (static_cast<int>(i) + 1)) +
                R"(}, "geometry": {"type": "Polygon", "coordinates": [[)" + rings[i] + ", " + r +
                "]]}}";
    }
    const fs::path p = dir / "hill.geojson";
    std::ofstream(p) << text << "]}";
    return p;
}

fs::path WriteScene(const fs::path& dir, const std::string& name, double cx, double cy,
                    int levels) {
    std::string lines;
    for (const std::string& r : Hill(cx, cy))
        lines += (lines.empty() ? "" : ", ") + std::string(R"({"points": [)") + r +
                 R"(], "closed": true})";
    const fs::path p = dir / name;
    std::ofstream(p) << R"({"nodes": [{"name": "Hill", "object": {"type": "spline", "lines": [)"
                     << lines << R"(]}}, {"name": "Terrain", "object": {"type": "terrain",
        "parameters": {"Interations": )"
                     << levels << R"(}, "splines": ["Hill"]}}]})";
    return p;
}

ClassRegistry& Registry() {
    static ClassRegistry registry;
    static const bool loaded = [] {
        std::string error;
        const fs::path dlo = fs::path(CONTORRA_BINARY).parent_path() / "contorra.dlo";
        return registry.LoadModule(dlo.string(), error) != nullptr;
    }();
    EXPECT_TRUE(loaded);
    return registry;
}

TEST_F(GisBuild, ContoursStraightFromAFileGiveAMeshAndAGeoreferencedHeightGrid) {
    const fs::path in = WriteGeoJson(dir_, 500000, 5000000);
    const fs::path dem = dir_ / "site.tif";
    const RunResult r =
        Contorra({"build", "--contours", in.string(), "--elevation", "elev", "-o",
                  (dir_ / "site.obj").string(), "--dem", dem.string(), "--cell", "1", "--quiet"});
    ASSERT_EQ(r.code, 0) << r.err;
    GDALAllRegister();
    GDALDatasetUniquePtr ds(GDALDataset::Open(dem.string().c_str(), GDAL_OF_RASTER));
    ASSERT_TRUE(ds);
    ASSERT_TRUE(ds->GetSpatialRef());
    EXPECT_STREQ(ds->GetSpatialRef()->GetAuthorityCode(nullptr), "32633");
    double gt[6];
    ds->GetGeoTransform(gt);
    // The grid spans the built terrain, a little beyond the outer contour.
    EXPECT_LT(gt[0], 500000 - 40);
    EXPECT_GT(gt[0], 500000 - 60);
    EXPECT_GT(gt[3], 5000000 + 40);
    EXPECT_DOUBLE_EQ(gt[1], 1.0);
    GDALRasterBand* band = ds->GetRasterBand(1);
    const int w = band->GetXSize(), h = band->GetYSize();
    std::vector<double> v(static_cast<std::size_t>(w) * h);
    ASSERT_EQ(band->RasterIO(GF_Read, 0, 0, w, h, v.data(), w, h, GDT_Float64, 0, 0), CE_None);
    // The top of the hill near its centre, the foot on the outer contour.
    auto at = [&](double x, double y) {
        const int c = static_cast<int>((x - gt[0]) / gt[1]),
                  row = static_cast<int>((gt[3] - y) / gt[1]);
        return v[static_cast<std::size_t>(row) * w + c];
    };
    // The top of the hill rounds a little above its highest contour.
    EXPECT_GT(at(500000, 5000000), 39.0);
    EXPECT_LT(at(500000, 5000000), 48.0);
    EXPECT_NEAR(at(500000 + 40, 5000000), 10.0, 2.0); // on the contours
    EXPECT_NEAR(at(500000 + 10, 5000000 - 5), 40.0, 2.0);
    EXPECT_NEAR(at(500000 + 25, 5000000 - 25), 25.0, 3.0);
}

TEST_F(GisBuild, BadRequestsAreRefusedBeforeAnyOutput) {
    const fs::path in = WriteGeoJson(dir_, 0, 0);
    const fs::path out = dir_ / "out.obj";
    RunResult r = Contorra({"build", "--contours", in.string(), "-o", out.string(), "--dem",
                            (dir_ / "x.nothing").string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("x.nothing: unknown height grid format"), std::string::npos) << r.err;
    r = Contorra({"build", "--contours", in.string(), "--elevation", "height", "-o", out.string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("hill.geojson: layer \"contours\": no attribute \"height\""),
              std::string::npos)
        << r.err;
    r = Contorra({"build", "--contours", in.string(), "--layer", "roads", "-o", out.string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("no layer \"roads\" (the file has \"contours\")"), std::string::npos)
        << r.err;
    r = Contorra(
        {"build", (dir_ / "a.json").string(), "--contours", in.string(), "-o", out.string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(dir_ / "x.nothing"));
}

// GDAL is opened only for GIS work: a copy of the program without its GIS
// module beside it still builds a JSON scene, and refuses a GIS input with a
// message naming the missing module, leaving no output.
TEST_F(GisBuild, OnlyGisWorkNeedsTheGisModule) {
    const fs::path bin = dir_ / "bin";
    fs::create_directories(bin);
    fs::copy_file(CONTORRA_BINARY, bin / "contorra");
    const std::string program = Quote((bin / "contorra").string()) + " --plugin " +
                                Quote((fs::path(CONTORRA_BINARY).parent_path() / "contorra.dlo").string());
    const fs::path scene = WriteScene(dir_, "hill.json", 0, 0, 4);
    RunResult r = RunShell(program + " -q build " + Quote(scene.string()) + " -o " +
                           Quote((dir_ / "plain.obj").string()));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir_ / "plain.obj"));
    const fs::path out = dir_ / "gis.obj";
    r = RunShell(program + " -q build --contours " + Quote(WriteGeoJson(dir_, 0, 0).string()) +
                 " -o " + Quote(out.string()));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("cannot open the GIS module " + (bin / "contorra_gdal.so").string()),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(GisBuild, FarScenesEndAndWarnWithoutAnOriginAndInfoShowsOne) {
    // A 5 m square at (5e6, 5e6): in float the mesher's steps stop moving.
    const std::string square = R"({"name": "Sq", "object": {"type": "spline", "lines": [{"points":
        [[4999997.5, 4999997.5, 10], [5000002.5, 4999997.5, 10], [5000002.5, 5000002.5, 10],
         [4999997.5, 5000002.5, 10]], "closed": true}]}},
        {"name": "Terrain", "object": {"type": "terrain", "parameters": {"Interations": 8},
         "splines": ["Sq"]}}]})";
    std::ofstream(dir_ / "off.json") << R"({"origin": false, "nodes": [)" << square;
    std::ofstream(dir_ / "on.json") << R"({"nodes": [)" << square;
    RunResult r = Contorra({"build", (dir_ / "off.json").string(), "-q"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("warning: the terrain covers"), std::string::npos) << r.err;
    const fs::path saved = dir_ / "on.cscene";
    r = Contorra({"build", (dir_ / "on.json").string(), "-q", "--save", saved.string()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
    r = Contorra({"info", saved.string()});
    EXPECT_NE(r.out.find("origin: 5000000.000, 5000000.000, 0.000"), std::string::npos) << r.out;
}

// Builds the scene, saves it, and reads back its origin and terrain mesh.
void BuildSaved(const fs::path& scene, const fs::path& saved, SceneOrigin& origin, Mesh& mesh) {
    const RunResult r = Contorra({"build", scene.string(), "--save", saved.string(), "--quiet"});
    ASSERT_EQ(r.code, 0) << r.err;
    Scene back;
    std::string error;
    ASSERT_TRUE(LoadSceneFile(back, Registry(), saved.string(), error)) << error;
    INode* terrain = back.FindByName("Terrain");
    ASSERT_TRUE(terrain);
    ASSERT_TRUE(TerrainMesh(terrain->GetObjectRef(), mesh));
    origin = back.origin;
}

TEST_F(GisBuild, AUtmSiteBuildsTheSameMeshAsTheSameSiteAtZero) {
    for (int levels : {10, 12}) {
        SceneOrigin atZero, atUtm;
        Mesh zero, utm;
        BuildSaved(WriteScene(dir_, "zero.json", 0, 0, levels), dir_ / "zero.cscene", atZero, zero);
        BuildSaved(WriteScene(dir_, "utm.json", 500000, 5000000, levels), dir_ / "utm.cscene",
                   atUtm, utm);
        EXPECT_TRUE(atZero.IsZero());
        EXPECT_EQ(atUtm, (SceneOrigin{500000, 5000000, 0}));
        ASSERT_GT(zero.getNumFaces(), 0);
        ASSERT_EQ(zero.getNumVerts(), utm.getNumVerts()) << "Interations " << levels;
        ASSERT_EQ(zero.getNumFaces(), utm.getNumFaces());
        for (int i = 0; i < zero.getNumVerts(); ++i)
            ASSERT_EQ(zero.verts[i], utm.verts[i]) << "vertex " << i << ", Interations " << levels;
    }
}

} // namespace
