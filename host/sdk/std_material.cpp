#include "host/sdk/std_material.h"

namespace {
constexpr USHORT MTL_BASE_CHUNK = 0x4000;
constexpr USHORT STDMAT_VALUES_CHUNK = 0x5020;
} // namespace

StdMat* NewDefaultStdMat() {
    return new StdMat;
}

Texmap* StdMat::GetSubTexmap(int i) {
    return i >= 0 && i < 2 ? maps_[i] : nullptr;
}

void StdMat::SetSubTexmap(int i, Texmap* m) {
    if (i >= 0 && i < 2) ReplaceReference(i, m);
}

MSTR StdMat::GetSubTexmapSlotName(int i) {
    switch (i) {
    case STDMAT_DIFFUSE:
        return "Diffuse Color";
    case STDMAT_BUMP:
        return "Bump";
    default:
        return MSTR();
    }
}

RefTargetHandle StdMat::GetReference(int i) {
    return GetSubTexmap(i);
}

void StdMat::SetReference(int i, RefTargetHandle r) {
    if (i >= 0 && i < 2) maps_[i] = dynamic_cast<Texmap*>(r);
}

void StdMat::Update(TimeValue t, Interval& valid) {
    for (Texmap* m : maps_)
        if (m) m->Update(t, valid);
}

void StdMat::Reset() {
    diffuse_ = Color(0.5f, 0.5f, 0.5f);
    bumpAmount_ = 1.0f;
    mapOn_[0] = mapOn_[1] = true;
    DeleteReference(STDMAT_DIFFUSE);
    DeleteReference(STDMAT_BUMP);
}

Interval StdMat::Validity(TimeValue t) {
    Interval valid = FOREVER;
    Update(t, valid);
    return valid;
}

ReferenceTarget* StdMat::Clone(RemapDir& remap) {
    auto* c = new StdMat;
    c->diffuse_ = diffuse_;
    c->bumpAmount_ = bumpAmount_;
    c->mapOn_[0] = mapOn_[0];
    c->mapOn_[1] = mapOn_[1];
    for (int i = 0; i < 2; ++i)
        if (maps_[i]) c->ReplaceReference(i, remap.CloneRef(maps_[i]));
    BaseClone(this, c, remap);
    return c;
}

IOResult StdMat::Save(ISave* isave) {
    isave->BeginChunk(MTL_BASE_CHUNK);
    IOResult r = MtlBase::Save(isave);
    isave->EndChunk();
    if (r != IO_OK) return r;
    isave->BeginChunk(STDMAT_VALUES_CHUNK);
    for (float v : {diffuse_.r, diffuse_.g, diffuse_.b, bumpAmount_})
        if (r == IO_OK) r = isave->WriteFloat(v);
    for (bool on : mapOn_)
        if (r == IO_OK) r = isave->WriteByte(on ? 1 : 0);
    isave->EndChunk();
    return r;
}

IOResult StdMat::Load(ILoad* iload) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        if (iload->CurChunkID() == MTL_BASE_CHUNK) {
            r = MtlBase::Load(iload);
        } else if (iload->CurChunkID() == STDMAT_VALUES_CHUNK) {
            float f[4];
            BYTE on[2];
            for (float& v : f)
                if (r == IO_OK) r = iload->ReadFloat(v);
            for (BYTE& v : on)
                if (r == IO_OK) r = iload->ReadByte(v);
            if (r == IO_OK) {
                diffuse_ = Color(f[0], f[1], f[2]);
                bumpAmount_ = f[3];
                mapOn_[0] = on[0] != 0;
                mapOn_[1] = on[1] != 0;
            }
        }
        IOResult closed = iload->CloseChunk();
        if (r != IO_OK) return r;
        if (closed != IO_OK) return closed;
    }
    return r == IO_END ? IO_OK : r;
}
