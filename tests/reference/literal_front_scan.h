#pragma once
// The mesher's next-vertex step as a plain scan from firstActive over the
// whole vertex list: the reference that StageParts::AdvanceFront must
// match pick for pick, kept for the tests and the benchmark.
#include "tests/support/stage_parts.h"

inline bool LiteralAdvanceFront(StageParts& b) {
    int best = -1;
    float smallest = 1.0e30f;
    bool met = false;
    for (int i = b.front.firstActive; i < b.front.vertices.count(); ++i) {
        const FrontVertex& v = b.front.vertices[i];
        if (v.active) {
            met = true;
            if (v.key < smallest) {
                smallest = v.key;
                best = i;
            }
        } else if (!met) {
            ++b.front.firstActive;
        }
    }
    if (b.front.frontRadius > smallest * 1.5) return false;
    b.front.frontRadius = smallest;
    if (best < 0) return false;
    b.front.vertices[best].active = false;
    b.ExpandVertex(best);
    return true;
}
