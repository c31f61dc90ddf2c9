#pragma once
// Rollouts: the open user interface of one map of a block, and the user
// procedure that gets its messages.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "host/sdk/param_block_desc.h"
#include "host/sdk/win32.h"

class IParamBlock2;
class IParamMap2;
class ReferenceTarget;
class MapPickMode;
class IMtlParams;

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

// An open rollout. In the host's command panel it is a dialog whose
// controls the map binds to the block's parameters both ways: it sets them
// up from the block when the dialog opens and after every Invalidate, and
// sets a parameter when its control changes; every message then goes on to
// the user procedure. Without a panel it is a windowless host record that
// remembers texts set on its items, and user procedures get their messages
// as usual.
class IParamMap2 {
public:
    IParamMap2(ParamBlockDesc2* desc, const MapDef& map, IParamBlock2* pb, HWND hWnd);
    virtual ~IParamMap2();

    MapID GetMapID() const { return map_.id; }
    const MapDef& GetMapDef() const { return map_; }
    ParamBlockDesc2* GetDesc() { return desc_; }
    IParamBlock2* GetParamBlock() { return pb_; }
    void SetParamBlock(IParamBlock2* pb);
    HWND GetHWnd() { return hWnd_; }
    const std::string& GetTitle() const { return title_; }
    void SetTitle(std::string t) { title_ = std::move(t); }
    ParamMap2UserDlgProc* GetUserDlgProc() { return proc_; }
    // A procedure given to an open dialog gets WM_INITDIALOG at once, as
    // the one given at creation did.
    void SetUserDlgProc(ParamMap2UserDlgProc* proc);
    void SetThing(ReferenceTarget* m);
    // Sends a message to the user procedure; FALSE without one.
    INT_PTR Send(TimeValue t, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // Shows the values again (all, or one parameter); counted.
    void Invalidate();
    void Invalidate(ParamID id, int tabIndex = -1);
    int Invalidations() const { return invalidations_; }

    // The entry of a table parameter its controls show (0 until set).
    void SetTableIndex(ParamID id, int index);
    int GetTableIndex(ParamID id) const;

    // Enables or disables the controls of a parameter.
    void Enable(ParamID id, BOOL onOff);

    // Whether the map has a dialog of the command panel.
    bool HasWindow() const { return windowed_; }

    // The dialog procedure of panel rollouts: lParam of WM_INITDIALOG is the map.
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    friend IParamMap2* CreateCPParamMap2(MapID, IParamBlock2*, Interface*, HINSTANCE, int,
                                         const MCHAR*, DWORD, ParamMap2UserDlgProc*);
    friend void DestroyCPParamMap2(IParamMap2* m);
    friend IParamMap2* CreateMParamMap2(MapID, IParamBlock2*, IMtlParams*, HINSTANCE, int,
                                        const MCHAR*, DWORD, ParamMap2UserDlgProc*);
    friend void DestroyMParamMap2(IParamMap2* m);
    friend class MapPickMode;

    // A map for the dialog template: addPage asks a panel for its page (the
    // dialog's WM_INITDIALOG comes through DialogProc while it is made); when
    // there is none the map is a windowless record that still hears
    // WM_INITDIALOG, at time now.
    static IParamMap2* Open(MapID map_id, IParamBlock2* pb, int dialogId, const MCHAR* title,
                            DWORD flags, ParamMap2UserDlgProc* dlgProc,
                            const std::function<bool(IParamMap2*, LPARAM)>& addPage, TimeValue now);
    INT_PTR Message(UINT msg, WPARAM wParam, LPARAM lParam);
    // Block to controls.
    void SetUp(const ParamDef& def);
    void Show(const ParamDef& def);
    // Controls to block; true when the message was a bound control's.
    bool Take(UINT msg, WPARAM wParam, LPARAM lParam);
    TimeValue Now() const;
    int Entry(const ParamDef& def) const;

    ParamBlockDesc2* desc_;
    MapDef map_;
    IParamBlock2* pb_;
    HWND hWnd_;
    ParamMap2UserDlgProc* proc_;
    std::string title_;
    int invalidations_ = 0;
    bool windowed_ = false;
    Interface* ip_ = nullptr;
    IMtlParams* imp_ = nullptr; // a rollout of the material editor
    std::map<ParamID, int> tableIndex_;
    std::map<ParamID, std::unique_ptr<MapPickMode>> pickModes_;
};

// Opens rollout map_id of pb's block: a page of the host's command panel
// for the dialog template (or a windowless record when the host has no
// panel), the title string from the module, and WM_INITDIALOG to the
// procedure.
IParamMap2* CreateCPParamMap2(MapID map_id, IParamBlock2* pb, Interface* ip, HINSTANCE hInst,
                              int dialogId, const MCHAR* title, DWORD flags,
                              ParamMap2UserDlgProc* dlgProc = nullptr);
// Sends WM_DESTROY to the procedure and closes the window.
void DestroyCPParamMap2(IParamMap2* m);

// The same for a rollout of the material editor: the page comes from imp,
// and the map's time is the editor's.
IParamMap2* CreateMParamMap2(MapID map_id, IParamBlock2* pb, IMtlParams* imp, HINSTANCE hInst,
                             int dialogId, const MCHAR* title, DWORD flags,
                             ParamMap2UserDlgProc* dlgProc = nullptr);
void DestroyMParamMap2(IParamMap2* m);
