#pragma once
// Validity intervals over animation time, ends included.
#include "base_types.h"

class Interval {
public:
    constexpr Interval() : start_(TIME_NegInfinity), end_(TIME_NegInfinity) {}
    constexpr Interval(TimeValue s, TimeValue e) : start_(s), end_(e) {}

    TimeValue Start() const { return start_; }
    TimeValue End() const { return end_; }
    void Set(TimeValue s, TimeValue e) { start_ = s; end_ = e; }
    void SetStart(TimeValue s) { start_ = s; }
    void SetEnd(TimeValue e) { end_ = e; }
    void SetInfinite() { Set(TIME_NegInfinity, TIME_PosInfinity); }
    void SetEmpty() { Set(TIME_NegInfinity, TIME_NegInfinity); }
    void SetInstant(TimeValue t) { Set(t, t); }

    // The never interval is the one with both ends at negative infinity.
    bool Empty() const {
        return (start_ == TIME_NegInfinity && end_ == TIME_NegInfinity) || start_ > end_;
    }
    bool InInterval(TimeValue t) const { return !Empty() && t >= start_ && t <= end_; }
    bool InInterval(const Interval& i) const {
        return !i.Empty() && InInterval(i.start_) && InInterval(i.end_);
    }
    TimeValue Duration() const { return Empty() ? 0 : end_ - start_ + 1; }

    // Intersection.
    Interval operator&(const Interval& i) const;
    Interval& operator&=(const Interval& i) { return *this = *this & i; }
    bool operator==(const Interval& i) const;
    bool operator!=(const Interval& i) const { return !(*this == i); }

private:
    TimeValue start_, end_;
};

inline constexpr Interval FOREVER(TIME_NegInfinity, TIME_PosInfinity);
inline constexpr Interval NEVER(TIME_NegInfinity, TIME_NegInfinity);
