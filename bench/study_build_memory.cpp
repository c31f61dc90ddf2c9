// How the memory estimate of a terrain build compares with the build's
// measured peak: runs `contorra build` on a generated hill at each level
// count and reads the child's peak resident size (wait4). Exits 1 when a
// build used more than its estimate.
//
//   ./build/release/study_build_memory [FIRST_LEVEL LAST_LEVEL]   (default 6 10)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/app/memory_estimate.h"
#include "host/app/memory_limit.h"

namespace fs = std::filesystem;

namespace {

// Concentric rings 2 m apart on a 200 m site, as a scene with its terrain.
// Their total length and extent go to the estimate as contorra computes them.
std::string HillScene(int levels, double& side, double& length, long long& points) {
    std::string nodes, names;
    side = 0.0;
    length = 0.0;
    points = 0;
    const int rings = 10, perRing = 64;
    for (int r = 0; r < rings; ++r) {
        const double radius = 90.0 - 8.0 * r;
        std::string pts;
        for (int k = 0; k < perRing; ++k) {
            const double a = 2.0 * M_PI * k / perRing;
            const double wobble = 1.0 + 0.1 * std::sin(3.0 * a + r);
            pts += (k ? ", [" : "[") + std::to_string(radius * wobble * std::cos(a)) + ", " +
                   std::to_string(radius * wobble * std::sin(a)) + ", " + std::to_string(2 * r) +
                   "]";
            side = std::max(side, 2.0 * radius * wobble);
        }
        length += 2.0 * M_PI * radius * 1.02;
        points += perRing;
        const std::string name = "Ring " + std::to_string(r);
        nodes += "{\"name\": \"" + name + "\", \"object\": {\"type\": \"spline\", \"lines\": " +
                 "[{\"closed\": true, \"points\": [" + pts + "]}]}},\n";
        names += (r ? ", \"" : "\"") + name + "\"";
    }
    return "{\"nodes\": [\n" + nodes +
           "{\"name\": \"Terrain\", \"object\": {\"type\": \"terrain\", \"parameters\": "
           "{\"Interations\": " +
           std::to_string(levels) + "}, \"splines\": [" + names + "]}}]}\n";
}

// The child's peak resident size in bytes, -1 when it failed.
long long PeakOfBuild(const fs::path& scene, const fs::path& mesh) {
    const pid_t pid = fork();
    if (pid == 0) {
        execl(CONTORRA_BINARY, CONTORRA_BINARY, "--quiet", "build", scene.c_str(), "-o",
              mesh.c_str(), "--max-memory", "1T", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<long long>(usage.ru_maxrss) * 1024;
}

} // namespace

int main(int argc, char** argv) {
    const int first = argc > 2 ? std::atoi(argv[1]) : 6;
    const int last = argc > 2 ? std::atoi(argv[2]) : 10;
    const fs::path dir =
        fs::temp_directory_path() / ("study_build_memory_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::printf("levels  grid side  estimate     peak RSS     peak / estimate\n");
    int status = 0;
    for (int levels = first; levels <= last; ++levels) {
        double side = 0, length = 0;
        long long points = 0;
        const fs::path scene = dir / "hill.json";
        std::ofstream(scene) << HillScene(levels, side, length, points);
        const auto estimate = contorra::EstimateTerrainBuild(levels, side, length, points);
        const long long peak = PeakOfBuild(scene, dir / "hill.obj");
        if (peak < 0) {
            std::printf("%6d  the build failed\n", levels);
            status = 1;
            continue;
        }
        const double ratio = static_cast<double>(peak) / static_cast<double>(estimate.total);
        std::printf("%6d  %9llu  %-11s  %-11s  %.2f%s\n", levels,
                    static_cast<unsigned long long>(contorra::GridSide(levels)),
                    contorra::FormatBytes(estimate.total).c_str(),
                    contorra::FormatBytes(static_cast<std::uint64_t>(peak)).c_str(), ratio,
                    ratio > 1.0 ? "  OVER" : "");
        if (ratio > 1.0) status = 1;
        std::fflush(stdout); // a level takes minutes at the top of the range
    }
    fs::remove_all(dir);
    return status;
}
