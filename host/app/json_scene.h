#pragma once
// Scene files in JSON (docs/scene-format.md). Reading happens in two steps:
// ReadJsonScene checks the file and turns it into plain descriptions (every
// value with the JSON path it came from); the scene builder then makes host
// nodes and objects of them and checks what only the plug-in knows (the
// terrain object's parameter names, types and ranges).
#include <array>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/app/json_materials.h"
#include "host/app/json_modifiers.h"
#include "host/app/scene_origin.h"
#include "host/sdk/matrix.h"
#include "host/sdk/mesh.h"
#include "host/sdk/point.h"

namespace contorra {

// "FILE: /json/path: problem". The path is a JSON pointer into the file.
class SceneFileError : public std::runtime_error {
public:
    SceneFileError(const std::filesystem::path& file, const std::string& path,
                   const std::string& problem);
    std::string file, path, problem;
};

struct JsonSplineLine {
    std::vector<Point3> points;
    bool closed = false;
};

struct JsonSpline {
    std::vector<JsonSplineLine> lines;
};

// Inline or read from a file; either way the mesh is here.
struct JsonMesh {
    Mesh mesh;
    std::filesystem::path file; // empty for inline meshes
};

struct JsonBox {
    float width = 1.0f, length = 1.0f, height = 1.0f;
};

// A value to set on a parameter given by its internal name.
struct JsonParam {
    std::string name;
    nlohmann::json value;
    std::string path;
};

struct JsonListEntry {
    std::string node;
    std::string path;              // of the entry
    std::string nodePath;          // of the node name
    std::vector<JsonParam> values; // companion table values of this slot
};

// The terrain object's four lists, in the order of the plug-in's block.
enum TerrainList { kSplines = 0, kPlatforms, kInserts, kUvwZones, kListCount };

struct JsonTerrain {
    std::vector<JsonParam> parameters;
    std::array<std::vector<JsonListEntry>, kListCount> lists;
};

using JsonObject = std::variant<std::monostate, JsonSpline, JsonMesh, JsonBox, JsonTerrain>;

struct JsonNode {
    std::string name;
    std::string parent; // empty: a child of the root
    std::string path;   // of the node in the file
    Matrix3 transform;  // local, relative to the parent
    bool hasWireColor = false;
    DWORD wireColor = 0; // 0x00BBGGRR
    JsonObject object;
    std::string material, materialPath; // empty: none
};

struct JsonScene {
    std::filesystem::path file;
    std::vector<JsonNode> nodes; // parents before their children
    std::vector<JsonMaterial> materials;
    std::vector<JsonModifier> modifiers; // world-space, in file order
    SceneOrigin origin;  // the nodes' coordinates are relative to it
    std::string crsWkt;  // of the first GIS file read; empty for none
};

// The JSON key of each list and the internal name of its node table.
const char* TerrainListKey(TerrainList list);
const char* TerrainListNodeParam(TerrainList list);

// Reads and checks a scene file; meshes named by the file are read too.
// Throws SceneFileError.
JsonScene ReadJsonScene(const std::filesystem::path& file);
// The same from text; relative mesh files are looked up beside `file`.
JsonScene ParseJsonScene(const std::string& text, const std::filesystem::path& file);

} // namespace contorra
