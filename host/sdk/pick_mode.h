#pragma once
// Pick modes: while one runs, a click in a viewport goes to it instead of
// selecting. The host asks HitTest on every click and Pick when HitTest
// found something; a Pick that answers TRUE ends the mode.
#include "host/sdk/animatable.h"
#include "host/sdk/point.h"
#include "host/sdk/win32.h"

class INode;
class ViewExp;

// Which nodes a pick may take.
class PickNodeCallback {
public:
    virtual ~PickNodeCallback() = default;
    virtual BOOL Filter(INode* node) = 0;
};

class PickModeCallback {
public:
    virtual ~PickModeCallback() = default;
    // Whether something pickable lies under m; Interface::PickNode leaves
    // the hits in vpt, closest first.
    virtual BOOL HitTest(IObjParam* ip, HWND hWnd, ViewExp* vpt, IPoint2 m, int flags) = 0;
    // Takes what HitTest found; TRUE ends the mode.
    virtual BOOL Pick(IObjParam* ip, ViewExp* vpt) = 0;
    // A right click; TRUE ends the mode.
    virtual BOOL RightClick(IObjParam*, ViewExp*) { return FALSE; }
    virtual void EnterMode(IObjParam*) {}
    virtual void ExitMode(IObjParam*) {}
    virtual PickNodeCallback* GetFilter() { return nullptr; }
    virtual BOOL AllowMultiSelect() { return FALSE; }
};
