#pragma once
// Runs an input script in the host window: each step becomes the mouse and
// key input a user would give, delivered through the window system, and
// the message queue is pumped until idle after it.
#include <string>
#include <vector>

#include "host/app/ui/host_window.h"
#include "host/app/software_raster.h"
#include "host/app/ui/ui_script.h"

namespace contorra {

struct UiShot {
    std::string file;
    RasterImage image;
};

// The screenshots in script order. A step that cannot be done throws
// UiScriptError naming the step; nothing has been written then.
std::vector<UiShot> RunUiScript(const UiScript& script, HostWindow& host, Scene& scene);

} // namespace contorra
