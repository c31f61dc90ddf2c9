// The host's output rollout: the output amount and the RGB level of a map's
// output filter, on a page of the material editor.
#include "host/sdk/custom_controls.h"
#include "host/sdk/std_maps.h"

namespace {

class OutputDlg : public ParamDlg {
public:
    OutputDlg(StdTexOut* out, IMtlParams* imp) : out_(out), imp_(imp) {
        page_ = imp->AddRollupPage(GetHostInstance(), IDD_HOST_OUTPUT, &OutputDlg::Proc, "Output",
                                   reinterpret_cast<LPARAM>(this));
    }

    Class_ID ClassID() override { return STDTEXOUT_CLASS_ID; }
    void SetThing(ReferenceTarget* m) override {
        if (auto* out = dynamic_cast<StdTexOut*>(m)) {
            out_ = out;
            Show();
        }
    }
    ReferenceTarget* GetThing() override { return out_; }
    void SetTime(TimeValue) override {}
    void ReloadDialog() override { Show(); }
    void DeleteThis() override {
        if (page_) {
            SetWindowLongPtr(page_, GWLP_USERDATA, 0);
            imp_->DeleteRollupPage(page_);
        }
        delete this;
    }

private:
    static INT_PTR CALLBACK Proc(HWND wnd, UINT msg, WPARAM, LPARAM lParam) {
        if (msg == WM_INITDIALOG) {
            SetWindowLongPtr(wnd, GWLP_USERDATA, lParam);
            auto* dlg = reinterpret_cast<OutputDlg*>(lParam);
            dlg->page_ = wnd;
            dlg->SetUp();
            return TRUE;
        }
        auto* dlg = reinterpret_cast<OutputDlg*>(GetWindowLongPtr(wnd, GWLP_USERDATA));
        if (!dlg) return FALSE;
        if (msg == CC_SPINNER_CHANGE || msg == CC_SPINNER_BUTTONUP || msg == WM_CUSTEDIT_ENTER) {
            dlg->Take();
            return TRUE;
        }
        return FALSE;
    }

    void SetUp() {
        Spinner(IDC_OUTPUT_AMOUNT_SPIN, IDC_OUTPUT_AMOUNT_EDIT, 0.0f, 100.0f);
        Spinner(IDC_RGB_LEVEL_SPIN, IDC_RGB_LEVEL_EDIT, 0.0f, 100.0f);
        Show();
    }
    void Spinner(int spin, int edit, float lo, float hi) {
        if (ISpinnerControl* s = GetISpinner(GetDlgItem(page_, spin))) {
            s->LinkToEdit(GetDlgItem(page_, edit), EDITTYPE_FLOAT);
            s->SetLimits(lo, hi, FALSE);
            s->SetScale(0.01f);
            s->SetResetValue(1.0f);
            ReleaseISpinner(s);
        }
    }
    void Show() {
        if (!page_ || !out_) return;
        const TimeValue t = imp_->GetTime();
        Set(IDC_OUTPUT_AMOUNT_SPIN, out_->GetOutputLevel(t));
        Set(IDC_RGB_LEVEL_SPIN, out_->GetRGBLevel(t));
    }
    void Set(int spin, float v) {
        if (ISpinnerControl* s = GetISpinner(GetDlgItem(page_, spin))) {
            s->SetValue(v, FALSE);
            ReleaseISpinner(s);
        }
    }
    float Get(int spin) {
        float v = 1.0f;
        if (ISpinnerControl* s = GetISpinner(GetDlgItem(page_, spin))) {
            v = s->GetFVal();
            ReleaseISpinner(s);
        }
        return v;
    }
    void Take() {
        if (!out_) return;
        const TimeValue t = imp_->GetTime();
        out_->SetOutputLevel(t, Get(IDC_OUTPUT_AMOUNT_SPIN));
        out_->SetRGBLevel(t, Get(IDC_RGB_LEVEL_SPIN));
        out_->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
        imp_->MtlChanged();
    }

    StdTexOut* out_;
    IMtlParams* imp_;
    HWND page_ = nullptr;
};

} // namespace

ParamDlg* StdTexOut::CreateParamDlg(HWND, IMtlParams* imp) {
    return imp ? new OutputDlg(this, imp) : nullptr;
}
