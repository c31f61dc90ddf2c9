#pragma once
// Colours that make relief readable at a glance: a hypsometric tint by
// elevation and hill-shading from the north-west, as printed maps have them.
#include "host/sdk/color.h"
#include "host/sdk/point.h"

namespace contorra {

// t = 0 at the lowest point, 1 at the highest: greens, then ochres and
// browns, then pale grey.
Color ElevationTint(float t);

// 0.3 (facing away) .. 1.0 (facing the light) for a world-space normal; the
// light comes from the north-west (-x, +y), 45 degrees above the horizon.
float HillShade(const Point3& normal);

} // namespace contorra
