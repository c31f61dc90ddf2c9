#include "geometry/mesh_output.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "geometry/geometry_primitives.h"
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

void SetFace(Face& f, int a, int b, int c, int zeroBasedId) {
    f.setVerts(a, b, c);
    f.setSmGroup(1);
    f.setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
    f.setMatID(static_cast<MtlID>(zeroBasedId));
}

} // namespace

FrontFaceLocator::FrontFaceLocator(const FrontMesh& front, std::int32_t baseMatId)
    : front_(front), baseMatId_(baseMatId) {
    grid_.Build(front.faces.count(), [&front](std::int32_t f, Point2* tri) {
        tri[0] = front.vertices[front.faces[f].corner0].pos;
        tri[1] = front.vertices[front.faces[f].corner1].pos;
        tri[2] = front.vertices[front.faces[f].corner2].pos;
    });
}

int FrontFaceLocator::MatIdAt(const Point2& p) const {
    const auto& vertices = front_.vertices;
    const auto& faces = front_.faces;
    const std::int32_t f = grid_.FirstContaining(p, [&](std::int32_t g) {
        const Point2 tri[3] = {vertices[faces[g].corner0].pos, vertices[faces[g].corner1].pos,
                               vertices[faces[g].corner2].pos};
        return PointInPolygon(p, tri, 3);
    });
    return f >= 0 ? faces[f].matId - 1 : baseMatId_ - 1;
}

namespace {

// The front mesh, lifted onto the grid, in the object space of toObject.
void WriteFrontMesh(Mesh& mesh, const Matrix3& toObject, const HeightGrid& grid,
                    const FrontMesh& front) {
    const int vertexCount = front.vertices.count();
    const int faceCount = front.faces.count();
    mesh.Init();
    mesh.setNumVerts(vertexCount);
    for (int i = 0; i < vertexCount; ++i) {
        const Point2 p = front.vertices[i].pos;
        mesh.setVert(i, Point3(p.x, p.y, GridHeightAt(grid, p)) * toObject);
    }
    mesh.setNumFaces(faceCount);
    for (int i = 0; i < faceCount; ++i) {
        const FrontFace& f = front.faces[i];
        SetFace(mesh.faces[i], f.corner0, f.corner1, f.corner2, f.matId - 1);
    }
    mesh.buildBoundingBox();
}

// The front's points and the outline segments, marked with the split flag.
// An open outline has no closing segment; a lone open point still gets its
// (empty) one. False when the outlines hold no point at all.
bool OutlineGraph(const FrontMesh& front, const InsertOutlines& outlines, triangulateio& in) {
    const int vertexCount = front.vertices.count();
    int pointTotal = 0, segmentTotal = 0;
    for (const InsertOutline& ol : outlines) {
        pointTotal += ol.pointCount;
        segmentTotal += ol.closed || ol.pointCount <= 1 ? ol.pointCount : ol.pointCount - 1;
    }
    if (pointTotal == 0) return false;

    in.numberofpoints = vertexCount + pointTotal;
    in.pointlist = AllocateArray<REAL>(2 * static_cast<std::size_t>(in.numberofpoints));
    for (int i = 0; i < vertexCount; ++i) {
        in.pointlist[2 * i] = front.vertices[i].pos.x;
        in.pointlist[2 * i + 1] = front.vertices[i].pos.y;
    }
    in.numberofcorners = 3;
    in.segmentlist = AllocateArray<int>(2 * static_cast<std::size_t>(std::max(segmentTotal, 0)));
    in.segmentmarkerlist = AllocateArray<int>(static_cast<std::size_t>(std::max(segmentTotal, 0)));
    int base = vertexCount, s = 0;
    for (const InsertOutline& ol : outlines) {
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
    return true;
}

// The triangulation's faces take the front's material under their centre,
// unless the first closed painting or cutting outline around the centre
// decides otherwise. Answers the faces to cut out.
BitArray AssignInsertFaces(Mesh& mesh, const triangulateio& out, const Matrix3& nodeTM,
                           const FrontMesh& front, std::int32_t baseMatId,
                           const InsertOutlines& outlines) {
    const int outlineCount = outlines.count();
    std::vector<OutlineBox> boxes(static_cast<std::size_t>(outlineCount));
    for (int o = 0; o < outlineCount; ++o) boxes[static_cast<std::size_t>(o)] = BoxOf(outlines[o]);
    const FrontFaceLocator locator(front, baseMatId);
    BitArray cut(out.numberoftriangles);
    cut.ClearAll();
    for (int t = 0; t < out.numberoftriangles; ++t) {
        const int a = out.trianglelist[3 * t], b = out.trianglelist[3 * t + 1],
                  c = out.trianglelist[3 * t + 2];
        const Point3 centre3 = ((mesh.verts[a] + mesh.verts[b] + mesh.verts[c]) / 3.0f) * nodeTM;
        const Point2 centre(centre3.x, centre3.y);
        Face& face = mesh.faces[t];
        SetFace(face, a, b, c, locator.MatIdAt(centre));
        for (int o = 0; o < outlineCount; ++o) {
            const OutlineBox& box = boxes[static_cast<std::size_t>(o)];
            if (!box.usable || centre.x < box.x0 || centre.x > box.x1 || centre.y < box.y0 ||
                centre.y > box.y1)
                continue;
            const InsertOutline& ol = outlines[o];
            if (!PointInPolygon(centre, ol.points.get(), ol.pointCount)) continue;
            if (ol.type == 1) face.setMatID(static_cast<MtlID>(ol.insertId - 1));
            if (ol.type == 2) cut.Set(t);
            break;
        }
    }
    return cut;
}

// Marked segments select their end points and the mesh edge between them.
void SelectSplitSegments(Mesh& mesh, const triangulateio& out) {
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
}

} // namespace

void WriteTerrainMesh(Mesh& mesh, Matrix3 nodeTM, const HeightGrid& grid, const FrontMesh& front,
                      const InsertOutlines& outlines) {
    const Matrix3 toObject = Inverse(nodeTM);
    WriteFrontMesh(mesh, toObject, grid, front);

    triangulateio in{}, out{};
    if (!OutlineGraph(front, outlines, in)) return;
    // A triangulation that cannot be made leaves the front mesh standing.
    out.numberofcorners = 3;
    if (triangulate(kSwitches, &in, &out, nullptr) != kTriangulateOk) {
        ReleaseTriangulateIO(&in);
        ReleaseTriangulateIO(&out);
        return;
    }

    mesh.setNumVerts(out.numberofpoints);
    for (int i = 0; i < out.numberofpoints; ++i) {
        const Point2 p(out.pointlist[2 * i], out.pointlist[2 * i + 1]);
        mesh.setVert(i, Point3(p.x, p.y, GridHeightAt(grid, p)) * toObject);
    }
    mesh.setNumFaces(out.numberoftriangles);
    const BitArray cut = AssignInsertFaces(mesh, out, nodeTM, front, grid.baseMatId, outlines);
    SelectSplitSegments(mesh, out);

    // Holes, then the selected edges split open.
    mesh.DeleteFaceSet(cut);
    mesh.DeleteIsoVerts();
    mesh.InvalidateGeomCache();
    MNMesh poly(mesh);
    poly.SplitFlaggedEdges(MN_SEL);
    poly.OutToTri(mesh);

    ReleaseTriangulateIO(&in);
    ReleaseTriangulateIO(&out);
    mesh.InvalidateTopologyCache();
    mesh.buildBoundingBox();
}
