#include "host/app/json_mesh_edges.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "host/app/json_scene.h"

using nlohmann::json;

namespace contorra {

namespace {

std::string At(const std::string& path, std::size_t i) {
    return path + "/" + std::to_string(i);
}

int WholeNumber(const json& j, const std::string& path, const std::filesystem::path& file,
                const char* what) {
    if (!j.is_number() || !std::isfinite(j.get<double>()) ||
        j.get<double>() != std::floor(j.get<double>()))
        throw SceneFileError(file, path, std::string("expected ") + what + ", got " + j.dump());
    const double v = j.get<double>();
    return std::fabs(v) > 1e9 ? -1 : static_cast<int>(v);
}

} // namespace

void ReadSmoothingGroups(const json& list, const std::string& path,
                         const std::filesystem::path& file, Mesh& mesh) {
    const auto faces = static_cast<std::size_t>(mesh.getNumFaces());
    if (!list.is_array() || list.size() != faces)
        throw SceneFileError(file, path,
                             "expected one entry per face (" + std::to_string(faces) +
                                 "): a smoothing group 1 .. 32 or a list of them");
    for (std::size_t f = 0; f < faces; ++f) {
        const std::string fp = At(path, f);
        const json& entry = list[f];
        DWORD bits = 0;
        auto add = [&](const json& g, const std::string& gp) {
            const int group = WholeNumber(g, gp, file, "a smoothing group 1 .. 32");
            if (group < 1 || group > 32)
                throw SceneFileError(file, gp, "a smoothing group is 1 .. 32, got " + g.dump());
            bits |= DWORD(1) << (group - 1);
        };
        if (entry.is_array())
            for (std::size_t k = 0; k < entry.size(); ++k) add(entry[k], At(fp, k));
        else
            add(entry, fp);
        mesh.faces[f].setSmGroup(bits);
    }
}

void ReadSelectedEdges(const json& list, const std::string& path,
                       const std::filesystem::path& file, Mesh& mesh) {
    if (!list.is_array()) throw SceneFileError(file, path, "expected a list of edges [a, b]");
    // Each undirected vertex pair with the face sides that join it.
    std::map<std::pair<DWORD, DWORD>, std::vector<int>> sides;
    for (int f = 0; f < mesh.getNumFaces(); ++f)
        for (int k = 0; k < 3; ++k) {
            DWORD a = mesh.faces[f].v[k], b = mesh.faces[f].v[(k + 1) % 3];
            if (a > b) std::swap(a, b);
            sides[{a, b}].push_back(3 * f + k);
        }
    mesh.edgeSel.SetSize(3 * mesh.getNumFaces());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string ep = At(path, i);
        const json& e = list[i];
        if (!e.is_array() || e.size() != 2)
            throw SceneFileError(file, ep, "expected an edge [a, b] of two vertex indices");
        int v[2];
        for (std::size_t k = 0; k < 2; ++k) {
            v[k] = WholeNumber(e[k], At(ep, k), file, "a vertex index");
            if (v[k] < 0 || v[k] >= mesh.getNumVerts())
                throw SceneFileError(file, At(ep, k),
                                     "vertex index " + e[k].dump() + " is not in 0 .. " +
                                         std::to_string(mesh.getNumVerts() - 1));
        }
        const auto a = static_cast<DWORD>(std::min(v[0], v[1]));
        const auto b = static_cast<DWORD>(std::max(v[0], v[1]));
        auto it = sides.find({a, b});
        if (it == sides.end())
            throw SceneFileError(file, ep,
                                 "no face has an edge from vertex " + std::to_string(v[0]) +
                                     " to vertex " + std::to_string(v[1]));
        for (int side : it->second) mesh.edgeSel.Set(side);
    }
}

} // namespace contorra
