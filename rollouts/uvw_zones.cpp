#include "rollouts/uvw_zones.h"

#include <vector>

#include "geometry/geometry_primitives.h"
#include "host/sdk/inode.h"
#include "host/sdk/interface.h"
#include "host/sdk/mnmesh.h"
#include "host/sdk/object.h"
#include "host/sdk/param_block2.h"
#include "host/sdk/uvw_mapper.h"

namespace {

constexpr float DEG_TO_RAD = 0.01745329238f;
constexpr float COLLINEAR = 0.0001f;

Point3 Flat(const Point3& p) {
    return {p.x, p.y, 0.0f};
}

// One entry of the UVW list as the stage reads it.
struct ZoneSlot {
    INode* node = nullptr;
    int channel = 0;
    float width = 0.0f, zone = 0.0f, angle = 0.0f;
};

ZoneSlot ReadSlot(IParamBlock2* pb, int s) {
    ZoneSlot z;
    Interval valid = FOREVER;
    pb->GetValue(uvw_param::UVW_Node, 0, z.node, valid, s);
    pb->GetValue(uvw_param::Map_ch, 0, z.channel, valid, s);
    pb->GetValue(uvw_param::UVW_width, 0, z.width, valid, s);
    pb->GetValue(uvw_param::UVW_zone, 0, z.zone, valid, s);
    pb->GetValue(uvw_param::UVW_angle, 0, z.angle, valid, s);
    return z;
}

// The evaluated path object when it can become a shape, else null.
Object* EvalPath(INode* node) {
    Object* ref = node->GetObjectRef();
    if (!ref) return nullptr;
    Object* obj = ref->Eval(0).obj;
    if (!obj || !obj->CanConvertToType(genericShapeClassID)) return nullptr;
    return obj;
}

// The path's polylines at time 0 with the shape's own steps.
void PathLines(Object* obj, PolyShape& shape) {
    shape.NewShape();
    Object* conv = obj->ConvertToType(0, splineShapeClassID);
    if (!conv) return;
    if (auto* so = dynamic_cast<ShapeObject*>(conv))
        so->MakePolyShape(0, shape, PSHAPE_BUILTIN_STEPS, FALSE);
    if (conv != obj) conv->DeleteThis();
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

void ApplyUVWZones(Mesh& mesh, IParamBlock2* pblock, const Matrix3& terrainTM,
                   PolyShape& zoneShape) {
    zoneShape.NewShape();
    if (!pblock) return;

    // Global planar mapping.
    int mapCh = pblock->GetInt(uvw_param::MapCh, 0);
    float width = pblock->GetFloat(uvw_param::Width, 0);
    if (width == 0.0f) width = 0.001f;
    float globalAngle = pblock->GetFloat(uvw_param::globalangle, 0);
    mesh.setMapSupport(0, TRUE);
    mesh.setMapSupport(mapCh, TRUE);
    Matrix3 globalTM;
    globalTM.RotateZ(globalAngle * DEG_TO_RAD);
    UVWMapper global(MAP_PLANAR, globalTM, TRUE, 1.0f / width, 1.0f / width, 1.0f / width);
    mesh.ApplyMapper(global, mapCh);

    // Material borders in black on the vertex-colour channel.
    MNMesh mn(mesh);
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

    std::vector<Point2> centre(mn.numf);
    for (int f = 0; f < mn.numf; f++) {
        const MNFace* face = mn.F(f);
        if (face->GetFlag(MN_DEAD) || face->deg == 0) continue;
        Point3 c;
        for (int k = 0; k < face->deg; k++) c += mn.P(face->vtx[k]);
        c = (c / static_cast<float>(face->deg)) * terrainTM;
        centre[f] = Point2(c.x, c.y);
    }
    mn.ClearFFlags(UVW_CLAIMED_FACE);

    const Matrix3 toTerrain = Inverse(terrainTM);
    for (int s = 0; s < UVW_LIST_SLOTS; s++) {
        ZoneSlot z = ReadSlot(pblock, s);
        if (!z.node) continue;
        Object* path = EvalPath(z.node);
        if (!path) continue;
        mn.InitMap(z.channel);
        PolyShape shape;
        PathLines(path, shape);
        Matrix3 pathTM = z.node->GetObjectTM(0);
        float hw = z.width / 2.0f, hz = z.zone / 2.0f;
        float d = 0.0f;
        auto segment = [&](const PathFrame& fi, const PathFrame& fj, const Point3& A,
                           const Point3& B) {
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
        // The running length starts again on every polyline.
        for (const PolyLine& line : shape.lines) {
            PolyShape one;
            one.Append(line);
            d = 0.0f;
            WalkZone(one, pathTM, hz, hw, toTerrain, true, zoneShape, segment);
        }
    }

    mn.PropegateComponentFlags(MNM_SL_FACE, MN_SEL, MNM_SL_FACE, UVW_CLAIMED_FACE, false, true);
    mn.InvalidateGeomCache();
    mn.OutToTri(mesh);
    mesh.InvalidateGeomCache();
}

void UpdateUVWOutline(IParamBlock2* pblock, const Matrix3& terrainTM, PolyShape& zoneShape) {
    zoneShape.NewShape();
    if (!pblock) return;
    const Matrix3 toTerrain = Inverse(terrainTM);
    for (int s = 0; s < UVW_LIST_SLOTS; s++) {
        Interval valid = FOREVER;
        INode* node = nullptr;
        float width = 0.0f, zone = 0.0f;
        pblock->GetValue(uvw_param::UVW_Node, 0, node, valid, s);
        pblock->GetValue(uvw_param::UVW_width, 0, width, valid, s);
        pblock->GetValue(uvw_param::UVW_zone, 0, zone, valid, s);
        if (!node) continue;
        Object* path = EvalPath(node);
        if (!path) continue;
        PolyShape shape;
        PathLines(path, shape);
        WalkZone(shape, node->GetObjectTM(0), zone / 2.0f, width / 2.0f, toTerrain, false,
                 zoneShape,
                 [](const PathFrame&, const PathFrame&, const Point3&, const Point3&) {});
    }
}

void UpdateUVWOutline(Interface* ip, ReferenceTarget* terrain, IParamBlock2* pblock,
                      PolyShape& zoneShape) {
    UpdateUVWOutline(pblock, TerrainTransform(ip, terrain, 0), zoneShape);
}

INode* FindSelectedNodeOf(INode* root, ReferenceTarget* obj) {
    if (!root) return nullptr;
    if (root->Selected() && root->GetObjectRef() && root->GetObjectRef() == obj) return root;
    for (int c = 0; c < root->NumberOfChildren(); c++)
        if (INode* hit = FindSelectedNodeOf(root->GetChildNode(c), obj)) return hit;
    return nullptr;
}

Matrix3 TerrainTransform(Interface* ip, ReferenceTarget* obj, TimeValue t) {
    INode* node = ip ? FindSelectedNodeOf(ip->GetRootNode(), obj) : nullptr;
    return node ? node->GetObjectTM(t) : Matrix3();
}

void ReapplyUVWZones(Interface* ip, ReferenceTarget* terrain, TimeValue t, Mesh& mesh,
                     IParamBlock2* pblock, PolyShape& zoneShape) {
    ApplyUVWZones(mesh, pblock, TerrainTransform(ip, terrain, t), zoneShape);
}
