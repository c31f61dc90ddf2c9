#pragma once
// The host's core interface: progress bar, cancel flag, redraw, time and node
// look-up. The running host installs its implementation at start-up.
#include "base_types.h"
#include "interval.h"
#include "point.h"
#include "win32.h"

class INode;
class ViewExp;
class CommandMode;
class PickModeCallback;
class PickNodeCallback;

// A progress callback the host calls while the bar is up; the plug-in's do nothing.
using LPTHREAD_START_ROUTINE = DWORD (*)(void*);

constexpr int REDRAW_BEGIN = 1;
constexpr int REDRAW_INTERACTIVE = 2;
constexpr int REDRAW_END = 3;
constexpr int REDRAW_NORMAL = 4;

class Interface {
public:
    virtual ~Interface() = default;

    virtual BOOL ProgressStart(const MCHAR* title, BOOL dispBar, LPTHREAD_START_ROUTINE fn,
                               void* arg) = 0;
    virtual void ProgressUpdate(int pct, BOOL showPct = TRUE, const MCHAR* title = nullptr) = 0;
    virtual void ProgressEnd() = 0;
    virtual BOOL GetCancel() = 0;
    virtual void SetCancel(BOOL sw) = 0;

    virtual void RedrawViews(TimeValue t, DWORD vpFlags = REDRAW_NORMAL, void* changedObj = nullptr) = 0;
    virtual INode* GetINodeByHandle(ULONG handle) = 0;
    virtual INode* GetRootNode() = 0;
    virtual TimeValue GetTime() = 0;
    // The running pick mode ends (ExitMode) before pc starts (EnterMode).
    virtual void SetPickMode(PickModeCallback* pc) = 0;
    virtual void ClearPickMode() = 0;
    virtual PickModeCallback* GetCurPickMode() { return nullptr; }
    // The closest node under pixel m of the viewport window hWnd that the
    // filter takes, its hits left in that viewport; null when none (and
    // always without viewports).
    virtual INode* PickNode(HWND hWnd, IPoint2 m, PickNodeCallback* filter = nullptr);

    // A page of the command panel for a dialog template of the module
    // hInst, made with proc and param (CreateDialogParam); null when the
    // host shows no panel, and rollouts then stay windowless.
    virtual HWND AddRollupPage(HINSTANCE hInst, int dialogId, DLGPROC proc, const MCHAR* title,
                               LPARAM param = 0, DWORD flags = 0);
    virtual void DeleteRollupPage(HWND hPanel);

    // Threads a plug-in may use for one long job, the caller's included.
    virtual int GetWorkerThreadCount() { return 1; }

    // The font the host draws its panels with (null without a window system).
    virtual HFONT GetAppHFont() { return ::GetAppHFont(); }
};

// The interface of the running host; null until the host installs one.
Interface* GetCOREInterface();
void SetCOREInterface(Interface* ip);
