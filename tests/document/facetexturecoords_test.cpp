#include <gtest/gtest.h>

#include <cstdint>

#include "document/facetexturecoords.h"
#include "foundation/transformation.h"
#include "tests/document/documenttestsupport.h"

using documenttest::Bytes;
using documenttest::Dispose;
using documenttest::FileVersions;
using documenttest::Load;
using documenttest::Store;

namespace {

const Matrix3 kShifted{2.0, 0.0, 0.0, 0.0, 2.0, 0.0, 3.0, 4.0, 1.0};

void PutMatrix(CArchive& ar, const Matrix3& m)
{
    for (double element : m) {
        ar << element;
    }
}

// A record of the given class version: the front side placed by kShifted, the front
// direction given, the back side untouched; one front pin from version 3.
Bytes CoordsRecord(int version, const CVector3d& frontDirection)
{
    return Store([&](CArchive& ar) {
        ar.WriteObject(nullptr);  // the entity part: no attributes
        ar << std::int32_t{0};    // the attribute's word
        PutMatrix(ar, kShifted);
        if (version >= 1) {
            ar << frontDirection.x << frontDirection.y << frontDirection.z;
        }
        if (version >= 2) {
            PutMatrix(ar, Matrix3Identity());
            ar << 0.0 << 0.0 << 0.0;
        }
        if (version >= 3) {
            ar << std::int32_t{1} << 0.5 << 0.5 << 7.0 << 8.0;
            ar << std::int32_t{0};
        }
        if (version >= 4) {
            ar << std::uint32_t{3} << std::uint32_t{0};
        }
    });
}

CFaceTextureCoords* Read(const Bytes& bytes, int version)
{
    auto* coords = new CFaceTextureCoords;
    const FileVersions versions({{"CEntity", 3}, {"CFaceTextureCoords", version}});
    Load(bytes, [&](CArchive& ar) { coords->Serialize(ar); });
    return coords;
}

}  // namespace

TEST(FaceTextureCoordsTest, EveryRecordVersionReadsItsPlacementsAndDerivesOldFlags)
{
    undotest::TestEnvironment environment;
    struct Case
    {
        int version;
        CVector3d direction;
        std::uint32_t frontFlags;
        std::size_t pins;
    };
    const Case cases[] = {
        {0, CVector3d(), 1, 0},          {1, CVector3d(), 1, 0}, {2, CVector3d(), 1, 0},
        {2, CVector3d(0, 0, 1), 0, 0},   {3, CVector3d(), 1, 1}, {4, CVector3d(0, 0, 1), 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        CFaceTextureCoords* coords = Read(CoordsRecord(c.version, c.direction), c.version);
        const CTexturePlacement& front = coords->GetFrontPlacement();
        EXPECT_EQ(front.flags, c.frontFlags);
        EXPECT_TRUE(Matrix3IsEqual(front.matrix, kShifted, 0.0));
        EXPECT_TRUE(Matrix3IsIdentity(Matrix3Product(front.matrix, front.inverse)));
        EXPECT_EQ(front.pins.size(), c.pins);
        EXPECT_EQ(coords->GetBackPlacement().flags, 0u);
        EXPECT_TRUE(coords->IsSideEmpty(false));
        Dispose(coords);
    }
}

TEST(FaceTextureCoordsTest, TheRecordRoundTripsInTheNewerFormatsAndIsEmptyInTheOldest)
{
    undotest::TestEnvironment environment;
    const CUndoSuspender suspender;
    CFaceTextureCoords coords;
    CTexturePlacement front;
    front.SetMatrix(kShifted);
    front.pins.push_back({CPoint2d(1, 2), CPoint2d(3, 4)});
    coords.SetFrontPlacement(front);
    coords.SetBackProjection(CVector3d(0, 1, 0), true);
    const Bytes bytes = Store([&](CArchive& ar) { coords.Serialize(ar); });
    CFaceTextureCoords* read = Read(bytes, 4);
    EXPECT_EQ(read->GetFrontPlacement().pins.size(), 1u);
    EXPECT_EQ(read->GetBackPlacement().flags, CTexturePlacement::kProjected);
    EXPECT_EQ(Store([&](CArchive& ar) { read->Serialize(ar); }), bytes);
    Dispose(read);
    EXPECT_TRUE(Store([&](CArchive& ar) { coords.Serialize(ar); }, kSaveFormat3000).empty());
}

TEST(FaceTextureCoordsTest, APinCountThatIsNegativeOrBeyondTheDataIsRefused)
{
    undotest::TestEnvironment environment;
    for (const std::int32_t count : {-1, 1000000}) {
        SCOPED_TRACE(count);
        const Bytes bytes = Store([&](CArchive& ar) {
            ar.WriteObject(nullptr);
            ar << std::int32_t{0};
            PutMatrix(ar, kShifted);
            ar << 0.0 << 0.0 << 0.0;
            PutMatrix(ar, kShifted);
            ar << 0.0 << 0.0 << 0.0;
            ar << count;
        });
        CFaceTextureCoords coords;
        const FileVersions versions({{"CEntity", 3}, {"CFaceTextureCoords", 3}});
        EXPECT_THROW(Load(bytes, [&](CArchive& ar) { coords.Serialize(ar); }), CArchiveException);
    }
}

// The check's repair: the placement is reset.
TEST(FaceTextureCoordsTest, APlacementHoldingANumberThatIsNotFiniteIsReset)
{
    undotest::TestEnvironment environment;
    const Bytes sound = CoordsRecord(4, CVector3d(0.25, 0.375, 0.625));
    for (const double bad : entitytest::kNonFinite) {
        for (const double number : {3.0, 4.0, 0.25, 0.375, 0.625, 7.0, 8.0}) {
            const Bytes damaged = entitytest::WithDoubleReplaced(sound, number, bad);
            CFaceTextureCoords coords;
            const FileVersions versions({{"CEntity", 3}, {"CFaceTextureCoords", 4}});
            Load(damaged, [&](CArchive& ar) { coords.Serialize(ar); });
            const CTexturePlacement& front = coords.GetFrontPlacement();
            EXPECT_TRUE(front.IsEmpty() && front.pins.empty() && Matrix3IsIdentity(front.matrix))
                << number << " as " << bad;
        }
    }
}

TEST(FaceTextureCoordsTest, ACopyForACopiedFaceLeavesThePinsBehind)
{
    undotest::TestEnvironment environment;
    const CUndoSuspender suspender;
    CFaceTextureCoords coords;
    coords.SetFrontMatrix(kShifted);
    coords.SetFrontProjection(CVector3d(1, 0, 0), true);
    CTexturePlacement back;
    back.pins.push_back({CPoint2d(), CPoint2d(1, 1)});
    coords.SetBackPlacement(back);
    auto* copy = static_cast<CFaceTextureCoords*>(coords.CloneAttribute());
    EXPECT_TRUE(copy->GetBackPlacement().pins.empty());
    EXPECT_TRUE(Matrix3IsEqual(copy->GetFrontPlacement().matrix, kShifted, 0.0));
    EXPECT_FALSE(copy->GetFrontPlacement().direction != CVector3d(1, 0, 0));
    delete copy;
    auto* snapshot = static_cast<CFaceTextureCoords*>(coords.Clone());
    EXPECT_EQ(snapshot->GetBackPlacement().pins.size(), 1u);
    delete snapshot;
}

TEST(FaceTextureCoordsTest, TransformingUnplacedSidesRecordsNothing)
{
    entitytest::OpenOperation operation;
    CFaceTextureCoords* coords = nullptr;
    {
        const CUndoSuspender suspender;
        coords = new CFaceTextureCoords;
    }
    CTransformation shift;
    shift.SetTranslation(CVector3d(1, 0, 0));
    coords->Transform(shift, CPlane3d());
    EXPECT_EQ(operation.Get().FindRecord(coords), nullptr);
    coords->SetFrontProjection(CVector3d(0, 0, 1), true);
    coords->Transform(shift, CPlane3d());
    EXPECT_NE(operation.Get().FindRecord(coords), nullptr);
    const CUndoSuspender suspender;
    delete coords;
}

TEST(FaceTextureCoordsTest, MovingTheFaceCarriesThePlacementAndThePinsAlong)
{
    undotest::TestEnvironment environment;
    const CUndoSuspender suspender;
    CTexturePlacement placement;
    placement.SetMatrix(Matrix3Identity());
    placement.pins.push_back({CPoint2d(), CPoint2d(0, 0)});
    CTransformation shift;
    shift.SetTranslation(CVector3d(5, 6, 0));
    const CPlane3d plane;  // z = 0
    placement.Transform(shift, plane);

    // Where the shift puts the face's origin, in the plane frame of the moved face.
    CTransformation frame;
    frame.SetFromPlane(CPoint3d(), plane.GetNormal());
    const CPoint3d expected = frame.GetInverse() * CPoint3d(5, 6, 0);
    EXPECT_NEAR(placement.matrix[6], expected.x, 1e-9);
    EXPECT_NEAR(placement.matrix[7], expected.y, 1e-9);
    EXPECT_NEAR(placement.pins[0].facePoint.x, expected.x, 1e-9);
    EXPECT_NEAR(placement.pins[0].facePoint.y, expected.y, 1e-9);
    EXPECT_TRUE(Matrix3IsIdentity(Matrix3Product(placement.matrix, placement.inverse)));
}

TEST(PlacementMatrixTest, AnInverseIsNormalizedSoThatItsLastElementIsOne)
{
    const Matrix3 m{1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.5};
    const Matrix3 inverse = Matrix3Inverse(m);
    EXPECT_DOUBLE_EQ(inverse[8], 1.0);
    EXPECT_DOUBLE_EQ(inverse[0], 0.5);
    const Matrix3 twice{2.0, 0.0, 0.0, 0.0, 2.0, 0.0, 0.0, 0.0, 2.0};
    Matrix3 normalized = twice;
    Matrix3Normalize(normalized);
    EXPECT_TRUE(Matrix3IsIdentity(normalized));
    EXPECT_TRUE(Matrix3IsEqual(Matrix4To3(Matrix3To4(kShifted)), kShifted, 0.0));
    EXPECT_FALSE(Matrix3IsAffine(Matrix3{1, 0, 1, 0, 1, 0, 0, 0, 1}));
}

// The unused back side holds finite numbers whose inverse overflows: written back as read.
TEST(FaceTextureCoordsTest, AnUnusedMatrixWhoseInverseOverflowsIsWrittenBackAsRead)
{
    undotest::TestEnvironment environment;
    const Matrix3 huge{1e200, 0.0, 0.0, 0.0, 1e200, 0.0, 0.0, 0.0, 1.0};
    ASSERT_FALSE(Matrix3IsValid(Matrix3Inverse(huge)));
    const Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(nullptr);
        ar << std::int32_t{0};
        PutMatrix(ar, kShifted);
        ar << 0.0 << 0.0 << 0.0;
        PutMatrix(ar, huge);
        ar << 0.0 << 0.0 << 0.0;
        ar << std::int32_t{0} << std::int32_t{0};
        ar << std::uint32_t{1} << std::uint32_t{0};
    });
    CFaceTextureCoords* read = Read(bytes, 4);
    EXPECT_EQ(read->GetBackPlacement().matrix, huge);
    EXPECT_EQ(Store([&](CArchive& ar) { read->Serialize(ar); }), bytes);
    Dispose(read);
}
