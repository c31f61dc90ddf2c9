#include "host/app/ui/ui_script_runner.h"

#include <algorithm>
#include <optional>

#include "host/app/ui/ui_driver.h"

namespace contorra {

namespace {

ui::KeyModifiers Keys(const UiModifiers& m) {
    ui::KeyModifiers k;
    k.shift = m.shift;
    k.ctrl = m.ctrl;
    k.alt = m.alt;
    return k;
}

ViewKind KindOf(UiShotTarget t) {
    switch (t) {
    case UiShotTarget::Front:
        return ViewKind::Front;
    case UiShotTarget::Left:
        return ViewKind::Left;
    case UiShotTarget::Perspective:
        return ViewKind::Perspective;
    default:
        return ViewKind::Top;
    }
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

RECT ScreenRect(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

class Runner {
public:
    Runner(const UiScript& script, HostWindow& host, Scene& scene)
        : script_(script), host_(host), scene_(scene) {}

    std::vector<UiShot> Run() {
        ui::PumpMessages();
        for (const UiStep& s : script_.steps) {
            step_ = &s;
            Do(s);
            ui::PumpMessages();
            host_.ActionDone();
        }
        return std::move(shots_);
    }

private:
    [[noreturn]] void Fail(const std::string& problem) const {
        throw UiScriptError(script_.path, step_->number, UiActionName(step_->action), problem);
    }

    // The host's command panel, then the material editor's while it is open.
    std::vector<CommandPanel*> Panels() const {
        std::vector<CommandPanel*> panels{&host_.Panel()};
        if (MaterialEditor* ed = host_.OpenEditor()) panels.push_back(&ed->Panel());
        return panels;
    }

    std::string OpenTitles() const {
        std::string titles;
        for (CommandPanel* p : Panels())
            for (const auto& r : p->Rollouts())
                titles += (titles.empty() ? "" : ", ") + Quoted(r.title) + (r.open ? "" : " (closed)");
        return titles.empty() ? "the panel is empty" : "rollouts: " + titles;
    }

    std::pair<const CommandPanel::Rollout*, CommandPanel*> Rollout(const std::string& title) const {
        for (CommandPanel* p : Panels())
            if (const CommandPanel::Rollout* r = p->Find(title)) return {r, p};
        Fail("no rollout titled " + Quoted(title) + " in the panel (" + OpenTitles() + ")");
    }

    // The control the step names, visible and in an open rollout (or, in
    // the material editor, beside its rollouts).
    HWND Control(const UiControlRef& ref) {
        const std::string name =
            ref.id ? "control " + std::to_string(ref.id) : "control captioned " + Quoted(ref.caption);
        struct Found {
            HWND wnd;
            const CommandPanel::Rollout* rollout;
            CommandPanel* panel;
        };
        std::vector<Found> found;
        for (CommandPanel* p : Panels())
            for (const auto& r : p->Rollouts()) {
                if (!ref.rollout.empty() && r.title != ref.rollout) continue;
                HWND c = ref.id ? GetDlgItem(r.page, ref.id) : ui::FindControlByText(r.page, ref.caption);
                if (c && c != r.page) found.push_back({c, &r, p});
            }
        if (!ref.rollout.empty()) Rollout(ref.rollout);
        MaterialEditor* ed = host_.OpenEditor();
        if (found.empty() && ref.rollout.empty() && ed) {
            HWND c = ref.id ? GetDlgItem(ed->Window(), ref.id) : ui::FindControlByText(ed->Window(), ref.caption);
            if (c && GetParent(c) == ed->Window()) {
                if (!IsWindowEnabled(c)) Fail(name + " is disabled");
                panel_ = nullptr;
                return c;
            }
        }
        if (found.empty())
            Fail("no " + name + " in " +
                 (ref.rollout.empty() ? "the panel" : "the rollout " + Quoted(ref.rollout)) + " (" +
                 OpenTitles() + ")");
        if (found.size() > 1) {
            std::string where;
            for (const auto& f : found) where += (where.empty() ? "" : ", ") + Quoted(f.rollout->title);
            Fail(name + " is in several rollouts (" + where + "): name one with \"rollout\"");
        }
        const Found f = found.front();
        if (!f.rollout->open)
            Fail(name + " is in the closed rollout " + Quoted(f.rollout->title) + ": open it first");
        const RECT panel = ScreenRect(f.panel->Window());
        const RECT c = ScreenRect(f.wnd);
        const int cy = (c.top + c.bottom) / 2;
        if (cy < panel.top || cy >= panel.bottom)
            Fail(name + " is scrolled out of the panel: scroll or wheel the panel first");
        if (!IsWindowVisible(f.wnd)) Fail(name + " is hidden");
        if (!IsWindowEnabled(f.wnd)) Fail(name + " is disabled");
        panel_ = f.panel;
        return f.wnd;
    }

    // Where in the control the pointer lands: the step's "at", else the centre.
    POINT PointIn(HWND c, const UiStep& s) const {
        RECT r{};
        GetClientRect(c, &r);
        if (!s.at) return POINT{r.right / 2, r.bottom / 2};
        const POINT p{s.at->first, s.at->second};
        if (p.x >= r.right || p.y >= r.bottom)
            Fail("\"at\" " + std::to_string(p.x) + "," + std::to_string(p.y) + " lies outside the control (" +
                 std::to_string(r.right) + "x" + std::to_string(r.bottom) + ")");
        const RECT panel = panel_ ? ScreenRect(panel_->Window()) : ScreenRect(c);
        const POINT screen = ui::ScreenPoint(c, p);
        if (screen.y < panel.top || screen.y >= panel.bottom)
            Fail("\"at\" " + std::to_string(p.x) + "," + std::to_string(p.y) +
                 " is scrolled out of the panel: scroll or wheel the panel first");
        return p;
    }

    INode* Node(const std::string& name) const {
        INode* n = scene_.FindByName(name);
        if (!n) Fail("no node named " + Quoted(name) + " in the scene");
        return n;
    }

    void Do(const UiStep& s) {
        const ui::KeyModifiers mods = Keys(s.modifiers);
        const ui::MouseButton button = s.rightButton ? ui::MouseButton::right : ui::MouseButton::left;
        switch (s.action) {
        case UiAction::Select:
            host_.Select(s.node.empty() ? nullptr : Node(s.node));
            break;
        case UiAction::Open:
        case UiAction::Close: {
            const auto [ro, owner] = Rollout(s.rollout);
            const CommandPanel::Rollout& r = *ro;
            if (r.open == (s.action == UiAction::Open)) break;
            const RECT& t = r.titleBar;
            RECT client{};
            GetClientRect(owner->Window(), &client);
            const POINT mid{(t.left + t.right) / 2, (t.top + t.bottom) / 2};
            if (mid.y < 0 || mid.y >= client.bottom)
                Fail("the title bar of " + Quoted(s.rollout) + " is scrolled out of the panel");
            const POINT at = ui::ScreenPoint(owner->Window(), mid);
            ui::MouseDown(at, ui::MouseButton::left);
            ui::MouseUp(at, ui::MouseButton::left);
            break;
        }
        case UiAction::Click: {
            HWND c = Control(*s.control);
            const POINT p = ui::ScreenPoint(c, PointIn(c, s));
            for (int i = 0; i < (s.doubleClick ? 2 : 1); ++i) {
                ui::MouseDown(p, button, mods);
                ui::MouseUp(p, button, mods);
            }
            break;
        }
        case UiAction::Drag: {
            HWND c = Control(*s.control);
            const POINT from = PointIn(c, s);
            const POINT to{from.x + s.dx, from.y + s.dy};
            const int steps = std::max(1, (std::max(std::abs(s.dx), std::abs(s.dy)) + 3) / 4);
            ui::Drag(c, from, to, button, mods, steps);
            break;
        }
        case UiAction::Type: {
            HWND c = Control(*s.control);
            // Selecting all and typing over it leaves only the new text.
            ui::Click(c);
            SetFocus(c);
            SetWindowTextA(c, "");
            ui::TypeText(s.text);
            if (s.enter) ui::PressKey(VK_RETURN);
            break;
        }
        case UiAction::Wheel: {
            const int delta = s.clicks * WHEEL_DELTA;
            if (s.control) {
                HWND c = Control(*s.control);
                ui::MouseWheel(ui::ScreenPoint(c, PointIn(c, s)), delta, mods);
            } else {
                HWND panel = host_.Panel().Window();
                const POINT at = ui::ScreenPoint(panel);
                WPARAM keys = (s.modifiers.shift ? MK_SHIFT : 0) | (s.modifiers.ctrl ? MK_CONTROL : 0);
                SendMessageA(panel, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(keys), delta),
                             MAKELPARAM(at.x, at.y));
            }
            break;
        }
        case UiAction::Scroll:
            if (s.control) {
                HWND bar = Control(*s.control);
                SetScrollPos(bar, SB_CTL, s.position, TRUE);
                const int pos = GetScrollPos(bar, SB_CTL);
                SendMessageA(GetParent(bar), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos),
                             reinterpret_cast<LPARAM>(bar));
            } else {
                SendMessageA(host_.Panel().Window(), WM_VSCROLL,
                             MAKEWPARAM(SB_THUMBPOSITION, std::min(s.position, 32767)), 0);
            }
            break;
        case UiAction::Key:
            ui::PressKey(VirtualKeyOf(s.key), mods);
            break;
        case UiAction::Colour: {
            auto answer = std::make_shared<std::optional<COLORREF>>();
            if (!s.colourCancelled)
                *answer = RGB(static_cast<int>(s.colour[0] + 0.5f), static_cast<int>(s.colour[1] + 0.5f),
                              static_cast<int>(s.colour[2] + 0.5f));
            auto used = std::make_shared<bool>(false);
            // Answers once; later pickers are cancelled until the next step says otherwise.
            ui::SetColorPickerHook([answer, used](const std::string&, COLORREF& colour) {
                if (*used || !*answer) return false;
                *used = true;
                colour = **answer;
                return true;
            });
            break;
        }
        case UiAction::Pick: {
            const ViewKind kind = KindOf(s.view);
            HWND view = host_.ViewWindow(kind);
            RECT r{};
            GetClientRect(view, &r);
            POINT at{};
            if (s.at) {
                at = POINT{s.at->first, s.at->second};
                if (at.x >= r.right || at.y >= r.bottom)
                    Fail("\"at\" " + std::to_string(at.x) + "," + std::to_string(at.y) + " lies outside the " +
                         ViewName(kind) + " view (" + std::to_string(r.right) + "x" +
                         std::to_string(r.bottom) + ")");
            } else if (!host_.PixelOf(kind, Node(s.node), at)) {
                Fail("the node " + Quoted(s.node) + " cannot be hit anywhere in the " + ViewName(kind) +
                     " view");
            }
            const POINT p = ui::ScreenPoint(view, at);
            ui::MouseDown(p, button, mods);
            ui::MouseUp(p, button, mods);
            break;
        }
        case UiAction::Cancel:
            host_.ArmCancel(s.progressTitle, s.percent);
            break;
        case UiAction::Material: {
            Mtl* mtl = host_.FindMaterial(s.material);
            if (!mtl) Fail("no material named " + Quoted(s.material) + " in the scene");
            host_.Editor().Open(mtl);
            break;
        }
        case UiAction::Browse: {
            if (!s.mapClass.empty()) {
                Texmap* probe = host_.MakeMap(s.mapClass);
                if (!probe) Fail("no texture map class named " + Quoted(s.mapClass));
                probe->MaybeAutoDelete();
            }
            auto used = std::make_shared<bool>(false);
            // Answers once; later empty slots stay empty until the next step says otherwise.
            host_.Editor().SetMapBrowser([this, cls = s.mapClass, used]() -> Texmap* {
                if (*used || cls.empty()) return nullptr;
                *used = true;
                return host_.MakeMap(cls);
            });
            break;
        }
        case UiAction::Shot: {
            HWND target = host_.Window();
            if (s.view == UiShotTarget::Editor) {
                if (!host_.OpenEditor()) Fail("the material editor is not open: open a material first");
                target = host_.OpenEditor()->Window();
            }
            if (s.view == UiShotTarget::Panel) target = host_.Panel().Window();
            else if (s.view != UiShotTarget::Window && s.view != UiShotTarget::Editor)
                target = host_.ViewWindow(KindOf(s.view));
            ui::PumpMessages();
            shots_.push_back({s.file, ui::CaptureWindow(target)});
            break;
        }
        }
    }

    const UiScript& script_;
    HostWindow& host_;
    Scene& scene_;
    const UiStep* step_ = nullptr;
    CommandPanel* panel_ = nullptr; // the panel of the last control found
    std::vector<UiShot> shots_;
};

} // namespace

std::vector<UiShot> RunUiScript(const UiScript& script, HostWindow& host, Scene& scene) {
    return Runner(script, host, scene).Run();
}

} // namespace contorra
