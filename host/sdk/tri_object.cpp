#include "host/sdk/tri_object.h"

#include "host/sdk/poly_object.h"

namespace {
constexpr USHORT kMeshChunk = 0x2500;
}

int TriObject::CanConvertToType(Class_ID obtype) {
    return obtype == triObjectClassID || obtype == mapObjectClassID || obtype == polyObjectClassID
               ? TRUE
               : FALSE;
}

Object* TriObject::ConvertToType(TimeValue, Class_ID obtype) {
    if (obtype == triObjectClassID || obtype == mapObjectClassID) return this;
    if (obtype == polyObjectClassID) {
        auto* poly = new PolyObject();
        poly->mm = MNMesh(mesh);
        return poly;
    }
    return nullptr;
}

Object* TriObject::MakeShallowCopy(ChannelMask channels) {
    TriObject* copy = CreateNewTriObject();
    copy->mesh.DeepCopy(&mesh, channels);
    return copy;
}

BOOL TriObject::PolygonCount(TimeValue, int& numFaces, int& numVerts) {
    numFaces = mesh.getNumFaces();
    numVerts = mesh.getNumVerts();
    return TRUE;
}

void TriObject::GetLocalBoundBox(TimeValue, INode*, ViewExp*, Box3& box) {
    box = mesh.getBoundingBox();
}

void TriObject::GetDeformBBox(TimeValue, Box3& box, Matrix3* tm, BOOL) {
    box = mesh.getBoundingBox(tm);
}

ReferenceTarget* TriObject::Clone(RemapDir& remap) {
    TriObject* copy = CreateNewTriObject();
    copy->mesh = mesh;
    BaseClone(this, copy, remap);
    return copy;
}

IOResult TriObject::Save(ISave* isave) {
    isave->BeginChunk(kMeshChunk);
    IOResult r = mesh.Save(isave);
    isave->EndChunk();
    return r;
}

IOResult TriObject::Load(ILoad* iload) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        if (iload->CurChunkID() == kMeshChunk) {
            r = mesh.Load(iload);
            if (r != IO_OK) return r;
        }
        iload->CloseChunk();
    }
    return r == IO_END ? IO_OK : r;
}

TriObject* CreateNewTriObject() {
    return new TriObject();
}
