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

CTransformation RotationAboutZ(double angle)
{
    return CTransformation::Rotation(CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(0.0, 0.0, 1.0), angle);
}

TEST(Transformation, TheDefaultLeavesEverythingBitForBit)
{
    const CTransformation identity;
    EXPECT_TRUE(identity.HasIdentityFlag());
    EXPECT_TRUE(identity.HasOrthonormalFlag());
    const CPoint3d p(0.1, 1e300, -7.25);
    const CPoint3d mapped = identity * p;
    EXPECT_EQ(mapped.x, p.x);
    EXPECT_EQ(mapped.y, p.y);
    EXPECT_EQ(mapped.z, p.z);
    CPlane3d plane;
    plane.a = 3.0;  // not unit length: the identity must not normalise it
    EXPECT_TRUE(identity.TransformPlane(plane));
    EXPECT_EQ(plane.a, 3.0);
    CBoundingBox3d box(0.0, 1.0, 2.0, 3.0, 4.0, 5.0);
    identity.TransformBox(box);
    EXPECT_EQ(box.zmax, 5.0);
}

TEST(Transformation, SettersSetTheFlagsTheirKindImplies)
{
    CTransformation t;
    t.SetTranslation(CVector3d(0.0, 0.0, 0.0));
    EXPECT_FALSE(t.HasIdentityFlag());
    EXPECT_TRUE(t.IsIdentity());
    EXPECT_TRUE(t.HasOrthonormalFlag());
    t.SetScale(1.0, 2.0, 3.0);
    EXPECT_FALSE(t.HasOrthonormalFlag());
    t.SetUniformScale(2.0);
    EXPECT_TRUE(t.HasOrthonormalFlag());
    EXPECT_FALSE(t.HasIdentityFlag());
    const double gl[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    t.SetFromGLMatrix(gl);
    EXPECT_FALSE(t.HasOrthonormalFlag());
    t.SetIdentity();
    EXPECT_TRUE(t.HasIdentityFlag());
}

TEST(Transformation, UniformScaleMultipliesPointsAndVectors)
{
    CTransformation scale;
    scale.SetUniformScale(2.0);
    EXPECT_EQ(scale * CPoint3d(1.0, 2.0, 3.0), CPoint3d(2.0, 4.0, 6.0));
    EXPECT_EQ(scale * CVector3d(1.0, 0.0, 0.0), CVector3d(2.0, 0.0, 0.0));
    double gl[16];
    scale.GetGLMatrix(gl);
    EXPECT_EQ(gl[15], 0.5);
    EXPECT_EQ(scale.GetInverse().GetScale(), 0.5);
    EXPECT_EQ(scale.GetScales(), CVector3d(2.0, 2.0, 2.0));
}

TEST(Transformation, RotationTurnsAboutAnAxisThroughAPoint)
{
    const CTransformation turn =
        CTransformation::Rotation(CPoint3d(1.0, 0.0, 0.0), CUnitVector3d(0.0, 0.0, 1.0), kPi / 2.0);
    ExpectNearPoint(turn * CPoint3d(2.0, 0.0, 5.0), CPoint3d(1.0, 1.0, 5.0));
    ExpectNearPoint(turn * CPoint3d(1.0, 0.0, 0.0), CPoint3d(1.0, 0.0, 0.0));
    EXPECT_EQ(CVector3d(turn.GetXAxis()), CVector3d(0.0, 1.0, 0.0));
    EXPECT_TRUE(turn.IsOrthonormal());
    EXPECT_FALSE(turn.IsMirrored());
    EXPECT_TRUE(CTransformation::Scaling(-1.0, 1.0, 1.0).IsMirrored());
}

TEST(Transformation, ProductAppliesTheRightOperandFirst)
{
    CTransformation shift;
    shift.SetTranslation(CVector3d(1.0, 0.0, 0.0));
    const CTransformation turn = RotationAboutZ(kPi / 2.0);
    ExpectNearPoint((turn * shift) * CPoint3d(0.0, 0.0, 0.0), CPoint3d(0.0, 1.0, 0.0));
    ExpectNearPoint((shift * turn) * CPoint3d(0.0, 0.0, 0.0), CPoint3d(1.0, 0.0, 0.0));

    CTransformation scale;
    scale.SetUniformScale(3.0);
    // The left factor's origin is divided by the right factor's scale.
    ExpectNearPoint((shift * scale) * CPoint3d(1.0, 1.0, 1.0), CPoint3d(4.0, 3.0, 3.0));
    EXPECT_TRUE((turn * shift).HasOrthonormalFlag());
    EXPECT_FALSE((turn * CTransformation::Scaling(1.0, 2.0, 1.0)).HasOrthonormalFlag());
}

TEST(Transformation, ProductWithTheInverseIsTheIdentity)
{
    CTransformation shift;
    shift.SetTranslation(CVector3d(3.0, -2.0, 7.0));
    CTransformation uniform;
    uniform.SetUniformScale(4.0);
    const CTransformation rotation =
        CTransformation::Rotation(CPoint3d(1.0, 2.0, 3.0), CUnitVector3d(1.0, 1.0, 1.0), 0.7) * shift;
    // A rotation after a non-uniform scale is no longer orthonormal: inverted by cofactors.
    const CTransformation general = rotation * CTransformation::Scaling(2.0, 0.5, 3.0) * uniform;
    ASSERT_FALSE(general.HasOrthonormalFlag());

    for (const CTransformation& t : {rotation, uniform * shift, general}) {
        CTransformation inverse;
        ASSERT_TRUE(t.GetInverse(inverse));
        const CTransformation product = t * inverse;
        ExpectIdentityMatrix(product);
        ExpectNearPoint(product * CPoint3d(5.0, -6.0, 7.0), CPoint3d(5.0, -6.0, 7.0), 1e-11);
        ExpectNearPoint((inverse * t) * CPoint3d(5.0, -6.0, 7.0), CPoint3d(5.0, -6.0, 7.0), 1e-11);
    }
}

TEST(Transformation, AFrameOfSkewedAxesIsInvertedByCofactorsNotByTransposing)
{
    const CTransformation skewed(CVector3d(1.0, 0.0, 0.0), CVector3d(1.0, 1.0, 0.0), CVector3d(0.0, 0.0, 2.0),
                                 CPoint3d(1.0, 2.0, 3.0));
    EXPECT_FALSE(skewed.HasOrthonormalFlag());
    ExpectIdentityMatrix(skewed * skewed.GetInverse());
    const CTransformation frame(CVector3d(0.0, 1.0, 0.0), CVector3d(-1.0, 0.0, 0.0), CVector3d(0.0, 0.0, 1.0),
                                CPoint3d(1.0, 2.0, 3.0));
    EXPECT_TRUE(frame.HasOrthonormalFlag());
    EXPECT_EQ(frame.GetOrigin(), CPoint3d(1.0, 2.0, 3.0));
}

TEST(Transformation, InvertingTheIdentitySucceedsWithoutChange)
{
    CTransformation identity;
    EXPECT_TRUE(identity.Invert());
    EXPECT_TRUE(identity.HasIdentityFlag());
}

TEST(Transformation, InvertingAVanishingScaleOrASingularMatrixFailsWithoutChange)
{
    CTransformation tiny;
    tiny.SetUniformScale(1e-16);
    EXPECT_FALSE(tiny.Invert());
    EXPECT_EQ(tiny.GetScale(), 1e-16);

    CTransformation flat = CTransformation::Scaling(1.0, 0.0, 1.0);
    CTransformation shift;
    shift.SetTranslation(CVector3d(1.0, 2.0, 3.0));
    flat = flat * shift;
    EXPECT_FALSE(flat.Invert());
    EXPECT_EQ(flat.GetMatrix()[4], 0.0);
    EXPECT_EQ(flat.GetTranslation(), CVector3d(1.0, 0.0, 3.0));

    CTransformation copy;
    EXPECT_FALSE(flat.GetInverse(copy));
    EXPECT_EQ(copy.GetTranslation(), flat.GetTranslation());
    EXPECT_EQ(flat.GetInverse().GetTranslation(), flat.GetTranslation());

    CPlane3d plane(1.0, 0.0, 0.0, -1.0);
    EXPECT_FALSE(flat.TransformPlane(plane));
    EXPECT_EQ(plane.a, 1.0);
    EXPECT_EQ(plane.d, -1.0);
}

TEST(Transformation, PlanesFollowTheirPoints)
{
    CTransformation shift;
    shift.SetTranslation(CVector3d(0.0, 0.0, 5.0));
    const CPlane3d lifted = shift * CPlane3d(0.0, 0.0, 1.0, 0.0);
    EXPECT_NEAR(lifted.d, -5.0, 1e-12);

    // Under a non-uniform scale and a rotation, points of the plane stay on it.
    const CTransformation t = RotationAboutZ(0.3) * CTransformation::Scaling(2.0, 1.0, 0.5);
    const CPlane3d plane(CPoint3d(1.0, 0.0, 0.0), CPoint3d(0.0, 1.0, 0.0), CPoint3d(0.0, 0.0, 1.0));
    CPlane3d mapped = plane;
    ASSERT_TRUE(t.TransformPlane(mapped));
    EXPECT_NEAR(CVector3d(mapped.a, mapped.b, mapped.c).GetLength(), 1.0, 1e-12);
    for (const CPoint3d& p : {CPoint3d(1.0, 0.0, 0.0), CPoint3d(0.0, 1.0, 0.0), CPoint3d(0.3, 0.3, 0.4)}) {
        EXPECT_NEAR(mapped.GetSignedDistance(t * p), 0.0, 1e-12);
    }
    CPlane3d unnormalized = plane;
    ASSERT_TRUE(t.TransformPlaneUnnormalized(unnormalized));
    EXPECT_NEAR(unnormalized.d / unnormalized.a, mapped.d / mapped.a, 1e-12);
}

TEST(Transformation, LinesReportTheirStretch)
{
    CTransformation scale;
    scale.SetUniformScale(2.0);
    CLine3d line(CPoint3d(1.0, 0.0, 0.0), CUnitVector3d(0.0, 1.0, 0.0));
    EXPECT_DOUBLE_EQ(scale.TransformLineGetScale(line), 2.0);
    EXPECT_EQ(line.origin, CPoint3d(2.0, 0.0, 0.0));
    EXPECT_EQ(CVector3d(line.direction), CVector3d(0.0, 1.0, 0.0));
    EXPECT_EQ(CTransformation().TransformLineGetScale(line), 1.0);
}

TEST(Transformation, BoxesGrowToHoldTheirTransformedCorners)
{
    CBoundingBox3d box(0.0, 1.0, 0.0, 1.0, 0.0, 1.0);
    RotationAboutZ(kPi / 4.0).TransformBox(box);
    const double h = std::sqrt(0.5);
    EXPECT_NEAR(box.xmin, -h, 1e-12);
    EXPECT_NEAR(box.xmax, h, 1e-12);
    EXPECT_NEAR(box.ymin, 0.0, 1e-12);
    EXPECT_NEAR(box.ymax, 2.0 * h, 1e-12);
    EXPECT_NEAR(box.zmax, 1.0, 1e-12);

    CTransformation flip;
    flip.SetUniformScale(-1.0);
    const CBoundingBox3d flipped = flip * CBoundingBox3d(1.0, 2.0, 3.0, 4.0, 5.0, 6.0);
    EXPECT_EQ(flipped.GetMin(), CPoint3d(-2.0, -4.0, -6.0));
    EXPECT_EQ(flipped.GetMax(), CPoint3d(-1.0, -3.0, -5.0));

    CBoundingBox3d empty;
    flip.TransformBox(empty);
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(Transformation, LookAtMatchesTheHandComputedViewMatrix)
{
    CTransformation view;
    const double distance =
        view.SetLookAt(CPoint3d(10.0, 0.0, 0.0), CPoint3d(0.0, 0.0, 0.0), CVector3d(0.0, 0.0, 1.0), true);
    EXPECT_DOUBLE_EQ(distance, 10.0);
    const double expected[9] = {0.0, 1.0, 0.0, 0.0, 0.0, 1.0, 1.0, 0.0, 0.0};
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(view.GetMatrix()[i], expected[i], 1e-15) << "element " << i;
    }
    EXPECT_EQ(view.GetTranslation(), CVector3d(0.0, 0.0, -10.0));
    EXPECT_TRUE(view.HasOrthonormalFlag());
    // The target lies straight ahead, down the negative z axis.
    EXPECT_EQ(view * CPoint3d(0.0, 0.0, 0.0), CPoint3d(0.0, 0.0, -10.0));

    view.SetLookAt(CPoint3d(10.0, 0.0, 0.0), CPoint3d(0.0, 0.0, 0.0), CVector3d(0.0, 0.0, 1.0), false);
    EXPECT_EQ(view * CPoint3d(0.0, 0.0, 0.0), CPoint3d(0.0, 0.0, 0.0));
}

TEST(Transformation, LookAtAlongTheUpDirectionFailsWithoutChange)
{
    CTransformation view;
    view.SetTranslation(CVector3d(1.0, 2.0, 3.0));
    EXPECT_EQ(view.SetLookAt(CPoint3d(0.0, 0.0, 5.0), CPoint3d(0.0, 0.0, 0.0), CVector3d(0.0, 0.0, 1.0), true),
              -1.0);
    EXPECT_EQ(view.GetTranslation(), CVector3d(1.0, 2.0, 3.0));
    ExpectIdentityMatrix(view, 0.0);
}

TEST(Transformation, OpenGLMatrixRoundTrips)
{
    CTransformation t = RotationAboutZ(0.4) * CTransformation::Scaling(1.0, 2.0, 3.0);
    CTransformation scale;
    scale.SetUniformScale(4.0);
    t = scale * t;
    double gl[16];
    t.GetGLMatrix(gl);
    EXPECT_EQ(gl[4], t.GetMatrix()[1]);
    EXPECT_EQ(gl[3], 0.0);
    CTransformation back;
    back.SetFromGLMatrix(gl);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(back.GetMatrix()[i], t.GetMatrix()[i]);
    }
    EXPECT_DOUBLE_EQ(back.GetScale(), 4.0);
}

TEST(Transformation, OrthonormalityNeedsUnitRowsThatArePerpendicular)
{
    // Unit rows pairwise at 60 degrees.
    const double c = 0.5;
    const double s = std::sqrt(3.0) / 2.0;
    const double z = std::sqrt(2.0 / 3.0);
    const double gl[16] = {1.0, c, c, 0.0, 0.0, s, s / 3.0, 0.0, 0.0, 0.0, z, 0.0, 0.0, 0.0, 0.0, 1.0};
    CTransformation skewed;
    skewed.SetFromGLMatrix(gl);
    EXPECT_FALSE(skewed.IsOrthonormal());
    EXPECT_TRUE(RotationAboutZ(1.0).IsOrthonormal());
    EXPECT_FALSE(CTransformation::Scaling(1.0, 1.001, 1.0).IsOrthonormal());
}

TEST(Transformation, OrthonormalizingKeepsTheZAxisAndTheHandedness)
{
    for (const double mirror : {1.0, -1.0}) {
        // A rotation about y whose axes are off by a few millionths.
        const CVector3d zAxis(0.6, 0.0, 0.8000004);
        const CTransformation noisy(CVector3d(mirror * 0.800002, 0.000003, mirror * -0.6),
                                    CVector3d(0.000001, 0.999998, 0.0), zAxis, CPoint3d(4.0, 5.0, 6.0));
        CTransformation clean = noisy;
        clean.Orthonormalize();
        EXPECT_EQ(clean.IsMirrored(), mirror < 0.0);
        const CUnitVector3d expectedZ(zAxis);
        EXPECT_NEAR(clean.GetMatrix()[2], expectedZ.x, 1e-15);
        EXPECT_NEAR(clean.GetMatrix()[8], expectedZ.z, 1e-15);
        const CVector3d x(clean.GetMatrix()[0], clean.GetMatrix()[3], clean.GetMatrix()[6]);
        const CVector3d y(clean.GetMatrix()[1], clean.GetMatrix()[4], clean.GetMatrix()[7]);
        EXPECT_NEAR(x.GetLength(), 1.0, 1e-15);
        EXPECT_NEAR(DotProduct(x, y), 0.0, 1e-15);
        EXPECT_EQ(clean.GetTranslation(), CVector3d(4.0, 5.0, 6.0));
    }
    CTransformation nearlyIdentity = CTransformation::Scaling(1.0005, 1.0, 0.9995);
    nearlyIdentity.Orthonormalize();
    ExpectIdentityMatrix(nearlyIdentity, 0.0);
}

TEST(Transformation, StoredNumbersSnapToTheIdentityAndCleanRotations)
{
    double numbers[CTransformation::kStoredNumberCount] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0.0005, 0, 0, 1};
    CTransformation t;
    t.SetFromStoredNumbers(numbers);
    EXPECT_TRUE(t.HasIdentityFlag());
    EXPECT_EQ(t.GetTranslation(), CVector3d(0.0, 0.0, 0.0));
    EXPECT_EQ(t.GetTranslation().x, 0.0);

    numbers[9] = 5.0;
    numbers[0] = 1.0004;
    t.SetFromStoredNumbers(numbers);
    EXPECT_FALSE(t.HasIdentityFlag());
    EXPECT_TRUE(t.HasOrthonormalFlag());
    ExpectIdentityMatrix(t, 0.0);
    EXPECT_EQ(t.GetTranslation().x, 5.0);

    // A scale is not a rotation: kept exactly as stored.
    const double scaled[CTransformation::kStoredNumberCount] = {2, 0, 0, 0, 2, 0, 0, 0, 2, 1, 2, 3, 1};
    t.SetFromStoredNumbers(scaled);
    EXPECT_FALSE(t.HasOrthonormalFlag());
    double back[CTransformation::kStoredNumberCount];
    t.GetStoredNumbers(back);
    for (int i = 0; i < CTransformation::kStoredNumberCount; ++i) {
        EXPECT_EQ(back[i], scaled[i]);
    }
}

}  // namespace
