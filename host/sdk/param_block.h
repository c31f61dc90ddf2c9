#pragma once
// Blocks of parameter values: one per object and block descriptor, with
// tables, animation keys and the references of node and map parameters.
#include <concepts>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "host/sdk/param_block_desc.h"
#include "host/sdk/reference.h"

class IParamMap2;
class INode;

// Where animation keys go: while animating, setting an animatable parameter
// at a time puts a key there; otherwise it sets the value for all time.
void SetAnimateMode(BOOL on);
BOOL Animating();

class IParamBlock2 : public ReferenceTarget {
public:
    IParamBlock2(ParamBlockDesc2* desc, ReferenceMaker* owner);
    ~IParamBlock2() override;

    Class_ID ClassID() override { return Class_ID(PARAMETER_BLOCK2_CLASS_ID, 0); }
    SClass_ID SuperClassID() override { return PARAMETER_BLOCK2_CLASS_ID; }
    void GetClassName(MSTR& s) override { s = "ParamBlock2"; }

    BlockID ID() const { return desc_->ID; }
    ParamBlockDesc2* GetDesc() { return desc_; }
    ReferenceMaker* GetOwner() { return owner_; }
    void SetOwner(ReferenceMaker* owner) { owner_ = owner; }
    int NumParams() const { return desc_->Count(); }
    ParamID IndextoID(int i) const { return desc_->IndextoID(i); }
    int IDtoIndex(ParamID id) const { return desc_->IDtoIndex(id); }
    ParamType2 GetParameterType(ParamID id) const;

    // Reads a value at t from entry tabIndex (0 for single values).
    // ivalid is narrowed to how long the value stays the same. FALSE for an
    // unknown id, an index outside the table or a type that does not fit.
    BOOL GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, Point3& v, Interval& ivalid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, Color& v, Interval& ivalid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, AColor& v, Interval& ivalid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, const MCHAR*& v, Interval& ivalid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, ReferenceTarget*& v, Interval& ivalid, int tabIndex = 0);
    // Nodes, maps, materials: the value is null when it is of another class.
    template <class T>
    requires std::derived_from<T, ReferenceTarget> &&(!std::same_as<T, ReferenceTarget>)BOOL
        GetValue(ParamID id, TimeValue t, T*& v, Interval& ivalid, int tabIndex = 0) {
        ReferenceTarget* r = nullptr;
        BOOL ok = GetValue(id, t, r, ivalid, tabIndex);
        v = dynamic_cast<T*>(r);
        return ok;
    }

    // Sets a value; the owner and its dependents hear REFMSG_CHANGE.
    BOOL SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, double v, int tabIndex = 0) {
        return SetValue(id, t, static_cast<float>(v), tabIndex);
    }
    BOOL SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, const Color& v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, const AColor& v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, const MCHAR* v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, ReferenceTarget* v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, std::nullptr_t, int tabIndex = 0) {
        return SetValue(id, t, static_cast<ReferenceTarget*>(nullptr), tabIndex);
    }

    // Reads without an interval; 0 / null when the read fails.
    float GetFloat(ParamID id, TimeValue t = 0, int tabIndex = 0);
    int GetInt(ParamID id, TimeValue t = 0, int tabIndex = 0);
    Point3 GetPoint3(ParamID id, TimeValue t = 0, int tabIndex = 0);
    Color GetColor(ParamID id, TimeValue t = 0, int tabIndex = 0);
    AColor GetAColor(ParamID id, TimeValue t = 0, int tabIndex = 0);
    const MCHAR* GetStr(ParamID id, TimeValue t = 0, int tabIndex = 0);
    INode* GetINode(ParamID id, TimeValue t = 0, int tabIndex = 0);
    ReferenceTarget* GetReferenceTarget(ParamID id, TimeValue t = 0, int tabIndex = 0);

    // Tables. New entries take the default; references of removed entries
    // are dropped. Single values count 1.
    int Count(ParamID id);
    int SetCount(ParamID id, int n);
    int Resize(ParamID id, int n) { return SetCount(id, n); }
    void ZeroCount(ParamID id) { SetCount(id, 0); }
    int Delete(ParamID id, int start, int num);
    int Insert(ParamID id, int start, int num);

    // Whether entry tabIndex holds keys.
    BOOL IsAnimated(ParamID id, int tabIndex = 0);
    int NumKeys(ParamID id, int tabIndex = 0);

    // Back to the defaults (one parameter, or all when id is -1).
    void Reset(ParamID id = -1);
    // The parameter (and its table entry) that changed last.
    ParamID LastNotifyParamID() const { return lastNotifyID_; }
    ParamID LastNotifyParamID(int& tabIndex) const {
        tabIndex = lastNotifyTab_;
        return lastNotifyID_;
    }

    // The rollout showing this block's map, while it is open.
    IParamMap2* GetMap(MapID map = 0);
    void SetMap(IParamMap2* m, MapID map = 0);

    // References: every entry of a reference-type parameter that does not
    // live in the owner, in parameter order then table order.
    int NumRefs() override;
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;
    void RefAdded(RefMakerHandle rm) override;
    // The same values; referenced maps and targets cloned through remap,
    // nodes shared. The clone's owner is whoever references it first.
    ReferenceTarget* Clone(RemapDir& remap) override;
    // Values by parameter id with their table counts; references are the
    // scene file's.
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

private:
    struct Key {
        TimeValue t;
        PB2Value v;
    };
    struct Entry {
        PB2Value value;
        ReferenceTarget* ref = nullptr;
        std::vector<Key> keys; // sorted by time
    };
    Entry* Find(ParamID id, int tabIndex, const ParamDef** def);
    void Init(int index, Entry& e) const;
    PB2Value ValueAt(const Entry& e, const ParamDef& d, TimeValue t, Interval& ivalid) const;
    // The value of an integer or float parameter, with its definition; false otherwise.
    bool NumberAt(ParamID id, TimeValue t, Interval& ivalid, int tabIndex, PB2Value& x,
                  const ParamDef*& d);
    BOOL Store(ParamID id, TimeValue t, int tabIndex, const PB2Value& v, bool isFloat, bool isInt);
    BOOL SetRef(ParamID id, int tabIndex, ReferenceTarget* v);
    void Changed(ParamID id, int tabIndex);
    // Reference index of an entry, or -1.
    int RefIndex(int paramIndex, int tabIndex);
    bool LocateRef(int refIndex, int& paramIndex, int& tabIndex);
    // Recounts refStart_ after a table changed size.
    void IndexRefs();

    ParamBlockDesc2* desc_;
    ReferenceMaker* owner_;
    std::vector<std::vector<Entry>> values_; // per parameter index
    // First reference index of each parameter, and the count at the end: long
    // node tables would otherwise make every reference lookup a walk.
    std::vector<int> refStart_;
    std::vector<std::pair<MapID, IParamMap2*>> maps_;
    ParamID lastNotifyID_ = -1;
    int lastNotifyTab_ = -1;
};

IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* iowner);
