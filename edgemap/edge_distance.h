#pragma once
// Chosen edges of one node's mesh as object-space segments in a bucket grid
// over X and Y, answering the 3D distance from a point to the nearest of them.
#include <vector>

#include "host/sdk/base_types.h"
#include "host/sdk/point.h"

class Object;
class Mesh;
class MNMesh;

// Distance answered when no chosen edge is near enough to be listed.
constexpr float NO_EDGE_DISTANCE = 1e9f;

struct EdgeCriteria {
    float angle = 0.0f; // radians
    bool selectionOnly = false;
    bool openEdges = false;
    bool smooth = false;
    int smoothType = 1; // 0 Equals, 1 Difference
    bool matId = false;
    int matIdType = 1; // 0 Equals, 1 Difference
    bool coplanar = false;
    int combine = 1; // 0 And, 1 Or
    float distance = 0.1f;
    bool matIdRange = false;
    int matId1 = 0; // zero-based
    int matId2 = 0;
};

// What the criteria look at on one edge. Face data are read only for closed edges.
struct EdgeFacts {
    bool selected = false;
    bool open = false;
    Point3 n0, n1; // unit face normals
    DWORD smooth0 = 0, smooth1 = 0;
    int mat0 = 0, mat1 = 0;
};

// True when no criterion is switched on: every considered edge counts.
bool NoCriterion(const EdgeCriteria& c);
bool EdgeChosen(const EdgeCriteria& c, const EdgeFacts& e);

struct EdgeSegment {
    Point3 a, b;
};

struct GridCell {
    int column = 0;
    int row = 0;
    std::vector<int> segments; // each index at most once
};

class EdgeDistanceData {
public:
    ULONG nodeHandle = 0;
    Object* object = nullptr; // null: no data
    EdgeCriteria criteria;
    std::vector<EdgeSegment> segments;
    std::vector<GridCell> cells;
    float cellSize = 0.0f;
    int cellMultiplier = 1;
    Point3 boxMin, boxMax;
    int columns = 0, rows = 0;
    Point3 origin;

    // Append one segment per chosen edge, in edge order. Triangle meshes offer
    // only their visible edges.
    void ChooseEdges(Mesh& mesh);
    void ChooseEdges(MNMesh& mesh);
    void AddSegment(const Point3& a, const Point3& b);
    // Bounding box, cell size and bucket grid from the segments gathered so far.
    void BuildGrid();

    // Index into cells, or -1.
    int CellIndex(const Point3& p) const;
    float NearestEdgeDistance(const Point3& p, Point3& nearest) const;

private:
    double totalLength_ = 0.0;
};
