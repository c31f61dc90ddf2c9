// contorra view SCENE -o OUT.png: the scene as the host's viewports draw it.
// contorra pick SCENE --view V --at X,Y: the nodes the host's hit testing
// finds at a pixel of such a view, closest first.
#include <iostream>
#include <sstream>

#include "app/commands.h"
#include "app/output_check.h"
#include "app/scene_loading.h"
#include "host/app/atomic_file.h"
#include "host/app/png_file.h"
#include "host/app/viewport.h"
#include "host/sdk/inode.h"

namespace {

struct ViewCommandOptions {
    std::string scene, output, view = "persp", size, at;
    bool shaded = false, edged = false, noGrid = false;
    std::vector<std::string> select;
};

bool ParseView(const std::string& text, contorra::ViewKind& kind, bool allowQuad, bool& quad) {
    quad = false;
    if (text == "top") kind = contorra::ViewKind::Top;
    else if (text == "front") kind = contorra::ViewKind::Front;
    else if (text == "left") kind = contorra::ViewKind::Left;
    else if (text == "persp") kind = contorra::ViewKind::Perspective;
    else if (text == "quad" && allowQuad) quad = true;
    else return false;
    return true;
}

bool ParsePixel(const std::string& text, int& x, int& y) {
    char comma = 0, rest = 0;
    std::istringstream in(text);
    if (!(in >> x >> comma >> y) || comma != ',' || in >> rest) return false;
    return true;
}

// Loads the plug-in and the scene and marks the selection; the exit code
// after printing why, or kExitOk.
int Prepare(const char* command, const ViewCommandOptions& o, const GlobalOptions& options,
            ClassRegistry& registry, Scene& scene, CoreInterface& core,
            std::optional<contorra::SceneMaterials>& materials) {
    if (!LoadPlugin(options, registry)) return kExitFailure;
    // The selection is checked before any terrain is built.
    auto select = [&](Scene& loaded) {
        for (const std::string& name : o.select) {
            INode* node = loaded.FindByName(name);
            if (!node) {
                std::cerr << "contorra " << command << ": " << o.scene
                          << ": --select: no node named \"" << name << "\"\n";
                return kExitBadInput;
            }
            node->SetSelected(true);
        }
        return kExitOk;
    };
    return LoadImageScene(command, o.scene, o.output, scene, registry, std::nullopt, core,
                          materials, select);
}

contorra::ViewOptions ViewOptionsOf(const ViewCommandOptions& o, int w, int h) {
    contorra::ViewOptions v;
    v.width = w;
    v.height = h;
    v.shaded = o.shaded;
    v.edgedFaces = o.edged;
    v.grid = !o.noGrid;
    return v;
}

int RunView(const ViewCommandOptions& o, const GlobalOptions& options) {
    contorra::ViewKind kind{};
    bool quad = false;
    if (!ParseView(o.view, kind, true, quad)) {
        std::cerr << "contorra view: --view: expected top, front, left, persp or quad, got \""
                  << o.view << "\"\n";
        return kExitBadInput;
    }
    // Each of the four views of quad gets the size of a single view.
    const std::string size = !o.size.empty() ? o.size : quad ? "1600x1200" : "800x600";
    int w = 0, h = 0;
    if (!ParseImageSize(size, w, h)) {
        std::cerr << "contorra view: --size: expected WxH (1 .. 16384 each), got \"" << size
                  << "\"\n";
        return kExitBadInput;
    }
    if (std::string error; !CheckOutputFiles({{o.output, "the image (-o)", {".png"}}},
                                             {{o.scene, "the scene"}}, error)) {
        std::cerr << "contorra view: " << error << "\n";
        return kExitBadInput;
    }
    ClassRegistry registry;
    Scene scene;
    CoreInterface core(scene, ProgressStyleForStderr(options.quiet), std::cerr);
    std::optional<contorra::SceneMaterials> materials;
    if (int code = Prepare("view", o, options, registry, scene, core, materials); code != kExitOk)
        return code;
    const std::vector<INode*> nodes = scene.Nodes();
    const contorra::ViewOptions vo = ViewOptionsOf(o, w, h);
    contorra::RasterImage image;
    if (quad) {
        image = contorra::DrawQuadViews(nodes, vo);
    } else {
        contorra::Viewport vp(kind, vo);
        vp.ZoomExtents(nodes);
        image = vp.Draw(nodes);
    }
    try {
        contorra::WriteAtomically(o.output, [&image](const std::filesystem::path& staged) {
            contorra::WritePng(staged, image);
        });
    } catch (const std::exception& e) {
        std::cerr << "contorra: " << e.what() << "\n";
        return kExitFailure;
    }
    if (!options.quiet) std::cerr << "wrote " << o.output << "\n";
    return kExitOk;
}

int RunPick(const ViewCommandOptions& o, const GlobalOptions& options) {
    int w = 0, h = 0, x = 0, y = 0;
    const std::string size = o.size.empty() ? "800x600" : o.size;
    if (!ParseImageSize(size, w, h)) {
        std::cerr << "contorra pick: --size: expected WxH (1 .. 16384 each), got \"" << size
                  << "\"\n";
        return kExitBadInput;
    }
    contorra::ViewKind kind{};
    bool quad = false;
    if (!ParseView(o.view, kind, false, quad)) {
        std::cerr << "contorra pick: --view: expected top, front, left or persp, got \"" << o.view
                  << "\"\n";
        return kExitBadInput;
    }
    if (!ParsePixel(o.at, x, y) || x < 0 || y < 0 || x >= w || y >= h) {
        std::cerr << "contorra pick: --at: expected X,Y inside the " << w << "x" << h
                  << " view, got \"" << o.at << "\"\n";
        return kExitBadInput;
    }
    ClassRegistry registry;
    Scene scene;
    CoreInterface core(scene, ProgressStyleForStderr(options.quiet), std::cerr);
    std::optional<contorra::SceneMaterials> materials;
    if (int code = Prepare("pick", o, options, registry, scene, core, materials); code != kExitOk)
        return code;
    const std::vector<INode*> nodes = scene.Nodes();
    contorra::Viewport vp(kind, ViewOptionsOf(o, w, h));
    vp.ZoomExtents(nodes);
    for (INode* n : vp.Pick(nodes, IPoint2(x, y))) std::cout << n->GetName() << "\n";
    return kExitOk;
}

void AddViewOptions(CLI::App* sub, ViewCommandOptions& o, bool quad) {
    sub->add_option("SCENE", o.scene, "a JSON scene (.json) or a saved scene (.cscene)")
        ->required();
    sub->add_option("--size", o.size,
                    quad ? "the image's size WxH in pixels (default 800x600; 1600x1200 for quad, "
                           "800x600 a view)"
                         : "the view's size WxH in pixels (default 800x600)");
    sub->add_flag("--shaded", o.shaded,
                  quad ? "smooth-shaded faces tinted by elevation (default: wire-frame; the "
                         "perspective view of quad is always shaded)"
                       : "smooth-shaded faces tinted by elevation (default: wire-frame)");
    sub->add_flag("--edged-faces", o.edged, "visible edges over every shaded face");
    sub->add_option("--select", o.select, "nodes to select by name (drawn in the selection colour)");
}

} // namespace

Command AddViewCommand(CLI::App& app, const GlobalOptions& options) {
    CLI::App* sub = app.add_subcommand(
        "view", "Draw a scene (JSON or saved) as the host's viewports show it, into a PNG image");
    auto o = std::make_shared<ViewCommandOptions>();
    AddViewOptions(sub, *o, true);
    sub->add_option("-o,--output", o->output, "the image to write (PNG)")->required();
    sub->add_option("--view", o->view,
                    "top, front, left, persp (default) or quad (all four, 2x2, labelled)");
    sub->add_flag("--no-grid", o->noGrid, "leave out the home grid");
    return [&options, o] { return RunView(*o, options); };
}

Command AddPickCommand(CLI::App& app, const GlobalOptions& options) {
    CLI::App* sub = app.add_subcommand(
        "pick", "Print the nodes hit at a pixel of a view, closest first, one name a line");
    auto o = std::make_shared<ViewCommandOptions>();
    AddViewOptions(sub, *o, false);
    sub->add_option("--view", o->view, "top, front, left or persp")->required();
    sub->add_option("--at", o->at, "the pixel X,Y, counted from the view's top left corner")
        ->required();
    return [&options, o] { return RunPick(*o, options); };
}
