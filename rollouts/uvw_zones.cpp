#include "rollouts/uvw_zones.h"

#include <vector>

#include "geometry/geometry_primitives.h"
#include "host/sdk/mnmesh.h"
#include "host/sdk/uvw_mapper.h"

namespace {

constexpr float DEG_TO_RAD = 0.01745329238f;
constexpr float COLLINEAR = 0.0001f;

Point3 Flat(const Point3& p) {
    return {p.x, p.y, 0.0f};
}

// The four outline points of one path vertex, into the terrain's object space.
void AppendOutline(PolyLine out[4], const Point3& P, const Point3& off, float hz, float hw,
                   const Matrix3& toTerrain) {
    out[0].Append(PolyPt((P + off * hz) * toTerrain, 0));
    out[1].Append(PolyPt((P - off * hz) * toTerrain, 0));
    out[2].Append(PolyPt((P + off * hw) * toTerrain, 0));
    out[3].Append(PolyPt((P - off * hw) * toTerrain, 0));
}

// Walks the segments of every polyline of a zone. For each segment seg(i, j,
// Pi, Pj, A, B) is called; flipB turns B round when it opposes A. The outline
// is built on the way and appended to zoneShape per polyline.
template <class Segment>
void WalkZone(const PolyShape& shape, const Matrix3& pathTM, float hz, float hw,
              const Matrix3& toTerrain, bool flipB, PolyShape& zoneShape, Segment seg) {
    for (const PolyLine& line : shape.lines) {
        const int n = line.numPts;
        PolyLine out[4]; // Z+, Z-, W+, W-
        for (int i = 0; i < n; i++) {
            int j = (i + 1) % n;
            if (j < i && !line.IsClosed()) continue;
            PathFrame fi = PathFrameAt(line, i, pathTM);
            PathFrame fj = PathFrameAt(line, j, pathTM);
            Point3 A = fi.off, B = fj.off;
            if (flipB && DotProd(A, B) < 0.0f) B = -B;
            AppendOutline(out, fi.P, A, hz, hw, toTerrain);
            if ((j + 1) % n < i) AppendOutline(out, fj.P, B, hz, hw, toTerrain);
            seg(fi, fj, A, B);
        }
        for (PolyLine& l : out) zoneShape.Append(l);
    }
}

} // namespace

PathFrame PathFrameAt(const PolyLine& line, int i, const Matrix3& pathTM) {
    const int n = line.numPts;
    const bool closed = line.IsClosed() != FALSE;
    const Point3 up(0.0f, 0.0f, 1.0f);
    PathFrame f;
    f.P = line[i].p * pathTM;
    Point3 P0 = Flat(f.P);
    int prev = (i + n - 1) % n, next = (i + 1) % n;
    Point3 prevP = Flat(line[prev].p * pathTM), nextP = Flat(line[next].p * pathTM);
    Point3 dir, side;
    if (prev > i && !closed) {
        dir = Normalize(nextP - P0);
        side = Normalize(dir ^ up);
        f.off = side;
    } else if (next < i && !closed) {
        dir = -Normalize(prevP - P0);
        side = Normalize(dir ^ up);
        f.off = side;
    } else {
        Point3 a = Normalize(prevP - P0), b = Normalize(nextP - P0);
        dir = b;
        side = Normalize(b ^ up);
        if (Length(a ^ b) < COLLINEAR) {
            f.off = side;
        } else {
            f.off = Normalize(a + b);
            if (DotProd(f.off, side) < 0.0f) f.off = -f.off;
        }
    }
    f.frame = Matrix3(dir, side, up, f.P);
    return f;
}

namespace {

// The global planar mapping on channel MapCh.
void ApplyGlobalMapping(Mesh& mesh, const UVWInputs& inputs) {
    float width = inputs.width;
    if (width == 0.0f) width = 0.001f;
    mesh.setMapSupport(0, TRUE);
    mesh.setMapSupport(inputs.mapCh, TRUE);
    Matrix3 globalTM;
    globalTM.RotateZ(inputs.globalAngle * DEG_TO_RAD);
    UVWMapper global(MAP_PLANAR, globalTM, TRUE, 1.0f / width, 1.0f / width, 1.0f / width);
    mesh.ApplyMapper(global, inputs.mapCh);
}

// Material borders in black on the vertex-colour channel.
void MarkMaterialBorders(MNMesh& mn) {
    mn.InitMap(0);
    mn.ClearEFlags(MN_SEL);
    mn.ClearVFlags(MN_SEL);
    for (int e = 0; e < mn.nume; e++) {
        MNEdge* ed = mn.E(e);
        if (ed->f1 < 0 || ed->f2 < 0) continue;
        if (mn.F(ed->f1)->material == mn.F(ed->f2)->material) continue;
        ed->SetFlag(MN_SEL);
        mn.V(ed->v1)->SetFlag(MN_SEL);
        mn.V(ed->v2)->SetFlag(MN_SEL);
    }
    mn.SetVertColor(Color(0.0f, 0.0f, 0.0f), 0, MN_SEL);
}

// Every live face's centre in world x, y.
std::vector<Point2> FaceCentres(MNMesh& mn, const Matrix3& terrainTM) {
    std::vector<Point2> centre(mn.numf);
    for (int f = 0; f < mn.numf; f++) {
        const MNFace* face = mn.F(f);
        if (face->GetFlag(MN_DEAD) || face->deg == 0) continue;
        Point3 c;
        for (int k = 0; k < face->deg; k++) c += mn.P(face->vtx[k]);
        c = (c / static_cast<float>(face->deg)) * terrainTM;
        centre[f] = Point2(c.x, c.y);
    }
    return centre;
}

// Maps the faces that one path's zone claims, segment by segment, and adds
// the path's outline. The running length starts again on every polyline.
void ApplyPathZone(MNMesh& mn, const UVWPath& z, const std::vector<Point2>& centre,
                   const Matrix3& toTerrain, PolyShape& zoneShape) {
    mn.InitMap(z.channel);
    const float hw = z.width / 2.0f, hz = z.zone / 2.0f;
    float d = 0.0f;
    auto segment = [&](const PathFrame& fi, const PathFrame& fj, const Point3& A, const Point3& B) {
        Point3 q[4] = {fi.P + A * hz, fi.P - A * hz, fj.P - B * hz, fj.P + B * hz};
        Point2 quad[4];
        for (int k = 0; k < 4; k++) quad[k] = Point2(q[k].x, q[k].y);

        Matrix3 M = fi.frame * toTerrain;
        M = Inverse(M);
        M.RotateZ(z.angle * DEG_TO_RAD);
        M.Translate(Point3(d, 0.0f, 0.0f));
        d += Length(Flat(fj.P - fi.P));
        M.Scale(Point3(1.0f / hw, 1.0f / hw, 1.0f), TRUE);

        mn.ClearFFlags(MN_SEL);
        for (int f = 0; f < mn.numf; f++) {
            MNFace* face = mn.F(f);
            if (face->GetFlag(MN_DEAD) || face->GetFlag(UVW_CLAIMED_FACE)) continue;
            if (!PointInPolygon(centre[f], quad, 4)) continue;
            face->SetFlag(MN_SEL);
            face->SetFlag(UVW_CLAIMED_FACE);
        }
        UVWMapper mapper(MAP_PLANAR, M, TRUE, 1.0f, 1.0f, 1.0f);
        mn.ApplyMapper(mapper, z.channel, TRUE);
    };
    for (const PolyLine& line : z.shape.lines) {
        PolyShape one;
        one.Append(line);
        d = 0.0f;
        WalkZone(one, z.pathTM, hz, hw, toTerrain, true, zoneShape, segment);
    }
}

} // namespace

void ApplyUVWZones(Mesh& mesh, const UVWInputs& inputs, const Matrix3& terrainTM,
                   PolyShape& zoneShape) {
    zoneShape.NewShape();
    ApplyGlobalMapping(mesh, inputs);
    MNMesh mn(mesh);
    MarkMaterialBorders(mn);
    const std::vector<Point2> centre = FaceCentres(mn, terrainTM);
    mn.ClearFFlags(UVW_CLAIMED_FACE);

    const Matrix3 toTerrain = Inverse(terrainTM);
    for (const UVWPath& path : inputs.paths) ApplyPathZone(mn, path, centre, toTerrain, zoneShape);

    mn.PropegateComponentFlags(MNM_SL_FACE, MN_SEL, MNM_SL_FACE, UVW_CLAIMED_FACE, false, true);
    mn.InvalidateGeomCache();
    mn.OutToTri(mesh);
    mesh.InvalidateGeomCache();
}

void UpdateUVWOutline(const UVWInputs& inputs, const Matrix3& terrainTM, PolyShape& zoneShape) {
    zoneShape.NewShape();
    const Matrix3 toTerrain = Inverse(terrainTM);
    for (const UVWPath& path : inputs.paths)
        WalkZone(path.shape, path.pathTM, path.zone / 2.0f, path.width / 2.0f, toTerrain, false,
                 zoneShape,
                 [](const PathFrame&, const PathFrame&, const Point3&, const Point3&) {});
}
