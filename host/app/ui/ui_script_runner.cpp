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

    std::string OpenTitles() const {
        std::string titles;
        for (const auto& r : host_.Panel().Rollouts())
            titles += (titles.empty() ? "" : ", ") + Quoted(r.title) + (r.open ? "" : " (closed)");
        return titles.empty() ? "the panel is empty" : "rollouts: " + titles;
    }

    const CommandPanel::Rollout& Rollout(const std::string& title) const {
        const CommandPanel::Rollout* r = host_.Panel().Find(title);
        if (!r) Fail("no rollout titled " + Quoted(title) + " in the panel (" + OpenTitles() + ")");
        return *r;
    }

    // The control the step names, visible and in an open rollout.
    HWND Control(const UiControlRef& ref) const {
        const std::string name =
            ref.id ? "control " + std::to_string(ref.id) : "control captioned " + Quoted(ref.caption);
        std::vector<std::pair<HWND, const CommandPanel::Rollout*>> found;
        for (const auto& r : host_.Panel().Rollouts()) {
            if (!ref.rollout.empty() && r.title != ref.rollout) continue;
            HWND c = ref.id ? GetDlgItem(r.page, ref.id) : ui::FindControlByText(r.page, ref.caption);
            if (c && c != r.page) found.emplace_back(c, &r);
        }
        if (!ref.rollout.empty()) Rollout(ref.rollout);
        if (found.empty())
            Fail("no " + name + " in " +
                 (ref.rollout.empty() ? "the panel" : "the rollout " + Quoted(ref.rollout)) + " (" +
                 OpenTitles() + ")");
        if (found.size() > 1) {
            std::string where;
            for (const auto& f : found) where += (where.empty() ? "" : ", ") + Quoted(f.second->title);
            Fail(name + " is in several rollouts (" + where + "): name one with \"rollout\"");
        }
        const auto [wnd, rollout] = found.front();
        if (!rollout->open)
            Fail(name + " is in the closed rollout " + Quoted(rollout->title) + ": open it first");
        const RECT panel = ScreenRect(host_.Panel().Window());
        const RECT c = ScreenRect(wnd);
        const int cy = (c.top + c.bottom) / 2;
        if (cy < panel.top || cy >= panel.bottom)
            Fail(name + " is scrolled out of the panel: scroll or wheel the panel first");
        if (!IsWindowVisible(wnd)) Fail(name + " is hidden");
        if (!IsWindowEnabled(wnd)) Fail(name + " is disabled");
        return wnd;
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
        const RECT panel = ScreenRect(host_.Panel().Window());
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
            const CommandPanel::Rollout& r = Rollout(s.rollout);
            if (r.open == (s.action == UiAction::Open)) break;
            const RECT& t = r.titleBar;
            RECT client{};
            GetClientRect(host_.Panel().Window(), &client);
            const POINT mid{(t.left + t.right) / 2, (t.top + t.bottom) / 2};
            if (mid.y < 0 || mid.y >= client.bottom)
                Fail("the title bar of " + Quoted(s.rollout) + " is scrolled out of the panel");
            const POINT at = ui::ScreenPoint(host_.Panel().Window(), mid);
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
        case UiAction::Shot: {
            HWND target = host_.Window();
            if (s.view == UiShotTarget::Panel) target = host_.Panel().Window();
            else if (s.view != UiShotTarget::Window) target = host_.ViewWindow(KindOf(s.view));
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
    std::vector<UiShot> shots_;
};

} // namespace

std::vector<UiShot> RunUiScript(const UiScript& script, HostWindow& host, Scene& scene) {
    return Runner(script, host, scene).Run();
}

} // namespace contorra
