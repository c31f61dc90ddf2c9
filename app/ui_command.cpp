// contorra ui SCENE SCRIPT.json --out DIR [--save OUT.cscene]: the scene in
// the stand-in host window, driven by an input script, with screenshots.
#include <filesystem>
#include <iostream>

#include "app/commands.h"
#include "app/output_check.h"
#include "app/scene_loading.h"
#include "host/app/atomic_file.h"
#include "host/app/ui/host_window.h"
#include "host/app/png_file.h"
#include "host/app/scene_file.h"
#include "host/app/ui/ui_driver.h"
#include "host/app/ui/window_manager.h"
#include "host/app/ui/ui_script_runner.h"

namespace fs = std::filesystem;

namespace {

struct UiCommandOptions {
    std::string scene, script, out, save;
};

int RunUi(const UiCommandOptions& o, const GlobalOptions& options) {
    contorra::UiScript script;
    try {
        script = contorra::ReadUiScript(o.script);
    } catch (const contorra::UiScriptError& e) {
        std::cerr << "contorra ui: " << e.what() << "\n";
        return kExitBadInput;
    }
    std::error_code ec;
    if (fs::exists(o.out, ec) && !fs::is_directory(o.out, ec)) {
        std::cerr << "contorra ui: --out: " << o.out << " is not a folder\n";
        return kExitBadInput;
    }
    std::vector<OutputFile> outputs{{o.save, "the saved scene (--save)", {".cscene"}}};
    // Screenshots in a folder still to be made cannot clash with anything.
    if (fs::is_directory(o.out, ec))
        for (const contorra::UiStep& s : script.steps)
            if (s.action == contorra::UiAction::Shot)
                outputs.push_back({(fs::path(o.out) / s.file).string(), "a screenshot", {".png"}});
    if (std::string error; !CheckOutputFiles(outputs, {{o.scene, "the scene"}, {o.script, "the script"}},
                                             error)) {
        std::cerr << "contorra ui: " << error << "\n";
        return kExitBadInput;
    }

    // The window system comes first: the plug-in registers its window
    // classes as it loads.
    contorra::ui::WindowSystemScope windows;
    ClassRegistry registry;
    Scene scene;
    CoreInterface core(scene, ProgressStyleForStderr(options.quiet), std::cerr);
    if (!LoadPlugin(options, registry)) return kExitFailure;
    for (const auto& m : registry.Modules())
        if (m->instance && !m->resourcePath.empty())
            contorra::ui::AddModuleDialogs(m->instance, m->resources);
    std::optional<contorra::SceneMaterials> materials;
    if (int code = LoadImageScene("ui", o.scene, "", scene, registry, std::nullopt, core, materials);
        code != kExitOk)
        return code;

    std::vector<contorra::UiShot> shots;
    {
        contorra::HostWindow host(scene, core, script.width, script.height);
        host.SetMaterialLookup([&materials](const std::string& name) -> Mtl* {
            return materials ? materials->Find(name) : nullptr;
        });
        host.SetMapFactory([&registry](const std::string& name) -> Texmap* {
            for (ClassDesc* cd : registry.OfSuperClass(TEXMAP_CLASS_ID))
                if (name == cd->ClassName())
                    return dynamic_cast<Texmap*>(static_cast<Animatable*>(cd->Create(FALSE)));
            return nullptr;
        });
        try {
            shots = contorra::RunUiScript(script, host, scene);
        } catch (const contorra::UiScriptError& e) {
            std::cerr << "contorra ui: " << e.what() << "\n";
            return kExitBadInput;
        }
        // The panel closes before the scene is saved, as when the host quits.
        host.Select(nullptr);
    }

    // A scene that cannot be written is found out before anything is.
    if (!o.save.empty()) {
        std::vector<std::uint8_t> bytes;
        if (std::string error; !SaveSceneBytes(scene, bytes, error)) {
            std::cerr << "contorra ui: " << o.save << ": " << error << "\n";
            return kExitFailure;
        }
    }
    try {
        if (!shots.empty()) fs::create_directories(o.out);
        for (const contorra::UiShot& shot : shots) {
            const fs::path path = fs::path(o.out) / shot.file;
            contorra::WriteAtomically(path, [&shot](const fs::path& staged) {
                contorra::WritePng(staged, shot.image);
            });
            if (!options.quiet) std::cerr << "wrote " << path.string() << "\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "contorra ui: " << e.what() << "\n";
        return kExitFailure;
    }
    if (!o.save.empty()) {
        std::string error;
        if (!SaveSceneFile(scene, o.save, error)) {
            std::cerr << "contorra ui: " << error << "\n";
            return kExitFailure;
        }
        if (!options.quiet) std::cerr << "wrote " << o.save << "\n";
    }
    return kExitOk;
}

} // namespace

Command AddUiCommand(CLI::App& app, const GlobalOptions& options) {
    CLI::App* sub = app.add_subcommand(
        "ui", "Open a scene in the host window, run an input script on it (docs/ui-scripts.md) "
              "and write its screenshots");
    auto o = std::make_shared<UiCommandOptions>();
    sub->add_option("SCENE", o->scene, "a JSON scene (.json) or a saved scene (.cscene)")
        ->required();
    sub->add_option("SCRIPT", o->script, "the input script (.json)")->required();
    sub->add_option("--out", o->out, "the folder the screenshots go to (made when missing)")
        ->required();
    sub->add_option("--save", o->save, "write the scene as the script leaves it (.cscene)");
    return [&options, o] { return RunUi(*o, options); };
}
