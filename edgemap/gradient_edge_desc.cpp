// The edge-gradient map's class descriptor and parameter block descriptor.
#include "edgemap/gradient_edge.h"
#include "edgemap/gradient_edge_strings.h"
#include "module/class_descs.h"
#include "module/module_globals.h"

MSTR GradientEdgeString(int id) {
    const MCHAR* s = GetString(id);
    return s ? MSTR(s) : MSTR();
}

namespace {

class GradientEdgeClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return 1; }
    void* Create(BOOL /*loading*/) override { return static_cast<Animatable*>(new GradientEdge); }
    const MCHAR* ClassName() override { return "ContorraBorder"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return GRADIENTEDGE_CLASS_ID; }
    const MCHAR* Category() override { return "Standard Primitives"; }
    const MCHAR* InternalName() override { return "ContorraBorder"; }
    HINSTANCE HInstance() override { return hInstance; }
};

GradientEdgeClassDesc gradientEdgeDesc;

ParamBlockDesc2 gradientEdgeBlock(
    BlockLayout(0, "Parameters", IDS_GE_PARAMETERS, &gradientEdgeDesc, P_AUTO_CONSTRUCT | P_AUTO_UI,
              GE_REF_PBLOCK)
        .Rollout(0, IDD_GRADIENT_EDGE, IDS_GE_PARAMETERS, 0, 0, nullptr)
        .Param(ParamDef(ge_distance, "Distance", TYPE_FLOAT, P_ANIMATABLE, IDS_GE_DISTANCE)
                   .Default(0.1f)
                   .Range(0.0f, 1e7f)
                   .Spinner(0, EDITTYPE_UNIVERSE, 295, 302, 0.01f))
        .Param(ParamDef(ge_angle, "Angle", TYPE_FLOAT, P_ANIMATABLE, IDS_GE_ANGLE)
                   .Default(0.1f)
                   .Range(0.0f, 360.0f)
                   .Spinner(0, EDITTYPE_FLOAT, 296, 304, 0.01f))
        .Param(ParamDef(ge_selection_only, "Selection_only", TYPE_BOOL, P_ANIMATABLE,
                        IDS_GE_SELECTED_ONLY)
                   .Default(false)
                   .CheckBox(0, 238))
        .Param(ParamDef(ge_smooth, "smooth", TYPE_BOOL, P_ANIMATABLE, IDS_GE_SMOOTH)
                   .Default(false)
                   .CheckBox(0, 239))
        .Param(ParamDef(ge_smooth_eq, "smooth_eq", TYPE_INT, 0, IDS_GE_SMOOTH_TYPE)
                   .Default(1)
                   .Range(0, 1)
                   .Radio(0, {240, 242}))
        .Param(ParamDef(ge_complanar, "complanar", TYPE_BOOL, P_ANIMATABLE, IDS_GE_COMPLANAR)
                   .Default(false)
                   .CheckBox(0, 241))
        .Param(ParamDef(ge_conditions, "conditions", TYPE_INT, 0, IDS_GE_CONDITIONS)
                   .Default(1)
                   .Range(0, 1)
                   .Radio(0, {243, 244}))
        .Param(ParamDef(ge_open_edges, "open edges", TYPE_BOOL, P_ANIMATABLE, IDS_GE_OPEN_EDGES)
                   .Default(false)
                   .CheckBox(0, 246))
        .Param(ParamDef(ge_coords, "coords", TYPE_REFTARG, 0, IDS_GE_COORDINATES)
                   .OwnersRef(GE_REF_COORDS))
        .Param(ParamDef(ge_marker_map, "marker_map", TYPE_TEXMAP_TAB, P_VARIABLE_SIZE,
                        IDS_GE_MARKER_MAP)
                   .Table(2)
                   .OwnersRef(GE_REF_MARKER_MAPS))
        .Param(
            ParamDef(ge_output, "output", TYPE_REFTARG, 0, IDS_GE_OUTPUT).OwnersRef(GE_REF_OUTPUT))
        .Param(ParamDef(ge_matid, "matid", TYPE_BOOL, P_ANIMATABLE, IDS_GE_MATID)
                   .Default(false)
                   .CheckBox(0, 257))
        .Param(ParamDef(ge_matid_eq, "matid_eq", TYPE_INT, 0, IDS_GE_MATID_EQ)
                   .Default(1)
                   .Range(0, 1)
                   .Radio(0, {258, 262}))
        .Param(ParamDef(ge_c_mult, "c_mult", TYPE_INT, P_ANIMATABLE, IDS_GE_C_MULT)
                   .Default(2)
                   .Range(1, 1000000)
                   .Spinner(0, EDITTYPE_INT, 297, 306, 1.0f))
        .Param(ParamDef(ge_matid_range, "matId_range", TYPE_BOOL, P_ANIMATABLE, IDS_GE_MATID_RANGE)
                   .Default(false)
                   .CheckBox(0, 267))
        .Param(ParamDef(ge_matid1, "MatId1", TYPE_INT, P_ANIMATABLE, IDS_GE_MATID1)
                   .Default(1)
                   .Range(1, 1000)
                   .Spinner(0, EDITTYPE_INT, 298, 307, 1.0f))
        .Param(ParamDef(ge_matid2, "MatId2", TYPE_INT, P_ANIMATABLE, IDS_GE_MATID2)
                   .Default(1)
                   .Range(1, 1000)
                   .Spinner(0, EDITTYPE_INT, 299, 308, 1.0f)));

} // namespace

ClassDesc2* GetGradientEdgeDesc() {
    return &gradientEdgeDesc;
}
ParamBlockDesc2* GetGradientEdgeBlockDesc() {
    return &gradientEdgeBlock;
}
