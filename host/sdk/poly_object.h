#pragma once
// The editable polygon-mesh object.
#include "host/sdk/mnmesh.h"
#include "host/sdk/object.h"

class PolyObject : public GeomObject {
public:
    MNMesh mm;

    MNMesh& GetMesh() { return mm; }

    Class_ID ClassID() override { return polyObjectClassID; }
    void GetClassName(MSTR& s) override { s = "PolyMeshObject"; }
    const MCHAR* GetObjectName() override { return "Editable Poly"; }
    void InitNodeName(MSTR& s) override { s = "Poly"; }

    ObjectState Eval(TimeValue) override { return ObjectState(this); }
    // Converts to itself and, triangulated, to a triangle mesh.
    int CanConvertToType(Class_ID obtype) override;
    Object* ConvertToType(TimeValue t, Class_ID obtype) override;
    Object* MakeShallowCopy(ChannelMask channels) override;
    BOOL PolygonCount(TimeValue, int& numFaces, int& numVerts) override;
    int Display(TimeValue t, INode* inode, ViewExp* vpt, int flags) override;
    int HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                ViewExp* vpt) override;
    void GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box) override;
    int IsMappable() override { return 1; }

    ReferenceTarget* Clone(RemapDir& remap) override;
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }
    // Stored as its triangulation: the polygons come back as triangles.
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;
};
