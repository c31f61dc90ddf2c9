#pragma once
// Strings of the edge-gradient map, from the module's string table.
#include "host/sdk/animatable.h"
#include "module/resource.h"

constexpr int IDS_GE_CATEGORY = IDS_CATEGORY;
constexpr int IDS_GE_PARAMETERS = IDS_PARAMETERS;
constexpr int IDS_GE_CLASS_NAME = IDS_BORDER_CLASS;

// The string, or the empty string when the table cannot be read.
MSTR GradientEdgeString(int id);
