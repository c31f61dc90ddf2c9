#pragma once
// Restores the tuning constants when a test that changed them ends.
#include "geometry/tuning_constants.h"

class TuningGuard {
public:
    TuningGuard() : saved_(Tuning) {}
    ~TuningGuard() { Tuning = saved_; }

private:
    TuningConstants saved_;
};
