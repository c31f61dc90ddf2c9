// Parameter blocks made from a descriptor declared in code: defaults, tables,
// reading with validity, animation keys, node references, cloning, storage,
// and the rollouts a class descriptor opens and closes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "host/app/chunk_io.h"
#include "host/sdk/inode.h"
#include "host/sdk/param_block2.h"
#include "host/sdk/tri_object.h"

namespace {

enum { kNodes = 0, kCount = 1, kWidths = 2, kScale = 3, kColour = 4, kLabel = 5, kMoreNodes = 6 };

class TestDesc : public ClassDesc2 {
public:
    int IsPublic() override { return 1; }
    void* Create(BOOL) override;
    const MCHAR* ClassName() override { return "Tester"; }
    SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
    Class_ID ClassID() override { return Class_ID(0xabc, 0xdef); }
    const MCHAR* Category() override { return "Tests"; }
};
TestDesc testDesc;

// Records the messages a rollout procedure gets.
class RecordingProc : public ParamMap2UserDlgProc {
public:
    INT_PTR DlgProc(TimeValue, IParamMap2* map, HWND hWnd, UINT msg, WPARAM, LPARAM) override {
        log.push_back(std::to_string(map->GetMapID()) + ":" + std::to_string(msg));
        if (msg == WM_INITDIALOG) SetDlgItemText(hWnd, 7, "opened");
        return FALSE;
    }
    void DeleteThis() override {}
    void SetThing(ReferenceTarget* t) override { thing = t; }
    std::vector<std::string> log;
    ReferenceTarget* thing = nullptr;
};
RecordingProc procA, procB;

ParamBlockDesc2 testBlock(
    BlockLayout(0, "parameters", 0, &testDesc, P_AUTO_CONSTRUCT | P_AUTO_UI | P_MULTIMAP, 0)
        .Rollout(1, 201, 0, 0, 0, &procA)
        .Rollout(0, 200, 0, 0, 0, &procB)
        .Param(ParamDef(kNodes, "Nodes", TYPE_INODE_TAB).Table(5).Flags(8))
        .Param(ParamDef(kCount, "Count", TYPE_INT)
                   .Default(10)
                   .Range(1, 16)
                   .Spinner(1, EDITTYPE_INT, 100, 101, SPIN_AUTOSCALE))
        .Param(
            ParamDef(kWidths, "Widths", TYPE_FLOAT_TAB).Table(5).Default(45.0f).Range(5.0f, 85.0f))
        .Param(ParamDef(kScale, "Scale", TYPE_FLOAT, P_ANIMATABLE).Default(1.0f))
        .Param(ParamDef(kColour, "Colour", TYPE_RGBA).Default(Color(1.0f, 0.5f, 0.0f)))
        .Param(ParamDef(kLabel, "Label", TYPE_STRING).Default("none"))
        .Param(ParamDef(kMoreNodes, "More Nodes", TYPE_INODE_TAB).Table(2)));

class Tester : public TriObject {
public:
    IParamBlock2* pblock = nullptr;
    Tester() { testDesc.MakeAutoParamBlocks(this); }
    Class_ID ClassID() override { return testDesc.ClassID(); }
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int) override { return pblock; }
    void SetReference(int, RefTargetHandle t) override { pblock = static_cast<IParamBlock2*>(t); }
    int NumParamBlocks() override { return 1; }
    IParamBlock2* GetParamBlock(int) override { return pblock; }
    IParamBlock2* GetParamBlockByID(BlockID id) override {
        return pblock && pblock->ID() == id ? pblock : nullptr;
    }
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage msg) override {
        if (msg == REFMSG_CHANGE) ++changes;
        return REF_SUCCEED;
    }
    int changes = 0;
};

void* TestDesc::Create(BOOL) {
    return static_cast<Animatable*>(new Tester());
}

TEST(ParamBlock, NewBlockHoldsDeclaredDefaultsAndTableSizes) {
    auto* obj = new Tester();
    IParamBlock2* pb = obj->pblock;
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(pb->GetOwner(), obj);
    EXPECT_EQ(pb->Count(kNodes), 5);
    EXPECT_EQ(pb->Count(kWidths), 5);
    EXPECT_EQ(pb->Count(kCount), 1);
    EXPECT_EQ(pb->GetInt(kCount), 10);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pb->GetINode(kNodes, 0, i), nullptr);
        EXPECT_EQ(pb->GetFloat(kWidths, 0, i), 45.0f);
    }
    EXPECT_EQ(pb->GetColor(kColour), Color(1.0f, 0.5f, 0.0f));
    EXPECT_STREQ(pb->GetStr(kLabel), "none");
    // A single value answers whatever table index it is read with.
    EXPECT_EQ(pb->GetInt(kCount, 0, 3), 10);
    // Reads outside a table, of unknown ids or of the wrong kind fail.
    Interval iv = FOREVER;
    float f = -1.0f;
    EXPECT_FALSE(pb->GetValue(kWidths, 0, f, iv, 5));
    EXPECT_FALSE(pb->GetValue(99, 0, f, iv));
    Point3 p;
    EXPECT_FALSE(pb->GetValue(kCount, 0, p, iv));
    EXPECT_EQ(iv, FOREVER);
    obj->DeleteThis();
}

TEST(ParamBlock, SettingTellsTheOwnerWhichParameterChanged) {
    auto* obj = new Tester();
    IParamBlock2* pb = obj->pblock;
    EXPECT_TRUE(pb->SetValue(kWidths, 0, 30.0, 3));
    EXPECT_EQ(obj->changes, 1);
    int tab = -1;
    EXPECT_EQ(pb->LastNotifyParamID(tab), kWidths);
    EXPECT_EQ(tab, 3);
    EXPECT_EQ(pb->GetFloat(kWidths, 0, 3), 30.0f);
    EXPECT_EQ(pb->GetFloat(kWidths, 0, 2), 45.0f);
    // Integers and floats convert into each other; other kinds are refused.
    EXPECT_TRUE(pb->SetValue(kCount, 0, 7.9f));
    EXPECT_EQ(pb->GetInt(kCount), 7);
    EXPECT_FALSE(pb->SetValue(kCount, 0, Point3(1, 2, 3)));
    EXPECT_FALSE(pb->SetValue(kNodes, 0, 3, 0));
    obj->DeleteThis();
}

TEST(ParamBlock, AnimatedValuesInterpolateAndNarrowValidity) {
    auto* obj = new Tester();
    IParamBlock2* pb = obj->pblock;
    SetAnimateMode(TRUE);
    pb->SetValue(kScale, 100, 3.0f); // keys: 0 -> 1.0 (old value), 100 -> 3.0
    pb->SetValue(kCount, 100, 4);    // not animatable: a plain value
    SetAnimateMode(FALSE);
    EXPECT_EQ(pb->NumKeys(kScale), 2);
    EXPECT_FALSE(pb->IsAnimated(kCount));

    Interval iv = FOREVER;
    float v = 0.0f;
    ASSERT_TRUE(pb->GetValue(kScale, 25, v, iv));
    EXPECT_FLOAT_EQ(v, 1.5f);
    EXPECT_EQ(iv, Interval(25, 25));
    iv = FOREVER;
    pb->GetValue(kScale, 200, v, iv);
    EXPECT_FLOAT_EQ(v, 3.0f);
    EXPECT_EQ(iv, Interval(100, TIME_PosInfinity));
    iv = FOREVER;
    pb->GetValue(kScale, -50, v, iv);
    EXPECT_FLOAT_EQ(v, 1.0f);
    EXPECT_EQ(iv, Interval(TIME_NegInfinity, 0));
    iv = FOREVER;
    int n = 0;
    pb->GetValue(kCount, 50, n, iv);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(iv, FOREVER);

    // Outside animate mode a value replaces the keys.
    pb->SetValue(kScale, 0, 2.0f);
    EXPECT_EQ(pb->NumKeys(kScale), 0);
    EXPECT_EQ(pb->GetFloat(kScale, 60), 2.0f);
    obj->DeleteThis();
}

TEST(ParamBlock, NodeEntriesAreReferencesThatFollowTheNodes) {
    auto* obj = new Tester();
    IParamBlock2* pb = obj->pblock;
    auto* a = new INode();
    auto* b = new INode();
    ASSERT_TRUE(pb->SetValue(kNodes, 0, a, 0));
    ASSERT_TRUE(pb->SetValue(kNodes, 0, b, 3));
    ASSERT_TRUE(pb->SetValue(kNodes, 0, a, 4));
    EXPECT_EQ(pb->NumRefs(), 7);
    EXPECT_EQ(pb->GetINode(kNodes, 0, 3), b);
    TriObject* notANode = CreateNewTriObject();
    EXPECT_FALSE(pb->SetValue(kNodes, 0, static_cast<ReferenceTarget*>(notANode), 1))
        << "a node table takes nodes only";
    notANode->DeleteThis();

    // A node change reaches the block's owner.
    int before = obj->changes;
    a->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    EXPECT_GT(obj->changes, before);

    // Deleting a node empties its slots; the others keep theirs.
    a->DeleteAllRefsToMe();
    EXPECT_EQ(pb->GetINode(kNodes, 0, 0), nullptr);
    EXPECT_EQ(pb->GetINode(kNodes, 0, 4), nullptr);
    EXPECT_EQ(pb->GetINode(kNodes, 0, 3), b);

    // Shrinking the table drops the references of the removed entries.
    pb->SetCount(kNodes, 3);
    EXPECT_EQ(pb->NumRefs(), 5);
    EXPECT_FALSE(b->HasDependents());
    pb->SetCount(kNodes, 5);
    EXPECT_EQ(pb->GetINode(kNodes, 0, 3), nullptr);

    // A later table's references move with every resize of an earlier one,
    // and a reference index between tables lands in the right one.
    ASSERT_TRUE(pb->SetValue(kMoreNodes, 0, b, 1));
    for (int count : {5, 0, 9, 2}) {
        pb->SetCount(kNodes, count);
        ASSERT_EQ(pb->NumRefs(), count + 2);
        EXPECT_EQ(pb->GetReference(count + 1), b) << "with " << count << " nodes before it";
        EXPECT_EQ(pb->GetReference(count), nullptr);
        EXPECT_EQ(pb->GetReference(count + 2), nullptr);
        pb->ReplaceReference(count + 1, a);
        EXPECT_EQ(pb->GetINode(kMoreNodes, 0, 1), a);
        pb->ReplaceReference(count + 1, b);
    }
    pb->DeleteAllRefsFromMe();
    EXPECT_FALSE(b->HasDependents());
    obj->DeleteThis();
    a->DeleteThis();
    b->DeleteThis();
}

TEST(ParamBlock, CloneCopiesValuesAndSharesNodes) {
    auto* obj = new Tester();
    auto* node = new INode();
    obj->pblock->SetValue(kNodes, 0, node, 2);
    obj->pblock->SetValue(kWidths, 0, 12.0f, 1);
    RemapDir remap;
    auto* copy = static_cast<IParamBlock2*>(remap.CloneRef(obj->pblock));
    EXPECT_EQ(copy->GetOwner(), nullptr);
    EXPECT_EQ(copy->GetINode(kNodes, 0, 2), node);
    EXPECT_EQ(copy->GetFloat(kWidths, 0, 1), 12.0f);
    auto* other = new Tester();
    other->ReplaceReference(0, copy);
    EXPECT_EQ(copy->GetOwner(), other) << "the first maker to reference a clone owns it";
    obj->DeleteThis();
    other->DeleteThis();
    EXPECT_FALSE(node->HasDependents());
    node->DeleteThis();
}

TEST(ParamBlock, SaveAndLoadRestoreValuesTablesAndKeys) {
    auto* obj = new Tester();
    IParamBlock2* pb = obj->pblock;
    pb->SetCount(kWidths, 7);
    pb->SetValue(kWidths, 0, 5.5f, 6);
    pb->SetValue(kLabel, 0, "hello");
    SetAnimateMode(TRUE);
    pb->SetValue(kScale, 10, 4.0f);
    SetAnimateMode(FALSE);
    MemorySave out;
    ASSERT_EQ(pb->Save(&out), IO_OK);
    ASSERT_EQ(out.Status(), IO_OK);

    auto* back = new Tester();
    MemoryLoad in(out.Bytes());
    ASSERT_EQ(back->pblock->Load(&in), IO_OK);
    EXPECT_EQ(back->pblock->Count(kWidths), 7);
    EXPECT_EQ(back->pblock->GetFloat(kWidths, 0, 6), 5.5f);
    EXPECT_STREQ(back->pblock->GetStr(kLabel), "hello");
    EXPECT_FLOAT_EQ(back->pblock->GetFloat(kScale, 5), 2.5f);

    // Cut anywhere, loading fails cleanly instead of reading past the end.
    const auto& bytes = out.Bytes();
    for (std::size_t cut = 1; cut < bytes.size(); cut += 3) {
        auto* victim = new Tester();
        MemoryLoad part(
            std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
        victim->pblock->Load(&part);
        victim->DeleteThis();
    }
    obj->DeleteThis();
    back->DeleteThis();
}

// Where a value of known bytes starts in a saved block; the bytes must be unique.
std::size_t OffsetOf(const std::vector<std::uint8_t>& bytes, const void* value, std::size_t size) {
    const auto* v = static_cast<const std::uint8_t*>(value);
    auto at = std::search(bytes.begin(), bytes.end(), v, v + size);
    EXPECT_NE(at, bytes.end());
    EXPECT_EQ(std::search(at + 1, bytes.end(), v, v + size), bytes.end()) << "not unique";
    return static_cast<std::size_t>(at - bytes.begin());
}

TEST(ParamBlock, LoadRefusesValuesTheParameterCannotHoldNamingItAndTheOffset) {
    auto* obj = new Tester();
    IParamBlock2* pb = obj->pblock;
    pb->SetValue(kCount, 0, 11);
    pb->SetValue(kWidths, 0, 33.25f, 2);
    pb->SetValue(kScale, 0, 1.75f);
    pb->SetValue(kColour, 0, AColor(0.125f, 0.5f, 0.75f, 1.0f));
    MemorySave out;
    ASSERT_EQ(pb->Save(&out), IO_OK);
    const std::vector<std::uint8_t> saved = out.Bytes();
    obj->DeleteThis();
    // The count's entry: id, type, one entry, then its value.
    const std::uint8_t countEntry[] = {kCount, 0, TYPE_INT, 0, 0, 0, 1, 0, 0, 0, 11, 0, 0, 0};
    const std::size_t countAt = OffsetOf(saved, countEntry, sizeof countEntry) + 10;
    const float width = 33.25f, scale = 1.75f, blue = 0.75f;
    const std::size_t widthAt = OffsetOf(saved, &width, 4);
    const std::size_t scaleAt = OffsetOf(saved, &scale, 4);
    const std::size_t blueAt = OffsetOf(saved, &blue, 4);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    auto asBytes = [](auto v) {
        std::vector<std::uint8_t> b(sizeof v);
        std::memcpy(b.data(), &v, sizeof v);
        return b;
    };
    // A colour is one value of four components: the offset named is its start.
    const std::size_t colourAt = blueAt - 8;
    const struct {
        std::size_t at;
        std::vector<std::uint8_t> value;
        std::string problem;   // empty: the value loads
        std::size_t named = 0; // the offset the message names, when not `at`
    } cases[] = {
        {countAt, asBytes(17),
         "parameter \"Count\" of block \"parameters\": value 17 is outside its range 1 .. 16"},
        {countAt, asBytes(0),
         "parameter \"Count\" of block \"parameters\": value 0 is outside its range 1 .. 16"},
        {widthAt, asBytes(nan),
         "parameter \"Widths\" of block \"parameters\": value nan is not a finite number"},
        {widthAt, asBytes(90.0f),
         "parameter \"Widths\" of block \"parameters\": value 90 is outside its range 5 .. 85"},
        {scaleAt, asBytes(-inf),
         "parameter \"Scale\" of block \"parameters\": value -inf is not a finite number"},
        {blueAt, asBytes(nan),
         "parameter \"Colour\" of block \"parameters\": a colour component is not a finite number",
         colourAt},
        // A float parameter without a range may hold what no int can.
        {scaleAt, asBytes(5e19f), ""},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> bytes = saved;
        std::copy(c.value.begin(), c.value.end(), bytes.begin() + static_cast<long>(c.at));
        auto* back = new Tester();
        MemoryLoad in(bytes);
        if (c.problem.empty()) {
            EXPECT_EQ(back->pblock->Load(&in), IO_OK) << in.Error();
            EXPECT_EQ(back->pblock->GetFloat(kScale), 5e19f);
            // Read as a whole number it saturates instead of overflowing.
            EXPECT_EQ(back->pblock->GetInt(kScale), std::numeric_limits<int>::max());
        } else {
            EXPECT_EQ(back->pblock->Load(&in), IO_ERROR) << c.problem;
            EXPECT_EQ(in.Error(),
                      "offset " + std::to_string(c.named ? c.named : c.at) + ": " + c.problem)
                << in.Error();
        }
        back->DeleteThis();
    }
}

// A block whose reference parameters live in its owner's references, as a
// texture map keeps its sub-maps.
class OwnerDesc : public ClassDesc2 {
public:
    int IsPublic() override { return 0; }
    void* Create(BOOL) override { return nullptr; }
    const MCHAR* ClassName() override { return "Owner"; }
    SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }
    Class_ID ClassID() override { return Class_ID(0x0e, 0x0f); }
    const MCHAR* Category() override { return ""; }
};
OwnerDesc ownerDesc;
ParamBlockDesc2 ownerBlock(
    BlockLayout(0, "owned", 0, &ownerDesc, P_AUTO_CONSTRUCT, 1)
        .Param(ParamDef(0, "first", TYPE_REFTARG).OwnersRef(0))
        .Param(ParamDef(1, "maps", TYPE_REFTARG_TAB, P_VARIABLE_SIZE).Table(2).OwnersRef(2)));

class Owner : public ReferenceTarget {
public:
    std::vector<RefTargetHandle> refs = std::vector<RefTargetHandle>(4, nullptr);
    Owner() { ownerDesc.MakeAutoParamBlocks(this); }
    SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }
    int NumRefs() override { return static_cast<int>(refs.size()); }
    RefTargetHandle GetReference(int i) override { return refs[static_cast<std::size_t>(i)]; }
    void SetReference(int i, RefTargetHandle t) override { refs[static_cast<std::size_t>(i)] = t; }
    IParamBlock2* Block() { return static_cast<IParamBlock2*>(refs[1]); }
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }
};

TEST(ParamBlock, OwnersReferenceParametersLiveInTheOwner) {
    auto* owner = new Owner();
    IParamBlock2* pb = owner->Block();
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(pb->NumRefs(), 0) << "the block holds none of them itself";
    TriObject* a = CreateNewTriObject();
    TriObject* b = CreateNewTriObject();
    ASSERT_TRUE(pb->SetValue(0, 0, a));
    ASSERT_TRUE(pb->SetValue(1, 0, b, 1));
    EXPECT_EQ(owner->GetReference(0), a);
    EXPECT_EQ(owner->GetReference(3), b);
    EXPECT_EQ(pb->GetReferenceTarget(1, 0, 1), b);
    // The owner changing its reference is what the block reads.
    owner->ReplaceReference(2, a);
    EXPECT_EQ(pb->GetReferenceTarget(1, 0, 0), a);
    EXPECT_EQ(pb->GetReferenceTarget(1, 0, 2), nullptr) << "outside the table's count";
    owner->DeleteThis();
}

TEST(ClassDescriptor, EditingOpensTheRolloutsInDeclaredOrderAndClosesThem) {
    procA.log.clear();
    procB.log.clear();
    EXPECT_EQ(testDesc.NumParamBlockDescs(), 1);
    EXPECT_EQ(testDesc.GetParamBlockDescByID(0), &testBlock);
    auto* obj = new Tester();
    testDesc.BeginEditParams(nullptr, obj, 0, nullptr);
    IParamMap2* first = testDesc.GetParamMap(&testBlock, 1);
    IParamMap2* second = testDesc.GetParamMap(&testBlock, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(procA.log, std::vector<std::string>{"1:" + std::to_string(WM_INITDIALOG)});
    EXPECT_EQ(procB.log, std::vector<std::string>{"0:" + std::to_string(WM_INITDIALOG)});
    EXPECT_EQ(win32host::WindowTemplateId(first->GetHWnd()), 201);
    char text[32];
    GetDlgItemText(first->GetHWnd(), 7, text, sizeof text);
    EXPECT_STREQ(text, "opened");
    EXPECT_EQ(obj->pblock->GetMap(1), first);
    EXPECT_EQ(procA.thing, nullptr) << "a fresh rollout is not handed a thing";

    // A second object of the class takes the open rollouts over.
    auto* next = new Tester();
    testDesc.BeginEditParams(nullptr, next, 0, obj);
    EXPECT_EQ(first->GetParamBlock(), next->pblock);
    EXPECT_EQ(procA.thing, next);

    obj->pblock->SetValue(kCount, 0, 3);
    int seen = first->Invalidations();
    next->pblock->SetValue(kCount, 0, 3);
    EXPECT_GT(first->Invalidations(), seen);

    HWND wnd = first->GetHWnd();
    testDesc.EndEditParams(nullptr, next, END_EDIT_REMOVEUI, nullptr);
    EXPECT_EQ(testDesc.GetParamMap(&testBlock, 1), nullptr);
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(procA.log.back(), "1:" + std::to_string(WM_DESTROY));
    EXPECT_EQ(next->pblock->GetMap(1), nullptr);
    obj->DeleteThis();
    next->DeleteThis();
}

} // namespace
