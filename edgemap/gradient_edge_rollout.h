#pragma once
// The edge-gradient map's rollout in the material editor: the user procedure
// of the block's rollout and the map's parameter dialog. Besides the block's
// own controls it edits the active marker of the ramp (position, colours,
// maps and their switches, curves) and keeps the check boxes' enabling rules.
#include "edgemap/gradient_edge.h"
#include "edgemap/ramp_control.h"
#include "host/sdk/drag_and_drop.h"
#include "host/sdk/param_map.h"

class GradientEdgeDlgProc : public ParamMap2UserDlgProc, public ParamDlg {
public:
    GradientEdgeDlgProc(GradientEdge* map, IMtlParams* imp, HWND hwMtlEdit);
    ~GradientEdgeDlgProc() override;
    GradientEdgeDlgProc(const GradientEdgeDlgProc&) = delete;
    GradientEdgeDlgProc& operator=(const GradientEdgeDlgProc&) = delete;

    INT_PTR DlgProc(TimeValue t, IParamMap2* pmap, HWND hWnd, UINT msg, WPARAM wParam,
                    LPARAM lParam) override;

    // ParamDlg
    Class_ID ClassID() override { return GRADIENTEDGE_CLASS_ID; }
    void SetThing(ReferenceTarget* m) override;
    ReferenceTarget* GetThing() override { return map_; }
    void SetTime(TimeValue t) override;
    void ReloadDialog() override;
    // 2k for the base-map button, 2k + 1 for the transparent-map button, k
    // the active marker; -1 for anything else.
    int FindSubTexFromHWND(HWND wnd) override;
    void DeleteThis() override { delete this; }

private:
    void InitDialog(HWND hWnd);
    void Destroyed();
    void ApplyEnablingRules();
    void Command(int id, int code);
    void SpinnerMessage(int id);
    void SwatchMessage(int id);
    void ShowMarker(const RampMarker* m);
    void ShowPosition(const RampMarker* m);
    void LinkPosition(const RampMarker* m);
    void RefreshMapButtons();
    void RepaintRamp();
    // Marker edits reach renders and the editor's sample.
    void MarkersChanged();
    RampMarker* Active();
    // The marker lParam names when it is one of the ramp's, else null.
    RampMarker* MarkerOf(LPARAM lParam);
    bool PositionAsDistance() const;

    GradientEdge* map_;
    IMtlParams* imp_;
    HWND hwMtlEdit_;
    HWND hWnd_ = nullptr;
    bool painted_ = false;
    ICustButton* baseMapButton_ = nullptr;
    ICustButton* transparentMapButton_ = nullptr;
    IGradientRamp* ramp_ = nullptr;
    IColorSwatch* baseSwatch_ = nullptr;
    IColorSwatch* transparentSwatch_ = nullptr;
    TexDADMgr dadMgr_;
};
