#pragma once
// The terrain object's main rollout: the version text and "Generate Surface".
#include "host/sdk/param_block2.h"

class LandObject;

class SplineObjectDlgProc : public ParamMap2UserDlgProc {
public:
    LandObject* obj = nullptr;

    INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                    LPARAM lParam) override;
    void SetThing(ReferenceTarget* target) override;
    void DeleteThis() override {}
};

extern SplineObjectDlgProc theSplineObjectDlgProc;

// The version shown in the rollout.
inline constexpr const char* kContorraVersion = "1.34";
