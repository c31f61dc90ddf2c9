#pragma once
// Runs a terrain object's build the way the user interface does, and reads
// back the built mesh through the conversion any host uses.
#include <string>
#include <vector>

#include "host/app/resource_script.h"
#include "host/sdk/interface.h"
#include "host/sdk/mesh.h"
#include "host/sdk/object.h"
#include "host/sdk/param_block2.h"

namespace contorra {

// A push button of a rollout: the map showing it, the dialog template it is
// declared in and its control id.
struct RolloutButton {
    MapID map = 0;
    int dialogId = 0;
    int controlId = 0;
};

// The push buttons (PUSHBUTTON or DEFPUSHBUTTON) captioned `caption` in the
// dialog templates of the maps, in map order. Captions compare as shown, with
// the '&' of keyboard mnemonics dropped; maps whose dialog the script does
// not declare hold none.
std::vector<RolloutButton> FindRolloutButtons(const std::vector<MapDef>& maps,
                                              const ResourceScript& script,
                                              const std::string& caption);

// Opens the object's rollouts, sends WM_COMMAND for the one push button
// captioned `caption` to the rollout holding it and closes them again. The
// button is looked up among the maps of the object's parameter blocks in
// the resource script of the object's module. False, with the reason, when
// there is no such button, more than one, or its rollout takes no commands.
bool PressRolloutButton(Object* obj, Interface* ip, const std::string& caption, std::string& error);

// PressRolloutButton for "Generate Surface".
bool PressGenerate(Object* terrain, Interface* ip, std::string& error);

// The object's mesh as a triangle-mesh conversion gives it; false when the
// object does not convert.
bool TerrainMesh(Object* terrain, Mesh& out);

} // namespace contorra
