#pragma once
// Parameter ids of the terrain object's block and the size of its four lists.
// Every table holds MAX_LIST_SLOTS entries; a slot is in use while its node
// entry is not null.
#include "host/sdk/class_id.h"

constexpr int MAX_LIST_SLOTS = 200;
using TerrainSlot = int; // 0 .. MAX_LIST_SLOTS - 1

constexpr Class_ID LANDOBJECT_CLASS_ID(0x14ec440d, 0x700c139b);
constexpr Class_ID TERRAVEL_CLASS_ID(0x14292e5e, 0x16395a25);

// Block 0 of the terrain object, "parameters".
enum LandObjectParam {
    pb_spline_node = 0,
    pb_spline_id = 1,
    pb_platform_node = 2,
    pb_slope_up = 3,
    pb_slope_down = 4,
    pb_platform_id = 5,
    pb_slopeup_id = 6,
    pb_slopedown_id = 7,
    pb_iterations = 8,
    pb_dummy_size = 9,
    pb_insert_node = 10,
    pb_insert_id = 11,
    pb_insert_type = 12,
    pb_insert_split = 13,
    pb_uvw_node = 14,
    pb_map_ch = 15,
    pb_uvw_width = 16,
    pb_uvw_angle = 17,
    pb_mapch = 18,
    pb_width = 19,
    pb_globalangle = 20,
    pb_uvw_zone = 21,
    pb_exact_fit = 22,
    pb_tension = 23,
};

// Its rollouts, one map each.
enum LandObjectMap {
    map_splines = 0,
    map_platforms = 1,
    map_insert = 2,
    map_main = 3,
    map_uvwmap = 4,
};

// Block 0 of the conform modifier, "parameters".
enum TerravelParam {
    pb_land_object = 0,
};
