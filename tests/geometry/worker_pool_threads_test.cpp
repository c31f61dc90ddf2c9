#include "geometry/worker_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "geometry/size_field.h"
#include "geometry/surface_builder.h"
#include "tests/support/contour_fixtures.h"
#include "tests/support/recording_progress.h"
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

// With a second thread, aside runs while the caller is still in here, and
// here's own jobs on the pool finish while aside keeps its thread: aside
// waits for them (a pool that ran the two in turn, or that waited for the
// busy thread, would time out).
TEST(WorkerPool, RunBesideRunsBothTheCallerTakingHere) {
    for (int threads : {1, 2, 3}) {
        WorkerPool pool(threads);
        std::mutex m;
        std::condition_variable changed;
        bool asideStarted = false, hereRanItsJob = false, sawAside = false, sawJob = false;
        std::thread::id hereOn, asideOn;
        std::atomic<int> pieces{0};
        const auto waitFor = [&](const bool& flag) {
            std::unique_lock<std::mutex> lock(m);
            return changed.wait_for(lock, std::chrono::seconds(30), [&] { return flag; });
        };
        const auto set = [&](bool& flag) {
            const std::lock_guard<std::mutex> lock(m);
            flag = true;
            changed.notify_all();
        };
        pool.RunBeside(
            [&] {
                asideOn = std::this_thread::get_id();
                set(asideStarted);
                if (threads > 1) sawJob = waitFor(hereRanItsJob);
            },
            [&] {
                hereOn = std::this_thread::get_id();
                if (threads > 1) sawAside = waitFor(asideStarted);
                pool.Run(20, [&](int) { ++pieces; });
                set(hereRanItsJob);
            });
        EXPECT_TRUE(asideStarted && hereRanItsJob) << threads;
        EXPECT_EQ(pieces.load(), 20) << threads;
        EXPECT_EQ(hereOn, std::this_thread::get_id()) << threads;
        if (threads > 1) {
            EXPECT_TRUE(sawAside && sawJob) << threads;
            EXPECT_NE(asideOn, hereOn) << threads;
        }
        // The pool takes whole jobs again afterwards.
        pieces = 0;
        pool.Run(50, [&](int) { ++pieces; });
        EXPECT_EQ(pieces.load(), 50) << threads;
    }
}

// A throw on any thread reaches the caller, not before the other pieces are
// done with what the caller owns, and leaves the pool usable.
TEST(WorkerPool, WhatAPieceThrowsReachesTheCallerAfterTheRest) {
    for (int threads : {1, 2, 3}) {
        WorkerPool pool(threads);
        std::atomic<int> runs{0};
        EXPECT_THROW(pool.Run(40,
                              [&](int i) {
                                  ++runs;
                                  if (i == 7 || i == 30) throw std::runtime_error("piece");
                              }),
                     std::runtime_error);
        // In place the pieces after the throw never start.
        EXPECT_EQ(runs.load(), threads == 1 ? 8 : 40) << threads;

        bool hereRan = false, asideRan = false;
        EXPECT_THROW(pool.RunBeside([] { throw std::length_error("aside"); }, [&] { hereRan = true; }),
                     std::length_error);
        EXPECT_THROW(pool.RunBeside([&] { asideRan = true; }, [] { throw std::domain_error("here"); }),
                     std::domain_error);
        EXPECT_TRUE(hereRan);
        EXPECT_EQ(asideRan, threads > 1); // in place aside would come after here

        runs = 0;
        pool.Run(40, [&](int) { ++runs; });
        EXPECT_EQ(runs.load(), 40) << threads;
    }
}

// On a pool the first platform is laid out beside the smooth fit: the grid,
// its material IDs and the order of the bars are those of one thread.
TEST(SurfaceBuilder, APlatformLaidOutBesideTheFitGivesTheSameGrid) {
    SurfaceInputs in;
    in.levels = 6;
    for (const auto& [radius, z] : {std::pair{60.0f, 0.0f}, std::pair{25.0f, 12.0f}}) {
        ContourLine ring;
        ring.closed = true;
        for (int i = 0; i < 24; ++i)
            ring.points.emplace_back(radius * std::cos(0.2617994f * i), radius * std::sin(0.2617994f * i), z);
        in.contours.push_back(ring);
    }
    auto pad = [](const char* name, float x0, float y0, float z) {
        const Point3 q[4] = {{x0, y0, z}, {x0 + 12, y0, z}, {x0 + 12, y0 + 9, z}, {x0, y0 + 9, z}};
        return PlatformInput{name, PlatformSettings{}, {{{q[0], q[1], q[2]}, true}, {{q[0], q[2], q[3]}, true}}};
    };
    in.platforms = {pad("first", -30, -20, 4.0f), pad("second", 10, 5, 20.0f)};

    RecordingProgress alone, shared;
    SurfaceBuilder one(&alone);
    ASSERT_TRUE(one.BuildSurface(in));
    WorkerPool two(2);
    SurfaceBuilder beside(&shared, kDefaultTuning, &two);
    ASSERT_TRUE(beside.BuildSurface(in));

    EXPECT_EQ(beside.Grid().heights, one.Grid().heights);
    EXPECT_EQ(beside.Grid().matIds, one.Grid().matIds);
    // Both pads (and their slopes) are on the grid.
    for (std::int32_t id : {2, 3, 4})
        EXPECT_NE(std::count(one.Grid().matIds.begin(), one.Grid().matIds.end(), id), 0) << id;
    EXPECT_EQ(shared.Titles(), alone.Titles());
    EXPECT_EQ(shared.Titles()[1], "Platform Building: first");
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
