#include <gtest/gtest.h>

#include "edgemap/marker_ramp.h"
#include "host/sdk/shade_context.h"
#include "tests/edgemap/fake_maps.h"

namespace {

const Point3 AlongX(1.0f, 0.0f, 0.0f);

MarkerRamp DefaultRamp() {
    MarkerRamp r;
    r.MakeDefault();
    return r;
}

} // namespace

TEST(EvalRamp, DefaultRampShadedPlainAndBump) {
    MarkerRamp r = DefaultRamp();
    ShadeContext sc;
    // Above a marker a segment starts from the colour arriving 0.01 below it; only
    // the shaded evaluation snaps to the marker itself, and to 0 near 0.
    struct Case {
        float x, shaded, plain;
    } cases[] = {{-3.0f, 0.0f, 0.0f}, {0.00005f, 0.0f, 0.00005f}, {0.25f, 0.25f, 0.25f},
                 {0.5f, 0.5f, 0.49f}, {0.75f, 0.745f, 0.745f},    {1.0f, 1.0f, 1.0f},
                 {5.0f, 1.0f, 1.0f}};
    for (const Case& c : cases) {
        EXPECT_TRUE(ColorNear(r.EvalRamp(c.x, sc), Grey(c.shaded))) << c.x;
        EXPECT_TRUE(ColorNear(r.EvalRampPlain(c.x), Grey(c.plain))) << c.x;
        // The bump of a grey marker is grey times the direction plus grey up.
        Point3 bump = r.EvalRampPerturb(c.x, sc, AlongX);
        EXPECT_NEAR(Length(bump - Point3(c.shaded, 0.0f, c.shaded)), 0.0f, 1e-5f) << c.x;
    }
    // Past the last marker its colour holds.
    r.markers[2].position = 0.8f;
    EXPECT_TRUE(ColorNear(r.EvalRamp(0.9f, sc), Grey(1.0f)));
    EXPECT_EQ(r.EvalRampPerturb(0.9f, sc, AlongX), Point3(1.0f, 0.0f, 1.0f));
    // A transparent marker shows the colour from below up to itself.
    r.markers[1].transparentColor = AColor(1.0f, 1.0f, 1.0f, 0.0f);
    for (float x : {0.001f, 0.25f, 0.4997f}) {
        EXPECT_TRUE(ColorNear(r.EvalRamp(x, sc), Grey(0.0f))) << x;
        EXPECT_TRUE(ColorNear(r.EvalRampPlain(x), Grey(0.0f))) << x;
    }
}

TEST(EvalRamp, CurvesSetTheBlend) {
    EXPECT_NEAR(CurveWeight(0.0f, CURVE_EXPONENTIAL), 0.9476f, 5e-5f); // 1 - e^-2 / (e - e^-2)
    EXPECT_EQ(CurveWeight(0.99f, CURVE_EXPONENTIAL), 0.0f);            // clamped
    EXPECT_FLOAT_EQ(CurveWeight(0.25f, CURVE_GAMMA), 0.5f);
    EXPECT_FLOAT_EQ(CurveWeight(0.4f, 17), 0.6f); // unknown types are linear

    // From black at 0 to grey 0.5 at 0.5: the red channel is half the blend factor.
    MarkerRamp r = DefaultRamp();
    ShadeContext sc;
    struct Case {
        int out, in;
        float blend;
    } cases[] = {{CURVE_LINEAR, CURVE_LINEAR, 0.3f},
                 {CURVE_SOLID, CURVE_SOLID, 0.3f},
                 {CURVE_NONE, CURVE_NONE, 0.7f},
                 {CURVE_NONE, CURVE_SOLID, 1.0f},
                 {CURVE_SOLID, CURVE_NONE, 0.0f}};
    for (const Case& c : cases) {
        r.markers[0].outType = c.out;
        r.markers[1].inType = c.in;
        EXPECT_NEAR(r.EvalRamp(0.15f, sc).r, c.blend / 2, 1e-5f) << c.out << "/" << c.in;
        EXPECT_NEAR(r.EvalRampPlain(0.15f).r, c.blend / 2, 1e-5f) << c.out << "/" << c.in;
        EXPECT_NEAR(r.EvalRampPerturb(0.15f, sc, AlongX).x, c.blend / 2, 1e-5f)
            << c.out << "/" << c.in;
    }
}

TEST(EvalRamp, MarkerMapsReplaceColourOpacityAndBump) {
    MarkerRamp r = DefaultRamp();
    ShadeContext sc;
    FixedMap red(AColor(1.0f, 0.0f, 0.0f, 1.0f), Point3(0.0f, 3.0f, 0.0f)), white(Grey(1), {});
    r.markers[1].baseMap = &red;
    EXPECT_TRUE(ColorNear(r.EvalRamp(0.5f, sc), AColor(1.0f, 0.0f, 0.0f, 1.0f)));
    EXPECT_EQ(r.EvalRampPerturb(0.5f, sc, AlongX), Point3(0.0f, 3.0f, 0.0f));
    r.markers[1].baseMapOn = 0;
    EXPECT_TRUE(ColorNear(r.EvalRamp(0.5f, sc), Grey(0.5f)));
    EXPECT_EQ(r.EvalRampPerturb(0.5f, sc, AlongX), Point3(0.5f, 0.0f, 0.5f));

    // A white opacity map makes marker 1 fully transparent: X = 0.25, Y = 0.5, Z = 0.375.
    r.markers[1].transparentMap = &white;
    EXPECT_TRUE(ColorNear(r.EvalRamp(0.25f, sc), Grey(0.375f)));
    r.markers[1].transparentMapOn = 0;
    EXPECT_TRUE(ColorNear(r.EvalRamp(0.25f, sc), Grey(0.25f)));
}

TEST(RampEditing, FindInsertAndDelete) {
    MarkerRamp r = DefaultRamp();
    r.markers[0].activeColor = AColor(0.1f, 0.2f, 0.3f, 0.0f);
    ASSERT_EQ(r.InsertMarker(0.8f, Grey(0.8f)), 2);
    EXPECT_EQ(r.markers[2].activeColor, r.markers[0].activeColor);
    // The last marker within tolerance wins, unless a dragged one comes first.
    EXPECT_EQ(r.FindNear(0.7f, 0.25f), 2);
    r.markers[0].flags |= MARKER_DRAGGING;
    EXPECT_EQ(r.FindNear(0.7f, 0.25f), 0);
    // Deleting activates the marker before; the first marker passes it to marker 0.
    EXPECT_TRUE(r.DeleteNear(0.8f, 0.01f));
    EXPECT_EQ(r.FindByFlag(MARKER_ACTIVE), 1);
    EXPECT_TRUE(r.DeleteNear(0.0f, 0.01f));
    EXPECT_EQ(r.FindByFlag(MARKER_ACTIVE), 0);
    EXPECT_FALSE(r.DeleteNear(1.0f, 0.01f)); // never fewer than two
}
