// The exact fit chosen in a scene file: contorra builds with it, saves it and
// shows it, and the built mesh keeps a plateau between two equal contours
// flat where the smooth fit bulges.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/run_command.h"

namespace fs = std::filesystem;

namespace {

std::string RingJson(const std::string& name, double radius, double z) {
    std::ostringstream s;
    s << R"({"name": ")" << name << R"(", "object": {"type": "spline", "lines": [{"closed": true, "points": [)";
    for (int k = 0; k < 96; ++k) {
        const double a = 2.0 * 3.14159265358979 * k / 96;
        s << (k ? ", " : "") << "[" << radius * std::cos(a) << ", " << radius * std::sin(a) << ", " << z
          << "]";
    }
    s << "]}]}}";
    return s.str();
}

std::string Scene(const std::string& parameters) {
    return R"({"nodes": [)" + RingJson("Outer", 60, 0) + ", " + RingJson("Edge", 40, 10) + ", " +
           RingJson("Rim", 20, 10) + ", " + RingJson("Top", 5, 20) +
           R"(, {"name": "Terrain", "object": {"type": "terrain", "parameters": )" + parameters +
           R"(, "splines": ["Outer", "Edge", "Rim", "Top"]}}]})";
}

// Heights of the OBJ's vertices between the two rings of height 10, well
// inside them.
std::vector<double> PlateauHeights(const fs::path& obj) {
    std::ifstream in(obj);
    std::vector<double> z;
    std::string tag;
    for (std::string line; std::getline(in, line);) {
        std::istringstream s(line);
        double x, y, h;
        if (s >> tag && tag == "v" && s >> x >> y >> h) {
            const double r = std::hypot(x, y);
            if (r > 25.0 && r < 35.0) z.push_back(h);
        }
    }
    return z;
}

struct Built {
    RunResult run;
    std::vector<double> plateau;
    std::string info;
};

Built Build(const fs::path& dir, const std::string& name, const std::string& parameters) {
    const fs::path scene = dir / (name + ".json"), obj = dir / (name + ".obj"),
                   saved = dir / (name + ".cscene");
    std::ofstream(scene) << Scene(parameters);
    Built b;
    b.run = RunShell(Quote(CONTORRA_BINARY) + " build --quiet " + Quote(scene.string()) + " -o " +
                     Quote(obj.string()) + " --save " + Quote(saved.string()));
    b.plateau = PlateauHeights(obj);
    b.info = RunShell(Quote(CONTORRA_BINARY) + " info " + Quote(saved.string())).out;
    return b;
}

} // namespace

TEST(ExactFitBuild, KeepsThePlateauFlatAndIsSavedWithTheScene) {
    const fs::path dir = fs::temp_directory_path() / ("contorra_exact_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const Built exact = Build(dir, "exact", R"({"Interations": 7, "Exact_Fit": true, "Tension": 0.5})");
    const Built smooth = Build(dir, "smooth", R"({"Interations": 7})");
    fs::remove_all(dir);

    ASSERT_EQ(exact.run.code, 0) << exact.run.err;
    ASSERT_EQ(smooth.run.code, 0) << smooth.run.err;
    ASSERT_GT(exact.plateau.size(), 10u);
    ASSERT_GT(smooth.plateau.size(), 10u);
    double exactWorst = 0.0, smoothWorst = 0.0;
    for (double z : exact.plateau) exactWorst = std::max(exactWorst, std::fabs(z - 10.0));
    for (double z : smooth.plateau) smoothWorst = std::max(smoothWorst, std::fabs(z - 10.0));
    EXPECT_LT(exactWorst, 1e-4);
    EXPECT_GT(smoothWorst, 0.1); // the difference the switch makes

    EXPECT_NE(exact.info.find("Exact_Fit = 1\n"), std::string::npos) << exact.info;
    EXPECT_NE(exact.info.find("Tension = 0.5\n"), std::string::npos) << exact.info;
    EXPECT_NE(smooth.info.find("Exact_Fit = 0\n"), std::string::npos) << smooth.info;
}
