#pragma once
// Runs a terrain object's build the way the user interface does, and reads
// back the built mesh through the conversion any host uses.
#include <string>

#include "host/sdk/interface.h"
#include "host/sdk/mesh.h"
#include "host/sdk/object.h"

namespace contorra {

// Opens the object's rollouts, sends "Generate Surface" to the main rollout
// and closes them again. False, with the reason, when the object has no such
// command.
bool PressGenerate(Object* terrain, Interface* ip, std::string& error);

// The object's mesh as a triangle-mesh conversion gives it; false when the
// object does not convert.
bool TerrainMesh(Object* terrain, Mesh& out);

} // namespace contorra
