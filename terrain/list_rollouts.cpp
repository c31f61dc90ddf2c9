#include "terrain/list_rollouts.h"

#include "host/sdk/interface.h"
#include "terrain/build_driver.h"
#include "terrain/land_object.h"

SplineListDlgProc theSplineListDlgProc(pb_spline_node);
PlatformListDlgProc thePlatformListDlgProc({pb_platform_node, pb_slope_up, pb_slope_down,
                                            pb_platform_id, pb_slopeup_id, pb_slopedown_id});
InsertListDlgProc theInsertListDlgProc({pb_insert_node, pb_insert_id, pb_insert_type,
                                        pb_insert_split});
LandUVWMapDlgProc theUVWMapListDlgProc;

LandUVWMapDlgProc::LandUVWMapDlgProc()
    : UVWMapListDlgProc({pb_uvw_node, pb_map_ch, pb_uvw_width, pb_uvw_zone, pb_uvw_angle}) {}

IParamBlock2* LandUVWMapDlgProc::BlockOf(ReferenceTarget* thing) {
    if (auto* land = dynamic_cast<LandObject*>(thing)) obj = land;
    return obj ? obj->pblock : nullptr;
}

void LandUVWMapDlgProc::ReapplyZones(TimeValue t) {
    if (!obj) return;
    Interface* ip = GetCOREInterface();
    ReapplyUVWZones(obj, ip, t);
    obj->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    if (ip) ip->RedrawViews(t, REDRAW_NORMAL);
}

void LandUVWMapDlgProc::UpdateOutline() {
    if (!obj) return;
    Interface* ip = GetCOREInterface();
    UpdateUVWOutline(obj, ip);
    if (ip) ip->RedrawViews(ip->GetTime(), REDRAW_NORMAL);
}
