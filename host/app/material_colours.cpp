#include "host/app/material_colours.h"

#include <cmath>

namespace contorra {

namespace {

Color FromHsv(float h, float s, float v) {
    h = h - std::floor(h);
    const float f = h * 6.0f;
    const int i = static_cast<int>(f) % 6;
    const float fr = f - std::floor(f);
    const float p = v * (1 - s), q = v * (1 - s * fr), t = v * (1 - s * (1 - fr));
    switch (i) {
    case 0:
        return {v, t, p};
    case 1:
        return {q, v, p};
    case 2:
        return {p, v, t};
    case 3:
        return {p, q, v};
    case 4:
        return {t, p, v};
    default:
        return {v, p, q};
    }
}

} // namespace

Color MaterialIdColour(int id) {
    // The first few match what the IDs mean by default: grass, pad, cut, fill.
    static const Color fixed[] = {
        {0.46f, 0.63f, 0.34f}, {0.72f, 0.72f, 0.70f}, {0.72f, 0.50f, 0.33f}, {0.86f, 0.74f, 0.44f},
        {0.34f, 0.52f, 0.82f}, {0.80f, 0.33f, 0.30f}, {0.58f, 0.40f, 0.74f}, {0.30f, 0.66f, 0.64f},
    };
    constexpr int count = sizeof fixed / sizeof fixed[0];
    if (id >= 1 && id <= count) return fixed[id - 1];
    // Golden-ratio steps around the hue circle keep neighbouring IDs apart.
    const float h = 0.11f + 0.618034f * static_cast<float>(id);
    return FromHsv(h, 0.55f, 0.85f);
}

} // namespace contorra
