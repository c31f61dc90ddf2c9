// Every #include "..." of our own files against the table of which folder may
// use which: the build links each folder to what it may use, and this check
// keeps the sources from reaching past that by a header alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Layer {
    std::string folder;
    std::vector<std::string> mayUse; // folders besides its own
};

// A file belongs to the longest folder here that holds it.
const std::vector<Layer> kLayers = {
    // the host side
    {"host/sdk", {}},
    {"host/app", {"host/sdk"}},
    {"app", {"host/app", "host/sdk"}},
    {"fuzz", {"host/app", "host/sdk"}},
    // the plug-in, which never uses host/app
    {"module", {"host/sdk"}},
    {"geometry", {"host/sdk"}},
    {"rollouts", {"host/sdk", "geometry", "module"}},
    {"edgemap", {"host/sdk", "module"}},
    {"terrain", {"host/sdk", "geometry", "rollouts", "module"}},
    // tests use anything but bench/; the host's tests nothing of the plug-in
    {"tests",
     {"host/sdk", "host/app", "app", "module", "geometry", "rollouts", "edgemap", "terrain",
      "tests"}},
    {"tests/host", {"host/sdk", "host/app", "app", "tests"}},
    {"tests/e2e", {"host/sdk", "host/app", "app", "tests"}},
    // benchmarks use the layers and the shared test code, not other tests
    {"bench",
     {"host/sdk", "host/app", "module", "geometry", "rollouts", "edgemap", "terrain",
      "tests/reference", "tests/support"}},
};

bool Within(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

const Layer* LayerOf(const std::string& path) {
    const Layer* best = nullptr;
    for (const Layer& l : kLayers)
        if (Within(path, l.folder) && (!best || l.folder.size() > best->folder.size())) best = &l;
    return best;
}

std::string Rule(const Layer& l) {
    if (l.mayUse.empty()) return l.folder + " may use nothing of ours";
    std::string s = l.folder + " may use ";
    for (std::size_t i = 0; i < l.mayUse.size(); ++i) s += (i ? ", " : "") + l.mayUse[i];
    return s + " only";
}

// Empty when `from` (a file of ours) may include `target` (a path from the
// repository root) spelled as `spelled`; otherwise why not.
std::string Verdict(const std::string& from, const std::string& spelled,
                    const std::string& target) {
    // Nothing depends on bench/: its programs may keep headers beside them, but
    // no file names one by a path into it.
    if (Within(spelled, "bench")) return "nothing includes a file by a path into bench/";
    const Layer* source = LayerOf(from);
    if (!source || !LayerOf(target)) return {}; // outside the code folders
    if (Within(target, source->folder)) return {};
    for (const std::string& f : source->mayUse)
        if (Within(target, f)) return {};
    return Rule(*source);
}

struct Include {
    int line;
    std::string spelled;
    std::string target; // from the repository root
};

struct Source {
    std::vector<Include> includes;
};

// The quoted name of a line `#include "name"`, or empty. Spaces may surround
// the hash. Written by hand: std::regex trips GCC 12's maybe-uninitialized
// warning under the sanitizer presets.
std::string QuotedInclude(const std::string& line) {
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] != '#') return {};
    i = line.find_first_not_of(" \t", i + 1);
    if (i == std::string::npos || line.compare(i, 7, "include") != 0) return {};
    i = line.find_first_not_of(" \t", i + 7);
    if (i == std::string::npos || line[i] != '"') return {};
    const std::size_t end = line.find('"', i + 1);
    return end == std::string::npos ? std::string() : line.substr(i + 1, end - i - 1);
}

// Includes resolve beside the including file first, then from the root, as the
// compiler sees them; a name found nowhere counts as spelled from the root.
std::map<std::string, Source> ReadSources(const fs::path& root) {
    static const std::set<std::string> extensions = {".cpp", ".cc", ".h", ".hpp", ".inl"};
    std::map<std::string, Source> sources;
    for (const Layer& layer : kLayers) {
        const fs::path dir = root / layer.folder;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            if (!entry.is_regular_file() || !extensions.count(entry.path().extension().string()))
                continue;
            const std::string rel = entry.path().lexically_relative(root).generic_string();
            if (sources.count(rel)) continue; // seen from an enclosing folder
            Source& src = sources[rel];
            std::ifstream in(entry.path());
            std::string text;
            for (int n = 1; std::getline(in, text); ++n) {
                const std::string spelled = QuotedInclude(text);
                if (spelled.empty()) continue;
                const fs::path beside = entry.path().parent_path() / spelled;
                const fs::path found = fs::exists(beside) ? beside : root / spelled;
                src.includes.push_back(
                    {n, spelled,
                     found.lexically_normal().lexically_relative(root).generic_string()});
            }
        }
    }
    return sources;
}

// One line per include that crosses a layer the wrong way, and one per
// include that is allowed itself but pulls in, through further includes, a
// file its includer may not use.
std::vector<std::string> Violations(const std::map<std::string, Source>& sources) {
    std::vector<std::string> out;
    for (const auto& [file, src] : sources) {
        for (const Include& inc : src.includes) {
            const std::string why = Verdict(file, inc.spelled, inc.target);
            if (!why.empty()) {
                out.push_back(file + ":" + std::to_string(inc.line) + " includes " + inc.target +
                              ": " + why);
                continue;
            }
            std::set<std::string> seen{inc.target};
            std::vector<std::string> todo{inc.target};
            while (!todo.empty()) {
                const std::string at = todo.back();
                todo.pop_back();
                auto it = sources.find(at);
                if (it == sources.end()) continue;
                bool reported = false;
                for (const Include& next : it->second.includes) {
                    if (!seen.insert(next.target).second) continue;
                    // A header's own wrong include is reported where it is written.
                    if (!Verdict(at, next.spelled, next.target).empty()) continue;
                    const std::string deep = Verdict(file, next.spelled, next.target);
                    if (!deep.empty()) {
                        out.push_back(file + ":" + std::to_string(inc.line) + " includes " +
                                      inc.target + ", which reaches " + next.target + ": " + deep);
                        reported = true;
                        break;
                    }
                    todo.push_back(next.target);
                }
                if (reported) break;
            }
        }
    }
    return out;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

} // namespace

TEST(IncludeLayers, TheTableForbidsWhatTheDesignForbids) {
    struct Case {
        const char* from;
        const char* target;
        const char* why; // empty: allowed
    };
    const Case cases[] = {
        {"geometry/size_field.cpp", "terrain/land_params.h", "geometry may use host/sdk only"},
        {"geometry/size_field.cpp", "geometry/tuning_constants.h", ""},
        {"geometry/size_field.cpp", "module/resource.h", "geometry may use host/sdk only"},
        {"host/sdk/mesh.cpp", "host/app/scene.h", "host/sdk may use nothing of ours"},
        {"host/app/scene.cpp", "terrain/land_params.h", "host/app may use host/sdk only"},
        {"host/app/ui/dialog_builder.cpp", "module/resource.h", "host/app may use host/sdk only"},
        {"app/main.cpp", "module/class_descs.h", "app may use host/app, host/sdk only"},
        {"module/exports.cpp", "terrain/land_object.h", "module may use host/sdk only"},
        {"module/exports.cpp", "host/sdk/plugin_api.h", ""},
        {"edgemap/gradient_edge.cpp", "module/resource.h", ""},
        {"edgemap/gradient_edge.cpp", "geometry/face_index.h",
         "edgemap may use host/sdk, module only"},
        {"edgemap/gradient_edge.cpp", "host/app/renderer.h",
         "edgemap may use host/sdk, module only"},
        {"rollouts/uvw_zones.cpp", "geometry/geometry_primitives.h", ""},
        {"rollouts/uvw_zones.cpp", "terrain/land_params.h",
         "rollouts may use host/sdk, geometry, module only"},
        {"terrain/build_driver.cpp", "rollouts/uvw_zones.h", ""},
        {"terrain/build_driver.cpp", "edgemap/gradient_edge.h",
         "terrain may use host/sdk, geometry, rollouts, module only"},
        {"tests/terrain/land_object_test.cpp", "terrain/land_object.h", ""},
        {"tests/rollouts/uvw_zones_test.cpp", "tests/host/grid_mesh.h", ""},
        {"tests/e2e/tools/terrain_heights.cpp", "terrain/land_params.h",
         "tests/e2e may use host/sdk, host/app, app, tests only"},
        {"tests/host/mesh_test.cpp", "edgemap/gradient_edge.h",
         "tests/host may use host/sdk, host/app, app, tests only"},
        {"tests/geometry/x_test.cpp", "bench/helpers.h",
         "nothing includes a file by a path into bench/"},
        {"bench/bench_mesher.cpp", "tests/support/terrain_generators.h", ""},
        {"bench/bench_mesher.cpp", "tests/geometry/tuning_guard.h",
         "bench may use host/sdk, host/app, module, geometry, rollouts, edgemap, terrain, "
         "tests/reference, tests/support only"},
        {"bench/bench_mesher.cpp", "bench/helpers.h",
         "nothing includes a file by a path into bench/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Verdict(c.from, c.target, c.target), c.why) << c.from << " -> " << c.target;
    // Reached by another spelling, a file of bench/ is still outside every other layer.
    EXPECT_EQ(Verdict("bench/bench_mesher.cpp", "helpers.h", "bench/helpers.h"), "");
    EXPECT_EQ(Verdict("tests/support/mesh_quality.h", "../../bench/helpers.h", "bench/helpers.h"),
              "tests may use host/sdk, host/app, app, module, geometry, rollouts, edgemap, "
              "terrain, tests only");
}

TEST(IncludeLayers, AHeaderAllowedItselfMayNotBringInWhatItsIncluderMayNot) {
    std::map<std::string, Source> sources;
    sources["tests/host/a_test.cpp"].includes = {
        {4, "tests/support/fixture.h", "tests/support/fixture.h"}};
    sources["tests/support/fixture.h"].includes = {{2, "shared.h", "tests/support/shared.h"}};
    sources["tests/support/shared.h"].includes = {
        {7, "terrain/land_object.h", "terrain/land_object.h"}};
    sources["terrain/land_object.h"];
    EXPECT_EQ(Joined(Violations(sources)),
              "tests/host/a_test.cpp:4 includes tests/support/fixture.h, which reaches "
              "terrain/land_object.h: tests/host may use host/sdk, host/app, app, tests only\n");

    // The same chain read by a plug-in test is fine.
    sources["tests/terrain/b_test.cpp"].includes = sources["tests/host/a_test.cpp"].includes;
    sources.erase("tests/host/a_test.cpp");
    EXPECT_EQ(Joined(Violations(sources)), "");

    // A wrong include in a header is told once, where it is written.
    sources["geometry/a.h"].includes = {{3, "terrain/land_object.h", "terrain/land_object.h"}};
    sources["tests/host/c_test.cpp"].includes = {{5, "geometry/a.h", "geometry/a.h"}};
    sources["tests/geometry/d_test.cpp"].includes = {{6, "geometry/a.h", "geometry/a.h"}};
    EXPECT_EQ(Joined(Violations(sources)),
              "geometry/a.h:3 includes terrain/land_object.h: geometry may use host/sdk only\n"
              "tests/host/c_test.cpp:5 includes geometry/a.h: tests/host may use host/sdk, "
              "host/app, app, tests only\n");
}

TEST(IncludeLayers, IncludesResolveBesideTheFileFirstAndCommentsAreNotIncludes) {
    const fs::path root = fs::temp_directory_path() / ("layers_" + std::to_string(::getpid()));
    fs::create_directories(root / "geometry");
    fs::create_directories(root / "terrain");
    std::ofstream(root / "geometry/b.h") << "";
    std::ofstream(root / "terrain/b.h") << "";
    std::ofstream(root / "geometry/a.cpp") << "#include \"b.h\"\n"
                                              "// #include \"terrain/c.h\"\n"
                                              "  #  include \"terrain/b.h\" // why\n"
                                              "#include <vector>\n"
                                              "#include \"terrain/missing.h\"\n";
    const auto sources = ReadSources(root);
    fs::remove_all(root);

    ASSERT_EQ(sources.count("geometry/a.cpp"), 1u);
    std::string seen;
    for (const Include& inc : sources.at("geometry/a.cpp").includes)
        seen += std::to_string(inc.line) + " " + inc.target + "\n";
    EXPECT_EQ(seen, "1 geometry/b.h\n3 terrain/b.h\n5 terrain/missing.h\n");
}

TEST(IncludeLayers, NoSourceOfTheRepositoryCrossesALayerTheWrongWay) {
    const fs::path root = CONTORRA_SOURCE_DIR;
    const auto sources = ReadSources(root);

    // A wrong root would find nothing and pass: every folder that must exist
    // has to be read, and its files have to include something.
    for (const char* folder : {"host/sdk", "host/app", "app", "module", "geometry", "rollouts",
                               "edgemap", "terrain", "tests", "bench"}) {
        const auto includes = std::count_if(sources.begin(), sources.end(), [&](const auto& s) {
            return Within(s.first, folder) && !s.second.includes.empty();
        });
        EXPECT_GT(includes, 0) << "no includes read under " << (root / folder);
    }
    const std::vector<std::string> bad = Violations(sources);
    EXPECT_TRUE(bad.empty()) << Joined(bad);
}
