#pragma once
// Reading a mesh file into a host mesh through assimp.
//
// Every triangle of every mesh in the file is taken, with node transforms
// applied; points and lines are ignored and polygons are triangulated.
// Vertices at the same position are joined. A material named "MatID_n" gives
// its faces material ID n, any other material its index + 1 (both one-based).
// UV set k fills map channel k + 1 and the first colour set map channel 0.
// Files of the Y-up formats (glTF, FBX) are turned back to the host's Z-up.
#include <filesystem>

#include "host/sdk/mesh.h"

namespace contorra {

// Throws std::runtime_error naming the file when it is no regular file,
// cannot be read, is cut short or damaged (checked before assimp's own steps
// run, as they assert on what they do not expect), holds a coordinate or
// transform that is not finite (the node and mesh named), or holds no
// triangle.
Mesh ImportMesh(const std::filesystem::path& path);

} // namespace contorra
