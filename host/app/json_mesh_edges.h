#pragma once
// What an inline JSON mesh says about its edges beyond the faces: smoothing
// groups per face and selected edges, both read by the edge-gradient map.
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "host/sdk/mesh.h"

namespace contorra {

// "smoothing_groups": one entry per face, a group number 1 .. 32 or a list of
// them ([] for none). Sets every face's smoothing bits. Throws SceneFileError.
void ReadSmoothingGroups(const nlohmann::json& list, const std::string& path,
                         const std::filesystem::path& file, Mesh& mesh);

// "selected_edges": a list of vertex pairs [a, b]; every face side joining a
// and b is selected. A pair that no face side joins is an error. Throws
// SceneFileError.
void ReadSelectedEdges(const nlohmann::json& list, const std::string& path,
                       const std::filesystem::path& file, Mesh& mesh);

} // namespace contorra
