#include "host/sdk/ui_colors.h"

#include <array>

namespace {

std::array<Point3, COLOR_TOTAL> DefaultColours() {
    std::array<Point3, COLOR_TOTAL> c;
    c.fill(Point3(0.7f, 0.7f, 0.7f));
    c[COLOR_SELECTION] = Point3(1.0f, 1.0f, 1.0f);
    c[COLOR_SUBSELECTION] = Point3(1.0f, 0.0f, 0.0f);
    c[COLOR_FREEZE] = Point3(0.53f, 0.53f, 0.53f);
    c[COLOR_GRID] = Point3(0.44f, 0.44f, 0.44f);
    c[COLOR_GRID_INTENS] = Point3(0.34f, 0.34f, 0.34f);
    c[COLOR_VP_LABELS] = Point3(0.9f, 0.9f, 0.9f);
    c[COLOR_VP_INACTIVE] = Point3(0.49f, 0.49f, 0.49f);
    c[COLOR_VP_BORDER] = Point3(0.2f, 0.2f, 0.2f);
    c[COLOR_GIZMOS] = Point3(0.0f, 0.0f, 1.0f);
    c[COLOR_WORLD_AXES] = Point3(0.1f, 0.1f, 0.1f);
    c[COLOR_SNAP] = Point3(0.0f, 1.0f, 1.0f);
    c[COLOR_SEL_GIZMOS] = Point3(1.0f, 1.0f, 0.0f);
    return c;
}

std::array<Point3, COLOR_TOTAL>& Colours() {
    static std::array<Point3, COLOR_TOTAL> colours = DefaultColours();
    return colours;
}

} // namespace

Point3 GetUIColor(int which) {
    if (which < 0 || which >= COLOR_TOTAL) return Point3(0.7f, 0.7f, 0.7f);
    return Colours()[static_cast<std::size_t>(which)];
}

void SetUIColor(int which, const Point3& rgb) {
    if (which >= 0 && which < COLOR_TOTAL) Colours()[static_cast<std::size_t>(which)] = rgb;
}
