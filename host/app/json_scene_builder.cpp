#include "host/app/json_scene_builder.h"

#include <cmath>
#include <map>
#include <sstream>

#include "host/sdk/box_object.h"
#include "host/sdk/spline_shape.h"
#include "host/sdk/tri_object.h"

namespace contorra {

namespace {

using nlohmann::json;

class Builder {
public:
    Builder(const JsonScene& js, Scene& scene, const ClassRegistry& registry)
        : js_(js), scene_(scene), registry_(registry) {}

    [[noreturn]] void Fail(const std::string& path, const std::string& problem) const {
        throw SceneFileError(js_.file, path, problem);
    }

    Object* MakeObject(const JsonNode& n) {
        if (const auto* s = std::get_if<JsonSpline>(&n.object)) {
            SplineShape* shape = CreateNewSplineShape();
            for (const JsonSplineLine& l : s->lines) {
                PolyLine& line = shape->shape.NewLine();
                for (const Point3& p : l.points) line.Append(p);
                if (l.closed) line.Close();
            }
            return shape;
        }
        if (const auto* m = std::get_if<JsonMesh>(&n.object)) {
            TriObject* tri = CreateNewTriObject();
            tri->mesh = m->mesh;
            return tri;
        }
        if (const auto* b = std::get_if<JsonBox>(&n.object)) {
            auto* box = dynamic_cast<BoxObject*>(Create(boxObjectClassID, n.path + "/object/type"));
            if (!box) Fail(n.path + "/object/type", "the host cannot make boxes");
            box->width = b->width;
            box->length = b->length;
            box->height = b->height;
            return box;
        }
        if (std::holds_alternative<JsonTerrain>(n.object)) {
            Object* obj = Create(kTerrainClassID, n.path + "/object/type");
            if (!obj || !obj->GetParamBlock(0))
                Fail(n.path + "/object/type", "the plug-in's terrain class made no terrain object");
            return obj;
        }
        return nullptr;
    }

    std::vector<INode*> Run() {
        scene_.origin = js_.origin;
        std::vector<std::pair<const JsonNode*, INode*>> terrains;
        for (const JsonNode& n : js_.nodes) {
            INode* parent = n.parent.empty() ? nullptr : byName_.at(n.parent);
            INode* node = scene_.CreateNode(MakeObject(n), n.name, parent);
            const Matrix3 parentTM = parent ? parent->GetNodeTM(0) : Matrix3(1);
            node->SetNodeTM(0, n.transform * parentTM);
            if (n.hasWireColor) node->SetWireColor(n.wireColor);
            byName_[n.name] = node;
            if (std::holds_alternative<JsonTerrain>(n.object)) terrains.emplace_back(&n, node);
        }
        // Lists name other nodes, so they are filled once every node exists.
        std::vector<INode*> out;
        for (auto [n, node] : terrains) {
            Fill(std::get<JsonTerrain>(n->object), node->GetObjectRef()->GetParamBlock(0));
            out.push_back(node);
        }
        return out;
    }

private:
    Object* Create(const Class_ID& cid, const std::string& path) {
        ClassDesc* cd = registry_.Find(GEOMOBJECT_CLASS_ID, cid);
        if (!cd)
            Fail(path, cid == kTerrainClassID
                           ? "the terrain class is not available (is the plug-in loaded?)"
                           : "the host has no such class");
        auto* a = static_cast<Animatable*>(cd->Create(FALSE));
        return dynamic_cast<Object*>(a);
    }

    const ParamDef* Find(IParamBlock2* pb, const std::string& name) const {
        for (const ParamDef& d : pb->GetDesc()->paramdefs)
            if (d.int_name == name) return &d;
        return nullptr;
    }

    std::string Known(IParamBlock2* pb) const {
        std::string s;
        for (const ParamDef& d : pb->GetDesc()->paramdefs)
            if (!IsTabType(d.type)) s += (s.empty() ? "" : ", ") + d.int_name;
        return s;
    }

    double Number(const JsonParam& p) const {
        if (!p.value.is_number()) Fail(p.path, "expected a number, got " + p.value.dump());
        const double v = p.value.get<double>();
        if (!std::isfinite(v)) Fail(p.path, "the number is not finite");
        return v;
    }

    void CheckRange(const ParamDef& d, const JsonParam& p, double v, bool integer) const {
        if (!d.has_range) return;
        const double lo = integer ? d.range_low.i : d.range_low.f;
        const double hi = integer ? d.range_high.i : d.range_high.f;
        if (v < lo || v > hi) {
            std::ostringstream msg;
            msg << "\"" << p.name << "\" is " << lo << " .. " << hi << ", got " << v;
            Fail(p.path, msg.str());
        }
    }

    // Sets one value (of a table when index >= 0) from JSON, checked against its definition.
    void Set(IParamBlock2* pb, const ParamDef& d, const JsonParam& p, int index) {
        const int tab = index < 0 ? 0 : index;
        BOOL ok = FALSE;
        switch (BaseType(d.type)) {
        case TYPE_INT:
        case TYPE_BOOL:
        case TYPE_INDEX:
        case TYPE_RADIOBTN_INDEX:
        case TYPE_TIMEVALUE: {
            double v = p.value.is_boolean() && BaseType(d.type) == TYPE_BOOL
                           ? (p.value.get<bool>() ? 1.0 : 0.0)
                           : Number(p);
            if (v != std::floor(v)) Fail(p.path, "expected a whole number, got " + p.value.dump());
            CheckRange(d, p, v, true);
            ok = pb->SetValue(d.ID, 0, static_cast<int>(v), tab);
            break;
        }
        case TYPE_FLOAT:
        case TYPE_WORLD:
        case TYPE_ANGLE:
        case TYPE_PCNT_FRAC:
        case TYPE_COLOR_CHANNEL: {
            const double v = Number(p);
            CheckRange(d, p, v, false);
            ok = pb->SetValue(d.ID, 0, static_cast<float>(v), tab);
            break;
        }
        case TYPE_POINT3:
        case TYPE_RGBA:
        case TYPE_FRGBA: {
            if (!p.value.is_array() || p.value.size() != 3)
                Fail(p.path, "expected a list of 3 numbers");
            Point3 v;
            for (int i = 0; i < 3; ++i) {
                const json& c = p.value[static_cast<std::size_t>(i)];
                if (!c.is_number() || !std::isfinite(c.get<double>()))
                    Fail(p.path + "/" + std::to_string(i), "expected a finite number");
                v[i] = c.get<float>();
            }
            ok = BaseType(d.type) == TYPE_POINT3 ? pb->SetValue(d.ID, 0, v, tab)
                                                 : pb->SetValue(d.ID, 0, Color(v.x, v.y, v.z), tab);
            break;
        }
        case TYPE_STRING:
        case TYPE_FILENAME:
            if (!p.value.is_string()) Fail(p.path, "expected a string, got " + p.value.dump());
            ok = pb->SetValue(d.ID, 0, p.value.get<std::string>().c_str(), tab);
            break;
        case TYPE_INODE: {
            if (!p.value.is_string()) Fail(p.path, "expected a node name, got " + p.value.dump());
            auto it = byName_.find(p.value.get<std::string>());
            if (it == byName_.end())
                Fail(p.path, "unknown node \"" + p.value.get<std::string>() + "\"");
            ok = pb->SetValue(d.ID, 0, static_cast<ReferenceTarget*>(it->second), tab);
            break;
        }
        default:
            Fail(p.path, "\"" + p.name + "\" cannot be set from a scene file");
        }
        if (!ok) Fail(p.path, "the terrain object refused the value");
    }

    void Fill(const JsonTerrain& t, IParamBlock2* pb) {
        for (const JsonParam& p : t.parameters) {
            const ParamDef* d = Find(pb, p.name);
            if (!d)
                Fail(p.path, "the terrain object has no parameter \"" + p.name + "\" (it has " +
                                 Known(pb) + ")");
            if (IsTabType(d->type))
                Fail(p.path, "\"" + p.name + "\" is set per entry of the terrain's lists");
            Set(pb, *d, p, -1);
        }
        for (int l = 0; l < kListCount; ++l) {
            const auto list = static_cast<TerrainList>(l);
            const std::vector<JsonListEntry>& entries = t.lists[l];
            if (entries.empty()) continue;
            const ParamDef* nodes = Find(pb, TerrainListNodeParam(list));
            if (!nodes || BaseType(nodes->type) != TYPE_INODE || !IsTabType(nodes->type))
                Fail(entries.front().path,
                     std::string("the terrain object has no list ") + TerrainListNodeParam(list));
            const int slots = pb->Count(nodes->ID);
            for (std::size_t i = 0; i < entries.size(); ++i) {
                const JsonListEntry& e = entries[i];
                if (static_cast<int>(i) >= slots)
                    Fail(e.path, "the list holds " + std::to_string(slots) + " entries");
                Set(pb, *nodes, JsonParam{nodes->int_name, json(e.node), e.nodePath},
                    static_cast<int>(i));
                for (const JsonParam& v : e.values) {
                    const ParamDef* d = Find(pb, v.name);
                    if (!d || !IsTabType(d->type))
                        Fail(v.path, "the terrain object has no list value \"" + v.name + "\"");
                    Set(pb, *d, v, static_cast<int>(i));
                }
            }
        }
    }

    const JsonScene& js_;
    Scene& scene_;
    const ClassRegistry& registry_;
    std::map<std::string, INode*> byName_;
};

} // namespace

std::vector<INode*> AddJsonScene(const JsonScene& json, Scene& scene,
                                 const ClassRegistry& registry) {
    std::vector<INode*> terrains = Builder(json, scene, registry).Run();
    AddJsonModifiers(json, scene, registry);
    return terrains;
}

} // namespace contorra
