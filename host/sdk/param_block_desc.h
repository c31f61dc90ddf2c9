#pragma once
// Block descriptors: a class declares its parameters once (types, defaults,
// ranges, tables and the controls of its rollouts), built with BlockLayout
// and ParamDef; every block of values of that class is made from it.
#include <string>
#include <utility>
#include <vector>

#include "host/sdk/animatable.h"
#include "host/sdk/color.h"
#include "host/sdk/edit_spinner_type.h"
#include "host/sdk/point.h"

class ClassDesc2;
class ParamMap2UserDlgProc;

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
