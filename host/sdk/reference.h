#pragma once
// References: a maker holds numbered references to targets; every target knows
// the makers that depend on it and tells them about changes. Cloning goes
// through a remap directory so that shared targets stay shared in the copy.
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "host/sdk/animatable.h"
#include "host/sdk/channels.h"
#include "host/sdk/interval.h"
#include "host/sdk/io.h"

class ReferenceMaker;
class ReferenceTarget;
class RemapDir;
using RefTargetHandle = ReferenceTarget*;
using RefMakerHandle = ReferenceMaker*;

// Which parts of a target changed. Pointer-sized, because some messages carry
// an address in it (the node-handle query does).
using PartID = std::uintptr_t;
using RefMessage = unsigned int;

enum RefResult { REF_FAIL = 0, REF_SUCCEED = 1, REF_DONTCARE = 2, REF_STOP = 3, REF_INVALID = 4 };

constexpr PartID PART_TOPO = TOPO_CHANNEL;
constexpr PartID PART_GEOM = GEOM_CHANNEL;
constexpr PartID PART_TEXMAP = TEXMAP_CHANNEL;
constexpr PartID PART_MTL = MTL_CHANNEL;
constexpr PartID PART_SELECT = SELECT_CHANNEL;
constexpr PartID PART_SUBSEL_TYPE = SUBSEL_TYPE_CHANNEL;
constexpr PartID PART_DISPLAY = DISP_ATTRIB_CHANNEL;
constexpr PartID PART_VERTCOLOR = VERTCOLOR_CHANNEL;
constexpr PartID PART_GFX_DATA = GFX_DATA_CHANNEL;
constexpr PartID PART_DISP_APPROX = DISP_APPROX_CHANNEL;
constexpr PartID PART_EXTENSION = EXTENSION_CHANNEL;
constexpr PartID PART_TM_CHAN = 1u << 10;
constexpr PartID PART_MTL_CHAN = 1u << 12;
constexpr PartID PART_OBJECT_TYPE = 1u << 14;
constexpr PartID PART_TM = 1u << 31; // the node's own transform
constexpr PartID PART_OBJ = PART_TOPO | PART_GEOM;
constexpr PartID PART_ALL = ALL_CHANNELS | PART_TM_CHAN | PART_MTL_CHAN | PART_TM;
static_assert(PART_ALL == 0x800037FF);

// Messages.
constexpr RefMessage REFMSG_LOOPTEST = 0x10;
constexpr RefMessage REFMSG_TARGET_DELETED = 0x20;
constexpr RefMessage REFMSG_MODAPP_DELETING = 0x21;
constexpr RefMessage REFMSG_EVAL = 0x30;
constexpr RefMessage REFMSG_RESET_ORIGIN = 0x40;
constexpr RefMessage REFMSG_CHANGE = 0x50;
constexpr RefMessage REFMSG_FLAGDEPENDENTS = 0x70;
constexpr RefMessage REFMSG_TARGET_SELECTIONCHANGE = 0x80;
constexpr RefMessage REFMSG_BEGIN_EDIT = 0x90;
constexpr RefMessage REFMSG_END_EDIT = 0xA0;
constexpr RefMessage REFMSG_DISABLE = 0xB0;
constexpr RefMessage REFMSG_ENABLE = 0xC0;
constexpr RefMessage REFMSG_TURNON = 0xD0;
constexpr RefMessage REFMSG_TURNOFF = 0xE0;
constexpr RefMessage REFMSG_MOD_DISPLAY_ON = 0xF2;
constexpr RefMessage REFMSG_MOD_DISPLAY_OFF = 0xF3;
constexpr RefMessage REFMSG_MOD_EVAL = 0xF4;
constexpr RefMessage REFMSG_GET_PARAM_NAME = 0xFB; // partID points at a GetParamName
constexpr RefMessage REFMSG_GET_PARAM_DIM = 0xFC;
constexpr RefMessage REFMSG_NODE_NAMECHANGE = 0x131;
constexpr RefMessage REFMSG_SUBANIM_STRUCTURE_CHANGED = 0x141;
constexpr RefMessage REFMSG_REF_DELETED = 0x142;
constexpr RefMessage REFMSG_REF_ADDED = 0x143;
constexpr RefMessage REFMSG_NODE_WSCACHE_UPDATED = 0x151;
// partID is the address of a ULONG that the node holding the object fills in.
constexpr RefMessage REFMSG_GET_NODE_HANDLE = 0x220;
constexpr RefMessage REFMSG_USER = 0x10000000;

// Notify every dependent, whatever its super class.
constexpr SClass_ID NOTIFY_ALL = 0xfffffff0;

// The query of REFMSG_GET_PARAM_NAME: the target fills in the name of the
// sub-anim with the given index.
class GetParamName {
public:
    MSTR& name;
    int index;
    GetParamName(MSTR& n, int i) : name(n), index(i) {}
};

class ReferenceMaker : public Animatable {
public:
    // Releases every reference still held; a target left without dependents
    // is deleted.
    ~ReferenceMaker() override;

    virtual int NumRefs() { return 0; }
    virtual RefTargetHandle GetReference(int) { return nullptr; }
    // Only stores the pointer; the bookkeeping is ReplaceReference's.
    virtual void SetReference(int, RefTargetHandle) {}

    // Points reference `which` at newtarg. The old target loses this
    // dependent and, with delOld, is deleted once nothing depends on it.
    RefResult ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld = TRUE);
    RefResult MakeRefByID(Interval, int which, RefTargetHandle htarget) {
        return ReplaceReference(which, htarget);
    }
    RefResult DeleteReference(int which) { return ReplaceReference(which, nullptr); }
    RefResult DeleteAllRefsFromMe();

    virtual RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                                       RefMessage message) = 0;

    virtual IOResult Save(ISave*) { return IO_OK; }
    virtual IOResult Load(ILoad*) { return IO_OK; }

    virtual BOOL IsRefTarget() { return FALSE; }
    virtual BOOL IsRefMaker() { return TRUE; }

    // Whether this maker holds a reference to target made through
    // ReplaceReference.
    bool HoldsReferenceTo(const ReferenceTarget* target) const;

private:
    friend class ReferenceTarget;
    void Drop(ReferenceTarget* target);  // forgets one holding of target
    std::vector<ReferenceTarget*> held_; // one entry per reference slot in use
};

class ReferenceTarget : public ReferenceMaker {
public:
    // Clears every reference still pointing here, without messages: the
    // host sends REFMSG_TARGET_DELETED first through DeleteAllRefsToMe.
    ~ReferenceTarget() override;

    BOOL IsRefTarget() override { return TRUE; }

    // Sends message to every dependent (to those of super class sclass only,
    // unless NOTIFY_ALL). A dependent that answers anything but REF_STOP
    // passes the message on to its own dependents when propagate is set.
    // hTarg, when given, is named as the changed target instead of this.
    RefResult NotifyDependents(Interval changeInt, PartID partID, RefMessage message,
                               SClass_ID sclass = NOTIFY_ALL, BOOL propagate = TRUE,
                               RefTargetHandle hTarg = nullptr);

    // A copy made for the remap directory; null for classes that cannot clone.
    virtual ReferenceTarget* Clone(RemapDir&) { return nullptr; }
    // Finishes a clone: records from -> to in the directory.
    virtual void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap);

    // Called after a maker has made a reference to this target.
    virtual void RefAdded(RefMakerHandle) {}
    // Called after a maker has dropped its reference.
    virtual void RefDeleted() {}

    // Distinct makers that depend on this target, in the order they came.
    int NumDependents() const { return static_cast<int>(dependents_.size()); }
    ReferenceMaker* GetDependent(int i) const {
        return dependents_[static_cast<std::size_t>(i)].first;
    }
    bool HasDependents() const { return !dependents_.empty(); }

    // Tells every dependent that this target is going away and makes each
    // drop its references to it.
    RefResult DeleteAllRefsToMe();
    // Deletes the target when nothing depends on it (unless A_LOCK_TARGET).
    void MaybeAutoDelete();

private:
    friend class ReferenceMaker;
    void AddDependent(ReferenceMaker* rm);
    void RemoveDependent(ReferenceMaker* rm);
    // Each maker with the number of its references to this target.
    std::vector<std::pair<ReferenceMaker*, int>> dependents_;
};

class RemapDir {
public:
    virtual ~RemapDir() = default;

    virtual RefTargetHandle FindMapping(RefTargetHandle from);
    virtual void AddEntry(RefTargetHandle hfrom, RefTargetHandle hto);
    // The copy of oldTarg: the one made earlier through this directory, or a
    // new clone. Null answers null.
    virtual RefTargetHandle CloneRef(RefTargetHandle oldTarg);
    // Sets *patchThis to the copy of oldTarg, now or, when no copy exists yet,
    // at Backpatch (to oldTarg itself when it never gets one).
    virtual void PatchPointer(RefTargetHandle* patchThis, RefTargetHandle oldTarg);
    virtual void Backpatch();
    virtual void Clear();
    virtual void DeleteThis() { delete this; }

private:
    std::map<ReferenceTarget*, ReferenceTarget*> map_;
    std::vector<std::pair<RefTargetHandle*, RefTargetHandle>> patches_;
};

RemapDir* NewRemapDir();
// Clones a target with everything it references through a fresh directory.
ReferenceTarget* CloneRefHierarchy(ReferenceTarget* target);
