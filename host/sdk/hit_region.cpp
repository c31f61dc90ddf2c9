#include <algorithm>
#include <cmath>

#include "host/sdk/graphics_window.h"

void MakeHitRegion(HitRegion& hr, int type, int crossing, int epsilon, IPoint2* p) {
    hr = HitRegion();
    hr.crossing = crossing;
    hr.epsilon = epsilon;
    switch (type) {
    case HITTYPE_BOX:
        hr.type = RECT_RGN;
        hr.rect = {std::min(p[0].x, p[1].x), std::min(p[0].y, p[1].y), std::max(p[0].x, p[1].x),
                   std::max(p[0].y, p[1].y)};
        break;
    case HITTYPE_CIRCLE: {
        hr.type = CIRCLE_RGN;
        hr.centre = p[0];
        const double dx = p[1].x - p[0].x, dy = p[1].y - p[0].y;
        hr.radius = static_cast<int>(std::sqrt(dx * dx + dy * dy));
        break;
    }
    case HITTYPE_FENCE:
        hr.type = FENCE_RGN;
        for (int i = 0; p[i].x != -100 || p[i].y != -100; ++i) hr.fence.push_back(p[i]);
        break;
    default:
        hr.type = POINT_RGN;
        hr.pt = p[0];
        break;
    }
}
