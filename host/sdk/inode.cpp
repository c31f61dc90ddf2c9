#include "host/sdk/inode.h"

#include "host/sdk/texmap.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {
std::atomic<ULONG> nextHandle{1};
constexpr USHORT kNodeChunk = 0x2A00;

bool IsOwnStack(Object* obj) {
    return obj && obj->ClassID() == derivObjClassID;
}
} // namespace

Material* INode::Mtls() {
    viewMtl_.Kd = mtl_ ? mtl_->GetDiffuse() : Color(wireColor_);
    return &viewMtl_;
}

INode::INode() : handle_(nextHandle++) {
    // Nodes belong to the scene: losing the last reference does not end them.
    SetAFlag(A_LOCK_TARGET);
}

INode::~INode() {
    for (INode* c : children_) {
        c->parent_ = nullptr;
        c->ForgetWorldTM();
    }
    if (parent_) {
        auto& sib = parent_->children_;
        sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
    }
}

void INode::SetName(const MCHAR* s) {
    name_ = s ? s : "";
    NotifyDependents(FOREVER, PART_ALL, REFMSG_NODE_NAMECHANGE);
}

void INode::SetObjectRef(Object* obj) {
    ReplaceReference(0, obj);
    InvalidateWS();
}

Object* INode::GetObjOrWSMRef() {
    return wsm_ && wsm_->NumModifiers() > 0 ? static_cast<Object*>(wsm_) : object_;
}

void INode::AddModifier(Modifier* mod, int before) {
    if (!IsOwnStack(object_)) {
        // The derived object takes the base object over before the node lets go.
        IDerivedObject* stack = CreateDerivedObject(object_);
        ReplaceReference(0, stack);
    }
    static_cast<IDerivedObject*>(object_)->AddModifier(mod, nullptr, before);
    InvalidateWS();
}

void INode::AddWSModifier(WSModifier* mod) {
    if (!wsm_) ReplaceReference(1, CreateWSDerivedObject());
    wsm_->AddModifier(mod, nullptr, 0);
    InvalidateWS();
}

int INode::NumWSModifiers() const {
    return wsm_ ? wsm_->NumModifiers() : 0;
}

WSModifier* INode::GetWSModifier(int i) const {
    if (!wsm_ || i < 0 || i >= wsm_->NumModifiers()) return nullptr;
    // The stack keeps its top first; the list here is in order of application.
    return static_cast<WSModifier*>(wsm_->GetModifier(wsm_->NumModifiers() - 1 - i));
}

void INode::ForgetWorldTM() {
    // Below a node without a cache no node has one: the walk stops there.
    std::vector<INode*> todo{this};
    while (!todo.empty()) {
        INode* n = todo.back();
        todo.pop_back();
        if (!n->worldValid_) continue;
        n->worldValid_ = false;
        todo.insert(todo.end(), n->children_.begin(), n->children_.end());
    }
}

Matrix3 INode::GetNodeTM(TimeValue, Interval*) {
    if (worldValid_) return worldTM_;
    // Up to the nearest ancestor that knows its world transform, then down,
    // each product taken in the order local x parent's world.
    std::vector<INode*> chain;
    INode* n = this;
    for (; n && !n->worldValid_; n = n->parent_ && !n->parent_->isRoot_ ? n->parent_ : nullptr)
        chain.push_back(n);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        INode* c = *it;
        INode* p = c->parent_ && !c->parent_->isRoot_ ? c->parent_ : nullptr;
        c->worldTM_ = p ? c->localTM_ * p->worldTM_ : c->localTM_;
        c->worldValid_ = true;
    }
    return worldTM_;
}

void INode::SetNodeTM(TimeValue t, const Matrix3& tm) {
    if (parent_ && !parent_->isRoot_)
        localTM_ = tm * Inverse(parent_->GetNodeTM(t));
    else
        localTM_ = tm;
    ForgetWorldTM();
    InvalidateWS();
    NotifyDependents(FOREVER, PART_TM, REFMSG_CHANGE);
    // Children move along: their world transforms and evaluations change.
    for (INode* c : children_) {
        c->InvalidateWS();
        c->NotifyDependents(FOREVER, PART_TM, REFMSG_CHANGE);
    }
}

void INode::SetObjectOffset(const Matrix3& offset) {
    offset_ = offset;
    InvalidateWS();
    NotifyDependents(FOREVER, PART_TM, REFMSG_CHANGE);
}

Matrix3 INode::GetObjectTM(TimeValue t, Interval* valid) {
    return offset_ * GetNodeTM(t, valid);
}

const ObjectState& INode::EvalWorldState(TimeValue time, BOOL) {
    if (wsValid_.InInterval(time) && wsTime_ == time) return ws_;
    ObjectState os;
    Interval valid = FOREVER;
    if (IsOwnStack(object_)) {
        auto* stack = static_cast<IDerivedObject*>(object_);
        os = stack->Eval(time, this);
        valid = stack->CachedValidity();
    } else if (object_) {
        os = object_->Eval(time);
        valid = os.obj ? os.obj->ObjectValidity(time) : FOREVER;
    }
    if (wsm_ && wsm_->NumModifiers() > 0 && os.obj) {
        os = wsm_->EvalFrom(time, os, this);
        valid &= wsm_->CachedValidity();
    }
    ws_ = os;
    wsTime_ = time;
    wsValid_ = valid.InInterval(time) ? valid : Interval(time, time);
    return ws_;
}

void INode::AttachChild(INode* node, int keepTM) {
    if (!node || node == this) return;
    Matrix3 world = node->GetNodeTM(0);
    if (node->parent_) {
        auto& sib = node->parent_->children_;
        sib.erase(std::remove(sib.begin(), sib.end(), node), sib.end());
    }
    node->parent_ = this;
    children_.push_back(node);
    if (keepTM) node->localTM_ = isRoot_ ? world : world * Inverse(GetNodeTM(0));
    node->ForgetWorldTM();
    node->InvalidateWS();
}

void INode::Detach(TimeValue t, int keepTM) {
    if (!parent_) return;
    Matrix3 world = GetNodeTM(t);
    auto& sib = parent_->children_;
    sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
    parent_ = nullptr;
    if (keepTM) localTM_ = world;
    ForgetWorldTM();
    InvalidateWS();
}

RefTargetHandle INode::GetReference(int i) {
    if (i == 0) return object_;
    if (i == 1) return wsm_;
    if (i == 2) return mtl_;
    return nullptr;
}

void INode::SetMtl(Mtl* matl) {
    ReplaceReference(2, matl);
}

void INode::SetReference(int i, RefTargetHandle rtarg) {
    // Checked: a damaged scene file must not make an object of something else.
    if (i == 0)
        object_ = dynamic_cast<Object*>(rtarg);
    else if (i == 1)
        wsm_ = dynamic_cast<IDerivedObject*>(rtarg);
    else if (i == 2)
        mtl_ = dynamic_cast<Mtl*>(rtarg);
    InvalidateWS();
}

RefResult INode::NotifyRefChanged(Interval, RefTargetHandle hTarget, PartID& partID,
                                  RefMessage message) {
    if (message == REFMSG_GET_NODE_HANDLE) {
        if (hTarget && (hTarget == object_ || hTarget == wsm_)) {
            *reinterpret_cast<ULONG*>(partID) = handle_;
            return REF_STOP;
        }
        return REF_SUCCEED;
    }
    if (message == REFMSG_CHANGE || message == REFMSG_TARGET_DELETED ||
        message == REFMSG_SUBANIM_STRUCTURE_CHANGED)
        InvalidateWS();
    return REF_SUCCEED;
}

void INode::InvalidateWS() {
    wsValid_ = NEVER;
    if (wsm_) wsm_->InvalidateCache();
}

IOResult INode::Save(ISave* isave) {
    isave->BeginChunk(kNodeChunk);
    IOResult r = isave->WriteCString(name_);
    if (r == IO_OK) r = isave->WriteUInt(wireColor_);
    if (r == IO_OK)
        r = isave->WriteByte(static_cast<BYTE>((selected_ ? 1 : 0) | (hidden_ ? 2 : 0)));
    for (const Matrix3* m : {&localTM_, &offset_})
        for (int row = 0; row < 4 && r == IO_OK; ++row) {
            const Point3& p = m->GetRow(row);
            float xyz[3] = {p.x, p.y, p.z};
            r = isave->WriteValue(xyz);
        }
    isave->EndChunk();
    return r;
}

IOResult INode::Load(ILoad* iload) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        if (iload->CurChunkID() == kNodeChunk) {
            BYTE flags = 0;
            if ((r = iload->ReadCString(name_)) != IO_OK ||
                (r = iload->ReadUInt(wireColor_)) != IO_OK || (r = iload->ReadByte(flags)) != IO_OK)
                return r;
            selected_ = (flags & 1) != 0;
            hidden_ = (flags & 2) != 0;
            for (Matrix3* m : {&localTM_, &offset_})
                for (int row = 0; row < 4; ++row) {
                    float xyz[3];
                    const ULONG at = iload->CurPosition();
                    if ((r = iload->ReadValue(xyz)) != IO_OK) return r;
                    if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2]))
                        return iload->Refuse(
                            at, "node \"" + name_ +
                                    "\": its transform is not finite (NaN or infinite)");
                    m->SetRow(row, Point3(xyz[0], xyz[1], xyz[2]));
                }
        }
        iload->CloseChunk();
    }
    ForgetWorldTM();
    InvalidateWS();
    return r == IO_END ? IO_OK : r;
}
