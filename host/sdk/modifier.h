#pragma once
// Modifiers and the derived objects that hold them. A node's own modifiers
// sit in a derived object that the node references in place of its base
// object; its world-space modifiers sit in a second derived object that the
// node applies after them.
#include <memory>
#include <vector>

#include "host/sdk/object.h"

class LocalModData {
public:
    virtual ~LocalModData() = default;
    virtual LocalModData* Clone() = 0;
};

// Where a modifier is applied: its gizmo transform, the input's box and the
// modifier's own data for this application. Owned by the derived object.
class ModContext {
public:
    Matrix3* tm = nullptr;
    Box3* box = nullptr;
    LocalModData* localData = nullptr;

    ModContext() = default;
    ModContext(Matrix3* t, Box3* b, LocalModData* ld) : tm(t), box(b), localData(ld) {}
    ModContext(const ModContext& mc);
    ModContext& operator=(const ModContext&) = delete;
    ~ModContext();
};

class Modifier : public BaseObject {
public:
    SClass_ID SuperClassID() override { return OSM_CLASS_ID; }

    // How long the modifier's own effect stays the same.
    virtual Interval LocalValidity(TimeValue) { return FOREVER; }
    virtual ChannelMask ChannelsUsed() = 0;
    virtual ChannelMask ChannelsChanged() = 0;
    // The class of object the modifier works on; the host converts the
    // input to it first (and skips the modifier when it cannot).
    virtual Class_ID InputType() = 0;
    virtual void ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) = 0;
    virtual void NotifyInputChanged(Interval, PartID, RefMessage, ModContext*) {}

    virtual int HitTest(TimeValue, INode*, int, int, int, IPoint2*, ViewExp*, ModContext*) {
        return 0;
    }
    virtual int Display(TimeValue, INode*, ViewExp*, int, ModContext*) { return 0; }
    virtual void GetWorldBoundBox(TimeValue, INode*, ViewExp*, Box3& box, ModContext*) {
        box.Init();
    }
    using BaseObject::Display;
    using BaseObject::GetWorldBoundBox;
    using BaseObject::HitTest;

    BOOL IsEnabled() { return TestAFlag(A_MOD_DISABLED) ? FALSE : TRUE; }
    void DisableMod() { SetAFlag(A_MOD_DISABLED); }
    void EnableMod() { ClearAFlag(A_MOD_DISABLED); }
};

class OSModifier : public Modifier {};

class WSModifier : public Modifier {
public:
    SClass_ID SuperClassID() override { return WSM_CLASS_ID; }
};

// A stack of modifiers over a base object. Modifier 0 is the top of the
// stack, applied last; AddModifier puts a new one on top by default.
class IDerivedObject : public Object {
public:
    // worldSpace: the derived object of a node's world-space modifiers,
    // which has no base object of its own.
    explicit IDerivedObject(bool worldSpace = false);
    ~IDerivedObject() override;

    Class_ID ClassID() override { return worldSpace_ ? WSMDerivObjClassID : derivObjClassID; }
    SClass_ID SuperClassID() override {
        return worldSpace_ ? WSM_DERIVOB_CLASS_ID : GEN_DERIVOB_CLASS_ID;
    }
    void GetClassName(MSTR& s) override { s = worldSpace_ ? "WSMDerivedObject" : "DerivedObject"; }
    bool IsWorldSpace() const { return worldSpace_; }

    Object* GetObjRef() { return base_; }
    void ReferenceObject(Object* obj);
    Object* FindBaseObject() override { return base_ ? base_->FindBaseObject() : nullptr; }

    int NumModifiers() const { return static_cast<int>(mods_.size()); }
    Modifier* GetModifier(int index) const;
    ModContext* GetModContext(int index) const;
    // Inserts mod before position `before` (0: on top). The context is
    // copied; a default one is made when mc is null.
    void AddModifier(Modifier* mod, ModContext* mc = nullptr, int before = 0);
    void DeleteModifier(int index = 0);

    // The base object with every modifier applied, bottom first. The result
    // is kept until a change or an evaluation at a time it does not cover.
    ObjectState Eval(TimeValue t) override { return Eval(t, nullptr); }
    // The same for the node that holds the stack, handed to the modifiers.
    ObjectState Eval(TimeValue t, INode* node);
    // Applies the modifiers to a state evaluated elsewhere: the node's
    // world-space stack, whose input comes from the node's own object.
    ObjectState EvalFrom(TimeValue t, ObjectState in, INode* node);
    // How long the last result holds; NEVER after a change.
    Interval CachedValidity() const { return cacheValid_; }
    void InvalidateCache() { cacheValid_ = NEVER; }
    Interval ObjectValidity(TimeValue t) override;
    int CanConvertToType(Class_ID obtype) override;
    Object* ConvertToType(TimeValue t, Class_ID obtype) override;

    // References: 0 the base object, 1 + i modifier i.
    int NumRefs() override { return 1 + NumModifiers(); }
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;
    int NumSubs() override { return NumRefs(); }
    Animatable* SubAnim(int i) override { return GetReference(i); }

    ReferenceTarget* Clone(RemapDir& remap) override;
    // The modifier count and the flag; the references are the scene file's.
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

private:
    void FreeResults();

    bool worldSpace_;
    Object* base_ = nullptr;
    std::vector<Modifier*> mods_;
    std::vector<std::unique_ptr<ModContext>> contexts_;
    // Objects the last evaluation made (copies, conversions); freed by the next.
    std::vector<Object*> results_;
    ObjectState cached_;
    Interval cacheValid_ = NEVER;
};

IDerivedObject* CreateDerivedObject(Object* base = nullptr);
IDerivedObject* CreateWSDerivedObject();
