#pragma once
// The box primitive: a procedural object that gives a triangle mesh (and a
// polygon mesh) but no shape. Its base is centred on the origin in the x, y
// plane and it rises along z, as the host's box does.
#include "host/sdk/object.h"

class BoxObject : public GeomObject {
public:
    float length = 1.0f; // along y
    float width = 1.0f;  // along x
    float height = 1.0f; // along z

    Class_ID ClassID() override { return boxObjectClassID; }
    void GetClassName(MSTR& s) override { s = "Box"; }
    const MCHAR* GetObjectName() override { return "Box"; }
    void InitNodeName(MSTR& s) override { s = "Box"; }

    ObjectState Eval(TimeValue) override { return ObjectState(this); }
    int CanConvertToType(Class_ID obtype) override;
    Object* ConvertToType(TimeValue t, Class_ID obtype) override;
    BOOL PolygonCount(TimeValue, int& numFaces, int& numVerts) override;
    int Display(TimeValue t, INode* inode, ViewExp* vpt, int flags) override;
    int HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                ViewExp* vpt) override;
    void GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box) override;
    void GetLocalBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box) override;
    // 8 vertices and 12 faces, two per side, outward facing.
    void BuildMesh(Mesh& mesh) const;

    ReferenceTarget* Clone(RemapDir& remap) override;
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;
};
