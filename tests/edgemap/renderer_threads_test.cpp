// The renderer shades tiles on several threads through one material whose
// edge maps share their distance caches: run under ThreadSanitizer, this is
// where a race in the maps or the renderer would show.
#include <gtest/gtest.h>

#include <cmath>

#include "host/app/renderer.h"
#include "host/sdk/std_material.h"
#include "tests/edgemap/scene_fixture.h"

TEST(RendererThreads, SameImageForOneAndEightThreads) {
    NodeTable scene;
    Mesh hills = FlatGrid(24, 0.5f);
    for (Point3& v : hills.verts) v.z = 0.8f * std::sin(v.x) * std::cos(0.7f * v.y);
    for (int f = 0; f < hills.getNumFaces(); ++f)
        hills.faces[f].setMatID(static_cast<MtlID>((f / 37) % 3));
    INode* a = scene.Add(hills);
    INode* b = scene.Add(FlatGrid(6, 1.0f));
    b->SetNodeTM(0, TransMatrix(Point3(13.0f, 2.0f, 0.5f)));

    GradientEdge* colour = NewEdgeMap(0.6f);
    colour->pblock->SetValue(ge_matid, 0, 1);
    colour->ramp.markers[0].baseColor = AColor(0.9f, 0.2f, 0.1f, 1.0f);
    StdMat* mtl = NewDefaultStdMat();
    mtl->SetSubTexmap(STDMAT_DIFFUSE, colour);
    mtl->SetSubTexmap(STDMAT_BUMP, NewEdgeMap(0.4f));
    a->SetMtl(mtl);
    b->SetMtl(mtl);

    contorra::RenderSettings s;
    s.width = 160;
    s.height = 120;
    s.tileSize = 16;
    s.threads = 1;
    const contorra::RasterImage one = contorra::RenderNodes({a, b}, s);
    s.threads = 8;
    const contorra::RasterImage eight = contorra::RenderNodes({a, b}, s);
    int covered = 0;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            ASSERT_EQ(one.Pixel(x, y), eight.Pixel(x, y)) << x << "," << y;
            covered += one.Depth(x, y) < contorra::RasterImage::kFarDepth;
        }
    EXPECT_GT(covered, s.width * s.height / 8); // the scene is in view, not a blank image
    mtl->DeleteThis();
}
