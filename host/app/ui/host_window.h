#pragma once
// The stand-in host window: the four viewports in the host's 2 x 2 layout
// beside the command panel. It is the core interface's user interface:
// selecting a node opens the panel of the top of its stack, clicks in a
// viewport go to the running pick mode or select, and long work shows a
// progress window with a Cancel button.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/app/ui/command_panel.h"
#include "host/app/ui/material_editor.h"
#include "host/app/core_interface.h"
#include "host/app/viewport.h"

class Animatable;

namespace contorra {

class HostWindow : public UserInterfaceHost {
public:
    // Installs itself as core's user interface until destroyed; a window
    // system must be installed.
    HostWindow(Scene& scene, CoreInterface& core, int width, int height);
    ~HostWindow() override;
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND Window() const { return wnd_; }
    CommandPanel& Panel() { return *panel_; }
    HWND ViewWindow(ViewKind kind) const;
    Viewport& View(ViewKind kind);

    static constexpr int kPanelWidth = 216;

    // The only selected node (null: none); the panel is closed for the old
    // one and opened for the new one.
    void Select(INode* node);
    INode* Selected() const { return selected_; }
    // What the panel edits: the last world-space modifier of the node, else
    // its top own modifier, else its object.
    static Animatable* TopOfStack(INode* node);

    // The material editor, a window of its own to the right of this one,
    // made on first use.
    MaterialEditor& Editor();
    MaterialEditor* OpenEditor() const { return editor_.get(); }
    // Materials by name: the lookup's answer (a JSON scene's named
    // materials), else a material of a node whose own name is that.
    using MaterialLookup = std::function<Mtl*(const std::string&)>;
    void SetMaterialLookup(MaterialLookup lookup) { materialLookup_ = std::move(lookup); }
    Mtl* FindMaterial(const std::string& name) const;
    // New texture maps by class name, for the map browser.
    using MapFactory = std::function<Texmap*(const std::string&)>;
    void SetMapFactory(MapFactory factory) { mapFactory_ = std::move(factory); }
    Texmap* MakeMap(const std::string& className) const {
        return mapFactory_ ? mapFactory_(className) : nullptr;
    }

    // The progress window while a bar is up, else null.
    HWND ProgressWindow() const { return progress_; }
    // Cancel is pressed once a bar of that title ("" any) reaches percent.
    void ArmCancel(const std::string& title, int percent);
    // After a user action: the cancel flag is cleared, as the host does
    // once the work that saw it has returned.
    void ActionDone();

    // A viewport pixel where the node is the nearest hit, near the centre
    // of its box; false when no pixel of the view has it in front.
    bool PixelOf(ViewKind kind, INode* node, POINT& at);

    // UserInterfaceHost
    HWND AddRollupPage(HINSTANCE hInst, int dialogId, DLGPROC proc, const MCHAR* title,
                       LPARAM param, DWORD flags) override;
    void DeleteRollupPage(HWND page) override;
    INode* PickNode(HWND viewport, IPoint2 m, PickNodeCallback* filter) override;
    void RedrawViews() override;
    void ProgressShown(const std::string& title, int percent) override;
    void ProgressHidden() override;

private:
    struct ViewPane;
    static LRESULT CALLBACK FrameProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ViewProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ProgressProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    ViewPane* PaneOf(HWND wnd);
    void ViewClick(ViewPane& pane, POINT at, bool right);
    void PaintView(ViewPane& pane);

    Scene& scene_;
    CoreInterface& core_;
    HWND wnd_ = nullptr;
    std::unique_ptr<CommandPanel> panel_;
    std::unique_ptr<MaterialEditor> editor_;
    MaterialLookup materialLookup_;
    MapFactory mapFactory_;
    std::vector<std::unique_ptr<ViewPane>> panes_;
    INode* selected_ = nullptr;
    Animatable* edited_ = nullptr;
    HWND progress_ = nullptr;
    HWND progressBar_ = nullptr;
    HWND cancelButton_ = nullptr;
    bool armed_ = false;
    std::string armedTitle_;
    int armedPercent_ = 0;
};

} // namespace contorra
