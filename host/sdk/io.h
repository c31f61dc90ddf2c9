#pragma once
// Scene-file streams: nested chunks, each a 16-bit id and a body that holds
// either raw data or further chunks. Values are stored little-endian, as the
// host's own files are.
#include <cstring>
#include <string>
#include <type_traits>

#include "base_types.h"

enum IOResult { IO_OK = 0, IO_END = 1, IO_ERROR = 2 };

class ISave {
public:
    virtual ~ISave() = default;

    // Chunks nest: every BeginChunk is closed by one EndChunk.
    virtual void BeginChunk(USHORT id) = 0;
    virtual void EndChunk() = 0;
    // Depth of open chunks; 0 at the top of the stream.
    virtual int CurChunkDepth() = 0;
    virtual IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) = 0;

    // Writes the characters and a terminating zero.
    IOResult WriteCString(const char* str);
    IOResult WriteCString(const std::string& str) { return WriteCString(str.c_str()); }

    template <class T> IOResult WriteValue(const T& v) {
        static_assert(std::is_trivially_copyable_v<T>);
        ULONG n = 0;
        IOResult r = Write(&v, sizeof(T), &n);
        return r == IO_OK && n == sizeof(T) ? IO_OK : IO_ERROR;
    }
    IOResult WriteInt(int v) { return WriteValue(v); }
    IOResult WriteUInt(ULONG v) { return WriteValue(v); }
    IOResult WriteShort(USHORT v) { return WriteValue(v); }
    IOResult WriteByte(BYTE v) { return WriteValue(v); }
    IOResult WriteFloat(float v) { return WriteValue(v); }
    IOResult WriteDouble(double v) { return WriteValue(v); }
};

class ILoad {
public:
    virtual ~ILoad() = default;

    // Opens the next chunk inside the current one (or at the top of the
    // stream): IO_OK, IO_END when no chunk is left at this level, IO_ERROR when
    // the header is cut short or claims more bytes than its parent holds.
    virtual IOResult OpenChunk() = 0;
    // Id of the chunk most recently opened; 0 when none is open.
    virtual USHORT CurChunkID() = 0;
    // Body length in bytes of the open chunk, without its header.
    virtual ULONG CurChunkLength() = 0;
    // Skips what is left of the open chunk.
    virtual IOResult CloseChunk() = 0;
    // Id of the next chunk at the current level without opening it; 0 at the end.
    virtual USHORT PeekNextChunkID() = 0;
    // Reads at most what is left of the open chunk's body; fewer bytes than
    // asked for give IO_ERROR with nread telling how many came.
    virtual IOResult Read(void* buf, ULONG nbytes, ULONG* nread) = 0;

    // Bytes from the start of the stream to where the next read starts; 0 when
    // the stream cannot tell. For messages only.
    virtual ULONG CurPosition() { return 0; }
    // A value was read whole but cannot be used (out of range, not finite):
    // the stream keeps the problem and where the value began, for the host's
    // message. Returns IO_ERROR, for `return l->Refuse(...)`.
    virtual IOResult Refuse(ULONG at, const std::string& problem) {
        (void)at;
        (void)problem;
        return IO_ERROR;
    }

    // Reads a zero-terminated string; the text stays valid until the next call.
    IOResult ReadCStringChunk(char** buf);
    IOResult ReadCString(std::string& out);

    template <class T> IOResult ReadValue(T& v) {
        static_assert(std::is_trivially_copyable_v<T>);
        ULONG n = 0;
        IOResult r = Read(&v, sizeof(T), &n);
        return r == IO_OK && n == sizeof(T) ? IO_OK : IO_ERROR;
    }
    IOResult ReadInt(int& v) { return ReadValue(v); }
    IOResult ReadUInt(ULONG& v) { return ReadValue(v); }
    IOResult ReadShort(USHORT& v) { return ReadValue(v); }
    IOResult ReadByte(BYTE& v) { return ReadValue(v); }
    IOResult ReadFloat(float& v) { return ReadValue(v); }
    IOResult ReadDouble(double& v) { return ReadValue(v); }

private:
    std::string text_;
};
