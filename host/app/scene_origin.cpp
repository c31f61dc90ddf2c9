#include "host/app/scene_origin.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace contorra {

namespace {

using nlohmann::json;

bool IsPoint(const json& p) {
    if (!p.is_array() || p.size() < 2 || p.size() > 3) return false;
    for (const json& c : p)
        if (!c.is_number() || !std::isfinite(c.get<double>())) return false;
    return true;
}

// Every point array of a node's object (spline points, inline mesh vertices).
template <class F> void ForEachPoint(json& object, F f) {
    if (!object.is_object()) return;
    auto type = object.find("type");
    if (type == object.end() || !type->is_string()) return;
    if (*type == "spline") {
        auto lines = object.find("lines");
        if (lines == object.end() || !lines->is_array()) return;
        for (json& line : *lines) {
            if (!line.is_object() || !line.contains("points") || !line["points"].is_array())
                continue;
            for (json& p : line["points"])
                if (IsPoint(p)) f(p);
        }
    } else if (*type == "mesh") {
        auto verts = object.find("vertices");
        if (verts == object.end() || !verts->is_array()) return;
        for (json& p : *verts)
            if (IsPoint(p)) f(p);
    }
}

bool IsGisObject(const json& object) {
    if (!object.is_object() || !object.contains("type")) return false;
    const json& t = object["type"];
    return t.is_string() && (t == "contours" || t == "shape");
}

// The node's translation (position, or the matrix's fourth row) when there
// is one to read; translationOnly when nothing but a position places it.
json* Translation(json& node, bool& translationOnly) {
    translationOnly = true;
    auto t = node.find("transform");
    if (t == node.end()) return nullptr;
    if (!t->is_object()) {
        translationOnly = false;
        return nullptr;
    }
    for (auto it = t->begin(); it != t->end(); ++it)
        if (it.key() != "position") translationOnly = false;
    if (auto p = t->find("position"); p != t->end()) return IsPoint(*p) ? &*p : nullptr;
    if (auto m = t->find("matrix"); m != t->end() && m->is_array() && m->size() == 4)
        return IsPoint((*m)[3]) ? &(*m)[3] : nullptr;
    return nullptr;
}

double At(const json& p, std::size_t i) {
    return i < p.size() ? p[i].get<double>() : 0.0;
}

void Shift(json& p, double dx, double dy, double dz) {
    p[0] = At(p, 0) - dx;
    p[1] = At(p, 1) - dy;
    if (p.size() == 3 || dz != 0.0) {
        const double z = At(p, 2) - dz;
        if (p.size() == 3)
            p[2] = z;
        else
            p.push_back(z);
    }
}

SceneOrigin ExplicitOrigin(const json& o) {
    if (o.is_boolean() && !o.get<bool>()) return {};
    if (!o.is_array() || o.size() != 3 || !IsPoint(o))
        throw std::invalid_argument("/origin: expected false or a list of 3 numbers [x, y, z]");
    return {o[0].get<double>(), o[1].get<double>(), o[2].get<double>()};
}

bool IsRoot(const json& node) {
    return !node.contains("parent");
}

} // namespace

void WorldBox::Add(double x, double y) {
    // Points no survey holds (the build refuses them, naming them where the
    // file has them) must not pull the origin out to themselves.
    if (!(std::fabs(x) <= kOriginIgnoredBeyond && std::fabs(y) <= kOriginIgnoredBeyond)) return;
    minX = std::min(minX, x);
    minY = std::min(minY, y);
    maxX = std::max(maxX, x);
    maxY = std::max(maxY, y);
}

bool WorldBox::Large() const {
    if (Empty()) return false;
    for (double v : {minX, minY, maxX, maxY})
        if (std::fabs(v) >= kOriginThreshold) return true;
    return false;
}

SceneOrigin OriginFor(const WorldBox& box) {
    if (!box.Large()) return {};
    return {std::round((box.minX + box.maxX) / 2), std::round((box.minY + box.maxY) / 2), 0.0};
}

SceneOrigin PlaceSceneOrigin(json& doc, const ExtentOf& extentOf) {
    if (!doc.is_object()) return {};
    std::optional<SceneOrigin> fixed;
    if (auto o = doc.find("origin"); o != doc.end()) {
        fixed = ExplicitOrigin(*o);
        doc.erase(o);
    }
    auto nodes = doc.find("nodes");
    if (nodes == doc.end() || !nodes->is_array()) return fixed.value_or(SceneOrigin{});

    SceneOrigin origin;
    if (fixed) {
        origin = *fixed;
    } else {
        WorldBox world;
        for (std::size_t i = 0; i < nodes->size(); ++i) {
            json& node = (*nodes)[i];
            if (!node.is_object() || !IsRoot(node)) continue;
            bool plain = true;
            const json* t = Translation(node, plain);
            const double tx = t ? At(*t, 0) : 0.0, ty = t ? At(*t, 1) : 0.0;
            if (t) world.Add(tx, ty);
            if (!plain || !node.contains("object")) continue;
            json& object = node["object"];
            ForEachPoint(object, [&](json& p) { world.Add(At(p, 0) + tx, At(p, 1) + ty); });
            if (IsGisObject(object) && extentOf)
                if (auto box = extentOf(object, "/nodes/" + std::to_string(i) + "/object");
                    box && !box->Empty()) {
                    world.Add(box->minX + tx, box->minY + ty);
                    world.Add(box->maxX + tx, box->maxY + ty);
                }
        }
        origin = OriginFor(world);
    }
    if (origin.IsZero()) return origin;

    for (json& node : *nodes) {
        if (!node.is_object() || !IsRoot(node)) continue;
        bool plain = true;
        json* t = Translation(node, plain);
        json* object = node.contains("object") ? &node["object"] : nullptr;
        // The file reader moves GIS coordinates to the origin itself.
        if (object && IsGisObject(*object)) continue;
        WorldBox placed;
        if (t) placed.Add(At(*t, 0), At(*t, 1));
        if (!plain) {
            if (placed.Large()) Shift(*t, origin.x, origin.y, origin.z);
            continue;
        }
        // Points far out move to their own centre first, in double.
        WorldBox own;
        if (object) ForEachPoint(*object, [&](json& p) { own.Add(At(p, 0), At(p, 1)); });
        const SceneOrigin centre = OriginFor(own);
        // Nodes with nothing far out (a terrain node, say) keep their frame.
        if (centre.IsZero() && !placed.Large()) continue;
        if (object && !centre.IsZero())
            ForEachPoint(*object, [&](json& p) { Shift(p, centre.x, centre.y, 0.0); });
        json position = t ? *t : json::array({0.0, 0.0, 0.0});
        Shift(position, origin.x - centre.x, origin.y - centre.y, origin.z);
        node["transform"]["position"] = position;
    }
    return origin;
}

std::string FormatOrigin(const SceneOrigin& o) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.3f, %.3f, %.3f", o.x, o.y, o.z);
    return buf;
}

} // namespace contorra
