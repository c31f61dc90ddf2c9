// Resource identifiers of contorra.rc: strings, dialog templates and controls.
#pragma once

// Strings.
#define IDS_LIBDESCRIPTION 1
#define IDS_CATEGORY 2
#define IDS_CLASS_NAME 3
#define IDS_PARAMETERS 4
#define IDS_PARAM 5
#define IDS_SPLINES 6
#define IDS_PLATFORMS 7
#define IDS_INSERT 8
#define IDS_UVWMAP 9
#define IDS_BORDER_CLASS 10
// Display names of the animatable parameters of the UVWMap rollout.
#define IDS_WIDTH 11
#define IDS_MAPCH 12
#define IDS_GLOBALANGLE 13

// The edge-gradient map.
#define IDS_GE_OUTPUT 200
#define IDS_GE_COORDINATES 201
#define IDS_GE_DISTANCE 203
#define IDS_GE_ANGLE 204
#define IDS_GE_SELECTED_ONLY 205
#define IDS_GE_SMOOTH 206
#define IDS_GE_SMOOTH_TYPE 207
#define IDS_GE_MATID 208
#define IDS_GE_MATID_EQ 209
#define IDS_GE_COMPLANAR 210
#define IDS_GE_CONDITIONS 211
#define IDS_GE_OPEN_EDGES 212
#define IDS_GE_LINEAR 213
#define IDS_GE_EXPONENTIAL 214
#define IDS_GE_GAMMA 215
#define IDS_GE_SOLID 216
#define IDS_GE_NO 217
#define IDS_GE_MARKER_COLOR 222
#define IDS_GE_MARKER_MAP 225
#define IDS_GE_C_MULT 226
#define IDS_GE_MATID_RANGE 228
#define IDS_GE_MATID1 230
#define IDS_GE_MATID2 231

// Dialog templates.
#define IDD_TERRAVEL 124
#define IDD_LANDOBJECT 125
#define IDD_SPLINES 148
#define IDD_PLATFORMS 149
#define IDD_INSERT 150
#define IDD_UVWMAP 151

// Controls.
#define IDC_GENERATE 253
#define IDC_LANDOBJECT_PICK 1016
#define IDC_ITER_EDIT 1088
#define IDC_ITER_SPIN 1089
#define IDC_DUMMY_EDIT 1090
#define IDC_DUMMY_SPIN 1091
#define IDC_EXACT_FIT 1092
#define IDC_TENSION_EDIT 1093
#define IDC_TENSION_SPIN 1094
#define IDC_SPLINE_ID_EDIT 1119
#define IDC_SPLINE_ID_SPIN 1120
#define IDC_MAPCH_EDIT 1131
#define IDC_MAPCH_SPIN 1132
#define IDC_WIDTH_EDIT 1133
#define IDC_WIDTH_SPIN 1134
#define IDC_ANGLE_EDIT 1135
#define IDC_ANGLE_SPIN 1136
#define IDC_VERSION 2983

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
