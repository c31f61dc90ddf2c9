// Saved scenes: a round trip through class identities, objects' own storage,
// parameter blocks, references and the hierarchy; damaged files are errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <random>

#include "host/app/plugin_loader.h"
#include "host/app/scene_file.h"
#include "host/sdk/box_object.h"
#include "host/sdk/spline_shape.h"
#include "host/sdk/tri_object.h"

namespace {

// A scene of every host class: a mesh under a box node, a shape, a stack.
void Populate(Scene& scene) {
    auto* box = new BoxObject();
    box->height = 7.0f;
    INode* boxNode = scene.CreateNode(box, "box");
    boxNode->SetNodeTM(0, TransMatrix(Point3(1, 2, 3)));
    boxNode->SetWireColor(0x00112233);
    boxNode->SetSelected(true);

    TriObject* tri = CreateNewTriObject();
    tri->GetMesh().setNumVerts(3);
    tri->GetMesh().setNumFaces(1);
    tri->GetMesh().setVert(2, Point3(0, 1, 0));
    tri->GetMesh().faces[0].setVerts(0, 1, 2);
    scene.CreateNode(tri, "mesh", boxNode);

    SplineShape* shape = CreateNewSplineShape();
    PolyLine& l = shape->shape.NewLine();
    l.Append(Point3(0, 0, 0));
    l.Append(Point3(5, 0, 1));
    // Two nodes share the shape: it is stored once.
    scene.CreateNode(shape, "contour");
    scene.CreateNode(shape, "contour copy");
}

TEST(SceneFile, RoundTripRestoresNodesObjectsAndSharing) {
    ClassRegistry registry;
    std::vector<std::uint8_t> bytes;
    {
        Scene scene;
        Populate(scene);
        std::string error;
        ASSERT_TRUE(SaveSceneBytes(scene, bytes, error)) << error;
    }
    Scene back;
    std::string error;
    ASSERT_TRUE(LoadSceneBytes(back, registry, bytes, "mem", error)) << error;
    ASSERT_EQ(back.NumNodes(), 4);
    INode* box = back.FindByName("box");
    INode* mesh = back.FindByName("mesh");
    ASSERT_TRUE(box && mesh);
    EXPECT_EQ(mesh->GetParentNode(), box);
    EXPECT_EQ(box->GetWireColor(), 0x00112233u);
    EXPECT_TRUE(box->Selected());
    EXPECT_EQ(box->GetNodeTM(0).GetTrans(), Point3(1, 2, 3));
    ASSERT_EQ(box->GetObjectRef()->ClassID(), boxObjectClassID);
    EXPECT_EQ(static_cast<BoxObject*>(box->GetObjectRef())->height, 7.0f);
    EXPECT_EQ(static_cast<TriObject*>(mesh->GetObjectRef())->GetMesh().getVert(2), Point3(0, 1, 0));
    Object* a = back.FindByName("contour")->GetObjectRef();
    EXPECT_EQ(a, back.FindByName("contour copy")->GetObjectRef());
    EXPECT_EQ(static_cast<SplineShape*>(a)->shape[0][1].p, Point3(5, 0, 1));
}

TEST(SceneFile, DamagedOrTruncatedFilesAreErrorsAndLeaveTheSceneAlone) {
    ClassRegistry registry;
    std::vector<std::uint8_t> bytes;
    {
        Scene scene;
        Populate(scene);
        std::string error;
        ASSERT_TRUE(SaveSceneBytes(scene, bytes, error));
    }
    for (std::size_t cut : {std::size_t{0}, std::size_t{5}, bytes.size() / 2, bytes.size() - 1}) {
        Scene scene;
        std::string error;
        EXPECT_FALSE(LoadSceneBytes(scene, registry,
                                    {bytes.begin(), bytes.begin() + static_cast<long>(cut)},
                                    "cut.cscene", error));
        EXPECT_EQ(error.rfind("cut.cscene: ", 0), 0u) << error;
        EXPECT_EQ(scene.NumNodes(), 0);
    }
    auto flipped = bytes;
    flipped[bytes.size() / 3] ^= 0x40;
    Scene scene;
    std::string error;
    EXPECT_FALSE(LoadSceneBytes(scene, registry, flipped, "f", error));
    EXPECT_NE(error.find("checksum"), std::string::npos) << error;
}

// Damage that keeps the checksum right (as a buggy writer would make) still
// never crashes the reader: each load either succeeds or says why not.
TEST(SceneFile, DamageBehindAValidChecksumIsCaught) {
    ClassRegistry registry;
    std::vector<std::uint8_t> bytes;
    {
        Scene scene;
        Populate(scene);
        std::string error;
        ASSERT_TRUE(SaveSceneBytes(scene, bytes, error));
    }
    std::mt19937 rng(7);
    std::size_t body = bytes.size() - 10;
    int failures = 0;
    for (int trial = 0; trial < 300; ++trial) {
        auto damaged = bytes;
        int flips = 1 + static_cast<int>(rng() % 3);
        for (int k = 0; k < flips; ++k) damaged[rng() % body] = static_cast<std::uint8_t>(rng());
        std::uint32_t crc = Crc32(damaged.data(), body);
        for (int k = 0; k < 4; ++k)
            damaged[body + 6 + static_cast<std::size_t>(k)] =
                static_cast<std::uint8_t>(crc >> (8 * k));
        Scene scene;
        std::string error;
        if (!LoadSceneBytes(scene, registry, damaged, "d", error)) {
            ++failures;
            EXPECT_FALSE(error.empty());
            EXPECT_EQ(scene.NumNodes(), 0);
        }
    }
    EXPECT_GT(failures, 0);
}

TEST(SceneFile, AValueAnObjectRefusesNamesTheObjectAndTheOffsetInTheFile) {
    ClassRegistry registry;
    std::vector<std::uint8_t> bytes;
    {
        Scene scene;
        TriObject* tri = CreateNewTriObject();
        tri->GetMesh().setNumVerts(3);
        tri->GetMesh().setNumFaces(1);
        tri->GetMesh().setVert(1, Point3(321.5f, 0.0f, 0.0f));
        tri->GetMesh().faces[0].setVerts(0, 1, 2);
        scene.CreateNode(tri, "mesh");
        std::string error;
        ASSERT_TRUE(SaveSceneBytes(scene, bytes, error)) << error;
    }
    const float marker = 321.5f, inf = std::numeric_limits<float>::infinity();
    const auto* m = reinterpret_cast<const std::uint8_t*>(&marker);
    const std::size_t at =
        static_cast<std::size_t>(std::search(bytes.begin(), bytes.end(), m, m + 4) - bytes.begin());
    ASSERT_LT(at, bytes.size());
    std::memcpy(bytes.data() + at, &inf, 4);
    const std::size_t body = bytes.size() - 10;
    const std::uint32_t crc = Crc32(bytes.data(), body);
    std::memcpy(bytes.data() + body + 6, &crc, 4);

    Scene scene;
    std::string error;
    EXPECT_FALSE(LoadSceneBytes(scene, registry, bytes, "pad.cscene", error));
    EXPECT_EQ(scene.NumNodes(), 0);
    // The object is #1: the node comes first.
    EXPECT_EQ(error.rfind("pad.cscene: object #1, TriObject", 0), 0u) << error;
    EXPECT_NE(error.find("(offset " + std::to_string(at) +
                         ": mesh vertex 1: a coordinate is not finite (NaN or infinite))"),
              std::string::npos)
        << error;
}

TEST(SceneFile, UnknownClassNamesItselfInTheError) {
    // A registry without the node class stands for a missing plug-in.
    std::vector<std::uint8_t> bytes;
    {
        Scene scene;
        Populate(scene);
        std::string error;
        ASSERT_TRUE(SaveSceneBytes(scene, bytes, error));
    }
    // Rename the box class in place: same length, checksum redone.
    std::string from = "Box";
    auto it = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
    ASSERT_NE(it, bytes.end());
    std::size_t at = static_cast<std::size_t>(it - bytes.begin());
    // The class ID precedes its block id and name: change its first part.
    bytes[at - 10] ^= 0x5A;
    std::size_t body = bytes.size() - 10;
    std::uint32_t crc = Crc32(bytes.data(), body);
    for (int k = 0; k < 4; ++k)
        bytes[body + 6 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(crc >> (8 * k));
    ClassRegistry registry;
    Scene scene;
    std::string error;
    ASSERT_FALSE(LoadSceneBytes(scene, registry, bytes, "x.cscene", error));
    EXPECT_NE(error.find("Box"), std::string::npos) << error;
    EXPECT_NE(error.find("not available"), std::string::npos) << error;
}

TEST(SceneFile, Crc32MatchesTheStandardCheckValue) {
    const char* text = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(text), 9), 0xCBF43926u);
}

} // namespace
