// The terrain object's class descriptor and parameter block descriptor.
#include "module/class_descs.h"
#include "module/module_globals.h"
#include "module/resource.h"
#include "terrain/land_object.h"
#include "terrain/list_rollouts.h"
#include "terrain/main_rollout.h"

namespace {

// The host's parameter flag value that the node tables carry; nothing here
// depends on it.
constexpr int kNodeTableFlags = 8;

class LandObjectClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return 1; }
    void* Create(BOOL) override { return static_cast<Animatable*>(new LandObject()); }
    const MCHAR* ClassName() override { return "Contorra"; }
    SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
    Class_ID ClassID() override { return LANDOBJECT_CLASS_ID; }
    const MCHAR* Category() override { return "Contorra"; }
    const MCHAR* InternalName() override { return "Contorra"; }
    HINSTANCE HInstance() override { return hInstance; }
};

LandObjectClassDesc landObjectDesc;

ParamDef NodeTable(ParamID id, const char* name) {
    return ParamDef(id, name, TYPE_INODE_TAB).Table(MAX_LIST_SLOTS).Flags(kNodeTableFlags);
}
ParamDef IntTable(ParamID id, const char* name, int def, int lo, int hi) {
    return ParamDef(id, name, TYPE_INT_TAB).Table(MAX_LIST_SLOTS).Default(def).Range(lo, hi);
}
ParamDef FloatTable(ParamID id, const char* name, float def, float lo, float hi) {
    return ParamDef(id, name, TYPE_FLOAT_TAB).Table(MAX_LIST_SLOTS).Default(def).Range(lo, hi);
}

ParamBlockDesc2 landObjectBlock(
    BlockLayout(0, "parameters", 0, &landObjectDesc, P_AUTO_CONSTRUCT | P_AUTO_UI | P_MULTIMAP, 0)
        .Rollout(map_splines, IDD_SPLINES, IDS_SPLINES, 0, 0, &theSplineListDlgProc)
        .Rollout(map_platforms, IDD_PLATFORMS, IDS_PLATFORMS, 0, 0, &thePlatformListDlgProc)
        .Rollout(map_insert, IDD_INSERT, IDS_INSERT, 0, 0, &theInsertListDlgProc)
        .Rollout(map_uvwmap, IDD_UVWMAP, IDS_UVWMAP, 0, 0, &theUVWMapListDlgProc)
        .Rollout(map_main, IDD_LANDOBJECT, IDS_PARAMETERS, 0, 0, &theSplineObjectDlgProc)
        .Param(NodeTable(pb_spline_node, "Spline_Node"))
        .Param(ParamDef(pb_spline_id, "Spline_ID", TYPE_INT)
                   .Default(1)
                   .Range(1, 256)
                   .Spinner(map_splines, EDITTYPE_INT, IDC_SPLINE_ID_EDIT, IDC_SPLINE_ID_SPIN,
                            SPIN_AUTOSCALE))
        .Param(NodeTable(pb_platform_node, "Platform_Node"))
        .Param(FloatTable(pb_slope_up, "Slope_Up", 45.0f, 5.0f, 85.0f))
        .Param(FloatTable(pb_slope_down, "Slope_Down", 45.0f, 5.0f, 85.0f))
        .Param(IntTable(pb_platform_id, "Platform_ID", 2, 1, 256))
        .Param(IntTable(pb_slopeup_id, "SlopeUp_ID", 3, 1, 256))
        .Param(IntTable(pb_slopedown_id, "SlopeDown_ID", 4, 1, 256))
        .Param(ParamDef(pb_iterations, "Interations", TYPE_INT)
                   .Default(10)
                   .Range(1, 16)
                   .Spinner(map_main, EDITTYPE_INT, IDC_ITER_EDIT, IDC_ITER_SPIN, SPIN_AUTOSCALE))
        .Param(ParamDef(pb_exact_fit, "Exact_Fit", TYPE_BOOL)
                   .Default(false)
                   .CheckBox(map_main, IDC_EXACT_FIT))
        .Param(ParamDef(pb_tension, "Tension", TYPE_FLOAT)
                   .Default(0.05f)
                   .Range(0.0f, 1.0f)
                   .Spinner(map_main, EDITTYPE_FLOAT, IDC_TENSION_EDIT, IDC_TENSION_SPIN, 0.01f))
        .Param(ParamDef(pb_dummy_size, "Dummy_Size", TYPE_FLOAT)
                   .Default(100.0f)
                   .Range(0.0001f, 1.0e8f)
                   .Spinner(map_main, EDITTYPE_UNIVERSE, IDC_DUMMY_EDIT, IDC_DUMMY_SPIN,
                            SPIN_AUTOSCALE))
        .Param(NodeTable(pb_insert_node, "Insert_Node"))
        .Param(IntTable(pb_insert_id, "Insert_ID", 2, 1, 256))
        .Param(IntTable(pb_insert_type, "Insert_type", 0, 0, 2))
        .Param(IntTable(pb_insert_split, "Insert_split", 0, 0, 1))
        .Param(NodeTable(pb_uvw_node, "UVW_Node"))
        .Param(IntTable(pb_map_ch, "Map_ch", 2, 1, 99))
        .Param(FloatTable(pb_uvw_width, "UVW_width", 1.0f, 0.0f, 1.0e7f))
        .Param(FloatTable(pb_uvw_zone, "UVW_zone", 1.0f, 0.0f, 1.0e7f))
        .Param(FloatTable(pb_uvw_angle, "UVW_angle", 0.0f, 0.0f, 360.0f))
        .Param(ParamDef(pb_width, "Width", TYPE_FLOAT, P_ANIMATABLE, IDS_WIDTH)
                   .Default(10.0f)
                   .Range(0.0001f, 1.0e7f)
                   .Spinner(map_uvwmap, EDITTYPE_UNIVERSE, IDC_WIDTH_EDIT, IDC_WIDTH_SPIN, 0.01f))
        .Param(ParamDef(pb_mapch, "MapCh", TYPE_INT, P_ANIMATABLE, IDS_MAPCH)
                   .Default(1)
                   .Range(1, 99)
                   .Spinner(map_uvwmap, EDITTYPE_INT, IDC_MAPCH_EDIT, IDC_MAPCH_SPIN, 1.0f))
        .Param(ParamDef(pb_globalangle, "globalangle", TYPE_FLOAT, P_ANIMATABLE, IDS_GLOBALANGLE)
                   .Default(0.0f)
                   .Range(0.0f, 360.0f)
                   .Spinner(map_uvwmap, EDITTYPE_UNIVERSE, IDC_ANGLE_EDIT, IDC_ANGLE_SPIN, 0.01f)));

} // namespace

ClassDesc2* GetLandObjectDesc() {
    return &landObjectDesc;
}
