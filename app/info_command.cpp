// contorra info FILE: what a saved scene holds: its nodes, their classes and
// parameter values, and the statistics of the meshes they evaluate to.
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "app/commands.h"
#include "app/table.h"
#include "host/app/core_interface.h"
#include "host/app/scene_file.h"
#include "host/sdk/inode.h"
#include "host/sdk/tri_object.h"

namespace {

std::string Num(float v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

std::string ClassLine(Animatable* a) {
    MSTR name;
    a->GetClassName(name);
    return Quoted(name.c_str()) + ", super class " + SuperClassText(a->SuperClassID()) +
           ", class ID " + ClassIdText(a->ClassID());
}

std::string EntryText(IParamBlock2* pb, const ParamDef& d, int i) {
    ParamType2 base = BaseType(d.type);
    if (IsRefType(d.type)) {
        ReferenceTarget* r = pb->GetReferenceTarget(d.ID, 0, i);
        if (!r) return "none";
        if (auto* n = dynamic_cast<INode*>(r)) return "node " + Quoted(n->GetName());
        MSTR name;
        r->GetClassName(name);
        return Quoted(name.c_str());
    }
    switch (base) {
    case TYPE_INT:
    case TYPE_BOOL:
    case TYPE_INDEX:
    case TYPE_RADIOBTN_INDEX:
    case TYPE_TIMEVALUE:
        return std::to_string(pb->GetInt(d.ID, 0, i));
    case TYPE_POINT3: {
        Point3 p = pb->GetPoint3(d.ID, 0, i);
        return "(" + Num(p.x) + ", " + Num(p.y) + ", " + Num(p.z) + ")";
    }
    case TYPE_RGBA:
    case TYPE_FRGBA:
    case TYPE_HSV: {
        AColor c = pb->GetAColor(d.ID, 0, i);
        return "(" + Num(c.r) + ", " + Num(c.g) + ", " + Num(c.b) + ", " + Num(c.a) + ")";
    }
    case TYPE_STRING:
    case TYPE_FILENAME:
        return Quoted(pb->GetStr(d.ID, 0, i));
    default:
        return Num(pb->GetFloat(d.ID, 0, i));
    }
}

void PrintBlock(IParamBlock2* pb, const std::string& indent) {
    ParamBlockDesc2* desc = pb->GetDesc();
    std::cout << indent << "parameter block " << desc->ID << " " << Quoted(desc->int_name.c_str())
              << ":\n";
    for (const ParamDef& d : desc->paramdefs) {
        std::string head = indent + "  " + d.int_name;
        if (!IsTabType(d.type)) {
            std::cout << head << " = " << EntryText(pb, d, 0)
                      << (pb->IsAnimated(d.ID) ? " (animated)" : "") << "\n";
            continue;
        }
        // Tables: the count, the value most entries share, then the others.
        int n = pb->Count(d.ID);
        std::map<std::string, int> tally;
        for (int i = 0; i < n; ++i) ++tally[EntryText(pb, d, i)];
        std::string common;
        int most = 0;
        for (auto& [text, count] : tally)
            if (count > most) {
                most = count;
                common = text;
            }
        std::cout << head << ": " << n << " entries";
        if (n > 0) std::cout << ", " << (most == n ? "all " : "others ") << common;
        std::cout << "\n";
        for (int i = 0; i < n && most != n; ++i) {
            std::string text = EntryText(pb, d, i);
            if (text != common) std::cout << indent << "    [" << i << "] " << text << "\n";
        }
    }
}

void PrintBlocks(Animatable* a, const std::string& indent) {
    for (int i = 0; i < a->NumParamBlocks(); ++i)
        if (IParamBlock2* pb = a->GetParamBlock(i)) PrintBlock(pb, indent);
}

void PrintMesh(INode* node) {
    const ObjectState& os = node->EvalWorldState(0);
    if (!os.obj) {
        std::cout << "  evaluates to nothing\n";
        return;
    }
    if (!os.obj->CanConvertToType(triObjectClassID)) {
        int faces = 0, verts = 0;
        if (os.obj->PolygonCount(0, faces, verts))
            std::cout << "  mesh: " << verts << " vertices, " << faces << " faces\n";
        else
            std::cout << "  no mesh\n";
        return;
    }
    Object* converted = os.obj->ConvertToType(0, triObjectClassID);
    auto* tri = dynamic_cast<TriObject*>(converted);
    if (tri) {
        Mesh& m = tri->GetMesh();
        std::cout << "  mesh: " << m.getNumVerts() << " vertices, " << m.getNumFaces() << " faces";
        if (m.getNumVerts() > 0) {
            Box3 b = m.getBoundingBox();
            std::cout << ", bounds (" << Num(b.pmin.x) << ", " << Num(b.pmin.y) << ", "
                      << Num(b.pmin.z) << ") - (" << Num(b.pmax.x) << ", " << Num(b.pmax.y) << ", "
                      << Num(b.pmax.z) << ")";
        }
        std::cout << "\n";
        std::set<int> ids;
        for (int f = 0; f < m.getNumFaces(); ++f) ids.insert(m.getFaceMtlIndex(f) + 1);
        std::vector<int> channels;
        for (int c = 0; c < m.getNumMaps(); ++c)
            if (m.mapSupport(c)) channels.push_back(c);
        std::cout << "  material IDs: " << ids.size() << " in use";
        if (!ids.empty()) std::cout << " (" << *ids.begin() << " .. " << *ids.rbegin() << ")";
        std::cout << "; map channels:";
        if (channels.empty()) std::cout << " none";
        for (int c : channels) std::cout << " " << c;
        std::cout << "\n";
    }
    if (converted && converted != os.obj) converted->DeleteThis();
}

} // namespace

Command AddInfoCommand(CLI::App& app, const GlobalOptions& options) {
    CLI::App* sub = app.add_subcommand(
        "info", "Describe a saved scene: nodes, classes, parameter values, meshes");
    auto file = std::make_shared<std::string>();
    sub->add_option("FILE", *file, "a saved scene (.cscene)")->required();
    return [&options, file]() {
        ClassRegistry registry;
        if (!LoadPlugin(options, registry)) return kExitFailure;
        Scene scene;
        CoreInterface core(scene, ProgressStyleForStderr(options.quiet), std::cerr);
        std::string error;
        if (!LoadSceneFile(scene, registry, *file, error)) {
            std::cerr << "contorra: " << error << "\n";
            return kExitBadInput;
        }
        std::cout << "scene " << Quoted(file->c_str()) << ": " << scene.NumNodes() << " nodes\n";
        if (!scene.origin.IsZero())
            std::cout << "origin: " << contorra::FormatOrigin(scene.origin)
                      << " (node coordinates are relative to it)\n";
        for (INode* node : scene.Nodes()) {
            INode* parent = node->GetParentNode();
            std::cout << "\nnode " << Quoted(node->GetName());
            if (parent && !parent->IsRootNode())
                std::cout << " (child of " << Quoted(parent->GetName()) << ")";
            std::cout << "\n";
            Object* obj = node->GetObjectRef();
            if (!obj) {
                std::cout << "  no object\n";
                continue;
            }
            Object* base = obj->FindBaseObject();
            std::cout << "  object: " << ClassLine(base) << "\n";
            PrintBlocks(base, "    ");
            if (auto* stack = dynamic_cast<IDerivedObject*>(obj))
                for (int i = stack->NumModifiers() - 1; i >= 0; --i)
                    if (Modifier* m = stack->GetModifier(i)) {
                        std::cout << "  modifier: " << ClassLine(m) << "\n";
                        PrintBlocks(m, "    ");
                    }
            for (int i = 0; i < node->NumWSModifiers(); ++i)
                if (WSModifier* m = node->GetWSModifier(i)) {
                    std::cout << "  world-space modifier: " << ClassLine(m) << "\n";
                    PrintBlocks(m, "    ");
                }
            PrintMesh(node);
        }
        return kExitOk;
    };
}
