#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "edgemap/gradient_edge.h"
#include "host/app/chunk_io.h"
#include "tests/edgemap/fake_maps.h"

namespace {

GradientEdge* NewMap() {
    return static_cast<GradientEdge*>(
        static_cast<Animatable*>(GetGradientEdgeDesc()->Create(FALSE)));
}

// Finds the data chunk with the given id among the top-level chunks.
std::vector<std::uint8_t> ChunkBody(const std::vector<std::uint8_t>& bytes, USHORT id) {
    std::size_t pos = 0;
    while (pos + 6 <= bytes.size()) {
        USHORT cid = static_cast<USHORT>(bytes[pos] | (bytes[pos + 1] << 8));
        std::uint32_t len = 0;
        std::memcpy(&len, &bytes[pos + 2], 4);
        len &= 0x7fffffffu;
        if (cid == id) return {bytes.begin() + pos + 6, bytes.begin() + pos + len};
        pos += len;
    }
    return {};
}

// A markers chunk written by hand: count, then the 82-byte records.
std::vector<std::uint8_t> MarkersFile(const std::vector<float>& positions) {
    MemorySave save;
    save.BeginChunk(GE_MARKERS_CHUNK);
    save.WriteInt(static_cast<int>(positions.size()));
    for (float p : positions) {
        RampMarker m;
        m.position = p;
        m.baseColor = AColor(p, p, p, 1.0f);
        m.flags = MARKER_ACTIVE;
        BYTE record[GE_MARKER_RECORD_BYTES];
        PackMarker(m, record);
        ULONG n = 0;
        save.Write(record, GE_MARKER_RECORD_BYTES, &n);
    }
    save.EndChunk();
    return save.Bytes();
}

struct MapDeathWatch : FixedMap {
    bool* deleted;
    explicit MapDeathWatch(bool* flag) : FixedMap(AColor(), Point3()), deleted(flag) {}
    ~MapDeathWatch() override { *deleted = true; }
};

} // namespace

TEST(GradientEdgeModel, NewMapCounts) {
    GradientEdge* map = NewMap();
    EXPECT_EQ(map->ramp.Count(), 3);
    EXPECT_EQ(map->NumRefs(), 9);
    EXPECT_EQ(map->NumSubTexmaps(), 6);
    EXPECT_EQ(map->NumSubs(), 9);
    ASSERT_NE(map->pblock, nullptr);
    EXPECT_EQ(map->pblock->Count(ge_marker_map), 6);
    EXPECT_NE(map->uvGen, nullptr);
    EXPECT_NE(map->texout, nullptr);
    EXPECT_EQ(map->GetReference(GE_REF_PBLOCK), map->pblock);
    EXPECT_EQ(map->GetParamBlockByID(0), map->pblock);
    EXPECT_EQ(map->GetParamBlockByID(1), nullptr);
    EXPECT_EQ(map->SuperClassID(), TEXMAP_CLASS_ID);
    EXPECT_EQ(map->ClassID(), Class_ID(0x51DC051A, 0x866D966F));
    EXPECT_EQ(map->ramp.FindByFlag(MARKER_ACTIVE), 0);
    map->DeleteThis();
}

TEST(GradientEdgeModel, UpdateCachesParameters) {
    GradientEdge* map = NewMap();
    map->pblock->SetValue(ge_matid1, 0, 1);
    map->pblock->SetValue(ge_matid2, 0, 7);
    map->pblock->SetValue(ge_angle, 0, 90.0f);
    map->pblock->SetValue(ge_open_edges, 0, 1);
    Interval valid = FOREVER;
    map->Update(0, valid);
    EXPECT_EQ(map->matId1, 0);
    EXPECT_EQ(map->matId2, 6);
    EXPECT_FLOAT_EQ(map->angle, 1.5707963f);
    EXPECT_TRUE(map->openEdges);
    EXPECT_FLOAT_EQ(map->distance, 0.1f);
    EXPECT_EQ(map->cellMultiplier, 2);
    EXPECT_EQ(map->combine, 1);
    map->DeleteThis();
}

TEST(GradientEdgePersistence, MarkerChunkLayout) {
    GradientEdge* map = NewMap();
    RampMarker& m = map->ramp.markers[1];
    m.baseColor = AColor(0.1f, 0.2f, 0.3f, 0.4f);
    m.transparentColor = AColor(0.5f, 0.6f, 0.7f, 0.8f);
    m.baseMapOn = 0;
    m.transparentMapOn = 1;
    m.inType = 3;
    m.outType = 4;
    m.activeColor = AColor(0.9f, 1.0f, 1.1f, 1.2f);
    m.reactiveColor = AColor(1.3f, 1.4f, 1.5f, 1.6f);
    m.flags = 0x6;
    MemorySave save;
    ASSERT_EQ(map->Save(&save), IO_OK);
    ASSERT_EQ(save.Status(), IO_OK);
    std::vector<std::uint8_t> body = ChunkBody(save.Bytes(), GE_MARKERS_CHUNK);
    ASSERT_EQ(body.size(), 4u + 3u * 82u);
    int count;
    std::memcpy(&count, body.data(), 4);
    EXPECT_EQ(count, 3);
    const std::uint8_t* r = body.data() + 4 + 82;
    auto f = [r](int offset) {
        float v;
        std::memcpy(&v, r + offset, 4);
        return v;
    };
    auto i32 = [r](int offset) {
        std::int32_t v;
        std::memcpy(&v, r + offset, 4);
        return v;
    };
    EXPECT_EQ(f(0), 0.5f);                              // position
    EXPECT_EQ(f(4), 0.1f);                              // base r
    EXPECT_EQ(f(16), 0.4f);                             // base a
    EXPECT_EQ(f(20), 0.5f);                             // transparent r
    EXPECT_EQ(f(32), 0.8f);                             // transparent a
    EXPECT_EQ(r[36], 0);                                // baseMapOn
    EXPECT_EQ(r[37], 1);                                // transparentMapOn
    EXPECT_EQ(i32(38), 3);                              // inType
    EXPECT_EQ(i32(42), 4);                              // outType
    EXPECT_EQ(f(46), 0.9f);                             // active r
    EXPECT_EQ(f(62), 1.3f);                             // reactive r
    EXPECT_EQ(f(74), 1.6f);                             // reactive a
    EXPECT_EQ(static_cast<std::uint32_t>(i32(78)), 6u); // flags
    // Round trip through a fresh map.
    GradientEdge* copy = NewMap();
    MemoryLoad load(save.Bytes());
    ASSERT_EQ(copy->Load(&load), IO_OK);
    ASSERT_EQ(copy->ramp.Count(), 3);
    EXPECT_EQ(copy->ramp.markers[1].reactiveColor, m.reactiveColor);
    EXPECT_EQ(copy->ramp.markers[1].inType, 3);
    EXPECT_EQ(copy->NumRefs(), 9);
    map->DeleteThis();
    copy->DeleteThis();
}

TEST(GradientEdgePersistence, LoadClampsAndThinsPositions) {
    GradientEdge* map = NewMap();
    MemoryLoad load(MarkersFile({0.3f, 1.2f, 0.00005f, 0.6f, 0.60005f}));
    ASSERT_EQ(map->Load(&load), IO_OK);
    ASSERT_EQ(map->ramp.Count(), 4);
    EXPECT_EQ(map->ramp.markers[0].position, 0.0f);
    EXPECT_EQ(map->ramp.markers[1].position, 0.3f);
    EXPECT_EQ(map->ramp.markers[2].position, 0.6f);
    EXPECT_EQ(map->ramp.markers[3].position, 1.0f);
    EXPECT_EQ(map->NumRefs(), 11);
    EXPECT_EQ(map->pblock->Count(ge_marker_map), 8);

    GradientEdge* plain = NewMap();
    plain->ramp.markers.pop_back();
    MemoryLoad empty(std::vector<std::uint8_t>{});
    ASSERT_EQ(plain->Load(&empty), IO_OK);
    EXPECT_EQ(plain->ramp.Count(), 2); // without the chunk the ramp stays as it was
    map->DeleteThis();
    plain->DeleteThis();
}

TEST(GradientEdgeReferences, RampEditsKeepMapReferences) {
    bool gone = false;
    GradientEdge* map = NewMap();
    auto* sub = new MapDeathWatch(&gone);
    map->SetSubTexmap(2, sub); // marker 1's base map
    EXPECT_EQ(map->ramp.markers[1].baseMap, sub);
    EXPECT_EQ(map->GetSubTexmap(2), sub);

    map->ramp.SetActiveMarker(1);
    int copy = map->ramp.DuplicateActiveMarker(0.75f);
    map->SyncMarkerReferences();
    ASSERT_EQ(copy, 2);
    EXPECT_EQ(map->GetSubTexmap(4), sub);
    EXPECT_EQ(map->pblock->Count(ge_marker_map), 8);

    // Dropping the original marker leaves the copy's reference alive.
    map->ramp.DeleteNear(0.5f, 0.01f);
    map->SyncMarkerReferences();
    EXPECT_FALSE(gone);
    EXPECT_TRUE(map->HoldsReferenceTo(sub));
    EXPECT_EQ(map->GetSubTexmap(2), sub);
    // Dropping the copy releases the last reference.
    map->ramp.DeleteNear(0.75f, 0.01f);
    map->SyncMarkerReferences();
    EXPECT_TRUE(gone);
    EXPECT_EQ(map->NumRefs(), 7);
    EXPECT_EQ(map->pblock->Count(ge_marker_map), 4);
    map->DeleteThis();
}

TEST(GradientEdgeReferences, CloneSharesMapsAndClearsFlags) {
    bool gone = false;
    GradientEdge* map = NewMap();
    auto* sub = new MapDeathWatch(&gone);
    map->SetSubTexmap(5, sub); // marker 2's transparency map
    map->ramp.markers[2].flags = MARKER_ACTIVE | MARKER_DRAGGING;
    map->ramp.markers[0].flags = 0;
    map->distance = 3.0f;
    RemapDir* remap = NewRemapDir();
    auto* clone = static_cast<GradientEdge*>(map->Clone(*remap));
    remap->DeleteThis();
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->ramp.markers[0].flags, static_cast<DWORD>(MARKER_ACTIVE));
    EXPECT_EQ(clone->ramp.markers[1].flags, 0u);
    EXPECT_EQ(clone->ramp.markers[2].flags, 0u);
    EXPECT_EQ(clone->distance, 3.0f);
    EXPECT_NE(clone->pblock, map->pblock);
    EXPECT_NE(clone->uvGen, map->uvGen);
    EXPECT_TRUE(clone->HoldsReferenceTo(sub));
    map->DeleteThis();
    EXPECT_FALSE(gone); // the clone still holds it
    clone->DeleteThis();
    EXPECT_TRUE(gone);
}

TEST(GradientEdgeReferences, ParamNameQueryAndCountRepair) {
    GradientEdge* map = NewMap();
    MSTR name;
    GetParamName query(name, 0);
    PartID part = reinterpret_cast<PartID>(&query);
    EXPECT_EQ(map->NotifyRefChanged(FOREVER, map->pblock, part, REFMSG_GET_PARAM_NAME), REF_STOP);
    EXPECT_EQ(name, map->GetSubTexmapTVName(0));
    // Someone changes the table's count: it is set back to two per marker.
    map->pblock->SetCount(ge_marker_map, 2);
    EXPECT_EQ(map->pblock->Count(ge_marker_map), 6);
    map->DeleteThis();
}
