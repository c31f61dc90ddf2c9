#include "terrain/land_object.h"

#include "host/sdk/inode.h"
#include "host/sdk/io.h"
#include "host/sdk/mnmesh.h"
#include "host/sdk/poly_object.h"
#include "host/sdk/tri_object.h"
#include "module/class_descs.h"
#include "terrain/list_rollouts.h"
#include "terrain/main_rollout.h"

IObjParam* LandObject::ip = nullptr;

LandObject::LandObject() {
    GetLandObjectDesc()->MakeAutoParamBlocks(this);
}

LandObject::~LandObject() {
    heightLookup.FreeSurfaceLookup();
}

float LandObject::HeightAt(const Point3& p) const {
    float h = 0.0f;
    heightLookup.SurfaceHeight(p, h);
    return h;
}

void LandObject::GetClassName(MSTR& s) {
    s = "Contorra";
}

void LandObject::BeginEditParams(IObjParam* iop, ULONG flags, Animatable* prev) {
    ip = iop;
    // Every rollout knows what it edits before it opens.
    theSplineListDlgProc.SetThing(pblock);
    thePlatformListDlgProc.SetThing(pblock);
    theInsertListDlgProc.SetThing(pblock);
    theUVWMapListDlgProc.SetThing(this);
    theSplineObjectDlgProc.SetThing(this);
    GetLandObjectDesc()->BeginEditParams(iop, this, flags, prev);
}

void LandObject::EndEditParams(IObjParam* iop, ULONG flags, Animatable* next) {
    GetLandObjectDesc()->EndEditParams(iop, this, flags, next);
    ip = nullptr;
}

Animatable* LandObject::SubAnim(int) {
    return pblock;
}
MSTR LandObject::SubAnimName(int) {
    return "Contorra";
}
IParamBlock2* LandObject::GetParamBlock(int) {
    return pblock;
}
IParamBlock2* LandObject::GetParamBlockByID(BlockID id) {
    return pblock && pblock->ID() == id ? pblock : nullptr;
}

RefTargetHandle LandObject::GetReference(int) {
    return pblock;
}
void LandObject::SetReference(int, RefTargetHandle target) {
    pblock = static_cast<IParamBlock2*>(target);
}

RefResult LandObject::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) {
    return REF_SUCCEED;
}

IOResult LandObject::Save(ISave* isave) {
    isave->BeginChunk(LANDOBJECT_MESH_CHUNK);
    mesh.Save(isave);
    isave->EndChunk();
    return IO_OK;
}

IOResult LandObject::Load(ILoad* iload) {
    IOResult res;
    while ((res = iload->OpenChunk()) == IO_OK) {
        if (iload->CurChunkID() == LANDOBJECT_MESH_CHUNK) {
            res = mesh.Load(iload);
            if (res != IO_OK) {
                iload->CloseChunk();
                return res;
            }
            heightLookup.BuildSurfaceLookup(mesh);
        }
        iload->CloseChunk();
    }
    // A damaged chunk header is the file's fault, not the end of our data.
    return res == IO_ERROR ? IO_ERROR : IO_OK;
}

RefTargetHandle LandObject::Clone(RemapDir& remap) {
    LandObject* copy = new LandObject();
    copy->ReplaceReference(0, remap.CloneRef(pblock));
    BaseClone(this, copy, remap);
    return copy;
}

Interval LandObject::ObjectValidity(TimeValue t) {
    Interval valid = FOREVER;
    pblock->GetValue(pb_dummy_size, t, dummySize, valid);
    static constexpr ParamID kWatched[] = {pb_spline_node, pb_spline_id,    pb_platform_node,
                                           pb_slope_up,    pb_slope_down,   pb_platform_id,
                                           pb_slopeup_id,  pb_slopedown_id, pb_insert_node,
                                           pb_insert_id,   pb_insert_type,  pb_insert_split};
    for (TerrainSlot slot = 0; slot < MAX_LIST_SLOTS; ++slot) {
        for (ParamID id : kWatched) {
            switch (pblock->GetParameterType(id)) {
            case TYPE_INODE_TAB: {
                INode* node = nullptr;
                pblock->GetValue(id, t, node, valid, slot);
                break;
            }
            case TYPE_FLOAT_TAB: {
                float f = 0.0f;
                pblock->GetValue(id, t, f, valid, slot);
                break;
            }
            default: {
                int i = 0;
                pblock->GetValue(id, t, i, valid, slot);
                break;
            }
            }
        }
    }
    return valid;
}

ObjectState LandObject::Eval(TimeValue) {
    return ObjectState(this);
}

BOOL LandObject::PolygonCount(TimeValue, int& numFaces, int& numVerts) {
    numFaces = mesh.getNumFaces();
    numVerts = mesh.getNumVerts();
    return TRUE;
}

void LandObject::InitNodeName(MSTR& s) {
    s = "Contorra_";
}
const MCHAR* LandObject::GetObjectName() {
    return "Contorra";
}

int LandObject::CanConvertToType(Class_ID type) {
    return type == triObjectClassID || type == mapObjectClassID || type == polyObjectClassID;
}

Object* LandObject::ConvertToType(TimeValue, Class_ID type) {
    if (type == triObjectClassID || type == mapObjectClassID) {
        TriObject* tri = CreateNewTriObject();
        tri->GetMesh().DeepCopy(&mesh, 0x23FF);
        return tri;
    }
    if (type == polyObjectClassID) {
        PolyObject* poly = new PolyObject();
        poly->GetMesh().SetFromTri(mesh);
        poly->GetMesh().FillInMesh();
        return poly;
    }
    return nullptr;
}
