// contorra view and pick, run as a user would: an unbuilt terrain's
// placeholder, the full site's pad before its terrain, the quad layout, and
// the errors.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/app/png_file.h"
#include "tests/e2e/run_command.h"

namespace fs = std::filesystem;

namespace {

RunResult Contorra(const std::string& args) {
    return RunShell("'" CONTORRA_BINARY "' " + args);
}

class ViewCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("contorra_view_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    fs::path dir;
};

const std::string kFullSite = CONTORRA_SOURCE_DIR "/examples/full_site.json";

// A terrain with no contours yet, its placeholder of half side 50 around the
// origin, and a short spline well inside it. Its box is the placeholder's, so
// a 200x200 top view shows 110 units across: x = 100 + 200 / 110 * X.
const char* kUnbuilt = R"({"nodes": [
  {"name": "Path", "object": {"type": "spline", "lines": [{"points": [[-10, 20, 0], [10, 20, 0]]}]}},
  {"name": "Land", "object": {"type": "terrain", "parameters": {"Dummy_Size": 50}}}
]})";

} // namespace

TEST_F(ViewCommand, AnUnbuiltTerrainIsPickedOnItsPlaceholderAndNotBesideIt) {
    const std::string scene = Path("unbuilt.json");
    std::ofstream(scene) << kUnbuilt;
    auto pick = [&](const std::string& at) {
        return Contorra("--quiet pick '" + scene + "' --view top --size 200x200 --at " + at);
    };
    // The square's left side at X = -50.
    RunResult side = pick("9,100");
    ASSERT_EQ(side.code, 0) << side.err;
    EXPECT_EQ(side.out, "Land\n");
    // On the path, which lies over the placeholder's plane: both, the path
    // (first in the scene) where they are equally close.
    RunResult path = pick("100,64");
    ASSERT_EQ(path.code, 0) << path.err;
    EXPECT_EQ(path.out.substr(0, 5), "Path\n") << path.out;
    RunResult corner = pick("1,198");
    ASSERT_EQ(corner.code, 0) << corner.err;
    EXPECT_EQ(corner.out, "");

    // A placeholder below a tenth is not there to pick: the view now spans the
    // path and the origin lies at pixel (100, 190).
    std::string tiny = kUnbuilt;
    tiny.replace(tiny.find("\"Dummy_Size\": 50"), 16, "\"Dummy_Size\": 0.05");
    std::ofstream(Path("tiny.json")) << tiny;
    RunResult none = Contorra("--quiet pick '" + Path("tiny.json") +
                              "' --view top --size 200x200 --at 100,190");
    ASSERT_EQ(none.code, 0) << none.err;
    EXPECT_EQ(none.out.find("Land"), std::string::npos) << none.out;
}

TEST_F(ViewCommand, TheFullSitesPadIsPickedBeforeItsTerrainAndQuadDrawsFourViews) {
    // Pixel (300, 225) of this view lies inside the pad (105 m), where the
    // terrain is levelled to the pad; contour lines pass within pick range.
    RunResult pad = Contorra("--quiet pick '" + kFullSite +
                             "' --view top --size 800x600 --shaded --at 300,225");
    ASSERT_EQ(pad.code, 0) << pad.err;
    const std::size_t padAt = pad.out.find("Building pad\n"), terrainAt = pad.out.find("Terrain\n");
    ASSERT_NE(padAt, std::string::npos) << pad.out;
    ASSERT_NE(terrainAt, std::string::npos) << pad.out;
    EXPECT_LT(padAt, terrainAt) << pad.out;
    // The contour at 104 m passes there, below the pad: after it.
    const std::size_t below = pad.out.find("Contour 104\n");
    ASSERT_NE(below, std::string::npos) << pad.out;
    EXPECT_GT(below, padAt) << pad.out;
    RunResult corner = Contorra("--quiet pick '" + kFullSite +
                                "' --view top --size 800x600 --shaded --at 5,5");
    ASSERT_EQ(corner.code, 0) << corner.err;
    EXPECT_EQ(corner.out, "");

    const std::string out = Path("quad.png");
    RunResult quad = Contorra("--quiet view '" + kFullSite + "' --view quad --size 400x300 " +
                              "--select Terrain -o '" + out + "'");
    ASSERT_EQ(quad.code, 0) << quad.err;
    const contorra::RasterImage image = contorra::ReadPng(out);
    ASSERT_EQ(image.Width(), 400);
    ASSERT_EQ(image.Height(), 300);
    // The frame between the four views, and the selected terrain in each:
    // white lines in the wire-frame views, white brackets in the shaded one.
    const contorra::Rgba8 frame = image.Pixel(200, 10);
    EXPECT_EQ(image.Pixel(10, 150), frame);
    EXPECT_EQ(image.Pixel(390, 150), frame);
    for (int q = 0; q < 4; ++q) {
        const int x0 = (q % 2) * 201, y0 = (q / 2) * 151;
        int white = 0;
        for (int y = y0 + 20; y < y0 + 149; ++y)
            for (int x = x0; x < x0 + 199; ++x)
                white += image.Pixel(x, y) == contorra::Rgba8{255, 255, 255, 255};
        EXPECT_GT(white, q == 3 ? 30 : 500) << "view " << q;
    }
}

TEST_F(ViewCommand, BadOptionsAndNamesAreRefusedWithoutOutput) {
    const std::string out = Path("never.png");
    struct Case {
        std::string args, message;
    };
    const Case cases[] = {
        {"view '" + kFullSite + "' --view side -o '" + out + "'", "--view"},
        {"view '" + kFullSite + "' --size 0x5 -o '" + out + "'", "--size"},
        {"view '" + kFullSite + "' --select Nobody -o '" + out + "'", "no node named \"Nobody\""},
        {"view '" + kFullSite + "' -o '" + Path("never.jpg") + "'", "never.jpg"},
        {"view '" + Path("missing.json") + "' -o '" + out + "'", "missing.json"},
        {"pick '" + kFullSite + "' --view quad --at 1,1", "--view"},
        {"pick '" + kFullSite + "' --view top --size 100x100 --at 100,5", "--at"},
        {"pick '" + kFullSite + "' --view top --at 5", "--at"},
    };
    for (const Case& c : cases) {
        RunResult r = Contorra("--quiet " + c.args);
        EXPECT_EQ(r.code, 2) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
    }
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(Path("never.jpg")));
}
