#include "host/app/terrain_build.h"

#include "host/app/plugin_loader.h"
#include "host/sdk/tri_object.h"
#include "host/sdk/win32.h"

namespace contorra {

namespace {

// A caption as the dialog shows it: '&' marks the next character as the
// mnemonic, "&&" stands for '&'.
std::string Shown(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && ++i == caption.size()) break;
        out += caption[i];
    }
    return out;
}

bool IsPushButton(const DialogControl& c) {
    return c.kind == "PUSHBUTTON" || c.kind == "DEFPUSHBUTTON";
}

// "the "Contorra" object", named by its class descriptor when it has one.
std::string Describe(Object* obj) {
    MSTR name;
    obj->GetClassName(name);
    for (int i = 0; i < obj->NumParamBlocks(); ++i)
        if (IParamBlock2* pb = obj->GetParamBlock(i))
            if (ClassDesc2* cd = pb->GetDesc()->cd; cd && cd->ClassName()) name = cd->ClassName();
    return "the \"" + name + "\" object";
}

struct FoundButton {
    IParamBlock2* block = nullptr;
    RolloutButton button;
};

std::string Where(const RolloutButton& b) {
    return "map " + std::to_string(b.map) + ", dialog " + std::to_string(b.dialogId);
}

// The one button captioned `caption` among the rollouts of obj's blocks,
// looked up in the resource script of the module each block's class is from.
bool LocateButton(Object* obj, const std::string& caption, FoundButton& found, std::string& error) {
    std::vector<FoundButton> all;
    std::string dialogs;
    const PluginModule* module = nullptr;
    const PluginModule* withoutScript = nullptr;
    for (int i = 0; i < obj->NumParamBlocks(); ++i) {
        IParamBlock2* pb = obj->GetParamBlock(i);
        ClassDesc2* cd = pb ? pb->GetDesc()->cd : nullptr;
        const PluginModule* m = cd ? LoadedModule(cd->HInstance()) : nullptr;
        if (m && m->resourcePath.empty()) withoutScript = m;
        if (!m || m->resourcePath.empty()) continue;
        module = m;
        const std::vector<MapDef>& maps = pb->GetDesc()->maps;
        for (const RolloutButton& b : FindRolloutButtons(maps, m->resources, caption))
            all.push_back({pb, b});
        for (const MapDef& d : maps)
            dialogs += (dialogs.empty() ? "" : ", ") + std::to_string(d.dialogId);
    }
    const std::string button = "push button \"" + caption + "\"";
    if (!module && withoutScript) {
        error = withoutScript->path + ": the module has no resource script, so the " + button +
                " of " + Describe(obj) + " cannot be found";
    } else if (!module) {
        error = Describe(obj) + " has no rollouts declared by a plug-in module, so no " + button;
    } else if (all.empty()) {
        error = module->resourcePath + ": no rollout of " + Describe(obj) + " (dialogs " +
                (dialogs.empty() ? "none" : dialogs) + ") holds a " + button;
    } else if (all.size() > 1) {
        error = module->resourcePath + ": " + Describe(obj) + " has " + std::to_string(all.size()) +
                " push buttons \"" + caption + "\" where one is needed:";
        for (std::size_t i = 0; i < all.size(); ++i)
            error += std::string(i ? "," : "") + " control " +
                     std::to_string(all[i].button.controlId) + " (" + Where(all[i].button) + ")";
    } else {
        found = all.front();
        return true;
    }
    return false;
}

} // namespace

std::vector<RolloutButton> FindRolloutButtons(const std::vector<MapDef>& maps,
                                              const ResourceScript& script,
                                              const std::string& caption) {
    std::vector<RolloutButton> found;
    for (const MapDef& m : maps)
        if (const DialogTemplate* dialog = script.Dialog(m.dialogId))
            for (const DialogControl& c : dialog->controls)
                if (IsPushButton(c) && Shown(c.text) == caption)
                    found.push_back({m.id, m.dialogId, c.id});
    return found;
}

bool PressRolloutButton(Object* obj, Interface* ip, const std::string& caption,
                        std::string& error) {
    FoundButton f;
    if (!LocateButton(obj, caption, f, error)) return false;
    obj->BeginEditParams(ip, BEGIN_EDIT_CREATE, nullptr);
    IParamMap2* map = f.block->GetMap(f.button.map);
    ParamMap2UserDlgProc* proc = map ? map->GetUserDlgProc() : nullptr;
    if (proc) map->Send(0, WM_COMMAND, static_cast<WPARAM>(f.button.controlId), 0);
    obj->EndEditParams(ip, END_EDIT_REMOVEUI, nullptr);
    if (!map)
        error = Describe(obj) + " did not open the rollout of its \"" + caption + "\" button (" +
                Where(f.button) + ")";
    else if (!proc)
        error = "the rollout of the \"" + caption + "\" button of " + Describe(obj) + " (" +
                Where(f.button) + ") has no procedure to take the command";
    return proc != nullptr;
}

bool PressGenerate(Object* terrain, Interface* ip, std::string& error) {
    return PressRolloutButton(terrain, ip, "Generate Surface", error);
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
