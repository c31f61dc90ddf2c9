#include "terrain/terravel.h"

#include "host/sdk/inode.h"
#include "host/sdk/interface.h"
#include "host/sdk/tri_object.h"
#include "module/class_descs.h"
#include "terrain/land_object.h"

IObjParam* Terravel::ip = nullptr;

Terravel::Terravel() {
    GetTerravelDesc()->MakeAutoParamBlocks(this);
}
Terravel::~Terravel() = default;

void Terravel::GetClassName(MSTR& s) {
    s = "Contorra";
}
const MCHAR* Terravel::GetObjectName() {
    return "Contorra";
}
MSTR Terravel::SubAnimName(int) {
    return "Params";
}

IParamBlock2* Terravel::GetParamBlockByID(BlockID id) {
    return pblock && pblock->ID() == id ? pblock : nullptr;
}

void Terravel::SetReference(int i, RefTargetHandle target) {
    if (i == 0) pblock = static_cast<IParamBlock2*>(target);
}

RefResult Terravel::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) {
    return REF_SUCCEED;
}

RefTargetHandle Terravel::Clone(RemapDir& remap) {
    Terravel* copy = new Terravel();
    copy->ReplaceReference(0, remap.CloneRef(pblock));
    BaseClone(this, copy, remap);
    return copy;
}

void Terravel::BeginEditParams(IObjParam* iop, ULONG flags, Animatable* prev) {
    const TimeValue t = iop->GetTime();
    NotifyDependents(Interval(t, t), PART_ALL, REFMSG_BEGIN_EDIT);
    NotifyDependents(Interval(t, t), PART_ALL, REFMSG_MOD_DISPLAY_ON);
    SetAFlag(A_MOD_BEING_EDITED);
    ip = iop;
    GetTerravelDesc()->BeginEditParams(iop, this, flags, prev);
}

void Terravel::EndEditParams(IObjParam* iop, ULONG flags, Animatable* next) {
    ip = nullptr;
    const TimeValue t = iop->GetTime();
    NotifyDependents(Interval(t, t), PART_ALL, REFMSG_END_EDIT);
    NotifyDependents(Interval(t, t), PART_ALL, REFMSG_MOD_DISPLAY_OFF);
    ClearAFlag(A_MOD_BEING_EDITED);
    GetTerravelDesc()->EndEditParams(iop, this, flags, next);
}

Interval Terravel::LocalValidity(TimeValue t) {
    // While the rollout is open every change must re-evaluate.
    if (TestAFlag(A_MOD_BEING_EDITED)) return NEVER;
    return Interval(t, t);
}

void Terravel::ModifyObject(TimeValue t, ModContext&, ObjectState* os, INode* node) {
    INode* land = nullptr;
    Interval valid = FOREVER;
    pblock->GetValue(pb_land_object, t, land, valid);
    if (!land) return;
    // A terrain node with modifiers of its own hands out its derived object here
    // and conforms nothing.
    Object* ref = land->GetObjectRef();
    if (!ref || ref->ClassID() != LANDOBJECT_CLASS_ID) return;
    const LandObject* terrain = static_cast<LandObject*>(ref);

    const Matrix3 terrainInverse = Inverse(land->GetObjectTM(t));
    const Matrix3 objectTM = node ? node->GetObjectTM(t) : Matrix3(1);
    const Matrix3 objectInverse = Inverse(objectTM);

    auto* tri = static_cast<TriObject*>(os->obj);
    Mesh& mesh = tri->GetMesh();
    for (int i = 0; i < mesh.getNumVerts(); ++i) {
        // The height goes straight into world z: only the terrain's x, y placement counts.
        Point3 w = mesh.verts[static_cast<std::size_t>(i)] * objectTM;
        const Point3 l = w * terrainInverse;
        w.z = terrain->HeightAt(l);
        mesh.verts[static_cast<std::size_t>(i)] = w * objectInverse;
    }
    mesh.InvalidateGeomCache();
    os->obj->UpdateValidity(GEOM_CHAN_NUM, FOREVER);
    os->obj->UpdateValidity(TOPO_CHAN_NUM, FOREVER);
}
