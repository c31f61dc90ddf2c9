// How meshes and shapes draw and hit-test themselves in a viewport.
#include "host/sdk/graphics_window.h"
#include "host/sdk/mesh.h"
#include "host/sdk/poly_shape.h"

void GraphicsWindow::indexedSegments(const Point3* xyz, int, const DWORD* ends, int count) {
    for (int i = 0; i < count; ++i) {
        Point3 pts[2] = {xyz[ends[2 * i]], xyz[ends[2 * i + 1]]};
        segment(pts, 1);
    }
}

void GraphicsWindow::indexedTriangles(const Point3* xyz, int, const DWORD* corners,
                                      const Point3* normals, int count) {
    for (int i = 0; i < count; ++i) {
        Point3 p[3] = {xyz[corners[3 * i]], xyz[corners[3 * i + 1]], xyz[corners[3 * i + 2]]};
        if (normals) {
            Point3 n[3] = {normals[3 * i], normals[3 * i + 1], normals[3 * i + 2]};
            triangle(p, n);
        } else {
            triangle(p, nullptr);
        }
    }
}

namespace {

// The visible sides of the shown faces, each edge once. Faces of one
// orientation run an inner edge both ways: a side running to a higher vertex
// draws it, a side running to a lower one only when no visible side runs
// back (an open edge, or a neighbour turned the other way).
std::vector<DWORD> VisibleEdges(const Mesh& mesh) {
    std::vector<DWORD> up, down; // pairs running to a higher / lower vertex
    up.reserve(3 * static_cast<std::size_t>(mesh.numFaces));
    for (const Face& face : mesh.faces) {
        if (face.Hidden()) continue;
        for (int k = 0; k < 3; ++k) {
            if (!face.getEdgeVis(k)) continue;
            const DWORD a = face.v[k], b = face.v[(k + 1) % 3];
            std::vector<DWORD>& to = a < b ? up : down;
            to.push_back(a);
            to.push_back(b);
        }
    }
    // The upward sides grouped by their lower vertex.
    const std::size_t nv = static_cast<std::size_t>(mesh.numVerts);
    std::vector<DWORD> start(nv + 1, 0), higher(up.size() / 2);
    for (std::size_t i = 0; i < up.size(); i += 2)
        if (up[i] < nv) ++start[up[i] + 1];
    for (std::size_t v = 0; v < nv; ++v) start[v + 1] += start[v];
    std::vector<DWORD> fill(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < up.size(); i += 2)
        if (up[i] < nv) higher[fill[up[i]]++] = up[i + 1];
    std::vector<DWORD> ends = std::move(up);
    for (std::size_t i = 0; i < down.size(); i += 2) {
        const DWORD a = down[i], b = down[i + 1]; // b < a
        bool back = false;
        if (b < nv)
            for (DWORD j = start[b]; j < start[b + 1] && !back; ++j) back = higher[j] == a;
        if (!back) {
            ends.push_back(a);
            ends.push_back(b);
        }
    }
    return ends;
}

std::vector<DWORD> ShownCorners(const Mesh& mesh) {
    std::vector<DWORD> corners;
    corners.reserve(3 * static_cast<std::size_t>(mesh.numFaces));
    for (const Face& face : mesh.faces)
        if (!face.Hidden()) corners.insert(corners.end(), face.v, face.v + 3);
    return corners;
}

void DrawEdges(const Mesh& mesh, GraphicsWindow* gw) {
    const std::vector<DWORD> ends = VisibleEdges(mesh);
    gw->startSegments();
    gw->indexedSegments(mesh.verts.data(), mesh.numVerts, ends.data(),
                        static_cast<int>(ends.size() / 2));
    gw->endSegments();
}

} // namespace

void Mesh::render(GraphicsWindow* gw, Material* ma, Rect*, int, int numMat, InterfaceServer*) {
    const DWORD limits = gw->getRndLimits();
    const bool pick = (limits & GW_PICK) != 0;
    if (!(limits & GW_WIREFRAME)) {
        if (!pick && !normalsValid_) buildNormals();
        if (ma && numMat > 1) {
            // A material per face: one face at a time.
            for (int f = 0; f < numFaces; ++f) {
                const Face& face = faces[f];
                if (face.Hidden()) continue;
                gw->setMaterial(ma[face.getMatID() % numMat]);
                Point3 p[3] = {verts[face.v[0]], verts[face.v[1]], verts[face.v[2]]};
                Point3 n[3] = {getCornerNormal(f, 0), getCornerNormal(f, 1), getCornerNormal(f, 2)};
                gw->triangle(p, pick ? nullptr : n);
            }
        } else {
            if (ma) gw->setMaterial(ma[0]);
            const std::vector<DWORD> corners = ShownCorners(*this);
            std::vector<Point3> normals;
            if (!pick) {
                normals.reserve(corners.size());
                for (int f = 0; f < numFaces; ++f)
                    if (!faces[f].Hidden())
                        for (int k = 0; k < 3; ++k) normals.push_back(cornerNormals_[3 * f + k]);
            }
            gw->indexedTriangles(verts.data(), numVerts, corners.data(),
                                 pick ? nullptr : normals.data(),
                                 static_cast<int>(corners.size() / 3));
        }
    }
    if ((limits & GW_WIREFRAME) || ((limits & GW_POLY_EDGES) && !pick)) DrawEdges(*this, gw);
}

BOOL Mesh::select(GraphicsWindow* gw, Material*, HitRegion* hr, int abortOnHit, int) {
    const DWORD saved = gw->getRndLimits();
    gw->setRndLimits(saved | GW_PICK);
    if (hr) gw->setHitRegion(hr);
    const bool wire = (saved & GW_WIREFRAME) != 0;
    if (!abortOnHit) {
        if (wire) {
            DrawEdges(*this, gw);
        } else {
            const std::vector<DWORD> corners = ShownCorners(*this);
            gw->indexedTriangles(verts.data(), numVerts, corners.data(), nullptr,
                                 static_cast<int>(corners.size() / 3));
        }
    } else {
        // Face by face, to stop at the first hit.
        for (int f = 0; f < numFaces && !gw->checkHitCode(); ++f) {
            const Face& face = faces[f];
            if (face.Hidden()) continue;
            if (wire) {
                for (int k = 0; k < 3; ++k)
                    if (face.getEdgeVis(k)) {
                        Point3 pts[2] = {verts[face.v[k]], verts[face.v[(k + 1) % 3]]};
                        gw->segment(pts, 1);
                    }
            } else {
                Point3 p[3] = {verts[face.v[0]], verts[face.v[1]], verts[face.v[2]]};
                gw->triangle(p, nullptr);
            }
        }
    }
    gw->setRndLimits(saved);
    return gw->checkHitCode();
}

void PolyShape::Render(GraphicsWindow* gw, Material*, Rect*, int, int) {
    std::vector<Point3> pts;
    for (const PolyLine& line : lines) {
        if (line.numPts < 2) continue;
        pts.clear();
        for (const PolyPt& p : line.pts) pts.push_back(p.p);
        gw->polyline(static_cast<int>(pts.size()), pts.data(), nullptr, line.IsClosed(), nullptr);
    }
}

BOOL PolyShape::Select(GraphicsWindow* gw, Material* ma, HitRegion* hr, int abortOnHit) {
    const DWORD saved = gw->getRndLimits();
    gw->setRndLimits(saved | GW_PICK);
    if (hr) gw->setHitRegion(hr);
    if (abortOnHit) {
        std::vector<Point3> pts;
        for (const PolyLine& line : lines) {
            if (line.numPts < 2) continue;
            pts.clear();
            for (const PolyPt& p : line.pts) pts.push_back(p.p);
            gw->polyline(static_cast<int>(pts.size()), pts.data(), nullptr, line.IsClosed(),
                         nullptr);
            if (gw->checkHitCode()) break;
        }
    } else {
        Render(gw, ma, nullptr, 0xFF, 1);
    }
    gw->setRndLimits(saved);
    return gw->checkHitCode();
}
