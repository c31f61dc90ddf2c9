#pragma once
// How the host's own objects draw and hit-test themselves: a mesh or a shape
// in the node's object transform, in the selection colour when the node is
// selected and in its wire colour otherwise.
#include "host/sdk/base_types.h"

class INode;
class ViewExp;
class Mesh;
class PolyShape;
class IPoint2;

// The line colour for the node: selection colour or wire colour.
void SetNodeLineColor(INode* inode, ViewExp* vpt);

int DisplayNodeMesh(TimeValue t, INode* inode, ViewExp* vpt, int flags, Mesh& mesh);
int HitTestNodeMesh(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                    ViewExp* vpt, Mesh& mesh);
int DisplayNodeShape(TimeValue t, INode* inode, ViewExp* vpt, int flags, PolyShape& shape);
int HitTestNodeShape(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                     ViewExp* vpt, PolyShape& shape);
