#pragma once
// The editable spline shape of this host: polylines, each open or closed,
// with straight segments between their knots.
#include "host/sdk/object.h"
#include "host/sdk/poly_shape.h"

class SplineShape : public ShapeObject {
public:
    // The knots, line by line, in object space.
    PolyShape shape;
    // Interpolation steps of each segment (the shape's own steps). Segments
    // are straight, so 0 keeps exactly the knots.
    int steps = 0;

    Class_ID ClassID() override { return splineShapeClassID; }
    void GetClassName(MSTR& s) override { s = "SplineShape"; }
    const MCHAR* GetObjectName() override { return "Editable Spline"; }
    void InitNodeName(MSTR& s) override { s = "Shape"; }

    ObjectState Eval(TimeValue) override { return ObjectState(this); }
    // A generic shape and a spline shape (itself). No mesh: a shape here has
    // no renderable thickness and no capping, so it offers no faces, and
    // whatever asks for a mesh skips it.
    int CanConvertToType(Class_ID obtype) override;
    Object* ConvertToType(TimeValue t, Class_ID obtype) override;
    Object* MakeShallowCopy(ChannelMask channels) override;
    // steps > 0 without optimise splits every segment into steps + 1 equal
    // pieces, as the host does with a straight segment; otherwise the knots.
    void MakePolyShape(TimeValue t, PolyShape& out, int steps = PSHAPE_BUILTIN_STEPS,
                       BOOL optimize = FALSE) override;
    int NumberOfCurves() override { return shape.numLines; }
    BOOL CurveClosed(TimeValue, int curve) override;
    int Display(TimeValue t, INode* inode, ViewExp* vpt, int flags) override;
    int HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                ViewExp* vpt) override;
    void GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box) override;
    void GetLocalBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box) override;

    ReferenceTarget* Clone(RemapDir& remap) override;
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;
};

SplineShape* CreateNewSplineShape();
