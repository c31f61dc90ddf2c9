#include <gtest/gtest.h>

#include "host/app/memory_estimate.h"
#include "host/app/memory_limit.h"

using namespace contorra;

namespace {

TEST(MemoryLimit, ReadsMeminfoAndTakesTheTighterCgroupLimit) {
    const std::string meminfo = "MemTotal:       24000000 kB\n"
                                "MemFree:         1000000 kB\n"
                                "MemAvailable:    2000000 kB\n";
    auto a = AvailableMemoryFrom(meminfo, "", "");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->bytes, 2000000ull * 1024);
    EXPECT_NE(a->source.find("MemAvailable"), std::string::npos);

    // A cgroup allowing 1 GiB with 256 MiB in use leaves 768 MiB.
    a = AvailableMemoryFrom(meminfo, "1073741824\n", "268435456\n");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->bytes, 768ull << 20);
    EXPECT_NE(a->source.find("cgroup"), std::string::npos);
    // "max" and a limit above what the machine has change nothing; a cgroup over its limit leaves
    // 0.
    EXPECT_EQ(AvailableMemoryFrom(meminfo, "max\n", "5")->bytes, 2000000ull * 1024);
    EXPECT_EQ(AvailableMemoryFrom(meminfo, "9223372036854771712", "0")->bytes, 2000000ull * 1024);
    EXPECT_EQ(AvailableMemoryFrom(meminfo, "100", "200")->bytes, 0u);
    EXPECT_FALSE(AvailableMemoryFrom("MemTotal: 5 kB\n", "", ""));
    EXPECT_TRUE(AvailableMemory()) << "this machine shows /proc/meminfo";
}

TEST(MemoryLimit, ParsesSizesAsPeopleWriteThem) {
    EXPECT_EQ(ParseMemorySize("2G"), 2ull << 30);
    EXPECT_EQ(ParseMemorySize("500M"), 500ull << 20);
    EXPECT_EQ(ParseMemorySize("64k"), 64ull << 10);
    EXPECT_EQ(ParseMemorySize("1.5GiB"), 3ull << 29);
    EXPECT_EQ(ParseMemorySize("2TB"), 2ull << 40);
    EXPECT_EQ(ParseMemorySize("1000000"), 1000000u);
    for (const char* bad : {"", "G", "0", "0.1", "-5M", "5X", "5MM", "1e3", "lots", "1.2.3G",
                            "99999999999999999999999"})
        EXPECT_FALSE(ParseMemorySize(bad)) << bad;
    EXPECT_EQ(FormatBytes(512), "512 bytes");
    EXPECT_EQ(FormatBytes(3ull << 29), "1.50 GiB");
    EXPECT_EQ(FormatBytes(200ull << 20), "200 MiB");
}

TEST(MemoryEstimate, FollowsTheGridAndRefusesWhatCannotFit) {
    EXPECT_EQ(GridSide(0), 2u);
    EXPECT_EQ(GridSide(1), 3u);
    EXPECT_EQ(GridSide(10), 1025u);
    EXPECT_EQ(GridSide(16), 65537u);

    // The grid alone at its 44 bytes per node is a floor; each level about
    // quadruples it once the grid dominates.
    for (int levels = 1; levels <= 16; ++levels) {
        const double side = static_cast<double>(GridSide(levels));
        const auto e = EstimateTerrainBuild(levels, 200.0, 3000.0, 500);
        EXPECT_GE(static_cast<double>(e.total), 44.0 * side * side) << levels;
        EXPECT_NE(e.detail.find(std::to_string(GridSide(levels)) + " x "), std::string::npos);
        if (levels >= 13) {
            const auto before = EstimateTerrainBuild(levels - 1, 200.0, 3000.0, 500);
            EXPECT_GT(static_cast<double>(e.total), 3.5 * static_cast<double>(before.total));
        }
    }
    // Level 16 cannot fit on any machine of today; level 10 fits on a small one.
    EXPECT_GT(EstimateTerrainBuild(16, 200.0, 3000.0, 500).total, 150ull << 30);
    EXPECT_LT(EstimateTerrainBuild(10, 200.0, 3000.0, 500).total, 512ull << 20);
    // Longer contours at the same extent mean more samples.
    EXPECT_GT(EstimateTerrainBuild(14, 200.0, 300000.0, 500).total,
              EstimateTerrainBuild(14, 200.0, 3000.0, 500).total);

    EXPECT_GT(EstimateRender(16384, 16384).total, 16384ull * 16384 * 8);
    EXPECT_LT(EstimateRender(640, 480).total, EstimateRender(1280, 960).total);
}

} // namespace
