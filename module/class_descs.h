#pragma once
// The module's class descriptors, in the order the host enumerates them.
#include "host/sdk/param_block2.h"

ClassDesc2* GetTerravelDesc();   // index 0
ClassDesc2* GetLandObjectDesc(); // index 1
// Index 2, the texture map's descriptor. The module answers null here until the
// texture map supplies its own definition, which takes precedence.
ClassDesc2* GetGradientEdgeDesc();

// The descriptors that exist, counted from index 0 up to the first missing one.
int PluginClassCount();
// The descriptor at index i; null outside 0 .. PluginClassCount() - 1.
ClassDesc2* PluginClassDesc(int i);

// The parameter block descriptors of the terrain object and of the conform modifier.
ParamBlockDesc2* GetLandObjectBlockDesc();
ParamBlockDesc2* GetTerravelBlockDesc();
