#pragma once
// The terrain object: the user's picks and settings in one parameter block, and
// the mesh of the last build with a smooth height lookup over it. Nothing here
// rebuilds the mesh; only a build or a load changes it.
#include "geometry/surface_lookup.h"
#include "host/sdk/mesh.h"
#include "host/sdk/object.h"
#include "host/sdk/param_block2.h"
#include "host/sdk/poly_shape.h"
#include "terrain/land_params.h"

class LandObject : public GeomObject {
public:
    IParamBlock2* pblock = nullptr;
    float dummySize = 100.0f;
    PolyShape zoneShape;
    Mesh mesh;
    SurfaceLookup heightLookup;

    // The interface of the rollouts while they are open.
    static IObjParam* ip;

    LandObject();
    ~LandObject() override;

    // The placeholder's half side at t (Dummy_Size), kept in dummySize.
    float DummySize(TimeValue t);

    // Height of the built surface below p (x, y in object space); 0.0 where
    // nothing is built or no face covers p.
    float HeightAt(const Point3& p) const;

    // Animatable
    void GetClassName(MSTR& s) override;
    Class_ID ClassID() override { return LANDOBJECT_CLASS_ID; }
    SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
    void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) override;
    void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) override;
    int NumSubs() override { return 1; }
    Animatable* SubAnim(int i) override;
    MSTR SubAnimName(int i) override;
    int NumParamBlocks() override { return 1; }
    IParamBlock2* GetParamBlock(int i) override;
    IParamBlock2* GetParamBlockByID(BlockID id) override;
    void DeleteThis() override { delete this; }

    // ReferenceMaker / ReferenceTarget
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle target) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle target, PartID& partID,
                               RefMessage message) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;
    RefTargetHandle Clone(RemapDir& remap) override;

    // Object
    Interval ObjectValidity(TimeValue t) override;
    ObjectState Eval(TimeValue t) override;
    BOOL PolygonCount(TimeValue t, int& numFaces, int& numVerts) override;
    void InitNodeName(MSTR& s) override;
    const MCHAR* GetObjectName() override;
    int CanConvertToType(Class_ID type) override;
    Object* ConvertToType(TimeValue t, Class_ID type) override;
    int IsMappable() override { return 1; }
    int NumMapChannels() override { return MAX_MESHMAPS; }
    int NumMapsUsed() override { return 1; }
    void GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm = nullptr, BOOL useSel = FALSE) override;

    // BaseObject: the viewports (land_display.cpp)
    int HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                ViewExp* vpt) override;
    int Display(TimeValue t, INode* inode, ViewExp* vpt, int flags) override;
    void GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box) override;
    void GetLocalBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box) override;
    CreateMouseCallBack* GetCreateMouseCallBack() override;

    // GeomObject: the mesh itself, which the renderer must not delete.
    Mesh* GetRenderMesh(TimeValue t, INode* inode, View& view, BOOL& needDelete) override;
};

// The terrain object's chunk holding its mesh.
constexpr USHORT LANDOBJECT_MESH_CHUNK = 0x000A;
