#include "host/sdk/reference.h"

#include <algorithm>

ReferenceMaker::~ReferenceMaker() {
    // Our own references only: SetReference is out of reach in a destructor,
    // and the derived part that held the pointers is gone anyway.
    std::vector<ReferenceTarget*> held;
    held.swap(held_);
    for (ReferenceTarget* t : held) {
        t->RemoveDependent(this);
        t->MaybeAutoDelete();
    }
}

bool ReferenceMaker::HoldsReferenceTo(const ReferenceTarget* target) const {
    return std::find(held_.begin(), held_.end(), target) != held_.end();
}

void ReferenceMaker::Drop(ReferenceTarget* target) {
    auto it = std::find(held_.begin(), held_.end(), target);
    if (it != held_.end()) held_.erase(it);
}

RefResult ReferenceMaker::ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld) {
    if (which < 0 || which >= NumRefs()) return REF_FAIL;
    ReferenceTarget* old = GetReference(which);
    if (old == newtarg) return REF_SUCCEED;
    if (newtarg) {
        newtarg->AddDependent(this);
        held_.push_back(newtarg);
    }
    SetReference(which, newtarg);
    if (old && HoldsReferenceTo(old)) {
        Drop(old);
        old->RemoveDependent(this);
        old->RefDeleted();
        if (delOld) old->MaybeAutoDelete();
    }
    if (newtarg) newtarg->RefAdded(this);
    return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteAllRefsFromMe() {
    for (int i = 0; i < NumRefs(); ++i)
        if (GetReference(i)) ReplaceReference(i, nullptr);
    return REF_SUCCEED;
}

ReferenceTarget::~ReferenceTarget() {
    auto deps = dependents_;
    dependents_.clear();
    for (auto& [maker, count] : deps) {
        for (int i = 0; i < maker->NumRefs(); ++i)
            if (maker->GetReference(i) == this) maker->SetReference(i, nullptr);
        for (int k = 0; k < count; ++k) maker->Drop(this);
    }
}

void ReferenceTarget::AddDependent(ReferenceMaker* rm) {
    for (auto& d : dependents_)
        if (d.first == rm) {
            ++d.second;
            return;
        }
    dependents_.emplace_back(rm, 1);
}

void ReferenceTarget::RemoveDependent(ReferenceMaker* rm) {
    for (auto it = dependents_.begin(); it != dependents_.end(); ++it)
        if (it->first == rm) {
            if (--it->second == 0) dependents_.erase(it);
            return;
        }
}

void ReferenceTarget::MaybeAutoDelete() {
    if (!dependents_.empty() || TestAFlag(A_LOCK_TARGET) || TestAFlag(A_BEING_AUTO_DELETED)) return;
    SetAFlag(A_BEING_AUTO_DELETED);
    DeleteAllRefsFromMe();
    DeleteThis();
}

RefResult ReferenceTarget::NotifyDependents(Interval changeInt, PartID partID, RefMessage message,
                                            SClass_ID sclass, BOOL propagate,
                                            RefTargetHandle hTarg) {
    // A cycle of references would bring the message back here.
    if (TestAFlag(A_NOTIFYDEP)) return REF_SUCCEED;
    SetAFlag(A_NOTIFYDEP);
    auto deps = dependents_;
    for (auto& d : deps) {
        ReferenceMaker* maker = d.first;
        bool still = std::any_of(dependents_.begin(), dependents_.end(),
                                 [maker](const auto& e) { return e.first == maker; });
        if (!still) continue;
        if (sclass != NOTIFY_ALL && maker->SuperClassID() != sclass) continue;
        PartID pid = partID;
        RefResult r = maker->NotifyRefChanged(changeInt, hTarg ? hTarg : this, pid, message);
        if (r == REF_STOP) continue;
        if (propagate && maker->IsRefTarget())
            static_cast<ReferenceTarget*>(maker)->NotifyDependents(changeInt, pid, message, sclass,
                                                                   propagate);
    }
    ClearAFlag(A_NOTIFYDEP);
    return REF_SUCCEED;
}

void ReferenceTarget::BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap) {
    if (from && to) remap.AddEntry(from, to);
}

RefResult ReferenceTarget::DeleteAllRefsToMe() {
    auto deps = dependents_;
    for (auto& [maker, count] : deps) {
        PartID pid = PART_ALL;
        maker->NotifyRefChanged(FOREVER, this, pid, REFMSG_TARGET_DELETED);
        for (int i = 0; i < maker->NumRefs(); ++i)
            if (maker->GetReference(i) == this) maker->ReplaceReference(i, nullptr, FALSE);
    }
    return REF_SUCCEED;
}

RefTargetHandle RemapDir::FindMapping(RefTargetHandle from) {
    auto it = map_.find(from);
    return it == map_.end() ? nullptr : it->second;
}

void RemapDir::AddEntry(RefTargetHandle hfrom, RefTargetHandle hto) {
    map_[hfrom] = hto;
}

RefTargetHandle RemapDir::CloneRef(RefTargetHandle oldTarg) {
    if (!oldTarg) return nullptr;
    if (RefTargetHandle done = FindMapping(oldTarg)) return done;
    RefTargetHandle copy = oldTarg->Clone(*this);
    if (copy) AddEntry(oldTarg, copy);
    return copy;
}

void RemapDir::PatchPointer(RefTargetHandle* patchThis, RefTargetHandle oldTarg) {
    if (RefTargetHandle done = FindMapping(oldTarg))
        *patchThis = done;
    else
        patches_.emplace_back(patchThis, oldTarg);
}

void RemapDir::Backpatch() {
    for (auto& [where, old] : patches_) {
        RefTargetHandle done = FindMapping(old);
        *where = done ? done : old;
    }
    patches_.clear();
}

void RemapDir::Clear() {
    map_.clear();
    patches_.clear();
}

RemapDir* NewRemapDir() {
    return new RemapDir();
}

ReferenceTarget* CloneRefHierarchy(ReferenceTarget* target) {
    RemapDir remap;
    ReferenceTarget* copy = remap.CloneRef(target);
    remap.Backpatch();
    return copy;
}
