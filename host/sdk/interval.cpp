#include "interval.h"

#include <algorithm>

Interval Interval::operator&(const Interval& i) const {
    if (Empty() || i.Empty()) return NEVER;
    Interval r(std::max(start_, i.start_), std::min(end_, i.end_));
    if (r.start_ > r.end_) return NEVER;
    return r;
}

bool Interval::operator==(const Interval& i) const {
    if (Empty() && i.Empty()) return true;
    return start_ == i.start_ && end_ == i.end_;
}
