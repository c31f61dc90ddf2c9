#pragma once
// "Generate Surface": one build of a terrain object from its picked nodes, and
// the UVWMap rollout's "Update", which maps the built mesh again.
#include "host/sdk/base_types.h"
#include "host/sdk/matrix.h"

class Interface;
class INode;
class LandObject;
class ReferenceTarget;

// Runs every stage and stores the mesh, the zone outlines and the height lookup
// in obj. A build that finds no contour leaves obj as it was.
void BuildTerrain(LandObject* obj);

// The UVW stage again on the built mesh with the node found from ip's root,
// then the height lookup rebuilt, as at the end of a build.
void ReapplyUVWZones(LandObject* obj, Interface* ip, TimeValue t);
// Only the zone outline, from the UVW list.
void UpdateUVWOutline(LandObject* obj, Interface* ip);

// Depth first from root, a node before its children: the first selected node
// whose object reference is obj, or null.
INode* FindSelectedNodeOf(INode* root, ReferenceTarget* obj);
// The object transform at t of the node found from ip's root for obj; the
// identity when there is no interface or no such node.
Matrix3 TerrainTransform(Interface* ip, ReferenceTarget* obj, TimeValue t);
