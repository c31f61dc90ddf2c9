#include "host/sdk/poly_object.h"

#include "host/sdk/tri_object.h"

namespace {
constexpr USHORT kTriangulationChunk = 0x2600;
}

int PolyObject::CanConvertToType(Class_ID obtype) {
    return obtype == polyObjectClassID || obtype == triObjectClassID || obtype == mapObjectClassID
               ? TRUE
               : FALSE;
}

Object* PolyObject::ConvertToType(TimeValue, Class_ID obtype) {
    if (obtype == polyObjectClassID) return this;
    if (obtype == triObjectClassID || obtype == mapObjectClassID) {
        TriObject* tri = CreateNewTriObject();
        mm.OutToTri(tri->mesh);
        return tri;
    }
    return nullptr;
}

Object* PolyObject::MakeShallowCopy(ChannelMask) {
    auto* copy = new PolyObject();
    copy->mm = mm;
    return copy;
}

BOOL PolyObject::PolygonCount(TimeValue, int& numFaces, int& numVerts) {
    numFaces = 0;
    for (int i = 0; i < mm.numf; ++i)
        if (!mm.F(i)->GetFlag(MN_DEAD)) ++numFaces;
    numVerts = 0;
    for (int i = 0; i < mm.numv; ++i)
        if (!mm.V(i)->GetFlag(MN_DEAD)) ++numVerts;
    return TRUE;
}

ReferenceTarget* PolyObject::Clone(RemapDir& remap) {
    auto* copy = new PolyObject();
    copy->mm = mm;
    BaseClone(this, copy, remap);
    return copy;
}

IOResult PolyObject::Save(ISave* isave) {
    Mesh tri;
    mm.OutToTri(tri);
    isave->BeginChunk(kTriangulationChunk);
    IOResult r = tri.Save(isave);
    isave->EndChunk();
    return r;
}

IOResult PolyObject::Load(ILoad* iload) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        if (iload->CurChunkID() == kTriangulationChunk) {
            Mesh tri;
            r = tri.Load(iload);
            if (r != IO_OK) return r;
            mm = MNMesh(tri);
        }
        iload->CloseChunk();
    }
    return r == IO_END ? IO_OK : r;
}
