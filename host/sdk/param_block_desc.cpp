#include "host/sdk/param_block_desc.h"

#include <algorithm>

#include "host/sdk/class_desc.h"
#include "host/sdk/param_map.h"

namespace {

// Every block descriptor of the process. Descriptors are static objects of
// plug-in modules, constructed in no particular order relative to their
// class descriptors, so the class descriptors look them up lazily here.
std::vector<ParamBlockDesc2*>& AllBlockDescs() {
    static std::vector<ParamBlockDesc2*> all;
    return all;
}

} // namespace

ParamDef& ParamDef::Range(int lo, int hi) {
    has_range = true;
    range_low.i = lo;
    range_low.f = static_cast<float>(lo);
    range_high.i = hi;
    range_high.f = static_cast<float>(hi);
    return *this;
}

ParamDef& ParamDef::Range(float lo, float hi) {
    has_range = true;
    range_low.f = lo;
    range_low.i = static_cast<int>(lo);
    range_high.f = hi;
    range_high.i = static_cast<int>(hi);
    return *this;
}

ParamDef& ParamDef::Spinner(MapID map, EditSpinnerType et, int editId, int spinId,
                            float spinScale) {
    ui_map = map;
    ctrl_type = TYPE_SPINNER;
    spin_type = et;
    ctrl_IDs = {editId, spinId};
    scale = spinScale;
    return *this;
}

ParamDef& ParamDef::CheckBox(MapID map, int ctrlId) {
    ui_map = map;
    ctrl_type = TYPE_SINGLECHECKBOX;
    ctrl_IDs = {ctrlId};
    return *this;
}

ParamDef& ParamDef::Radio(MapID map, std::vector<int> buttonIds, std::vector<int> values) {
    ui_map = map;
    ctrl_type = TYPE_RADIO;
    ctrl_IDs = std::move(buttonIds);
    radio_values = std::move(values);
    return *this;
}

ParamDef& ParamDef::PickNodeButton(MapID map, int ctrlId, StringResID pickPrompt) {
    ui_map = map;
    ctrl_type = TYPE_PICKNODEBUTTON;
    ctrl_IDs = {ctrlId};
    prompt = pickPrompt;
    return *this;
}

ParamDef& ParamDef::Ui(MapID map, ControlType2 ct, std::vector<int> ids) {
    ui_map = map;
    ctrl_type = ct;
    ctrl_IDs = std::move(ids);
    return *this;
}

ParamBlockDesc2::ParamBlockDesc2(BlockLayout layout)
    : ID(layout.id), int_name(std::move(layout.int_name)), local_name(layout.local_name), cd(layout.cd),
      flags(layout.flags), ref(layout.ref), version(layout.version), maps(std::move(layout.maps)),
      paramdefs(std::move(layout.params)) {
    AllBlockDescs().push_back(this);
}

ParamBlockDesc2::~ParamBlockDesc2() {
    auto& all = AllBlockDescs();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

int ParamBlockDesc2::IDtoIndex(ParamID id) const {
    for (std::size_t i = 0; i < paramdefs.size(); ++i)
        if (paramdefs[i].ID == id) return static_cast<int>(i);
    return -1;
}

ParamID ParamBlockDesc2::IndextoID(int i) const {
    return i >= 0 && i < Count() ? paramdefs[static_cast<std::size_t>(i)].ID : -1;
}

const ParamDef* ParamBlockDesc2::GetParamDefPtr(ParamID id) const {
    int i = IDtoIndex(id);
    return i < 0 ? nullptr : &paramdefs[static_cast<std::size_t>(i)];
}

ParamDef& ParamBlockDesc2::GetParamDef(ParamID id) {
    int i = IDtoIndex(id);
    static ParamDef none;
    return i < 0 ? none : paramdefs[static_cast<std::size_t>(i)];
}

const MapDef* ParamBlockDesc2::GetMapDef(MapID map) const {
    for (const MapDef& m : maps)
        if (m.id == map) return &m;
    return nullptr;
}

void ParamBlockDesc2::SetUserDlgProc(MapID map, ParamMap2UserDlgProc* proc) {
    for (MapDef& m : maps)
        if (m.id == map) m.proc = proc;
    if (cd)
        if (IParamMap2* open = cd->GetParamMap(this, map)) open->SetUserDlgProc(proc);
}

ParamMap2UserDlgProc* ParamBlockDesc2::GetUserDlgProc(MapID map) const {
    const MapDef* m = GetMapDef(map);
    return m ? m->proc : nullptr;
}

void ParamBlockDesc2::InvalidateUI() {
    if (cd) cd->InvalidateUI(this);
}

void ParamBlockDesc2::InvalidateUI(ParamID, int) {
    InvalidateUI();
}

// Class descriptors find their blocks among all the block descriptors.
void ClassDesc2::Collect() {
    auto& all = AllBlockDescs();
    // Blocks added by hand stay; those destroyed since go.
    std::erase_if(descs_, [&all](ParamBlockDesc2* d) {
        return std::find(all.begin(), all.end(), d) == all.end();
    });
    for (ParamBlockDesc2* d : all)
        if (d->cd == this && std::find(descs_.begin(), descs_.end(), d) == descs_.end())
            descs_.push_back(d);
}
