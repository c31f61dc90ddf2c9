#pragma once
// A texture map that answers one colour and one bump everywhere.
#include "host/sdk/texmap.h"

class FixedMap : public Texmap {
public:
    FixedMap(const AColor& c, const Point3& bump) : color_(c), bump_(bump) {}
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
