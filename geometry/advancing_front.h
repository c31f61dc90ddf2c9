#pragma once
// Pieces of the advancing-front mesher (advancing_front.cpp) that are useful
// on their own: the corner walk of a face and the outside angle at a vertex.
#include "geometry/surface_builder.h"
#include "host/sdk/point.h"

// The corner after / before v in the cyclic order corner0, corner1, corner2;
// -1 when v is not a corner of f.
int Successor(const FrontFace& f, int v);
int Predecessor(const FrontFace& f, int v);

// The outside angle at a front vertex, from its metric edges eA (from A to the
// vertex) and eB (from the vertex to B): pi on a straight front. Angles above
// angleLimit / 3 of pi are folds of the front and come back negative.
float FrontAngle(const Point2& eA, const Point2& eB, float angleLimit);
