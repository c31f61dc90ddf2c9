#include "host/sdk/mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>

#include "grid_mesh.h"
#include "host/app/chunk_io.h"
#include "host/sdk/uvw_mapper.h"

namespace {

// A grid mesh with every part the stored form carries set to something
// recognisable.
Mesh RichMesh() {
    Mesh m = GridMesh(3);
    for (int f = 0; f < m.getNumFaces(); f++) {
        m.faces[f].setSmGroup(1u << f);
        m.setFaceMtlIndex(f, static_cast<MtlID>(f * 3 + 1));
    }
    m.faces[2].setEdgeVisFlags(EDGE_INVIS, EDGE_VIS, EDGE_INVIS);
    m.faces[5].Hide();
    m.vertSel.Set(4);
    m.vertSel.Set(8);
    m.faceSel.Set(1);
    m.edgeSel.Set(3 * 6 + 2);
    m.selLevel = MESH_EDGE;
    m.setMapSupport(0);
    m.mapVerts(0)[3] = UVVert(0.0f, 0.5f, 0.25f);
    // Channel 7 with its own, smaller topology: every face on three map verts.
    m.setNumMapVerts(7, 3);
    m.setNumMapFaces(7, m.getNumFaces());
    for (int i = 0; i < 3; i++) m.mapVerts(7)[i] = UVVert(i * 0.5f, 1.0f - i, 2.0f);
    for (int f = 0; f < m.getNumFaces(); f++) m.mapFaces(7)[f].setTVerts(f % 3, (f + 1) % 3, 2);
    return m;
}

void ExpectSameMesh(Mesh& a, Mesh& b) {
    ASSERT_EQ(a.getNumVerts(), b.getNumVerts());
    ASSERT_EQ(a.getNumFaces(), b.getNumFaces());
    for (int i = 0; i < a.getNumVerts(); i++) EXPECT_EQ(a.verts[i], b.verts[i]);
    for (int i = 0; i < a.getNumFaces(); i++) EXPECT_TRUE(a.faces[i] == b.faces[i]) << "face " << i;
    EXPECT_EQ(a.vertSel, b.vertSel);
    EXPECT_EQ(a.faceSel, b.faceSel);
    EXPECT_EQ(a.edgeSel, b.edgeSel);
    EXPECT_EQ(a.selLevel, b.selLevel);
    for (int mp = 0; mp < MAX_MESHMAPS; mp++) {
        bool sa = mp < a.getNumMaps() && a.mapSupport(mp);
        bool sb = mp < b.getNumMaps() && b.mapSupport(mp);
        ASSERT_EQ(sa, sb) << "channel " << mp;
        if (!sa) continue;
        EXPECT_EQ(a.Map(mp).tv, b.Map(mp).tv) << "channel " << mp;
        EXPECT_EQ(a.Map(mp).tf, b.Map(mp).tf) << "channel " << mp;
    }
}

std::vector<std::uint8_t> SaveInChunk10(Mesh& m) {
    MemorySave s;
    s.BeginChunk(10);
    EXPECT_EQ(m.Save(&s), IO_OK);
    s.EndChunk();
    s.BeginChunk(11); // a sibling that the mesh load must not swallow
    s.WriteInt(42);
    s.EndChunk();
    EXPECT_EQ(s.Status(), IO_OK);
    return s.Bytes();
}

} // namespace

TEST(MeshStore, RoundTripKeepsFacesSelectionsAndMapChannels) {
    Mesh m = RichMesh();
    MemoryLoad l(SaveInChunk10(m));
    ASSERT_EQ(l.OpenChunk(), IO_OK);
    Mesh back;
    ASSERT_EQ(back.Load(&l), IO_OK) << l.Error();
    EXPECT_EQ(l.CloseChunk(), IO_OK);
    ASSERT_EQ(l.OpenChunk(), IO_OK);
    EXPECT_EQ(l.CurChunkID(), 11);
    ExpectSameMesh(m, back);
    EXPECT_EQ(back.getFaceMtlIndex(4), 13);
    EXPECT_TRUE(back.faces[5].Hidden());
}

TEST(MeshStore, DamagedStoresFailAndLeaveTheMeshEmpty) {
    Mesh m = RichMesh();
    auto bytes = SaveInChunk10(m);
    // The mesh's own chunks, without the enclosing chunk 10; a cut anywhere
    // but between two of them must fail.
    std::vector<std::uint8_t> body(bytes.begin() + 6, bytes.end() - 10);
    std::set<size_t> boundaries;
    MemoryLoad scan(body);
    while (scan.OpenChunk() == IO_OK) {
        scan.CloseChunk();
        boundaries.insert(scan.Position());
    }
    ASSERT_EQ(scan.Position(), body.size());
    for (size_t cut = 1; cut < body.size(); cut++) {
        if (boundaries.count(cut)) continue;
        MemoryLoad l(std::vector<std::uint8_t>(body.begin(), body.begin() + cut));
        Mesh back = RichMesh();
        EXPECT_EQ(back.Load(&l), IO_ERROR) << "cut at " << cut;
        EXPECT_EQ(back.getNumFaces(), 0) << "partial mesh at " << cut;
        EXPECT_EQ(back.getNumVerts(), 0) << "partial mesh at " << cut;
    }
    // A face naming a vertex that does not exist.
    MemorySave s;
    s.BeginChunk(0x0100);
    s.WriteInt(3);
    s.WriteInt(1);
    s.WriteUInt(MESH_OBJECT);
    s.EndChunk();
    s.BeginChunk(0x0120);
    DWORD rec[5] = {0, 1, 3, 1, 7};
    ULONG n;
    s.Write(rec, sizeof rec, &n);
    s.EndChunk();
    MemoryLoad l(s.Bytes());
    Mesh back;
    EXPECT_EQ(back.Load(&l), IO_ERROR);
    EXPECT_EQ(back.getNumFaces(), 0);

    // Counts far beyond the data must fail before anything is allocated for them.
    MemorySave huge;
    huge.BeginChunk(0x0100);
    huge.WriteInt(0x7FFFFFFF);
    huge.WriteInt(0x7FFFFFF0);
    huge.WriteUInt(MESH_OBJECT);
    huge.EndChunk();
    huge.BeginChunk(0x0132); // an edge selection of 3 x that many bits
    huge.WriteInt(6);
    huge.EndChunk();
    MemoryLoad hl(huge.Bytes());
    EXPECT_EQ(back.Load(&hl), IO_ERROR);
    MemoryLoad headerOnly(
        std::vector<std::uint8_t>(huge.Bytes().begin(), huge.Bytes().begin() + 18));
    EXPECT_EQ(back.Load(&headerOnly), IO_ERROR) << "vertices and faces are missing";
}

TEST(MeshStore, NonFiniteCoordinatesAndBrokenChunksAreRefusedWithTheirOffset) {
    Mesh m = RichMesh();
    m.verts[4] = Point3(123.5f, 7.25f, -3.0f);
    m.mapVerts(7)[1] = UVVert(0.0625f, 0.75f, 2.0f);
    MemorySave s;
    ASSERT_EQ(m.Save(&s), IO_OK);
    const std::vector<std::uint8_t> saved = s.Bytes();
    auto offsetOf = [&](float v) {
        auto at = std::search(saved.begin(), saved.end(), reinterpret_cast<std::uint8_t*>(&v),
                              reinterpret_cast<std::uint8_t*>(&v) + 4);
        EXPECT_NE(at, saved.end());
        return static_cast<std::size_t>(at - saved.begin());
    };
    const std::size_t vertexAt = offsetOf(123.5f), mapAt = offsetOf(0.0625f);
    // The face chunk's header, where its damage is reported.
    std::size_t facesAt = 0;
    MemoryLoad scan(saved);
    for (std::size_t start = 0; scan.OpenChunk() == IO_OK; start = scan.Position()) {
        if (scan.CurChunkID() == 0x0120) facesAt = start;
        scan.CloseChunk();
    }
    ASSERT_GT(facesAt, 0u);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        std::size_t patchAt;
        std::uint32_t bits;
        std::string error;
    } cases[] = {
        {vertexAt, std::bit_cast<std::uint32_t>(nan),
         "offset " + std::to_string(vertexAt) +
             ": mesh vertex 4: a coordinate is not finite (NaN or infinite)"},
        {vertexAt + 8, std::bit_cast<std::uint32_t>(-inf),
         "offset " + std::to_string(vertexAt) +
             ": mesh vertex 4: a coordinate is not finite (NaN or infinite)"},
        {mapAt + 4, std::bit_cast<std::uint32_t>(inf),
         "offset " + std::to_string(mapAt) +
             ": map channel 7, vertex 1: a coordinate is not finite (NaN or infinite)"},
        {facesAt + 6, 999u,
         "offset " + std::to_string(facesAt) +
             ": the mesh's face chunk is damaged (its counts, sizes or indices disagree)"},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> bytes = saved;
        std::memcpy(bytes.data() + c.patchAt, &c.bits, 4);
        MemoryLoad l(bytes);
        Mesh back = RichMesh();
        EXPECT_EQ(back.Load(&l), IO_ERROR) << c.error;
        EXPECT_EQ(l.Error(), c.error);
        EXPECT_EQ(back.getNumVerts(), 0) << "partial mesh for " << c.error;
    }
}

TEST(MeshEdit, DeleteFaceSetAndIsoVertsRenumberEverythingConsistently) {
    Mesh m = GridMesh(3); // 9 vertices, 8 faces
    // Mark each face and its sides by their centre so survivors can be
    // recognised independently of their new indices.
    m.setMapSupport(1);
    for (int f = 0; f < 8; f++) {
        if (f % 3 == 0) m.faceSel.Set(f);
        m.edgeSel.Set(3 * f + f % 3);
    }
    m.vertSel.Set(8);
    m.vertSel.Set(4);
    std::map<std::pair<float, float>, int> before; // centre -> old face
    for (int f = 0; f < 8; f++) before[{FaceCentre(m, f).x, FaceCentre(m, f).y}] = f;
    Mesh original = m;

    // The quad at the top right corner (faces 6, 7) is the only user of vertex 8.
    BitArray del(8);
    del.Set(6);
    del.Set(7);
    del.Set(0);
    BitArray iso;
    m.DeleteFaceSet(del, &iso);
    ASSERT_EQ(m.getNumFaces(), 5);
    EXPECT_EQ(m.getNumVerts(), 9) << "vertices stay until DeleteIsoVerts";
    ASSERT_EQ(iso.GetSize(), 9);
    EXPECT_EQ(iso.NumberSet(), 1);
    EXPECT_TRUE(iso[8]);
    m.DeleteIsoVerts();
    ASSERT_EQ(m.getNumVerts(), 8);
    EXPECT_EQ(m.vertSel.NumberSet(), 1) << "the selected vertex 8 went away, 4 stays";
    for (int v = 0; v < 8; v++) EXPECT_EQ(m.vertSel[v] != 0, m.verts[v] == Point3(1, 1, 0)) << v;
    for (int f = 0; f < m.getNumFaces(); f++) {
        Point3 c = FaceCentre(m, f);
        auto it = before.find({c.x, c.y});
        ASSERT_NE(it, before.end()) << "face " << f << " is not an old face";
        int old = it->second;
        EXPECT_FALSE(del[old]);
        for (int k = 0; k < 3; k++) {
            EXPECT_EQ(m.verts[m.faces[f].v[k]], original.verts[original.faces[old].v[k]]);
            EXPECT_EQ(m.edgeSel[3 * f + k], original.edgeSel[3 * old + k]);
            EXPECT_EQ(m.Map(1).tf[f], original.Map(1).tf[old]) << "map faces follow their faces";
        }
        EXPECT_EQ(m.faceSel[f], original.faceSel[old]);
    }
}

TEST(MeshNormals, SmoothingGroupsDecideWhichFacesAverage) {
    // Two triangles folded 90 degrees along the edge (0,0,0)-(1,0,0):
    // one in z = 0 facing +z, one in y = 0 facing +y.
    Mesh m;
    m.setNumVerts(4);
    m.verts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    m.setNumFaces(2);
    m.faces[0].setVerts(0, 1, 2);
    m.faces[1].setVerts(1, 0, 3);
    const Point3 up(0, 0, 1), front(0, 1, 0);
    const float h = std::sqrt(0.5f);
    struct Case {
        DWORD sg0, sg1;
        bool smooth;
    } cases[] = {{1, 1, true}, {1, 2, false}, {0, 0, false}, {3, 2, true}};
    for (const Case& c : cases) {
        m.faces[0].setSmGroup(c.sg0);
        m.faces[1].setSmGroup(c.sg1);
        m.buildNormals();
        EXPECT_LT(Length(m.getFaceNormal(0) - up), 1e-6f);
        EXPECT_LT(Length(m.getFaceNormal(1) - front), 1e-6f);
        Point3 shared = c.smooth ? Point3(0.0f, h, h) : up;
        EXPECT_LT(Length(m.getCornerNormal(0, 0) - shared), 1e-6f) << c.sg0 << "/" << c.sg1;
        EXPECT_LT(Length(m.getCornerNormal(0, 2) - up), 1e-6f) << "unshared corner";
    }
    // A third face that shares bits with both merges all three around vertex 0.
    m.setNumVerts(5, TRUE);
    m.verts[4] = Point3(-1, 0, 0);
    m.setNumFaces(3, TRUE);
    m.faces[2].setVerts(0, 2, 4); // in z = 0 as well
    m.faces[0].setSmGroup(1);
    m.faces[1].setSmGroup(2);
    m.faces[2].setSmGroup(3);
    m.InvalidateTopologyCache();
    Point3 all = Normalize(up + front + up);
    EXPECT_LT(Length(m.getCornerNormal(1, 1) - all), 1e-6f);
}

TEST(MeshEdit, DeepCopyCopiesOnlyTheMaskedChannels) {
    Mesh src = RichMesh();
    src.verts[0] = Point3(-5, -5, -5);
    Mesh dst = GridMesh(3);
    dst.DeepCopy(&src, GEOM_CHANNEL | TEXMAP_CHANNEL);
    EXPECT_EQ(dst.verts[0], Point3(-5, -5, -5));
    EXPECT_EQ(dst.getFaceMtlIndex(4), 0) << "material is not geometry";
    EXPECT_EQ(dst.faces[3].smGroup, 1u);
    EXPECT_TRUE(dst.mapSupport(7));
    EXPECT_FALSE(dst.mapSupport(0)) << "vertex colour has its own channel bit";
    EXPECT_EQ(dst.vertSel.NumberSet(), 0);

    dst.DeepCopy(&src, MTL_CHANNEL | VERTCOLOR_CHANNEL | SELECT_CHANNEL);
    EXPECT_EQ(dst.getFaceMtlIndex(4), 13);
    EXPECT_EQ(dst.faces[3].smGroup, 1u) << "smoothing is not material";
    EXPECT_TRUE(dst.mapSupport(0));
    EXPECT_EQ(dst.vertSel, src.vertSel);

    Mesh all;
    all.DeepCopy(&src, ALL_CHANNELS);
    ExpectSameMesh(all, src);
}

TEST(MeshMapping, SelectedFacesAloneAreRemapped) {
    Mesh m = GridMesh(3);
    m.setMapSupport(2); // starts as the vertex positions
    m.faceSel.Set(0);   // the quad at the origin
    m.faceSel.Set(1);
    UVWMapper mapper(MAP_PLANAR, ScaleMatrix(Point3(0.5f, 0.5f, 0.5f)));
    m.ApplyMapper(mapper, 2, TRUE);
    for (int f = 0; f < m.getNumFaces(); f++)
        for (int k = 0; k < 3; k++) {
            Point3 p = m.verts[m.faces[f].v[k]];
            UVVert uv = m.Map(2).tv[m.Map(2).tf[f].t[k]];
            UVVert expect = f < 2 ? UVVert(p.x * 0.5f + 0.5f, p.y * 0.5f + 0.5f, 0.0f) : p;
            EXPECT_EQ(uv, expect) << "face " << f << " corner " << k;
        }
    // Four new map vertices; old map vertex 0 served only the remapped quad
    // and is dropped, the others still serve unselected faces.
    EXPECT_EQ(m.Map(2).getNumVerts(), 9 - 1 + 4);
    Matrix3 shift = TransMatrix(Point3(10, 0, 0));
    Box3 box = m.getBoundingBox(&shift);
    EXPECT_EQ(box.pmin, Point3(10, 0, 0));
    EXPECT_EQ(box.pmax, Point3(12, 2, 0));
}
