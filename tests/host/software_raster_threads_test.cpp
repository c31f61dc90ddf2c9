#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "host/app/software_raster.h"

using namespace contorra;

// Threads drawing their own tiles of one image give the image one thread draws.
TEST(RasterThreads, TilesDrawnConcurrentlyMatchOneThread) {
    const RasterCamera cam =
        RasterCamera::LookAt(Point3(40.0f, -60.0f, 50.0f), Point3(0.0f, 0.0f, 0.0f),
                             Point3(0.0f, 0.0f, 1.0f), 160, 120, true);
    auto scene = [&](RasterImage& img, const PixelRect& clip) {
        for (int j = -10; j < 10; ++j)
            for (int i = -10; i < 10; ++i) {
                auto h = [](int x, int y) {
                    return 3.0f * std::sin(0.4f * x) * std::cos(0.3f * y);
                };
                const Point3 p[3] = {Point3(i * 4.0f, j * 4.0f, h(i, j)),
                                     Point3(i * 4.0f + 4, j * 4.0f, h(i + 1, j)),
                                     Point3(i * 4.0f, j * 4.0f + 4, h(i, j + 1))};
                const AColor c[3] = {{0.2f + 0.04f * (i + 10), 0.5f, 0.3f},
                                     {0.4f, 0.6f, 0.1f + 0.04f * (j + 10)},
                                     {0.9f, 0.3f, 0.5f}};
                DrawWorldTriangle(img, cam, p, c, clip);
                DrawWorldLine(img, cam, p[0], p[1], AColor(0.0f, 0.0f, 0.0f), clip, 1e-4f);
            }
    };
    RasterImage single(160, 120), shared(160, 120);
    scene(single, single.Bounds());
    const auto tiles = MakeTiles(160, 120, 32);
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (std::size_t k; (k = next++) < tiles.size();) scene(shared, tiles[k]);
        });
    for (auto& w : workers) w.join();
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            ASSERT_EQ(single.Pixel(x, y), shared.Pixel(x, y)) << x << "," << y;
}
