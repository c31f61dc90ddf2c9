#pragma once
// The material editor's parameter dialog of a thing whose blocks declare
// their rollouts: one rollout per map of every block with P_AUTO_UI, plus
// the secondary dialogs the thing adds (its output's, for a map).
#include <vector>

#include "host/sdk/texmap.h"

class ClassDesc2;
class IParamMap2;

class IAutoMParamDlg : public ParamDlg {
public:
    IAutoMParamDlg(ClassDesc2* cd, ReferenceTarget* thing, IMtlParams* imp, HWND hwMtlEdit);
    ~IAutoMParamDlg() override;
    IAutoMParamDlg(const IAutoMParamDlg&) = delete;
    IAutoMParamDlg& operator=(const IAutoMParamDlg&) = delete;

    Class_ID ClassID() override;
    // The maps switch to the new thing's blocks; each secondary dialog is
    // offered to the thing (SetDlgThing) before it is given the thing itself.
    void SetThing(ReferenceTarget* m) override;
    ReferenceTarget* GetThing() override { return thing_; }
    void SetTime(TimeValue t) override;
    void ReloadDialog() override;
    // Closes every rollout, deletes the user procedures and the secondaries.
    void DeleteThis() override;
    void ActivateDlg(BOOL onOff) override;
    int FindSubTexFromHWND(HWND wnd) override;

    void AddDlg(ParamDlg* dlg);
    int NumDlgs() const { return static_cast<int>(secondaries_.size()); }
    ParamDlg* GetDlg(int i) { return secondaries_.at(static_cast<std::size_t>(i)); }
    int NumMaps() const { return static_cast<int>(maps_.size()); }
    IParamMap2* GetMap(int i = 0) { return i < NumMaps() ? maps_[static_cast<std::size_t>(i)] : nullptr; }
    HWND EditorWindow() const { return hwMtlEdit_; }
    IMtlParams* Params() const { return imp_; }

private:
    ClassDesc2* cd_;
    ReferenceTarget* thing_;
    IMtlParams* imp_;
    HWND hwMtlEdit_;
    std::vector<IParamMap2*> maps_;
    std::vector<ParamDlg*> secondaries_;
};

// The rollouts of obj's blocks in the material editor (ClassDesc2's
// CreateParamDlgs).
IAutoMParamDlg* CreateAutoMParamDlg(ClassDesc2* cd, HWND hwMtlEdit, IMtlParams* imp,
                                    ReferenceTarget* obj);
