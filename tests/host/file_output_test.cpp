#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "host/app/atomic_file.h"
#include "host/app/png_file.h"

using namespace contorra;
namespace fs = std::filesystem;

namespace {

struct TempDir {
    fs::path path;
    TempDir() {
        path =
            fs::temp_directory_path() /
            ("contorra_out_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    std::vector<std::string> Names() const {
        std::vector<std::string> n;
        for (const auto& e : fs::directory_iterator(path))
            n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    }
};

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Put(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

} // namespace

TEST(AtomicOutput, CommittedFilesAppearWithTheirSidecarsAndNothingElse) {
    TempDir dir;
    const fs::path target = dir.path / "terrain.gltf";
    Put(target, "old");
    WriteAtomically(target, [](const fs::path& staged) {
        EXPECT_NE(staged.parent_path(), staged.parent_path().parent_path());
        EXPECT_EQ(staged.filename(), "terrain.gltf");
        Put(staged, "new");
        Put(staged.parent_path() / "terrain.bin", "buffer");
    });
    EXPECT_EQ(Slurp(target), "new");
    EXPECT_EQ(Slurp(dir.path / "terrain.bin"), "buffer");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"terrain.bin", "terrain.gltf"}));
}

TEST(AtomicOutput, FailedWritesKeepTheOldFileAndLeaveNoTrace) {
    TempDir dir;
    const fs::path target = dir.path / "mesh.obj";
    Put(target, "the user's mesh");
    EXPECT_THROW(WriteAtomically(target,
                                 [](const fs::path& staged) {
                                     Put(staged, "half a me");
                                     throw std::runtime_error("disk full");
                                 }),
                 std::runtime_error);
    EXPECT_EQ(Slurp(target), "the user's mesh");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"mesh.obj"});

    // A writer that produced nothing is a failure too.
    try {
        WriteAtomically(target, [](const fs::path&) {});
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("mesh.obj"), std::string::npos);
    }
    EXPECT_EQ(Slurp(target), "the user's mesh");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"mesh.obj"});

    // A missing folder is reported with the path.
    try {
        WriteAtomically(dir.path / "nowhere" / "x.png", [](const fs::path& s) { Put(s, "x"); });
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("nowhere"), std::string::npos);
    }
}

TEST(PngFile, RoundTripKeepsEveryChannelAndErrorsNameTheFile) {
    TempDir dir;
    RasterImage img(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            img.SetPixel(x, y,
                         {static_cast<std::uint8_t>(x * 36), static_cast<std::uint8_t>(y * 60),
                          static_cast<std::uint8_t>((x * y) % 256),
                          static_cast<std::uint8_t>(255 - x)});
    const fs::path p = dir.path / "a.png";
    WritePng(p, img);
    const RasterImage back = ReadPng(p);
    ASSERT_EQ(back.Width(), 7);
    ASSERT_EQ(back.Height(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(back.Pixel(x, y), img.Pixel(x, y)) << x << "," << y;

    Put(dir.path / "not.png", "plain text");
    for (const fs::path& bad : {dir.path / "not.png", dir.path / "missing.png"}) {
        try {
            ReadPng(bad);
            FAIL() << bad;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(bad.filename().string()), std::string::npos)
                << e.what();
        }
    }
}
