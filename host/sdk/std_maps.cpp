#include "host/sdk/std_maps.h"

namespace {
constexpr USHORT UVGEN_VALUES_CHUNK = 0x5000;
constexpr USHORT TEXOUT_VALUES_CHUNK = 0x5010;

template <class T> IOResult ReadAll(ILoad* iload, T* values, int n) {
    for (int i = 0; i < n; ++i) {
        IOResult r = iload->ReadValue(values[i]);
        if (r != IO_OK) return r;
    }
    return IO_OK;
}

// Reads the one values chunk of a simple host object, skipping anything else.
template <class F> IOResult LoadValuesChunk(ILoad* iload, USHORT id, F read) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        if (iload->CurChunkID() == id) r = read();
        IOResult closed = iload->CloseChunk();
        if (r != IO_OK) return r;
        if (closed != IO_OK) return closed;
    }
    return r == IO_END ? IO_OK : r;
}
} // namespace

UVGen* GetNewDefaultUVGen() {
    return new StdUVGen;
}
TextureOutput* GetNewDefaultTextureOutput() {
    return new StdTexOut;
}

void StdUVGen::Reset() {
    uOffset = vOffset = 0.0f;
    uTiling = vTiling = 1.0f;
    tiling = U_WRAP | V_WRAP;
    uvwSource = UVWSRC_EXPLICIT;
    mapChannel = 1;
}

ReferenceTarget* StdUVGen::Clone(RemapDir& remap) {
    auto* c = new StdUVGen;
    c->uOffset = uOffset;
    c->vOffset = vOffset;
    c->uTiling = uTiling;
    c->vTiling = vTiling;
    c->tiling = tiling;
    c->uvwSource = uvwSource;
    c->mapChannel = mapChannel;
    BaseClone(this, c, remap);
    return c;
}

IOResult StdUVGen::Save(ISave* isave) {
    isave->BeginChunk(UVGEN_VALUES_CHUNK);
    float f[4] = {uOffset, vOffset, uTiling, vTiling};
    int n[3] = {tiling, uvwSource, mapChannel};
    IOResult r = IO_OK;
    for (float v : f)
        if (r == IO_OK) r = isave->WriteFloat(v);
    for (int v : n)
        if (r == IO_OK) r = isave->WriteInt(v);
    isave->EndChunk();
    return r;
}

IOResult StdUVGen::Load(ILoad* iload) {
    return LoadValuesChunk(iload, UVGEN_VALUES_CHUNK, [&] {
        float f[4];
        int n[3];
        IOResult r = ReadAll(iload, f, 4);
        if (r == IO_OK) r = ReadAll(iload, n, 3);
        if (r != IO_OK) return r;
        uOffset = f[0];
        vOffset = f[1];
        uTiling = f[2];
        vTiling = f[3];
        tiling = n[0];
        uvwSource = n[1];
        mapChannel = n[2];
        return IO_OK;
    });
}

AColor StdTexOut::Filter(AColor c) {
    float k = rgbLevel_ * outputAmount_;
    return {c.r * k, c.g * k, c.b * k, c.a};
}

void StdTexOut::Reset() {
    outputAmount_ = rgbLevel_ = 1.0f;
}

ReferenceTarget* StdTexOut::Clone(RemapDir& remap) {
    auto* c = new StdTexOut;
    c->outputAmount_ = outputAmount_;
    c->rgbLevel_ = rgbLevel_;
    BaseClone(this, c, remap);
    return c;
}

IOResult StdTexOut::Save(ISave* isave) {
    isave->BeginChunk(TEXOUT_VALUES_CHUNK);
    IOResult r = isave->WriteFloat(outputAmount_);
    if (r == IO_OK) r = isave->WriteFloat(rgbLevel_);
    isave->EndChunk();
    return r;
}

IOResult StdTexOut::Load(ILoad* iload) {
    return LoadValuesChunk(iload, TEXOUT_VALUES_CHUNK, [&] {
        float f[2];
        IOResult r = ReadAll(iload, f, 2);
        if (r != IO_OK) return r;
        outputAmount_ = f[0];
        rgbLevel_ = f[1];
        return IO_OK;
    });
}
