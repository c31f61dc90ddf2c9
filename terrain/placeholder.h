#pragma once
// The terrain object's placeholder: a square of half side d around its origin
// with seven contour-like curves, drawn as line segments. It shows where the
// terrain is before (and after) it is built.
#include "host/sdk/point.h"

class GraphicsWindow;

// Below this half side the placeholder is neither drawn nor hit.
constexpr float kPlaceholderMinSize = 0.1f;

// One segment batch in the window's current transform and line colour;
// nothing when d < kPlaceholderMinSize.
void DrawPlaceholder(GraphicsWindow* gw, float d);
