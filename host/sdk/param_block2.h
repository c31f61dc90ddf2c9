#pragma once
// Parameter blocks: a class declares its parameters once in a block
// descriptor (types, defaults, ranges, tables and the controls of its
// rollouts); each object then holds a block of values made from it. Class
// descriptors create objects and open and close their rollouts.
#include <concepts>
#include <cstddef>
#include <string>
#include <vector>

#include "host/sdk/color.h"
#include "host/sdk/point.h"
#include "host/sdk/reference.h"
#include "host/sdk/win32.h"

class ClassDesc2;
class IParamBlock2;
class IParamMap2;
class INode;
class ParamMap2UserDlgProc;
class ParamBlockDesc2;

using StringResID = int;

enum ParamType2 : int {
    TYPE_FLOAT = 0,
    TYPE_INT,
    TYPE_RGBA,
    TYPE_POINT3,
    TYPE_BOOL,
    TYPE_ANGLE,
    TYPE_PCNT_FRAC,
    TYPE_WORLD,
    TYPE_STRING,
    TYPE_FILENAME,
    TYPE_HSV,
    TYPE_COLOR_CHANNEL,
    TYPE_TIMEVALUE,
    TYPE_RADIOBTN_INDEX,
    TYPE_MTL,
    TYPE_TEXMAP,
    TYPE_BITMAP,
    TYPE_INODE,
    TYPE_REFTARG,
    TYPE_INDEX,
    TYPE_FRGBA,
    TYPE_TAB = 0x800,
    TYPE_FLOAT_TAB = TYPE_FLOAT | TYPE_TAB,
    TYPE_INT_TAB = TYPE_INT | TYPE_TAB,
    TYPE_RGBA_TAB = TYPE_RGBA | TYPE_TAB,
    TYPE_POINT3_TAB = TYPE_POINT3 | TYPE_TAB,
    TYPE_BOOL_TAB = TYPE_BOOL | TYPE_TAB,
    TYPE_ANGLE_TAB = TYPE_ANGLE | TYPE_TAB,
    TYPE_WORLD_TAB = TYPE_WORLD | TYPE_TAB,
    TYPE_STRING_TAB = TYPE_STRING | TYPE_TAB,
    TYPE_MTL_TAB = TYPE_MTL | TYPE_TAB,
    TYPE_TEXMAP_TAB = TYPE_TEXMAP | TYPE_TAB,
    TYPE_INODE_TAB = TYPE_INODE | TYPE_TAB,
    TYPE_REFTARG_TAB = TYPE_REFTARG | TYPE_TAB,
    TYPE_INDEX_TAB = TYPE_INDEX | TYPE_TAB,
};

constexpr bool IsTabType(ParamType2 t) {
    return (t & TYPE_TAB) != 0;
}
constexpr ParamType2 BaseType(ParamType2 t) {
    return static_cast<ParamType2>(t & ~TYPE_TAB);
}
// Types whose values are references to other scene items.
constexpr bool IsRefType(ParamType2 t) {
    ParamType2 b = BaseType(t);
    return b == TYPE_MTL || b == TYPE_TEXMAP || b == TYPE_INODE || b == TYPE_REFTARG;
}

// Flags of a parameter.
constexpr int P_ANIMATABLE = 0x00000001;
constexpr int P_TRANSIENT = 0x00000002;
constexpr int P_NO_INIT = 0x00000004;
constexpr int P_COMPUTED_NAME = 0x00000008;
constexpr int P_INVISIBLE = 0x00000010;
constexpr int P_RESET_DEFAULT = 0x00000020;
constexpr int P_SUBANIM = 0x00000040;
constexpr int P_TV_SHOW_ALL = 0x00000080;
constexpr int P_NO_REF = 0x00000100;
constexpr int P_OWNERS_REF = 0x00000200; // the value lives in the owner's references
constexpr int P_CAN_CONVERT = 0x00000400;
constexpr int P_SUBTEX = 0x00000800;
constexpr int P_VARIABLE_SIZE = 0x00001000;
constexpr int P_NO_AUTO_LABELS = 0x00002000;
constexpr int P_SHORT_LABELS = 0x00004000;
constexpr int P_READ_ONLY = 0x00008000;

// Flags of a block.
constexpr USHORT P_CLASS_PARAMS = 0x0001;
constexpr USHORT P_AUTO_CONSTRUCT = 0x0002; // made into reference `ref` of the owner
constexpr USHORT P_AUTO_UI = 0x0004;        // rollouts opened by the class descriptor
constexpr USHORT P_USE_PARAMS = 0x0008;
constexpr USHORT P_INCLUDE_PARAMS = 0x0010;
constexpr USHORT P_MULTIMAP = 0x0100; // several rollouts
constexpr USHORT P_VERSION = 0x0200;
constexpr USHORT P_CALLSETS_ON_LOAD = 0x0400;

enum ControlType2 : int {
    TYPE_NONE_CTRL = -1,
    TYPE_SPINNER = 0,
    TYPE_RADIO,
    TYPE_SINGLECHECKBOX,
    TYPE_MULTILIST,
    TYPE_COLORSWATCH,
    TYPE_EDITBOX,
    TYPE_CHECKBUTTON,
    TYPE_PICKNODEBUTTON,
    TYPE_TEXMAPBUTTON,
    TYPE_MTLBUTTON,
    TYPE_BITMAPBUTTON,
    TYPE_INTLISTBOX,
    TYPE_SLIDER,
    TYPE_COMBOBOX,
};

enum EditSpinnerType : int {
    EDITTYPE_INT = 0,
    EDITTYPE_FLOAT = 1,
    EDITTYPE_UNIVERSE = 2,
    EDITTYPE_POS_INT = 3,
    EDITTYPE_POS_FLOAT = 4,
    EDITTYPE_POS_UNIVERSE = 5,
    EDITTYPE_TIME = 6,
};

// The spinner picks its own step from the value.
constexpr float SPIN_AUTOSCALE = -1.0f;

// One value of any non-reference type; numbers are kept as int and float.
struct PB2Value {
    float f = 0.0f;
    int i = 0;
    Point3 p;
    AColor c;
    std::string s;
};

// One parameter of a block descriptor, built with chained setters:
//   ParamDef(1, "Spline_ID", TYPE_INT).Default(1).Range(1, 256)
//       .Spinner(0, EDITTYPE_INT, 1119, 1120, SPIN_AUTOSCALE)
class ParamDef {
public:
    ParamID ID = -1;
    std::string int_name;
    ParamType2 type = TYPE_FLOAT;
    int flags = 0;
    StringResID local_name = 0;
    int tab_size = 0; // initial count of a table
    PB2Value def;
    bool has_range = false;
    PB2Value range_low, range_high;
    MapID ui_map = -1; // -1: no control
    ControlType2 ctrl_type = TYPE_NONE_CTRL;
    EditSpinnerType spin_type = EDITTYPE_FLOAT;
    std::vector<int> ctrl_IDs;
    std::vector<int> radio_values; // value of each radio button; index when empty
    float scale = SPIN_AUTOSCALE;
    StringResID prompt = 0;
    int refno = -1; // first owner's reference with P_OWNERS_REF
    SClass_ID sclassID = 0;
    Class_ID classID;

    ParamDef() = default;
    ParamDef(ParamID id, std::string name, ParamType2 t, int fl = 0, StringResID localName = 0)
        : ID(id), int_name(std::move(name)), type(t), flags(fl), local_name(localName) {}

    ParamDef& Table(int count) {
        tab_size = count;
        return *this;
    }
    ParamDef& Flags(int fl) {
        flags |= fl;
        return *this;
    }
    ParamDef& LocalName(StringResID id) {
        local_name = id;
        return *this;
    }
    ParamDef& Default(int v) {
        def.i = v;
        def.f = static_cast<float>(v);
        return *this;
    }
    ParamDef& Default(bool v) { return Default(v ? 1 : 0); }
    ParamDef& Default(float v) {
        def.f = v;
        def.i = static_cast<int>(v);
        return *this;
    }
    ParamDef& Default(double v) { return Default(static_cast<float>(v)); }
    ParamDef& Default(const Point3& v) {
        def.p = v;
        return *this;
    }
    ParamDef& Default(const Color& v) {
        def.c = AColor(v);
        return *this;
    }
    ParamDef& Default(const AColor& v) {
        def.c = v;
        return *this;
    }
    ParamDef& Default(const char* v) {
        def.s = v ? v : "";
        return *this;
    }
    ParamDef& Range(int lo, int hi);
    ParamDef& Range(float lo, float hi);
    ParamDef& Range(double lo, double hi) {
        return Range(static_cast<float>(lo), static_cast<float>(hi));
    }
    ParamDef& Spinner(MapID map, EditSpinnerType et, int editId, int spinId, float spinScale);
    ParamDef& CheckBox(MapID map, int ctrlId);
    ParamDef& Radio(MapID map, std::vector<int> buttonIds, std::vector<int> values = {});
    ParamDef& PickNodeButton(MapID map, int ctrlId, StringResID pickPrompt = 0);
    ParamDef& Ui(MapID map, ControlType2 ct, std::vector<int> ids);
    ParamDef& OwnersRef(int firstRef) {
        flags |= P_OWNERS_REF;
        refno = firstRef;
        return *this;
    }
    ParamDef& Class(SClass_ID sclass, Class_ID cid = Class_ID()) {
        sclassID = sclass;
        classID = cid;
        return *this;
    }
};

// One rollout of a block.
struct MapDef {
    MapID id = 0;
    int dialogId = 0;
    StringResID title = 0;
    DWORD testFlags = 0;
    DWORD rollFlags = 0;
    ParamMap2UserDlgProc* proc = nullptr;
};

// What a block descriptor is built from:
//   static ParamBlockDesc2 desc(BlockLayout(0, "parameters", 0, &classDesc,
//                                         P_AUTO_CONSTRUCT | P_AUTO_UI, 0)
//                                   .Rollout(0, 124, 5, 0, 0, nullptr)
//                                   .Param(ParamDef(0, "Land_Object", TYPE_INODE)...));
class BlockLayout {
public:
    BlockID id;
    std::string int_name;
    StringResID local_name;
    ClassDesc2* cd;
    USHORT flags;
    int ref; // owner's reference with P_AUTO_CONSTRUCT
    int version = 0;
    std::vector<MapDef> maps;
    std::vector<ParamDef> params;

    BlockLayout(BlockID blockId, std::string name, StringResID localName, ClassDesc2* classDesc,
                USHORT blockFlags, int refNo = -1)
        : id(blockId), int_name(std::move(name)), local_name(localName), cd(classDesc),
          flags(blockFlags), ref(refNo) {}
    BlockLayout& Version(int v) {
        version = v;
        return *this;
    }
    BlockLayout& Rollout(MapID map, int dialogId, StringResID title, DWORD testFlags,
                         DWORD rollFlags, ParamMap2UserDlgProc* proc) {
        maps.push_back({map, dialogId, title, testFlags, rollFlags, proc});
        return *this;
    }
    BlockLayout& Param(ParamDef p) {
        params.push_back(std::move(p));
        return *this;
    }
};

class ParamBlockDesc2 {
public:
    // Registers with its class descriptor.
    explicit ParamBlockDesc2(BlockLayout layout);
    ~ParamBlockDesc2();
    ParamBlockDesc2(const ParamBlockDesc2&) = delete;
    ParamBlockDesc2& operator=(const ParamBlockDesc2&) = delete;

    BlockID ID;
    std::string int_name;
    StringResID local_name;
    ClassDesc2* cd;
    USHORT flags;
    int ref;
    int version;
    std::vector<MapDef> maps;        // in declaration order
    std::vector<ParamDef> paramdefs; // in declaration order

    int Count() const { return static_cast<int>(paramdefs.size()); }
    int IDtoIndex(ParamID id) const; // -1 when unknown
    ParamID IndextoID(int i) const;
    // The parameter's definition; null when unknown.
    const ParamDef* GetParamDefPtr(ParamID id) const;
    ParamDef& GetParamDef(ParamID id);
    void AddParam(ParamDef p) { paramdefs.push_back(std::move(p)); }
    int NumMaps() const { return static_cast<int>(maps.size()); }
    const MapDef* GetMapDef(MapID map) const;

    void SetUserDlgProc(MapID map, ParamMap2UserDlgProc* proc);
    void SetUserDlgProc(ParamMap2UserDlgProc* proc) { SetUserDlgProc(0, proc); }
    ParamMap2UserDlgProc* GetUserDlgProc(MapID map = 0) const;
    // Asks every open rollout of this block to show the values again.
    void InvalidateUI();
    void InvalidateUI(ParamID id, int tabIndex = -1);
};

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

    ParamBlockDesc2* desc_;
    ReferenceMaker* owner_;
    std::vector<std::vector<Entry>> values_; // per parameter index
    std::vector<std::pair<MapID, IParamMap2*>> maps_;
    ParamID lastNotifyID_ = -1;
    int lastNotifyTab_ = -1;
};

IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* iowner);

// The procedure behind a rollout, called with the rollout's messages.
class ParamMap2UserDlgProc {
public:
    virtual ~ParamMap2UserDlgProc() = default;
    virtual INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                            LPARAM lParam) = 0;
    virtual void DeleteThis() = 0;
    // The thing being edited changed while the rollout stayed open.
    virtual void SetThing(ReferenceTarget*) {}
    virtual void Update(TimeValue) {}
    virtual void SetParamBlock(IParamBlock2*) {}
};

// An open rollout. Headless: its window is a host record that remembers the
// texts set on its items; user procedures get their messages as usual.
class IParamMap2 {
public:
    IParamMap2(ParamBlockDesc2* desc, const MapDef& map, IParamBlock2* pb, HWND hWnd);
    virtual ~IParamMap2() = default;

    MapID GetMapID() const { return map_.id; }
    const MapDef& GetMapDef() const { return map_; }
    ParamBlockDesc2* GetDesc() { return desc_; }
    IParamBlock2* GetParamBlock() { return pb_; }
    void SetParamBlock(IParamBlock2* pb);
    HWND GetHWnd() { return hWnd_; }
    const std::string& GetTitle() const { return title_; }
    void SetTitle(std::string t) { title_ = std::move(t); }
    ParamMap2UserDlgProc* GetUserDlgProc() { return proc_; }
    void SetUserDlgProc(ParamMap2UserDlgProc* proc) { proc_ = proc; }
    void SetThing(ReferenceTarget* m);
    // Sends a message to the user procedure; FALSE without one.
    INT_PTR Send(TimeValue t, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // Requests to show the values again; counted, nothing to redraw here.
    void Invalidate() { ++invalidations_; }
    void Invalidate(ParamID, int = -1) { ++invalidations_; }
    int Invalidations() const { return invalidations_; }

private:
    ParamBlockDesc2* desc_;
    MapDef map_;
    IParamBlock2* pb_;
    HWND hWnd_;
    ParamMap2UserDlgProc* proc_;
    std::string title_;
    int invalidations_ = 0;
};

// Opens rollout map_id of pb's block: a window for the dialog template,
// the title string from the module, and WM_INITDIALOG to the procedure.
IParamMap2* CreateCPParamMap2(MapID map_id, IParamBlock2* pb, Interface* ip, HINSTANCE hInst,
                              int dialogId, const MCHAR* title, DWORD flags,
                              ParamMap2UserDlgProc* dlgProc = nullptr);
// Sends WM_DESTROY to the procedure and closes the window.
void DestroyCPParamMap2(IParamMap2* m);

// What the host asks of each class of a plug-in.
class ClassDesc {
public:
    virtual ~ClassDesc() = default;
    virtual int IsPublic() = 0;
    // A new object; loading tells that Load will fill it next. The result
    // is an Animatable (its first base) handed over as void*.
    virtual void* Create(BOOL loading = FALSE) = 0;
    virtual const MCHAR* ClassName() = 0;
    virtual SClass_ID SuperClassID() = 0;
    virtual Class_ID ClassID() = 0;
    virtual const MCHAR* Category() = 0;
    virtual const MCHAR* InternalName() { return nullptr; }
    virtual HINSTANCE HInstance() { return nullptr; }
    virtual void BeginEditParams(IObjParam*, ReferenceMaker*, ULONG, Animatable*) {}
    virtual void EndEditParams(IObjParam*, ReferenceMaker*, ULONG, Animatable*) {}
    virtual void ResetClassParams(BOOL) {}
    virtual int NumParamBlockDescs() { return 0; }
    virtual ParamBlockDesc2* GetParamBlockDesc(int) { return nullptr; }
    virtual ParamBlockDesc2* GetParamBlockDescByID(BlockID) { return nullptr; }
    virtual void MakeAutoParamBlocks(ReferenceMaker*) {}
};

class ClassDesc2 : public ClassDesc {
public:
    ~ClassDesc2() override;

    int NumParamBlockDescs() override;
    ParamBlockDesc2* GetParamBlockDesc(int i) override;
    ParamBlockDesc2* GetParamBlockDescByID(BlockID id) override;
    void AddParamBlockDesc(ParamBlockDesc2* pbd);

    // A block for every descriptor with P_AUTO_CONSTRUCT, made into the
    // owner's reference `ref` of that descriptor.
    void MakeAutoParamBlocks(ReferenceMaker* owner) override;

    // Opens the rollouts of every P_AUTO_UI block of obj, maps in declared
    // order. When they are already open for another object of the class,
    // they switch to obj's blocks and each procedure gets SetThing(obj).
    void BeginEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags,
                         Animatable* prev) override;
    // Closes them (with END_EDIT_REMOVEUI, or always when headless).
    void EndEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* next) override;

    IParamMap2* GetParamMap(ParamBlockDesc2* pbd, MapID id = 0);
    void SetUserDlgProc(ParamBlockDesc2* pbd, MapID id, ParamMap2UserDlgProc* proc);
    void InvalidateUI(ParamBlockDesc2* pbd);
    // The object whose rollouts are open, or null.
    ReferenceMaker* EditedObject() { return edited_; }

private:
    void Collect();
    std::vector<ParamBlockDesc2*> descs_;
    struct OpenMap {
        ParamBlockDesc2* desc;
        IParamMap2* map;
    };
    std::vector<OpenMap> open_;
    ReferenceMaker* edited_ = nullptr;
};
