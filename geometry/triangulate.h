#pragma once
// Constrained quality triangulation of a planar straight-line graph, offered
// through the classic C calling interface the mesh output stage was written
// against, and computed with CGAL's constrained Delaunay triangulation and
// Delaunay refinement.
//
// Switches, in any order (a repeated letter changes nothing):
//   z  indices in segment and triangle lists start at 0 (otherwise at 1)
//   p  the input is a planar straight-line graph: its segments are honoured
//      (otherwise only the points are triangulated, over their whole hull)
//   q  quality refinement: new points are added until no angle is below
//      about 20.7 degrees (away from small angles of the input itself)
//   c  the convex hull's edges become segments, so the whole hull is meshed;
//      without it, triangles reachable from outside the hull without crossing
//      a segment are removed
//   Q  quiet (this implementation never prints)
// Any other character is refused.
//
// Output points: the input points first, in input order (a repeated point is
// kept at its own index but no triangle uses it), then the points added by
// segment crossings and refinement. Triangles are counter-clockwise.
// Output segments: every piece of every input segment, then the remaining
// edges on the boundary of the meshed region. Markers: a piece keeps its
// input segment's marker when that is non-zero; any other boundary segment
// gets 1; an interior piece with marker 0 keeps 0.

using REAL = float;

struct triangulateio {
    REAL* pointlist = nullptr; // x, y pairs
    int numberofpoints = 0;
    REAL* pointattributelist = nullptr; // not supported: must stay empty
    int numberofpointattributes = 0;

    int* trianglelist = nullptr; // numberofcorners indices per triangle
    int numberoftriangles = 0;
    int numberofcorners = 0; // only 3 is produced

    int* segmentlist = nullptr; // two point indices per segment
    int* segmentmarkerlist = nullptr;
    int numberofsegments = 0;

    REAL* holelist = nullptr; // not supported: must stay empty
    int numberofholes = 0;
    REAL* regionlist = nullptr; // not supported: must stay empty
    int numberofregions = 0;
};

enum TriangulateResult : int {
    kTriangulateOk = 0,
    kTriangulateBadSwitch = 1,    // a switch other than z, p, q, c, Q
    kTriangulateBadInput = 2,     // negative count, missing list, index out of range, non-finite
    kTriangulateUnsupported = 3,  // holes, regions or point attributes were given
    kTriangulateDegenerate = 4,   // fewer than three points not on one line
    kTriangulateInternalError = 5 // the geometry kernel gave up
};

// Fills out (its array pointers are replaced, so pass them empty) and answers
// kTriangulateOk; on any other answer out is left empty. vorout is not used
// and may be null. Never throws.
int triangulate(const char* switches, const triangulateio* in, triangulateio* out,
                triangulateio* vorout);

// Frees every array of io with free() (the arrays triangulate makes come from
// malloc, and callers building input arrays should use malloc too) and resets
// io to empty.
void ReleaseTriangulateIO(triangulateio* io);

// A short English description of a result code, for hosts and tests.
const char* TriangulateResultText(int result);
