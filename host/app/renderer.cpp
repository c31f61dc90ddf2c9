#include "host/app/renderer.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <set>
#include <thread>

#include "host/sdk/inode.h"
#include "host/sdk/shade_context.h"
#include "host/sdk/std_material.h"
#include "host/sdk/tri_object.h"
#include "host/sdk/view_exp.h"

namespace contorra {
namespace {

// One node's triangles, prepared on the calling thread so that the shading
// threads only read.
struct RenderMesh {
    INode* node = nullptr;
    Mtl* mtl = nullptr;
    Color wire;
    Matrix3 camToObj;
    Matrix3 objToCam;
    std::vector<Point3> camVerts;     // per vertex, camera space
    std::vector<ScreenVertex> screen; // per vertex
    std::vector<bool> inFront;        // per vertex: beyond the near plane
    std::vector<std::array<DWORD, 3>> faces;
    std::vector<Point3> cornerNormals; // 3 per face, camera space
};

// Visible surface of one pixel.
struct Hit {
    float z = RasterImage::kFarDepth;
    int mesh = -1;
    int face = -1;
    float b[3] = {0.0f, 0.0f, 0.0f};
};

class RenderShadeContext : public ShadeContext {
public:
    INode* node = nullptr;
    TimeValue time = 0;
    Point3 p, n;
    const Matrix3* camToObj = nullptr;
    const Matrix3* objToCam = nullptr;
    const Matrix3* camToWorld = nullptr;
    const Matrix3* worldToCam = nullptr;

    INode* Node() override { return node; }
    TimeValue CurTime() override { return time; }
    Point3 P() override { return p; }
    Point3 Normal() override { return n; }
    Point3 V() override { return Normalize(p); }
    Point3 PointTo(const Point3& q, RefFrame to) override {
        if (to == REF_OBJECT) return q * *camToObj;
        if (to == REF_WORLD) return q * *camToWorld;
        return q;
    }
    Point3 PointFrom(const Point3& q, RefFrame from) override {
        if (from == REF_OBJECT) return q * *objToCam;
        if (from == REF_WORLD) return q * *worldToCam;
        return q;
    }
    Point3 VectorTo(const Point3& v, RefFrame to) override {
        if (to == REF_OBJECT) return VectorTransform(*camToObj, v);
        if (to == REF_WORLD) return VectorTransform(*camToWorld, v);
        return v;
    }
    Point3 VectorFrom(const Point3& v, RefFrame from) override {
        if (from == REF_OBJECT) return VectorTransform(*objToCam, v);
        if (from == REF_WORLD) return VectorTransform(*worldToCam, v);
        return v;
    }
};

// The node's evaluated mesh: the object's render mesh, as the host asks for
// it, else a conversion to a mesh. The copy keeps the renderer independent of
// later evaluations.
bool NodeMesh(INode* node, TimeValue t, Mesh& out) {
    Object* obj = node->EvalWorldState(t).obj;
    if (!obj) return false;
    if (auto* geom = dynamic_cast<GeomObject*>(obj)) {
        View view;
        BOOL needDelete = FALSE;
        if (Mesh* mesh = geom->GetRenderMesh(t, node, view, needDelete)) {
            out = *mesh;
            if (needDelete) delete mesh;
            return true;
        }
    }
    if (!obj->CanConvertToType(triObjectClassID)) return false;
    Object* converted = obj->ConvertToType(t, triObjectClassID);
    auto* tri = dynamic_cast<TriObject*>(converted);
    if (tri) out = tri->GetMesh();
    if (converted && converted != obj) converted->DeleteThis();
    return tri != nullptr;
}

AColor Over(const AColor& top, const Color& below) {
    float a = std::clamp(top.a, 0.0f, 1.0f);
    return {top.r * a + below.r * (1.0f - a), top.g * a + below.g * (1.0f - a),
            top.b * a + below.b * (1.0f - a), 1.0f};
}

// The meshes of the nodes that have one, in node order.
std::vector<RenderMesh> PrepareMeshes(const std::vector<INode*>& nodes, TimeValue t,
                                      const RasterCamera& camera, const Matrix3& worldToCam) {
    std::vector<RenderMesh> meshes;
    for (INode* node : nodes) {
        if (!node) continue;
        Mesh mesh;
        if (!NodeMesh(node, t, mesh)) continue;
        RenderMesh rm;
        rm.node = node;
        rm.mtl = node->GetMtl();
        rm.wire = Color(node->GetWireColor());
        Matrix3 objToWorld = node->GetObjectTM(t);
        rm.objToCam = objToWorld * worldToCam;
        rm.camToObj = Inverse(rm.objToCam);
        for (const Point3& v : mesh.verts) {
            Point3 c = v * rm.objToCam;
            rm.camVerts.push_back(c);
            rm.inFront.push_back(-c.z > camera.nearDist || !camera.perspective);
            rm.screen.push_back(camera.ProjectCamera(c));
        }
        mesh.buildNormals();
        for (int f = 0; f < mesh.getNumFaces(); ++f) {
            const Face& face = mesh.faces[f];
            if (face.Hidden()) continue;
            rm.faces.push_back({face.v[0], face.v[1], face.v[2]});
            for (int k = 0; k < 3; ++k)
                rm.cornerNormals.push_back(
                    Normalize(VectorTransform(rm.objToCam, mesh.getCornerNormal(f, k))));
        }
        meshes.push_back(std::move(rm));
    }
    return meshes;
}

// Materials see the render time before any thread shades with them.
void UpdateMaterials(const std::vector<RenderMesh>& meshes, TimeValue t) {
    std::set<Mtl*> materials;
    for (const RenderMesh& rm : meshes)
        if (rm.mtl) materials.insert(rm.mtl);
    for (Mtl* m : materials) {
        Interval valid = FOREVER;
        m->Update(t, valid);
    }
}

// The triangles (mesh, face) of each screen tile, in scene order.
struct TileBins {
    int tileSize = 0, tilesX = 0, tilesY = 0;
    std::vector<std::vector<std::pair<int, int>>> bins; // row by row

    PixelRect Clip(int tile, const RenderSettings& settings) const {
        const int tx = tile % tilesX, ty = tile / tilesX;
        return {tx * tileSize, ty * tileSize, std::min((tx + 1) * tileSize, settings.width),
                std::min((ty + 1) * tileSize, settings.height)};
    }
};

// Each triangle in front of the camera goes to the tiles its screen box touches.
TileBins BinTriangles(const std::vector<RenderMesh>& meshes, const RenderSettings& settings) {
    TileBins b;
    b.tileSize = std::max(settings.tileSize, 4);
    b.tilesX = (settings.width + b.tileSize - 1) / b.tileSize;
    b.tilesY = (settings.height + b.tileSize - 1) / b.tileSize;
    b.bins.resize(static_cast<std::size_t>(b.tilesX) * b.tilesY);
    const auto tileOf = [&b](float at, int count) {
        return std::clamp(static_cast<int>(at) / b.tileSize, 0, count - 1);
    };
    for (int mi = 0; mi < static_cast<int>(meshes.size()); ++mi) {
        const RenderMesh& rm = meshes[mi];
        for (int f = 0; f < static_cast<int>(rm.faces.size()); ++f) {
            const auto& v = rm.faces[f];
            if (!rm.inFront[v[0]] || !rm.inFront[v[1]] || !rm.inFront[v[2]]) continue;
            const ScreenVertex& a = rm.screen[v[0]];
            const ScreenVertex& c1 = rm.screen[v[1]];
            const ScreenVertex& c2 = rm.screen[v[2]];
            float x0 = std::min({a.x, c1.x, c2.x}), x1 = std::max({a.x, c1.x, c2.x});
            float y0 = std::min({a.y, c1.y, c2.y}), y1 = std::max({a.y, c1.y, c2.y});
            if (!(x1 >= 0.0f && y1 >= 0.0f && x0 <= settings.width && y0 <= settings.height))
                continue;
            const int tx0 = tileOf(std::floor(x0 - 0.5f), b.tilesX);
            const int tx1 = tileOf(std::ceil(x1 + 0.5f), b.tilesX);
            const int ty0 = tileOf(std::floor(y0 - 0.5f), b.tilesY);
            const int ty1 = tileOf(std::ceil(y1 + 0.5f), b.tilesY);
            for (int ty = ty0; ty <= ty1; ++ty)
                for (int tx = tx0; tx <= tx1; ++tx)
                    b.bins[static_cast<std::size_t>(ty) * b.tilesX + tx].push_back({mi, f});
        }
    }
    return b;
}

// Shades whole tiles; several threads may shade different tiles at once.
struct TileShader {
    const std::vector<RenderMesh>& meshes;
    const TileBins& bins;
    const RenderSettings& settings;
    const Matrix3& camToWorld;
    const Matrix3& worldToCam;
    RasterImage& image;
    const Point3 light = Normalize(Point3(-0.35f, 0.55f, 0.75f)); // camera space, towards the light

    void Shade(int tile) const {
        const PixelRect clip = bins.Clip(tile, settings);
        const std::vector<Hit> hits = VisibleSurfaces(tile, clip);
        const int w = clip.x1 - clip.x0;
        RenderShadeContext sc;
        sc.time = settings.time;
        sc.camToWorld = &camToWorld;
        sc.worldToCam = &worldToCam;
        for (int y = clip.y0; y < clip.y1; ++y)
            for (int x = clip.x0; x < clip.x1; ++x) {
                const Hit& h = hits[static_cast<std::size_t>(y - clip.y0) * w + (x - clip.x0)];
                if (h.mesh >= 0) ShadePixel(x, y, h, sc);
            }
    }

private:
    // The nearest triangle of every pixel of the tile.
    std::vector<Hit> VisibleSurfaces(int tile, const PixelRect& clip) const {
        const int w = clip.x1 - clip.x0;
        std::vector<Hit> hits(static_cast<std::size_t>(w) * (clip.y1 - clip.y0));
        for (const auto& entry : bins.bins[tile]) {
            // Plain copies: clang does not let a lambda capture structured bindings.
            const int mi = entry.first, f = entry.second;
            const RenderMesh& rm = meshes[mi];
            const auto& v = rm.faces[f];
            RasterizeTriangle(
                rm.screen[v[0]], rm.screen[v[1]], rm.screen[v[2]], clip, [&](const Fragment& fr) {
                    Hit& h = hits[static_cast<std::size_t>(fr.y - clip.y0) * w + (fr.x - clip.x0)];
                    if (!(fr.z < h.z)) return;
                    h = {fr.z, mi, f, {fr.b0, fr.b1, fr.b2}};
                });
        }
        return hits;
    }

    void ShadePixel(int x, int y, const Hit& h, RenderShadeContext& sc) const {
        const RenderMesh& rm = meshes[h.mesh];
        const auto& v = rm.faces[h.face];
        Point3 p =
            rm.camVerts[v[0]] * h.b[0] + rm.camVerts[v[1]] * h.b[1] + rm.camVerts[v[2]] * h.b[2];
        const Point3* cn = &rm.cornerNormals[3 * static_cast<std::size_t>(h.face)];
        Point3 n = Normalize(cn[0] * h.b[0] + cn[1] * h.b[1] + cn[2] * h.b[2]);
        if (DotProd(n, p) > 0.0f) n = -n; // the side facing the camera

        sc.ClearCache();
        sc.node = rm.node;
        sc.p = p;
        sc.n = n;
        sc.camToObj = &rm.camToObj;
        sc.objToCam = &rm.objToCam;

        const AColor albedo = Albedo(rm, sc, n);
        float lambert = std::max(0.0f, DotProd(n, light));
        float k = 0.25f + 0.75f * lambert;
        image.Plot(x, y, h.z, ToRgba8(AColor(albedo.r * k, albedo.g * k, albedo.b * k, 1.0f)));
    }

    // The material's colour at the shading point; a bump map bends n.
    static AColor Albedo(const RenderMesh& rm, RenderShadeContext& sc, Point3& n) {
        AColor albedo(rm.wire, 1.0f);
        if (auto* stdMat = dynamic_cast<StdMat*>(rm.mtl)) {
            albedo = AColor(stdMat->GetDiffuse(), 1.0f);
            if (Texmap* map = stdMat->DiffuseMap())
                albedo = Over(map->EvalColor(sc), stdMat->GetDiffuse());
            if (Texmap* bump = stdMat->BumpMap()) {
                Point3 d = sc.VectorFrom(bump->EvalNormalPerturb(sc), REF_OBJECT);
                Point3 bent = Normalize(n + d * stdMat->GetBumpAmount());
                if (bent.LengthSquared() > 0.0f) n = bent;
            }
        } else if (rm.mtl) {
            albedo = AColor(rm.mtl->GetDiffuse(), 1.0f);
        }
        return albedo;
    }
};

} // namespace

Box3 SceneBox(const std::vector<INode*>& nodes, TimeValue t) {
    Box3 box;
    for (INode* node : nodes) {
        Mesh mesh;
        if (!node || !NodeMesh(node, t, mesh)) continue;
        Matrix3 tm = node->GetObjectTM(t);
        for (const Point3& v : mesh.verts) box += v * tm;
    }
    return box;
}

RasterCamera DefaultRenderCamera(const Box3& worldBox, int width, int height) {
    Box3 box = worldBox;
    if (box.IsEmpty()) box = Box3(Point3(-1.0f, -1.0f, 0.0f), Point3(1.0f, 1.0f, 0.0f));
    const Point3 centre = box.Center();
    const float fovY = 0.8f;
    const float aspect =
        static_cast<float>(std::max(width, 1)) / static_cast<float>(std::max(height, 1));
    const float tanY = std::tan(fovY / 2.0f), tanX = tanY * aspect;
    // From the south-west, about 50 degrees above the horizon, z up.
    const Point3 back = Normalize(Point3(-0.45f, -0.75f, 1.05f));
    const Point3 right = Normalize(CrossProd(Point3(0.0f, 0.0f, 1.0f), back));
    const Point3 up = CrossProd(back, right);
    // Near enough that every corner of the box just fits the view.
    float dist = 1e-3f, reach = 0.0f;
    for (int i = 0; i < 8; ++i) {
        Point3 c = box[i] - centre;
        float along = DotProd(c, back);
        dist = std::max({dist, along + std::fabs(DotProd(c, right)) / tanX,
                         along + std::fabs(DotProd(c, up)) / tanY});
        reach = std::max(reach, Length(c));
    }
    dist *= 1.04f;
    RasterCamera cam = RasterCamera::LookAt(centre + back * dist, centre, Point3(0.0f, 0.0f, 1.0f),
                                            width, height, true);
    cam.fovY = fovY;
    cam.nearDist = std::max(dist - 1.5f * reach, dist * 1e-3f);
    cam.farDist = dist + 1.5f * reach;
    return cam;
}

RasterImage RenderNodes(const std::vector<INode*>& nodes, const RenderSettings& settings) {
    const TimeValue t = settings.time;
    RasterCamera camera =
        settings.camera ? *settings.camera
                        : DefaultRenderCamera(SceneBox(nodes, t), settings.width, settings.height);
    camera.width = settings.width;
    camera.height = settings.height;
    const Matrix3 worldToCam = camera.view;
    const Matrix3 camToWorld = Inverse(camera.view);

    const std::vector<RenderMesh> meshes = PrepareMeshes(nodes, t, camera, worldToCam);
    UpdateMaterials(meshes, t);
    const TileBins bins = BinTriangles(meshes, settings);
    RasterImage image(settings.width, settings.height, ToRgba8(settings.background));
    const TileShader shader{meshes, bins, settings, camToWorld, worldToCam, image};

    const int tileCount = bins.tilesX * bins.tilesY;
    std::atomic<int> next{0};
    auto worker = [&] {
        for (int tile; (tile = next.fetch_add(1)) < tileCount;) shader.Shade(tile);
    };
    const int threads = std::clamp(settings.threads, 1, std::max(tileCount, 1));
    std::vector<std::thread> pool;
    for (int i = 1; i < threads; ++i) pool.emplace_back(worker);
    worker();
    for (std::thread& th : pool) th.join();
    return image;
}

} // namespace contorra
