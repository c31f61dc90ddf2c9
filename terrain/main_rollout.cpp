#include "terrain/main_rollout.h"

#include <cstdio>

#include "host/sdk/interface.h"
#include "module/resource.h"
#include "terrain/build_driver.h"
#include "terrain/land_object.h"

SplineObjectDlgProc theSplineObjectDlgProc;

void SplineObjectDlgProc::SetThing(ReferenceTarget* target) {
    obj = static_cast<LandObject*>(target);
}

INT_PTR SplineObjectDlgProc::DlgProc(TimeValue t, IParamMap2*, HWND hWnd, UINT msg, WPARAM wParam,
                                     LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
        char text[64];
        std::snprintf(text, sizeof text, "Version: %s", kContorraVersion);
        SetDlgItemText(hWnd, IDC_VERSION, text);
        break;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_GENERATE && obj) {
            BuildTerrain(obj);
            // Told even when nothing was built: the host redraws after every press.
            obj->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
            GetCOREInterface()->RedrawViews(t, REDRAW_NORMAL);
        }
        break;
    default:
        break;
    }
    return FALSE;
}
