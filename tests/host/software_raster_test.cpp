#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/app/software_raster.h"

using namespace contorra;

namespace {

ScreenVertex V(float x, float y, float z = 0.5f) {
    return {x, y, z, 1.0f};
}

// How often each pixel is reported by a set of triangles.
std::vector<int> Coverage(int w, int h, const std::vector<std::array<ScreenVertex, 3>>& tris) {
    std::vector<int> count(static_cast<std::size_t>(w * h), 0);
    for (const auto& t : tris)
        RasterizeTriangle(t[0], t[1], t[2], PixelRect{0, 0, w, h},
                          [&](const Fragment& f) { ++count[f.y * w + f.x]; });
    return count;
}

// Independent inside test for a convex polygon given counter-clockwise or clockwise.
bool InsideConvex(const std::vector<Point2>& poly, float x, float y) {
    int sign = 0;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const Point2 a = poly[i], b = poly[(i + 1) % poly.size()];
        const float e = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
        const int s = e > 0 ? 1 : (e < 0 ? -1 : 0);
        if (s == 0) return false;
        if (sign == 0)
            sign = s;
        else if (s != sign)
            return false;
    }
    return true;
}

} // namespace

TEST(RasterCoverage, SquareOfTwoTrianglesCoversEachInnerPixelOnce) {
    // Corners on pixel boundaries: the shared diagonal and the outer edges pass
    // through pixel centres, so only the fill rule keeps the count at one.
    const auto c = Coverage(16, 16, {{V(2, 3), V(10, 3), V(10, 9)}, {V(2, 3), V(10, 9), V(2, 9)}});
    int covered = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_LE(c[y * 16 + x], 1) << x << "," << y;
            covered += c[y * 16 + x];
            const bool inside = x >= 2 && x < 10 && y >= 3 && y < 9;
            EXPECT_EQ(c[y * 16 + x] == 1, inside) << x << "," << y;
        }
    EXPECT_EQ(covered, 8 * 6);
}

TEST(RasterCoverage, FanMatchesPointInPolygonOnGenericCorners) {
    const std::vector<Point2> poly = {
        {3.3f, 1.7f}, {27.1f, 4.2f}, {30.6f, 21.9f}, {14.2f, 29.4f}, {1.9f, 18.3f}};
    const ScreenVertex centre = V(15.37f, 15.11f);
    std::vector<std::array<ScreenVertex, 3>> tris;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const Point2 a = poly[i], b = poly[(i + 1) % poly.size()];
        // Alternate windings: both must be drawn.
        if (i % 2)
            tris.push_back({centre, V(a.x, a.y), V(b.x, b.y)});
        else
            tris.push_back({centre, V(b.x, b.y), V(a.x, a.y)});
    }
    const auto c = Coverage(32, 32, tris);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool inside = InsideConvex(poly, x + 0.5f, y + 0.5f);
            EXPECT_EQ(c[y * 32 + x], inside ? 1 : 0) << x << "," << y;
        }
}

TEST(RasterTriangle, NearerSurfaceWinsWhateverTheOrder) {
    const AColor red(1.0f, 0.0f, 0.0f), blue(0.0f, 0.0f, 1.0f);
    const AColor reds[3] = {red, red, red}, blues[3] = {blue, blue, blue};
    const ScreenVertex nearTri[3] = {V(0, 0, 0.2f), V(20, 0, 0.2f), V(0, 20, 0.2f)};
    const ScreenVertex farTri[3] = {V(0, 0, 0.6f), V(20, 20, 0.6f), V(0, 20, 0.6f)};
    for (int order = 0; order < 2; ++order) {
        RasterImage img(20, 20);
        if (order == 0) {
            DrawTriangle(img, nearTri, reds, img.Bounds());
            DrawTriangle(img, farTri, blues, img.Bounds());
        } else {
            DrawTriangle(img, farTri, blues, img.Bounds());
            DrawTriangle(img, nearTri, reds, img.Bounds());
        }
        EXPECT_EQ(img.Pixel(2, 10), (Rgba8{255, 0, 0, 255})) << order; // both cover: near wins
        EXPECT_EQ(img.Pixel(5, 18), (Rgba8{0, 0, 255, 255})) << order; // only the far one
        EXPECT_EQ(img.Pixel(12, 5), (Rgba8{255, 0, 0, 255})) << order; // only the near one
        EXPECT_FLOAT_EQ(img.Depth(2, 10), 0.2f);
    }
}

TEST(RasterTriangle, ColoursAndDepthInterpolateLinearlyInScreenSpace) {
    RasterImage img(100, 100);
    const ScreenVertex v[3] = {V(0, 0, 0.0f), V(100, 0, 1.0f), V(0, 100, 0.5f)};
    const AColor c[3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    DrawTriangle(img, v, c, img.Bounds());
    // Pixel (24, 49), centre (24.5, 49.5): weights 0.26, 0.245, 0.495 by hand.
    const Rgba8 p = img.Pixel(24, 49);
    EXPECT_NEAR(p.r, 0.26 * 255, 1.0);
    EXPECT_NEAR(p.g, 0.245 * 255, 1.0);
    EXPECT_NEAR(p.b, 0.495 * 255, 1.0);
    EXPECT_NEAR(img.Depth(24, 49), 0.245 * 1.0 + 0.495 * 0.5, 1e-5);
}

TEST(RasterLine, OnePixelPerColumnAndDepthBias) {
    RasterImage img(20, 20);
    const AColor white(1.0f, 1.0f, 1.0f);
    DrawLine(img, V(2.5f, 5.5f), V(12.5f, 5.5f), white, white, img.Bounds());
    for (int x = 0; x < 20; ++x) EXPECT_EQ(img.Pixel(x, 5).r, (x >= 2 && x <= 12) ? 255 : 0) << x;

    // A steep line: exactly one pixel in each row it crosses.
    RasterImage steep(20, 20);
    DrawLine(steep, V(3.2f, 1.5f), V(7.9f, 18.5f), white, white, steep.Bounds());
    for (int y = 0; y < 20; ++y) {
        int n = 0;
        for (int x = 0; x < 20; ++x) n += steep.Pixel(x, y).r == 255;
        EXPECT_EQ(n, (y >= 1 && y <= 18) ? 1 : 0) << y;
    }

    // On a surface of the same depth a line shows only with a bias.
    RasterImage surf(20, 20);
    const ScreenVertex t[3] = {V(0, 0, 0.5f), V(20, 0, 0.5f), V(0, 20, 0.5f)};
    const AColor grey[3] = {{0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}};
    DrawTriangle(surf, t, grey, surf.Bounds());
    DrawLine(surf, V(1.5f, 2.5f, 0.5f), V(8.5f, 2.5f, 0.5f), white, white, surf.Bounds());
    EXPECT_EQ(surf.Pixel(4, 2).r, 128);
    DrawLine(surf, V(1.5f, 2.5f, 0.5f), V(8.5f, 2.5f, 0.5f), white, white, surf.Bounds(), 1e-4f);
    EXPECT_EQ(surf.Pixel(4, 2).r, 255);
}

TEST(RasterTiles, TileByTileEqualsWholeImage) {
    const AColor c[3] = {{1.0f, 0.2f, 0.0f}, {0.0f, 0.9f, 0.3f}, {0.2f, 0.1f, 1.0f}};
    // (ox, oy) shifts the scene, for drawing a tile into an image of its own.
    auto scene = [&](RasterImage& img, const PixelRect& clip, float ox, float oy) {
        for (int i = 0; i < 12; ++i) {
            const float a = i * 0.52f;
            const ScreenVertex v[3] = {
                V(37.0f + 30 * std::cos(a) - ox, 29.0f + 25 * std::sin(a) - oy, 0.1f * i),
                V(37.0f + 40 * std::cos(a + 1.3f) - ox, 29.0f + 33 * std::sin(a + 1.3f) - oy, 0.3f),
                V(37.0f - ox, 29.0f - oy, 1.0f - 0.05f * i)};
            DrawTriangle(img, v, c, clip);
            DrawLine(img, v[0], v[1], c[0], c[1], clip, 0.01f);
        }
    };
    RasterImage whole(75, 61), tiled(75, 61), blitted(75, 61);
    scene(whole, whole.Bounds(), 0, 0);
    const auto tiles = MakeTiles(75, 61, 16);
    EXPECT_EQ(tiles.size(), 5u * 4u);
    for (const auto& t : tiles) {
        scene(tiled, t, 0, 0);
        RasterImage tile(t.x1 - t.x0, t.y1 - t.y0);
        scene(tile, tile.Bounds(), static_cast<float>(t.x0), static_cast<float>(t.y0));
        blitted.Blit(tile, t.x0, t.y0);
    }
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 75; ++x) {
            ASSERT_EQ(whole.Pixel(x, y), tiled.Pixel(x, y)) << x << "," << y;
            ASSERT_EQ(whole.Pixel(x, y), blitted.Pixel(x, y)) << x << "," << y;
        }
}

TEST(RasterCamera, TopViewFramesTheBoxNorthUp) {
    const Box3 box(Point3(100.0f, 50.0f, -3.0f), Point3(300.0f, 150.0f, 12.0f));
    const RasterCamera cam = RasterCamera::TopView(box, 200, 100, 0.0f);
    const ScreenVertex nw = cam.Project(Point3(100.0f, 150.0f, 0.0f));
    const ScreenVertex se = cam.Project(Point3(300.0f, 50.0f, 0.0f));
    EXPECT_NEAR(nw.x, 0.0f, 1e-3f);
    EXPECT_NEAR(nw.y, 0.0f, 1e-3f);
    EXPECT_NEAR(se.x, 200.0f, 1e-3f);
    EXPECT_NEAR(se.y, 100.0f, 1e-3f);
    // Higher points are nearer to a camera looking down.
    EXPECT_LT(cam.Project(Point3(200.0f, 100.0f, 12.0f)).z,
              cam.Project(Point3(200.0f, 100.0f, -3.0f)).z);
    EXPECT_GE(cam.Project(Point3(200.0f, 100.0f, 12.0f)).z, 0.0f);
    EXPECT_LE(cam.Project(Point3(200.0f, 100.0f, -3.0f)).z, 1.0f);
}

TEST(RasterCamera, PerspectiveWeightsFollowTheWorldTriangle) {
    const RasterCamera cam =
        RasterCamera::LookAt(Point3(0.0f, -10.0f, 6.0f), Point3(0.0f, 10.0f, 0.0f),
                             Point3(0.0f, 0.0f, 1.0f), 400, 400, true);
    EXPECT_NEAR(cam.Project(Point3(0.0f, 10.0f, 0.0f)).x, 200.0f, 1e-3f);
    EXPECT_NEAR(cam.Project(Point3(0.0f, 10.0f, 0.0f)).y, 200.0f, 1e-3f);
    // A ground triangle seen at a grazing angle: screen-linear weights would
    // be far off, perspective-correct ones match the world point.
    const Point3 A(-8.0f, -2.0f, 0.0f), B(8.0f, -2.0f, 0.0f), C(0.0f, 30.0f, 0.0f);
    const float wa = 0.2f, wb = 0.3f, wc = 0.5f;
    const ScreenVertex p = cam.Project(A * wa + B * wb + C * wc);
    const int px = static_cast<int>(p.x), py = static_cast<int>(p.y);
    bool found = false;
    RasterizeTriangle(cam.Project(A), cam.Project(B), cam.Project(C),
                      PixelRect{px, py, px + 1, py + 1}, [&](const Fragment& f) {
                          found = true;
                          EXPECT_NEAR(f.b0, wa, 0.02f);
                          EXPECT_NEAR(f.b1, wb, 0.02f);
                          EXPECT_NEAR(f.b2, wc, 0.02f);
                      });
    EXPECT_TRUE(found);
}

TEST(RasterCamera, GroundPassingBehindTheCameraIsClippedAtTheNearPlane) {
    // Eye level 1 above an endless ground, looking along +y: below the horizon
    // (the middle row) is ground, above it is sky.
    const RasterCamera cam =
        RasterCamera::LookAt(Point3(0.0f, 0.0f, 1.0f), Point3(0.0f, 10.0f, 1.0f),
                             Point3(0.0f, 0.0f, 1.0f), 64, 64, true);
    RasterImage img(64, 64);
    const Point3 g[3] = {Point3(-1e4f, -1e4f, 0.0f), Point3(1e4f, -1e4f, 0.0f),
                         Point3(0.0f, 1e4f, 0.0f)};
    const AColor green[3] = {{0.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};
    DrawWorldTriangle(img, cam, g, green, img.Bounds());
    for (int x = 0; x < 64; x += 7) {
        EXPECT_EQ(img.Pixel(x, 63).g, 255) << x;
        EXPECT_EQ(img.Pixel(x, 34).g, 255) << x;
        EXPECT_EQ(img.Pixel(x, 29).g, 0) << x;
        EXPECT_EQ(img.Pixel(x, 0).g, 0) << x;
    }
}
