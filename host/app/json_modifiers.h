#pragma once
// World-space modifiers of JSON scenes: the plug-in's conform modifier,
// draping listed nodes over a terrain. The reader turns the "modifiers" list
// into plain descriptions; AddJsonModifiers makes each modifier through its
// class descriptor, sets its parameter block and puts it on its nodes, where
// the host evaluates it after the node's own stack and transform.
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/app/plugin_loader.h"

class Scene;
class INode;

namespace contorra {

struct JsonScene;

// The conform modifier's class ("type": "Terravel").
inline const Class_ID kConformClassID(0x14292e5e, 0x16395a25);

struct JsonNodeRef {
    std::string name, path;
};

struct JsonModifierParam {
    std::string name;
    nlohmann::json value;
    std::string path;
};

struct JsonModifier {
    std::string type, path;
    JsonNodeRef target;            // the terrain, set as the block's "Land_Object"
    std::vector<JsonNodeRef> nodes; // draped, in order
    std::vector<JsonModifierParam> parameters; // other values by internal name
};

// Reads the top-level "modifiers" list found at path. Throws SceneFileError.
std::vector<JsonModifier> ReadJsonModifiers(const nlohmann::json& list, const std::string& path,
                                            const std::filesystem::path& file);

// Checks the names the modifiers give against the scene's nodes: the target
// must be a terrain, the draped nodes meshes or boxes, none of them the
// target. Throws SceneFileError.
void CheckJsonModifierNodes(const JsonScene& scene);

// Makes the scene's modifiers and adds each to its nodes, in file order. The
// nodes must be in the scene. Throws SceneFileError.
void AddJsonModifiers(const JsonScene& json, Scene& scene, const ClassRegistry& registry);

// The nodes that carry at least one world-space modifier, in scene order.
std::vector<INode*> DrapedNodes(Scene& scene);

} // namespace contorra
