// Node evaluation: base object, then the node's own modifiers from the bottom
// of the stack up, then its world-space modifiers; conversions on the way;
// hierarchy transforms; primitives and shapes.
#include <gtest/gtest.h>

#include "host/app/scene.h"
#include "host/sdk/box_object.h"
#include "host/sdk/inode.h"
#include "host/sdk/spline_shape.h"
#include "host/sdk/tri_object.h"

namespace {

TriObject* OneTriangle() {
    TriObject* t = CreateNewTriObject();
    Mesh& m = t->GetMesh();
    m.setNumVerts(3);
    m.setNumFaces(1);
    m.setVert(0, Point3(0.0f, 0.0f, 0.0f));
    m.setVert(1, Point3(1.0f, 0.0f, 0.0f));
    m.setVert(2, Point3(0.0f, 2.0f, 3.0f));
    m.faces[0].setVerts(0, 1, 2);
    return t;
}

// z = z * factor + offset on every vertex of a triangle mesh.
class ZModifier : public OSModifier {
public:
    ZModifier(float f, float o) : factor(f), offset(o) {}
    float factor, offset;
    int calls = 0;
    Class_ID want = triObjectClassID;
    Class_ID ClassID() override { return Class_ID(0x51, 0); }
    ChannelMask ChannelsUsed() override { return GEOM_CHANNEL; }
    ChannelMask ChannelsChanged() override { return GEOM_CHANNEL; }
    Class_ID InputType() override { return want; }
    void ModifyObject(TimeValue, ModContext&, ObjectState* os, INode*) override {
        ++calls;
        Mesh& m = static_cast<TriObject*>(os->obj)->GetMesh();
        for (int i = 0; i < m.getNumVerts(); ++i) m.getVert(i).z = m.getVert(i).z * factor + offset;
    }
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }
};

// Puts every vertex at the height of its own world x, through the node's transform.
class WorldXToZ : public WSModifier {
public:
    int calls = 0;
    Class_ID ClassID() override { return Class_ID(0x52, 0); }
    ChannelMask ChannelsUsed() override { return GEOM_CHANNEL; }
    ChannelMask ChannelsChanged() override { return GEOM_CHANNEL; }
    Class_ID InputType() override { return triObjectClassID; }
    Interval LocalValidity(TimeValue t) override { return Interval(t, t); }
    void ModifyObject(TimeValue t, ModContext&, ObjectState* os, INode* node) override {
        ++calls;
        Matrix3 tm = node ? node->GetObjectTM(t) : Matrix3();
        Matrix3 inv = Inverse(tm);
        Mesh& m = static_cast<TriObject*>(os->obj)->GetMesh();
        for (int i = 0; i < m.getNumVerts(); ++i) {
            Point3 w = m.getVert(i) * tm;
            w.z = w.x;
            m.setVert(i, w * inv);
        }
    }
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }
};

TEST(Evaluation, OwnModifiersRunBottomUpThenWorldSpaceModifiers) {
    Scene scene;
    TriObject* base = OneTriangle();
    INode* node = scene.CreateNode(base, "tri");
    auto* addOne = new ZModifier(1.0f, 1.0f);
    auto* twice = new ZModifier(2.0f, 0.0f);
    node->AddModifier(addOne);
    node->AddModifier(twice); // on top: applied last
    EXPECT_NE(node->GetObjectRef(), base);
    EXPECT_EQ(node->GetObjectRef()->FindBaseObject(), base);

    const ObjectState& os = node->EvalWorldState(0);
    Mesh& m = static_cast<TriObject*>(os.obj)->GetMesh();
    EXPECT_FLOAT_EQ(m.getVert(2).z, (3.0f + 1.0f) * 2.0f);
    EXPECT_FLOAT_EQ(m.getVert(0).z, 2.0f);
    EXPECT_FLOAT_EQ(base->GetMesh().getVert(2).z, 3.0f)
        << "the node's own object is never modified";

    // World-space modifiers see the node transform and come after the stack.
    node->SetNodeTM(0, TransMatrix(Point3(10.0f, 0.0f, 5.0f)));
    auto* wsm = new WorldXToZ();
    node->AddWSModifier(wsm);
    EXPECT_EQ(node->GetObjOrWSMRef(), node->GetWSMDerivedObject());
    const ObjectState& ws = node->EvalWorldState(0);
    Mesh& w = static_cast<TriObject*>(ws.obj)->GetMesh();
    // Vertex 1 sits at world x = 11; its world z becomes 11, object z 11 - 5.
    EXPECT_FLOAT_EQ(w.getVert(1).z, 6.0f);
    EXPECT_EQ(addOne->calls, 1) << "moving the node leaves its own stack as it was";

    // The node object itself evaluates without the world-space modifiers.
    ObjectState own = node->GetObjectRef()->Eval(0);
    EXPECT_FLOAT_EQ(static_cast<TriObject*>(own.obj)->GetMesh().getVert(1).z, 2.0f);
}

TEST(Evaluation, ResultIsKeptUntilTimeOrAChangeInvalidatesIt) {
    Scene scene;
    INode* node = scene.CreateNode(OneTriangle(), "tri");
    auto* mod = new ZModifier(1.0f, 1.0f);
    node->AddModifier(mod);
    Object* first = node->EvalWorldState(0).obj;
    EXPECT_EQ(node->EvalWorldState(0).obj, first);
    EXPECT_EQ(mod->calls, 1);
    mod->offset = 2.0f;
    mod->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    Mesh& m = static_cast<TriObject*>(node->EvalWorldState(0).obj)->GetMesh();
    EXPECT_EQ(mod->calls, 2);
    EXPECT_FLOAT_EQ(m.getVert(2).z, 5.0f);

    auto* wsm = new WorldXToZ();
    node->AddWSModifier(wsm);
    node->EvalWorldState(0);
    node->EvalWorldState(0);
    EXPECT_EQ(wsm->calls, 1);
    node->EvalWorldState(10); // valid only at the instant it was made for
    EXPECT_EQ(wsm->calls, 2);
    EXPECT_EQ(mod->calls, 2) << "the own stack holds for all time";
}

TEST(Evaluation, InputsAreConvertedOrTheModifierIsSkipped) {
    Scene scene;
    auto* box = new BoxObject();
    box->width = 2.0f;
    box->length = 4.0f;
    box->height = 3.0f;
    INode* node = scene.CreateNode(box, "box");
    auto* toMesh = new ZModifier(1.0f, 1.0f);
    auto* needsShape = new ZModifier(0.0f, 0.0f);
    needsShape->want = splineShapeClassID;
    node->AddModifier(toMesh);
    node->AddModifier(needsShape);
    const ObjectState& os = node->EvalWorldState(0);
    EXPECT_EQ(needsShape->calls, 0) << "a box cannot become a shape";
    ASSERT_EQ(os.obj->ClassID(), triObjectClassID);
    Box3 b = static_cast<TriObject*>(os.obj)->GetMesh().getBoundingBox();
    EXPECT_EQ(b.pmin, Point3(-1.0f, -2.0f, 1.0f));
    EXPECT_EQ(b.pmax, Point3(1.0f, 2.0f, 4.0f));
}

TEST(Evaluation, BoxMakesAClosedMeshAndNoShape) {
    BoxObject box;
    EXPECT_FALSE(box.CanConvertToType(genericShapeClassID));
    EXPECT_FALSE(box.CanConvertToType(splineShapeClassID));
    ASSERT_TRUE(box.CanConvertToType(triObjectClassID));
    auto* tri = static_cast<TriObject*>(box.ConvertToType(0, triObjectClassID));
    Mesh& m = tri->GetMesh();
    ASSERT_EQ(m.getNumFaces(), 12);
    // Closed and outward facing: the signed volume is the box's.
    double volume = 0.0;
    for (int f = 0; f < 12; ++f) {
        Point3 a = m.getVert(static_cast<int>(m.faces[f].v[0]));
        Point3 b = m.getVert(static_cast<int>(m.faces[f].v[1]));
        Point3 c = m.getVert(static_cast<int>(m.faces[f].v[2]));
        volume += DotProd(a, CrossProd(b, c)) / 6.0;
    }
    EXPECT_NEAR(volume, 1.0, 1e-6);
    tri->DeleteThis();
}

TEST(Evaluation, SplineShapeGivesItsPolylinesWithOptionalSteps) {
    SplineShape* s = CreateNewSplineShape();
    PolyLine& square = s->shape.NewLine();
    for (Point3 p : {Point3(0, 0, 0), Point3(2, 0, 0), Point3(2, 2, 1), Point3(0, 2, 1)})
        square.Append(p);
    square.Close();
    EXPECT_TRUE(s->CanConvertToType(genericShapeClassID));
    EXPECT_FALSE(s->CanConvertToType(triObjectClassID));
    EXPECT_EQ(s->ConvertToType(0, splineShapeClassID), s);

    PolyShape out;
    s->MakePolyShape(0, out, PSHAPE_BUILTIN_STEPS, FALSE);
    ASSERT_EQ(out.numLines, 1);
    EXPECT_EQ(out[0].numPts, 4);
    EXPECT_TRUE(out[0].IsClosed());

    s->MakePolyShape(0, out, 1, FALSE); // each side halved, the closing one too
    ASSERT_EQ(out[0].numPts, 8);
    EXPECT_EQ(out[0][3].p, Point3(2.0f, 1.0f, 0.5f));
    EXPECT_EQ(out[0][7].p, Point3(0.0f, 1.0f, 0.5f));
    s->MakePolyShape(0, out, 1, TRUE);
    EXPECT_EQ(out[0].numPts, 4) << "optimised straight segments stay whole";
    s->DeleteThis();
}

TEST(Evaluation, ChildrenFollowTheirParent) {
    Scene scene;
    INode* parent = scene.CreateNode(nullptr, "parent");
    INode* child = scene.CreateNode(nullptr, "child", parent);
    child->SetNodeTM(0, TransMatrix(Point3(1, 0, 0)));
    child->SetObjectOffset(TransMatrix(Point3(0, 0, 2)));
    parent->SetNodeTM(0, RotateZMatrix(1.5707963f) * TransMatrix(Point3(0, 5, 0)));
    // The child keeps its place relative to the parent: (1, 0, 0) turned a
    // quarter about z is (0, 1, 0), moved by (0, 5, 0).
    Point3 p = Point3(0, 0, 0) * child->GetObjectTM(0);
    EXPECT_NEAR(p.x, 0.0f, 1e-5f);
    EXPECT_NEAR(p.y, 6.0f, 1e-5f);
    EXPECT_NEAR(p.z, 2.0f, 1e-5f);
    EXPECT_EQ(scene.Nodes(), (std::vector<INode*>{parent, child}));
    EXPECT_EQ(scene.FindByHandle(child->GetHandle()), child);

    // Deleting the parent hands the child to the root, in place.
    scene.DeleteNode(parent);
    EXPECT_TRUE(child->GetParentNode()->IsRootNode());
    Point3 q = Point3(0, 0, 0) * child->GetObjectTM(0);
    EXPECT_NEAR(q.y, 6.0f, 1e-5f);
}

// World transforms are kept per node: a deep chain costs one product per
// node and no recursion, and any move above a node reaches it.
TEST(Evaluation, DeepChainsKeepWorldTransformsCurrent) {
    Scene scene;
    const int depth = 100000;
    std::vector<INode*> chain;
    for (int i = 0; i < depth; ++i) {
        chain.push_back(scene.CreateNode(nullptr, "n", i ? chain.back() : nullptr));
        chain.back()->SetNodeTM(0, TransMatrix(Point3(i + 1, 0, 0)));
    }
    INode* last = chain.back();
    EXPECT_EQ(last->GetNodeTM(0).GetTrans(), Point3(depth, 0, 0));

    // Moving a node high up moves everything below it, cached or not.
    chain[10]->SetNodeTM(0, TransMatrix(Point3(11, 5, 0)));
    EXPECT_EQ(last->GetNodeTM(0).GetTrans(), Point3(depth, 5, 0));
    EXPECT_EQ(chain[9]->GetNodeTM(0).GetTrans(), Point3(10, 0, 0));
    chain[0]->SetNodeTM(0, TransMatrix(Point3(1, 0, 3)));
    EXPECT_EQ(chain[50000]->GetNodeTM(0).GetTrans(), Point3(50001, 5, 3));
    EXPECT_EQ(last->GetNodeTM(0).GetTrans(), Point3(depth, 5, 3));

    // Detached in place, the lower half stays put; moved, it leaves the upper half alone.
    chain[50000]->Detach(0);
    EXPECT_EQ(last->GetNodeTM(0).GetTrans(), Point3(depth, 5, 3));
    chain[50000]->SetNodeTM(0, TransMatrix(Point3(0, 0, 0)));
    EXPECT_EQ(last->GetNodeTM(0).GetTrans(), Point3(depth - 50001, 0, 0));
    EXPECT_EQ(chain[49999]->GetNodeTM(0).GetTrans(), Point3(50000, 5, 3));
    // Attached again keeping its place, it then follows its new parent (2 down).
    chain[10]->AttachChild(chain[50000]);
    chain[10]->SetNodeTM(0, TransMatrix(Point3(11, 5, 1)));
    EXPECT_EQ(last->GetNodeTM(0).GetTrans(), Point3(depth - 50001, 0, -2));
}

} // namespace
