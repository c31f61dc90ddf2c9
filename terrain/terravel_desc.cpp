// The conform modifier's class descriptor and parameter block descriptor.
#include "module/class_descs.h"
#include "module/module_globals.h"
#include "module/resource.h"
#include "terrain/terravel.h"

namespace {

class TerravelClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return 1; }
    void* Create(BOOL) override { return static_cast<Animatable*>(new Terravel()); }
    const MCHAR* ClassName() override { return "Contorra"; }
    SClass_ID SuperClassID() override { return WSM_CLASS_ID; }
    Class_ID ClassID() override { return TERRAVEL_CLASS_ID; }
    const MCHAR* Category() override { return ""; }
    const MCHAR* InternalName() override { return "Contorra"; }
    HINSTANCE HInstance() override { return hInstance; }
};

TerravelClassDesc terravelDesc;

ParamBlockDesc2 terravelBlock(BlockLayout(0, "parameters", 0, &terravelDesc,
                                          P_AUTO_CONSTRUCT | P_AUTO_UI, 0)
                                  .Rollout(0, IDD_TERRAVEL, IDS_PARAM, 0, 0, nullptr)
                                  .Param(ParamDef(pb_land_object, "Land_Object", TYPE_INODE)
                                             .PickNodeButton(0, IDC_LANDOBJECT_PICK)));

} // namespace

ClassDesc2* GetTerravelDesc() {
    return &terravelDesc;
}
