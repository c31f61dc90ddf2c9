#pragma once
// The Splines rollout: the contour lines of the terrain, picked in the
// viewports as anything that can become a spline shape. Its "Base ID:"
// spinner belongs to the parameter map.
#include "rollouts/list_rollout.h"

class SplineListDlgProc : public ListRollout {
public:
    explicit SplineListDlgProc(ParamID nodeTable);
    SplinesListBoxView& Splines() { return static_cast<SplinesListBoxView&>(*view_); }

protected:
    void AttachView(HWND list) override;
};
