#pragma once
// Dragging things between controls: a control with a manager offers what
// lies under the pointer and takes what is dropped on it. Map buttons of a
// material or map dialog use TexDADMgr, so a map dragged from one button to
// another becomes that slot's sub-map too.
#include "host/sdk/texmap.h"

class DADMgr {
public:
    virtual ~DADMgr() = default;
    // The super class of what can be dragged from hwnd at p; 0 for nothing.
    virtual SClass_ID GetDragType(HWND hwnd, POINT p) = 0;
    virtual ReferenceTarget* GetInstance(HWND hwnd, POINT p, SClass_ID type) = 0;
    virtual BOOL OkToDrop(ReferenceTarget* dropThis, HWND hfrom, HWND hto, POINT p,
                          SClass_ID type) = 0;
    virtual void Drop(ReferenceTarget* dropThis, HWND hwnd, POINT p, SClass_ID type) = 0;
};

// Sub-maps of the dialog's thing, found by button through FindSubTexFromHWND.
class TexDADMgr : public DADMgr {
public:
    explicit TexDADMgr(ParamDlg* dlg = nullptr) : dlg_(dlg) {}
    void Init(ParamDlg* dlg) { dlg_ = dlg; }

    SClass_ID GetDragType(HWND hwnd, POINT p) override;
    ReferenceTarget* GetInstance(HWND hwnd, POINT p, SClass_ID type) override;
    // A map, onto a sub-map button, that is not the thing itself.
    BOOL OkToDrop(ReferenceTarget* dropThis, HWND hfrom, HWND hto, POINT p, SClass_ID type) override;
    void Drop(ReferenceTarget* dropThis, HWND hwnd, POINT p, SClass_ID type) override;

private:
    MtlBase* Thing() const;
    ParamDlg* dlg_;
};
