#include "host/app/chunk_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "host/app/input_file.h"

namespace {

constexpr size_t HEADER_SIZE = 6;
constexpr std::uint32_t CONTAINER_BIT = 0x80000000u;

std::string Hex(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X", v);
    return buf;
}

} // namespace

// ---- saving

void MemorySave::BeginChunk(USHORT id) {
    if (!open_.empty()) {
        if (open_.back().data) failed_ = true;
        open_.back().children = true;
    }
    open_.push_back({bytes_.size()});
    bytes_.push_back(static_cast<std::uint8_t>(id & 0xff));
    bytes_.push_back(static_cast<std::uint8_t>(id >> 8));
    bytes_.insert(bytes_.end(), 4, 0);
}

void MemorySave::EndChunk() {
    if (open_.empty()) {
        failed_ = true;
        return;
    }
    Open o = open_.back();
    open_.pop_back();
    size_t total = bytes_.size() - o.header;
    if (total >= CONTAINER_BIT) failed_ = true;
    std::uint32_t word = static_cast<std::uint32_t>(total) | (o.children ? CONTAINER_BIT : 0u);
    for (int i = 0; i < 4; i++)
        bytes_[o.header + 2 + i] = static_cast<std::uint8_t>(word >> (8 * i));
}

IOResult MemorySave::Write(const void* buf, ULONG nbytes, ULONG* nwrit) {
    if (nwrit) *nwrit = 0;
    if (open_.empty() || open_.back().children || (!buf && nbytes)) {
        failed_ = true;
        return IO_ERROR;
    }
    open_.back().data = true;
    const auto* p = static_cast<const std::uint8_t*>(buf);
    bytes_.insert(bytes_.end(), p, p + nbytes);
    if (nwrit) *nwrit = nbytes;
    return IO_OK;
}

IOResult FileSave::Close() {
    if (Status() != IO_OK) {
        error_ = path_ + ": chunks not closed properly, nothing written";
        return IO_ERROR;
    }
    std::string tmp = path_ + ".part";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (out) out.write(reinterpret_cast<const char*>(Bytes().data()), Bytes().size());
        if (!out) {
            error_ = path_ + ": cannot write: " + std::strerror(errno);
            std::remove(tmp.c_str());
            return IO_ERROR;
        }
    }
    if (std::rename(tmp.c_str(), path_.c_str()) != 0) {
        error_ = path_ + ": cannot replace: " + std::strerror(errno);
        std::remove(tmp.c_str());
        return IO_ERROR;
    }
    return IO_OK;
}

// ---- loading

void MemoryLoad::SetBytes(std::vector<std::uint8_t> bytes) {
    bytes_ = std::move(bytes);
    frames_.assign(1, Frame{0, bytes_.size(), 0, true});
    pos_ = 0;
    error_.clear();
}

IOResult MemoryLoad::Fail(const std::string& what) {
    error_ = "offset " + std::to_string(pos_) + ": " + what;
    return IO_ERROR;
}

IOResult MemoryLoad::Refuse(ULONG at, const std::string& problem) {
    error_ = "offset " + std::to_string(at) + ": " + problem;
    return IO_ERROR;
}

IOResult MemoryLoad::ParseHeader(USHORT& id, ULONG& total, bool& container, bool report) {
    if (frames_.empty()) SetBytes({});
    const Frame& top = frames_.back();
    if (!top.container || pos_ >= top.end) return IO_END;
    size_t left = top.end - pos_;
    if (left < HEADER_SIZE)
        return report ? Fail("chunk header cut short (" + std::to_string(left) + " of 6 bytes)")
                      : IO_ERROR;
    const std::uint8_t* h = bytes_.data() + pos_;
    id = static_cast<USHORT>(h[0] | (h[1] << 8));
    std::uint32_t word = 0;
    for (int i = 0; i < 4; i++) word |= static_cast<std::uint32_t>(h[2 + i]) << (8 * i);
    container = (word & CONTAINER_BIT) != 0;
    total = word & ~CONTAINER_BIT;
    if (total < HEADER_SIZE || total > left)
        return report ? Fail("chunk " + Hex(id) + " claims " + std::to_string(total) +
                             " bytes but only " + std::to_string(left) + " remain")
                      : IO_ERROR;
    return IO_OK;
}

IOResult MemoryLoad::OpenChunk() {
    USHORT id = 0;
    ULONG total = 0;
    bool container = false;
    IOResult r = ParseHeader(id, total, container, true);
    if (r != IO_OK) return r;
    frames_.push_back(Frame{pos_ + HEADER_SIZE, pos_ + total, id, container});
    pos_ += HEADER_SIZE;
    return IO_OK;
}

USHORT MemoryLoad::CurChunkID() {
    return frames_.size() > 1 ? frames_.back().id : 0;
}

ULONG MemoryLoad::CurChunkLength() {
    if (frames_.size() < 2) return 0;
    return static_cast<ULONG>(frames_.back().end - frames_.back().body);
}

IOResult MemoryLoad::CloseChunk() {
    if (frames_.size() < 2) return Fail("CloseChunk without an open chunk");
    pos_ = frames_.back().end;
    frames_.pop_back();
    return IO_OK;
}

USHORT MemoryLoad::PeekNextChunkID() {
    USHORT id = 0;
    ULONG total = 0;
    bool container = false;
    return ParseHeader(id, total, container, false) == IO_OK ? id : 0;
}

IOResult MemoryLoad::Read(void* buf, ULONG nbytes, ULONG* nread) {
    if (nread) *nread = 0;
    if (frames_.size() < 2) return Fail("data read outside any chunk");
    const Frame& top = frames_.back();
    if (top.container) return Fail("data read from chunk " + Hex(top.id) + ", which holds chunks");
    size_t left = top.end - pos_;
    size_t n = nbytes < left ? nbytes : left;
    if (n) std::memcpy(buf, bytes_.data() + pos_, n);
    pos_ += n;
    if (nread) *nread = static_cast<ULONG>(n);
    if (n < nbytes)
        return Fail("chunk " + Hex(top.id) + " ends after " + std::to_string(n) + " of " +
                    std::to_string(nbytes) + " bytes asked for");
    return IO_OK;
}

IOResult FileLoad::Open(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string why;
    if (!contorra::ReadInputFile(path, bytes, why)) {
        SetBytes({});
        error_ = path + ": " + why;
        return IO_ERROR;
    }
    SetBytes(std::move(bytes));
    return IO_OK;
}
