#pragma once
// Look-up structures that answer "first face, in index order, that ..."
// questions without walking every face, and give the very answer the walk
// over all faces would give.
#include <cstdint>
#include <vector>

#include "host/sdk/point.h"

class Mesh;

// Faces of a planar triangle set bucketed by their (slightly widened) boxes
// on a uniform grid. A face whose box misses a point cannot contain it, so
// testing only the faces of the point's cell, in ascending order, finds the
// same first face as testing them all.
class FaceBucketGrid {
public:
    // corners(f, tri) writes the three corner positions of face f into tri.
    template <typename Corners> void Build(std::int32_t faceCount, Corners&& corners) {
        boxes_.assign(static_cast<std::size_t>(faceCount), Box{});
        for (std::int32_t f = 0; f < faceCount; ++f) {
            Point2 tri[3];
            corners(f, tri);
            boxes_[static_cast<std::size_t>(f)] = Widened(tri);
        }
        Bucket();
    }
    void Clear();
    bool Built() const { return built_; }
    std::int32_t FaceCount() const { return static_cast<std::int32_t>(boxes_.size()); }

    // The lowest face index f whose box holds p and for which contains(f) is
    // true, or -1.
    template <typename Contains>
    std::int32_t FirstContaining(const Point2& p, Contains&& contains) const {
        const std::int32_t* cellIt = nullptr;
        const std::int32_t* cellEnd = nullptr;
        if (const std::int64_t cell = CellOf(p); cell >= 0) {
            cellIt = faces_.data() + start_[static_cast<std::size_t>(cell)];
            cellEnd = faces_.data() + start_[static_cast<std::size_t>(cell) + 1];
        }
        // Faces without a finite box are tried everywhere, merged in index order.
        auto openIt = unboxed_.begin();
        while (cellIt != cellEnd || openIt != unboxed_.end()) {
            std::int32_t f;
            if (openIt == unboxed_.end() || (cellIt != cellEnd && *cellIt < *openIt)) {
                f = *cellIt++;
                const Box& b = boxes_[static_cast<std::size_t>(f)];
                if (p.x < b.x0 || p.x > b.x1 || p.y < b.y0 || p.y > b.y1) continue;
            } else {
                f = *openIt++;
            }
            if (contains(f)) return f;
        }
        return -1;
    }

private:
    struct Box {
        float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
        bool finite = false;
    };
    static Box Widened(const Point2* tri);
    void Bucket();
    // Cell index of p, or -1 when p lies outside every box.
    std::int64_t CellOf(const Point2& p) const;
    int Column(double x) const;
    int Row(double y) const;

    bool built_ = false;
    std::vector<Box> boxes_;
    double x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0; // union of the face boxes
    double scaleX_ = 0, scaleY_ = 0;
    int columns_ = 0, rows_ = 0;
    std::vector<std::int64_t> start_; // faces of cell c: faces_[start_[c] .. start_[c + 1])
    std::vector<std::int32_t> faces_;
    std::vector<std::int32_t> unboxed_; // faces with a non-finite corner
};

// The faces around each vertex of a triangle mesh, in ascending order: the
// first face side joining two vertices is found among the faces of one of
// them.
class MeshEdgeIndex {
public:
    explicit MeshEdgeIndex(const Mesh& mesh);
    // 3 x face + side of the first face side (side k joins corners k and
    // k + 1 mod 3) whose ends are a and b in either order, or -1.
    int FindMeshEdge(int a, int b) const;

private:
    const Mesh& mesh_;
    std::vector<std::int32_t> start_; // faces of vertex v: faces_[start_[v] .. start_[v + 1])
    std::vector<std::int32_t> faces_;
    std::vector<std::int32_t> stray_; // faces naming a vertex past the vertex list
};
