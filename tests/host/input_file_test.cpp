// Input files: only regular files are read, and whatever else the user names
// (a folder, a device, a FIFO, a file that cannot be read) is a message that
// names the problem, never an exception or a read that waits forever.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/app/chunk_io.h"
#include "host/app/input_file.h"
#include "host/app/plugin_loader.h"
#include "host/app/scene_file.h"

namespace fs = std::filesystem;
using contorra::CheckInputFile;
using contorra::ReadInputFile;

namespace {

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("input_file_" + std::to_string(getpid()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};

TEST(InputFile, WhatIsNoRegularFileIsRefusedSayingWhatItIs) {
    TempDir dir;
    const fs::path fifo = dir.path / "pipe.cscene";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path, problem;
    } cases[] = {
        {dir.path.string(), "is a directory, not a file"},
        {fifo.string(), "is a named pipe (FIFO), not a regular file"},
        {"/dev/null", "is a device, not a regular file"},
        {(dir.path / "missing.cscene").string(), "cannot open: no such file"},
        {(dir.path / "missing" / "x.json").string(), "cannot open: no such file"},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_FALSE(CheckInputFile(c.path, problem)) << c.path;
        EXPECT_EQ(problem, c.problem) << c.path;
        std::vector<std::uint8_t> bytes{1, 2, 3};
        problem.clear();
        EXPECT_FALSE(ReadInputFile(c.path, bytes, problem)) << c.path;
        EXPECT_EQ(problem, c.problem) << c.path;
        EXPECT_TRUE(bytes.empty()) << c.path;
    }
}

TEST(InputFile, AReadThatFailsPartWayIsAnErrorWithTheSystemsReason) {
    // Reading /proc/self/mem from its start fails: the low pages are unmapped.
    std::string text, problem;
    EXPECT_FALSE(ReadInputFile("/proc/self/mem", text, problem));
    EXPECT_EQ(problem.rfind("cannot read after 0 bytes: ", 0), 0u) << problem;
    EXPECT_TRUE(text.empty());
}

TEST(InputFile, AFileWithoutReadPermissionIsRefused) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    TempDir dir;
    const fs::path file = dir.path / "secret.json";
    std::ofstream(file) << "{}";
    fs::permissions(file, fs::perms::none);
    std::string problem;
    EXPECT_FALSE(CheckInputFile(file.string(), problem));
    EXPECT_EQ(problem, "cannot open: permission denied");
}

TEST(InputFile, RegularFilesAreReadWholeWhateverTheirSize) {
    TempDir dir;
    // Larger than one read, and not a multiple of it.
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
    std::ofstream(dir.path / "big.bin", std::ios::binary) << big;
    std::ofstream(dir.path / "empty.bin", std::ios::binary);
    std::string text, problem;
    ASSERT_TRUE(ReadInputFile((dir.path / "big.bin").string(), text, problem)) << problem;
    EXPECT_EQ(text, big);
    std::vector<std::uint8_t> bytes{9};
    ASSERT_TRUE(ReadInputFile((dir.path / "empty.bin").string(), bytes, problem)) << problem;
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(CheckInputFile((dir.path / "big.bin").string(), problem));
}

TEST(InputFile, SceneAndChunkReadersNameTheFileAndTheProblem) {
    TempDir dir;
    ClassRegistry registry;
    Scene scene;
    std::string error;
    EXPECT_FALSE(LoadSceneFile(scene, registry, dir.path.string(), error));
    EXPECT_EQ(error, dir.path.string() + ": is a directory, not a file");
    EXPECT_FALSE(LoadSceneFile(scene, registry, "/proc/self/mem", error));
    EXPECT_EQ(error.rfind("/proc/self/mem: cannot read after 0 bytes", 0), 0u) << error;
    FileLoad load;
    EXPECT_EQ(load.Open("/dev/null"), IO_ERROR);
    EXPECT_EQ(load.Error(), "/dev/null: is a device, not a regular file");
    EXPECT_EQ(scene.NumNodes(), 0);
}

} // namespace
