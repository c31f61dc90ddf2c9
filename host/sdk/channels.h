#pragma once
// Object channels: the parts of an object's data that change, copy and
// invalidate independently.
#include "base_types.h"

using ChannelMask = ULONG;

constexpr int TOPO_CHAN_NUM = 0;
constexpr int GEOM_CHAN_NUM = 1;
constexpr int TEXMAP_CHAN_NUM = 2;
constexpr int MTL_CHAN_NUM = 3;
constexpr int SELECT_CHAN_NUM = 4;
constexpr int SUBSEL_TYPE_CHAN_NUM = 5;
constexpr int DISP_ATTRIB_CHAN_NUM = 6;
constexpr int VERT_COLOR_CHAN_NUM = 7;
constexpr int GFX_DATA_CHAN_NUM = 8;
constexpr int DISP_APPROX_CHAN_NUM = 9;
constexpr int EXTENSION_CHAN_NUM = 10;
constexpr int NUM_OBJ_CHANS = 11;

constexpr ChannelMask TOPO_CHANNEL = 1u << 0;        // faces and their vertex indices
constexpr ChannelMask GEOM_CHANNEL = 1u << 1;        // vertex positions
constexpr ChannelMask TEXMAP_CHANNEL = 1u << 2;      // map channels 1 .. 99
constexpr ChannelMask MTL_CHANNEL = 1u << 3;         // face material IDs
constexpr ChannelMask SELECT_CHANNEL = 1u << 4;      // vertex, edge and face selections
constexpr ChannelMask SUBSEL_TYPE_CHANNEL = 1u << 5; // selection level
constexpr ChannelMask DISP_ATTRIB_CHANNEL = 1u << 6; // edge visibility, smoothing groups
constexpr ChannelMask VERTCOLOR_CHANNEL = 1u << 7;   // map channel 0
constexpr ChannelMask GFX_DATA_CHANNEL = 1u << 8;    // normals and other display caches
constexpr ChannelMask DISP_APPROX_CHANNEL = 1u << 9;
constexpr ChannelMask EXTENSION_CHANNEL = 1u << 13;

constexpr ChannelMask TEXMAP_CHANNEL_ALL = TEXMAP_CHANNEL | VERTCOLOR_CHANNEL;
constexpr ChannelMask ALL_CHANNELS = TOPO_CHANNEL | GEOM_CHANNEL | TEXMAP_CHANNEL | MTL_CHANNEL |
                                     SELECT_CHANNEL | SUBSEL_TYPE_CHANNEL | DISP_ATTRIB_CHANNEL |
                                     VERTCOLOR_CHANNEL | GFX_DATA_CHANNEL | DISP_APPROX_CHANNEL |
                                     EXTENSION_CHANNEL;
static_assert(ALL_CHANNELS == 0x23FF);

// Channel bit of a channel number.
constexpr ChannelMask ChannelMaskOf(int chanNum) {
    return chanNum == EXTENSION_CHAN_NUM ? EXTENSION_CHANNEL : (1u << chanNum);
}
