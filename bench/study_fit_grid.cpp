// The height grid a build fits to contours, before the mesher: the smooth fit
// with the five passes a build adds, or the exact fit. bench/accuracy/run
// measures it beside the built terrain, so that the fit's own error and the
// mesher's are told apart.
//
//   study_fit_grid LINES LEVELS smooth|exact [TENSION] ULX ULY CELL COLS ROWS OUT.asc [THREADS]
//
// THREADS (default 1) is the worker pool a build would give the fit.
// LINES holds one "x y z" vertex a line, a blank line between contours (a
// contour whose last vertex repeats its first is closed). OUT.asc is an
// ESRI ASCII grid of COLS x ROWS cells of side CELL below and right of
// (ULX, ULY), each the fit's height at the cell's centre, as the build's
// own grid lookup gives it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/contour_sampling.h"
#include "geometry/exact_fit.h"
#include "geometry/height_field.h"
#include "geometry/worker_pool.h"

namespace {

struct Lines {
    std::vector<ContourLine> lines;
    double ox = 0.0, oy = 0.0; // subtracted in double, so float keeps the detail
};

bool Read(const char* path, Lines& out) {
    std::ifstream in(path);
    if (!in) return false;
    std::vector<std::vector<double>> raw;
    std::vector<double> cur;
    std::string line;
    double sx = 0.0, sy = 0.0;
    long n = 0;
    auto flush = [&] {
        if (!cur.empty()) raw.push_back(cur);
        cur.clear();
    };
    while (std::getline(in, line)) {
        std::istringstream s(line);
        double x, y, z;
        if (!(s >> x >> y >> z)) {
            flush();
            continue;
        }
        cur.insert(cur.end(), {x, y, z});
        sx += x;
        sy += y;
        ++n;
    }
    flush();
    if (n == 0) return false;
    out.ox = sx / static_cast<double>(n);
    out.oy = sy / static_cast<double>(n);
    for (const std::vector<double>& r : raw) {
        ContourLine c;
        for (std::size_t k = 0; k + 2 < r.size(); k += 3)
            c.points.emplace_back(static_cast<float>(r[k] - out.ox), static_cast<float>(r[k + 1] - out.oy),
                                  static_cast<float>(r[k + 2]));
        if (c.points.size() > 2 && c.points.front() == c.points.back()) {
            c.points.pop_back();
            c.closed = true;
        }
        out.lines.push_back(std::move(c));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool exact = argc > 3 && std::string(argv[3]) == "exact";
    const int at = exact ? 5 : 4; // the output grid's arguments
    if (argc != at + 6 && argc != at + 7) {
        std::cerr << "usage: study_fit_grid LINES LEVELS smooth|exact [TENSION] ULX ULY CELL COLS "
                     "ROWS OUT.asc [THREADS]\n";
        return 2;
    }
    const int threads = argc == at + 7 ? std::atoi(argv[at + 6]) : 1;
    if (threads < 1 || threads > 256) {
        std::cerr << "study_fit_grid: THREADS must be 1 .. 256\n";
        return 2;
    }
    WorkerPool pool(threads);
    const int levels = std::atoi(argv[2]);
    const double ulx = std::atof(argv[at]), uly = std::atof(argv[at + 1]), cell = std::atof(argv[at + 2]);
    const int cols = std::atoi(argv[at + 3]), rows = std::atoi(argv[at + 4]);
    const char* outPath = argv[at + 5];
    Lines in;
    if (!Read(argv[1], in) || levels < 1 || levels > 14) {
        std::cerr << "study_fit_grid: " << argv[1] << ": no contour vertices, or levels not 1 .. 14\n";
        return 2;
    }
    ContourSegments segments;
    HeightGrid grid;
    SampleSet samples;
    if (!GatherContours(segments, in.lines) || !SetUpSampling(segments, levels, 2.0f, grid, samples)) {
        std::cerr << "study_fit_grid: the contours span no area\n";
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    if (exact) {
        ExactFitSettings settings;
        settings.tension = static_cast<float>(std::atof(argv[4]));
        const ExactFitReport r = FitExactHeightField(grid, in.lines, levels, settings, nullptr, &pool);
        std::cerr << "exact fit: " << r.cycles << " cycles, last move " << r.lastChange
                  << (r.converged ? " (converged)\n" : " (not converged)\n");
    } else {
        FitHeightField(grid, samples, levels, nullptr, &pool);
        for (int i = 0; i < 5; ++i) SmoothGrid(grid.heights.data(), grid.gridSize, &pool);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::ofstream out(outPath);
    out.precision(10);
    out << "ncols " << cols << "\nnrows " << rows << "\nxllcorner " << ulx << "\nyllcorner "
        << uly - rows * cell << "\ncellsize " << cell << "\n";
    out.precision(7);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const Point2 p(static_cast<float>(ulx + (c + 0.5) * cell - in.ox),
                           static_cast<float>(uly - (r + 0.5) * cell - in.oy));
            out << GridHeightAt(grid, p) << (c + 1 < cols ? " " : "\n");
        }
    }
    if (!out) {
        std::cerr << "study_fit_grid: cannot write " << outPath << "\n";
        return 1;
    }
    std::printf("%.3f\n", seconds);
    return 0;
}
