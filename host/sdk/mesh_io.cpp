// The stored form of a Mesh: a sequence of chunks, laid out in
// docs/mesh-format.md. Loading checks every count against the chunk lengths
// and every index against its range, so a damaged file is an IO_ERROR.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "host/sdk/io.h"
#include "host/sdk/mesh.h"

namespace {

constexpr USHORT MESH_HEADER_CHUNK = 0x0100;
constexpr USHORT MESH_VERTS_CHUNK = 0x0110;
constexpr USHORT MESH_FACES_CHUNK = 0x0120;
constexpr USHORT MESH_VSEL_CHUNK = 0x0130;
constexpr USHORT MESH_FSEL_CHUNK = 0x0131;
constexpr USHORT MESH_ESEL_CHUNK = 0x0132;
constexpr USHORT MESH_MAP_CHUNK = 0x0140;

IOResult WriteBytes(ISave* s, const void* p, size_t n) {
    if (n == 0) return IO_OK;
    ULONG w = 0;
    IOResult r = s->Write(p, static_cast<ULONG>(n), &w);
    return r == IO_OK && w == n ? IO_OK : IO_ERROR;
}

bool Finite(const float (&xyz)[3]) {
    return std::isfinite(xyz[0]) && std::isfinite(xyz[1]) && std::isfinite(xyz[2]);
}

const char* ChunkName(USHORT id) {
    switch (id) {
    case MESH_HEADER_CHUNK:
        return "header";
    case MESH_VERTS_CHUNK:
        return "vertex";
    case MESH_FACES_CHUNK:
        return "face";
    case MESH_VSEL_CHUNK:
    case MESH_FSEL_CHUNK:
    case MESH_ESEL_CHUNK:
        return "selection";
    case MESH_MAP_CHUNK:
        return "map";
    default:
        return "unknown";
    }
}

IOResult ReadBytes(ILoad* l, void* p, size_t n) {
    if (n == 0) return IO_OK;
    ULONG got = 0;
    IOResult r = l->Read(p, static_cast<ULONG>(n), &got);
    return r == IO_OK && got == n ? IO_OK : IO_ERROR;
}

IOResult SaveBits(ISave* s, USHORT id, const BitArray& b) {
    s->BeginChunk(id);
    std::vector<BYTE> bytes((b.GetSize() + 7) / 8, 0);
    for (int i = 0; i < b.GetSize(); i++)
        if (b[i]) bytes[i / 8] |= static_cast<BYTE>(1u << (i % 8));
    IOResult r = s->WriteInt(b.GetSize());
    if (r == IO_OK) r = WriteBytes(s, bytes.data(), bytes.size());
    s->EndChunk();
    return r;
}

IOResult LoadBits(ILoad* l, BitArray& b, std::int64_t expected) {
    int n = 0;
    if (l->ReadInt(n) != IO_OK || n != expected) return IO_ERROR;
    const std::uint64_t nbytes = (static_cast<std::uint64_t>(n) + 7) / 8;
    if (l->CurChunkLength() != 4 + nbytes) return IO_ERROR;
    std::vector<BYTE> bytes(nbytes);
    if (ReadBytes(l, bytes.data(), bytes.size()) != IO_OK) return IO_ERROR;
    b.SetSize(n);
    b.ClearAll();
    for (int i = 0; i < n; i++)
        if (bytes[i / 8] & (1u << (i % 8))) b.Set(i);
    return IO_OK;
}

// What the chunks read so far have said.
struct LoadState {
    bool haveHeader = false, haveVerts = false, haveFaces = false;
    bool refused = false; // the stream already holds the precise problem
    int nv = 0, nf = 0;
};

// Storage is allocated only once a chunk's length proves that its data is
// there, so a damaged count cannot ask for more memory than the file holds.
bool Sized(ULONG len, std::uint64_t head, std::uint64_t each, std::uint64_t count) {
    return static_cast<std::uint64_t>(len) == head + each * count;
}

IOResult LoadHeader(ILoad* iload, Mesh& mesh, LoadState& st) {
    IOResult res = IO_OK;
    DWORD level = 0;
    if (st.haveHeader || iload->ReadInt(st.nv) != IO_OK || iload->ReadInt(st.nf) != IO_OK ||
        iload->ReadUInt(level) != IO_OK || st.nv < 0 || st.nf < 0)
        res = IO_ERROR;
    mesh.selLevel = level;
    st.haveHeader = true;
    return res;
}

IOResult LoadVerts(ILoad* iload, Mesh& mesh, LoadState& st) {
    IOResult res = IO_OK;
    if (st.haveVerts || !Sized(iload->CurChunkLength(), 0, 12, static_cast<std::uint64_t>(st.nv)))
        res = IO_ERROR;
    else
        mesh.setNumVerts(st.nv, TRUE);
    for (int i = 0; i < st.nv && res == IO_OK; i++) {
        float xyz[3];
        const ULONG at = iload->CurPosition();
        res = ReadBytes(iload, xyz, sizeof xyz);
        if (res == IO_OK && !Finite(xyz)) {
            st.refused = true;
            return iload->Refuse(at, "mesh vertex " + std::to_string(i) +
                                         ": a coordinate is not finite (NaN or infinite)");
        }
        mesh.verts[i] = Point3(xyz[0], xyz[1], xyz[2]);
    }
    st.haveVerts = true;
    return res;
}

IOResult LoadFaces(ILoad* iload, Mesh& mesh, LoadState& st) {
    IOResult res = IO_OK;
    if (st.haveFaces || !Sized(iload->CurChunkLength(), 0, 20, static_cast<std::uint64_t>(st.nf)))
        res = IO_ERROR;
    else
        mesh.setNumFaces(st.nf, TRUE);
    for (int i = 0; i < st.nf && res == IO_OK; i++) {
        DWORD rec[5];
        res = ReadBytes(iload, rec, sizeof rec);
        if (res != IO_OK) break;
        if (rec[0] >= static_cast<DWORD>(st.nv) || rec[1] >= static_cast<DWORD>(st.nv) ||
            rec[2] >= static_cast<DWORD>(st.nv))
            res = IO_ERROR;
        mesh.faces[i].setVerts(static_cast<int>(rec[0]), static_cast<int>(rec[1]),
                               static_cast<int>(rec[2]));
        mesh.faces[i].smGroup = rec[3];
        mesh.faces[i].flags = rec[4];
    }
    st.haveFaces = true;
    return res;
}

IOResult LoadMap(ILoad* iload, Mesh& mesh, LoadState& st) {
    int mp = -1, mv = -1, mf = -1;
    if (iload->ReadInt(mp) != IO_OK || iload->ReadInt(mv) != IO_OK || iload->ReadInt(mf) != IO_OK ||
        mp < 0 || mp >= MAX_MESHMAPS || mv < 0 || mf != st.nf ||
        !Sized(iload->CurChunkLength(), 12, 12,
               static_cast<std::uint64_t>(mv) + static_cast<std::uint64_t>(mf)))
        return IO_ERROR;
    if (mp >= mesh.getNumMaps()) mesh.setNumMaps(mp + 1, TRUE);
    MeshMap& mm = mesh.Map(mp);
    mm.used = true;
    mm.tv.resize(mv);
    mm.tf.resize(mf);
    IOResult res = IO_OK;
    for (int i = 0; i < mv && res == IO_OK; i++) {
        float xyz[3];
        const ULONG at = iload->CurPosition();
        res = ReadBytes(iload, xyz, sizeof xyz);
        if (res == IO_OK && !Finite(xyz)) {
            st.refused = true;
            return iload->Refuse(at, "map channel " + std::to_string(mp) + ", vertex " +
                                         std::to_string(i) +
                                         ": a coordinate is not finite (NaN or infinite)");
        }
        mm.tv[i] = UVVert(xyz[0], xyz[1], xyz[2]);
    }
    for (int i = 0; i < mf && res == IO_OK; i++) {
        res = ReadBytes(iload, mm.tf[i].t, sizeof mm.tf[i].t);
        for (DWORD t : mm.tf[i].t)
            if (t >= static_cast<DWORD>(mv)) res = IO_ERROR;
    }
    return res;
}

// Reads the open chunk; every chunk but the header needs the header first.
IOResult LoadChunk(ILoad* iload, Mesh& mesh, LoadState& st) {
    const USHORT id = iload->CurChunkID();
    if (id == MESH_HEADER_CHUNK) return LoadHeader(iload, mesh, st);
    if (!st.haveHeader) return IO_ERROR;
    switch (id) {
    case MESH_VERTS_CHUNK:
        return LoadVerts(iload, mesh, st);
    case MESH_FACES_CHUNK:
        return LoadFaces(iload, mesh, st);
    case MESH_VSEL_CHUNK:
        return LoadBits(iload, mesh.vertSel, st.nv);
    case MESH_FSEL_CHUNK:
        return LoadBits(iload, mesh.faceSel, st.nf);
    case MESH_ESEL_CHUNK:
        return LoadBits(iload, mesh.edgeSel, 3 * static_cast<std::int64_t>(st.nf));
    case MESH_MAP_CHUNK:
        return LoadMap(iload, mesh, st);
    default:
        return IO_OK;
    }
}

} // namespace

IOResult Mesh::Save(ISave* isave) {
    IOResult r = IO_OK;
    auto track = [&r](IOResult x) {
        if (x != IO_OK) r = x;
    };
    isave->BeginChunk(MESH_HEADER_CHUNK);
    track(isave->WriteInt(numVerts));
    track(isave->WriteInt(numFaces));
    track(isave->WriteUInt(selLevel));
    isave->EndChunk();

    isave->BeginChunk(MESH_VERTS_CHUNK);
    for (const Point3& p : verts) {
        float xyz[3] = {p.x, p.y, p.z};
        track(WriteBytes(isave, xyz, sizeof xyz));
    }
    isave->EndChunk();

    isave->BeginChunk(MESH_FACES_CHUNK);
    for (const Face& f : faces) {
        DWORD rec[5] = {f.v[0], f.v[1], f.v[2], f.smGroup, f.flags};
        track(WriteBytes(isave, rec, sizeof rec));
    }
    isave->EndChunk();

    track(SaveBits(isave, MESH_VSEL_CHUNK, vertSel));
    track(SaveBits(isave, MESH_FSEL_CHUNK, faceSel));
    track(SaveBits(isave, MESH_ESEL_CHUNK, edgeSel));

    for (int mp = 0; mp < getNumMaps(); mp++) {
        const MeshMap& mm = maps[mp];
        if (!mm.used) continue;
        isave->BeginChunk(MESH_MAP_CHUNK);
        track(isave->WriteInt(mp));
        track(isave->WriteInt(mm.getNumVerts()));
        track(isave->WriteInt(mm.getNumFaces()));
        for (const UVVert& p : mm.tv) {
            float xyz[3] = {p.x, p.y, p.z};
            track(WriteBytes(isave, xyz, sizeof xyz));
        }
        for (const TVFace& t : mm.tf) track(WriteBytes(isave, t.t, sizeof t.t));
        isave->EndChunk();
    }
    return r;
}

IOResult Mesh::Load(ILoad* iload) {
    Init();
    LoadState state;
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        // The chunk's header starts 6 bytes before its body.
        const ULONG body = iload->CurPosition();
        const ULONG at = body >= 6 ? body - 6 : 0;
        const USHORT id = iload->CurChunkID();
        IOResult res = LoadChunk(iload, *this, state);
        // Chunks of later versions are skipped.
        IOResult c = iload->CloseChunk();
        if (res == IO_OK) res = c;
        if (res != IO_OK) {
            if (!state.refused)
                iload->Refuse(at, std::string("the mesh's ") + ChunkName(id) +
                                      " chunk is damaged (its counts, sizes or indices disagree)");
            Init();
            return res;
        }
    }
    if (r == IO_END && ((state.nv > 0 && !state.haveVerts) || (state.nf > 0 && !state.haveFaces))) {
        iload->Refuse(iload->CurPosition(), "the mesh lacks its vertex or face chunk");
        r = IO_ERROR;
    }
    if (r != IO_END) {
        Init();
        return r;
    }
    InvalidateTopologyCache();
    return IO_OK;
}
