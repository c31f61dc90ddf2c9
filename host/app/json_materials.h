#pragma once
// Materials of JSON scenes: standard materials whose diffuse or bump slot may
// hold the plug-in's edge-gradient map. The reader turns the "materials" list
// into plain descriptions; AddJsonMaterials makes the host's materials, the
// maps through their class descriptor, and gives them to the nodes.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/app/plugin_loader.h"
#include "host/sdk/color.h"

class Scene;
class Mtl;

namespace contorra {

struct JsonScene;

// The edge-gradient map's class; its markers travel in this chunk.
inline const Class_ID kEdgeGradientClassID(0x51DC051A, 0x866D966F);
constexpr unsigned short kEdgeGradientMarkersChunk = 0x4001;

struct JsonMapParam {
    std::string name;
    nlohmann::json value;
    std::string path;
};

// Curve types of a marker's incoming and outgoing segments.
enum JsonCurve { kCurveLinear = 0, kCurveExponential, kCurveGamma, kCurveSolid, kCurveNone };

struct JsonMarker {
    float position = 0.0f;
    AColor color{0.0f, 0.0f, 0.0f, 1.0f};
    AColor transparentColor{0.0f, 0.0f, 0.0f, 0.0f};
    int inType = kCurveLinear, outType = kCurveLinear;
};

struct JsonEdgeMap {
    std::string path;
    std::vector<JsonMapParam> parameters; // by internal name
    std::vector<JsonMarker> markers;      // empty: the map's own ramp
};

struct JsonMaterial {
    std::string name, path;
    Color diffuse{0.5f, 0.5f, 0.5f};
    float bumpAmount = 1.0f;
    std::optional<JsonEdgeMap> diffuseMap, bumpMap;
};

// Reads the top-level "materials" list found at path. Throws SceneFileError.
std::vector<JsonMaterial> ReadJsonMaterials(const nlohmann::json& list, const std::string& path,
                                            const std::filesystem::path& file);

// The materials made for a scene. Nodes do not own their material, so this
// keeps them alive; destroy it only after the last render.
class SceneMaterials {
public:
    SceneMaterials() = default;
    SceneMaterials(SceneMaterials&& other) noexcept : materials_(std::move(other.materials_)) {}
    SceneMaterials& operator=(SceneMaterials&&) = delete;
    ~SceneMaterials();
    Mtl* Find(const std::string& name) const;
    // Locked, so that nodes dropping their reference do not delete it.
    void Add(std::string name, Mtl* mtl);

private:
    std::vector<std::pair<std::string, Mtl*>> materials_;
};

// Makes the scene's materials and assigns them to the nodes of the scene that
// name one. Map parameters are checked against the map's block. Throws
// SceneFileError.
SceneMaterials AddJsonMaterials(const JsonScene& json, Scene& scene, const ClassRegistry& registry);

} // namespace contorra
