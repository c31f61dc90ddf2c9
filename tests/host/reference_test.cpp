// References: bookkeeping of dependents, notification with propagation and
// stops, automatic deletion of targets nobody needs, cloning through a remap.
#include <gtest/gtest.h>

#include <vector>

#include "host/sdk/inode.h"
#include "host/sdk/reference.h"
#include "host/sdk/tri_object.h"

namespace {

// A target with a fixed number of references that logs what it hears.
class Holder : public ReferenceTarget {
public:
    explicit Holder(int nrefs, int* deaths = nullptr)
        : refs(static_cast<std::size_t>(nrefs), nullptr), deaths_(deaths) {}
    ~Holder() override {
        if (deaths_) ++*deaths_;
    }
    SClass_ID SuperClassID() override { return sclass; }
    Class_ID ClassID() override { return Class_ID(0x77, 0); }
    int NumRefs() override { return static_cast<int>(refs.size()); }
    RefTargetHandle GetReference(int i) override { return refs[static_cast<std::size_t>(i)]; }
    void SetReference(int i, RefTargetHandle t) override { refs[static_cast<std::size_t>(i)] = t; }
    RefResult NotifyRefChanged(Interval, RefTargetHandle from, PartID& part,
                               RefMessage msg) override {
        heard.push_back({from, part, msg});
        return answer;
    }
    ReferenceTarget* Clone(RemapDir& remap) override {
        auto* copy = new Holder(NumRefs(), deaths_);
        for (int i = 0; i < NumRefs(); ++i)
            copy->ReplaceReference(i, remap.CloneRef(refs[static_cast<std::size_t>(i)]));
        BaseClone(this, copy, remap);
        return copy;
    }

    struct Heard {
        RefTargetHandle from;
        PartID part;
        RefMessage msg;
    };
    std::vector<RefTargetHandle> refs;
    std::vector<Heard> heard;
    RefResult answer = REF_SUCCEED;
    SClass_ID sclass = REF_TARGET_CLASS_ID;

private:
    int* deaths_;
};

TEST(References, NotificationPropagatesUntilADependentStopsIt) {
    int deaths = 0;
    auto* leaf = new Holder(0, &deaths);
    auto* middle = new Holder(1, &deaths);
    auto* top = new Holder(1, &deaths);
    auto* other = new Holder(1, &deaths);
    middle->ReplaceReference(0, leaf);
    top->ReplaceReference(0, middle);
    other->ReplaceReference(0, leaf);

    leaf->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
    ASSERT_EQ(middle->heard.size(), 1u);
    EXPECT_EQ(middle->heard[0].from, leaf);
    EXPECT_EQ(middle->heard[0].part, PART_GEOM);
    ASSERT_EQ(top->heard.size(), 1u);
    EXPECT_EQ(top->heard[0].from, middle); // each level names itself as the changed target
    EXPECT_EQ(other->heard.size(), 1u);

    middle->answer = REF_STOP;
    leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    EXPECT_EQ(middle->heard.size(), 2u);
    EXPECT_EQ(top->heard.size(), 1u) << "a stop keeps the message from going further up";

    // Without propagation only the direct dependents hear it.
    middle->answer = REF_SUCCEED;
    leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, NOTIFY_ALL, FALSE);
    EXPECT_EQ(top->heard.size(), 1u);

    // A super-class filter skips dependents of other kinds.
    other->sclass = OSM_CLASS_ID;
    leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, OSM_CLASS_ID);
    EXPECT_EQ(other->heard.size(), 4u);
    EXPECT_EQ(middle->heard.size(), 3u);

    top->DeleteThis(); // releases middle, which releases leaf's first dependent
    EXPECT_EQ(deaths, 2);
    other->DeleteThis();
    EXPECT_EQ(deaths, 4);
}

TEST(References, CycleOfReferencesDoesNotLoopForever) {
    auto* a = new Holder(1);
    auto* b = new Holder(1);
    a->SetAFlag(A_LOCK_TARGET);
    b->SetAFlag(A_LOCK_TARGET);
    a->ReplaceReference(0, b);
    b->ReplaceReference(0, a);
    a->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    EXPECT_EQ(b->heard.size(), 1u);
    EXPECT_EQ(a->heard.size(), 1u);
    a->DeleteAllRefsFromMe();
    b->DeleteAllRefsFromMe();
    a->DeleteThis();
    b->DeleteThis();
}

TEST(References, ReplacingAndDroppingReferencesDeletesOnlyUnneededTargets) {
    int deaths = 0;
    auto* owner = new Holder(3, &deaths);
    auto* shared = new Holder(0, &deaths);
    owner->ReplaceReference(0, shared);
    owner->ReplaceReference(1, shared);
    EXPECT_EQ(shared->NumDependents(), 1) << "one maker, counted once";

    owner->ReplaceReference(0, nullptr);
    EXPECT_EQ(deaths, 0) << "still referenced from slot 1";
    owner->ReplaceReference(1, nullptr);
    EXPECT_EQ(deaths, 1);

    auto* kept = new Holder(0, &deaths);
    owner->ReplaceReference(2, kept);
    owner->ReplaceReference(2, nullptr, FALSE);
    EXPECT_EQ(deaths, 1) << "delOld FALSE keeps the old target";
    EXPECT_FALSE(kept->HasDependents());
    kept->DeleteThis();
    owner->DeleteThis();
    EXPECT_EQ(deaths, 3);
}

TEST(References, DeletedTargetIsClearedFromEveryMaker) {
    auto* target = new Holder(0);
    target->SetAFlag(A_LOCK_TARGET);
    auto* a = new Holder(2);
    auto* b = new Holder(1);
    a->ReplaceReference(1, target);
    b->ReplaceReference(0, target);
    target->DeleteAllRefsToMe();
    EXPECT_EQ(a->GetReference(1), nullptr);
    EXPECT_EQ(b->GetReference(0), nullptr);
    ASSERT_FALSE(a->heard.empty());
    EXPECT_EQ(a->heard.back().msg, REFMSG_TARGET_DELETED);
    target->DeleteThis();
    a->DeleteThis();
    b->DeleteThis();
}

TEST(References, CloneKeepsSharedTargetsShared) {
    auto* leaf = new Holder(0);
    auto* root = new Holder(2);
    auto* left = new Holder(1);
    auto* right = new Holder(1);
    left->ReplaceReference(0, leaf);
    right->ReplaceReference(0, leaf);
    root->ReplaceReference(0, left);
    root->ReplaceReference(1, right);

    auto* copy = static_cast<Holder*>(CloneRefHierarchy(root));
    auto* cl = static_cast<Holder*>(copy->GetReference(0));
    auto* cr = static_cast<Holder*>(copy->GetReference(1));
    EXPECT_NE(cl, left);
    EXPECT_NE(cl->GetReference(0), leaf);
    EXPECT_EQ(cl->GetReference(0), cr->GetReference(0)) << "the leaf is cloned once";
    copy->DeleteThis();
    root->DeleteThis();
}

TEST(References, NodeAnswersTheHandleQueryOfItsObject) {
    auto* node = new INode();
    TriObject* obj = CreateNewTriObject();
    node->SetObjectRef(obj);
    ULONG handle = 0;
    obj->NotifyDependents(FOREVER, reinterpret_cast<PartID>(&handle), REFMSG_GET_NODE_HANDLE);
    EXPECT_EQ(handle, node->GetHandle());

    auto* other = new INode();
    EXPECT_NE(other->GetHandle(), node->GetHandle());
    node->DeleteAllRefsFromMe(); // the object goes with its last reference
    node->DeleteThis();
    other->DeleteThis();
}

} // namespace
