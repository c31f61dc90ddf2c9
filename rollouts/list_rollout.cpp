#include "rollouts/list_rollout.h"

#include "host/sdk/interface.h"
#include "module/resource.h"

ListRollout::ListRollout(std::unique_ptr<ListBoxView> view, ListPickMode::Accepts accepts)
    : view_(std::move(view)), pickMode_(accepts) {}

void ListRollout::SetThing(ReferenceTarget* m) {
    if (auto* pb = dynamic_cast<IParamBlock2*>(m)) pblock_ = pb;
}

void ListRollout::SetParamBlock(IParamBlock2* pb) {
    pblock_ = pb;
    if (dlg_) AttachView(GetDlgItem(dlg_, IDC_LIST));
}

void ListRollout::AttachView(HWND list) {
    view_->Attach(list, pblock_);
    view_->ClearSelection();
}

INT_PTR ListRollout::DlgProc(TimeValue t, IParamMap2*, HWND hWnd, UINT msg, WPARAM wParam,
                             LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        dlg_ = hWnd;
        addButton_ = GetICustButton(GetDlgItem(hWnd, IDC_ADD));
        if (addButton_) addButton_->SetType(CBT_CHECK);
        SetUpSpinners(hWnd, spinners_);
        InitControls(hWnd);
        AttachView(GetDlgItem(hWnd, IDC_LIST));
        break;
    case WM_DESTROY:
        pickMode_.EndFor(GetCOREInterface(), view_.get());
        view_->Detach();
        ReleaseSpinners(spinners_);
        ReleaseControls();
        if (addButton_) ReleaseICustButton(addButton_);
        addButton_ = nullptr;
        dlg_ = nullptr;
        break;
    case WM_COMMAND:
        if (!dlg_) break;
        switch (LOWORD(wParam)) {
        case IDC_ADD:
            pickMode_.Prepare(view_.get(), addButton_);
            pickMode_.Toggle(GetCOREInterface());
            break;
        case IDC_REMOVE:
            view_->RemoveSelected();
            break;
        case IDC_LIST:
            ShowSelection();
            break;
        default:
            Command(t, hWnd, msg, wParam, lParam);
            break;
        }
        break;
    default:
        if (!dlg_) break;
        if (CommitsValue(msg))
            if (EntrySpinner* s = SpinnerOf(spinners_, LOWORD(wParam))) {
                ApplyToSelection(*view_, *s);
                Command(t, hWnd, msg, wParam, lParam);
                break;
            }
        Command(t, hWnd, msg, wParam, lParam);
        break;
    }
    return FALSE;
}
