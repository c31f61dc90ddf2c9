#include "color.h"

#include <algorithm>

namespace {
DWORD Channel(float v) {
    const float c = std::clamp(v, 0.0f, 1.0f);
    return static_cast<DWORD>(c * 255.0f + 0.5f);
}
} // namespace

DWORD Color::toRGB() const { return Channel(r) | (Channel(g) << 8) | (Channel(b) << 16); }
