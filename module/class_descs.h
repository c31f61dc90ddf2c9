#pragma once
// The plug-in's classes, in the order the host enumerates them. Each folder
// defines the getter of its own descriptor beside the class it describes, so
// this folder names them without depending on any of them.
#include "host/sdk/param_block2.h"

ClassDesc2* GetTerravelDesc();     // index 0, terrain/terravel_desc.cpp
ClassDesc2* GetLandObjectDesc();   // index 1, terrain/land_object_desc.cpp
ClassDesc2* GetGradientEdgeDesc(); // index 2, edgemap/gradient_edge_desc.cpp

// The number of descriptors the module offers.
int PluginClassCount();
// The descriptor at index i; null outside 0 .. PluginClassCount() - 1.
ClassDesc2* PluginClassDesc(int i);
