#pragma once
// Rollouts: the open user interface of one map of a block, and the user
// procedure that gets its messages.
#include <string>

#include "host/sdk/param_block_desc.h"
#include "host/sdk/win32.h"

class IParamBlock2;
class IParamMap2;
class ReferenceTarget;

// The procedure behind a rollout, called with the rollout's messages.
class ParamMap2UserDlgProc {
public:
    virtual ~ParamMap2UserDlgProc() = default;
    virtual INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                            LPARAM lParam) = 0;
    virtual void DeleteThis() = 0;
    // The thing being edited changed while the rollout stayed open.
    virtual void SetThing(ReferenceTarget*) {}
    virtual void Update(TimeValue) {}
    virtual void SetParamBlock(IParamBlock2*) {}
};

// An open rollout. Headless: its window is a host record that remembers the
// texts set on its items; user procedures get their messages as usual.
class IParamMap2 {
public:
    IParamMap2(ParamBlockDesc2* desc, const MapDef& map, IParamBlock2* pb, HWND hWnd);
    virtual ~IParamMap2() = default;

    MapID GetMapID() const { return map_.id; }
    const MapDef& GetMapDef() const { return map_; }
    ParamBlockDesc2* GetDesc() { return desc_; }
    IParamBlock2* GetParamBlock() { return pb_; }
    void SetParamBlock(IParamBlock2* pb);
    HWND GetHWnd() { return hWnd_; }
    const std::string& GetTitle() const { return title_; }
    void SetTitle(std::string t) { title_ = std::move(t); }
    ParamMap2UserDlgProc* GetUserDlgProc() { return proc_; }
    void SetUserDlgProc(ParamMap2UserDlgProc* proc) { proc_ = proc; }
    void SetThing(ReferenceTarget* m);
    // Sends a message to the user procedure; FALSE without one.
    INT_PTR Send(TimeValue t, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // Requests to show the values again; counted, nothing to redraw here.
    void Invalidate() { ++invalidations_; }
    void Invalidate(ParamID, int = -1) { ++invalidations_; }
    int Invalidations() const { return invalidations_; }

private:
    ParamBlockDesc2* desc_;
    MapDef map_;
    IParamBlock2* pb_;
    HWND hWnd_;
    ParamMap2UserDlgProc* proc_;
    std::string title_;
    int invalidations_ = 0;
};

// Opens rollout map_id of pb's block: a window for the dialog template,
// the title string from the module, and WM_INITDIALOG to the procedure.
IParamMap2* CreateCPParamMap2(MapID map_id, IParamBlock2* pb, Interface* ip, HINSTANCE hInst,
                              int dialogId, const MCHAR* title, DWORD flags,
                              ParamMap2UserDlgProc* dlgProc = nullptr);
// Sends WM_DESTROY to the procedure and closes the window.
void DestroyCPParamMap2(IParamMap2* m);
