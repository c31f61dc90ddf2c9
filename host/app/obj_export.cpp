#include "host/app/obj_export.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "host/app/atomic_file.h"
#include "host/app/material_colours.h"

namespace contorra {

namespace {

// A map channel is written only when it has a map face for every face and
// every map face points at an existing map vertex.
bool UsableChannel(const Mesh& mesh, int ch) {
    if (!mesh.mapSupport(ch)) return false;
    const MeshMap& mm = mesh.Map(ch);
    if (mm.getNumFaces() != mesh.getNumFaces()) return false;
    const auto n = static_cast<DWORD>(mm.getNumVerts());
    return std::all_of(mm.tf.begin(), mm.tf.end(),
                       [n](const TVFace& f) { return f.t[0] < n && f.t[1] < n && f.t[2] < n; });
}

int FirstUvChannel(const Mesh& mesh) {
    for (int ch = 1; ch < MAX_MESHMAPS; ++ch)
        if (UsableChannel(mesh, ch)) return ch;
    return -1;
}

std::uint32_t Bits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// A hash of a tuple-like key of integers, element by element.
struct KeyHash {
    template <class Key> std::size_t operator()(const Key& k) const {
        std::size_t h = 0;
        std::apply(
            [&h](const auto&... e) {
                ((h = h * 0x9e3779b97f4a7c15ull + std::hash<std::uint64_t>{}(e)), ...);
            },
            k);
        return h;
    }
};

// Index of a value among those seen so far, adding it when new (OBJ counts from 1).
// Indices follow first sight, so the file does not depend on the table's order.
template <class Key> class Numbering {
public:
    // Answers the index and whether it is new.
    std::pair<int, bool> Get(const Key& k) {
        auto [it, fresh] = index_.emplace(k, next_);
        if (fresh) ++next_;
        return {it->second, fresh};
    }

private:
    std::unordered_map<Key, int, KeyHash> index_;
    int next_ = 1;
};

// A number as the stream would print it at precision 9 ("%.9g"), without
// going through the stream's locale machinery for each one.
struct Number {
    float value;
};

std::ostream& operator<<(std::ostream& out, Number n) {
    char text[32];
    const std::to_chars_result r = std::to_chars(
        text, text + sizeof text, static_cast<double>(n.value), std::chars_format::general, 9);
    return out.write(text, r.ptr - text);
}

std::string ObjName(const std::string& name) {
    std::string s = name.empty() ? std::string("mesh") : name;
    for (char& c : s)
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') c = '_';
    return s;
}

} // namespace

void WriteObj(const std::vector<NodeMesh>& nodes, const std::string& mtlFile, std::ostream& obj,
              std::ostream& mtl) {
    obj << std::setprecision(9);
    obj << "# written by contorra\nmtllib " << mtlFile << "\n";
    std::set<int> usedIds;
    // Numbering runs across the whole file, as OBJ indices do.
    Numbering<std::tuple<std::size_t, DWORD, std::uint32_t, std::uint32_t, std::uint32_t>>
        positions;
    Numbering<std::array<std::uint32_t, 3>> normals;
    Numbering<std::pair<std::size_t, DWORD>> uvs;
    for (std::size_t n = 0; n < nodes.size(); ++n) {
        Mesh mesh = nodes[n].mesh;
        mesh.buildNormals();
        const auto nv = static_cast<DWORD>(mesh.getNumVerts());
        const bool colours = UsableChannel(mesh, 0);
        const int uvChannel = FirstUvChannel(mesh);
        obj << "o " << ObjName(nodes[n].name) << "\n";
        std::map<int, std::vector<int>> byMaterial;
        for (int f = 0; f < mesh.getNumFaces(); ++f) {
            const Face& face = mesh.faces[f];
            if (face.v[0] < nv && face.v[1] < nv && face.v[2] < nv)
                byMaterial[face.getMatID()].push_back(f);
        }
        for (const auto& [id, faces] : byMaterial) {
            usedIds.insert(id);
            obj << "usemtl MatID_" << id + 1 << "\n";
            for (int f : faces) {
                std::string line = "f";
                for (int c = 0; c < 3; ++c) {
                    const DWORD v = mesh.faces[f].v[c];
                    const Point3& p = mesh.verts[v];
                    // A vertex stays one "v" line unless its corners carry different colours.
                    Point3 colour(0.0f, 0.0f, 0.0f);
                    if (colours) colour = mesh.Map(0).tv[mesh.Map(0).tf[f].t[c]];
                    auto [pi, newP] =
                        positions.Get({n, v, Bits(colour.x), Bits(colour.y), Bits(colour.z)});
                    if (newP) {
                        obj << "v " << Number{p.x} << ' ' << Number{p.y} << ' ' << Number{p.z};
                        if (colours)
                            obj << ' ' << Number{colour.x} << ' ' << Number{colour.y} << ' '
                                << Number{colour.z};
                        obj << "\n";
                    }
                    int ti = 0;
                    if (uvChannel >= 0) {
                        const MeshMap& mm = mesh.Map(uvChannel);
                        const DWORD t = mm.tf[f].t[c];
                        bool newT = false;
                        std::tie(ti, newT) = uvs.Get({n, t});
                        if (newT)
                            obj << "vt " << Number{mm.tv[t].x} << ' ' << Number{mm.tv[t].y} << "\n";
                    }
                    const Point3 nrm = mesh.getCornerNormal(f, c);
                    auto [ni, newN] = normals.Get({Bits(nrm.x), Bits(nrm.y), Bits(nrm.z)});
                    if (newN)
                        obj << "vn " << Number{nrm.x} << ' ' << Number{nrm.y} << ' '
                            << Number{nrm.z} << "\n";
                    line += ' ' + std::to_string(pi) + '/' + (ti ? std::to_string(ti) : "") + '/' +
                            std::to_string(ni);
                }
                obj << line << "\n";
            }
        }
    }
    mtl << std::setprecision(6) << "# written by contorra\n";
    if (usedIds.empty()) usedIds.insert(0);
    for (int id : usedIds) {
        const Color c = MaterialIdColour(id + 1);
        mtl << "newmtl MatID_" << id + 1 << "\nKd " << c.r << ' ' << c.g << ' ' << c.b << "\n\n";
    }
}

void ExportObj(const std::vector<NodeMesh>& nodes, const std::filesystem::path& path) {
    WriteAtomically(path, [&](const std::filesystem::path& staged) {
        std::filesystem::path mtlPath = staged;
        mtlPath.replace_extension(".mtl");
        std::ofstream obj(staged, std::ios::binary), mtl(mtlPath, std::ios::binary);
        if (!obj || !mtl) throw std::runtime_error(path.string() + ": cannot create the file");
        WriteObj(nodes, mtlPath.filename().string(), obj, mtl);
        obj.flush();
        mtl.flush();
        if (!obj || !mtl) throw std::runtime_error(path.string() + ": cannot write the file");
    });
}

} // namespace contorra
