// The terrain mesh: the mesher's front lifted onto the height grid, and, when
// inserts exist, the whole point set triangulated again with the insert
// outlines as segments, then recoloured, holed and split by insert type.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "geometry/face_index.h"
#include "geometry/geometry_primitives.h"
#include "geometry/surface_builder.h"
#include "geometry/triangulate.h"
#include "host/sdk/bit_array.h"
#include "host/sdk/mesh.h"
#include "host/sdk/mnmesh.h"

namespace {

constexpr const char* kSwitches = "zpqcQ";

// Outline boxes only skip polygons that cannot contain a point; the widening
// covers the rounding of the crossing test's edge intersections.
struct OutlineBox {
    float x0, y0, x1, y1;
    bool usable; // closed, paints or cuts, and has finite points
};

OutlineBox BoxOf(const InsertOutline& o) {
    OutlineBox b{0, 0, 0, 0, o.closed && o.type != 0 && o.pointCount > 0};
    if (!b.usable) return b;
    double x0 = o.points[0].x, x1 = x0, y0 = o.points[0].y, y1 = y0;
    for (int i = 1; i < o.pointCount; ++i) {
        x0 = std::min(x0, static_cast<double>(o.points[i].x));
        x1 = std::max(x1, static_cast<double>(o.points[i].x));
        y0 = std::min(y0, static_cast<double>(o.points[i].y));
        y1 = std::max(y1, static_cast<double>(o.points[i].y));
    }
    const double m = 1e-5 * (std::max({std::abs(x0), std::abs(x1), std::abs(y0), std::abs(y1)}) +
                             x1 - x0 + y1 - y0);
    b.x0 = static_cast<float>(x0 - m);
    b.x1 = static_cast<float>(x1 + m);
    b.y0 = static_cast<float>(y0 - m);
    b.y1 = static_cast<float>(y1 + m);
    // A polygon with a non-finite point is always tested: the box says nothing.
    if (!(std::isfinite(b.x0) && std::isfinite(b.x1) && std::isfinite(b.y0) &&
          std::isfinite(b.y1))) {
        b.x0 = b.y0 = -INFINITY;
        b.x1 = b.y1 = INFINITY;
    }
    return b;
}

template <typename T> T* AllocateArray(std::size_t n) {
    return static_cast<T*>(std::malloc(sizeof(T) * std::max<std::size_t>(n, 1)));
}

// trunc(g) limited to 0 .. last, computed in floating point so that far-off
// and not-a-number coordinates cannot overflow the conversion.
int LimitedCell(float g, int last) {
    const float t = std::trunc(g);
    if (!(t > 0.0f)) return 0;
    return t >= static_cast<float>(last) ? last : static_cast<int>(t);
}

void SetFace(Face& f, int a, int b, int c, int zeroBasedId) {
    f.setVerts(a, b, c);
    f.setSmGroup(1);
    f.setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
    f.setMatID(static_cast<MtlID>(zeroBasedId));
}

} // namespace

float SurfaceBuilder::GridHeightAt(const Point2& p) const {
    const int n = gridSize;
    if (n < 2) return heights.empty() ? 0.0f : heights[0]; // no cell to interpolate in
    const float gx = (p.x - origin.x) / cellSize;
    const float gy = (p.y - origin.y) / cellSize;
    // Truncation first, then the limit; fractions stay unlimited so points
    // outside the grid extrapolate from the border cell.
    const int c = LimitedCell(gx, n - 2);
    const int r = LimitedCell(gy, n - 2);
    const float fx = gx - static_cast<float>(c);
    const float fy = gy - static_cast<float>(r);
    const float* h = heights.data();
    const std::size_t a =
        static_cast<std::size_t>(r) * static_cast<std::size_t>(n) + static_cast<std::size_t>(c);
    const std::size_t d = a + static_cast<std::size_t>(n);
    return (h[a] * (1 - fx) + h[a + 1] * fx) * (1 - fy) + (h[d] * (1 - fx) + h[d + 1] * fx) * fy;
}

int SurfaceBuilder::MatIdAt(const Point2& p) const {
    if (!frontFaceGrid.Built() || frontFaceGrid.FaceCount() != faces.count()) {
        frontFaceGrid.Build(faces.count(), [this](std::int32_t f, Point2* tri) {
            tri[0] = vertices[faces[f].corner0].pos;
            tri[1] = vertices[faces[f].corner1].pos;
            tri[2] = vertices[faces[f].corner2].pos;
        });
    }
    const std::int32_t f = frontFaceGrid.FirstContaining(p, [this, &p](std::int32_t g) {
        const Point2 tri[3] = {vertices[faces[g].corner0].pos, vertices[faces[g].corner1].pos,
                               vertices[faces[g].corner2].pos};
        return PointInPolygon(p, tri, 3);
    });
    return f >= 0 ? faces[f].matId - 1 : baseMatId - 1;
}

void SurfaceBuilder::WriteTerrainMesh(Mesh& mesh, Matrix3 nodeTM) {
    // Front positions may have moved since any earlier look-up.
    frontFaceGrid.Clear();

    // The front mesh, lifted onto the grid, in the node's object space.
    const Matrix3 toObject = Inverse(nodeTM);
    const int vertexCount = vertices.count();
    const int faceCount = faces.count();
    mesh.Init();
    mesh.setNumVerts(vertexCount);
    for (int i = 0; i < vertexCount; ++i) {
        const Point2 p = vertices[i].pos;
        mesh.setVert(i, Point3(p.x, p.y, GridHeightAt(p)) * toObject);
    }
    mesh.setNumFaces(faceCount);
    for (int i = 0; i < faceCount; ++i) {
        const FrontFace& f = faces[i];
        SetFace(mesh.faces[i], f.corner0, f.corner1, f.corner2, f.matId - 1);
    }
    mesh.buildBoundingBox();

    // Outline totals. An open outline has no closing segment; the count follows
    // the segment rule below, so a lone open point still gets its (empty) one.
    const int outlineCount = insertOutlines.count();
    int pointTotal = 0, segmentTotal = 0;
    for (int o = 0; o < outlineCount; ++o) {
        const InsertOutline& ol = insertOutlines[o];
        pointTotal += ol.pointCount;
        segmentTotal += ol.closed || ol.pointCount <= 1 ? ol.pointCount : ol.pointCount - 1;
    }
    if (pointTotal == 0) return;

    // The point set and the outline segments, marked with the split flag.
    triangulateio in{}, out{};
    in.numberofpoints = vertexCount + pointTotal;
    in.pointlist = AllocateArray<REAL>(2 * static_cast<std::size_t>(in.numberofpoints));
    for (int i = 0; i < vertexCount; ++i) {
        in.pointlist[2 * i] = vertices[i].pos.x;
        in.pointlist[2 * i + 1] = vertices[i].pos.y;
    }
    in.numberofcorners = 3;
    in.segmentlist = AllocateArray<int>(2 * static_cast<std::size_t>(std::max(segmentTotal, 0)));
    in.segmentmarkerlist = AllocateArray<int>(static_cast<std::size_t>(std::max(segmentTotal, 0)));
    int base = vertexCount, s = 0;
    for (int o = 0; o < outlineCount; ++o) {
        const InsertOutline& ol = insertOutlines[o];
        for (int i = 0; i < ol.pointCount; ++i) {
            in.pointlist[2 * (base + i)] = ol.points[i].x;
            in.pointlist[2 * (base + i) + 1] = ol.points[i].y;
            const int j = (i + 1) % ol.pointCount;
            if (i <= j || ol.closed) {
                in.segmentlist[2 * s] = base + i;
                in.segmentlist[2 * s + 1] = base + j;
                in.segmentmarkerlist[s] = ol.split ? 1 : 0;
                ++s;
            }
        }
        base += ol.pointCount;
    }
    in.numberofsegments = s;

    // A triangulation that cannot be made leaves the front mesh standing.
    out.numberofcorners = 3;
    if (triangulate(kSwitches, &in, &out, nullptr) != kTriangulateOk) {
        ReleaseTriangulateIO(&in);
        ReleaseTriangulateIO(&out);
        return;
    }

    // The new vertices.
    mesh.setNumVerts(out.numberofpoints);
    for (int i = 0; i < out.numberofpoints; ++i) {
        const Point2 p(out.pointlist[2 * i], out.pointlist[2 * i + 1]);
        mesh.setVert(i, Point3(p.x, p.y, GridHeightAt(p)) * toObject);
    }
    mesh.setNumFaces(out.numberoftriangles);

    // Faces take the front's material under their centre, unless the first
    // closed painting or cutting outline around the centre decides otherwise.
    std::vector<OutlineBox> boxes(static_cast<std::size_t>(outlineCount));
    for (int o = 0; o < outlineCount; ++o)
        boxes[static_cast<std::size_t>(o)] = BoxOf(insertOutlines[o]);
    BitArray cut(out.numberoftriangles);
    cut.ClearAll();
    for (int t = 0; t < out.numberoftriangles; ++t) {
        const int a = out.trianglelist[3 * t], b = out.trianglelist[3 * t + 1],
                  c = out.trianglelist[3 * t + 2];
        const Point3 centre3 = ((mesh.verts[a] + mesh.verts[b] + mesh.verts[c]) / 3.0f) * nodeTM;
        const Point2 centre(centre3.x, centre3.y);
        Face& face = mesh.faces[t];
        SetFace(face, a, b, c, MatIdAt(centre));
        for (int o = 0; o < outlineCount; ++o) {
            const OutlineBox& box = boxes[static_cast<std::size_t>(o)];
            if (!box.usable || centre.x < box.x0 || centre.x > box.x1 || centre.y < box.y0 ||
                centre.y > box.y1)
                continue;
            const InsertOutline& ol = insertOutlines[o];
            if (!PointInPolygon(centre, ol.points.get(), ol.pointCount)) continue;
            if (ol.type == 1) face.setMatID(static_cast<MtlID>(ol.insertId - 1));
            if (ol.type == 2) cut.Set(t);
            break;
        }
    }

    // The look-up grid is not needed past this point; MatIdAt would rebuild it.
    frontFaceGrid.Clear();

    // Marked segments select their end points and the mesh edge between them.
    BitArray vertSel(mesh.numVerts), edgeSel(3 * mesh.numFaces + 3);
    vertSel.ClearAll();
    edgeSel.ClearAll();
    const MeshEdgeIndex edges(mesh);
    for (int i = 0; i < out.numberofsegments; ++i) {
        if (out.segmentmarkerlist[i] == 0) continue;
        const int a = out.segmentlist[2 * i], b = out.segmentlist[2 * i + 1];
        vertSel.Set(a);
        vertSel.Set(b);
        const int e = edges.FindMeshEdge(a, b);
        if (e != -1) edgeSel.Set(e);
    }
    mesh.vertSel = vertSel;
    mesh.edgeSel = edgeSel;

    // Holes.
    mesh.DeleteFaceSet(cut);
    mesh.DeleteIsoVerts();
    mesh.InvalidateGeomCache();

    // The selected edges are split open.
    MNMesh poly(mesh);
    poly.SplitFlaggedEdges(MN_SEL);
    poly.OutToTri(mesh);

    ReleaseTriangulateIO(&in);
    ReleaseTriangulateIO(&out);
    mesh.InvalidateTopologyCache();
    mesh.buildBoundingBox();
}
