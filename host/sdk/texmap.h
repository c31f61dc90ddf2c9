#pragma once
// Texture maps (interim: evaluation only).
#include "host/sdk/color.h"
#include "host/sdk/point.h"
#include "host/sdk/shade_context.h"

class Texmap {
public:
    virtual ~Texmap() = default;
    virtual AColor EvalColor(ShadeContext& sc) = 0;
    virtual float EvalMono(ShadeContext& sc) {
        AColor c = EvalColor(sc);
        return (c.r + c.g + c.b) / 3.0f;
    }
    virtual Point3 EvalNormalPerturb(ShadeContext& sc) = 0;
};
