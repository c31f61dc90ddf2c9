#pragma once
// Scene objects: what a node displays and evaluates. Objects evaluate to an
// object state and convert into one another (shapes, triangle meshes,
// polygon meshes) on request.
#include <vector>

#include "host/sdk/box.h"
#include "host/sdk/matrix.h"
#include "host/sdk/reference.h"

class INode;
class ViewExp;
class IPoint2;
class View;
class Mesh;
class PolyShape;
class CreateMouseCallBack;
class Object;

// The result of evaluating an object: the object to use and, when the
// pipeline moved it, the transform that goes with it (null: the node's own).
class ObjectState {
public:
    Object* obj = nullptr;
    Matrix3* tm = nullptr;
    Interval tmValid = FOREVER;

    ObjectState() = default;
    explicit ObjectState(Object* ob) : obj(ob) {}

    BOOL TMIsIdentity() const { return tm == nullptr ? TRUE : FALSE; }
    Interval tmValidity() const { return tmValid; }
    // The object's validity at t with the transform's.
    Interval Validity(TimeValue t) const;
};

// What every object, modifier and helper shows in the viewports.
class BaseObject : public ReferenceTarget {
public:
    virtual int HitTest(TimeValue, INode*, int /*type*/, int /*crossing*/, int /*flags*/, IPoint2*,
                        ViewExp*) {
        return 0;
    }
    virtual int Display(TimeValue, INode*, ViewExp*, int /*flags*/) { return 0; }
    virtual void GetWorldBoundBox(TimeValue, INode*, ViewExp*, Box3& box) { box.Init(); }
    virtual void GetLocalBoundBox(TimeValue, INode*, ViewExp*, Box3& box) { box.Init(); }
    virtual CreateMouseCallBack* GetCreateMouseCallBack() { return nullptr; }
    virtual const MCHAR* GetObjectName() { return "Object"; }
};

class Object : public BaseObject {
public:
    virtual ObjectState Eval(TimeValue t) = 0;

    // Conversions. A converted object that is not this object itself belongs
    // to the caller, who deletes it with DeleteThis.
    virtual int CanConvertToType(Class_ID) { return FALSE; }
    virtual Object* ConvertToType(TimeValue, Class_ID) { return nullptr; }
    virtual BOOL IsSubClassOf(Class_ID classID) { return classID == ClassID() ? TRUE : FALSE; }

    // How long the object stays as it is; by default the intersection of
    // its channels' validities.
    virtual Interval ObjectValidity(TimeValue t);
    // Narrows the validity of channel number nchan (TOPO_CHAN_NUM ...).
    virtual void UpdateValidity(int nchan, Interval v);
    Interval ChannelValidity(TimeValue t, int nchan);
    void SetChannelValidity(int nchan, Interval v);
    // Every channel valid forever again.
    void ResetChannelValidity();

    // A copy sharing nothing that a modifier could change: the evaluation
    // pipeline modifies copies, never the node's own object. Null when the
    // class has no such copy.
    virtual Object* MakeShallowCopy(ChannelMask) { return nullptr; }

    virtual void InitNodeName(MSTR& s) { s = "Object"; }
    virtual BOOL PolygonCount(TimeValue, int& numFaces, int& numVerts) {
        numFaces = numVerts = 0;
        return FALSE;
    }
    virtual int IsShapeObject() { return FALSE; }
    virtual Class_ID PreferredCollapseType() { return triObjectClassID; }
    virtual void GetCollapseTypes(std::vector<Class_ID>& clist, std::vector<MSTR>& nlist);
    virtual int IsMappable() { return 0; }
    virtual int NumMapChannels() { return IsMappable() ? 1 : 0; }
    virtual int NumMapsUsed() { return NumMapChannels(); }
    virtual void GetDeformBBox(TimeValue, Box3& box, Matrix3* = nullptr, BOOL = FALSE) {
        box.Init();
    }
    // The object at the bottom of a modifier stack; the object itself here.
    virtual Object* FindBaseObject() { return this; }

private:
    Interval channelValid_[NUM_OBJ_CHANS] = {FOREVER, FOREVER, FOREVER, FOREVER, FOREVER, FOREVER,
                                             FOREVER, FOREVER, FOREVER, FOREVER, FOREVER};
};

class GeomObject : public Object {
public:
    SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
    // The mesh the renderer draws; needDelete tells whether it is the
    // caller's to delete.
    virtual Mesh* GetRenderMesh(TimeValue, INode*, View&, BOOL& needDelete) {
        needDelete = FALSE;
        return nullptr;
    }
};

// Steps argument of MakePolyShape: the shape's own interpolation steps.
constexpr int PSHAPE_BUILTIN_STEPS = -2;
constexpr int PSHAPE_ADAPTIVE_STEPS = -1;

class ShapeObject : public GeomObject {
public:
    SClass_ID SuperClassID() override { return SHAPE_CLASS_ID; }
    int IsShapeObject() override { return TRUE; }
    // Every shape is a generic shape.
    int CanConvertToType(Class_ID obtype) override;
    // The shape as polylines at t: steps pieces per segment (-2: the shape's
    // own number), with optimise straight segments left whole.
    virtual void MakePolyShape(TimeValue t, PolyShape& shape, int steps = PSHAPE_BUILTIN_STEPS,
                               BOOL optimize = FALSE) = 0;
    virtual int NumberOfCurves() { return 0; }
    virtual BOOL CurveClosed(TimeValue, int) { return FALSE; }
};
