#include "rollouts/insert_rollout.h"

#include <cstdio>

#include "host/sdk/inode.h"
#include "module/resource.h"

namespace {

RowTextFn InsertText(InsertParams ids) {
    return [ids](IParamBlock2* pb, int slot, INode* node, std::array<std::string, 2>& lines) {
        int id = 0, type = 0, split = 0;
        Interval valid = FOREVER;
        pb->GetValue(ids.id, 0, id, valid, slot);
        pb->GetValue(ids.type, 0, type, valid, slot);
        pb->GetValue(ids.split, 0, split, valid, slot);
        const char* tail = split ? " | split" : "";
        char text[160];
        if (type == 1)
            std::snprintf(text, sizeof text, "%s | id: %d%s", node->GetName(), id, tail);
        else if (type == 2)
            std::snprintf(text, sizeof text, "%s | hole%s", node->GetName(), tail);
        else
            std::snprintf(text, sizeof text, "%s%s", node->GetName(), tail);
        lines[0] = text;
    };
}

} // namespace

InsertListDlgProc::InsertListDlgProc(const InsertParams& ids)
    : ListRollout(std::make_unique<ListBoxView>(kInsertList, ids.node, InsertText(ids)),
                  ListPickMode::Accepts::Shapes),
      ids_(ids) {
    view_->SetShapesOnly(true);
    spinners_ = {Spinner(IDC_INSERT_ID_EDIT, IDC_INSERT_ID_SPIN, ids.id, false, 2.0f, 256.0f)};
}

void InsertListDlgProc::SetType(int type) {
    if (spinners_[0].control) spinners_[0].control->Enable(type == 1);
    view_->SetSelected(ids_.type, type);
    view_->Invalidate();
}

void InsertListDlgProc::ShowSelection() {
    ShowCommonValues(*view_, spinners_);
    int type = 0;
    const bool oneType = view_->CommonValue(ids_.type, type);
    CheckDlgButton(dlg_, IDC_TYPE_KEEP, oneType && type == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg_, IDC_TYPE_SET_ID, oneType && type == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg_, IDC_TYPE_HOLE, oneType && type == 2 ? BST_CHECKED : BST_UNCHECKED);
    if (spinners_[0].control) spinners_[0].control->Enable(oneType && type == 1);
    int split = 0;
    if (view_->CommonValue(ids_.split, split))
        CheckDlgButton(dlg_, IDC_SPLIT, split ? BST_CHECKED : BST_UNCHECKED);
}

void InsertListDlgProc::Command(TimeValue, HWND hWnd, UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND) return;
    const std::vector<ParamID> values = {ids_.id, ids_.type, ids_.split};
    switch (LOWORD(wParam)) {
    case IDC_MOVE_UP: view_->MoveEntry(-1, values); break;
    case IDC_MOVE_DOWN: view_->MoveEntry(+1, values); break;
    case IDC_TYPE_SET_ID: SetType(1); break;
    case IDC_TYPE_KEEP: SetType(0); break;
    case IDC_TYPE_HOLE: SetType(2); break;
    case IDC_SPLIT:
        view_->SetSelected(ids_.split, IsDlgButtonChecked(hWnd, IDC_SPLIT) ? 1 : 0);
        view_->Invalidate();
        break;
    default: break;
    }
}
