#include "host/sdk/modifier.h"

#include <algorithm>

namespace {
constexpr USHORT kStackChunk = 0x2900;
constexpr USHORT kContextChunk = 0x2910;
} // namespace

ModContext::ModContext(const ModContext& mc)
    : tm(mc.tm ? new Matrix3(*mc.tm) : nullptr), box(mc.box ? new Box3(*mc.box) : nullptr),
      localData(mc.localData ? mc.localData->Clone() : nullptr) {}

ModContext::~ModContext() {
    delete tm;
    delete box;
    delete localData;
}

IDerivedObject::IDerivedObject(bool worldSpace) : worldSpace_(worldSpace) {}

IDerivedObject::~IDerivedObject() {
    FreeResults();
}

void IDerivedObject::FreeResults() {
    for (Object* o : results_) o->DeleteThis();
    results_.clear();
    cached_ = ObjectState();
    cacheValid_ = NEVER;
}

void IDerivedObject::ReferenceObject(Object* obj) {
    ReplaceReference(0, obj);
    InvalidateCache();
}

Modifier* IDerivedObject::GetModifier(int index) const {
    return index >= 0 && index < NumModifiers() ? mods_[static_cast<std::size_t>(index)] : nullptr;
}

ModContext* IDerivedObject::GetModContext(int index) const {
    return index >= 0 && index < NumModifiers() ? contexts_[static_cast<std::size_t>(index)].get()
                                                : nullptr;
}

void IDerivedObject::AddModifier(Modifier* mod, ModContext* mc, int before) {
    before = std::clamp(before, 0, NumModifiers());
    mods_.insert(mods_.begin() + before, nullptr);
    contexts_.insert(contexts_.begin() + before,
                     std::make_unique<ModContext>(mc ? ModContext(*mc) : ModContext()));
    ReplaceReference(1 + before, mod);
    InvalidateCache();
    NotifyDependents(FOREVER, PART_ALL, REFMSG_SUBANIM_STRUCTURE_CHANGED);
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

void IDerivedObject::DeleteModifier(int index) {
    if (index < 0 || index >= NumModifiers()) return;
    ReplaceReference(1 + index, nullptr);
    mods_.erase(mods_.begin() + index);
    contexts_.erase(contexts_.begin() + index);
    InvalidateCache();
    NotifyDependents(FOREVER, PART_ALL, REFMSG_SUBANIM_STRUCTURE_CHANGED);
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

ObjectState IDerivedObject::Eval(TimeValue t, INode* node) {
    if (!base_) return ObjectState();
    if (cacheValid_.InInterval(t)) return cached_;
    return EvalFrom(t, base_->Eval(t), node);
}

ObjectState IDerivedObject::EvalFrom(TimeValue t, ObjectState in, INode* node) {
    // The previous results go first: the input never comes from them (it is
    // the base object's state, or the node's own stack's).
    FreeResults();
    auto owned = [this](Object* o) {
        return std::find(results_.begin(), results_.end(), o) != results_.end();
    };
    ObjectState os = in;
    Interval valid = os.obj ? os.obj->ObjectValidity(t) : FOREVER;
    for (int i = NumModifiers() - 1; i >= 0 && os.obj; --i) {
        Modifier* mod = mods_[static_cast<std::size_t>(i)];
        if (!mod || !mod->IsEnabled()) continue;
        Class_ID want = mod->InputType();
        Object* work = nullptr;
        if (want == defObjectClassID || os.obj->IsSubClassOf(want)) {
            // Modifiers change what they are given: never the node's own object.
            if (owned(os.obj))
                work = os.obj;
            else
                work = os.obj->MakeShallowCopy(ALL_CHANNELS);
        } else if (os.obj->CanConvertToType(want)) {
            work = os.obj->ConvertToType(t, want);
            if (work == os.obj)
                work = owned(os.obj) ? os.obj : os.obj->MakeShallowCopy(ALL_CHANNELS);
        }
        if (!work) continue; // the modifier cannot take this input
        if (work != os.obj && owned(os.obj)) {
            results_.erase(std::find(results_.begin(), results_.end(), os.obj));
            os.obj->DeleteThis();
        }
        if (!owned(work)) results_.push_back(work);
        os.obj = work;
        mod->ModifyObject(t, *contexts_[static_cast<std::size_t>(i)], &os, node);
        if (os.obj && !owned(os.obj)) results_.push_back(os.obj);
        valid &= mod->LocalValidity(t);
    }
    if (os.obj) valid &= os.obj->ObjectValidity(t);
    cached_ = os;
    cacheValid_ = valid.InInterval(t) ? valid : Interval(t, t);
    return os;
}

Interval IDerivedObject::ObjectValidity(TimeValue t) {
    Eval(t);
    return cacheValid_;
}

int IDerivedObject::CanConvertToType(Class_ID obtype) {
    ObjectState os = Eval(0);
    return os.obj ? os.obj->CanConvertToType(obtype) : FALSE;
}

Object* IDerivedObject::ConvertToType(TimeValue t, Class_ID obtype) {
    ObjectState os = Eval(t);
    if (!os.obj) return nullptr;
    Object* c = os.obj->ConvertToType(t, obtype);
    // What the stack owns is not the caller's to delete: hand out a copy.
    if (c && std::find(results_.begin(), results_.end(), c) != results_.end())
        c = c->MakeShallowCopy(ALL_CHANNELS);
    return c;
}

RefTargetHandle IDerivedObject::GetReference(int i) {
    if (i == 0) return base_;
    return GetModifier(i - 1);
}

void IDerivedObject::SetReference(int i, RefTargetHandle rtarg) {
    if (i == 0)
        base_ = dynamic_cast<Object*>(rtarg);
    else if (i >= 1 && i <= NumModifiers())
        mods_[static_cast<std::size_t>(i - 1)] = dynamic_cast<Modifier*>(rtarg);
    InvalidateCache();
}

RefResult IDerivedObject::NotifyRefChanged(Interval, RefTargetHandle hTarget, PartID& partID,
                                           RefMessage message) {
    if (message == REFMSG_CHANGE || message == REFMSG_TARGET_DELETED) {
        InvalidateCache();
        if (hTarget == base_)
            for (int i = 0; i < NumModifiers(); ++i)
                if (mods_[static_cast<std::size_t>(i)])
                    mods_[static_cast<std::size_t>(i)]->NotifyInputChanged(
                        FOREVER, partID, message, contexts_[static_cast<std::size_t>(i)].get());
    }
    return REF_SUCCEED;
}

ReferenceTarget* IDerivedObject::Clone(RemapDir& remap) {
    auto* copy = new IDerivedObject(worldSpace_);
    copy->ReplaceReference(0, remap.CloneRef(base_));
    for (int i = NumModifiers() - 1; i >= 0; --i)
        copy->AddModifier(
            static_cast<Modifier*>(remap.CloneRef(mods_[static_cast<std::size_t>(i)])),
            contexts_[static_cast<std::size_t>(i)].get(), 0);
    BaseClone(this, copy, remap);
    return copy;
}

IOResult IDerivedObject::Save(ISave* isave) {
    isave->BeginChunk(kStackChunk);
    IOResult r = isave->WriteByte(worldSpace_ ? 1 : 0);
    if (r == IO_OK) r = isave->WriteInt(NumModifiers());
    isave->EndChunk();
    for (int i = 0; i < NumModifiers() && r == IO_OK; ++i) {
        const ModContext& mc = *contexts_[static_cast<std::size_t>(i)];
        isave->BeginChunk(kContextChunk);
        r = isave->WriteByte(mc.tm ? 1 : 0);
        for (int row = 0; mc.tm && row < 4 && r == IO_OK; ++row) {
            const Point3& p = mc.tm->GetRow(row);
            float xyz[3] = {p.x, p.y, p.z};
            r = isave->WriteValue(xyz);
        }
        isave->EndChunk();
    }
    return r;
}

IOResult IDerivedObject::Load(ILoad* iload) {
    IOResult r;
    std::size_t context = 0;
    while ((r = iload->OpenChunk()) == IO_OK) {
        if (iload->CurChunkID() == kStackChunk) {
            BYTE ws = 0;
            int n = 0;
            if ((r = iload->ReadByte(ws)) != IO_OK || (r = iload->ReadInt(n)) != IO_OK) return r;
            // The references restore the modifiers; make room for them. A
            // count beyond reason is damage.
            if (n < 0 || n > 100000) return IO_ERROR;
            worldSpace_ = ws != 0;
            mods_.assign(static_cast<std::size_t>(n), nullptr);
            contexts_.clear();
            for (int i = 0; i < n; ++i) contexts_.push_back(std::make_unique<ModContext>());
        } else if (iload->CurChunkID() == kContextChunk) {
            if (context >= contexts_.size()) return IO_ERROR;
            BYTE hasTM = 0;
            if ((r = iload->ReadByte(hasTM)) != IO_OK) return r;
            if (hasTM) {
                auto* tm = new Matrix3();
                for (int row = 0; row < 4; ++row) {
                    float xyz[3];
                    if ((r = iload->ReadValue(xyz)) != IO_OK) {
                        delete tm;
                        return r;
                    }
                    tm->SetRow(row, Point3(xyz[0], xyz[1], xyz[2]));
                }
                contexts_[context]->tm = tm;
            }
            ++context;
        }
        iload->CloseChunk();
    }
    return r == IO_END ? IO_OK : r;
}

IDerivedObject* CreateDerivedObject(Object* base) {
    auto* d = new IDerivedObject(false);
    if (base) d->ReferenceObject(base);
    return d;
}

IDerivedObject* CreateWSDerivedObject() {
    return new IDerivedObject(true);
}
