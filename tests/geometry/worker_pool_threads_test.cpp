#include "geometry/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "geometry/size_field.h"
#include "tests/support/contour_fixtures.h"
#include "tests/support/stage_parts.h"

namespace {

TEST(WorkerPool, RunsEveryPieceOnceJobAfterJob) {
    for (int threads : {1, 2, 4}) {
        WorkerPool pool(threads);
        EXPECT_EQ(pool.Size(), threads);
        for (int count : {0, 1, 3, 64, 1000}) {
            std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
            pool.Run(count, [&](int i) { runs[static_cast<std::size_t>(i)]++; });
            for (int i = 0; i < count; ++i) ASSERT_EQ(runs[i].load(), 1) << threads << " " << count;
        }
    }
}

TEST(RunRanges, CoversTheRangeWithoutOverlapInWholeBlocks) {
    WorkerPool pool(3);
    for (WorkerPool* p : {static_cast<WorkerPool*>(nullptr), &pool})
        for (std::size_t count : {1u, 7u, 16u, 1000u, 4097u}) {
            std::vector<int> hits(count, 0);
            RunRanges(p, count, 16, [&](std::size_t b, std::size_t e) {
                ASSERT_LT(b, e);
                ASSERT_LE(e, count);
                EXPECT_TRUE(b % 16 == 0);
                for (std::size_t i = b; i < e; ++i) hits[i]++;
            });
            EXPECT_EQ(hits, std::vector<int>(count, 1)) << count;
        }
}

// The stages that use the pool, run under the thread checker: the same grid
// and field as on the caller's thread alone.
TEST(WorkerPool, FitAndSizeFieldAreTheSameOnTwoThreads) {
    StageParts b;
    AppendRidgeContours(b, RidgeSurface{}, 400.0, 6.0, 8.0);
    ASSERT_TRUE(b.SetUpSampling(7));
    const HeightGrid start = b.grid;
    b.FitHeightField(7);
    b.BuildSizeField();

    WorkerPool two(2);
    HeightGrid grid = start;
    FitHeightField(grid, b.samples, 7, nullptr, &two);
    EXPECT_EQ(grid.heights, b.grid.heights);
    SizeField field;
    BuildSizeField(field, b.grid, b.tuning, nullptr, &two);
    ASSERT_EQ(field.size(), b.sizeField.size());
    EXPECT_EQ(std::memcmp(field.data(), b.sizeField.data(), field.size() * sizeof(SizeMatrix)), 0);
}

} // namespace
