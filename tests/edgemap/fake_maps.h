#pragma once
// A texture map that answers one colour and one bump everywhere and can report
// its deletion, and colour checks.
#include <gtest/gtest.h>

#include <cmath>

#include "host/sdk/texmap.h"

class FixedMap : public Texmap {
public:
    FixedMap(const AColor& c, const Point3& bump) : color_(c), bump_(bump) {}
    ~FixedMap() override {
        if (deleted) *deleted = true;
    }
    bool* deleted = nullptr;
    AColor EvalColor(ShadeContext&) override { return color_; }
    Point3 EvalNormalPerturb(ShadeContext&) override { return bump_; }
    void Update(TimeValue, Interval&) override {}
    void Reset() override {}
    Interval Validity(TimeValue) override { return FOREVER; }
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }

private:
    AColor color_;
    Point3 bump_;
};

inline AColor Grey(float v) {
    return AColor(v, v, v, 1.0f);
}

inline testing::AssertionResult ColorNear(const AColor& got, const AColor& want) {
    const float d[4] = {got.r - want.r, got.g - want.g, got.b - want.b, got.a - want.a};
    for (int i = 0; i < 4; ++i)
        if (!(std::fabs(d[i]) < 1e-5f))
            return testing::AssertionFailure() << "channel " << i << " off by " << d[i];
    return testing::AssertionSuccess();
}
