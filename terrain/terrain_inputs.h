#pragma once
// The one read of a terrain object's inputs per build: its parameter block at
// time 0 through the block's own parameter ids, and every listed node
// evaluated once into plain world-space data for the stages.
#include "geometry/surface_inputs.h"
#include "host/sdk/poly_shape.h"
#include "rollouts/uvw_zones.h"

class IParamBlock2;
class INode;

struct TerrainInputs {
    SurfaceInputs surface;
    UVWInputs uvw;
};

TerrainInputs ReadTerrainInputs(IParamBlock2* pblock);
// Only the UVW list and settings, for a re-mapping without a build.
UVWInputs ReadUVWInputs(IParamBlock2* pblock);

// The node's object, with its own modifiers but no world-space ones, as
// polylines in the object's space; false when it is not a shape.
bool EvalNodeShape(INode* node, PolyShape& shape);
