#include "foundation/transformation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectIdentityMatrix(const CTransformation& t, double tolerance = 1e-12)
{
    const double identity[9] = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(t.GetMatrix()[i], identity[i], tolerance) << "element " << i;
    }
}

void ExpectNearPoint(const CPoint3d& actual, const CPoint3d& expected, double tolerance = 1e-12)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

CTransformation Translation(double x, double y, double z)
{
    CTransformation t;
    t.SetTranslation(CVector3d(x, y, z));
    return t;
}

CTransformation UniformScale(double s)
{
    CTransformation t;
    t.SetUniformScale(s);
    return t;
}

CTransformation RotationAboutZ(double angle)
{
    return CTransformation::Rotation(CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(0.0, 0.0, 1.0), angle);
}

TEST(Transformation, TheDefaultLeavesEverythingBitForBit)
{
    const CTransformation identity;
    const CPoint3d p(0.1, 1e300, -7.25);
    const CPoint3d mapped = identity * p;
    EXPECT_EQ(mapped.x, p.x);
    EXPECT_EQ(mapped.y, p.y);
    CPlane3d plane;
    plane.a = 3.0;  // not unit length: the identity must not normalise it
    EXPECT_TRUE(identity.TransformPlane(plane));
    EXPECT_EQ(plane.a, 3.0);
    // A zero translation is the identity in numbers only.
    EXPECT_FALSE(Translation(0.0, 0.0, 0.0).HasIdentityFlag());
    EXPECT_TRUE(Translation(0.0, 0.0, 0.0).IsIdentity());
}

TEST(Transformation, UniformScaleMultipliesPointsAndIsUndoneByItsReciprocal)
{
    const CTransformation scale = UniformScale(2.0);
    EXPECT_EQ(scale * CPoint3d(1.0, 2.0, 3.0), CPoint3d(2.0, 4.0, 6.0));
    double gl[16];
    scale.GetGLMatrix(gl);
    EXPECT_EQ(gl[15], 0.5);
    EXPECT_EQ(scale.GetInverse().GetScale(), 0.5);
    EXPECT_EQ(scale.GetScales(), CVector3d(2.0, 2.0, 2.0));

    CTransformation back;
    back.SetFromGLMatrix(gl);
    EXPECT_EQ(back.GetScale(), 2.0);
}

TEST(Transformation, RotationTurnsAboutAnAxisThroughAPoint)
{
    const CTransformation turn =
        CTransformation::Rotation(CPoint3d(1.0, 0.0, 0.0), CUnitVector3d(0.0, 0.0, 1.0), kPi / 2.0);
    ExpectNearPoint(turn * CPoint3d(2.0, 0.0, 5.0), CPoint3d(1.0, 1.0, 5.0));
    ExpectNearPoint(turn * CPoint3d(1.0, 0.0, 0.0), CPoint3d(1.0, 0.0, 0.0));
    EXPECT_TRUE(turn.IsOrthonormal());
    EXPECT_FALSE(turn.IsMirrored());
    EXPECT_TRUE(CTransformation::Scaling(-1.0, 1.0, 1.0).IsMirrored());
}

TEST(Transformation, ProductAppliesTheRightOperandFirst)
{
    const CTransformation shift = Translation(1.0, 0.0, 0.0);
    const CTransformation turn = RotationAboutZ(kPi / 2.0);
    ExpectNearPoint((turn * shift) * CPoint3d(0.0, 0.0, 0.0), CPoint3d(0.0, 1.0, 0.0));
    ExpectNearPoint((shift * turn) * CPoint3d(0.0, 0.0, 0.0), CPoint3d(1.0, 0.0, 0.0));
    // The left factor's origin is divided by the right factor's scale.
    ExpectNearPoint((shift * UniformScale(3.0)) * CPoint3d(1.0, 1.0, 1.0), CPoint3d(4.0, 3.0, 3.0));
    EXPECT_TRUE((turn * shift).HasOrthonormalFlag());
    EXPECT_FALSE((turn * CTransformation::Scaling(1.0, 2.0, 1.0)).HasOrthonormalFlag());
}

TEST(Transformation, ProductWithTheInverseIsTheIdentity)
{
    const CTransformation rotation =
        CTransformation::Rotation(CPoint3d(1.0, 2.0, 3.0), CUnitVector3d(1.0, 1.0, 1.0), 0.7) *
        Translation(3.0, -2.0, 7.0);
    // A rotation after a non-uniform scale is no longer orthonormal: inverted by cofactors.
    const CTransformation general = rotation * CTransformation::Scaling(2.0, 0.5, 3.0) * UniformScale(4.0);
    ASSERT_FALSE(general.HasOrthonormalFlag());
    const CTransformation skewedFrame(CVector3d(1.0, 0.0, 0.0), CVector3d(1.0, 1.0, 0.0),
                                      CVector3d(0.0, 0.0, 2.0), CPoint3d(1.0, 2.0, 3.0));
    ASSERT_FALSE(skewedFrame.HasOrthonormalFlag());

    for (const CTransformation& t : {rotation, UniformScale(4.0) * Translation(1.0, 2.0, 3.0), general, skewedFrame}) {
        CTransformation inverse;
        ASSERT_TRUE(t.GetInverse(inverse));
        ExpectIdentityMatrix(t * inverse);
        ExpectNearPoint((t * inverse) * CPoint3d(5.0, -6.0, 7.0), CPoint3d(5.0, -6.0, 7.0), 1e-11);
        ExpectNearPoint((inverse * t) * CPoint3d(5.0, -6.0, 7.0), CPoint3d(5.0, -6.0, 7.0), 1e-11);
    }
    CTransformation identity;
    EXPECT_TRUE(identity.Invert());
    EXPECT_TRUE(identity.HasIdentityFlag());
}

TEST(Transformation, InvertingAVanishingScaleOrASingularMatrixFailsWithoutChange)
{
    CTransformation tiny = UniformScale(1e-16);
    EXPECT_FALSE(tiny.Invert());
    EXPECT_EQ(tiny.GetScale(), 1e-16);

    CTransformation flat = CTransformation::Scaling(1.0, 0.0, 1.0) * Translation(1.0, 2.0, 3.0);
    EXPECT_FALSE(flat.Invert());
    EXPECT_EQ(flat.GetTranslation(), CVector3d(1.0, 0.0, 3.0));
    CTransformation copy;
    EXPECT_FALSE(flat.GetInverse(copy));
    EXPECT_EQ(copy.GetTranslation(), flat.GetTranslation());
    EXPECT_EQ(flat.GetInverse().GetTranslation(), flat.GetTranslation());

    // Planes are mapped through the inverse, so they cannot follow.
    CPlane3d plane(1.0, 0.0, 0.0, -1.0);
    EXPECT_FALSE(flat.TransformPlane(plane));
    EXPECT_EQ(plane.d, -1.0);
}

TEST(Transformation, PlanesFollowTheirPoints)
{
    EXPECT_NEAR((Translation(0.0, 0.0, 5.0) * CPlane3d(0.0, 0.0, 1.0, 0.0)).d, -5.0, 1e-12);

    const CTransformation t = RotationAboutZ(0.3) * CTransformation::Scaling(2.0, 1.0, 0.5);
    const CPlane3d plane(CPoint3d(1.0, 0.0, 0.0), CPoint3d(0.0, 1.0, 0.0), CPoint3d(0.0, 0.0, 1.0));
    CPlane3d mapped = plane;
    ASSERT_TRUE(t.TransformPlane(mapped));
    EXPECT_NEAR(CVector3d(mapped.a, mapped.b, mapped.c).GetLength(), 1.0, 1e-12);
    for (const CPoint3d& p : {CPoint3d(1.0, 0.0, 0.0), CPoint3d(0.0, 1.0, 0.0), CPoint3d(0.3, 0.3, 0.4)}) {
        EXPECT_NEAR(mapped.GetSignedDistance(t * p), 0.0, 1e-12);
    }
}

TEST(Transformation, LinesReportTheirStretch)
{
    CLine3d line(CPoint3d(1.0, 0.0, 0.0), CUnitVector3d(0.0, 1.0, 0.0));
    EXPECT_DOUBLE_EQ(UniformScale(2.0).TransformLineGetScale(line), 2.0);
    EXPECT_EQ(line.origin, CPoint3d(2.0, 0.0, 0.0));
    EXPECT_EQ(CVector3d(line.direction), CVector3d(0.0, 1.0, 0.0));
}

TEST(Transformation, StretchesAreTheLengthsOfThePrincipalAxesLargestFirst)
{
    // Each to nine places of its own size, however far below the largest.
    const auto expectStretches = [](const CTransformation& t, const CVector3d& expected) {
        const CVector3d stretches = t.GetStretches();
        EXPECT_NEAR(stretches.x, expected.x, 1e-9 * expected.x);
        EXPECT_NEAR(stretches.y, expected.y, 1e-9 * expected.y);
        EXPECT_NEAR(stretches.z, expected.z, 1e-9 * expected.z);
    };
    expectStretches(CTransformation(), {1.0, 1.0, 1.0});
    expectStretches(CTransformation::Scaling(1.0, 1.0, 1000.0), {1000.0, 1.0, 1.0});
    // A mirror stretches nothing; turned, a slab keeps its stretches.
    expectStretches(CTransformation::Scaling(-100.0, 100.0, 0.1), {100.0, 100.0, 0.1});
    expectStretches(RotationAboutZ(0.3) * CTransformation::Scaling(0.1, 100.0, 100.0) * RotationAboutZ(1.1),
                    {100.0, 100.0, 0.1});
    // Regression: the squares' closed form lost the small ones' digits beside a large one
    // (a post turned 6.5 degrees gave 100000, 9.5 and 3.2).
    const CTransformation tilt = CTransformation::Rotation(CPoint3d(), CUnitVector3d(CVector3d(1, 1, 1)), 0.11);
    expectStretches(tilt * CTransformation::Scaling(1e5, 10.0, 1.0), {1e5, 10.0, 1.0});
    expectStretches(RotationAboutZ(0.3) * CTransformation::Scaling(1e5, 10.0, 1.0) * tilt, {1e5, 10.0, 1.0});
    // A shear of one along x: the golden ratio and its reciprocal.
    const CTransformation shear(CVector3d(1, 0, 0), CVector3d(1, 1, 0), CVector3d(0, 0, 1), CPoint3d(0, 0, 0));
    const double golden = (1.0 + std::sqrt(5.0)) / 2.0;
    expectStretches(shear, {golden, 1.0, 1.0 / golden});
}

TEST(Transformation, BoxesGrowToHoldTheirTransformedCorners)
{
    CBoundingBox3d box(0.0, 1.0, 0.0, 1.0, 0.0, 1.0);
    RotationAboutZ(kPi / 4.0).TransformBox(box);
    const double h = std::sqrt(0.5);
    ExpectNearPoint(box.GetMin(), CPoint3d(-h, 0.0, 0.0));
    ExpectNearPoint(box.GetMax(), CPoint3d(h, 2.0 * h, 1.0));

    const CTransformation flip = UniformScale(-1.0);
    const CBoundingBox3d flipped = flip * CBoundingBox3d(1.0, 2.0, 3.0, 4.0, 5.0, 6.0);
    EXPECT_EQ(flipped.GetMin(), CPoint3d(-2.0, -4.0, -6.0));
    EXPECT_EQ(flipped.GetMax(), CPoint3d(-1.0, -3.0, -5.0));
    EXPECT_TRUE((flip * CBoundingBox3d()).IsEmpty());
}

TEST(Transformation, LookAtMatchesTheHandComputedViewMatrix)
{
    CTransformation view;
    EXPECT_DOUBLE_EQ(
        view.SetLookAt(CPoint3d(10.0, 0.0, 0.0), CPoint3d(0.0, 0.0, 0.0), CVector3d(0.0, 0.0, 1.0), true), 10.0);
    // Rows x = (0, 1, 0), y = (0, 0, 1), z = (1, 0, 0); the eye moves to the origin.
    const double expected[9] = {0.0, 1.0, 0.0, 0.0, 0.0, 1.0, 1.0, 0.0, 0.0};
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(view.GetMatrix()[i], expected[i], 1e-15) << "element " << i;
    }
    EXPECT_EQ(view.GetTranslation(), CVector3d(0.0, 0.0, -10.0));
    EXPECT_TRUE(view.HasOrthonormalFlag());

    view.SetLookAt(CPoint3d(10.0, 0.0, 0.0), CPoint3d(0.0, 0.0, 0.0), CVector3d(0.0, 0.0, 1.0), false);
    EXPECT_EQ(view * CPoint3d(0.0, 0.0, 0.0), CPoint3d(0.0, 0.0, 0.0));
}

TEST(Transformation, LookAtAlongTheUpDirectionFailsWithoutChange)
{
    CTransformation view = Translation(1.0, 2.0, 3.0);
    EXPECT_EQ(view.SetLookAt(CPoint3d(0.0, 0.0, 5.0), CPoint3d(0.0, 0.0, 0.0), CVector3d(0.0, 0.0, 1.0), true),
              -1.0);
    EXPECT_EQ(view.GetTranslation(), CVector3d(1.0, 2.0, 3.0));
    ExpectIdentityMatrix(view, 0.0);
}

TEST(Transformation, OrthonormalityNeedsUnitRowsThatArePerpendicular)
{
    // Unit rows pairwise at 60 degrees.
    const double s = std::sqrt(3.0) / 2.0;
    const double gl[16] = {1.0, 0.5, 0.5, 0.0, 0.0, s, s / 3.0, 0.0, 0.0, 0.0, std::sqrt(2.0 / 3.0), 0.0, 0.0,
                           0.0, 0.0, 1.0};
    CTransformation skewed;
    skewed.SetFromGLMatrix(gl);
    EXPECT_FALSE(skewed.IsOrthonormal());
    EXPECT_FALSE(CTransformation::Scaling(1.0, 1.001, 1.0).IsOrthonormal());
}

TEST(Transformation, OrthonormalizingAMirrorKeepsTheZAxisAndTheHandedness)
{
    const CVector3d zAxis(0.6, 0.0, 0.8000004);
    CTransformation noisy(CVector3d(-0.800002, 0.000003, 0.6), CVector3d(0.000001, 0.999998, 0.0), zAxis,
                          CPoint3d(4.0, 5.0, 6.0));
    noisy.Orthonormalize();
    EXPECT_TRUE(noisy.IsMirrored());
    EXPECT_NEAR(noisy.GetMatrix()[2], CUnitVector3d(zAxis).x, 1e-15);
    ExpectIdentityMatrix(noisy * noisy.GetInverse(), 1e-15);
    EXPECT_EQ(noisy.GetTranslation(), CVector3d(4.0, 5.0, 6.0));
}

}  // namespace
