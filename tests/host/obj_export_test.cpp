#include "host/app/obj_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string AsPrintf(float v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
    return text;
}

// Coordinates as "%.9g" prints them: the tiny, the huge, negative zero, the
// ones with nine significant digits and the ones that need exponents.
TEST(WriteObj, VertexLinesPrintEachCoordinateAsPrintfWould) {
    const std::vector<float> values = {0.1f,        -0.0f,        1e-7f,   123456789.0f,
                                       746072.625f, -4056274.25f, 3.4e38f, 1.5e-40f,
                                       491.929321f, -1.0f / 3.0f, 1e9f,    100000000.0f};
    Mesh mesh;
    const int count = static_cast<int>(values.size());
    mesh.setNumVerts(count);
    for (int i = 0; i < count; ++i)
        mesh.setVert(i, Point3(values[i], values[(i + 1) % count], values[(i + 2) % count]));
    mesh.setNumFaces(count / 3);
    for (int f = 0; f < count / 3; ++f) mesh.faces[f].setVerts(3 * f, 3 * f + 1, 3 * f + 2);

    std::ostringstream obj, mtl;
    contorra::WriteObj({{"probe", mesh}}, "probe.mtl", obj, mtl);
    std::istringstream lines(obj.str());
    int seen = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("v ", 0) != 0) continue;
        std::istringstream words(line.substr(2));
        std::string x, y, z;
        words >> x >> y >> z;
        const int i = seen++;
        EXPECT_EQ(x, AsPrintf(values[i])) << line;
        EXPECT_EQ(y, AsPrintf(values[(i + 1) % count])) << line;
        EXPECT_EQ(z, AsPrintf(values[(i + 2) % count])) << line;
    }
    EXPECT_EQ(seen, count);
}

} // namespace
