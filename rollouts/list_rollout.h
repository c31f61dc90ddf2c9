#pragma once
// What the four list rollouts share: the block they edit, the list view in
// control 1179, the "Add" button with its pick mode and "Remove". Each
// rollout adds its own controls in its own procedure.
#include <memory>
#include <vector>

#include "host/sdk/custom_controls.h"
#include "host/sdk/param_block2.h"
#include "rollouts/entry_spinners.h"
#include "rollouts/list_box_view.h"
#include "rollouts/list_pick_mode.h"

class ListRollout : public ParamMap2UserDlgProc {
public:
    ListRollout(std::unique_ptr<ListBoxView> view, ListPickMode::Accepts accepts);

    INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                    LPARAM lParam) override;
    void DeleteThis() override {}
    // The block arrives as the thing (before the rollout opens) or, when the
    // open rollout switches to another object, as the block of that object.
    void SetThing(ReferenceTarget* m) override;
    void SetParamBlock(IParamBlock2* pb) override;

    IParamBlock2* Block() const { return pblock_; }
    ListBoxView& View() { return *view_; }
    HWND Dialog() const { return dlg_; }

protected:
    // The rollout's own controls.
    virtual void InitControls(HWND) {}
    virtual void ReleaseControls() {}
    // The view told that its selection may have changed.
    virtual void ShowSelection() {}
    // Every other message, after the shared ones.
    virtual void Command(TimeValue, HWND, UINT, WPARAM, LPARAM) {}
    // Attaches the view and clears its selection; the splines view also
    // rebuilds its entries in slot order.
    virtual void AttachView(HWND list);

    std::unique_ptr<ListBoxView> view_;
    ListPickMode pickMode_;
    IParamBlock2* pblock_ = nullptr;
    ICustButton* addButton_ = nullptr;
    HWND dlg_ = nullptr;
    std::vector<EntrySpinner> spinners_;
};
