#pragma once
// Makes host nodes and objects of a JSON scene description: splines become
// spline shapes, meshes triangle-mesh objects, boxes the host's box, and
// terrains objects of the plug-in's terrain class, created through its class
// descriptor with their lists and parameters set through the parameter block.
#include <vector>

#include "host/app/json_scene.h"
#include "host/app/plugin_loader.h"
#include "host/app/scene.h"

namespace contorra {

// The terrain object's class.
inline const Class_ID kTerrainClassID(0x14ec440d, 0x700c139b);

// Adds the nodes to the scene and answers the nodes holding terrain objects,
// in file order. Parameter names, types and ranges are checked against the
// terrain class's block. Throws SceneFileError; the scene may then hold
// some of the nodes.
std::vector<INode*> AddJsonScene(const JsonScene& json, Scene& scene,
                                 const ClassRegistry& registry);

} // namespace contorra
