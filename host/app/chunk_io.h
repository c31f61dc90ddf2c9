#pragma once
// Chunk streams in memory and in files; the layout is in docs/chunk-format.md.
#include <cstdint>
#include <string>
#include <vector>

#include "host/sdk/io.h"

// Collects chunks in memory. Misuse (data and chunks mixed in one chunk, data
// outside any chunk, an EndChunk too many or a chunk left open) makes Status()
// IO_ERROR.
class MemorySave : public ISave {
public:
    void BeginChunk(USHORT id) override;
    void EndChunk() override;
    int CurChunkDepth() override { return static_cast<int>(open_.size()); }
    IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) override;

    IOResult Status() const { return failed_ || !open_.empty() ? IO_ERROR : IO_OK; }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    struct Open {
        size_t header;
        bool children = false;
        bool data = false;
    };
    std::vector<std::uint8_t> bytes_;
    std::vector<Open> open_;
    bool failed_ = false;
};

// Writes into memory and puts the file in place only on Close, so a failed
// save leaves no partial file behind.
class FileSave : public MemorySave {
public:
    explicit FileSave(std::string path) : path_(std::move(path)) {}
    IOResult Close();
    const std::string& Error() const { return error_; }

private:
    std::string path_;
    std::string error_;
};

// Reads chunks from a byte buffer. Every header is checked against the bytes
// its parent holds; a failure leaves the position where it was and
// Error() says where and what.
class MemoryLoad : public ILoad {
public:
    MemoryLoad() = default;
    explicit MemoryLoad(std::vector<std::uint8_t> bytes) { SetBytes(std::move(bytes)); }
    void SetBytes(std::vector<std::uint8_t> bytes);

    IOResult OpenChunk() override;
    USHORT CurChunkID() override;
    ULONG CurChunkLength() override;
    IOResult CloseChunk() override;
    USHORT PeekNextChunkID() override;
    IOResult Read(void* buf, ULONG nbytes, ULONG* nread) override;
    ULONG CurPosition() override { return static_cast<ULONG>(pos_); }
    IOResult Refuse(ULONG at, const std::string& problem) override;

    const std::string& Error() const { return error_; }
    size_t Position() const { return pos_; }

protected:
    std::string error_;

private:
    struct Frame {
        size_t body, end;
        USHORT id;
        bool container;
    };
    std::vector<std::uint8_t> bytes_;
    std::vector<Frame> frames_; // frames_[0] is the whole stream
    size_t pos_ = 0;
    IOResult Fail(const std::string& what);
    // Header at pos_: IO_OK with id, total length and container bit; IO_END at the end.
    IOResult ParseHeader(USHORT& id, ULONG& total, bool& container, bool report);
};

class FileLoad : public MemoryLoad {
public:
    // IO_ERROR when the file cannot be read (Error() says why).
    IOResult Open(const std::string& path);
};
