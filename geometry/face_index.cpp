#include "geometry/face_index.h"

#include <algorithm>
#include <cmath>

#include "host/sdk/mesh.h"

namespace {

// Crossing tests compute edge intersections in floating point, which may land
// a few units in the last place outside the exact box; the margin keeps every
// face the test could accept inside its box.
constexpr double kBoxMargin = 1e-5;
constexpr int kMaxCellsPerSide = 2048;

} // namespace

FaceBucketGrid::Box FaceBucketGrid::Widened(const Point2* tri) {
    double x0 = tri[0].x, x1 = x0, y0 = tri[0].y, y1 = y0;
    for (int k = 1; k < 3; ++k) {
        x0 = std::min(x0, static_cast<double>(tri[k].x));
        x1 = std::max(x1, static_cast<double>(tri[k].x));
        y0 = std::min(y0, static_cast<double>(tri[k].y));
        y1 = std::max(y1, static_cast<double>(tri[k].y));
    }
    const double size =
        std::max({std::abs(x0), std::abs(x1), std::abs(y0), std::abs(y1)}) + (x1 - x0) + (y1 - y0);
    const double m = kBoxMargin * size;
    Box b;
    b.x0 = static_cast<float>(x0 - m);
    b.x1 = static_cast<float>(x1 + m);
    b.y0 = static_cast<float>(y0 - m);
    b.y1 = static_cast<float>(y1 + m);
    b.finite = std::isfinite(b.x0) && std::isfinite(b.x1) && std::isfinite(b.y0) &&
               std::isfinite(b.y1) && std::isfinite(m);
    return b;
}

void FaceBucketGrid::Clear() {
    *this = FaceBucketGrid();
}

int FaceBucketGrid::Column(double x) const {
    const double c = std::floor((x - x0_) * scaleX_);
    return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(columns_ - 1)));
}

int FaceBucketGrid::Row(double y) const {
    const double r = std::floor((y - y0_) * scaleY_);
    return static_cast<int>(std::clamp(r, 0.0, static_cast<double>(rows_ - 1)));
}

std::int64_t FaceBucketGrid::CellOf(const Point2& p) const {
    if (columns_ == 0) return -1;
    // Also refuses not-a-number, which no crossing test accepts.
    if (!(p.x >= x0_ && p.x <= x1_ && p.y >= y0_ && p.y <= y1_)) return -1;
    return static_cast<std::int64_t>(Row(p.y)) * columns_ + Column(p.x);
}

void FaceBucketGrid::Bucket() {
    built_ = true;
    unboxed_.clear();
    std::int64_t boxed = 0;
    bool any = false;
    for (std::size_t f = 0; f < boxes_.size(); ++f) {
        const Box& b = boxes_[f];
        if (!b.finite) {
            unboxed_.push_back(static_cast<std::int32_t>(f));
            continue;
        }
        if (!any) {
            x0_ = b.x0, x1_ = b.x1, y0_ = b.y0, y1_ = b.y1;
            any = true;
        }
        x0_ = std::min(x0_, static_cast<double>(b.x0));
        x1_ = std::max(x1_, static_cast<double>(b.x1));
        y0_ = std::min(y0_, static_cast<double>(b.y0));
        y1_ = std::max(y1_, static_cast<double>(b.y1));
        ++boxed;
    }
    columns_ = rows_ = 0;
    start_.clear();
    faces_.clear();
    if (!any) return;

    // About one face per cell, with cells roughly square.
    const double w = x1_ - x0_, h = y1_ - y0_;
    const double n = static_cast<double>(boxed);
    double cols = (w > 0 && h > 0) ? std::sqrt(n * w / h) : (w > 0 ? n : 1.0);
    cols = std::clamp(std::ceil(cols), 1.0, static_cast<double>(kMaxCellsPerSide));
    const double rws =
        h > 0 ? std::clamp(std::ceil(n / cols), 1.0, static_cast<double>(kMaxCellsPerSide)) : 1.0;
    columns_ = static_cast<int>(cols);
    rows_ = static_cast<int>(rws);
    scaleX_ = w > 0 ? columns_ / w : 0.0;
    scaleY_ = h > 0 ? rows_ / h : 0.0;

    // Counting pass, then a filling pass in face order so every cell lists its
    // faces in ascending order.
    const std::size_t cells = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
    start_.assign(cells + 1, 0);
    auto forEachCell = [&](const Box& b, auto&& visit) {
        const int c0 = Column(b.x0), c1 = Column(b.x1), r0 = Row(b.y0), r1 = Row(b.y1);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                visit(static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) +
                      static_cast<std::size_t>(c));
    };
    for (const Box& b : boxes_)
        if (b.finite) forEachCell(b, [&](std::size_t cell) { ++start_[cell + 1]; });
    for (std::size_t c = 0; c < cells; ++c) start_[c + 1] += start_[c];
    faces_.resize(static_cast<std::size_t>(start_[cells]));
    std::vector<std::int64_t> fill(start_.begin(), start_.end() - 1);
    for (std::size_t f = 0; f < boxes_.size(); ++f)
        if (boxes_[f].finite)
            forEachCell(boxes_[f], [&](std::size_t cell) {
                faces_[static_cast<std::size_t>(fill[cell]++)] = static_cast<std::int32_t>(f);
            });
}

MeshEdgeIndex::MeshEdgeIndex(const Mesh& mesh) : mesh_(mesh) {
    const std::size_t size = static_cast<std::size_t>(std::max(mesh.numVerts, 0));
    start_.assign(size + 1, 0);
    // Each face once per distinct corner inside the vertex list; a face that
    // names a vertex past the list is also kept aside for look-ups of such
    // vertices.
    auto listed = [size](const Face& face, int k) {
        return face.v[k] < size && (k < 1 || face.v[k] != face.v[0]) &&
               (k < 2 || face.v[k] != face.v[1]);
    };
    for (int f = 0; f < mesh.numFaces; ++f) {
        const Face& face = mesh.faces[f];
        for (int k = 0; k < 3; ++k)
            if (listed(face, k)) ++start_[face.v[k] + 1];
        if (face.v[0] >= size || face.v[1] >= size || face.v[2] >= size) stray_.push_back(f);
    }
    for (std::size_t v = 0; v < size; ++v) start_[v + 1] += start_[v];
    faces_.resize(static_cast<std::size_t>(start_[size]));
    std::vector<std::int32_t> fill(start_.begin(), start_.end() - 1);
    for (int f = 0; f < mesh.numFaces; ++f)
        for (int k = 0; k < 3; ++k)
            if (listed(mesh.faces[f], k)) faces_[fill[mesh.faces[f].v[k]]++] = f;
}

int MeshEdgeIndex::FindMeshEdge(int a, int b) const {
    // Any face with a side a-b has a as a corner.
    const DWORD va = static_cast<DWORD>(a), vb = static_cast<DWORD>(b);
    const bool listed = static_cast<std::size_t>(va) + 1 < start_.size();
    const std::int32_t* it = listed ? faces_.data() + start_[va] : stray_.data();
    const std::int32_t* end =
        listed ? faces_.data() + start_[va + 1] : stray_.data() + stray_.size();
    for (; it != end; ++it) {
        const Face& face = mesh_.faces[*it];
        for (int k = 0; k < 3; ++k) {
            const DWORD p = face.v[k], q = face.v[(k + 1) % 3];
            if ((p == va && q == vb) || (p == vb && q == va)) return 3 * *it + k;
        }
    }
    return -1;
}
