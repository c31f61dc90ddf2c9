#pragma once
// The terrain's rollouts in the stand-in host window, driven by input
// scripts: the module's window classes, dialogs and strings as the module
// would register them, a scene of splines and boxes around a terrain, and
// the host window whose panel shows the terrain's rollouts.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/app/core_interface.h"
#include "host/app/resource_script.h"
#include "host/app/scene.h"
#include "host/app/ui/host_window.h"
#include "host/app/ui/ui_script.h"
#include "host/app/ui/ui_script_runner.h"
#include "host/app/ui/window_manager.h"
#include "host/sdk/box_object.h"
#include "host/sdk/spline_shape.h"
#include "module/module_globals.h"
#include "module/resource.h"
#include "module/window_classes.h"
#include "terrain/land_object.h"
#include "terrain/list_rollouts.h"
#include "tests/terrain/terrain_fixtures.h"

class ListRolloutTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedInstance = hInstance;
        if (!hInstance) hInstance = reinterpret_cast<HINSTANCE>(0x1157);
        static const PluginWindowClass kClasses[] = {{"SplinesListBoxView", ListBoxViewProc},
                                                     {"PlatformListBoxView", ListBoxViewProc},
                                                     {"InsertListBoxView", ListBoxViewProc},
                                                     {"UVWMapListBoxView", ListBoxViewProc}};
        RegisterWindowClasses(kClasses);
        std::string error;
        auto rc = ReadResourceScript("module/contorra.rc", error);
        ASSERT_TRUE(rc) << error;
        contorra::ui::AddModuleDialogs(hInstance, *rc);
        win32host::SetModuleStrings(hInstance, rc->strings);
        terrain = NewLandObject();
        terrainNode = scene.CreateNode(terrain, "Terrain");
    }
    void TearDown() override {
        host.reset();
        hInstance = savedInstance;
    }

    // A closed square spline of side 10 around (x, y) at height z.
    INode* Spline(const std::string& name, float x, float y, float z = 0.0f) {
        SplineShape* s = CreateNewSplineShape();
        PolyLine& line = s->shape.NewLine();
        for (Point3 p : {Point3(-5.0f, -5.0f, 0.0f), Point3(5.0f, -5.0f, 0.0f), Point3(5.0f, 5.0f, 0.0f), Point3(-5.0f, 5.0f, 0.0f)})
            line.Append(p + Point3(x, y, z));
        line.Close();
        return scene.CreateNode(s, name);
    }
    INode* Box(const std::string& name, float x, float y) {
        auto* b = new BoxObject();
        b->width = b->length = 8.0f;
        INode* n = scene.CreateNode(b, name);
        Matrix3 tm;
        tm.SetTrans(Point3(x, y, 0.0f));
        n->SetNodeTM(0, tm);
        return n;
    }

    // Runs the steps (a JSON list's items) in the host window, opened on the
    // first call; the terrain is selected first.
    void Run(std::initializer_list<std::string> steps) {
        if (!host) {
            host = std::make_unique<contorra::HostWindow>(scene, core, 1280, 800);
            host->Select(terrainNode);
        }
        std::string list;
        for (const std::string& s : steps) list += (list.empty() ? "" : ",") + s;
        const contorra::UiScript script =
            contorra::ParseUiScript("{\"steps\": [" + list + "]}", "test.json");
        contorra::RunUiScript(script, *host, scene);
    }
    // The steps that leave only one rollout open.
    static std::string OnlyOpen(const std::string& rollout) {
        std::string steps;
        for (const char* r : {"Splines", "Platforms", "Insert", "UVWMap", "Parameters"})
            steps += std::string(steps.empty() ? "" : ",") + "{\"do\": \"" +
                     (rollout == r ? "open" : "close") + "\", \"rollout\": \"" + r + "\"}";
        return steps;
    }
    // A click on row i of the open rollout's list (rows of h pixels).
    static std::string Row(const std::string& rollout, int i, const char* modifier = nullptr,
                           int h = 15) {
        std::ostringstream s;
        s << R"({"do": "click", "control": 1179, "rollout": ")" << rollout << R"(", "at": [40, )"
          << 2 + i * h + h / 2 << "]";
        if (modifier) s << R"(, "modifiers": [")" << modifier << R"("])";
        s << "}";
        return s.str();
    }
    static std::string Pick(const std::string& node) {
        return R"({"do": "pick", "view": "top", "node": ")" + node + R"("})";
    }
    static std::string Click(const std::string& rollout, const std::string& control) {
        return R"({"do": "click", "rollout": ")" + rollout + R"(", "control": )" + control + "}";
    }
    static std::string Type(const std::string& rollout, int control, const std::string& text) {
        return R"({"do": "type", "rollout": ")" + rollout + R"(", "control": )" +
               std::to_string(control) + R"(, "text": ")" + text + R"(", "enter": true})";
    }

    // The slots the view shows, in display order.
    static std::vector<int> Shown(const ListBoxView& v) {
        std::vector<int> slots;
        for (int p = 0; p < v.Count(); ++p) slots.push_back(v.SlotAt(p));
        return slots;
    }
    INode* Slot(ParamID table, int slot) {
        INode* n = nullptr;
        Interval valid = FOREVER;
        terrain->pblock->GetValue(table, 0, n, valid, slot);
        return n;
    }
    template <class T>
    T Value(ParamID id, int slot) {
        T v{};
        Interval valid = FOREVER;
        terrain->pblock->GetValue(id, 0, v, valid, slot);
        return v;
    }
    ISpinnerControl* Spinner(ListRollout& r, int id) {
        ISpinnerControl* s = GetISpinner(GetDlgItem(r.Dialog(), id));
        spinners.push_back(s);
        return s;
    }

    HINSTANCE savedInstance = nullptr;
    contorra::ui::WindowSystemScope windows;
    Scene scene;
    std::ostringstream progress;
    CoreInterface core{scene, ProgressStyle::Quiet, progress};
    LandObject* terrain = nullptr;
    INode* terrainNode = nullptr;
    std::unique_ptr<contorra::HostWindow> host;
    struct Releaser {
        std::vector<ISpinnerControl*>& s;
        ~Releaser() {
            for (ISpinnerControl* c : s) ReleaseISpinner(c);
        }
    };
    std::vector<ISpinnerControl*> spinners;
    Releaser releaser{spinners};
};
