#pragma once
// The pick mode behind a list rollout's "Add" button: while it runs, the
// button is checked and the list disabled; every node the filter takes and
// the user clicks is added to the list, one after another, until the host
// ends the mode.
#include "host/sdk/custom_controls.h"
#include "host/sdk/pick_mode.h"

class ListBoxView;
class INode;

class ListPickMode : public PickModeCallback, public PickNodeCallback {
public:
    // Which objects the list takes.
    enum class Accepts { Shapes, Meshes };
    explicit ListPickMode(Accepts accepts) : accepts_(accepts) {}

    // The view and button of the rollout that pressed the button.
    void Prepare(ListBoxView* view, ICustButton* button);
    // Starts the mode, or ends it when it is running already.
    void Toggle(Interface* ip);
    // Ends the mode if it runs for the given view (its rollout is closing).
    void EndFor(Interface* ip, ListBoxView* view);

    BOOL HitTest(IObjParam* ip, HWND hWnd, ViewExp* vpt, IPoint2 m, int flags) override;
    BOOL Pick(IObjParam* ip, ViewExp* vpt) override;
    BOOL RightClick(IObjParam*, ViewExp*) override { return TRUE; }
    void EnterMode(IObjParam* ip) override;
    void ExitMode(IObjParam* ip) override;
    PickNodeCallback* GetFilter() override { return this; }
    BOOL Filter(INode* node) override;

private:
    Accepts accepts_;
    ListBoxView* view_ = nullptr;
    ICustButton* button_ = nullptr;
};
