#pragma once
// Which values a parameter type holds; shared by the block's storage and its
// file code, not part of what plug-ins see.
#include "host/sdk/param_block_desc.h"

namespace param_kinds {

// A number as an int without undefined behaviour: NaN is 0, the rest
// saturates at int's ends (a float parameter may hold what no int can).
inline int SaturatingInt(double x) {
    if (!(x == x)) return 0;
    if (x >= 2147483647.0) return 2147483647;
    if (x <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(x);
}

inline bool IsFloatType(ParamType2 t) {
    ParamType2 b = BaseType(t);
    return b == TYPE_FLOAT || b == TYPE_ANGLE || b == TYPE_PCNT_FRAC || b == TYPE_WORLD ||
           b == TYPE_COLOR_CHANNEL;
}
inline bool IsIntType(ParamType2 t) {
    ParamType2 b = BaseType(t);
    return b == TYPE_INT || b == TYPE_BOOL || b == TYPE_TIMEVALUE || b == TYPE_RADIOBTN_INDEX ||
           b == TYPE_INDEX;
}
inline bool IsPointType(ParamType2 t) {
    return BaseType(t) == TYPE_POINT3;
}
inline bool IsColorType(ParamType2 t) {
    ParamType2 b = BaseType(t);
    return b == TYPE_RGBA || b == TYPE_FRGBA || b == TYPE_HSV;
}
inline bool IsStringType(ParamType2 t) {
    ParamType2 b = BaseType(t);
    return b == TYPE_STRING || b == TYPE_FILENAME;
}

} // namespace param_kinds
