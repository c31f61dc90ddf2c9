#include <gtest/gtest.h>

#include <vector>

#include "host/app/material_colours.h"
#include "host/app/preview.h"
#include "host/app/relief_colours.h"

using namespace contorra;

namespace {

// Faces given as vertex triples with a one-based material ID each.
Mesh MakeMesh(const std::vector<Point3>& verts, const std::vector<std::array<int, 4>>& faces) {
    Mesh m;
    m.setNumVerts(static_cast<int>(verts.size()));
    for (std::size_t i = 0; i < verts.size(); ++i) m.setVert(static_cast<int>(i), verts[i]);
    m.setNumFaces(static_cast<int>(faces.size()));
    for (std::size_t i = 0; i < faces.size(); ++i) {
        m.faces[i].setVerts(faces[i][0], faces[i][1], faces[i][2]);
        m.faces[i].setSmGroup(0); // flat shading: one normal per face
        m.faces[i].setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
        m.faces[i].setMatID(static_cast<MtlID>(faces[i][3] - 1));
    }
    return m;
}

int Brightness(const Rgba8& p) {
    return p.r + p.g + p.b;
}

// The pixel has the hue of the colour: its channels in the same proportions.
void ExpectHue(const Rgba8& p, const Color& c) {
    const float k = Brightness(p) / (255.0f * (c.r + c.g + c.b));
    EXPECT_NEAR(p.r, c.r * 255.0f * k, 3.0f);
    EXPECT_NEAR(p.g, c.g * 255.0f * k, 3.0f);
    EXPECT_NEAR(p.b, c.b * 255.0f * k, 3.0f);
}

} // namespace

TEST(Preview, NorthUpColouredByMaterialWithEdgesAndHoles) {
    // A 10 x 10 square split along the diagonal (0,0)-(10,10): the north-west
    // half has ID 2, the south-east half ID 5.
    const Mesh square =
        MakeMesh({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, {{0, 2, 3, 2}, {0, 1, 2, 5}});
    PreviewOptions plain;
    plain.size = 100;
    plain.edges = false;
    const RasterImage img = RenderPreview(square, Matrix3(1), plain);
    ASSERT_EQ(img.Width(), 100);
    ASSERT_EQ(img.Height(), 100);
    ExpectHue(img.Pixel(20, 20), MaterialIdColour(2)); // top left: north-west
    ExpectHue(img.Pixel(80, 80), MaterialIdColour(5)); // bottom right: south-east
    // Both halves are level, so they are lit alike.
    const Color c2 = MaterialIdColour(2), c5 = MaterialIdColour(5);
    EXPECT_NEAR(Brightness(img.Pixel(20, 20)) / (c2.r + c2.g + c2.b),
                Brightness(img.Pixel(80, 80)) / (c5.r + c5.g + c5.b), 6.0f);

    // With edges the diagonal shows darker than the faces beside it.
    PreviewOptions edged = plain;
    edged.edges = true;
    const RasterImage withEdges = RenderPreview(square, Matrix3(1), edged);
    int darkest = 1000;
    for (int x = 45; x <= 55; ++x) darkest = std::min(darkest, Brightness(withEdges.Pixel(x, 50)));
    EXPECT_LT(darkest, 0.8f * Brightness(withEdges.Pixel(25, 50)));

    // A ring of four quads leaves its middle empty: the background shows.
    const Mesh ring = MakeMesh({{0, 0, 0},
                                {30, 0, 0},
                                {30, 30, 0},
                                {0, 30, 0},
                                {10, 10, 0},
                                {20, 10, 0},
                                {20, 20, 0},
                                {10, 20, 0}},
                               {{0, 1, 5, 1},
                                {0, 5, 4, 1},
                                {1, 2, 6, 1},
                                {1, 6, 5, 1},
                                {2, 3, 7, 1},
                                {2, 7, 6, 1},
                                {3, 0, 4, 1},
                                {3, 4, 7, 1}});
    const RasterImage holed = RenderPreview(ring, Matrix3(1), plain);
    EXPECT_EQ(holed.Pixel(50, 50), plain.background);
    EXPECT_NE(holed.Pixel(15, 50), plain.background);

    // The node transform places the mesh: moved and turned a quarter, the
    // north-west half now lies north-east.
    Matrix3 tm = RotateZMatrix(static_cast<float>(-M_PI / 2));
    tm.Translate(Point3(500.0f, 500.0f, 0.0f));
    const RasterImage turned = RenderPreview(square, tm, plain);
    ExpectHue(turned.Pixel(80, 20), MaterialIdColour(2));
}

TEST(Preview, SlopesFacingTheNorthWestLightAreBrighter) {
    // A pyramid: four faces facing north, east, south and west.
    const Mesh pyramid = MakeMesh({{0, 0, 0}, {20, 0, 0}, {20, 20, 0}, {0, 20, 0}, {10, 10, 6}},
                                  {{0, 1, 4, 1}, {1, 2, 4, 1}, {2, 3, 4, 1}, {3, 0, 4, 1}});
    PreviewOptions o;
    o.size = 200;
    o.edges = false;
    o.maxExaggeration = 1.0f;
    const RasterImage img = RenderPreview(pyramid, Matrix3(1), o);
    const int north = Brightness(img.Pixel(100, 40)), south = Brightness(img.Pixel(100, 160));
    const int west = Brightness(img.Pixel(40, 100)), east = Brightness(img.Pixel(160, 100));
    EXPECT_GT(north, south + 30);
    EXPECT_GT(west, east + 30);
    // The light is exactly north-west, so north and west faces match.
    EXPECT_NEAR(north, west, 3);

    // A wide extent gives a wide image.
    const Mesh wide = MakeMesh({{0, 0, 0}, {200, 0, 0}, {200, 100, 0}}, {{0, 1, 2, 1}});
    const RasterImage w = RenderPreview(wide, Matrix3(1), PreviewOptions{});
    EXPECT_EQ(w.Width(), 1024);
    EXPECT_EQ(w.Height(), 512);
}

TEST(Preview, GroundIsTintedByElevationAndTheOverlayLiesOnTop) {
    // A plane rising to the east (ID 1) beside a level strip of ID 3.
    const Mesh ramp = MakeMesh({{0, 0, 0}, {100, 0, 10}, {100, 100, 10}, {0, 100, 0},
                                {0, 100, 0}, {100, 100, 10}, {100, 120, 10}, {0, 120, 0}},
                               {{0, 1, 2, 1}, {0, 2, 3, 1}, {4, 5, 6, 3}, {4, 6, 7, 3}});
    PreviewOptions o;
    o.size = 120;
    o.edges = false;
    o.overlay = {{{10, 50, 0}, {90, 50, 0}}};
    const RasterImage img = RenderPreview(ramp, Matrix3(1), o);
    ASSERT_EQ(img.Height(), 120);
    // Faces of one slope are lit alike: the colours differ by height alone,
    // the lowest and highest corners' tints at the west and east ends.
    auto expectTint = [&](int x, int y, float t) {
        const Rgba8 p = img.Pixel(x, y);
        ExpectHue(p, ElevationTint(t));
    };
    expectTint(3, 80, 0.0f);
    expectTint(97, 80, 1.0f);
    EXPECT_NE(img.Pixel(3, 80), img.Pixel(97, 80));
    // The strip keeps its material's colour along its whole length.
    ExpectHue(img.Pixel(10, 10), MaterialIdColour(3));
    ExpectHue(img.Pixel(110, 10), MaterialIdColour(3));
    // The overlay's ink across the middle, over the surface.
    const Rgba8 ink = img.Pixel(50, 69);
    EXPECT_LT(Brightness(ink), 150);
    EXPECT_GT(Brightness(img.Pixel(50, 75)), Brightness(ink) + 100);
}
