// What the module offers the host: its classes and its window classes. Built
// into contorra.dlo beside the exports, on top of every plug-in folder.
#include "module/class_descs.h"

#include <iterator>

#include "host/sdk/win32_gdi.h"
#include "module/window_classes.h"

namespace {

ClassDesc2* (*const kClassDescs[])() = {GetTerravelDesc, GetLandObjectDesc, GetGradientEdgeDesc};

const PluginWindowClass kWindowClasses[] = {
    {"SplinesListBoxView", ListBoxViewProc}, {"PlatformListBoxView", ListBoxViewProc},
    {"InsertListBoxView", ListBoxViewProc},  {"UVWMapListBoxView", ListBoxViewProc},
    {"CustGradientRamp", GradientRampWndProc, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, NULL_BRUSH},
};

} // namespace

int PluginClassCount() {
    return static_cast<int>(std::size(kClassDescs));
}

ClassDesc2* PluginClassDesc(int i) {
    return i >= 0 && i < PluginClassCount() ? kClassDescs[i]() : nullptr;
}

std::span<const PluginWindowClass> PluginWindowClasses() {
    return kWindowClasses;
}
