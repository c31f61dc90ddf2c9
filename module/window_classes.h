#pragma once
// Window classes the entry point registers, in this order: the four list views
// (kinds 0 Splines, 1 Platforms, 2 Insert, 3 UVWMap) and the gradient ramp.
// The defaults in window_classes.cpp register each name with a window procedure
// that does nothing; the list views and the ramp control bring their own
// definitions of these functions, which take precedence.
void RegisterListBoxViewClass(int kind);
void RegisterGradientRampClass();

// Class names by list-view kind.
extern const char* const kListBoxViewClassNames[4];
inline constexpr const char* kGradientRampClassName = "CustGradientRamp";
