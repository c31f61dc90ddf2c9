#pragma once
// The UVWMap rollout: paths along which the terrain gets texture
// coordinates, each with its map channel, texture width, zone ("Outline")
// width and angle. Width and outline edits redraw the zone outline at once;
// the mapping itself follows only on "Update" or the next build. The global
// mapping's spinners belong to the parameter map.
#include "rollouts/list_rollout.h"

struct UVWMapParams {
    ParamID node, channel, width, zone, angle;
};

class UVWMapListDlgProc : public ListRollout {
public:
    explicit UVWMapListDlgProc(const UVWMapParams& ids);
    void SetThing(ReferenceTarget* m) override;

protected:
    // What the terrain does for the rollout: the rollout's thing is the
    // terrain object itself.
    virtual IParamBlock2* BlockOf(ReferenceTarget* thing) = 0;
    // "Update": the mapping laid again on the built mesh, dependents told.
    virtual void ReapplyZones(TimeValue t) = 0;
    // The zone outline drawn again from the list.
    virtual void UpdateOutline() = 0;

    void ShowSelection() override;
    void Command(TimeValue t, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    UVWMapParams ids_;
};
