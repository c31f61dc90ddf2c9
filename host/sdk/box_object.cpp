#include "host/sdk/box_object.h"

#include "host/sdk/mesh.h"
#include "host/sdk/poly_object.h"
#include "host/sdk/tri_object.h"

namespace {
constexpr USHORT kSizeChunk = 0x2800;
}

int BoxObject::CanConvertToType(Class_ID obtype) {
    return obtype == triObjectClassID || obtype == mapObjectClassID || obtype == polyObjectClassID
               ? TRUE
               : FALSE;
}

Object* BoxObject::ConvertToType(TimeValue, Class_ID obtype) {
    if (obtype == triObjectClassID || obtype == mapObjectClassID) {
        TriObject* tri = CreateNewTriObject();
        BuildMesh(tri->mesh);
        return tri;
    }
    if (obtype == polyObjectClassID) {
        Mesh m;
        BuildMesh(m);
        auto* poly = new PolyObject();
        poly->mm = MNMesh(m);
        return poly;
    }
    return nullptr;
}

BOOL BoxObject::PolygonCount(TimeValue, int& numFaces, int& numVerts) {
    numFaces = 12;
    numVerts = 8;
    return TRUE;
}

void BoxObject::GetLocalBoundBox(TimeValue, INode*, ViewExp*, Box3& box) {
    box = Box3(Point3(-width / 2, -length / 2, 0.0f), Point3(width / 2, length / 2, height));
}

void BoxObject::BuildMesh(Mesh& mesh) const {
    float x = width / 2, y = length / 2, z = height;
    mesh.setNumVerts(8);
    mesh.setNumFaces(12);
    // Bottom ring 0..3, top ring 4..7, both counter-clockwise seen from above.
    const Point3 v[8] = {{-x, -y, 0.0f}, {x, -y, 0.0f}, {x, y, 0.0f}, {-x, y, 0.0f},
                         {-x, -y, z},    {x, -y, z},    {x, y, z},    {-x, y, z}};
    for (int i = 0; i < 8; ++i) mesh.setVert(i, v[i]);
    // Two triangles per side; the second edge of each (the diagonal) is hidden.
    const int quads[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                             {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
    for (int q = 0; q < 6; ++q) {
        const int* c = quads[q];
        Face& a = mesh.faces[2 * q];
        Face& b = mesh.faces[2 * q + 1];
        a.setVerts(c[0], c[1], c[2]);
        b.setVerts(c[2], c[3], c[0]);
        a.setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_INVIS);
        b.setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_INVIS);
        a.setSmGroup(1u << q);
        b.setSmGroup(1u << q);
        a.setMatID(static_cast<MtlID>(q));
        b.setMatID(static_cast<MtlID>(q));
    }
    mesh.InvalidateGeomCache();
    mesh.InvalidateTopologyCache();
}

ReferenceTarget* BoxObject::Clone(RemapDir& remap) {
    auto* copy = new BoxObject();
    copy->length = length;
    copy->width = width;
    copy->height = height;
    BaseClone(this, copy, remap);
    return copy;
}

IOResult BoxObject::Save(ISave* isave) {
    isave->BeginChunk(kSizeChunk);
    IOResult r = isave->WriteFloat(length);
    if (r == IO_OK) r = isave->WriteFloat(width);
    if (r == IO_OK) r = isave->WriteFloat(height);
    isave->EndChunk();
    return r;
}

IOResult BoxObject::Load(ILoad* iload) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        if (iload->CurChunkID() == kSizeChunk) {
            if ((r = iload->ReadFloat(length)) != IO_OK || (r = iload->ReadFloat(width)) != IO_OK ||
                (r = iload->ReadFloat(height)) != IO_OK)
                return r;
        }
        iload->CloseChunk();
    }
    return r == IO_END ? IO_OK : r;
}
