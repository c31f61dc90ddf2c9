#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/app/chunk_io.h"
#include "tests/edgemap/fake_maps.h"
#include "tests/edgemap/scene_fixture.h"

namespace {

RampMarker OddMarker(float position) {
    return {.flags = MARKER_ACTIVE | MARKER_DRAGGING,
            .position = position,
            .activeColor = {0.9f, 1.0f, 1.1f, 1.2f},
            .reactiveColor = {1.3f, 1.4f, 1.5f, 1.6f},
            .baseColor = {0.1f, 0.2f, 0.3f, 0.4f},
            .transparentColor = {0.5f, 0.6f, 0.7f, 0.8f},
            .baseMapOn = 0,
            .inType = CURVE_SOLID,
            .outType = CURVE_NONE};
}

} // namespace

TEST(GradientEdgeModel, ParametersReachTheEdgeCriteria) {
    GradientEdge* map = NewEdgeMap();
    // Neighbouring parameters get different values, so a mix-up shows.
    const std::pair<ParamID, int> ints[] = {
        {ge_selection_only, 1}, {ge_open_edges, 0}, {ge_smooth, 1},     {ge_smooth_eq, 0},
        {ge_matid, 1},          {ge_complanar, 0},  {ge_conditions, 0}, {ge_matid_range, 1},
        {ge_matid1, 1},         {ge_matid2, 7}};
    for (auto [id, v] : ints) map->pblock->SetValue(id, 0, v);
    map->pblock->SetValue(ge_angle, 0, 90.0f); // degrees in the block, radians on faces
    Reread(map);
    EdgeCriteria c = map->CachedCriteria();
    EXPECT_TRUE(c.selectionOnly && !c.openEdges && c.smooth && c.matId && !c.coplanar);
    EXPECT_TRUE(c.matIdRange && c.smoothType == 0 && c.matIdType == 1 && c.combine == 0);
    EXPECT_EQ(c.matId1, 0); // ids count from 1 in the block, from 0 on faces
    EXPECT_EQ(c.matId2, 6);
    EXPECT_FLOAT_EQ(c.angle, 1.5707963f);
    map->DeleteThis();
}

TEST(GradientEdgePersistence, MarkerRecordLayout) {
    // Position, base and transparent colours as RGBA, base and transparency map
    // switches, in and out curve types, active and reactive colours, flags.
    const float head[9] = {0.5f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f};
    const std::int32_t types[2] = {CURVE_SOLID, CURVE_NONE};
    const float tail[8] = {0.9f, 1.0f, 1.1f, 1.2f, 1.3f, 1.4f, 1.5f, 1.6f};
    const std::uint32_t flags = MARKER_ACTIVE | MARKER_DRAGGING;
    BYTE want[GE_MARKER_RECORD_BYTES] = {}, got[GE_MARKER_RECORD_BYTES];
    std::memcpy(want, head, 36);
    want[37] = 1;
    std::memcpy(want + 38, types, 8);
    std::memcpy(want + 46, tail, 32);
    std::memcpy(want + 78, &flags, 4);
    PackMarker(OddMarker(0.5f), got);
    for (int i = 0; i < GE_MARKER_RECORD_BYTES; ++i) EXPECT_EQ(got[i], want[i]) << "byte " << i;
}

TEST(GradientEdgePersistence, LoadRestoresMarkersSortedClampedAndThinned) {
    GradientEdge* map = NewEdgeMap();
    map->ramp.markers.clear();
    for (float p : {0.6f, 1.2f, 0.00005f, 0.60008f, 0.60014f, 0.3f})
        map->ramp.markers.push_back(OddMarker(p));
    MemorySave save;
    ASSERT_EQ(map->Save(&save), IO_OK);
    GradientEdge* copy = NewEdgeMap();
    MemoryLoad load(save.Bytes());
    ASSERT_EQ(copy->Load(&load), IO_OK);
    // A gap is measured to the last marker kept, not to the last one seen.
    std::vector<float> kept;
    for (const RampMarker& m : copy->ramp.markers) kept.push_back(m.position);
    EXPECT_EQ(kept, (std::vector<float>{0.0f, 0.3f, 0.6f, 0.60014f, 1.0f}));
    EXPECT_EQ(copy->pblock->Count(ge_marker_map), 10);
    BYTE saved[GE_MARKER_RECORD_BYTES], loaded[GE_MARKER_RECORD_BYTES];
    PackMarker(OddMarker(0.3f), saved);
    PackMarker(copy->ramp.markers[1], loaded);
    EXPECT_EQ(std::memcmp(saved, loaded, GE_MARKER_RECORD_BYTES), 0) << "fields of marker 0.3";

    // Without a markers chunk the ramp stays as it was.
    MemoryLoad empty(std::vector<std::uint8_t>{});
    ASSERT_EQ(copy->Load(&empty), IO_OK);
    EXPECT_EQ(copy->ramp.Count(), 5);
    map->DeleteThis();
    copy->DeleteThis();
}

TEST(GradientEdgeReferences, MarkerMapsFollowRampEditsAndClones) {
    bool gone = false;
    GradientEdge* map = NewEdgeMap();
    auto* sub = new FixedMap(AColor(), Point3());
    sub->deleted = &gone;
    map->SetSubTexmap(2, sub); // marker 1's base map
    map->ramp.SetActiveMarker(1);
    ASSERT_EQ(map->ramp.DuplicateActiveMarker(0.75f), 2);
    EXPECT_EQ(map->ramp.markers[2].flags, 0u); // the copy is not active
    map->SyncMarkerReferences();
    EXPECT_EQ(map->GetSubTexmap(4), sub);
    EXPECT_EQ(map->pblock->Count(ge_marker_map), 8);

    // A clone holds its own references, with one marker active and none dragged.
    map->ramp.markers[2].flags = MARKER_ACTIVE | MARKER_DRAGGING;
    RemapDir* remap = NewRemapDir();
    auto* clone = static_cast<GradientEdge*>(map->Clone(*remap));
    remap->DeleteThis();
    EXPECT_EQ(clone->ramp.FindByFlag(MARKER_ACTIVE), 0);
    EXPECT_EQ(clone->ramp.FindByFlag(MARKER_DRAGGING), -1);
    EXPECT_NE(clone->pblock, map->pblock);
    map->DeleteThis();
    EXPECT_FALSE(gone);

    // Dropping the original marker leaves the copy's reference alive; dropping
    // the copy releases the last.
    clone->ramp.DeleteNear(0.5f, 0.01f);
    clone->SyncMarkerReferences();
    EXPECT_FALSE(gone);
    EXPECT_EQ(clone->GetSubTexmap(2), sub);
    clone->ramp.DeleteNear(0.75f, 0.01f);
    clone->SyncMarkerReferences();
    EXPECT_TRUE(gone);
    // The table keeps two entries per marker, whoever changes it.
    clone->pblock->SetCount(ge_marker_map, 2);
    EXPECT_EQ(clone->pblock->Count(ge_marker_map), 4);
    clone->DeleteThis();
}
