#include "edgemap/gradient_edge.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "edgemap/gradient_edge_strings.h"

GradientEdge::GradientEdge() {
    ramp.MakeDefault();
    GetGradientEdgeDesc()->MakeAutoParamBlocks(this);
    Reset();
}

GradientEdge::~GradientEdge() {
    InvalidateEdgeData();
    DiscardTexHandle();
}

void GradientEdge::GetClassName(MSTR& s) {
    s = GradientEdgeString(IDS_GE_CLASS_NAME);
}

void GradientEdge::Reset() {
    if (uvGen)
        uvGen->Reset();
    else
        ReplaceReference(GE_REF_COORDS, GetNewDefaultUVGen());
    if (texout)
        texout->Reset();
    else
        ReplaceReference(GE_REF_OUTPUT, GetNewDefaultTextureOutput());
    for (int i = GE_REF_MARKER_MAPS; i < NumRefs(); ++i) DeleteReference(i);
    ramp.MakeDefault();
    SyncMarkerReferences();
    InvalidateEdgeData();
    ivalid.SetEmpty();
}

void GradientEdge::Update(TimeValue t, Interval& valid) {
    ivalid = FOREVER;
    if (pblock) {
        float angleDegrees = 0.0f;
        int v = 0;
        pblock->GetValue(ge_distance, t, distance, ivalid);
        pblock->GetValue(ge_angle, t, angleDegrees, ivalid);
        angle = angleDegrees * 0.017453292f;
        auto readBool = [&](ParamID id, bool& out) {
            pblock->GetValue(id, t, v, ivalid);
            out = v != 0;
        };
        readBool(ge_selection_only, selectionOnly);
        readBool(ge_open_edges, openEdges);
        readBool(ge_smooth, smooth);
        pblock->GetValue(ge_smooth_eq, t, smoothType, ivalid);
        readBool(ge_matid, matId);
        pblock->GetValue(ge_matid_eq, t, matIdType, ivalid);
        readBool(ge_complanar, coplanar);
        pblock->GetValue(ge_conditions, t, combine, ivalid);
        pblock->GetValue(ge_c_mult, t, cellMultiplier, ivalid);
        readBool(ge_matid_range, matIdRange);
        pblock->GetValue(ge_matid1, t, v, ivalid);
        matId1 = v - 1;
        pblock->GetValue(ge_matid2, t, v, ivalid);
        matId2 = v - 1;
    }
    InvalidateEdgeData();
    if (uvGen) uvGen->Update(t, ivalid);
    if (texout) texout->Update(t, ivalid);
    for (const RampMarker& m : ramp.markers) {
        if (m.baseMap) m.baseMap->Update(t, ivalid);
        if (m.transparentMap) m.transparentMap->Update(t, ivalid);
    }
    DiscardTexHandle();
    valid &= ivalid;
}

Interval GradientEdge::Validity(TimeValue t) {
    Interval scratch = FOREVER;
    Update(t, scratch);
    return ivalid;
}

EdgeCriteria GradientEdge::CachedCriteria() const {
    EdgeCriteria c;
    c.angle = angle;
    c.selectionOnly = selectionOnly;
    c.openEdges = openEdges;
    c.smooth = smooth;
    c.smoothType = smoothType;
    c.matId = matId;
    c.matIdType = matIdType;
    c.coplanar = coplanar;
    c.combine = combine;
    c.distance = distance;
    c.matIdRange = matIdRange;
    c.matId1 = matId1;
    c.matId2 = matId2;
    return c;
}

void GradientEdge::DiscardTexHandle() {
    if (texHandle) texHandle->DeleteThis();
    texHandle = nullptr;
    texHandleValid.SetEmpty();
}

void GradientEdge::ActivateTexDisplay(BOOL onOff) {
    if (!onOff) DiscardTexHandle();
}

ULONG GradientEdge::LocalRequirements(int subMtlNum) {
    return uvGen ? uvGen->LocalRequirements(subMtlNum) : 0;
}

void GradientEdge::LocalMappingsRequired(int subMtlNum, BitArray& mapreq, BitArray& bumpreq) {
    if (uvGen) uvGen->LocalMappingsRequired(subMtlNum, mapreq, bumpreq);
}

void GradientEdge::SetOutputLevel(TimeValue t, float v) {
    if (texout) texout->SetOutputLevel(t, v);
}

BOOL GradientEdge::SetDlgThing(ParamDlg* dlg) {
    if (dlg && dlg == outputDialog) {
        dlg->SetThing(texout);
        return TRUE;
    }
    return FALSE;
}

// ---- references and sub-maps ----

RefTargetHandle GradientEdge::GetReference(int i) {
    switch (i) {
    case GE_REF_COORDS:
        return uvGen;
    case GE_REF_PBLOCK:
        return pblock;
    case GE_REF_OUTPUT:
        return texout;
    default:
        break;
    }
    int k = (i - GE_REF_MARKER_MAPS) / 2;
    if (i < GE_REF_MARKER_MAPS || k >= ramp.Count()) return nullptr;
    const RampMarker& m = ramp.markers[k];
    return (i - GE_REF_MARKER_MAPS) % 2 == 0 ? m.baseMap : m.transparentMap;
}

void GradientEdge::SetReference(int i, RefTargetHandle r) {
    switch (i) {
    case GE_REF_COORDS:
        uvGen = dynamic_cast<UVGen*>(r);
        return;
    case GE_REF_PBLOCK:
        pblock = dynamic_cast<IParamBlock2*>(r);
        return;
    case GE_REF_OUTPUT:
        texout = dynamic_cast<TextureOutput*>(r);
        return;
    default:
        break;
    }
    int k = (i - GE_REF_MARKER_MAPS) / 2;
    if (i < GE_REF_MARKER_MAPS || k >= ramp.Count()) return;
    RampMarker& m = ramp.markers[k];
    Texmap*& slot = (i - GE_REF_MARKER_MAPS) % 2 == 0 ? m.baseMap : m.transparentMap;
    if (!rawSlotEdit_) {
        // The host's bookkeeping has just dropped the old target and adds the new one.
        if (slot) {
            auto it = std::find(heldMaps_.begin(), heldMaps_.end(), slot);
            if (it != heldMaps_.end()) heldMaps_.erase(it);
        }
        Texmap* next = dynamic_cast<Texmap*>(r);
        if (next) heldMaps_.push_back(next);
        slot = next;
        return;
    }
    slot = dynamic_cast<Texmap*>(r);
}

void GradientEdge::SyncMarkerReferences() {
    std::map<Texmap*, int> surplus; // held minus carried, per map
    for (Texmap* m : heldMaps_) ++surplus[m];
    for (const RampMarker& mk : ramp.markers) {
        if (mk.baseMap) --surplus[mk.baseMap];
        if (mk.transparentMap) --surplus[mk.transparentMap];
    }
    for (auto& [map, count] : surplus) {
        // A marker carries the map without a reference of its own (a copy):
        // empty one such slot and let the host make the reference into it.
        for (int i = GE_REF_MARKER_MAPS; count < 0 && i < NumRefs(); ++i) {
            if (GetReference(i) != map) continue;
            rawSlotEdit_ = true;
            SetReference(i, nullptr);
            rawSlotEdit_ = false;
            ReplaceReference(i, map);
            ++count;
        }
        // Held but no longer carried (a removed marker): release it through a
        // scratch marker appended for the purpose.
        while (count > 0) {
            RampMarker scratch;
            scratch.baseMap = map;
            ramp.markers.push_back(scratch);
            ReplaceReference(NumRefs() - 2, nullptr);
            ramp.markers.pop_back();
            --count;
        }
    }
    MatchMarkerMapCount();
}

void GradientEdge::MatchMarkerMapCount() {
    if (pblock && pblock->Count(ge_marker_map) != 2 * ramp.Count())
        pblock->SetCount(ge_marker_map, 2 * ramp.Count());
}

Texmap* GradientEdge::GetSubTexmap(int i) {
    return dynamic_cast<Texmap*>(GetReference(i + GE_REF_MARKER_MAPS));
}

void GradientEdge::SetSubTexmap(int i, Texmap* m) {
    MatchMarkerMapCount();
    ReplaceReference(i + GE_REF_MARKER_MAPS, m);
    ivalid.SetEmpty();
    if (dialog) dialog->ReloadDialog();
}

MSTR GradientEdge::GetSubTexmapSlotName(int i) {
    return i == 0 ? MSTR(GradientEdgeString(IDS_GE_MARKER_COLOR)) : MSTR();
}

Animatable* GradientEdge::SubAnim(int i) {
    return GetReference(i);
}

MSTR GradientEdge::SubAnimName(int i) {
    switch (i) {
    case GE_REF_COORDS:
        return GradientEdgeString(IDS_GE_COORDINATES);
    case GE_REF_PBLOCK:
        return GradientEdgeString(IDS_GE_PARAMETERS);
    case GE_REF_OUTPUT:
        return GradientEdgeString(IDS_GE_OUTPUT);
    default:
        return GetSubTexmapTVName(i - GE_REF_MARKER_MAPS);
    }
}

IParamBlock2* GradientEdge::GetParamBlockByID(BlockID id) {
    return pblock && pblock->ID() == id ? pblock : nullptr;
}

RefResult GradientEdge::NotifyRefChanged(Interval, RefTargetHandle hTarget, PartID& partID,
                                         RefMessage message) {
    switch (message) {
    case REFMSG_CHANGE:
        if (pblock && hTarget == pblock && pblock->LastNotifyParamID() == ge_marker_map)
            MatchMarkerMapCount();
        DiscardTexHandle();
        return REF_SUCCEED;
    case REFMSG_GET_PARAM_NAME: {
        auto* query = reinterpret_cast<GetParamName*>(partID);
        if (query) query->name = GetSubTexmapTVName(query->index);
        return REF_STOP;
    }
    case REFMSG_GET_PARAM_DIM:
        return REF_STOP;
    default:
        return REF_SUCCEED;
    }
}

// ---- cloning and scene files ----

ReferenceTarget* GradientEdge::Clone(RemapDir& remap) {
    auto* c = new GradientEdge;
    c->ReplaceReference(GE_REF_COORDS, remap.CloneRef(uvGen));
    c->ReplaceReference(GE_REF_PBLOCK, remap.CloneRef(pblock));
    c->ReplaceReference(GE_REF_OUTPUT, remap.CloneRef(texout));
    c->ivalid = ivalid;
    c->distance = distance;
    c->angle = angle;
    c->selectionOnly = selectionOnly;
    c->openEdges = openEdges;
    c->smooth = smooth;
    c->smoothType = smoothType;
    c->matId = matId;
    c->matIdType = matIdType;
    c->coplanar = coplanar;
    c->combine = combine;
    c->cellMultiplier = cellMultiplier;
    c->matIdRange = matIdRange;
    c->matId1 = matId1;
    c->matId2 = matId2;
    c->ramp.markerSize = ramp.markerSize;
    c->ramp.markers = ramp.markers;
    for (RampMarker& m : c->ramp.markers) m.flags = 0;
    c->ramp.SetActiveMarker(0);
    // The copy shares the maps and holds its own references to them.
    c->SyncMarkerReferences();
    c->InvalidateEdgeData();
    c->DiscardTexHandle();
    BaseClone(this, c, remap);
    return c;
}

void PackMarker(const RampMarker& m, BYTE out[GE_MARKER_RECORD_BYTES]) {
    BYTE* p = out;
    auto put = [&p](const void* v, std::size_t n) {
        std::memcpy(p, v, n);
        p += n;
    };
    put(&m.position, 4);
    put(&m.baseColor, 16);
    put(&m.transparentColor, 16);
    put(&m.baseMapOn, 1);
    put(&m.transparentMapOn, 1);
    put(&m.inType, 4);
    put(&m.outType, 4);
    put(&m.activeColor, 16);
    put(&m.reactiveColor, 16);
    put(&m.flags, 4);
}

void UnpackMarker(const BYTE in[GE_MARKER_RECORD_BYTES], RampMarker& m) {
    const BYTE* p = in;
    auto get = [&p](void* v, std::size_t n) {
        std::memcpy(v, p, n);
        p += n;
    };
    get(&m.position, 4);
    get(&m.baseColor, 16);
    get(&m.transparentColor, 16);
    get(&m.baseMapOn, 1);
    get(&m.transparentMapOn, 1);
    get(&m.inType, 4);
    get(&m.outType, 4);
    get(&m.activeColor, 16);
    get(&m.reactiveColor, 16);
    get(&m.flags, 4);
}

IOResult GradientEdge::Save(ISave* isave) {
    isave->BeginChunk(GE_MTLBASE_CHUNK);
    IOResult r = MtlBase::Save(isave);
    isave->EndChunk();
    if (r != IO_OK) return r;

    isave->BeginChunk(GE_MARKERS_CHUNK);
    r = isave->WriteInt(ramp.Count());
    for (const RampMarker& m : ramp.markers) {
        if (r != IO_OK) break;
        BYTE record[GE_MARKER_RECORD_BYTES];
        PackMarker(m, record);
        ULONG written = 0;
        r = isave->Write(record, GE_MARKER_RECORD_BYTES, &written);
        if (r == IO_OK && written != GE_MARKER_RECORD_BYTES) r = IO_ERROR;
    }
    isave->EndChunk();
    return r;
}

IOResult GradientEdge::Load(ILoad* iload) {
    if (iload->PeekNextChunkID() == GE_MTLBASE_CHUNK) {
        IOResult r = iload->OpenChunk();
        if (r != IO_OK) return r;
        r = MtlBase::Load(iload);
        IOResult closed = iload->CloseChunk();
        if (r != IO_OK) return r;
        if (closed != IO_OK) return closed;
    }
    if (iload->PeekNextChunkID() != GE_MARKERS_CHUNK) {
        InvalidateEdgeData();
        return IO_OK;
    }
    IOResult r = iload->OpenChunk();
    if (r != IO_OK) return r;
    int count = 0;
    r = iload->ReadInt(count);
    if (r != IO_OK) return r;
    ramp.markers.clear();
    for (int i = 0; i < count; ++i) {
        BYTE record[GE_MARKER_RECORD_BYTES];
        ULONG read = 0;
        r = iload->Read(record, GE_MARKER_RECORD_BYTES, &read);
        if (r != IO_OK) break;
        RampMarker m;
        UnpackMarker(record, m);
        if (m.position > 1.0f) m.position = 1.0f;
        if (m.position < MARKER_MIN_GAP) m.position = 0.0f;
        ramp.markers.push_back(m);
    }
    ramp.NormalizeRamp();
    SyncMarkerReferences();
    IOResult closed = iload->CloseChunk();
    InvalidateEdgeData();
    if (r != IO_OK) return r;
    return closed;
}
