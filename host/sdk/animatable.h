#pragma once
// The root of every scene class: identity, sub-anims, parameter blocks, the
// A-flags and deletion.
#include <string>

#include "host/sdk/base_types.h"
#include "host/sdk/class_id.h"
#include "host/sdk/interface.h"

using MSTR = std::string;
using TSTR = MSTR;
using BlockID = short;
using ParamID = short;
using MapID = short;

class IParamBlock2;

// A-flags: bits of state the host keeps on every animatable.
constexpr DWORD A_EVALUATING = 1u << 0;
constexpr DWORD A_NOTIFYDEP = 1u << 1; // a notification is passing through
constexpr DWORD A_DEPENDENTS_BEING_ENUMERATED = 1u << 2;
constexpr DWORD A_OBJECT_REDUCED = 1u << 3;
constexpr DWORD A_LOCK_TARGET = 1u << 4; // never auto-deleted
constexpr DWORD A_IS_DELETED = 1u << 5;
constexpr DWORD A_BEING_AUTO_DELETED = 1u << 6;
constexpr DWORD A_MOD_DISABLED = 1u << 8;
constexpr DWORD A_MOD_BEING_EDITED = 1u << 9; // a modifier whose rollout is open
constexpr DWORD A_WORK1 = 1u << 16;
constexpr DWORD A_WORK2 = 1u << 17;
constexpr DWORD A_WORK3 = 1u << 18;
constexpr DWORD A_WORK4 = 1u << 19;
constexpr DWORD A_PLUGIN1 = 1u << 24;
constexpr DWORD A_PLUGIN2 = 1u << 25;
constexpr DWORD A_PLUGIN3 = 1u << 26;
constexpr DWORD A_PLUGIN4 = 1u << 27;

// Flags of BeginEditParams/EndEditParams.
constexpr ULONG BEGIN_EDIT_CREATE = 1u << 0;
constexpr ULONG BEGIN_EDIT_MOTION = 1u << 1;
constexpr ULONG BEGIN_EDIT_HIERARCHY = 1u << 2;
constexpr ULONG END_EDIT_REMOVEUI = 1u << 0;

using IObjParam = Interface;

class Animatable {
public:
    Animatable() = default;
    Animatable(const Animatable&) = delete;
    Animatable& operator=(const Animatable&) = delete;
    virtual ~Animatable() = default;

    // Objects are deleted only through this, so that a plug-in's own heap
    // frees what it allocated.
    virtual void DeleteThis() { delete this; }

    virtual void GetClassName(MSTR& s) { s = "Animatable"; }
    virtual Class_ID ClassID() { return Class_ID(0, 0); }
    virtual SClass_ID SuperClassID() = 0;

    virtual int NumSubs() { return 0; }
    virtual Animatable* SubAnim(int) { return nullptr; }
    virtual MSTR SubAnimName(int) { return MSTR(); }

    virtual int NumParamBlocks() { return 0; }
    virtual IParamBlock2* GetParamBlock(int) { return nullptr; }
    virtual IParamBlock2* GetParamBlockByID(BlockID) { return nullptr; }

    virtual void BeginEditParams(IObjParam*, ULONG, Animatable*) {}
    virtual void EndEditParams(IObjParam*, ULONG, Animatable*) {}

    virtual void* GetInterface(ULONG) { return nullptr; }

    void SetAFlag(DWORD mask) { aflag_ |= mask; }
    void ClearAFlag(DWORD mask) { aflag_ &= ~mask; }
    BOOL TestAFlag(DWORD mask) const { return (aflag_ & mask) ? TRUE : FALSE; }
    DWORD GetAFlags() const { return aflag_; }

private:
    DWORD aflag_ = 0;
};
