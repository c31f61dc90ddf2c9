#pragma once
// The editable triangle-mesh object: the common currency of the modifier
// stack and of every conversion to a mesh.
#include "host/sdk/mesh.h"
#include "host/sdk/object.h"

class TriObject : public GeomObject {
public:
    Mesh mesh;

    Mesh& GetMesh() { return mesh; }

    Class_ID ClassID() override { return triObjectClassID; }
    void GetClassName(MSTR& s) override { s = "TriObject"; }
    const MCHAR* GetObjectName() override { return "Editable Mesh"; }
    void InitNodeName(MSTR& s) override { s = "Mesh"; }

    ObjectState Eval(TimeValue) override { return ObjectState(this); }
    // A mesh converts to itself and to a polygon mesh.
    int CanConvertToType(Class_ID obtype) override;
    Object* ConvertToType(TimeValue t, Class_ID obtype) override;
    Object* MakeShallowCopy(ChannelMask channels) override;
    BOOL PolygonCount(TimeValue, int& numFaces, int& numVerts) override;
    int IsMappable() override { return 1; }
    int NumMapChannels() override { return MAX_MESHMAPS - 1; }
    int Display(TimeValue t, INode* inode, ViewExp* vpt, int flags) override;
    int HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                ViewExp* vpt) override;
    void GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box) override;
    void GetLocalBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box) override;
    void GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm = nullptr, BOOL useSel = FALSE) override;
    Mesh* GetRenderMesh(TimeValue, INode*, View&, BOOL& needDelete) override {
        needDelete = FALSE;
        return &mesh;
    }

    ReferenceTarget* Clone(RemapDir& remap) override;
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }
    // The mesh in one chunk.
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;
};

TriObject* CreateNewTriObject();
