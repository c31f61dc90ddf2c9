#include "host/app/relief_colours.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace contorra {

Color ElevationTint(float t) {
    static const std::array<Color, 6> ramp = {
        Color(0.20f, 0.45f, 0.25f), Color(0.45f, 0.62f, 0.30f), Color(0.80f, 0.78f, 0.45f),
        Color(0.75f, 0.55f, 0.32f), Color(0.55f, 0.38f, 0.26f), Color(0.92f, 0.91f, 0.88f)};
    if (!std::isfinite(t)) t = 0.0f;
    const float at = std::clamp(t, 0.0f, 1.0f) * static_cast<float>(ramp.size() - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(at), ramp.size() - 2);
    const float f = at - static_cast<float>(i);
    return ramp[i] * (1.0f - f) + ramp[i + 1] * f;
}

float HillShade(const Point3& normal) {
    static const Point3 light = Normalize(Point3(-0.5f, 0.5f, 0.70710678f));
    Point3 n = Normalize(normal);
    if (n.z < 0.0f) n = -n; // seen from above either way
    return 0.3f + 0.7f * std::max(0.0f, DotProd(n, light));
}

} // namespace contorra
