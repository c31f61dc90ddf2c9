#include "host/app/chunk_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace {

// Three levels: 0x10 { 0x11 { int 7, float 2.5 }, 0x12 { "abc" } }, 0x20 { short 9 }.
std::vector<std::uint8_t> NestedStream() {
    MemorySave s;
    s.BeginChunk(0x10);
    s.BeginChunk(0x11);
    EXPECT_EQ(s.WriteInt(7), IO_OK);
    EXPECT_EQ(s.WriteFloat(2.5f), IO_OK);
    s.EndChunk();
    s.BeginChunk(0x12);
    EXPECT_EQ(s.WriteCString("abc"), IO_OK);
    s.EndChunk();
    s.EndChunk();
    s.BeginChunk(0x20);
    EXPECT_EQ(s.WriteShort(9), IO_OK);
    s.EndChunk();
    EXPECT_EQ(s.Status(), IO_OK);
    return s.Bytes();
}

// Opens every chunk and reads every data body to its end; returns the first
// result that is not IO_OK/IO_END, or IO_OK.
IOResult WalkAll(ILoad& l) {
    std::function<IOResult()> walk = [&]() -> IOResult {
        IOResult r;
        while ((r = l.OpenChunk()) == IO_OK) {
            if (l.PeekNextChunkID() == 0 && l.CurChunkLength() > 0) {
                std::vector<char> buf(l.CurChunkLength());
                ULONG n = 0;
                IOResult rr = l.Read(buf.data(), static_cast<ULONG>(buf.size()), &n);
                // A container refuses raw reads; that is not a stream fault.
                if (rr != IO_OK && n != 0) return rr;
                if (rr != IO_OK && (rr = walk()) != IO_OK) return rr;
            }
            if ((r = l.CloseChunk()) != IO_OK) return r;
        }
        return r == IO_END ? IO_OK : r;
    };
    return walk();
}

} // namespace

TEST(ChunkIO, NestedChunksComeBackInOrderWithTheirIdsAndData) {
    auto bytes = NestedStream();
    // 6 + (6 + 8) + (6 + 4) and 6 + 2 bytes.
    ASSERT_EQ(bytes.size(), 30u + 8u);
    MemoryLoad l(bytes);
    EXPECT_EQ(l.PeekNextChunkID(), 0x10);
    ASSERT_EQ(l.OpenChunk(), IO_OK);
    EXPECT_EQ(l.CurChunkID(), 0x10);
    EXPECT_EQ(l.CurChunkLength(), 24u);
    ASSERT_EQ(l.OpenChunk(), IO_OK);
    EXPECT_EQ(l.CurChunkID(), 0x11);
    EXPECT_EQ(l.OpenChunk(), IO_END) << "a data chunk holds no chunks";
    int i = 0;
    float f = 0;
    EXPECT_EQ(l.ReadInt(i), IO_OK);
    EXPECT_EQ(l.ReadFloat(f), IO_OK);
    EXPECT_EQ(i, 7);
    EXPECT_EQ(f, 2.5f);
    ULONG n = 99;
    char extra;
    EXPECT_EQ(l.Read(&extra, 1, &n), IO_ERROR);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(l.CloseChunk(), IO_OK);
    ASSERT_EQ(l.OpenChunk(), IO_OK);
    EXPECT_EQ(l.CurChunkID(), 0x12);
    std::string text;
    EXPECT_EQ(l.ReadCString(text), IO_OK);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(l.CloseChunk(), IO_OK);
    EXPECT_EQ(l.OpenChunk(), IO_END);
    EXPECT_EQ(l.CloseChunk(), IO_OK);
    // The second top-level chunk is reached although nothing of the first
    // was left unread: closing skips.
    ASSERT_EQ(l.OpenChunk(), IO_OK);
    EXPECT_EQ(l.CurChunkID(), 0x20);
    EXPECT_EQ(l.CloseChunk(), IO_OK);
    EXPECT_EQ(l.OpenChunk(), IO_END);
    EXPECT_EQ(l.PeekNextChunkID(), 0);
}

TEST(ChunkIO, ReadingPastAChunkDeliversWhatIsLeftAndFails) {
    MemorySave s;
    s.BeginChunk(1);
    s.WriteShort(0x0102);
    s.EndChunk();
    MemoryLoad l(s.Bytes());
    ASSERT_EQ(l.OpenChunk(), IO_OK);
    int v = 0;
    ULONG n = 0;
    EXPECT_EQ(l.Read(&v, 4, &n), IO_ERROR);
    EXPECT_EQ(n, 2u);
}

TEST(ChunkIO, EveryTruncationInsideAChunkIsAnErrorNeverACrash) {
    auto bytes = NestedStream();
    // Cutting at 30 ends the stream cleanly after the first chunk; every other
    // cut lands inside a chunk.
    for (size_t cut = 1; cut < bytes.size(); cut++) {
        MemoryLoad l(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + cut));
        IOResult r = WalkAll(l);
        if (cut == 30)
            EXPECT_EQ(r, IO_OK);
        else
            EXPECT_EQ(r, IO_ERROR) << "cut at " << cut;
    }
}

TEST(ChunkIO, ALengthLargerThanItsParentIsRejectedWithItsOffset) {
    auto bytes = NestedStream();
    bytes[6 + 2] = 0xFF; // length word of chunk 0x11, inside chunk 0x10
    MemoryLoad l(bytes);
    ASSERT_EQ(l.OpenChunk(), IO_OK);
    EXPECT_EQ(l.OpenChunk(), IO_ERROR);
    EXPECT_NE(l.Error().find("offset 6"), std::string::npos) << l.Error();
    EXPECT_NE(l.Error().find("0x0011"), std::string::npos) << l.Error();
}

TEST(ChunkIO, MisusedSaveIsReportedAndAFileIsWrittenOnlyWhole) {
    MemorySave loose;
    EXPECT_EQ(loose.WriteInt(1), IO_ERROR) << "data outside any chunk";
    EXPECT_EQ(loose.Status(), IO_ERROR);

    MemorySave mixed;
    mixed.BeginChunk(1);
    mixed.WriteInt(1);
    mixed.BeginChunk(2);
    mixed.EndChunk();
    mixed.EndChunk();
    EXPECT_EQ(mixed.Status(), IO_ERROR);

    auto dir =
        std::filesystem::temp_directory_path() / ("chunk_io_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto path = (dir / "open.bin").string();
    FileSave open(path);
    open.BeginChunk(1);
    EXPECT_EQ(open.Close(), IO_ERROR);
    EXPECT_FALSE(std::filesystem::exists(path));

    // A whole file round trip, then the same file cut short.
    auto good = (dir / "good.bin").string();
    FileSave fs(good);
    fs.BeginChunk(0x30);
    fs.WriteDouble(1.25);
    fs.EndChunk();
    ASSERT_EQ(fs.Close(), IO_OK);
    FileLoad fl;
    ASSERT_EQ(fl.Open(good), IO_OK);
    ASSERT_EQ(fl.OpenChunk(), IO_OK);
    double d = 0;
    EXPECT_EQ(fl.ReadDouble(d), IO_OK);
    EXPECT_EQ(d, 1.25);
    std::filesystem::resize_file(good, 10);
    ASSERT_EQ(fl.Open(good), IO_OK);
    EXPECT_EQ(fl.OpenChunk(), IO_ERROR);
    EXPECT_NE(fl.Error().find("remain"), std::string::npos) << fl.Error();
    EXPECT_EQ(fl.Open((dir / "missing.bin").string()), IO_ERROR);
    EXPECT_NE(fl.Error().find("missing.bin"), std::string::npos);
    std::filesystem::remove_all(dir);
}
