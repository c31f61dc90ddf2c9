#pragma once
// Input scripts: what a user does in the host window, one step after the
// other, read from JSON (docs/ui-scripts.md). Reading checks every step's
// form; whether a named node or control exists is found out when it runs.
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace contorra {

enum class UiAction {
    Select, // make a node the selection (or clear it)
    Open,   // open a rollout by its title
    Close,  // close a rollout by its title
    Click,  // click a control
    Drag,   // press on a control, move, release
    Type,   // type text into an edit
    Wheel,  // turn the mouse wheel over a control or the panel
    Scroll, // move a scroll bar to a position
    Key,    // press and release a key
    Colour, // the colour picker's next answer
    Pick,   // click a viewport pixel (pick modes pick through it)
    Cancel, // press the progress window's Cancel once a bar reaches a percent
    Shot,   // a screenshot
    Material, // open a material in the material editor
    Browse,   // the map browser's next answer
};

const char* UiActionName(UiAction a);

// A control named by id or by its caption, within a rollout or anywhere in
// the panel.
struct UiControlRef {
    int id = 0;
    std::string caption; // used when id is 0
    std::string rollout; // empty: any open rollout
};

struct UiModifiers {
    bool shift = false, ctrl = false, alt = false;
};

// What a screenshot covers.
enum class UiShotTarget { Window, Panel, Top, Front, Left, Perspective, Editor };

struct UiStep {
    UiAction action = UiAction::Select;
    std::size_t number = 0; // 1-based place in the script
    std::string node;       // select ("" clears), pick by node
    std::string rollout;    // open, close
    std::optional<UiControlRef> control;
    UiModifiers modifiers;
    bool rightButton = false;
    bool doubleClick = false;
    int dx = 0, dy = 0;     // drag
    std::string text;       // type
    bool enter = false;     // type: Enter after the text
    int clicks = 0;         // wheel: notches, positive away from the user
    int position = 0;       // scroll
    std::string key;        // key
    bool colourCancelled = false;
    float colour[3] = {0, 0, 0}; // colour: 0 .. 255 each
    UiShotTarget view = UiShotTarget::Top; // pick (never Window or Panel), shot
    std::optional<std::pair<int, int>> at; // pick: a pixel of the view; click, drag, wheel: of the control
    std::string progressTitle; // cancel: "" for any bar
    int percent = 0;           // cancel
    std::string file;          // shot: a file name inside the output folder
    std::string material;      // material: its name
    std::string mapClass;      // browse: a texture map class ("" for none)
};

struct UiScript {
    std::string path;
    int width = 1280, height = 800; // the host window
    std::vector<UiStep> steps;
};

// "FILE: step N (ACTION): problem", or "FILE: problem" for the whole file.
class UiScriptError : public std::runtime_error {
public:
    UiScriptError(const std::string& file, std::size_t step, const std::string& action,
                  const std::string& problem);
};

// Throws UiScriptError.
UiScript ParseUiScript(const std::string& text, const std::string& file);
UiScript ReadUiScript(const std::filesystem::path& file);

// Virtual-key code of a key name ("Enter", "Escape", "A", "F5"); 0 when unknown.
int VirtualKeyOf(const std::string& name);

} // namespace contorra
