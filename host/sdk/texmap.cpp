#include "host/sdk/texmap.h"

#include <string>

namespace {
constexpr USHORT MTLBASE_NAME_CHUNK = 0x4100;
constexpr USHORT MTLBASE_GBUF_CHUNK = 0x4101;
} // namespace

MSTR ISubMap::GetSubTexmapTVName(int i) {
    MSTR name = GetSubTexmapSlotName(i);
    return name.empty() ? "Map #" + std::to_string(i + 1) : name;
}

IOResult MtlBase::Save(ISave* isave) {
    isave->BeginChunk(MTLBASE_NAME_CHUNK);
    IOResult r = isave->WriteCString(name_);
    isave->EndChunk();
    if (r != IO_OK) return r;
    isave->BeginChunk(MTLBASE_GBUF_CHUNK);
    r = isave->WriteInt(gbufId_);
    isave->EndChunk();
    return r;
}

IOResult MtlBase::Load(ILoad* iload) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        switch (iload->CurChunkID()) {
        case MTLBASE_NAME_CHUNK:
            r = iload->ReadCString(name_);
            break;
        case MTLBASE_GBUF_CHUNK:
            r = iload->ReadInt(gbufId_);
            break;
        default:
            break;
        }
        IOResult closed = iload->CloseChunk();
        if (r != IO_OK) return r;
        if (closed != IO_OK) return closed;
    }
    return r == IO_END ? IO_OK : r;
}

HINSTANCE GetHostInstance() {
    static char host;
    return reinterpret_cast<HINSTANCE>(&host);
}

float Texmap::EvalMono(ShadeContext& sc) {
    AColor c = EvalColor(sc);
    return (c.r + c.g + c.b) / 3.0f;
}
