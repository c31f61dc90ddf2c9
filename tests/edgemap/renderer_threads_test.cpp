#include <gtest/gtest.h>

#include "edgemap/gradient_edge.h"
#include "host/app/renderer.h"
#include "host/sdk/std_material.h"
#include "tests/edgemap/scene_fixture.h"

namespace {

GradientEdge* EdgeMap(float distance) {
    auto* map =
        static_cast<GradientEdge*>(static_cast<Animatable*>(GetGradientEdgeDesc()->Create(FALSE)));
    map->pblock->SetValue(ge_distance, 0, distance);
    map->pblock->SetValue(ge_open_edges, 0, 1);
    return map;
}

} // namespace

TEST(RendererThreads, GradientFollowsOpenEdgesSeenFromAbove) {
    NodeTable scene;
    INode* node = scene.Add(FlatGrid(4)); // 0..4 in x and y, open rim
    StdMat* mtl = NewDefaultStdMat();
    mtl->SetSubTexmap(STDMAT_DIFFUSE, EdgeMap(1.0f));
    node->SetMtl(mtl);

    contorra::RenderSettings s;
    s.width = s.height = 80;
    s.camera = contorra::RasterCamera::TopView(
        Box3(Point3(0.0f, 0.0f, 0.0f), Point3(4.0f, 4.0f, 0.0f)), 80, 80, 0.0f);
    s.threads = 3;
    contorra::RasterImage image = contorra::RenderNodes({node}, s);
    // A flat face towards the camera gets ambient 0.25 plus 0.75 x (N . L) with
    // N . L = 0.75 / |(-0.35, 0.55, 0.75)|.
    const float lit = 0.25f + 0.75f * 0.75f / Length(Point3(-0.35f, 0.55f, 0.75f));
    // Pixel (40, 40) sits 2 units from the rim: the ramp's end, white.
    EXPECT_NEAR(image.Pixel(40, 40).r, 255.0f * lit, 1.0f);
    // 20 pixels per unit: pixel row 74 is 0.275 from the bottom rim.
    float x = (80.0f - 74.5f) / 20.0f;
    EXPECT_NEAR(image.Pixel(40, 74).g, 255.0f * lit * x, 2.0f);
    // Darker towards the rim, along every side.
    EXPECT_LT(image.Pixel(40, 78).r, image.Pixel(40, 70).r);
    EXPECT_LT(image.Pixel(1, 40).r, image.Pixel(10, 40).r);
    EXPECT_LT(image.Pixel(78, 40).r, image.Pixel(70, 40).r);
    mtl->DeleteThis();
}

TEST(RendererThreads, SameImageForOneAndEightThreads) {
    NodeTable scene;
    Mesh hills = FlatGrid(24, 0.5f);
    for (Point3& v : hills.verts) v.z = 0.8f * std::sin(v.x) * std::cos(0.7f * v.y);
    for (int f = 0; f < hills.getNumFaces(); ++f)
        hills.faces[f].setMatID(static_cast<MtlID>((f / 37) % 3));
    INode* a = scene.Add(hills);
    INode* b = scene.Add(FlatGrid(6, 1.0f));
    b->SetNodeTM(0, TransMatrix(Point3(13.0f, 2.0f, 0.5f)));

    GradientEdge* colour = EdgeMap(0.6f);
    colour->pblock->SetValue(ge_matid, 0, 1);
    colour->ramp.markers[0].baseColor = AColor(0.9f, 0.2f, 0.1f, 1.0f);
    StdMat* mtl = NewDefaultStdMat();
    mtl->SetSubTexmap(STDMAT_DIFFUSE, colour);
    mtl->SetSubTexmap(STDMAT_BUMP, EdgeMap(0.4f));
    a->SetMtl(mtl);
    b->SetMtl(mtl);

    contorra::RenderSettings s;
    s.width = 160;
    s.height = 120;
    s.tileSize = 16;
    s.threads = 1;
    contorra::RasterImage one = contorra::RenderNodes({a, b}, s);
    s.threads = 8;
    contorra::RasterImage eight = contorra::RenderNodes({a, b}, s);
    int x0 = s.width, x1 = -1, y0 = s.height, y1 = -1;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            ASSERT_EQ(one.Pixel(x, y), eight.Pixel(x, y)) << x << "," << y;
            if (one.Depth(x, y) < contorra::RasterImage::kFarDepth) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
        }
    // The default camera frames the scene: it spans most of the image
    // and stays inside it.
    EXPECT_TRUE(x1 - x0 > 0.6 * s.width || y1 - y0 > 0.6 * s.height)
        << x0 << " " << x1 << " " << y0 << " " << y1;
    EXPECT_GT(x0, 0);
    EXPECT_GT(y0, 0);
    EXPECT_LT(x1, s.width - 1);
    EXPECT_LT(y1, s.height - 1);
    mtl->DeleteThis();
}
