#include <gtest/gtest.h>

#include <cmath>

#include "host/sdk/bit_array.h"
#include "host/sdk/box.h"
#include "host/sdk/interval.h"
#include "host/sdk/matrix.h"

namespace {

void ExpectNear(const Point3& a, const Point3& b, float eps = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

Matrix3 SomeTransform() {
    Matrix3 m(1);
    m.RotateZ(0.7f);
    m.RotateX(-0.3f);
    m.Scale(Point3(2.0f, 0.5f, 3.0f));
    m.Translate(Point3(10.0f, -4.0f, 2.5f));
    return m;
}

TEST(Matrix3Test, ProductAppliesLeftMatrixFirst) {
    const Matrix3 a = TransMatrix(Point3(1.0f, 0.0f, 0.0f));
    const Matrix3 b = RotateZMatrix(static_cast<float>(M_PI / 2));
    const Point3 p(1.0f, 0.0f, 0.0f);
    // Translate to (2,0,0), then rotate a quarter turn: (0,2,0).
    ExpectNear(p * (a * b), Point3(0.0f, 2.0f, 0.0f));
    ExpectNear(p * (b * a), Point3(1.0f, 1.0f, 0.0f));
    ExpectNear((p * a) * b, p * (a * b));
}

TEST(Matrix3Test, InverseUndoesTransform) {
    const Matrix3 m = SomeTransform();
    const Matrix3 inv = Inverse(m);
    EXPECT_TRUE((m * inv).Equals(Matrix3(1), 1e-5f));
    EXPECT_TRUE((inv * m).Equals(Matrix3(1), 1e-5f));
    const Point3 p(3.0f, -7.0f, 1.25f);
    ExpectNear((p * m) * inv, p, 1e-4f);
    Matrix3 copy = m;
    copy.Invert();
    EXPECT_TRUE(copy.Equals(inv));
}

TEST(Matrix3Test, IncrementalOperationsMultiplyOnTheRight) {
    Matrix3 m = TransMatrix(Point3(1.0f, 2.0f, 3.0f));
    m.RotateZ(static_cast<float>(M_PI / 2));
    // The translation row turns with the rotation.
    ExpectNear(m.GetTrans(), Point3(-2.0f, 1.0f, 3.0f));
    m.Translate(Point3(1.0f, 1.0f, 1.0f));
    ExpectNear(m.GetTrans(), Point3(-1.0f, 2.0f, 4.0f));
}

TEST(Matrix3Test, ScaleWithTransScalesTheTranslation) {
    Matrix3 a = TransMatrix(Point3(4.0f, 6.0f, 8.0f));
    Matrix3 b = a;
    a.Scale(Point3(0.5f, 0.25f, 1.0f), TRUE);
    b.Scale(Point3(0.5f, 0.25f, 1.0f), FALSE);
    ExpectNear(a.GetTrans(), Point3(2.0f, 1.5f, 8.0f));
    ExpectNear(b.GetTrans(), Point3(4.0f, 6.0f, 8.0f));
    EXPECT_TRUE(a.Equals(TransMatrix(Point3(4.0f, 6.0f, 8.0f)) * ScaleMatrix(Point3(0.5f, 0.25f, 1.0f))));
}

TEST(Matrix2Test, InverseAndApplication) {
    const Matrix2 m(Point2(2.0f, 1.0f), Point2(-1.0f, 3.0f), Point2(5.0f, -2.0f));
    const Point2 p(0.5f, 4.0f);
    const Point2 q = p * m;
    EXPECT_FLOAT_EQ(q.x, 0.5f * 2.0f + 4.0f * -1.0f + 5.0f);
    EXPECT_FLOAT_EQ(q.y, 0.5f * 1.0f + 4.0f * 3.0f - 2.0f);
    const Point2 back = q * Inverse(m);
    EXPECT_NEAR(back.x, p.x, 1e-5f);
    EXPECT_NEAR(back.y, p.y, 1e-5f);
}

TEST(IntervalTest, IntersectionAndContainment) {
    EXPECT_TRUE(FOREVER.InInterval(0));
    EXPECT_TRUE(FOREVER.InInterval(TIME_PosInfinity));
    EXPECT_TRUE(NEVER.Empty());
    EXPECT_FALSE(NEVER.InInterval(0));
    Interval i = FOREVER;
    i &= Interval(10, 20);
    EXPECT_EQ(i, Interval(10, 20));
    i &= Interval(15, 15);
    EXPECT_TRUE(i.InInterval(15));
    EXPECT_FALSE(i.InInterval(16));
    EXPECT_TRUE((Interval(0, 5) & Interval(6, 9)).Empty());
    EXPECT_TRUE((FOREVER & NEVER).Empty());
}

TEST(BitArrayTest, ResizeKeepsOrClearsBits) {
    BitArray b(70);
    b.Set(3);
    b.Set(69);
    EXPECT_EQ(b.NumberSet(), 2);
    b.SetSize(100, 1);
    EXPECT_EQ(b[69], 1);
    EXPECT_EQ(b[99], 0);
    b.SetSize(65, 1);
    EXPECT_EQ(b.NumberSet(), 1);
    b.SetAll();
    EXPECT_EQ(b.NumberSet(), 65);
    b.SetSize(10);
    EXPECT_EQ(b.NumberSet(), 0);
}

TEST(Box3Test, TransformedBoxHoldsAllCorners) {
    Box3 b;
    EXPECT_TRUE(b.IsEmpty());
    b += Point3(0.0f, 0.0f, 0.0f);
    b += Point3(1.0f, 2.0f, 3.0f);
    const Box3 t = b * RotateZMatrix(static_cast<float>(M_PI / 2));
    ExpectNear(t.pmin, Point3(-2.0f, 0.0f, 0.0f));
    ExpectNear(t.pmax, Point3(0.0f, 1.0f, 3.0f));
}

} // namespace
