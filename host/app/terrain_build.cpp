#include "host/app/terrain_build.h"

#include "host/sdk/param_block2.h"
#include "host/sdk/tri_object.h"
#include "host/sdk/win32.h"

namespace contorra {

namespace {
// The main rollout's map and its "Generate Surface" button.
constexpr MapID kMainRollout = 3;
constexpr int kGenerateButton = 253;
} // namespace

bool PressGenerate(Object* terrain, Interface* ip, std::string& error) {
    terrain->BeginEditParams(ip, BEGIN_EDIT_CREATE, nullptr);
    IParamBlock2* pb = terrain->GetParamBlock(0);
    IParamMap2* map = pb ? pb->GetMap(kMainRollout) : nullptr;
    ParamMap2UserDlgProc* proc = map ? map->GetUserDlgProc() : nullptr;
    if (proc) map->Send(0, WM_COMMAND, static_cast<WPARAM>(kGenerateButton), 0);
    terrain->EndEditParams(ip, END_EDIT_REMOVEUI, nullptr);
    if (!map)
        error = "the terrain object opened no main rollout";
    else if (!proc)
        error = "the terrain object's main rollout has no build command";
    return proc != nullptr;
}

bool TerrainMesh(Object* terrain, Mesh& out) {
    if (!terrain->CanConvertToType(triObjectClassID)) return false;
    Object* converted = terrain->ConvertToType(0, triObjectClassID);
    auto* tri = dynamic_cast<TriObject*>(converted);
    if (tri) out = tri->mesh;
    if (converted && converted != terrain) converted->DeleteThis();
    return tri != nullptr;
}

} // namespace contorra
