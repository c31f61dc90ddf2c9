// contorra on inputs that are not what they claim to be: folders, devices,
// FIFOs, unreadable streams, cut or damaged meshes and saved scenes whose
// values their objects refuse. Each is exit 2 with a message naming the file,
// the place and the problem, and no output file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "host/app/scene_file.h"
#include "tests/e2e/run_command.h"

namespace fs = std::filesystem;

namespace {

struct Temp {
    fs::path dir = fs::temp_directory_path() / ("reader_errors_" + std::to_string(getpid()));
    Temp() { fs::create_directories(dir); }
    ~Temp() { fs::remove_all(dir); }
};

RunResult Contorra(const std::string& args) {
    // timeout: a reader that blocks on a FIFO fails the test instead of hanging it.
    return RunShell("timeout 60 " + Quote(CONTORRA_BINARY) + " " + args);
}

void ExpectRefused(const RunResult& r, const std::vector<std::string>& needles) {
    EXPECT_EQ(r.code, 2) << r.err;
    for (const auto& n : needles) EXPECT_NE(r.err.find(n), std::string::npos) << n << "\n" << r.err;
}

// A small terrain: two contour rings, three refinement levels.
const char* kSmallScene = R"({"nodes": [
  {"name": "c100", "object": {"type": "spline", "lines": [
    {"points": [[0, 0, 100], [40, 0, 100], [40, 40, 100], [0, 40, 100]], "closed": true}]}},
  {"name": "c102", "object": {"type": "spline", "lines": [
    {"points": [[10, 10, 102], [30, 10, 102], [30, 30, 102], [10, 30, 102]], "closed": true}]}},
  {"name": "t", "object": {"type": "terrain", "parameters": {"Interations": 7},
   "splines": ["c100", "c102"]}}]})";

TEST(ReaderErrors, InfoRefusesWhatIsNoRegularFile) {
    Temp t;
    const fs::path dir = t.dir / "folder.cscene", fifo = t.dir / "pipe.cscene";
    fs::create_directories(dir);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectRefused(Contorra("info " + Quote(dir.string())),
                  {"contorra: " + dir.string() + ": is a directory, not a file"});
    ExpectRefused(Contorra("info " + Quote(fifo.string())),
                  {fifo.string() + ": is a named pipe (FIFO), not a regular file"});
    ExpectRefused(Contorra("info /dev/null"), {"/dev/null: is a device, not a regular file"});
    ExpectRefused(Contorra("info /proc/self/mem"), {"/proc/self/mem: cannot read after 0 bytes"});
    // Render reads saved scenes through the same reader.
    ExpectRefused(Contorra("render /dev/zero -o " + Quote((t.dir / "x.png").string())),
                  {"/dev/zero: is a device"});
    EXPECT_FALSE(fs::exists(t.dir / "x.png"));
}

TEST(ReaderErrors, MeshFilesThatAreNoFileOrAreCutShortAreNamed) {
    Temp t;
    fs::create_directories(t.dir / "pad.obj");
    ASSERT_EQ(::mkfifo((t.dir / "pipe.ply").c_str(), 0600), 0);
    const std::string header = "ply\nformat ascii 1.0\nelement vertex 4\n"
                               "property float x\nproperty float y\nproperty float z\n"
                               "element face 2\nproperty list uchar int vertex_indices\n"
                               "end_header\n";
    // Cut inside the header (assimp's reader would never return), and just
    // after it (its triangulation would assert on the empty faces).
    std::ofstream(t.dir / "head.ply") << header.substr(0, header.size() - 20);
    std::ofstream(t.dir / "body.ply") << header << "0 ";
    // A byte that is no text inside the header: assimp's reader would loop.
    std::string binary = header;
    binary[30] = '\0';
    std::ofstream(t.dir / "zero.ply") << binary << "0 0 0\n";
    std::ofstream(t.dir / "cut.gltf")
        << R"({"asset": {"version": "2.0"}, "meshes": [{"primitives": [)";
    std::ofstream(t.dir / "nan.ply") << "ply\nformat ascii 1.0\nelement vertex 3\n"
                                        "property float x\nproperty float y\nproperty float z\n"
                                        "element face 1\nproperty list uchar int vertex_indices\n"
                                        "end_header\n0 0 0\n1 nan 0\n0 1 0\n3 0 1 2\n";
    const struct {
        std::string file;
        std::vector<std::string> needles;
    } cases[] = {
        {(t.dir / "pad.obj").string(), {"pad.obj: is a directory, not a file"}},
        {"/dev/null", {"/dev/null: is a device, not a regular file"}},
        {(t.dir / "pipe.ply").string(), {"pipe.ply: is a named pipe (FIFO)"}},
        {(t.dir / "head.ply").string(),
         {"head.ply: the PLY header has no end_header line in its first 64 KiB: the file is cut "
          "short or damaged"}},
        {(t.dir / "zero.ply").string(),
         {"zero.ply: the PLY header holds a byte that is not text at offset 30: the file is "
          "damaged"}},
        {(t.dir / "body.ply").string(),
         {"body.ply: mesh 0, face 0 has no corners: the file is cut short or damaged"}},
        {(t.dir / "cut.gltf").string(),
         {"cut.gltf: not a readable GLTF file: it is truncated or damaged"}},
        {(t.dir / "nan.ply").string(), {"nan.ply: ", "vertex 1: the coordinates are not finite"}},
    };
    for (const auto& c : cases) {
        std::string scene = R"({"nodes": [{"name": "m", "object": {"type": "mesh", "file": ")" +
                            c.file + R"("}}]})";
        std::ofstream(t.dir / "s.json") << scene;
        const fs::path out = t.dir / "out.obj";
        auto needles = c.needles;
        needles.push_back("/nodes/0/object/file");
        ExpectRefused(
            Contorra("build " + Quote((t.dir / "s.json").string()) + " -o " + Quote(out.string())),
            needles);
        EXPECT_FALSE(fs::exists(out)) << c.file;
    }
}

// The body offset and length of every chunk reached by a path of ids from the
// top of a saved scene; 0 in the path stands for any container.
void FindChunks(const std::vector<std::uint8_t>& b, std::size_t from, std::size_t to,
                const std::vector<unsigned>& path, std::size_t depth,
                std::vector<std::pair<std::size_t, std::size_t>>& found) {
    for (std::size_t at = from; at + 6 <= to;) {
        const unsigned id = b[at] | (b[at + 1] << 8);
        std::uint32_t word;
        std::memcpy(&word, &b[at + 2], 4);
        const bool container = word & 0x80000000u;
        const std::size_t len = word & 0x7FFFFFFFu;
        if (len < 6 || at + len > to) return;
        const bool match = path[depth] == 0 ? container : path[depth] == id;
        if (match && depth + 1 == path.size()) found.emplace_back(at + 6, len - 6);
        if (match && container && depth + 1 < path.size())
            FindChunks(b, at + 6, at + len, path, depth + 1, found);
        at += len;
    }
}

void FixChecksum(std::vector<std::uint8_t>& bytes) {
    const std::size_t body = bytes.size() - 10;
    const std::uint32_t crc = Crc32(bytes.data(), body);
    std::memcpy(bytes.data() + body + 6, &crc, 4);
}

TEST(ReaderErrors, SavedValuesTheTerrainRefusesNameTheObjectAndTheOffset) {
    Temp t;
    std::ofstream(t.dir / "small.json") << kSmallScene;
    const fs::path saved = t.dir / "small.cscene";
    const RunResult built =
        Contorra("-q build " + Quote((t.dir / "small.json").string()) + " -o " +
                 Quote((t.dir / "small.obj").string()) + " --save " + Quote(saved.string()));
    ASSERT_EQ(built.code, 0) << built.err;
    const std::string text = Slurp(saved);
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());

    // The terrain's mesh: objects / object / data / the terrain's mesh chunk / vertices.
    std::vector<std::pair<std::size_t, std::size_t>> verts;
    FindChunks(bytes, 0, bytes.size() - 10, {0x0300, 0x0310, 0x0312, 0, 0x0110}, 0, verts);
    ASSERT_EQ(verts.size(), 1u);
    // Interations (whole number, one entry, value 7, no keys): unique in the file.
    const std::uint8_t entry[] = {1, 0, 0, 0, 1, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0};
    auto hit = std::search(bytes.begin(), bytes.end(), entry, entry + sizeof entry);
    ASSERT_NE(hit, bytes.end());
    ASSERT_EQ(std::search(hit + 1, bytes.end(), entry, entry + sizeof entry), bytes.end());
    const std::size_t iterAt = static_cast<std::size_t>(hit - bytes.begin()) + 8;

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const int tooMany = 99;
    const struct {
        std::size_t at;
        const void* value;
        std::string needle;
    } cases[] = {
        {verts[0].first + 4, &nan,
         "(offset " + std::to_string(verts[0].first) +
             ": mesh vertex 0: a coordinate is not finite (NaN or infinite))"},
        {iterAt, &tooMany,
         "(offset " + std::to_string(iterAt) +
             ": parameter \"Interations\" of block \"parameters\": value 99 is outside its "
             "range 1 .. 16)"},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> damaged = bytes;
        std::memcpy(damaged.data() + c.at, c.value, 4);
        FixChecksum(damaged);
        const fs::path file = t.dir / "damaged.cscene";
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(damaged.data()),
                   static_cast<long>(damaged.size()));
        const RunResult r = Contorra("info " + Quote(file.string()));
        ExpectRefused(r, {file.string() + ": object #", c.needle});
        EXPECT_TRUE(r.out.empty()) << "nothing is described of a file that is refused";
    }
}

} // namespace
