#pragma once
// String ids of the edge-gradient map in the module's string table.
#include "host/sdk/animatable.h"

constexpr int IDS_GE_CATEGORY = 2;
constexpr int IDS_GE_PARAMETERS = 4;
constexpr int IDS_GE_CLASS_NAME = 10;
constexpr int IDS_GE_OUTPUT = 200;
constexpr int IDS_GE_COORDINATES = 201;
constexpr int IDS_GE_DISTANCE = 203;
constexpr int IDS_GE_ANGLE = 204;
constexpr int IDS_GE_SELECTED_ONLY = 205;
constexpr int IDS_GE_SMOOTH = 206;
constexpr int IDS_GE_SMOOTH_TYPE = 207;
constexpr int IDS_GE_MATID = 208;
constexpr int IDS_GE_MATID_EQ = 209;
constexpr int IDS_GE_COMPLANAR = 210;
constexpr int IDS_GE_CONDITIONS = 211;
constexpr int IDS_GE_OPEN_EDGES = 212;
constexpr int IDS_GE_CURVE_FIRST = 213; // 213 .. 217: the curve names in type order
constexpr int IDS_GE_MARKER_COLOR = 222;
constexpr int IDS_GE_MARKER_MAP = 225;
constexpr int IDS_GE_C_MULT = 226;
constexpr int IDS_GE_MATID_RANGE = 228;
constexpr int IDS_GE_MATID1 = 230;
constexpr int IDS_GE_MATID2 = 231;

constexpr int IDD_GRADIENT_EDGE = 101;

// The string, or the empty string when the table cannot be read.
MSTR GradientEdgeString(int id);
