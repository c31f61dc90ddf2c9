#include "host/app/json_scene.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>

#include "host/app/gis_input.h"
#include "host/app/input_file.h"
#include "host/app/json_mesh_edges.h"
#include "host/app/json_type_name.h"
#include "host/app/mesh_import.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace contorra {

namespace {

struct ListLayout {
    const char* key;
    const char* nodeParam;
    std::vector<const char*> companions;
};

const ListLayout kLists[kListCount] = {
    {"splines", "Spline_Node", {}},
    {"platforms",
     "Platform_Node",
     {"Slope_Up", "Slope_Down", "Platform_ID", "SlopeUp_ID", "SlopeDown_ID"}},
    {"inserts", "Insert_Node", {"Insert_ID", "Insert_type", "Insert_split"}},
    {"uvw_zones", "UVW_Node", {"Map_ch", "UVW_width", "UVW_zone", "UVW_angle"}},
};

constexpr std::size_t kMaxListEntries = 200;

std::string Join(const std::string& path, const std::string& key) {
    std::string escaped;
    for (char c : key) {
        if (c == '~')
            escaped += "~0";
        else if (c == '/')
            escaped += "~1";
        else
            escaped += c;
    }
    return path + "/" + escaped;
}
std::string Join(const std::string& path, std::size_t index) {
    return path + "/" + std::to_string(index);
}

// Walks the document keeping the JSON path of every value for its errors.
class Reader {
public:
    explicit Reader(fs::path file) : file_(std::move(file)) {}
    const fs::path& File() const { return file_; }
    SceneOrigin origin;         // GIS files are read relative to it
    std::string* crs = nullptr; // receives the first GIS file's system

    [[noreturn]] void Fail(const std::string& path, const std::string& problem) const {
        throw SceneFileError(file_, path, problem);
    }

    void Expect(const json& j, json::value_t type, const std::string& path,
                const char* what) const {
        const bool ok = type == json::value_t::number_float ? j.is_number() : j.type() == type;
        if (!ok) Fail(path, std::string("expected ") + what + ", got " + JsonTypeName(j));
    }

    double Number(const json& j, const std::string& path) const {
        if (!j.is_number()) Fail(path, "expected a number, got " + JsonTypeName(j));
        const double v = j.get<double>();
        if (!std::isfinite(v)) Fail(path, "the number is not finite");
        return v;
    }
    float Float(const json& j, const std::string& path) const {
        const double v = Number(j, path);
        if (std::fabs(v) > std::numeric_limits<float>::max()) Fail(path, "the number is too large");
        return static_cast<float>(v);
    }
    int Integer(const json& j, const std::string& path) const {
        if (j.is_number_float()) {
            const double v = Number(j, path);
            if (v != std::floor(v)) Fail(path, "expected a whole number, got " + j.dump());
        } else if (!j.is_number()) {
            Fail(path, "expected a whole number, got " + JsonTypeName(j));
        }
        const double v = j.get<double>();
        if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            Fail(path, "the number is out of range");
        return static_cast<int>(v);
    }
    std::string String(const json& j, const std::string& path) const {
        if (!j.is_string()) Fail(path, "expected a string, got " + JsonTypeName(j));
        return j.get<std::string>();
    }
    bool Bool(const json& j, const std::string& path) const {
        if (!j.is_boolean()) Fail(path, "expected true or false, got " + JsonTypeName(j));
        return j.get<bool>();
    }
    Point3 Point(const json& j, const std::string& path, std::size_t minSize = 3) const {
        if (!j.is_array() || j.size() < minSize || j.size() > 3)
            Fail(path, minSize == 3 ? "expected a list of 3 numbers [x, y, z]"
                                    : "expected a list of 2 or 3 numbers [x, y, z]");
        Point3 p;
        for (std::size_t i = 0; i < j.size(); ++i)
            p[static_cast<int>(i)] = Float(j[i], Join(path, i));
        return p;
    }

    // An object's keys: Take marks a key as known; Finish fails on the rest.
    class Object {
    public:
        Object(const Reader& r, const json& j, std::string path, const char* what)
            : r_(r), j_(j), path_(std::move(path)) {
            if (!j.is_object())
                r.Fail(path_, std::string("expected ") + what + " (an object), got " + JsonTypeName(j));
        }
        const json* Take(const std::string& key) {
            known_.insert(key);
            auto it = j_.find(key);
            return it == j_.end() ? nullptr : &*it;
        }
        const json& Need(const std::string& key) {
            const json* v = Take(key);
            if (!v) r_.Fail(path_, "missing \"" + key + "\"");
            return *v;
        }
        std::string At(const std::string& key) const { return Join(path_, key); }
        const std::string& Path() const { return path_; }
        void Finish(const std::string& allowed) const {
            for (auto it = j_.begin(); it != j_.end(); ++it)
                if (!known_.count(it.key()))
                    r_.Fail(Join(path_, it.key()),
                            "unknown key \"" + it.key() + "\" (expected " + allowed + ")");
        }

    private:
        const Reader& r_;
        const json& j_;
        std::string path_;
        std::set<std::string> known_;
    };

private:
    fs::path file_;
};

Matrix3 ReadTransform(const Reader& r, const json& j, const std::string& path) {
    Reader::Object o(r, j, path, "a transform");
    const json* matrix = o.Take("matrix");
    const json* position = o.Take("position");
    const json* rotation = o.Take("rotation");
    const json* scale = o.Take("scale");
    o.Finish("\"position\", \"rotation\", \"scale\" or \"matrix\"");
    if (matrix) {
        if (position || rotation || scale)
            r.Fail(o.At("matrix"), "give either \"matrix\" or position, rotation and scale");
        if (!matrix->is_array() || matrix->size() != 4)
            r.Fail(o.At("matrix"),
                   "expected 4 rows of 3 numbers (x axis, y axis, z axis, position)");
        Matrix3 m;
        for (std::size_t i = 0; i < 4; ++i)
            m.SetRow(static_cast<int>(i), r.Point((*matrix)[i], Join(o.At("matrix"), i)));
        return m;
    }
    Matrix3 m(1);
    if (scale) m.Scale(r.Point(*scale, o.At("scale")));
    if (rotation) {
        const Point3 deg = r.Point(*rotation, o.At("rotation"));
        const float k = static_cast<float>(M_PI / 180.0);
        m.RotateX(deg.x * k);
        m.RotateY(deg.y * k);
        m.RotateZ(deg.z * k);
    }
    if (position) m.Translate(r.Point(*position, o.At("position")));
    return m;
}

DWORD ReadColour(const Reader& r, const json& j, const std::string& path) {
    int c[3] = {0, 0, 0};
    if (j.is_string()) {
        const std::string s = j.get<std::string>();
        const bool ok = s.size() == 7 && s[0] == '#' &&
                        s.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos;
        if (!ok) r.Fail(path, "expected a colour \"#RRGGBB\" or [r, g, b], got \"" + s + "\"");
        for (int i = 0; i < 3; ++i) c[i] = std::stoi(s.substr(1 + 2 * i, 2), nullptr, 16);
    } else if (j.is_array() && j.size() == 3) {
        for (std::size_t i = 0; i < 3; ++i) {
            c[i] = r.Integer(j[i], Join(path, i));
            if (c[i] < 0 || c[i] > 255) r.Fail(Join(path, i), "a colour channel is 0 .. 255");
        }
    } else {
        r.Fail(path, "expected a colour \"#RRGGBB\" or [r, g, b], got " + JsonTypeName(j));
    }
    return static_cast<DWORD>(c[0]) | static_cast<DWORD>(c[1]) << 8 |
           static_cast<DWORD>(c[2]) << 16;
}

JsonSpline ReadSpline(const Reader& r, Reader::Object& o) {
    JsonSpline s;
    const json& lines = o.Need("lines");
    r.Expect(lines, json::value_t::array, o.At("lines"), "a list of lines");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string lp = Join(o.At("lines"), i);
        Reader::Object lo(r, lines[i], lp, "a line");
        JsonSplineLine line;
        const json& pts = lo.Need("points");
        r.Expect(pts, json::value_t::array, lo.At("points"), "a list of points");
        if (pts.size() < 2) r.Fail(lo.At("points"), "a line needs at least 2 points");
        for (std::size_t k = 0; k < pts.size(); ++k)
            line.points.push_back(r.Point(pts[k], Join(lo.At("points"), k), 2));
        if (const json* c = lo.Take("closed")) line.closed = r.Bool(*c, lo.At("closed"));
        lo.Finish("\"points\" or \"closed\"");
        s.lines.push_back(std::move(line));
    }
    o.Finish("\"type\" or \"lines\"");
    return s;
}

JsonMesh ReadMesh(const Reader& r, Reader::Object& o) {
    JsonMesh m;
    const json* file = o.Take("file");
    const json* verts = o.Take("vertices");
    const json* faces = o.Take("faces");
    const json* ids = o.Take("material_ids");
    const json* smoothing = o.Take("smoothing_groups");
    const json* selected = o.Take("selected_edges");
    o.Finish("\"type\", \"file\" or \"vertices\", \"faces\", \"material_ids\", "
             "\"smoothing_groups\", \"selected_edges\"");
    if (file) {
        if (verts || faces || ids || smoothing || selected)
            r.Fail(o.At("file"), "give either \"file\" or \"vertices\" and \"faces\"");
        const fs::path rel = r.String(*file, o.At("file"));
        m.file = rel.is_absolute() ? rel : r.File().parent_path() / rel;
        try {
            m.mesh = ImportMesh(m.file);
        } catch (const std::runtime_error& e) {
            r.Fail(o.At("file"), e.what());
        }
        return m;
    }
    if (!verts || !faces) r.Fail(o.Path(), "a mesh needs \"file\", or \"vertices\" and \"faces\"");
    r.Expect(*verts, json::value_t::array, o.At("vertices"), "a list of points");
    r.Expect(*faces, json::value_t::array, o.At("faces"), "a list of faces");
    Mesh& mesh = m.mesh;
    mesh.setNumVerts(static_cast<int>(verts->size()));
    for (std::size_t i = 0; i < verts->size(); ++i)
        mesh.setVert(static_cast<int>(i), r.Point((*verts)[i], Join(o.At("vertices"), i)));
    mesh.setNumFaces(static_cast<int>(faces->size()));
    if (ids) {
        r.Expect(*ids, json::value_t::array, o.At("material_ids"), "a list of material IDs");
        if (ids->size() != faces->size())
            r.Fail(o.At("material_ids"), "expected one material ID per face (" +
                                             std::to_string(faces->size()) + "), got " +
                                             std::to_string(ids->size()));
    }
    for (std::size_t f = 0; f < faces->size(); ++f) {
        const std::string fp = Join(o.At("faces"), f);
        const json& face = (*faces)[f];
        if (!face.is_array() || face.size() != 3)
            r.Fail(fp, "expected a face [a, b, c] of three vertex indices");
        int v[3];
        for (std::size_t k = 0; k < 3; ++k) {
            v[k] = r.Integer(face[k], Join(fp, k));
            if (v[k] < 0 || v[k] >= mesh.getNumVerts())
                r.Fail(Join(fp, k), "vertex index " + std::to_string(v[k]) + " is not in 0 .. " +
                                        std::to_string(mesh.getNumVerts() - 1));
        }
        Face& mf = mesh.faces[f];
        mf.setVerts(v);
        mf.setSmGroup(1);
        mf.setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
        if (ids) {
            const std::string ip = Join(o.At("material_ids"), f);
            const int id = r.Integer((*ids)[f], ip);
            if (id < 1 || id > 65536) r.Fail(ip, "a material ID is 1 .. 65536");
            mf.setMatID(static_cast<MtlID>(id - 1));
        }
    }
    if (smoothing) ReadSmoothingGroups(*smoothing, o.At("smoothing_groups"), r.File(), mesh);
    if (selected) ReadSelectedEdges(*selected, o.At("selected_edges"), r.File(), mesh);
    mesh.buildBoundingBox();
    return m;
}

JsonBox ReadBox(const Reader& r, Reader::Object& o) {
    JsonBox b;
    for (auto [key, field] : {std::pair{"width", &b.width}, std::pair{"length", &b.length},
                              std::pair{"height", &b.height}})
        if (const json* v = o.Take(key)) *field = r.Float(*v, o.At(key));
    o.Finish("\"type\", \"width\", \"length\" or \"height\"");
    return b;
}

std::vector<JsonParam> ReadParams(const Reader& r, const json& j, const std::string& path) {
    Reader::Object o(r, j, path, "parameters by internal name");
    std::vector<JsonParam> out;
    for (auto it = j.begin(); it != j.end(); ++it) {
        const std::string p = Join(path, it.key());
        if (it->is_number()) r.Number(*it, p); // rejects non-finite values early
        out.push_back({it.key(), *it, p});
    }
    return out;
}

JsonTerrain ReadTerrain(const Reader& r, Reader::Object& o) {
    JsonTerrain t;
    if (const json* p = o.Take("parameters")) t.parameters = ReadParams(r, *p, o.At("parameters"));
    for (int l = 0; l < kListCount; ++l) {
        const ListLayout& layout = kLists[l];
        const json* list = o.Take(layout.key);
        if (!list) continue;
        const std::string lp = o.At(layout.key);
        r.Expect(*list, json::value_t::array, lp, "a list of node names or entries");
        if (list->size() > kMaxListEntries)
            r.Fail(lp, "at most " + std::to_string(kMaxListEntries) + " entries, got " +
                           std::to_string(list->size()));
        for (std::size_t i = 0; i < list->size(); ++i) {
            const std::string ep = Join(lp, i);
            const json& e = (*list)[i];
            JsonListEntry entry;
            entry.path = ep;
            entry.nodePath = ep;
            if (e.is_string()) {
                entry.node = e.get<std::string>();
            } else {
                entry.nodePath = Join(ep, "node");
                Reader::Object eo(r, e, ep, "a node name or an entry {\"node\": ...}");
                entry.node = r.String(eo.Need("node"), eo.At("node"));
                std::string allowed = "\"node\"";
                for (const char* c : layout.companions) {
                    allowed += std::string(", \"") + c + "\"";
                    if (const json* v = eo.Take(c)) {
                        r.Number(*v, eo.At(c));
                        entry.values.push_back({c, *v, eo.At(c)});
                    }
                }
                eo.Finish(allowed);
            }
            t.lists[l].push_back(std::move(entry));
        }
    }
    o.Finish("\"type\", \"parameters\", \"splines\", \"platforms\", \"inserts\" or \"uvw_zones\"");
    return t;
}

JsonObject ReadObject(const Reader& r, const json& j, const std::string& path) {
    Reader::Object o(r, j, path, "an object");
    const std::string type = r.String(o.Need("type"), o.At("type"));
    if (type == "spline") return ReadSpline(r, o);
    if (type == "mesh") return ReadMesh(r, o);
    if (type == "box") return ReadBox(r, o);
    if (type == "terrain") return ReadTerrain(r, o);
    if (type == "contours" || type == "shape")
        return ReadGisObject(j, path, r.File(), r.origin, *r.crs);
    r.Fail(o.At("type"), "unknown object type \"" + type +
                             "\" (expected \"spline\", \"mesh\", \"box\", \"terrain\", "
                             "\"contours\" or \"shape\")");
}

// The document; a syntax error is reported with the JSON path where it was
// met, since the parser's own errors know the line but not the place. The
// path is tracked only to report an error: the library's callback parser
// scans the enclosing list at the end of every object, which is quadratic in
// a long "nodes" list.
json ParseTracked(const Reader& r, const std::string& text) {
    try {
        return json::parse(text);
    } catch (const json::exception&) {
        // Parsed again below, watching where it fails.
    }
    struct Frame {
        bool array;
        std::size_t index;
        std::string key;
    };
    std::vector<Frame> frames;
    auto here = [&frames] {
        std::string path;
        for (const Frame& f : frames) path = f.array ? Join(path, f.index) : Join(path, f.key);
        return path;
    };
    auto done = [&frames] {
        if (!frames.empty() && frames.back().array) ++frames.back().index;
    };
    json::parser_callback_t track = [&](int, json::parse_event_t event, json& parsed) {
        switch (event) {
        case json::parse_event_t::object_start:
            frames.push_back({false, 0, {}});
            break;
        case json::parse_event_t::array_start:
            frames.push_back({true, 0, {}});
            break;
        case json::parse_event_t::key:
            frames.back().key = parsed.get<std::string>();
            break;
        case json::parse_event_t::object_end:
        case json::parse_event_t::array_end:
            frames.pop_back();
            done();
            break;
        case json::parse_event_t::value:
            done();
            break;
        }
        return true;
    };
    try {
        return json::parse(text, track);
    } catch (const json::out_of_range&) {
        // Numbers too large for a double are the only non-finite values JSON can hold.
        r.Fail(here(), "the number is not finite");
    } catch (const json::exception& e) {
        // The library's message carries the line and column.
        std::string what = e.what();
        const auto pos = what.find("parse error");
        r.Fail("", pos == std::string::npos ? what : what.substr(pos));
    }
}

// One entry of "nodes"; its name must be new and its material one of the
// scene's materials.
JsonNode ReadNode(const Reader& r, const json& j, const std::string& np, const JsonScene& scene,
                  const std::map<std::string, std::size_t>& byName) {
    Reader::Object o(r, j, np, "a node");
    JsonNode node;
    node.path = np;
    node.name = r.String(o.Need("name"), o.At("name"));
    if (node.name.empty()) r.Fail(o.At("name"), "a node needs a name");
    if (auto same = byName.find(node.name); same != byName.end())
        r.Fail(o.At("name"), "the name \"" + node.name + "\" is already used by " +
                                 scene.nodes[same->second].path);
    if (const json* p = o.Take("parent")) node.parent = r.String(*p, o.At("parent"));
    if (const json* t = o.Take("transform"))
        node.transform = ReadTransform(r, *t, o.At("transform"));
    if (const json* c = o.Take("wire_color")) {
        node.wireColor = ReadColour(r, *c, o.At("wire_color"));
        node.hasWireColor = true;
    }
    if (const json* obj = o.Take("object")) node.object = ReadObject(r, *obj, o.At("object"));
    if (const json* m = o.Take("material")) {
        node.materialPath = o.At("material");
        node.material = r.String(*m, node.materialPath);
        bool known = false;
        for (const JsonMaterial& mtl : scene.materials) known = known || mtl.name == node.material;
        if (!known) r.Fail(node.materialPath, "unknown material \"" + node.material + "\"");
    }
    o.Finish("\"name\", \"parent\", \"transform\", \"wire_color\", \"object\" or \"material\"");
    return node;
}

// Names given elsewhere (parents, list entries) must be nodes of the file.
void CheckNodeNames(const Reader& r, const JsonScene& scene,
                    const std::map<std::string, std::size_t>& byName) {
    for (const JsonNode& n : scene.nodes) {
        if (!n.parent.empty() && !byName.count(n.parent))
            r.Fail(n.path + "/parent", "unknown node \"" + n.parent + "\"");
        if (const auto* t = std::get_if<JsonTerrain>(&n.object))
            for (const auto& list : t->lists)
                for (const JsonListEntry& e : list)
                    if (!byName.count(e.node))
                        r.Fail(e.nodePath, "unknown node \"" + e.node + "\"");
    }
}

// Parents first: the nodes ordered by depth, in file order otherwise.
// Parents must not loop.
void SortParentsFirst(const Reader& r, JsonScene& scene,
                      const std::map<std::string, std::size_t>& byName) {
    // Each node's depth is found once: a walk stops at the first node whose
    // depth is known, so a long chain costs one look-up per node.
    const std::size_t count = scene.nodes.size();
    std::vector<std::size_t> parentOf(count, count);
    for (std::size_t i = 0; i < count; ++i)
        if (!scene.nodes[i].parent.empty()) parentOf[i] = byName.at(scene.nodes[i].parent);
    constexpr int kUnknown = -1, kOnPath = -2;
    std::vector<int> depth(count, kUnknown);
    std::vector<std::size_t> path;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t k = i;
        while (k < count && depth[k] == kUnknown) {
            depth[k] = kOnPath;
            path.push_back(k);
            k = parentOf[k];
        }
        if (k < count && depth[k] == kOnPath)
            r.Fail(scene.nodes[k].path + "/parent",
                   "the parents of \"" + scene.nodes[k].name + "\" form a loop");
        int d = k < count ? depth[k] : -1;
        for (auto it = path.rbegin(); it != path.rend(); ++it) depth[*it] = ++d;
        path.clear();
    }
    std::vector<std::size_t> order(scene.nodes.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return depth[a] < depth[b]; });
    std::vector<JsonNode> sorted;
    for (std::size_t i : order) sorted.push_back(std::move(scene.nodes[i]));
    scene.nodes = std::move(sorted);
}

} // namespace

SceneFileError::SceneFileError(const fs::path& f, const std::string& p, const std::string& what)
    : std::runtime_error(f.string() + ": " + (p.empty() ? std::string() : p + ": ") + what),
      file(f.string()), path(p), problem(what) {}

const char* TerrainListKey(TerrainList list) {
    return kLists[list].key;
}
const char* TerrainListNodeParam(TerrainList list) {
    return kLists[list].nodeParam;
}

JsonScene ParseJsonScene(const std::string& text, const fs::path& file) {
    Reader r(file);
    json doc = ParseTracked(r, text);
    JsonScene scene;
    scene.file = file;
    try {
        scene.origin = PlaceSceneOrigin(doc, [&file](const json& object, const std::string&) {
            return GisObjectExtent(object, file);
        });
    } catch (const std::invalid_argument& e) {
        const std::string what = e.what();
        const auto colon = what.find(": ");
        r.Fail(what.substr(0, colon), what.substr(colon + 2));
    }
    r.origin = scene.origin;
    r.crs = &scene.crsWkt;
    Reader::Object top(r, doc, "", "a scene");
    if (const json* d = top.Take("description")) r.String(*d, top.At("description"));
    const json& nodes = top.Need("nodes");
    if (const json* m = top.Take("materials"))
        scene.materials = ReadJsonMaterials(*m, "/materials", file);
    if (const json* m = top.Take("modifiers"))
        scene.modifiers = ReadJsonModifiers(*m, "/modifiers", file);
    top.Finish("\"nodes\", \"materials\", \"modifiers\" or \"description\"");
    r.Expect(nodes, json::value_t::array, "/nodes", "a list of nodes");

    std::map<std::string, std::size_t> byName;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        JsonNode node = ReadNode(r, nodes[i], Join("/nodes", i), scene, byName);
        byName[node.name] = scene.nodes.size();
        scene.nodes.push_back(std::move(node));
    }
    CheckNodeNames(r, scene, byName);
    CheckJsonModifierNodes(scene);
    SortParentsFirst(r, scene, byName);
    return scene;
}

JsonScene ReadJsonScene(const fs::path& file) {
    std::string text, error;
    if (!ReadInputFile(file.string(), text, error)) throw SceneFileError(file, "", error);
    return ParseJsonScene(text, file);
}

} // namespace contorra
