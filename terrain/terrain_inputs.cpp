#include "terrain/terrain_inputs.h"

#include "host/sdk/inode.h"
#include "host/sdk/param_block2.h"
#include "host/sdk/tri_object.h"
#include "terrain/land_params.h"

namespace {

// Table values are read with a validity interval that nothing uses.
template <class T> T TableValue(IParamBlock2* pb, ParamID id, TerrainSlot slot) {
    T value{};
    Interval valid = FOREVER;
    pb->GetValue(id, 0, value, valid, slot);
    return value;
}

INode* SlotNode(IParamBlock2* pb, ParamID id, TerrainSlot slot) {
    return TableValue<INode*>(pb, id, slot);
}

void ReadContours(IParamBlock2* pb, std::vector<ContourLine>& out) {
    for (TerrainSlot slot = 0; slot < MAX_LIST_SLOTS; ++slot) {
        INode* node = SlotNode(pb, pb_spline_node, slot);
        PolyShape shape;
        if (!node || !EvalNodeShape(node, shape)) continue;
        const Matrix3 tm = node->GetObjectTM(0);
        for (const PolyLine& line : shape.lines) {
            ContourLine world;
            world.closed = line.IsClosed() != FALSE;
            world.points.reserve(static_cast<std::size_t>(line.numPts));
            for (int j = 0; j < line.numPts; ++j) world.points.push_back(line[j].p * tm);
            out.push_back(std::move(world));
        }
    }
}

// The platform node's world-state mesh; false when it gives none.
bool ReadPlatformFaces(INode* node, PlatformInput& platform) {
    const Matrix3 tm = node->GetObjectTM(0);
    Object* obj = node->EvalWorldState(0, TRUE).obj;
    if (!obj || !obj->CanConvertToType(triObjectClassID)) return false;
    Object* converted = obj->ConvertToType(0, triObjectClassID);
    auto* tri = dynamic_cast<TriObject*>(converted);
    if (tri) {
        const Mesh& mesh = tri->GetMesh();
        const int vertCount = mesh.getNumVerts();
        platform.faces.resize(static_cast<std::size_t>(mesh.getNumFaces()));
        for (std::size_t f = 0; f < platform.faces.size(); ++f) {
            PlatformFace& face = platform.faces[f];
            for (int k = 0; k < 3 && face.usable; ++k) {
                const DWORD v = mesh.faces[f].v[k];
                face.usable = v < static_cast<DWORD>(vertCount);
                if (face.usable) face.corner[k] = mesh.getVert(static_cast<int>(v)) * tm;
            }
        }
    }
    if (converted && converted != obj) converted->DeleteThis();
    return tri != nullptr;
}

void ReadPlatforms(IParamBlock2* pb, std::vector<PlatformInput>& out) {
    for (TerrainSlot slot = 0; slot < MAX_LIST_SLOTS; ++slot) {
        INode* node = SlotNode(pb, pb_platform_node, slot);
        if (!node) continue;
        PlatformInput platform;
        platform.name = node->GetName() ? node->GetName() : "";
        PlatformSettings& s = platform.settings;
        s.slopeUp = TableValue<float>(pb, pb_slope_up, slot);
        s.slopeDown = TableValue<float>(pb, pb_slope_down, slot);
        s.platformId = TableValue<int>(pb, pb_platform_id, slot);
        s.slopeUpId = TableValue<int>(pb, pb_slopeup_id, slot);
        s.slopeDownId = TableValue<int>(pb, pb_slopedown_id, slot);
        if (ReadPlatformFaces(node, platform)) out.push_back(std::move(platform));
    }
}

void ReadInserts(IParamBlock2* pb, std::vector<InsertShape>& out) {
    for (TerrainSlot slot = 0; slot < MAX_LIST_SLOTS; ++slot) {
        INode* node = SlotNode(pb, pb_insert_node, slot);
        PolyShape shape;
        if (!node || !EvalNodeShape(node, shape)) continue;
        InsertShape insert;
        insert.insertId = TableValue<int>(pb, pb_insert_id, slot);
        insert.type = TableValue<int>(pb, pb_insert_type, slot);
        insert.split = TableValue<int>(pb, pb_insert_split, slot) != 0;
        const Matrix3 tm = node->GetObjectTM(0);
        for (const PolyLine& line : shape.lines) {
            InsertLine world;
            world.closed = line.IsClosed() != FALSE;
            for (int j = 0; j < line.numPts; ++j) {
                const Point3 p = line.pts[j].p * tm;
                world.points.emplace_back(p.x, p.y);
            }
            insert.lines.push_back(std::move(world));
        }
        out.push_back(std::move(insert));
    }
}

} // namespace

bool EvalNodeShape(INode* node, PolyShape& shape) {
    shape.NewShape();
    Object* ref = node->GetObjectRef();
    if (!ref) return false;
    Object* obj = ref->Eval(0).obj;
    if (!obj || !obj->CanConvertToType(genericShapeClassID)) return false;
    Object* converted = obj->ConvertToType(0, splineShapeClassID);
    if (!converted) return true;
    if (auto* spline = dynamic_cast<ShapeObject*>(converted))
        spline->MakePolyShape(0, shape, PSHAPE_BUILTIN_STEPS, FALSE);
    if (converted != obj) converted->DeleteThis();
    return true;
}

UVWInputs ReadUVWInputs(IParamBlock2* pb) {
    UVWInputs uvw;
    uvw.mapCh = pb->GetInt(pb_mapch, 0);
    uvw.width = pb->GetFloat(pb_width, 0);
    uvw.globalAngle = pb->GetFloat(pb_globalangle, 0);
    for (TerrainSlot slot = 0; slot < MAX_LIST_SLOTS; ++slot) {
        INode* node = SlotNode(pb, pb_uvw_node, slot);
        UVWPath path;
        if (!node || !EvalNodeShape(node, path.shape)) continue;
        path.channel = TableValue<int>(pb, pb_map_ch, slot);
        path.width = TableValue<float>(pb, pb_uvw_width, slot);
        path.zone = TableValue<float>(pb, pb_uvw_zone, slot);
        path.angle = TableValue<float>(pb, pb_uvw_angle, slot);
        path.pathTM = node->GetObjectTM(0);
        uvw.paths.push_back(std::move(path));
    }
    return uvw;
}

TerrainInputs ReadTerrainInputs(IParamBlock2* pb) {
    TerrainInputs in;
    in.surface.levels = pb->GetInt(pb_iterations, 0);
    in.surface.baseMatId = pb->GetInt(pb_spline_id, 0);
    in.surface.exactFit = pb->GetInt(pb_exact_fit, 0) != 0;
    in.surface.tension = pb->GetFloat(pb_tension, 0);
    ReadContours(pb, in.surface.contours);
    ReadPlatforms(pb, in.surface.platforms);
    ReadInserts(pb, in.surface.inserts);
    in.uvw = ReadUVWInputs(pb);
    return in;
}
