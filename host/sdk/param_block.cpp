#include "host/sdk/param_block.h"

#include <algorithm>
#include <cmath>

#include "host/sdk/inode.h"
#include "host/sdk/param_map.h"
#include "host/sdk/param_value_kinds.h"

using namespace param_kinds;

namespace {

BOOL animating = FALSE;

// Integers that only switch between values hold until the next key.
bool Stepped(ParamType2 t) {
    return IsIntType(t) && BaseType(t) != TYPE_INT;
}
bool OwnersRef(const ParamDef& d) {
    return IsRefType(d.type) && (d.flags & P_OWNERS_REF);
}

PB2Value Lerp(const PB2Value& a, const PB2Value& b, float u, ParamType2 type) {
    PB2Value v = a;
    v.f = a.f + (b.f - a.f) * u;
    v.i =
        Stepped(type) ? a.i : SaturatingInt(std::round(a.i + (static_cast<double>(b.i) - a.i) * u));
    v.p = a.p + (b.p - a.p) * u;
    v.c = AColor(a.c.r + (b.c.r - a.c.r) * u, a.c.g + (b.c.g - a.c.g) * u,
                 a.c.b + (b.c.b - a.c.b) * u, a.c.a + (b.c.a - a.c.a) * u);
    return v;
}

} // namespace

void SetAnimateMode(BOOL on) {
    animating = on;
}
BOOL Animating() {
    return animating;
}

IParamBlock2::IParamBlock2(ParamBlockDesc2* desc, ReferenceMaker* owner)
    : desc_(desc), owner_(owner) {
    values_.resize(desc_->paramdefs.size());
    for (int i = 0; i < desc_->Count(); ++i) {
        const ParamDef& d = desc_->paramdefs[static_cast<std::size_t>(i)];
        auto& entries = values_[static_cast<std::size_t>(i)];
        entries.resize(IsTabType(d.type) ? static_cast<std::size_t>(std::max(0, d.tab_size)) : 1);
        for (Entry& e : entries) Init(i, e);
    }
    IndexRefs();
}

IParamBlock2::~IParamBlock2() = default;

void IParamBlock2::Init(int index, Entry& e) const {
    e.value = desc_->paramdefs[static_cast<std::size_t>(index)].def;
    e.keys.clear();
}

ParamType2 IParamBlock2::GetParameterType(ParamID id) const {
    const ParamDef* d = desc_->GetParamDefPtr(id);
    return d ? d->type : TYPE_FLOAT;
}

IParamBlock2::Entry* IParamBlock2::Find(ParamID id, int tabIndex, const ParamDef** def) {
    int pi = desc_->IDtoIndex(id);
    if (pi < 0) return nullptr;
    const ParamDef& d = desc_->paramdefs[static_cast<std::size_t>(pi)];
    auto& entries = values_[static_cast<std::size_t>(pi)];
    // A single value answers whatever index it is asked with.
    if (!IsTabType(d.type)) tabIndex = 0;
    if (tabIndex < 0 || tabIndex >= static_cast<int>(entries.size())) return nullptr;
    *def = &d;
    return &entries[static_cast<std::size_t>(tabIndex)];
}

PB2Value IParamBlock2::ValueAt(const Entry& e, const ParamDef& d, TimeValue t,
                               Interval& ivalid) const {
    const auto& k = e.keys;
    if (k.empty()) return e.value;
    if (t <= k.front().t) {
        ivalid &= Interval(TIME_NegInfinity, k.front().t);
        return k.front().v;
    }
    if (t >= k.back().t) {
        ivalid &= Interval(k.back().t, TIME_PosInfinity);
        return k.back().v;
    }
    auto hi = std::upper_bound(k.begin(), k.end(), t,
                               [](TimeValue x, const Key& key) { return x < key.t; });
    auto lo = hi - 1;
    if (Stepped(d.type) || IsStringType(d.type)) {
        ivalid &= Interval(lo->t, hi->t - 1);
        return lo->v;
    }
    ivalid &= Interval(t, t);
    float u = static_cast<float>(t - lo->t) / static_cast<float>(hi->t - lo->t);
    return Lerp(lo->v, hi->v, u, d.type);
}

bool IParamBlock2::NumberAt(ParamID id, TimeValue t, Interval& ivalid, int tabIndex, PB2Value& x,
                            const ParamDef*& d) {
    d = nullptr;
    Entry* e = Find(id, tabIndex, &d);
    if (!e || !(IsFloatType(d->type) || IsIntType(d->type))) return false;
    x = ValueAt(*e, *d, t, ivalid);
    return true;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid, int tabIndex) {
    PB2Value x;
    const ParamDef* d;
    if (!NumberAt(id, t, ivalid, tabIndex, x, d)) return FALSE;
    v = IsFloatType(d->type) ? x.f : static_cast<float>(x.i);
    return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex) {
    PB2Value x;
    const ParamDef* d;
    if (!NumberAt(id, t, ivalid, tabIndex, x, d)) return FALSE;
    v = IsIntType(d->type) ? x.i : SaturatingInt(x.f);
    return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, Point3& v, Interval& ivalid, int tabIndex) {
    const ParamDef* d = nullptr;
    Entry* e = Find(id, tabIndex, &d);
    if (!e || !IsPointType(d->type)) return FALSE;
    v = ValueAt(*e, *d, t, ivalid).p;
    return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, Color& v, Interval& ivalid, int tabIndex) {
    AColor c;
    if (!GetValue(id, t, c, ivalid, tabIndex)) return FALSE;
    v = Color(c.r, c.g, c.b);
    return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, AColor& v, Interval& ivalid, int tabIndex) {
    const ParamDef* d = nullptr;
    Entry* e = Find(id, tabIndex, &d);
    if (!e || !IsColorType(d->type)) return FALSE;
    v = ValueAt(*e, *d, t, ivalid).c;
    return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, const MCHAR*& v, Interval& ivalid,
                            int tabIndex) {
    const ParamDef* d = nullptr;
    Entry* e = Find(id, tabIndex, &d);
    if (!e || !IsStringType(d->type)) return FALSE;
    // Strings are never keyed: the stored text is the answer at every time.
    (void)t;
    (void)ivalid;
    v = e->value.s.c_str();
    return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue, ReferenceTarget*& v, Interval&, int tabIndex) {
    const ParamDef* d = nullptr;
    Entry* e = Find(id, tabIndex, &d);
    if (!e || !IsRefType(d->type)) return FALSE;
    if (OwnersRef(*d)) {
        int ti = IsTabType(d->type) ? tabIndex : 0;
        v = owner_ ? owner_->GetReference(d->refno + ti) : nullptr;
    } else {
        v = e->ref;
    }
    return TRUE;
}

BOOL IParamBlock2::Store(ParamID id, TimeValue t, int tabIndex, const PB2Value& v, bool isFloat,
                         bool isInt) {
    const ParamDef* d = nullptr;
    Entry* e = Find(id, tabIndex, &d);
    if (!e) return FALSE;
    PB2Value x = e->value;
    if (IsFloatType(d->type) || IsIntType(d->type)) {
        if (!isFloat && !isInt) return FALSE;
        x.f = isFloat ? v.f : static_cast<float>(v.i);
        x.i = isInt ? v.i : SaturatingInt(v.f);
        if (BaseType(d->type) == TYPE_BOOL) x.i = x.i != 0 ? 1 : 0;
    } else if (IsPointType(d->type) && !isFloat && !isInt) {
        x.p = v.p;
    } else if (IsColorType(d->type) && !isFloat && !isInt) {
        x.c = v.c;
    } else if (IsStringType(d->type) && !isFloat && !isInt) {
        x.s = v.s;
    } else {
        return FALSE;
    }
    if (Animating() && (d->flags & P_ANIMATABLE) && !IsStringType(d->type)) {
        auto& k = e->keys;
        // The first key away from time 0 keeps the old value at 0.
        if (k.empty() && t != 0) k.push_back({0, e->value});
        auto at = std::lower_bound(k.begin(), k.end(), t,
                                   [](const Key& key, TimeValue x) { return key.t < x; });
        if (at != k.end() && at->t == t)
            at->v = x;
        else
            k.insert(at, {t, x});
    } else {
        // Outside animate mode a value replaces any keys.
        e->keys.clear();
    }
    e->value = x;
    int pi = desc_->IDtoIndex(id);
    Changed(id, IsTabType(desc_->paramdefs[static_cast<std::size_t>(pi)].type) ? tabIndex : 0);
    return TRUE;
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, float v, int tabIndex) {
    PB2Value x;
    x.f = v;
    return Store(id, t, tabIndex, x, true, false);
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, int v, int tabIndex) {
    PB2Value x;
    x.i = v;
    return Store(id, t, tabIndex, x, false, true);
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex) {
    PB2Value x;
    x.p = v;
    return Store(id, t, tabIndex, x, false, false);
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, const Color& v, int tabIndex) {
    return SetValue(id, t, AColor(v), tabIndex);
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, const AColor& v, int tabIndex) {
    PB2Value x;
    x.c = v;
    return Store(id, t, tabIndex, x, false, false);
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, const MCHAR* v, int tabIndex) {
    PB2Value x;
    x.s = v ? v : "";
    return Store(id, t, tabIndex, x, false, false);
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue, ReferenceTarget* v, int tabIndex) {
    return SetRef(id, tabIndex, v);
}

BOOL IParamBlock2::SetRef(ParamID id, int tabIndex, ReferenceTarget* v) {
    const ParamDef* d = nullptr;
    Entry* e = Find(id, tabIndex, &d);
    if (!e || !IsRefType(d->type)) return FALSE;
    int ti = IsTabType(d->type) ? tabIndex : 0;
    if (v && BaseType(d->type) == TYPE_INODE && v->SuperClassID() != BASENODE_CLASS_ID)
        return FALSE;
    if (OwnersRef(*d)) {
        if (!owner_) return FALSE;
        owner_->ReplaceReference(d->refno + ti, v);
    } else {
        ReplaceReference(RefIndex(desc_->IDtoIndex(id), ti), v);
    }
    Changed(id, ti);
    return TRUE;
}

void IParamBlock2::Changed(ParamID id, int tabIndex) {
    lastNotifyID_ = id;
    lastNotifyTab_ = tabIndex;
    for (auto& [mapId, map] : maps_)
        if (map) map->Invalidate(id, tabIndex);
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

float IParamBlock2::GetFloat(ParamID id, TimeValue t, int tabIndex) {
    float v = 0.0f;
    Interval iv = FOREVER;
    return GetValue(id, t, v, iv, tabIndex) ? v : 0.0f;
}

int IParamBlock2::GetInt(ParamID id, TimeValue t, int tabIndex) {
    int v = 0;
    Interval iv = FOREVER;
    return GetValue(id, t, v, iv, tabIndex) ? v : 0;
}

Point3 IParamBlock2::GetPoint3(ParamID id, TimeValue t, int tabIndex) {
    Point3 v;
    Interval iv = FOREVER;
    return GetValue(id, t, v, iv, tabIndex) ? v : Point3();
}

Color IParamBlock2::GetColor(ParamID id, TimeValue t, int tabIndex) {
    Color v;
    Interval iv = FOREVER;
    return GetValue(id, t, v, iv, tabIndex) ? v : Color();
}

AColor IParamBlock2::GetAColor(ParamID id, TimeValue t, int tabIndex) {
    AColor v;
    Interval iv = FOREVER;
    return GetValue(id, t, v, iv, tabIndex) ? v : AColor();
}

const MCHAR* IParamBlock2::GetStr(ParamID id, TimeValue t, int tabIndex) {
    const MCHAR* v = nullptr;
    Interval iv = FOREVER;
    return GetValue(id, t, v, iv, tabIndex) ? v : nullptr;
}

INode* IParamBlock2::GetINode(ParamID id, TimeValue t, int tabIndex) {
    INode* v = nullptr;
    Interval iv = FOREVER;
    return GetValue(id, t, v, iv, tabIndex) ? v : nullptr;
}

ReferenceTarget* IParamBlock2::GetReferenceTarget(ParamID id, TimeValue t, int tabIndex) {
    ReferenceTarget* v = nullptr;
    Interval iv = FOREVER;
    return GetValue(id, t, v, iv, tabIndex) ? v : nullptr;
}

int IParamBlock2::Count(ParamID id) {
    int pi = desc_->IDtoIndex(id);
    return pi < 0 ? 0 : static_cast<int>(values_[static_cast<std::size_t>(pi)].size());
}

int IParamBlock2::SetCount(ParamID id, int n) {
    int pi = desc_->IDtoIndex(id);
    if (pi < 0 || n < 0) return 0;
    const ParamDef& d = desc_->paramdefs[static_cast<std::size_t>(pi)];
    if (!IsTabType(d.type)) return 1;
    int have = Count(id);
    if (n < have) return Delete(id, n, have - n) ? n : have;
    if (n > have) Insert(id, have, n - have);
    return n;
}

int IParamBlock2::Delete(ParamID id, int start, int num) {
    int pi = desc_->IDtoIndex(id);
    if (pi < 0) return 0;
    auto& entries = values_[static_cast<std::size_t>(pi)];
    const ParamDef& d = desc_->paramdefs[static_cast<std::size_t>(pi)];
    int count = static_cast<int>(entries.size());
    if (!IsTabType(d.type) || start < 0 || num <= 0 || start >= count) return 0;
    num = std::min(num, count - start);
    if (IsRefType(d.type) && !OwnersRef(d))
        for (int i = start; i < start + num; ++i)
            if (entries[static_cast<std::size_t>(i)].ref)
                ReplaceReference(RefIndex(pi, i), nullptr);
    entries.erase(entries.begin() + start, entries.begin() + start + num);
    IndexRefs();
    Changed(id, start);
    return num;
}

int IParamBlock2::Insert(ParamID id, int start, int num) {
    int pi = desc_->IDtoIndex(id);
    if (pi < 0) return 0;
    auto& entries = values_[static_cast<std::size_t>(pi)];
    const ParamDef& d = desc_->paramdefs[static_cast<std::size_t>(pi)];
    if (!IsTabType(d.type) || start < 0 || start > static_cast<int>(entries.size()) || num <= 0)
        return 0;
    entries.insert(entries.begin() + start, static_cast<std::size_t>(num), Entry{});
    IndexRefs();
    for (int i = start; i < start + num; ++i) Init(pi, entries[static_cast<std::size_t>(i)]);
    Changed(id, start);
    return num;
}

BOOL IParamBlock2::IsAnimated(ParamID id, int tabIndex) {
    return NumKeys(id, tabIndex) > 0 ? TRUE : FALSE;
}

int IParamBlock2::NumKeys(ParamID id, int tabIndex) {
    const ParamDef* d = nullptr;
    Entry* e = Find(id, tabIndex, &d);
    return e ? static_cast<int>(e->keys.size()) : 0;
}

void IParamBlock2::Reset(ParamID id) {
    for (int pi = 0; pi < desc_->Count(); ++pi) {
        const ParamDef& d = desc_->paramdefs[static_cast<std::size_t>(pi)];
        if (id != -1 && d.ID != id) continue;
        auto& entries = values_[static_cast<std::size_t>(pi)];
        if (IsRefType(d.type) && !OwnersRef(d))
            for (std::size_t i = 0; i < entries.size(); ++i)
                if (entries[i].ref) ReplaceReference(RefIndex(pi, static_cast<int>(i)), nullptr);
        for (Entry& e : entries) Init(pi, e);
    }
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

IParamMap2* IParamBlock2::GetMap(MapID map) {
    for (auto& [id, m] : maps_)
        if (id == map) return m;
    return nullptr;
}

void IParamBlock2::SetMap(IParamMap2* m, MapID map) {
    for (auto& entry : maps_)
        if (entry.first == map) {
            entry.second = m;
            return;
        }
    maps_.emplace_back(map, m);
}

void IParamBlock2::IndexRefs() {
    refStart_.assign(values_.size() + 1, 0);
    for (std::size_t pi = 0; pi < values_.size(); ++pi) {
        const ParamDef& d = desc_->paramdefs[pi];
        const bool counted = IsRefType(d.type) && !OwnersRef(d);
        refStart_[pi + 1] = refStart_[pi] + (counted ? static_cast<int>(values_[pi].size()) : 0);
    }
}

int IParamBlock2::RefIndex(int paramIndex, int tabIndex) {
    return refStart_[static_cast<std::size_t>(paramIndex)] + tabIndex;
}

bool IParamBlock2::LocateRef(int refIndex, int& paramIndex, int& tabIndex) {
    if (refIndex < 0 || refIndex >= refStart_.back()) return false;
    // The last parameter starting at or before refIndex owns it; parameters
    // without references start where the next one does and are passed over.
    auto it = std::upper_bound(refStart_.begin(), refStart_.end(), refIndex) - 1;
    paramIndex = static_cast<int>(it - refStart_.begin());
    tabIndex = refIndex - *it;
    return true;
}

int IParamBlock2::NumRefs() {
    return RefIndex(desc_->Count(), 0);
}

RefTargetHandle IParamBlock2::GetReference(int i) {
    int pi = 0, ti = 0;
    if (!LocateRef(i, pi, ti)) return nullptr;
    return values_[static_cast<std::size_t>(pi)][static_cast<std::size_t>(ti)].ref;
}

void IParamBlock2::SetReference(int i, RefTargetHandle rtarg) {
    int pi = 0, ti = 0;
    if (LocateRef(i, pi, ti))
        values_[static_cast<std::size_t>(pi)][static_cast<std::size_t>(ti)].ref = rtarg;
}

RefResult IParamBlock2::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) {
    return REF_SUCCEED;
}

void IParamBlock2::RefAdded(RefMakerHandle rm) {
    if (!owner_) owner_ = rm;
}

ReferenceTarget* IParamBlock2::Clone(RemapDir& remap) {
    auto* copy = new IParamBlock2(desc_, nullptr);
    for (std::size_t pi = 0; pi < values_.size(); ++pi) {
        const auto& from = values_[pi];
        auto& to = copy->values_[pi];
        to.resize(from.size());
        for (std::size_t i = 0; i < from.size(); ++i) {
            to[i].value = from[i].value;
            to[i].keys = from[i].keys;
            to[i].ref = nullptr;
        }
    }
    copy->IndexRefs();
    for (int pi = 0; pi < desc_->Count(); ++pi) {
        const ParamDef& d = desc_->paramdefs[static_cast<std::size_t>(pi)];
        if (!IsRefType(d.type) || OwnersRef(d)) continue;
        const auto& from = values_[static_cast<std::size_t>(pi)];
        for (std::size_t i = 0; i < from.size(); ++i) {
            ReferenceTarget* r = from[i].ref;
            if (!r) continue;
            // Nodes are shared by the copy; maps and other targets are copied.
            ReferenceTarget* target = BaseType(d.type) == TYPE_INODE ? r : remap.CloneRef(r);
            copy->ReplaceReference(copy->RefIndex(pi, static_cast<int>(i)), target);
        }
    }
    BaseClone(this, copy, remap);
    return copy;
}

IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* iowner) {
    return pdesc ? new IParamBlock2(pdesc, iowner) : nullptr;
}
