#include "host/app/json_modifiers.h"

#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"
#include "host/app/scene.h"
#include "host/sdk/modifier.h"
#include "host/sdk/param_block2.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace contorra {

namespace {

// The block parameter the target names.
constexpr const char* kTargetParam = "Land_Object";

std::string Join(const std::string& path, const std::string& key) {
    std::string escaped;
    for (char c : key)
        escaped += c == '~' ? std::string("~0") : c == '/' ? "~1" : std::string(1, c);
    return path + "/" + escaped;
}
std::string Join(const std::string& path, std::size_t index) {
    return path + "/" + std::to_string(index);
}

[[noreturn]] void Fail(const fs::path& file, const std::string& path, const std::string& what) {
    throw SceneFileError(file, path, what);
}

std::string NodeName(const fs::path& file, const json& j, const std::string& path) {
    if (!j.is_string() || j.get<std::string>().empty())
        Fail(file, path, "expected a node name, got " + j.dump());
    return j.get<std::string>();
}

JsonModifier ReadModifier(const fs::path& file, const json& j, const std::string& path) {
    if (!j.is_object()) Fail(file, path, "expected a modifier (an object), got " + j.dump());
    JsonModifier m;
    m.path = path;
    const std::set<std::string> known = {"type", "target", "nodes", "parameters"};
    for (auto it = j.begin(); it != j.end(); ++it)
        if (!known.count(it.key()))
            Fail(file, Join(path, it.key()),
                 "unknown key \"" + it.key() +
                     "\" (expected \"type\", \"target\", \"nodes\" or \"parameters\")");
    for (const char* key : {"type", "target", "nodes"})
        if (!j.contains(key)) Fail(file, path, std::string("missing \"") + key + "\"");
    const json& type = j.at("type");
    if (!type.is_string()) Fail(file, Join(path, "type"), "expected a string, got " + type.dump());
    m.type = type.get<std::string>();
    if (m.type != "Terravel")
        Fail(file, Join(path, "type"),
             "unknown modifier type \"" + m.type + "\" (expected \"Terravel\")");
    m.target = {NodeName(file, j.at("target"), Join(path, "target")), Join(path, "target")};
    const json& nodes = j.at("nodes");
    const std::string np = Join(path, "nodes");
    if (!nodes.is_array() || nodes.empty())
        Fail(file, np, "expected a list of the names of the nodes to drape");
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        JsonNodeRef ref{NodeName(file, nodes[i], Join(np, i)), Join(np, i)};
        for (const JsonNodeRef& other : m.nodes)
            if (other.name == ref.name)
                Fail(file, ref.path, "\"" + ref.name + "\" is listed twice (" + other.path + ")");
        m.nodes.push_back(std::move(ref));
    }
    if (j.contains("parameters")) {
        const json& params = j.at("parameters");
        const std::string pp = Join(path, "parameters");
        if (!params.is_object())
            Fail(file, pp, "expected parameters by internal name (an object), got " + params.dump());
        for (auto it = params.begin(); it != params.end(); ++it) {
            if (it.key() == kTargetParam)
                Fail(file, Join(pp, it.key()), "the terrain is given by \"target\"");
            m.parameters.push_back({it.key(), *it, Join(pp, it.key())});
        }
    }
    return m;
}

// Parameters other than the target: numbers, switches and node names, checked
// against the modifier's block.
void SetParam(const fs::path& file, IParamBlock2* pb, const JsonModifierParam& p, Scene& scene) {
    const ParamDef* d = nullptr;
    std::string names;
    for (const ParamDef& def : pb->GetDesc()->paramdefs) {
        if (def.int_name == p.name) d = &def;
        names += (names.empty() ? "\"" : ", \"") + def.int_name + "\"";
    }
    if (!d)
        Fail(file, p.path, "the modifier has no parameter \"" + p.name + "\" (it has " + names + ")");
    const ParamType2 type = BaseType(d->type);
    BOOL ok = FALSE;
    if (IsTabType(d->type)) Fail(file, p.path, "\"" + p.name + "\" cannot be set from a scene file");
    if (type == TYPE_INODE) {
        INode* node = p.value.is_string() ? scene.FindByName(p.value.get<std::string>()) : nullptr;
        if (!node) Fail(file, p.path, "expected the name of a node of the scene, got " + p.value.dump());
        ok = pb->SetValue(d->ID, 0, static_cast<ReferenceTarget*>(node));
    } else if (type == TYPE_FLOAT || type == TYPE_WORLD || type == TYPE_ANGLE ||
               type == TYPE_INT || type == TYPE_BOOL) {
        double v = 0.0;
        if (p.value.is_boolean() && type == TYPE_BOOL)
            v = p.value.get<bool>() ? 1.0 : 0.0;
        else if (p.value.is_number() && std::isfinite(p.value.get<double>()))
            v = p.value.get<double>();
        else
            Fail(file, p.path, "expected a number, got " + p.value.dump());
        const bool integer = type == TYPE_INT || type == TYPE_BOOL;
        if (integer && v != std::floor(v))
            Fail(file, p.path, "expected a whole number, got " + p.value.dump());
        const double lo = integer ? d->range_low.i : d->range_low.f;
        const double hi = integer ? d->range_high.i : d->range_high.f;
        if (d->has_range && (v < lo || v > hi)) {
            std::ostringstream msg;
            msg << "\"" << p.name << "\" is " << lo << " .. " << hi << ", got " << v;
            Fail(file, p.path, msg.str());
        }
        ok = integer ? pb->SetValue(d->ID, 0, static_cast<int>(v))
                     : pb->SetValue(d->ID, 0, static_cast<float>(v));
    } else {
        Fail(file, p.path, "\"" + p.name + "\" cannot be set from a scene file");
    }
    if (!ok) Fail(file, p.path, "the modifier refused the value");
}

} // namespace

std::vector<JsonModifier> ReadJsonModifiers(const json& list, const std::string& path,
                                            const fs::path& file) {
    if (!list.is_array()) Fail(file, path, "expected a list of modifiers, got " + list.dump());
    std::vector<JsonModifier> out;
    for (std::size_t i = 0; i < list.size(); ++i)
        out.push_back(ReadModifier(file, list[i], Join(path, i)));
    return out;
}

void CheckJsonModifierNodes(const JsonScene& scene) {
    std::map<std::string, const JsonNode*> byName;
    for (const JsonNode& n : scene.nodes) byName[n.name] = &n;
    for (const JsonModifier& m : scene.modifiers) {
        auto target = byName.find(m.target.name);
        if (target == byName.end())
            Fail(scene.file, m.target.path, "unknown node \"" + m.target.name + "\"");
        if (!std::holds_alternative<JsonTerrain>(target->second->object))
            Fail(scene.file, m.target.path,
                 "\"" + m.target.name + "\" is not a terrain (its object needs \"type\": \"terrain\")");
        for (const JsonNodeRef& ref : m.nodes) {
            auto node = byName.find(ref.name);
            if (node == byName.end()) Fail(scene.file, ref.path, "unknown node \"" + ref.name + "\"");
            if (ref.name == m.target.name)
                Fail(scene.file, ref.path, "the terrain cannot be draped over itself");
            const JsonObject& obj = node->second->object;
            if (!std::holds_alternative<JsonMesh>(obj) && !std::holds_alternative<JsonBox>(obj))
                Fail(scene.file, ref.path,
                     "\"" + ref.name + "\" holds no mesh or box; only those can be draped");
        }
    }
}

void AddJsonModifiers(const JsonScene& js, Scene& scene, const ClassRegistry& registry) {
    for (const JsonModifier& m : js.modifiers) {
        ClassDesc* cd = registry.Find(WSM_CLASS_ID, kConformClassID);
        if (!cd)
            Fail(js.file, Join(m.path, "type"),
                 "the conform modifier is not available (is the plug-in loaded?)");
        auto* mod = dynamic_cast<WSModifier*>(static_cast<Animatable*>(cd->Create(FALSE)));
        IParamBlock2* pb = mod ? mod->GetParamBlock(0) : nullptr;
        if (!pb) {
            if (mod) mod->DeleteThis();
            Fail(js.file, Join(m.path, "type"), "the plug-in made no conform modifier");
        }
        INode* target = scene.FindByName(m.target.name);
        if (!target) Fail(js.file, m.target.path, "unknown node \"" + m.target.name + "\"");
        std::vector<INode*> nodes;
        for (const JsonNodeRef& ref : m.nodes) {
            INode* n = scene.FindByName(ref.name);
            if (!n) Fail(js.file, ref.path, "unknown node \"" + ref.name + "\"");
            nodes.push_back(n);
        }
        // Until a node holds it, the modifier is ours to delete.
        try {
            JsonModifierParam land{kTargetParam, json(m.target.name), m.target.path};
            SetParam(js.file, pb, land, scene);
            for (const JsonModifierParam& p : m.parameters) SetParam(js.file, pb, p, scene);
        } catch (...) {
            mod->DeleteAllRefsFromMe();
            mod->DeleteThis();
            throw;
        }
        for (INode* n : nodes) n->AddWSModifier(mod);
    }
}

std::vector<INode*> DrapedNodes(Scene& scene) {
    std::vector<INode*> out;
    for (INode* n : scene.Nodes())
        if (n->NumWSModifiers() > 0) out.push_back(n);
    return out;
}

} // namespace contorra
