#pragma once
// The advancing-front mesher: triangles grow from the grid's centre outwards,
// each front vertex taken in order of its distance from the seed and fanned
// out with triangles shaped by the size field.
#include <cstdint>

#include "geometry/front_queue.h"
#include "geometry/growable_array.h"
#include "geometry/height_field.h"
#include "geometry/size_field.h"
#include "geometry/tuning_constants.h"
#include "host/sdk/point.h"

struct FrontVertex {
    Point2 pos;
    std::int32_t faceList[32] = {};
    std::int32_t faceListCount = 0;
    bool active = false;
    float key = 0.0f;
};

struct FrontFace {
    std::int32_t corner0 = 0, corner1 = 0, corner2 = 0;
    std::int32_t matId = 0;
};

// The mesher's vertices and faces. Positions and activity change only through
// the methods, which keep the queue of active vertices in step with the keys.
struct FrontMesh {
    Point2 seed;
    GrowableArray<FrontVertex> vertices; // starts with room for 100
    GrowableArray<FrontFace> faces;      // starts with room for 100
    std::int32_t firstActive = 0;
    float frontRadius = 0.0f;
    bool stalled = false; // new vertices stopped moving off their parent
    FrontQueue queue;

    std::int32_t AddVertex(const Point2& p);
    void AddFace(int a, int b, int c, int id);
    void MoveVertex(int v, const Point2& p);
    void RetireVertex(int v);
    // Empties the mesh and gives its memory back.
    void Release();
};

// What the front reads while it grows.
struct FrontSizing {
    const HeightGrid& grid;
    const SizeField& field;
    const TuningConstants& tuning;
};

// The seed vertex at the grid's centre with its ring and six faces.
void StartFront(FrontMesh& front, const FrontSizing& sizing);
// Expands the nearest active vertex; false when the front has stopped.
bool AdvanceFront(FrontMesh& front, const FrontSizing& sizing);
bool ExpandVertex(FrontMesh& front, const FrontSizing& sizing, int v);
// The front neighbours of v: a before it, b after it; false when v has none.
bool FrontNeighbours(const FrontMesh& front, int v, int& a, int& b);
// Each face takes the material ID that two of its three neighbours share.
void SmoothFaceIds(FrontMesh& front);

// The corner after / before v in the cyclic order corner0, corner1, corner2;
// -1 when v is not a corner of f.
int Successor(const FrontFace& f, int v);
int Predecessor(const FrontFace& f, int v);

// The outside angle at a front vertex, from its metric edges eA (from A to the
// vertex) and eB (from the vertex to B): pi on a straight front. Angles above
// angleLimit / 3 of pi are folds of the front and come back negative.
float FrontAngle(const Point2& eA, const Point2& eB, float angleLimit);
