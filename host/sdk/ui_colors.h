#pragma once
// The interface colours by number, as objects draw themselves with them.
#include "host/sdk/point.h"

constexpr int COLOR_SELECTION = 0;    // selected objects
constexpr int COLOR_SUBSELECTION = 1; // selected sub-objects
constexpr int COLOR_FREEZE = 2;       // frozen objects
constexpr int COLOR_GRID = 3;         // home grid lines
constexpr int COLOR_GRID_INTENS = 4;  // home grid major lines
constexpr int COLOR_SF_LIVE = 5;
constexpr int COLOR_SF_ACTION = 6;
constexpr int COLOR_SF_TITLE = 7;
constexpr int COLOR_VP_LABELS = 8;       // viewport labels
constexpr int COLOR_VP_INACTIVE = 9;     // viewport background
constexpr int COLOR_VP_BORDER = 10;      // viewport frame
constexpr int COLOR_GIZMOS = 11;         // gizmos and helpers
constexpr int COLOR_WORLD_AXES = 12;     // the grid's world axes
constexpr int COLOR_SNAP = 13;           // snap preview marker
constexpr int COLOR_SEL_GIZMOS = 25;     // selected gizmos and helper shapes
constexpr int COLOR_TOTAL = 32;

// Red, green, blue in 0..1.
Point3 GetUIColor(int which);
void SetUIColor(int which, const Point3& rgb);
