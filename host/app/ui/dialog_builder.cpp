// Dialog templates made into windows: dialog units through the template
// font's base units, the controls by class, then WM_INITDIALOG.
#include <algorithm>
#include <cmath>

#include "host/app/font_face.h"
#include "host/app/ui/window_tree.h"

namespace contorra::ui {
namespace {

struct ControlKind {
    const char* kind;
    const char* className;
    DWORD style;
};

// The statements of a template and the window each makes.
const ControlKind kKinds[] = {
    {"LTEXT", "Static", SS_LEFT | WS_GROUP},
    {"RTEXT", "Static", SS_RIGHT | WS_GROUP},
    {"CTEXT", "Static", SS_CENTER | WS_GROUP},
    {"PUSHBUTTON", "Button", BS_PUSHBUTTON | WS_TABSTOP},
    {"DEFPUSHBUTTON", "Button", BS_DEFPUSHBUTTON | WS_TABSTOP},
    {"CHECKBOX", "Button", BS_CHECKBOX | WS_TABSTOP},
    {"AUTOCHECKBOX", "Button", BS_AUTOCHECKBOX | WS_TABSTOP},
    {"STATE3", "Button", BS_3STATE | WS_TABSTOP},
    {"AUTO3STATE", "Button", BS_AUTO3STATE | WS_TABSTOP},
    {"RADIOBUTTON", "Button", BS_RADIOBUTTON},
    {"AUTORADIOBUTTON", "Button", BS_AUTORADIOBUTTON},
    {"GROUPBOX", "Button", BS_GROUPBOX},
    {"COMBOBOX", "ComboBox", WS_TABSTOP},
    {"EDITTEXT", "Edit", WS_BORDER | WS_TABSTOP},
    {"LISTBOX", "ListBox", WS_BORDER},
    {"SCROLLBAR", "ScrollBar", 0},
};

} // namespace

const FontFace* DialogFace(int points) {
    if (points <= 0) points = 8;
    return FontFace::Get(static_cast<int>(std::lround(points * 1.25)));
}

HWND WindowManager::CreateDialogIndirect(const DialogTemplate& tpl, HWND parent, DLGPROC proc,
                                         LPARAM init) {
    const FontFace* face = DialogFace(tpl.fontSize);
    DWORD style = static_cast<DWORD>(tpl.style);
    if (!style) style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    if (!parent) style &= ~WS_CHILD;
    if (!(style & WS_CHILD)) parent = nullptr;

    auto w = std::make_unique<Window>();
    w->className = "#32770";
    w->style = style & ~WS_VISIBLE; // shown once initialised
    w->parent = parent;
    w->templateId = tpl.id;
    w->text = tpl.caption;
    w->dlgProc = proc;
    w->proc = DialogWindowProc;
    w->background = GetSysColorBrush(COLOR_BTNFACE);
    w->baseX = face ? face->Metrics().averageCharWidth : 6;
    w->baseY = face ? face->Metrics().height : 13;
    w->font = face ? CreateFontA(-face->PixelSize(), 400, "DejaVu Sans") : GetAppHFont();
    Window* raw = w.get();
    HWND dlg = NewWindow(std::move(w));

    RECT r{tpl.x, tpl.y, tpl.x + tpl.cx, tpl.y + tpl.cy};
    MapDialogRect(dlg, &r);
    const RECT in = NonClientInsets(*raw);
    raw->rect = {r.left, r.top, r.right + in.left + in.right, r.bottom + in.top + in.bottom};
    if (!raw->parent) EnsureSurface(*raw);
    SendMessageA(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(raw->font), FALSE);

    HWND firstTab = nullptr;
    for (const DialogControl& c : tpl.controls) {
        std::string cls = c.className;
        DWORD cstyle = WS_CHILD | WS_VISIBLE;
        for (const ControlKind& k : kKinds)
            if (c.kind == k.kind) {
                cls = k.className;
                cstyle |= k.style;
            }
        cstyle |= static_cast<DWORD>(c.style);
        cstyle &= ~static_cast<DWORD>(c.styleOff);
        RECT cr{c.x, c.y, c.x + c.cx, c.y + c.cy};
        MapDialogRect(dlg, &cr);
        HWND item = CreateWindowExA(0, cls.c_str(), c.text.c_str(), cstyle, cr.left, cr.top,
                                    cr.right - cr.left, cr.bottom - cr.top, dlg,
                                    reinterpret_cast<HMENU>(static_cast<std::intptr_t>(c.id)),
                                    raw->instance, nullptr);
        // A class nobody provides still takes its place, as an empty window.
        if (!item)
            item = CreateWindowExA(0, "#host-empty", c.text.c_str(), cstyle, cr.left, cr.top,
                                   cr.right - cr.left, cr.bottom - cr.top, dlg,
                                   reinterpret_cast<HMENU>(static_cast<std::intptr_t>(c.id)),
                                   raw->instance, nullptr);
        if (!item) continue;
        SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(raw->font), FALSE);
        if (!firstTab && (cstyle & WS_TABSTOP)) firstTab = item;
        if (!Find(dlg)) return nullptr;
    }
    SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTab), init);
    if (!Find(dlg)) return nullptr;
    if (style & WS_VISIBLE) ShowWindow(dlg, SW_SHOW);
    return dlg;
}

HWND CreateDialogFromTemplate(const DialogTemplate& tpl, HWND parent, DLGPROC proc,
                              LPARAM initParam) {
    WindowManager* wm = ActiveWindowManager();
    return wm ? wm->CreateDialogIndirect(tpl, parent, proc, initParam) : nullptr;
}

INT_PTR WindowManager::DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                                       DLGPROC proc, LPARAM initParam) {
    HWND dlg = CreateDialogParamA(instance, templateName, parent, proc, initParam);
    if (!dlg) return -1;
    HWND owner = parent ? TopLevelOf(parent) : nullptr;
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(dlg, SW_SHOW);
    Pump();
    if (modalHook && Find(dlg) && !Find(dlg)->modalEnded) modalHook(dlg);
    INT_PTR result = 2; // IDCANCEL
    if (Window* w = Find(dlg)) {
        if (w->modalEnded) result = w->modalResult;
        DestroyWindow(dlg);
    }
    if (owner && ownerWasEnabled && Find(owner)) EnableWindow(owner, TRUE);
    Pump();
    return result;
}

void AddModuleDialogs(HINSTANCE module, const ResourceScript& script) {
    if (WindowManager* wm = ActiveWindowManager()) wm->moduleDialogs[module] = script.dialogs;
}

void ForgetModuleDialogs(HINSTANCE module) {
    if (WindowManager* wm = ActiveWindowManager()) wm->moduleDialogs.erase(module);
}

} // namespace contorra::ui
