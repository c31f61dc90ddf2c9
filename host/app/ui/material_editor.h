#pragma once
// The stand-in material editor: a window of its own with a sample slot that
// renders the material on a plane, the name of what is being edited, a
// "Go to Parent" button, and below them the rollouts of the material or map
// being edited. A material without a parameter dialog of its own shows the
// host's map panel: one map button per sub-map slot. Map buttons post
// WM_TEXMAP_BUTTON to the editor, which goes to that sub-map, or, for an
// empty slot, assigns what the map browser answers and goes to it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/app/software_raster.h"
#include "host/app/ui/command_panel.h"
#include "host/sdk/texmap.h"

class Scene;
class CoreInterface;

namespace contorra {

class MaterialEditor : public IMtlParams {
public:
    // The editor's window, placed at (x, y) on the screen; a window system
    // must be installed.
    MaterialEditor(Scene& scene, CoreInterface& core, int x, int y);
    ~MaterialEditor() override;
    MaterialEditor(const MaterialEditor&) = delete;
    MaterialEditor& operator=(const MaterialEditor&) = delete;

    HWND Window() const { return wnd_; }
    CommandPanel& Panel() { return *panel_; }

    // Edits mtl from its top level; the dialog of what was edited closes.
    void Open(Mtl* mtl);
    // Edits sub-map i of what is being edited (its map button's work).
    void GoToSubMap(MtlBase* parent, int i);
    // Back to the thing the current map is a sub-map of.
    void GoToParent();
    Mtl* Material() const { return material_; }
    MtlBase* Current() const { return path_.empty() ? nullptr : path_.back(); }
    // The parameter dialog of what is being edited; null for the map panel.
    ParamDlg* Dialog() const { return dialog_; }

    // What the map browser answers for an empty slot: a new map, or null
    // for none (the slot stays empty).
    using MapBrowser = std::function<Texmap*()>;
    void SetMapBrowser(MapBrowser browser) { browser_ = std::move(browser); }

    // The material on the sample plane, rendered when it changed.
    const RasterImage& Sample();
    int SampleRenders() const { return sampleRenders_; }

    // IMtlParams
    void MtlChanged() override;
    TimeValue GetTime() override;
    HWND AddRollupPage(HINSTANCE hInst, int dialogId, DLGPROC proc, const MCHAR* title,
                       LPARAM param, DWORD flags) override;
    void DeleteRollupPage(HWND page) override;

    static constexpr int kWidth = 356;
    static constexpr int kHeight = 640;
    static constexpr int kSampleSize = 128;
    static constexpr int kParentButton = 1;

private:
    static LRESULT CALLBACK FrameProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SampleProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK MapsPanelProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void CloseDialog();
    void ShowCurrent();
    void TexmapButton(int index, MtlBase* thing);
    RasterImage RenderSample();

    Scene& scene_;
    CoreInterface& core_;
    HWND wnd_ = nullptr;
    HWND sample_ = nullptr;
    HWND name_ = nullptr;
    HWND parent_ = nullptr;
    std::unique_ptr<CommandPanel> panel_;
    Mtl* material_ = nullptr;
    std::vector<MtlBase*> path_; // the material, then each sub-map gone to
    ParamDlg* dialog_ = nullptr;
    HWND mapsPage_ = nullptr;
    MapBrowser browser_;
    RasterImage sample_image_;
    bool sampleDirty_ = true;
    int sampleRenders_ = 0;
};

// The host's own dialog templates (the output rollout, the map panel),
// handed to the window system under GetHostInstance().
void AddHostDialogs();

} // namespace contorra
