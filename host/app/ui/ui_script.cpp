#include "host/app/ui/ui_script.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "host/app/input_file.h"
#include "host/app/json_type_name.h"

using nlohmann::json;

namespace contorra {

namespace {

struct ActionForm {
    UiAction action;
    const char* name;
    std::vector<const char*> required, optional;
};

const std::vector<ActionForm>& Forms() {
    static const std::vector<ActionForm> forms{
        {UiAction::Select, "select", {"node"}, {}},
        {UiAction::Open, "open", {"rollout"}, {}},
        {UiAction::Close, "close", {"rollout"}, {}},
        {UiAction::Click, "click", {"control"}, {"at", "rollout", "modifiers", "button", "double"}},
        {UiAction::Drag, "drag", {"control", "by"}, {"at", "rollout", "modifiers", "button"}},
        {UiAction::Type, "type", {"control", "text"}, {"rollout", "enter"}},
        {UiAction::Wheel, "wheel", {"clicks"}, {"control", "at", "rollout", "modifiers"}},
        {UiAction::Scroll, "scroll", {"to"}, {"control", "rollout"}},
        {UiAction::Key, "key", {"key"}, {"modifiers"}},
        {UiAction::Colour, "colour", {}, {"rgb", "cancel"}},
        {UiAction::Pick, "pick", {"view"}, {"at", "node", "modifiers"}},
        {UiAction::Cancel, "cancel", {"percent"}, {"title"}},
        {UiAction::Shot, "shot", {"of", "file"}, {}},
        {UiAction::Material, "material", {"name"}, {}},
        {UiAction::Browse, "browse", {"map"}, {}},
    };
    return forms;
}

// Reads one step; every problem is thrown with its place.
class StepReader {
public:
    StepReader(const std::string& file, std::size_t number, const json& j)
        : file_(file), number_(number), j_(j) {}

    [[noreturn]] void Fail(const std::string& problem) const {
        throw UiScriptError(file_, number_, action_, problem);
    }

    UiStep Read() {
        if (!j_.is_object()) Fail("expected an object with \"do\", got " + JsonTypeName(j_));
        auto d = j_.find("do");
        if (d == j_.end()) Fail("no \"do\": say what the step does (select, click, shot, ...)");
        if (!d->is_string()) Fail("\"do\" must be a string, got " + JsonTypeName(*d));
        const ActionForm* form = nullptr;
        std::string known;
        for (const ActionForm& f : Forms()) {
            known += (known.empty() ? "" : ", ") + std::string(f.name);
            if (*d == f.name) form = &f;
        }
        // British and American spellings are both taken for the picker.
        if (!form && *d == "color") form = &Forms()[static_cast<std::size_t>(UiAction::Colour)];
        if (!form) Fail("unknown action \"" + d->get<std::string>() + "\" (known: " + known + ")");
        action_ = form->name;
        for (auto it = j_.begin(); it != j_.end(); ++it) {
            const std::string& k = it.key();
            auto in = [&](const std::vector<const char*>& keys) {
                return std::any_of(keys.begin(), keys.end(), [&](const char* n) { return k == n; });
            };
            if (k != "do" && !in(form->required) && !in(form->optional))
                Fail("unknown key \"" + k + "\" for this action");
        }
        for (const char* k : form->required)
            if (!j_.contains(k)) Fail(std::string("missing \"") + k + "\"");
        UiStep s;
        s.action = form->action;
        s.number = number_;
        Fill(s);
        return s;
    }

private:
    std::string String(const char* key, bool allowEmpty = false) const {
        const json& v = j_.at(key);
        if (!v.is_string()) Fail(std::string("\"") + key + "\" must be a string, got " + JsonTypeName(v));
        std::string s = v.get<std::string>();
        if (s.empty() && !allowEmpty) Fail(std::string("\"") + key + "\" is empty");
        return s;
    }

    int Int(const char* key, int lo, int hi) const {
        const json& v = j_.at(key);
        if (!v.is_number_integer())
            Fail(std::string("\"") + key + "\" must be an integer, got " + JsonTypeName(v));
        const long long n = v.get<long long>();
        if (n < lo || n > hi)
            Fail(std::string("\"") + key + "\" is " + std::to_string(n) + ", outside " +
                 std::to_string(lo) + " .. " + std::to_string(hi));
        return static_cast<int>(n);
    }

    bool Bool(const char* key) const {
        if (!j_.contains(key)) return false;
        const json& v = j_.at(key);
        if (!v.is_boolean()) Fail(std::string("\"") + key + "\" must be true or false, got " + JsonTypeName(v));
        return v.get<bool>();
    }

    std::pair<int, int> Pair(const char* key, int lo, int hi) const {
        const json& v = j_.at(key);
        if (!v.is_array() || v.size() != 2 || !v[0].is_number_integer() ||
            !v[1].is_number_integer())
            Fail(std::string("\"") + key + "\" must be a list of two integers");
        const long long a = v[0].get<long long>(), b = v[1].get<long long>();
        if (a < lo || a > hi || b < lo || b > hi)
            Fail(std::string("\"") + key + "\" holds a value outside " + std::to_string(lo) +
                 " .. " + std::to_string(hi));
        return {static_cast<int>(a), static_cast<int>(b)};
    }

    void Fill(UiStep& s) const {
        if (j_.contains("modifiers")) {
            const json& m = j_.at("modifiers");
            if (!m.is_array()) Fail("\"modifiers\" must be a list of \"shift\", \"ctrl\", \"alt\"");
            for (const json& e : m) {
                if (e == "shift") s.modifiers.shift = true;
                else if (e == "ctrl") s.modifiers.ctrl = true;
                else if (e == "alt") s.modifiers.alt = true;
                else Fail("\"modifiers\" holds " + e.dump() + "; expected \"shift\", \"ctrl\" or \"alt\"");
            }
        }
        if (j_.contains("control")) {
            const json& c = j_.at("control");
            UiControlRef ref;
            if (c.is_number_integer()) ref.id = Int("control", 1, 65535);
            else if (c.is_string() && !c.get<std::string>().empty()) ref.caption = c.get<std::string>();
            else Fail("\"control\" must be a control id (an integer) or a caption, got " + JsonTypeName(c));
            if (j_.contains("rollout")) ref.rollout = String("rollout");
            s.control = ref;
        }
        switch (s.action) {
        case UiAction::Select: {
            const json& n = j_.at("node");
            if (n.is_null()) break;
            s.node = String("node");
            break;
        }
        case UiAction::Open:
        case UiAction::Close:
            s.rollout = String("rollout");
            break;
        case UiAction::Click:
        case UiAction::Drag:
            if (j_.contains("button")) {
                const std::string b = String("button");
                if (b != "left" && b != "right") Fail("\"button\" must be \"left\" or \"right\"");
                s.rightButton = b == "right";
            }
            s.doubleClick = Bool("double");
            if (s.action == UiAction::Drag) std::tie(s.dx, s.dy) = Pair("by", -10000, 10000);
            if (j_.contains("at")) s.at = Pair("at", 0, 16383);
            break;
        case UiAction::Type:
            s.text = String("text", true);
            s.enter = Bool("enter");
            break;
        case UiAction::Wheel:
            s.clicks = Int("clicks", -100, 100);
            if (s.clicks == 0) Fail("\"clicks\" is 0: the wheel would not turn");
            if (j_.contains("at")) {
                if (!s.control) Fail("\"at\" is a pixel of a control: name the \"control\" too");
                s.at = Pair("at", 0, 16383);
            }
            break;
        case UiAction::Scroll:
            s.position = Int("to", 0, 1000000);
            break;
        case UiAction::Key:
            s.key = String("key");
            if (!VirtualKeyOf(s.key))
                Fail("unknown key \"" + s.key +
                     "\" (keys: a letter or digit, Enter, Escape, Tab, Space, Backspace, "
                     "Delete, Up, Down, Left, Right, Home, End, PageUp, PageDown, F1 .. F12)");
            break;
        case UiAction::Colour:
            s.colourCancelled = Bool("cancel");
            if (s.colourCancelled == j_.contains("rgb"))
                Fail("give either \"rgb\" (the colour chosen) or \"cancel\": true");
            if (j_.contains("rgb")) {
                const json& c = j_.at("rgb");
                if (!c.is_array() || c.size() != 3)
                    Fail("\"rgb\" must be a list of three numbers 0 .. 255");
                for (int i = 0; i < 3; ++i) {
                    if (!c[static_cast<std::size_t>(i)].is_number() ||
                        c[static_cast<std::size_t>(i)].get<double>() < 0 ||
                        c[static_cast<std::size_t>(i)].get<double>() > 255)
                        Fail("\"rgb\" must be a list of three numbers 0 .. 255");
                    s.colour[i] = c[static_cast<std::size_t>(i)].get<float>();
                }
            }
            break;
        case UiAction::Pick:
            s.view = View("view", false);
            if (j_.contains("at") == j_.contains("node"))
                Fail("give either \"at\" (a pixel of the view) or \"node\" (a node to aim at)");
            if (j_.contains("at")) s.at = Pair("at", 0, 16383);
            else s.node = String("node");
            break;
        case UiAction::Cancel:
            s.percent = Int("percent", 0, 100);
            if (j_.contains("title")) s.progressTitle = String("title");
            break;
        case UiAction::Shot: {
            s.view = View("of", true);
            s.file = String("file");
            const std::filesystem::path p(s.file);
            if (p.filename() != p || s.file == "." || s.file == "..")
                Fail("\"file\" must be a plain file name (it is written into the --out folder), "
                     "got \"" + s.file + "\"");
            std::string ext = p.extension().string();
            for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (ext != ".png") Fail("\"file\" must end in .png, got \"" + s.file + "\"");
            break;
        }
        case UiAction::Material:
            s.material = String("name");
            break;
        case UiAction::Browse:
            if (!j_.at("map").is_null()) s.mapClass = String("map");
            break;
        }
    }

    UiShotTarget View(const char* key, bool wholeOrPanel) const {
        const std::string v = String(key);
        if (v == "top") return UiShotTarget::Top;
        if (v == "front") return UiShotTarget::Front;
        if (v == "left") return UiShotTarget::Left;
        if (v == "persp") return UiShotTarget::Perspective;
        if (wholeOrPanel && v == "window") return UiShotTarget::Window;
        if (wholeOrPanel && v == "panel") return UiShotTarget::Panel;
        if (wholeOrPanel && v == "editor") return UiShotTarget::Editor;
        Fail(std::string("\"") + key + "\" is \"" + v + "\"; expected " +
             (wholeOrPanel ? "window, panel, editor, " : "") + "top, front, left or persp");
    }

    const std::string& file_;
    std::size_t number_;
    const json& j_;
    std::string action_;
};

std::string LineAndColumn(const std::string& text, std::size_t byte) {
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i + 1 < byte && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

} // namespace

const char* UiActionName(UiAction a) {
    for (const ActionForm& f : Forms())
        if (f.action == a) return f.name;
    return "?";
}

UiScriptError::UiScriptError(const std::string& file, std::size_t step, const std::string& action,
                             const std::string& problem)
    : std::runtime_error(file + ": " +
                         (step ? "step " + std::to_string(step) +
                                     (action.empty() ? "" : " (" + action + ")") + ": "
                               : std::string()) +
                         problem) {}

UiScript ParseUiScript(const std::string& text, const std::string& file) {
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& e) {
        throw UiScriptError(file, 0, "", "not JSON at " + LineAndColumn(text, e.byte));
    }
    if (!root.is_object()) throw UiScriptError(file, 0, "", "expected an object with \"steps\"");
    UiScript script;
    script.path = file;
    for (auto it = root.begin(); it != root.end(); ++it)
        if (it.key() != "steps" && it.key() != "window")
            throw UiScriptError(file, 0, "", "unknown key \"" + it.key() +
                                                 "\" (a script holds \"window\" and \"steps\")");
    if (root.contains("window")) {
        const json& w = root.at("window");
        const bool ok = w.is_object() && w.size() == 2 && w.contains("width") &&
                        w.contains("height") && w["width"].is_number_integer() &&
                        w["height"].is_number_integer();
        if (!ok) throw UiScriptError(file, 0, "", "\"window\" must be {\"width\": W, \"height\": H}");
        script.width = w["width"].get<int>();
        script.height = w["height"].get<int>();
        if (script.width < 640 || script.height < 480 || script.width > 8192 || script.height > 8192)
            throw UiScriptError(file, 0, "", "\"window\" must be 640x480 .. 8192x8192, got " +
                                                 std::to_string(script.width) + "x" +
                                                 std::to_string(script.height));
    }
    auto steps = root.find("steps");
    if (steps == root.end() || !steps->is_array())
        throw UiScriptError(file, 0, "", "\"steps\" must be a list of steps");
    std::set<std::string> shots;
    for (std::size_t i = 0; i < steps->size(); ++i) {
        UiStep s = StepReader(file, i + 1, (*steps)[i]).Read();
        if (s.action == UiAction::Shot && !shots.insert(s.file).second)
            throw UiScriptError(file, i + 1, "shot",
                                "\"" + s.file + "\" is written by an earlier step already");
        script.steps.push_back(std::move(s));
    }
    return script;
}

UiScript ReadUiScript(const std::filesystem::path& file) {
    std::string text, problem;
    if (!ReadInputFile(file.string(), text, problem)) throw UiScriptError(file.string(), 0, "", problem);
    return ParseUiScript(text, file.string());
}

int VirtualKeyOf(const std::string& name) {
    static const std::map<std::string, int> named{
        {"Backspace", 0x08}, {"Tab", 0x09},    {"Enter", 0x0D},  {"Escape", 0x1B},
        {"Space", 0x20},     {"PageUp", 0x21}, {"PageDown", 0x22}, {"End", 0x23},
        {"Home", 0x24},      {"Left", 0x25},   {"Up", 0x26},     {"Right", 0x27},
        {"Down", 0x28},      {"Delete", 0x2E},
    };
    if (auto it = named.find(name); it != named.end()) return it->second;
    if (name.size() == 1) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    }
    if (name.size() >= 2 && name[0] == 'F') {
        int n = 0;
        for (std::size_t i = 1; i < name.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
            n = n * 10 + (name[i] - '0');
            if (n > 12) return 0;
        }
        if (n >= 1) return 0x70 + n - 1;
    }
    return 0;
}

} // namespace contorra
