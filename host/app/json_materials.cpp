#include "host/app/json_materials.h"

#include <cmath>
#include <cstring>
#include <set>
#include <sstream>

#include "host/app/chunk_io.h"
#include "host/app/json_scene.h"
#include "host/app/scene.h"
#include "host/sdk/param_block2.h"
#include "host/sdk/std_material.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace contorra {

namespace {

std::string Join(const std::string& path, const std::string& key) {
    std::string escaped;
    for (char c : key)
        escaped += c == '~' ? std::string("~0") : c == '/' ? "~1" : std::string(1, c);
    return path + "/" + escaped;
}
std::string Join(const std::string& path, std::size_t index) {
    return path + "/" + std::to_string(index);
}

const char* const kCurveNames[] = {"linear", "exponential", "gamma", "solid", "none"};

class Reader {
public:
    explicit Reader(const fs::path& file) : file_(file) {}

    [[noreturn]] void Fail(const std::string& path, const std::string& problem) const {
        throw SceneFileError(file_, path, problem);
    }

    // The keys of an object; Finish fails on any key not asked for.
    struct Keys {
        const Reader& r;
        const json& j;
        std::string path;
        std::set<std::string> known;
        Keys(const Reader& reader, const json& value, std::string at, const char* what)
            : r(reader), j(value), path(std::move(at)) {
            if (!j.is_object()) r.Fail(path, std::string("expected ") + what + " (an object)");
        }
        const json* Take(const std::string& key) {
            known.insert(key);
            auto it = j.find(key);
            return it == j.end() ? nullptr : &*it;
        }
        std::string At(const std::string& key) const { return Join(path, key); }
        void Finish(const std::string& allowed) const {
            for (auto it = j.begin(); it != j.end(); ++it)
                if (!known.count(it.key()))
                    r.Fail(Join(path, it.key()),
                           "unknown key \"" + it.key() + "\" (expected " + allowed + ")");
        }
    };

    float Float(const json& j, const std::string& path) const {
        if (!j.is_number()) Fail(path, "expected a number, got " + j.dump());
        const double v = j.get<double>();
        if (!std::isfinite(v) || std::fabs(v) > 3.0e38) Fail(path, "the number is not finite");
        return static_cast<float>(v);
    }

    std::string String(const json& j, const std::string& path) const {
        if (!j.is_string()) Fail(path, "expected a string, got " + j.dump());
        return j.get<std::string>();
    }

    // "#RRGGBB" or [r, g, b] with channels 0 .. 255, as node wire colours.
    Color Colour(const json& j, const std::string& path) const {
        float c[3] = {0.0f, 0.0f, 0.0f};
        if (j.is_string()) {
            const std::string s = j.get<std::string>();
            if (s.size() != 7 || s[0] != '#' ||
                s.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
                Fail(path, "expected a colour \"#RRGGBB\" or [r, g, b], got \"" + s + "\"");
            for (int i = 0; i < 3; ++i)
                c[i] = static_cast<float>(std::stoi(s.substr(1 + 2 * i, 2), nullptr, 16)) / 255.0f;
        } else if (j.is_array() && j.size() == 3) {
            for (std::size_t i = 0; i < 3; ++i) {
                const float v = Float(j[i], Join(path, i));
                if (v < 0.0f || v > 255.0f) Fail(Join(path, i), "a colour channel is 0 .. 255");
                c[i] = v / 255.0f;
            }
        } else {
            Fail(path, "expected a colour \"#RRGGBB\" or [r, g, b], got " + j.dump());
        }
        return Color(c[0], c[1], c[2]);
    }

    int Curve(const json& j, const std::string& path) const {
        const std::string s = String(j, path);
        for (int i = 0; i < 5; ++i)
            if (s == kCurveNames[i]) return i;
        Fail(path,
             "unknown curve type \"" + s +
                 "\" (expected \"linear\", \"exponential\", \"gamma\", \"solid\" or \"none\")");
    }

    JsonEdgeMap Map(const json& j, const std::string& path) const {
        Keys o(*this, j, path, "a map");
        JsonEdgeMap map;
        map.path = path;
        const json* type = o.Take("type");
        if (!type) Fail(path, "missing \"type\"");
        const std::string t = String(*type, o.At("type"));
        if (t != "GradientEdge")
            Fail(o.At("type"), "unknown map type \"" + t + "\" (expected \"GradientEdge\")");
        if (const json* params = o.Take("parameters")) {
            Keys p(*this, *params, o.At("parameters"), "parameters by internal name");
            for (auto it = params->begin(); it != params->end(); ++it)
                map.parameters.push_back({it.key(), *it, Join(p.path, it.key())});
        }
        if (const json* markers = o.Take("markers")) {
            const std::string mp = o.At("markers");
            if (!markers->is_array()) Fail(mp, "expected a list of markers");
            if (markers->size() < 2) Fail(mp, "a ramp needs at least 2 markers");
            for (std::size_t i = 0; i < markers->size(); ++i) {
                Keys m(*this, (*markers)[i], Join(mp, i), "a marker");
                JsonMarker marker;
                const json* pos = m.Take("position");
                if (!pos) Fail(m.path, "missing \"position\"");
                marker.position = Float(*pos, m.At("position"));
                if (marker.position < 0.0f || marker.position > 1.0f)
                    Fail(m.At("position"), "a marker's position is 0 .. 1");
                if (!map.markers.empty() && !(marker.position > map.markers.back().position))
                    Fail(m.At("position"), "markers go in increasing order of position");
                if (const json* c = m.Take("color"))
                    marker.color = AColor(Colour(*c, m.At("color")), 1.0f);
                if (const json* c = m.Take("transparent_color"))
                    marker.transparentColor = AColor(Colour(*c, m.At("transparent_color")), 0.0f);
                if (const json* c = m.Take("in")) marker.inType = Curve(*c, m.At("in"));
                if (const json* c = m.Take("out")) marker.outType = Curve(*c, m.At("out"));
                m.Finish("\"position\", \"color\", \"transparent_color\", \"in\" or \"out\"");
                map.markers.push_back(marker);
            }
        }
        o.Finish("\"type\", \"parameters\" or \"markers\"");
        return map;
    }

private:
    fs::path file_;
};

// The map's block is the plug-in's; its definitions say what a value may be.
void SetMapParam(const Reader& r, IParamBlock2* pb, const JsonMapParam& p) {
    const ParamDef* d = nullptr;
    std::string known;
    for (const ParamDef& def : pb->GetDesc()->paramdefs) {
        if (def.int_name == p.name) d = &def;
        const ParamType2 t = BaseType(def.type);
        if (!IsTabType(def.type) && (t == TYPE_FLOAT || t == TYPE_INT || t == TYPE_BOOL))
            known += (known.empty() ? "\"" : ", \"") + def.int_name + "\"";
    }
    if (!d) r.Fail(p.path, "the map has no parameter \"" + p.name + "\" (it has " + known + ")");
    const ParamType2 type = BaseType(d->type);
    BOOL ok = FALSE;
    if (IsTabType(d->type) || (type != TYPE_FLOAT && type != TYPE_INT && type != TYPE_BOOL))
        r.Fail(p.path, "\"" + p.name + "\" cannot be set from a scene file");
    auto range = [&](double v, double lo, double hi) {
        if (d->has_range && (v < lo || v > hi)) {
            std::ostringstream msg;
            msg << "\"" << p.name << "\" is " << lo << " .. " << hi << ", got " << v;
            r.Fail(p.path, msg.str());
        }
    };
    if (type == TYPE_FLOAT) {
        const float v = r.Float(p.value, p.path);
        range(v, d->range_low.f, d->range_high.f);
        ok = pb->SetValue(d->ID, 0, v);
    } else if (type == TYPE_BOOL && p.value.is_boolean()) {
        ok = pb->SetValue(d->ID, 0, p.value.get<bool>() ? 1 : 0);
    } else {
        const float v = r.Float(p.value, p.path);
        if (v != std::floor(v)) r.Fail(p.path, "expected a whole number, got " + p.value.dump());
        if (type == TYPE_BOOL && v != 0.0f && v != 1.0f)
            r.Fail(p.path, "expected true or false, got " + p.value.dump());
        range(v, d->range_low.i, d->range_high.i);
        ok = pb->SetValue(d->ID, 0, static_cast<int>(v));
    }
    if (!ok) r.Fail(p.path, "the map refused the value");
}

// The markers reach the map the way a saved scene brings them: as the map's
// marker chunk, which its Load reads.
void LoadMarkers(const Reader& r, Texmap* map, const JsonEdgeMap& m) {
    MemorySave save;
    save.BeginChunk(kEdgeGradientMarkersChunk);
    save.WriteInt(static_cast<int>(m.markers.size()));
    for (const JsonMarker& marker : m.markers) {
        unsigned char record[82];
        unsigned char* at = record;
        auto put = [&at](const void* v, std::size_t n) {
            std::memcpy(at, v, n);
            at += n;
        };
        const float active[4] = {1.0f, 0.0f, 0.0f, 0.0f}, reactive[4] = {0.0f, 1.0f, 0.0f, 0.0f};
        const float base[4] = {marker.color.r, marker.color.g, marker.color.b, marker.color.a};
        const float clear[4] = {marker.transparentColor.r, marker.transparentColor.g,
                                marker.transparentColor.b, marker.transparentColor.a};
        const unsigned char mapOn = 1;
        const std::uint32_t flags = 0;
        put(&marker.position, 4);
        put(base, 16);
        put(clear, 16);
        put(&mapOn, 1);
        put(&mapOn, 1);
        put(&marker.inType, 4);
        put(&marker.outType, 4);
        put(active, 16);
        put(reactive, 16);
        put(&flags, 4);
        ULONG written = 0;
        save.Write(record, sizeof record, &written);
    }
    save.EndChunk();
    MemoryLoad load(save.Bytes());
    if (save.Status() != IO_OK || map->Load(&load) != IO_OK)
        r.Fail(m.path + "/markers", "the map did not accept its markers");
}

Texmap* MakeMap(const Reader& r, const ClassRegistry& registry, const JsonEdgeMap& m) {
    ClassDesc* cd = registry.Find(TEXMAP_CLASS_ID, kEdgeGradientClassID);
    if (!cd)
        r.Fail(m.path + "/type", "the edge-gradient map is not available (is the plug-in loaded?)");
    auto* map = dynamic_cast<Texmap*>(static_cast<Animatable*>(cd->Create(FALSE)));
    IParamBlock2* pb = map ? map->GetParamBlock(0) : nullptr;
    if (!pb) r.Fail(m.path + "/type", "the plug-in made no edge-gradient map");
    try {
        for (const JsonMapParam& p : m.parameters) SetMapParam(r, pb, p);
        if (!m.markers.empty()) LoadMarkers(r, map, m);
    } catch (...) {
        map->DeleteThis();
        throw;
    }
    return map;
}

} // namespace

std::vector<JsonMaterial> ReadJsonMaterials(const json& list, const std::string& path,
                                            const fs::path& file) {
    Reader r(file);
    if (!list.is_array()) r.Fail(path, "expected a list of materials");
    std::vector<JsonMaterial> out;
    for (std::size_t i = 0; i < list.size(); ++i) {
        Reader::Keys o(r, list[i], Join(path, i), "a material");
        JsonMaterial m;
        m.path = o.path;
        const json* name = o.Take("name");
        if (!name) r.Fail(o.path, "missing \"name\"");
        m.name = r.String(*name, o.At("name"));
        if (m.name.empty()) r.Fail(o.At("name"), "a material needs a name");
        for (const JsonMaterial& other : out)
            if (other.name == m.name)
                r.Fail(o.At("name"),
                       "the name \"" + m.name + "\" is already used by " + other.path);
        if (const json* c = o.Take("diffuse")) m.diffuse = r.Colour(*c, o.At("diffuse"));
        if (const json* v = o.Take("bump_amount")) m.bumpAmount = r.Float(*v, o.At("bump_amount"));
        if (const json* d = o.Take("diffuse_map")) m.diffuseMap = r.Map(*d, o.At("diffuse_map"));
        if (const json* b = o.Take("bump_map")) m.bumpMap = r.Map(*b, o.At("bump_map"));
        o.Finish("\"name\", \"diffuse\", \"diffuse_map\", \"bump_map\" or \"bump_amount\"");
        out.push_back(std::move(m));
    }
    return out;
}

SceneMaterials::~SceneMaterials() {
    for (auto& [name, mtl] : materials_) {
        mtl->DeleteAllRefsFromMe();
        mtl->DeleteThis();
    }
}

void SceneMaterials::Add(std::string name, Mtl* mtl) {
    mtl->SetAFlag(A_LOCK_TARGET);
    materials_.emplace_back(std::move(name), mtl);
}

Mtl* SceneMaterials::Find(const std::string& name) const {
    for (const auto& [n, mtl] : materials_)
        if (n == name) return mtl;
    return nullptr;
}

SceneMaterials AddJsonMaterials(const JsonScene& js, Scene& scene, const ClassRegistry& registry) {
    Reader r(js.file);
    SceneMaterials out;
    for (const JsonMaterial& m : js.materials) {
        StdMat* mtl = NewDefaultStdMat();
        out.Add(m.name, mtl);
        mtl->SetDiffuse(m.diffuse);
        mtl->SetBumpAmount(m.bumpAmount);
        if (m.diffuseMap) mtl->SetSubTexmap(STDMAT_DIFFUSE, MakeMap(r, registry, *m.diffuseMap));
        if (m.bumpMap) mtl->SetSubTexmap(STDMAT_BUMP, MakeMap(r, registry, *m.bumpMap));
    }
    for (const JsonNode& n : js.nodes) {
        if (n.material.empty()) continue;
        INode* node = scene.FindByName(n.name);
        Mtl* mtl = out.Find(n.material);
        if (!node || !mtl) r.Fail(n.materialPath, "unknown material \"" + n.material + "\"");
        node->SetMtl(mtl);
    }
    return out;
}

} // namespace contorra
