#include "rollouts/entry_spinners.h"

#include "rollouts/list_box_view.h"

void SetUpSpinners(HWND dlg, std::vector<EntrySpinner>& spinners) {
    for (EntrySpinner& s : spinners) {
        s.control = GetISpinner(GetDlgItem(dlg, s.spin));
        if (!s.control) continue;
        if (s.isFloat)
            s.control->SetLimits(s.lo, s.hi, s.clampCurrent);
        else
            s.control->SetLimits(static_cast<int>(s.lo), static_cast<int>(s.hi), s.clampCurrent);
        if (s.autoScale) s.control->SetAutoScale(TRUE);
        if (s.resetValue != 0.0f) s.control->SetResetValue(s.resetValue);
        s.control->LinkToEdit(GetDlgItem(dlg, s.edit), s.isFloat ? EDITTYPE_FLOAT : EDITTYPE_INT);
    }
}

void ReleaseSpinners(std::vector<EntrySpinner>& spinners) {
    for (EntrySpinner& s : spinners) {
        if (s.control) ReleaseISpinner(s.control);
        s.control = nullptr;
    }
}

void ShowCommonValues(const ListBoxView& view, std::vector<EntrySpinner>& spinners) {
    for (EntrySpinner& s : spinners) {
        if (!s.control) continue;
        bool common;
        if (s.isFloat) {
            float v = 0.0f;
            common = view.CommonValue(s.id, v);
            s.control->SetIndeterminate(!common);
            if (common) s.control->SetValue(v, FALSE);
        } else {
            int v = 0;
            common = view.CommonValue(s.id, v);
            s.control->SetIndeterminate(!common);
            if (common) s.control->SetValue(v, FALSE);
        }
    }
}

EntrySpinner* SpinnerOf(std::vector<EntrySpinner>& spinners, int controlId) {
    for (EntrySpinner& s : spinners)
        if (s.edit == controlId || s.spin == controlId) return &s;
    return nullptr;
}

bool CommitsValue(UINT msg) {
    return msg == CC_SPINNER_BUTTONUP || msg == WM_CUSTEDIT_ENTER;
}

void ApplyToSelection(ListBoxView& view, const EntrySpinner& spinner) {
    if (!spinner.control) return;
    if (spinner.isFloat)
        view.SetSelected(spinner.id, spinner.control->GetFVal());
    else
        view.SetSelected(spinner.id, spinner.control->GetIVal());
    view.Invalidate();
}
