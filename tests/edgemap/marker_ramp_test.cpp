#include <gtest/gtest.h>

#include <cmath>

#include "edgemap/marker_ramp.h"
#include "host/sdk/shade_context.h"
#include "tests/edgemap/fake_maps.h"

namespace {

void ExpectColor(const AColor& c, float r, float g, float b, float a) {
    EXPECT_NEAR(c.r, r, 1e-5f);
    EXPECT_NEAR(c.g, g, 1e-5f);
    EXPECT_NEAR(c.b, b, 1e-5f);
    EXPECT_NEAR(c.a, a, 1e-5f);
}

MarkerRamp DefaultRamp() {
    MarkerRamp r;
    r.MakeDefault();
    return r;
}

// Black at 0 and white at 1: the red channel is the segment's blend factor.
MarkerRamp BlackToWhite(int outType, int inType) {
    MarkerRamp r;
    r.markers.resize(2);
    r.markers[0].baseColor = AColor(0.0f, 0.0f, 0.0f, 1.0f);
    r.markers[0].outType = outType;
    r.markers[1].position = 1.0f;
    r.markers[1].baseColor = AColor(1.0f, 1.0f, 1.0f, 1.0f);
    r.markers[1].inType = inType;
    return r;
}

} // namespace

TEST(CurveWeight, ListedValues) {
    EXPECT_FLOAT_EQ(CurveWeight(0.3f, CURVE_LINEAR), 0.7f);
    EXPECT_NEAR(CurveWeight(0.0f, CURVE_EXPONENTIAL), 0.9476f, 5e-5f);
    EXPECT_EQ(CurveWeight(0.99f, CURVE_EXPONENTIAL), 0.0f); // clamped past s ~ 0.983
    EXPECT_GT(CurveWeight(0.97f, CURVE_EXPONENTIAL), 0.0f);
    EXPECT_FLOAT_EQ(CurveWeight(0.25f, CURVE_GAMMA), 0.5f);
    EXPECT_EQ(CurveWeight(0.4f, CURVE_SOLID), 0.0f);
    EXPECT_EQ(CurveWeight(0.4f, CURVE_NONE), 1.0f);
    EXPECT_FLOAT_EQ(CurveWeight(0.4f, 17), 0.6f);
}

TEST(EvalRamp, DefaultRampValues) {
    MarkerRamp r = DefaultRamp();
    ShadeContext sc;
    ASSERT_EQ(r.Count(), 3);
    EXPECT_EQ(r.FindByFlag(MARKER_ACTIVE), 0);
    ExpectColor(r.EvalRamp(0.25f, sc), 0.25f, 0.25f, 0.25f, 1.0f);
    ExpectColor(r.EvalRamp(0.5f, sc), 0.5f, 0.5f, 0.5f, 1.0f);
    ExpectColor(r.EvalRamp(1.0f, sc), 1.0f, 1.0f, 1.0f, 1.0f);
    ExpectColor(r.EvalRamp(5.0f, sc), 1.0f, 1.0f, 1.0f, 1.0f);
    ExpectColor(r.EvalRamp(0.00005f, sc), 0.0f, 0.0f, 0.0f, 1.0f);
    // Above 0.5 the segment starts from the colour arriving just below marker 1 (0.49).
    ExpectColor(r.EvalRamp(0.75f, sc), 0.745f, 0.745f, 0.745f, 1.0f);
}

TEST(EvalRamp, TransparentMarkerShowsColourFromBelow) {
    MarkerRamp r = DefaultRamp();
    r.markers[1].transparentColor = AColor(1.0f, 1.0f, 1.0f, 0.0f);
    ShadeContext sc;
    for (float x : {0.001f, 0.1f, 0.25f, 0.4999f - 0.0002f})
        ExpectColor(r.EvalRamp(x, sc), 0.0f, 0.0f, 0.0f, 1.0f);
    ExpectColor(r.EvalRamp(0.5f, sc), 0.5f, 0.5f, 0.5f, 1.0f);
}

TEST(EvalRamp, CurveTypePairsSetTheBlend) {
    ShadeContext sc;
    struct Case {
        int out, in;
        float expected;
    } cases[] = {
        {CURVE_LINEAR, CURVE_LINEAR, 0.3f}, {CURVE_SOLID, CURVE_SOLID, 0.3f},
        {CURVE_NONE, CURVE_NONE, 0.7f},     {CURVE_NONE, CURVE_SOLID, 1.0f},
        {CURVE_SOLID, CURVE_NONE, 0.0f},
    };
    for (const Case& c : cases) {
        MarkerRamp r = BlackToWhite(c.out, c.in);
        EXPECT_NEAR(r.EvalRamp(0.3f, sc).r, c.expected, 1e-5f) << c.out << "/" << c.in;
        EXPECT_NEAR(r.EvalRampPlain(0.3f).r, c.expected, 1e-5f) << c.out << "/" << c.in;
    }
}

TEST(EvalRamp, MarkerMapsReplaceColourAndOpacity) {
    MarkerRamp r = DefaultRamp();
    ShadeContext sc;
    FixedMap red(AColor(1.0f, 0.0f, 0.0f, 1.0f), Point3(0.0f, 0.0f, 2.0f));
    FixedMap white(AColor(1.0f, 1.0f, 1.0f, 1.0f), Point3());
    r.markers[1].baseMap = &red;
    ExpectColor(r.EvalRamp(0.5f, sc), 1.0f, 0.0f, 0.0f, 1.0f);
    r.markers[1].baseMapOn = 0;
    ExpectColor(r.EvalRamp(0.5f, sc), 0.5f, 0.5f, 0.5f, 1.0f);
    // A white opacity map makes marker 1 fully transparent: X = 0.25, Y = 0.5, Z = 0.375.
    r.markers[1].transparentMap = &white;
    ExpectColor(r.EvalRamp(0.25f, sc), 0.375f, 0.375f, 0.375f, 1.0f);
    // The plain evaluation ignores maps of every kind.
    r.markers[1].baseMapOn = 1;
    ExpectColor(r.EvalRampPlain(0.25f), 0.25f, 0.25f, 0.25f, 1.0f);
}

TEST(EvalRampPerturb, GreyTimesDirectionPlusUp) {
    MarkerRamp r = DefaultRamp();
    ShadeContext sc;
    Point3 dir(1.0f, 0.0f, 0.0f);
    Point3 p = r.EvalRampPerturb(0.5f, sc, dir);
    EXPECT_NEAR(p.x, 0.5f, 1e-6f);
    EXPECT_NEAR(p.z, 0.5f, 1e-6f);
    p = r.EvalRampPerturb(0.25f, sc, dir);
    EXPECT_NEAR(p.x, 0.25f, 1e-6f);
    EXPECT_NEAR(p.y, 0.0f, 1e-6f);
    EXPECT_NEAR(p.z, 0.25f, 1e-6f);
    FixedMap bump(AColor(), Point3(0.0f, 3.0f, 0.0f));
    r.markers[2].baseMap = &bump;
    EXPECT_NEAR(r.EvalRampPerturb(1.0f, sc, dir).y, 3.0f, 1e-6f);
}

TEST(EvalRampPlain, NoSnapAtAMarkersPosition) {
    MarkerRamp r = DefaultRamp();
    // At 0.5 the segment above marker 1 starts from what arrives at 0.49.
    ExpectColor(r.EvalRampPlain(0.5f), 0.49f, 0.49f, 0.49f, 1.0f);
    ExpectColor(r.EvalRampPlain(0.0f), 0.0f, 0.0f, 0.0f, 1.0f);
    ExpectColor(r.EvalRampPlain(-3.0f), 0.0f, 0.0f, 0.0f, 1.0f);
    ExpectColor(r.EvalRampPlain(1.0f), 1.0f, 1.0f, 1.0f, 1.0f);
}

TEST(RampEditing, NormalizeSortsAndThins) {
    MarkerRamp r;
    for (float p : {0.7f, 0.2f, 0.20005f, 0.9f, 0.0f}) {
        RampMarker m;
        m.position = p;
        m.baseColor = AColor(p, 0.0f, 0.0f, 1.0f);
        r.markers.push_back(m);
    }
    r.NormalizeRamp();
    ASSERT_EQ(r.Count(), 4);
    EXPECT_EQ(r.markers[0].position, 0.0f);
    EXPECT_EQ(r.markers[1].position, 0.2f); // the first of the close pair stays
    EXPECT_EQ(r.markers[2].position, 0.7f);
    EXPECT_EQ(r.markers[3].position, 0.9f);
}

TEST(RampEditing, FindInsertDuplicateDelete) {
    MarkerRamp r = DefaultRamp();
    // The last marker within tolerance wins, unless a dragged one is reached first.
    EXPECT_EQ(r.FindNear(0.3f, 0.6f), 1);
    r.markers[0].flags |= MARKER_DRAGGING;
    EXPECT_EQ(r.FindNear(0.3f, 0.6f), 0);
    EXPECT_EQ(r.FindNear(0.3f, 0.01f), 0);
    r.ClearSelection();
    EXPECT_EQ(r.FindNear(0.3f, 0.01f), -1);
    EXPECT_EQ(r.FindByFlag(MARKER_ACTIVE), -1);
    EXPECT_EQ(r.IndexOfFlag(MARKER_ACTIVE), 0);
    EXPECT_EQ(r.FindByFlag(MARKER_ACTIVE), 0);

    r.markers[0].activeColor = AColor(0.1f, 0.2f, 0.3f, 0.0f);
    int k = r.InsertMarker(0.25f, r.EvalRampPlain(0.25f));
    ASSERT_EQ(k, 1);
    ExpectColor(r.markers[1].baseColor, 0.25f, 0.25f, 0.25f, 1.0f);
    EXPECT_EQ(r.markers[1].activeColor, r.markers[0].activeColor);
    EXPECT_EQ(r.markers[1].flags, 0u);

    r.SetActiveMarker(2); // the grey marker at 0.5
    r.markers[2].inType = CURVE_GAMMA;
    k = r.DuplicateActiveMarker(0.8f);
    ASSERT_EQ(k, 3);
    EXPECT_EQ(r.Count(), 5);
    EXPECT_EQ(r.markers[3].inType, CURVE_GAMMA);
    EXPECT_EQ(r.markers[3].flags, 0u);
    EXPECT_EQ(r.markers[3].baseColor, r.markers[2].baseColor);

    // Deleting activates the marker before; the first marker passes it to marker 0.
    EXPECT_TRUE(r.DeleteNear(0.8f, 0.01f));
    EXPECT_EQ(r.FindByFlag(MARKER_ACTIVE), 2);
    EXPECT_TRUE(r.DeleteNear(0.0f, 0.01f));
    EXPECT_EQ(r.FindByFlag(MARKER_ACTIVE), 0);
    EXPECT_FALSE(r.DeleteNear(0.3f, 0.01f));
    EXPECT_TRUE(r.DeleteNear(0.5f, 0.01f));
    EXPECT_EQ(r.Count(), 2);
    EXPECT_FALSE(r.DeleteNear(1.0f, 0.01f)); // never fewer than two
    EXPECT_EQ(r.Count(), 2);
}
