#pragma once
// The terrain's four list rollouts, one static procedure each, bound to the
// block's parameter ids.
#include "rollouts/insert_rollout.h"
#include "rollouts/platforms_rollout.h"
#include "rollouts/splines_rollout.h"
#include "rollouts/uvwmap_rollout.h"

class LandObject;

// "Update" and the live outline act on the terrain object the rollout edits.
class LandUVWMapDlgProc : public UVWMapListDlgProc {
public:
    LandUVWMapDlgProc();
    LandObject* obj = nullptr;

protected:
    IParamBlock2* BlockOf(ReferenceTarget* thing) override;
    void ReapplyZones(TimeValue t) override;
    void UpdateOutline() override;
};

extern SplineListDlgProc theSplineListDlgProc;
extern PlatformListDlgProc thePlatformListDlgProc;
extern InsertListDlgProc theInsertListDlgProc;
extern LandUVWMapDlgProc theUVWMapListDlgProc;
