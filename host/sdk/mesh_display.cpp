// How meshes and shapes draw and hit-test themselves in a viewport.
#include "host/sdk/graphics_window.h"
#include "host/sdk/mesh.h"
#include "host/sdk/poly_shape.h"

namespace {

// The visible sides of the shown faces; an inner edge is drawn from both of
// its faces, which costs less than finding its neighbour.
bool DrawEdges(Mesh& mesh, GraphicsWindow* gw, bool stopOnHit) {
    gw->startSegments();
    for (int f = 0; f < mesh.getNumFaces(); ++f) {
        const Face& face = mesh.faces[f];
        if (face.Hidden()) continue;
        for (int k = 0; k < 3; ++k) {
            if (!face.getEdgeVis(k)) continue;
            Point3 pts[2] = {mesh.verts[face.v[k]], mesh.verts[face.v[(k + 1) % 3]]};
            gw->segment(pts, 1);
        }
        if (stopOnHit && gw->checkHitCode()) break;
    }
    gw->endSegments();
    return gw->checkHitCode() != FALSE;
}

} // namespace

void Mesh::render(GraphicsWindow* gw, Material* ma, Rect*, int, int numMat, InterfaceServer*) {
    const DWORD limits = gw->getRndLimits();
    const bool pick = (limits & GW_PICK) != 0;
    if (!(limits & GW_WIREFRAME)) {
        if (!pick) buildNormals();
        int current = -1;
        for (int f = 0; f < numFaces; ++f) {
            const Face& face = faces[f];
            if (face.Hidden()) continue;
            if (ma && numMat > 0) {
                const int m = numMat > 1 ? face.getMatID() % numMat : 0;
                if (m != current) {
                    gw->setMaterial(ma[m]);
                    current = m;
                }
            }
            Point3 p[3] = {verts[face.v[0]], verts[face.v[1]], verts[face.v[2]]};
            if (pick) {
                gw->triangle(p, nullptr);
                continue;
            }
            Point3 n[3] = {getCornerNormal(f, 0), getCornerNormal(f, 1), getCornerNormal(f, 2)};
            gw->triangle(p, n);
        }
    }
    if ((limits & GW_WIREFRAME) || ((limits & GW_POLY_EDGES) && !pick)) DrawEdges(*this, gw, false);
}

BOOL Mesh::select(GraphicsWindow* gw, Material* ma, HitRegion* hr, int abortOnHit, int numMat) {
    const DWORD saved = gw->getRndLimits();
    gw->setRndLimits(saved | GW_PICK);
    if (hr) gw->setHitRegion(hr);
    if (saved & GW_WIREFRAME) {
        DrawEdges(*this, gw, abortOnHit != FALSE);
    } else {
        for (int f = 0; f < numFaces; ++f) {
            const Face& face = faces[f];
            if (face.Hidden()) continue;
            if (ma && numMat > 1) gw->setMaterial(ma[face.getMatID() % numMat]);
            Point3 p[3] = {verts[face.v[0]], verts[face.v[1]], verts[face.v[2]]};
            gw->triangle(p, nullptr);
            if (abortOnHit && gw->checkHitCode()) break;
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
