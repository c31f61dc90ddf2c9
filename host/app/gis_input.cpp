#include "host/app/gis_input.h"

#include <cmath>
#include <cstdlib>

#include "host/app/gdal_module.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace contorra {

namespace {

Point3 Local(const std::array<double, 3>& p, const SceneOrigin& o) {
    return Point3(static_cast<float>(p[0] - o.x), static_cast<float>(p[1] - o.y),
                  static_cast<float>(p[2] - o.z));
}

double Cross(const Point3& a, const Point3& b, const Point3& c) {
    return (double(b.x) - a.x) * (double(c.y) - a.y) - (double(b.y) - a.y) * (double(c.x) - a.x);
}

bool Inside(const Point3& p, const Point3& a, const Point3& b, const Point3& c) {
    return Cross(a, b, p) >= 0 && Cross(b, c, p) >= 0 && Cross(c, a, p) >= 0;
}

// Ear clipping of one simple ring, counter-clockwise; false when it finds no ear.
bool Triangulate(std::vector<int> ring, const std::vector<Point3>& v,
                 std::vector<std::array<int, 3>>& out) {
    double area = 0.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const Point3& a = v[ring[i]];
        const Point3& b = v[ring[(i + 1) % ring.size()]];
        area += double(a.x) * b.y - double(b.x) * a.y;
    }
    if (area < 0) std::reverse(ring.begin(), ring.end());
    while (ring.size() > 3) {
        bool clipped = false;
        for (std::size_t i = 0; i < ring.size() && !clipped; ++i) {
            const std::size_t n = ring.size();
            const int ia = ring[(i + n - 1) % n], ib = ring[i], ic = ring[(i + 1) % n];
            if (Cross(v[ia], v[ib], v[ic]) <= 0) continue;
            bool empty = true;
            for (int k : ring)
                if (k != ia && k != ib && k != ic && Inside(v[k], v[ia], v[ib], v[ic])) {
                    empty = false;
                    break;
                }
            if (!empty) continue;
            out.push_back({ia, ib, ic});
            ring.erase(ring.begin() + static_cast<long>(i));
            clipped = true;
        }
        if (!clipped) return false;
    }
    if (ring.size() == 3) out.push_back({ring[0], ring[1], ring[2]});
    return true;
}

fs::path Resolve(const fs::path& rel, const fs::path& sceneFile) {
    return rel.is_absolute() ? rel : sceneFile.parent_path() / rel;
}

struct GisKeys {
    std::string type;
    GisSource source;
    bool fill = false;
};

// The object's keys, checked; throws SceneFileError.
GisKeys ReadKeys(const json& j, const std::string& path, const fs::path& sceneFile) {
    auto fail = [&](const std::string& at, const std::string& problem) {
        throw SceneFileError(sceneFile, at, problem);
    };
    GisKeys k;
    k.type = j.at("type").get<std::string>();
    const std::string allowed = k.type == "shape"
                                    ? "\"type\", \"file\", \"layer\", \"elevation\" or \"fill\""
                                    : "\"type\", \"file\", \"layer\" or \"elevation\"";
    for (auto it = j.begin(); it != j.end(); ++it) {
        const std::string at = path + "/" + it.key();
        if (it.key() == "type") continue;
        if (it.key() == "fill" && k.type == "shape") {
            if (!it->is_boolean()) fail(at, "expected true or false");
            k.fill = it->get<bool>();
        } else if (it.key() == "file" || it.key() == "layer" || it.key() == "elevation") {
            if (!it->is_string()) fail(at, "expected a string");
            const std::string v = it->get<std::string>();
            if (it.key() == "file") k.source.file = Resolve(v, sceneFile);
            if (it.key() == "layer") k.source.layer = v;
            if (it.key() == "elevation") k.source.elevation = v;
        } else {
            fail(at, "unknown key \"" + it.key() + "\" (expected " + allowed + ")");
        }
    }
    if (k.source.file.empty()) fail(path, "missing \"file\"");
    return k;
}

} // namespace

GisLayer ReadGisLayer(const GisSource& source, bool needHeights) {
    GisLayer out;
    const std::string error = Gdal().readLayer(source, needHeights, out);
    if (!error.empty()) throw GisError(error);
    return out;
}

std::optional<WorldBox> GisExtent(const GisSource& source) {
    double box[4];
    if (!Gdal().extent(source, box)) return std::nullopt;
    WorldBox extent;
    extent.Add(box[0], box[1]);
    extent.Add(box[2], box[3]);
    return extent;
}

JsonSpline GisSpline(const GisLayer& layer, const SceneOrigin& origin) {
    JsonSpline s;
    for (const GisLine& l : layer.lines) {
        JsonSplineLine line;
        line.closed = l.closed;
        for (const auto& p : l.points) line.points.push_back(Local(p, origin));
        s.lines.push_back(std::move(line));
    }
    return s;
}

JsonMesh GisFaces(const GisLayer& layer, const SceneOrigin& origin, const std::string& where) {
    std::vector<Point3> verts;
    std::vector<std::array<int, 3>> tris;
    for (const GisLine& l : layer.lines) {
        if (!l.closed) continue;
        if (l.hole) throw GisError(where + ": a polygon with holes cannot be filled");
        std::vector<int> ring;
        for (const auto& p : l.points) {
            ring.push_back(static_cast<int>(verts.size()));
            verts.push_back(Local(p, origin));
        }
        if (ring.size() < 3 || !Triangulate(ring, verts, tris))
            throw GisError(where + ": a polygon ring does not make faces (too few points or "
                                   "crossing sides)");
    }
    if (tris.empty()) throw GisError(where + ": no polygon to fill");
    JsonMesh m;
    m.mesh.setNumVerts(static_cast<int>(verts.size()));
    for (std::size_t i = 0; i < verts.size(); ++i) m.mesh.setVert(static_cast<int>(i), verts[i]);
    m.mesh.setNumFaces(static_cast<int>(tris.size()));
    for (std::size_t f = 0; f < tris.size(); ++f) {
        Face& face = m.mesh.faces[f];
        face.setVerts(tris[f][0], tris[f][1], tris[f][2]);
        face.setSmGroup(1);
        face.setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
    }
    m.mesh.buildBoundingBox();
    return m;
}

JsonObject ReadGisObject(const json& j, const std::string& path, const fs::path& sceneFile,
                         const SceneOrigin& origin, std::string& crsWkt) {
    const GisKeys k = ReadKeys(j, path, sceneFile);
    try {
        const bool contours = k.type == "contours";
        GisLayer layer = ReadGisLayer(k.source, contours || k.fill);
        if (layer.lines.empty())
            throw GisError(k.source.file.string() + ": layer \"" + layer.name +
                           "\" holds no line or polygon");
        if (crsWkt.empty()) crsWkt = layer.crsWkt;
        if (k.fill) {
            JsonMesh m =
                GisFaces(layer, origin, k.source.file.string() + ": layer \"" + layer.name + "\"");
            m.file = k.source.file;
            return m;
        }
        return GisSpline(layer, origin);
    } catch (const GisError& e) {
        throw SceneFileError(sceneFile, path, e.what());
    }
}

std::optional<WorldBox> GisObjectExtent(const json& j, const fs::path& sceneFile) {
    GisSource s;
    if (j.contains("file") && j["file"].is_string())
        s.file = Resolve(j["file"].get<std::string>(), sceneFile);
    if (j.contains("layer") && j["layer"].is_string()) s.layer = j["layer"].get<std::string>();
    if (s.file.empty()) return std::nullopt;
    return GisExtent(s);
}

} // namespace contorra

namespace contorra {

JsonScene ContourScene(const GisSource& source) {
    json object = {{"type", "contours"}, {"file", fs::absolute(source.file).string()}};
    if (!source.layer.empty()) object["layer"] = source.layer;
    if (!source.elevation.empty()) object["elevation"] = source.elevation;
    const json doc = {
        {"nodes",
         {{{"name", "Contours"}, {"object", object}},
          {{"name", "Terrain"}, {"object", {{"type", "terrain"}, {"splines", {"Contours"}}}}}}}};
    return ParseJsonScene(doc.dump(), source.file);
}

} // namespace contorra
