#pragma once
// The mesher's next-vertex step as a plain scan from firstActive over the
// whole vertex list: the reference that SurfaceBuilder::AdvanceFront must
// match pick for pick, kept for the tests and the benchmark.
#include "geometry/surface_builder.h"

inline bool LiteralAdvanceFront(SurfaceBuilder& b) {
    int best = -1;
    float smallest = 1.0e30f;
    bool met = false;
    for (int i = b.firstActive; i < b.vertices.count(); ++i) {
        const FrontVertex& v = b.vertices[i];
        if (v.active) {
            met = true;
            if (v.key < smallest) {
                smallest = v.key;
                best = i;
            }
        } else if (!met) {
            ++b.firstActive;
        }
    }
    if (b.frontRadius > smallest * 1.5) return false;
    b.frontRadius = smallest;
    if (best < 0) return false;
    b.vertices[best].active = false;
    b.ExpandVertex(best);
    return true;
}
