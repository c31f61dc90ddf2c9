#pragma once
// Wavefront OBJ files written by the host itself: one "v" line per mesh
// vertex (and per distinct vertex colour of it), so vertices that share a
// position but not an index, as along a split outline, stay apart in the
// file. Materials are "MatID_n" (n one-based) in a .mtl file beside it.
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "host/app/scene_export.h"

namespace contorra {

// The OBJ text of the nodes, naming mtlFile as the material library.
void WriteObj(const std::vector<NodeMesh>& nodes, const std::string& mtlFile, std::ostream& obj,
              std::ostream& mtl);

// Writes path and its .mtl atomically. Throws std::runtime_error naming the file.
void ExportObj(const std::vector<NodeMesh>& nodes, const std::filesystem::path& path);

} // namespace contorra
