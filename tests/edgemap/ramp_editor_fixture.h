#pragma once
// The edge-gradient map open in the material editor of a stand-in host
// window, driven by input scripts as a user would drive it.
#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <string>

#include "edgemap/gradient_edge.h"
#include "edgemap/ramp_control.h"
#include "host/app/core_interface.h"
#include "host/app/resource_script.h"
#include "host/app/scene.h"
#include "host/app/ui/host_window.h"
#include "host/app/ui/ui_script.h"
#include "host/app/ui/ui_script_runner.h"
#include "host/app/ui/window_manager.h"
#include "host/sdk/std_material.h"
#include "host/sdk/tri_object.h"
#include "module/module_globals.h"
#include "module/resource.h"

inline GradientEdge* NewGradientEdge() {
    return static_cast<GradientEdge*>(static_cast<Animatable*>(GetGradientEdgeDesc()->Create(FALSE)));
}

class RampEditor : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        auto script = ReadResourceScript("module/contorra.rc", error);
        ASSERT_TRUE(script) << error;
        contorra::ui::AddModuleDialogs(hInstance, *script);
        win32host::SetModuleStrings(hInstance, script->strings);
        const PluginWindowClass ramp[] = {
            {"CustGradientRamp", GradientRampWndProc, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, NULL_BRUSH}};
        RegisterWindowClasses(ramp);

        map = NewGradientEdge();
        StdMat* mtl = NewDefaultStdMat();
        mtl->SetName("edge");
        mtl->SetSubTexmap(STDMAT_DIFFUSE, map);
        INode* node = scene.CreateNode(CreateNewTriObject(), "plane");
        node->SetMtl(mtl);
        host = std::make_unique<contorra::HostWindow>(scene, core, 1280, 800);
        host->SetMapFactory([](const std::string&) -> Texmap* { return NewGradientEdge(); });
        Run(R"([{"do": "material", "name": "edge"},
                {"do": "click", "control": 9112, "rollout": "Maps"}])");
    }
    void TearDown() override {
        host.reset();
        win32host::ForgetModule(hInstance);
        contorra::ui::ForgetModuleDialogs(hInstance);
    }

    // Runs the steps (a JSON list) in the open window.
    void Run(const std::string& steps) {
        const contorra::UiScript s = contorra::ParseUiScript("{\"steps\": " + steps + "}", "test.json");
        contorra::RunUiScript(s, *host, scene);
    }
    // A step at ramp position p (0 .. 1) of the ramp control.
    static std::string RampStep(const std::string& action, float p, const std::string& more = "") {
        const int x = 4 + static_cast<int>(p * 300.0f + 0.5f);
        return R"({"do": ")" + action + R"(", "control": 259, "at": [)" + std::to_string(x) + ", 19]" + more + "}";
    }
    std::vector<float> Positions() const {
        std::vector<float> p;
        for (const RampMarker& m : map->ramp.markers) p.push_back(m.position);
        return p;
    }
    int ActiveIndex() const { return map->ramp.FindByFlag(MARKER_ACTIVE); }
    HWND Rollout() const { return host->Editor().Panel().Find("Parameters")->page; }
    HWND Item(int id) const { return GetDlgItem(Rollout(), id); }

    // The map holds two references per marker, in marker order, and its
    // table of marker maps has as many entries.
    void ExpectReferencesInStep() const {
        const int n = map->ramp.Count();
        ASSERT_EQ(map->NumRefs(), 3 + 2 * n);
        ASSERT_EQ(map->NumSubTexmaps(), 2 * n);
        EXPECT_EQ(map->pblock->Count(ge_marker_map), 2 * n);
        for (int k = 0; k < n; ++k) {
            EXPECT_EQ(map->GetReference(3 + 2 * k), map->ramp.markers[k].baseMap) << "marker " << k;
            EXPECT_EQ(map->GetReference(4 + 2 * k), map->ramp.markers[k].transparentMap) << "marker " << k;
            EXPECT_EQ(map->GetSubTexmap(2 * k), map->ramp.markers[k].baseMap) << "marker " << k;
            for (Texmap* sub : {map->ramp.markers[k].baseMap, map->ramp.markers[k].transparentMap})
                if (sub) {
                    EXPECT_TRUE(DependsOn(sub, map)) << "a map of marker " << k << " is not held";
                }
        }
    }
    static bool DependsOn(ReferenceTarget* target, ReferenceMaker* maker) {
        for (int i = 0; i < target->NumDependents(); ++i)
            if (target->GetDependent(i) == maker) return true;
        return false;
    }

    contorra::ui::WindowSystemScope windows;
    Scene scene;
    CoreInterface core{scene, ProgressStyle::Quiet, std::cerr};
    std::unique_ptr<contorra::HostWindow> host;
    GradientEdge* map = nullptr;
};
