// contorra build on the example scenes: the files it writes, read back with
// the host's own readers and checked against the scenes they came from.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"
#include "host/app/mesh_import.h"
#include "host/app/png_file.h"
#include "host/app/scene_file.h"
#include "host/sdk/tri_object.h"
#include "tests/e2e/run_command.h"

namespace fs = std::filesystem;
using namespace contorra;

namespace {

const fs::path kExamples = fs::path(CONTORRA_SOURCE_DIR) / "examples";

using Result = RunResult;

Result RunContorra(const std::vector<std::string>& args) {
    std::string cmd = Quote(CONTORRA_BINARY);
    for (const auto& a : args) cmd += ' ' + Quote(a);
    return RunShell(cmd);
}

// Folders of this process (other work trees may run the suite at the same
// time), removed when it ends.
fs::path TempDir(const std::string& name) {
    struct Made {
        std::vector<fs::path> dirs;
        ~Made() {
            std::error_code ec;
            for (const fs::path& d : dirs) fs::remove_all(d, ec);
        }
    };
    static Made made;
    const fs::path d =
        fs::temp_directory_path() / ("contorra_e2e_" + name + "_" + std::to_string(getpid()));
    fs::remove_all(d);
    fs::create_directories(d);
    made.dirs.push_back(d);
    return d;
}

std::vector<std::string> Files(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The built terrain as saved by --save: the mesh in world coordinates with
// its selections and channels, read through the plug-in like any host would.
struct Saved {
    Mesh mesh;
    bool ok = false;
};

ClassRegistry& Registry() {
    static ClassRegistry registry;
    static bool loaded = [] {
        std::string error;
        const fs::path dlo = fs::path(CONTORRA_BINARY).parent_path() / "contorra.dlo";
        const bool ok = registry.LoadModule(dlo.string(), error) != nullptr;
        EXPECT_TRUE(ok) << error;
        return ok;
    }();
    (void)loaded;
    return registry;
}

Saved LoadSaved(const fs::path& cscene) {
    Saved s;
    Scene scene;
    std::string error;
    if (!LoadSceneFile(scene, Registry(), cscene.string(), error)) {
        ADD_FAILURE() << error;
        return s;
    }
    for (INode* n : scene.Nodes()) {
        Object* obj = n->GetObjectRef();
        if (!obj || obj->ClassID() != kTerrainClassID) continue;
        Object* tri = obj->ConvertToType(0, triObjectClassID);
        if (auto* t = dynamic_cast<TriObject*>(tri)) {
            s.mesh = t->mesh;
            s.ok = true;
            const Matrix3 tm = n->GetObjectTM(0);
            for (Point3& p : s.mesh.verts) p = p * tm;
        }
        if (tri && tri != obj) tri->DeleteThis();
    }
    return s;
}

// Height of the mesh under (x, y): the first face whose triangle holds it.
bool HeightAt(const Mesh& m, float x, float y, float& z) {
    for (const Face& f : m.faces) {
        const Point3 &a = m.verts[f.v[0]], &b = m.verts[f.v[1]], &c = m.verts[f.v[2]];
        const float d = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
        if (d == 0.0f) continue;
        const float u = ((b.x - x) * (c.y - y) - (c.x - x) * (b.y - y)) / d;
        const float v = ((c.x - x) * (a.y - y) - (a.x - x) * (c.y - y)) / d;
        const float w = 1.0f - u - v;
        if (u < -1e-5f || v < -1e-5f || w < -1e-5f) continue;
        z = u * a.z + v * b.z + w * c.z;
        return true;
    }
    return false;
}

bool Inside(const std::vector<Point3>& poly, float x, float y) {
    bool in = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
        if ((poly[i].y > y) != (poly[j].y > y) &&
            x < (poly[j].x - poly[i].x) * (y - poly[i].y) / (poly[j].y - poly[i].y) + poly[i].x)
            in = !in;
    return in;
}

float DistanceToLine(const std::vector<Point3>& line, float x, float y) {
    float best = 1e30f;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const Point3 a = line[i], b = line[i + 1];
        const float dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
        const float t = std::clamp(((x - a.x) * dx + (y - a.y) * dy) / l2, 0.0f, 1.0f);
        best = std::min(best, std::hypot(x - a.x - t * dx, y - a.y - t * dy));
    }
    return best;
}

Point3 Centre(const Mesh& m, int f) {
    const Face& face = m.faces[f];
    return (m.verts[face.v[0]] + m.verts[face.v[1]] + m.verts[face.v[2]]) / 3.0f;
}

// The points of a spline node of an example scene.
std::vector<Point3> Outline(const JsonScene& s, const std::string& node) {
    for (const JsonNode& n : s.nodes)
        if (n.name == node)
            if (const auto* sp = std::get_if<JsonSpline>(&n.object)) return sp->lines.at(0).points;
    ADD_FAILURE() << "no spline " << node;
    return {};
}

// Builds an example once into its own folder: mesh, saved scene, preview.
struct Built {
    fs::path dir;
    Result run;
    Saved saved;
    JsonScene scene;
};

const Built& Build(const std::string& example) {
    static std::map<std::string, Built> cache;
    auto it = cache.find(example);
    if (it != cache.end()) return it->second;
    Built b;
    b.dir = TempDir(fs::path(example).stem().string());
    b.run = RunContorra({"build", (kExamples / example).string(), "-o", (b.dir / "t.obj").string(),
                         "--save", (b.dir / "t.cscene").string(), "--preview",
                         (b.dir / "t.png").string(), "--quiet"});
    EXPECT_EQ(b.run.code, 0) << b.run.err;
    b.saved = LoadSaved(b.dir / "t.cscene");
    b.scene = ReadJsonScene(kExamples / example);
    return cache.emplace(example, std::move(b)).first->second;
}

} // namespace

TEST(BuildCommand, ContoursGiveASurfaceThroughTheirHeights) {
    const Built& b = Build("contours_only.json");
    ASSERT_TRUE(b.saved.ok);
    EXPECT_EQ(Files(b.dir), (std::vector<std::string>{"t.cscene", "t.mtl", "t.obj", "t.png"}));
    // The mesh file holds what the saved scene holds.
    const Mesh file = ImportMesh(b.dir / "t.obj");
    EXPECT_EQ(file.getNumFaces(), b.saved.mesh.getNumFaces());

    // Every contour point inside the surface lies on it to within a quarter
    // of the 2 m contour interval, most of them much closer.
    std::vector<float> errors;
    for (const JsonNode& n : b.scene.nodes)
        if (const auto* sp = std::get_if<JsonSpline>(&n.object))
            for (const auto& line : sp->lines)
                for (const Point3& p : line.points) {
                    float z;
                    if (HeightAt(b.saved.mesh, p.x, p.y, z)) errors.push_back(std::fabs(z - p.z));
                }
    ASSERT_GT(errors.size(), 500u);
    std::sort(errors.begin(), errors.end());
    EXPECT_LT(errors.back(), 0.5f);
    EXPECT_LT(errors[errors.size() / 2], 0.1f);

    const RasterImage preview = ReadPng(b.dir / "t.png");
    EXPECT_EQ(std::max(preview.Width(), preview.Height()), 1024);
}

TEST(BuildCommand, InsertsShapeTheMesh) {
    {
        SCOPED_TRACE("hole");
        const Built& b = Build("insert_hole.json");
        ASSERT_TRUE(b.saved.ok);
        const Mesh& m = b.saved.mesh;
        const auto outline = Outline(b.scene, "Basin");
        for (int f = 0; f < m.getNumFaces(); ++f) {
            const Point3 c = Centre(m, f);
            EXPECT_FALSE(Inside(outline, c.x, c.y)) << "face " << f << " inside the hole";
        }
        // The outline's knots are mesh vertices on the open border the hole leaves.
        std::map<std::pair<DWORD, DWORD>, int> edgeUse;
        for (const Face& f : m.faces)
            for (int k = 0; k < 3; ++k) {
                const DWORD a = f.v[k], c = f.v[(k + 1) % 3];
                ++edgeUse[{std::min(a, c), std::max(a, c)}];
            }
        std::vector<bool> open(m.verts.size(), false);
        for (const auto& [e, n] : edgeUse)
            if (n == 1) open[e.first] = open[e.second] = true;
        for (const Point3& k : outline) {
            bool found = false;
            for (int v = 0; v < m.getNumVerts() && !found; ++v)
                found = open[v] && std::hypot(m.verts[v].x - k.x, m.verts[v].y - k.y) < 1e-3f;
            EXPECT_TRUE(found) << k.x << "," << k.y;
        }
    }
    {
        SCOPED_TRACE("set ID");
        const Built& b = Build("insert_set_id.json");
        ASSERT_TRUE(b.saved.ok);
        const Mesh& m = b.saved.mesh;
        const auto outline = Outline(b.scene, "Parking");
        int inside = 0;
        for (int f = 0; f < m.getNumFaces(); ++f) {
            const Point3 c = Centre(m, f);
            if (Inside(outline, c.x, c.y)) {
                ++inside;
                EXPECT_EQ(m.faces[f].getMatID() + 1, 5);
            } else if (DistanceToLine(outline, c.x, c.y) > 10.0f) {
                EXPECT_EQ(m.faces[f].getMatID() + 1, 1); // plain terrain, far from it
            }
        }
        EXPECT_GT(inside, 10);
    }
    {
        SCOPED_TRACE("split");
        const Built& b = Build("insert_split.json");
        ASSERT_TRUE(b.saved.ok);
        const Mesh& m = b.saved.mesh;
        // Cut open along the outline: its knots carry two vertices each.
        for (const Point3& k : Outline(b.scene, "Terrace")) {
            int at = 0;
            for (const Point3& p : m.verts) at += std::hypot(p.x - k.x, p.y - k.y) < 1e-3f;
            EXPECT_GE(at, 2) << k.x << "," << k.y;
        }
    }
    {
        SCOPED_TRACE("outline only");
        const Built& b = Build("insert_outline.json");
        ASSERT_TRUE(b.saved.ok);
        const Mesh& m = b.saved.mesh;
        for (const Point3& k : Outline(b.scene, "Footpath")) {
            int at = 0;
            for (const Point3& p : m.verts) at += std::hypot(p.x - k.x, p.y - k.y) < 1e-3f;
            EXPECT_EQ(at, 1) << k.x << "," << k.y; // a mesh vertex, not split
        }
    }
}

TEST(BuildCommand, ZoneCoordinatesGrowAlongThePath) {
    const Built& b = Build("uvw_path.json");
    ASSERT_TRUE(b.saved.ok);
    const Mesh& m = b.saved.mesh;
    ASSERT_TRUE(m.mapSupport(2));
    const auto path = Outline(b.scene, "Road axis");
    // Faces near the axis, by distance travelled along it.
    std::vector<std::pair<float, float>> byDistance; // (distance along, mean U)
    for (int f = 0; f < m.getNumFaces(); ++f) {
        const Point3 c = Centre(m, f);
        float best = 1e30f, along = 0.0f, run = 0.0f;
        for (std::size_t i = 0; i + 1 < path.size(); ++i) {
            const Point3 a = path[i], e = path[i + 1];
            const float dx = e.x - a.x, dy = e.y - a.y, l = std::hypot(dx, dy);
            const float t = std::clamp(((c.x - a.x) * dx + (c.y - a.y) * dy) / (l * l), 0.0f, 1.0f);
            const float d = std::hypot(c.x - a.x - t * dx, c.y - a.y - t * dy);
            if (d < best) {
                best = d;
                along = run + t * l;
            }
            run += l;
        }
        if (best > 3.0f || along < 10.0f || along > run - 10.0f) continue;
        const MeshMap& mm = m.Map(2);
        float u = 0.0f;
        for (int k = 0; k < 3; ++k) u += mm.tv[mm.tf[f].t[k]].x / 3.0f;
        byDistance.emplace_back(along, u);
    }
    ASSERT_GT(byDistance.size(), 50u);
    std::sort(byDistance.begin(), byDistance.end());
    int rising = 0, pairs = 0;
    for (std::size_t i = 0; i + 1 < byDistance.size(); i += 5)
        for (std::size_t j = i + 1; j < byDistance.size(); j += 7)
            if (byDistance[j].first - byDistance[i].first > 5.0f) {
                ++pairs;
                rising += byDistance[j].second > byDistance[i].second;
            }
    EXPECT_EQ(rising, pairs);
}

TEST(BuildCommand, SameSceneSameFilesAndSavedSceneReloads) {
    const Built& b = Build("platform.json");
    ASSERT_TRUE(b.saved.ok);
    const fs::path again = TempDir("platform_again");
    const Result r = RunContorra(
        {"build", (kExamples / "platform.json").string(), "-o", (again / "t.obj").string(), "-q"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Slurp(again / "t.obj"), Slurp(b.dir / "t.obj"));
    // The reloaded scene's terrain has the mesh that was written.
    const Mesh file = ImportMesh(b.dir / "t.obj");
    ASSERT_EQ(file.getNumFaces(), b.saved.mesh.getNumFaces());
    std::vector<std::tuple<long, long, long>> a, c;
    for (const Point3& p : file.verts)
        a.emplace_back(std::lround(p.x * 100), std::lround(p.y * 100), std::lround(p.z * 100));
    for (const Point3& p : b.saved.mesh.verts)
        c.emplace_back(std::lround(p.x * 100), std::lround(p.y * 100), std::lround(p.z * 100));
    std::sort(a.begin(), a.end());
    std::sort(c.begin(), c.end());
    c.erase(std::unique(c.begin(), c.end()), c.end());
    EXPECT_EQ(a, c);
    // The pad is flat at its height.
    float z;
    ASSERT_TRUE(HeightAt(b.saved.mesh, -40.0f, 30.0f, z));
    EXPECT_NEAR(z, 106.0f, 0.05f);
}

TEST(BuildCommand, BadInputIsRefusedWithoutTouchingFiles) {
    const fs::path dir = TempDir("bad");
    std::ofstream(dir / "old.obj") << "the previous mesh";
    auto scene = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir / name) << text;
        return (dir / name).string();
    };
    // No contour: nothing is built and the previous file stays.
    const std::string empty = scene("empty.json", R"({"nodes": [{"name": "T", "object":
        {"type": "terrain"}}]})");
    Result r = RunContorra({"build", empty, "-o", (dir / "old.obj").string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("empty.json"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(dir / "old.obj"), "the previous mesh");

    const std::string typo = scene("typo.json", R"({"nodes": [{"name": "T", "object":
        {"type": "terrain", "parameters": {"Iterations": 3}}}]})");
    r = RunContorra({"build", typo, "-o", (dir / "new.obj").string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("typo.json: /nodes/0/object/parameters/Iterations"), std::string::npos)
        << r.err;

    const std::string range = scene("range.json", R"({"nodes": [{"name": "T", "object":
        {"type": "terrain", "parameters": {"Interations": 40}}}]})");
    r = RunContorra({"build", range});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("1 .. 16"), std::string::npos) << r.err;

    r = RunContorra(
        {"build", (kExamples / "contours_only.json").string(), "-o", (dir / "x.dwg").string()});
    EXPECT_EQ(r.code, 2);
    r = RunContorra({"build", (kExamples / "contours_only.json").string(), "--preview",
                     (dir / "missing" / "p.png").string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("missing"), std::string::npos) << r.err;
    r = RunContorra({"build", (kExamples / "contours_only.json").string(), "--threads", "0",
                     "-o", (dir / "t.obj").string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--threads"), std::string::npos) << r.err;
    r = RunContorra({"build"});
    EXPECT_EQ(r.code, 2);
    r = RunContorra({"build", "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("--preview"), std::string::npos);

    EXPECT_EQ(Files(dir),
              (std::vector<std::string>{"empty.json", "old.obj", "range.json", "typo.json"}));
}
