#include "host/app/preview.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "host/app/atomic_file.h"
#include "host/app/material_colours.h"
#include "host/app/png_file.h"
#include "host/app/relief_colours.h"

namespace contorra {

namespace {

// The ground in the elevation tint; other IDs (pads, slopes, inserts) in
// their own colour.
Color FaceColour(MtlID id, float elevation) {
    return id == 0 ? ElevationTint(elevation) : MaterialIdColour(id + 1);
}

} // namespace

RasterImage RenderPreview(const Mesh& source, const Matrix3& objectToWorld,
                          const PreviewOptions& options) {
    const int nv = source.getNumVerts();
    std::vector<Point3> world(static_cast<std::size_t>(nv));
    Box3 box;
    for (int i = 0; i < nv; ++i) {
        world[i] = source.verts[i] * objectToWorld;
        box += world[i];
    }
    if (box.IsEmpty()) box = Box3(Point3(-1.0f, -1.0f, 0.0f), Point3(1.0f, 1.0f, 0.0f));
    const Point3 size = box.Width();
    const float extent = std::max({size.x, size.y, 1e-6f});
    float exaggeration = 1.0f;
    if (size.z > 0.0f)
        exaggeration =
            std::clamp(0.25f * extent / size.z, 1.0f, std::max(options.maxExaggeration, 1.0f));

    const int longSide = std::max(options.size, 1);
    int width = longSide, height = longSide;
    if (size.x >= size.y)
        height =
            std::max(1, static_cast<int>(std::lround(longSide * std::max(size.y, 1e-6f) / extent)));
    else
        width =
            std::max(1, static_cast<int>(std::lround(longSide * std::max(size.x, 1e-6f) / extent)));

    // Shading uses exaggerated heights; the camera sees the true ones.
    Mesh mesh;
    mesh.setNumVerts(nv);
    mesh.setNumFaces(source.getNumFaces());
    for (int i = 0; i < nv; ++i)
        mesh.setVert(i, Point3(world[i].x, world[i].y, world[i].z * exaggeration));
    for (int f = 0; f < source.getNumFaces(); ++f) mesh.faces[f] = source.faces[f];
    mesh.buildNormals();

    const RasterCamera camera = RasterCamera::TopView(box, width, height);
    RasterImage image(width, height, options.background);
    const PixelRect all = image.Bounds();
    std::vector<int> lines; // (face, side) pairs of visible edges
    for (int f = 0; f < mesh.getNumFaces(); ++f) {
        const Face& face = mesh.faces[f];
        if (face.v[0] >= static_cast<DWORD>(nv) || face.v[1] >= static_cast<DWORD>(nv) ||
            face.v[2] >= static_cast<DWORD>(nv))
            continue;
        Point3 p[3];
        AColor c[3];
        for (int k = 0; k < 3; ++k) {
            p[k] = world[face.v[k]];
            const float t = size.z > 0.0f ? (p[k].z - box.pmin.z) / size.z : 0.5f;
            c[k] = AColor(FaceColour(face.getMatID(), t) * HillShade(mesh.getCornerNormal(f, k)),
                          1.0f);
        }
        DrawWorldTriangle(image, camera, p, c, all);
        if (options.edges)
            for (int k = 0; k < 3; ++k)
                if (face.getEdgeVis(k)) lines.push_back(3 * f + k);
    }
    // Edges after all faces, so that no later face covers them; faint, so
    // that the relief reads through them.
    const float bias = 1e-3f;
    for (int e : lines) {
        const Face& face = mesh.faces[e / 3];
        const int k = e % 3;
        const Point3 a = world[face.v[k]], b = world[face.v[(k + 1) % 3]];
        const float t = size.z > 0.0f ? (0.5f * (a.z + b.z) - box.pmin.z) / size.z : 0.5f;
        const AColor edge(FaceColour(face.getMatID(), t) * 0.7f, 1.0f);
        DrawWorldLine(image, camera, a, b, edge, all, bias);
    }
    // The overlay lies on top of everything.
    const AColor ink(0.25f, 0.12f, 0.05f, 1.0f);
    for (const std::vector<Point3>& line : options.overlay)
        for (std::size_t i = 1; i < line.size(); ++i) {
            const Point3 a(line[i - 1].x, line[i - 1].y, box.pmax.z);
            const Point3 b(line[i].x, line[i].y, box.pmax.z);
            DrawWorldLine(image, camera, a, b, ink, all, 1.0f);
        }
    return image;
}

void WritePreview(const Mesh& mesh, const Matrix3& objectToWorld, const std::filesystem::path& path,
                  const PreviewOptions& options) {
    const RasterImage image = RenderPreview(mesh, objectToWorld, options);
    WriteAtomically(path, [&](const std::filesystem::path& staged) { WritePng(staged, image); });
}

} // namespace contorra
