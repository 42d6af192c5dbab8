#include "foundation/geometryarchive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "foundation/arc3d.h"
#include "foundation/boundedline3d.h"
#include "foundation/transformation.h"
#include "platform/archive.h"
#include "platform/memfile.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes Store(const std::function<void(CArchive&)>& write)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    write(ar);
    ar.Close();
    return file.Detach();
}

// Reads from the bytes and answers how many of them were consumed.
std::size_t Load(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    read(ar);
    return bytes.size() - static_cast<std::size_t>(ar.GetRemainingBytes());
}

Bytes DoublesToBytes(std::initializer_list<double> values)
{
    return Store([&](CArchive& ar) {
        for (const double value : values) {
            ar << value;
        }
    });
}

TEST(GeometryArchive, PointsAreThreeLittleEndianDoubles)
{
    const Bytes bytes = Store([](CArchive& ar) { ar << CPoint3d(1.0, -2.0, 0.5); });
    ASSERT_EQ(bytes.size(), 24u);
    // 1.0 is 0x3FF0000000000000, low byte first.
    EXPECT_EQ(bytes[7], 0x3F);
    EXPECT_EQ(bytes, DoublesToBytes({1.0, -2.0, 0.5}));
    CPoint3d p;
    EXPECT_EQ(Load(bytes, [&](CArchive& ar) { ar >> p; }), 24u);
    EXPECT_EQ(p.y, -2.0);
}

TEST(GeometryArchive, DirectionsAndPlanesAreReadBackWithoutNormalizing)
{
    const Bytes bytes = DoublesToBytes({0.0, 0.0, 2.0, 0.0, 3.0, 0.0, -6.0});
    CUnitVector3d direction;
    CPlane3d plane;
    EXPECT_EQ(Load(bytes, [&](CArchive& ar) { ar >> direction >> plane; }), 56u);
    EXPECT_EQ(direction.z, 2.0);
    EXPECT_EQ(plane.b, 3.0);
    EXPECT_EQ(plane.d, -6.0);
    EXPECT_EQ(Store([&](CArchive& ar) { ar << direction << plane; }), bytes);
}

TEST(GeometryArchive, LinesStoreOriginDirectionAndParameters)
{
    CBoundedLine3d segment(CPoint3d(1.0, 2.0, 3.0), CPoint3d(1.0, 2.0, 7.0));
    const Bytes bytes = Store([&](CArchive& ar) { ar << segment.line << segment; });
    ASSERT_EQ(bytes.size(), 48u + 64u);
    EXPECT_EQ(Bytes(bytes.begin() + 48, bytes.end()), DoublesToBytes({1.0, 2.0, 3.0, 0.0, 0.0, 1.0, 0.0, 4.0}));
    CLine3d line;
    CBoundedLine3d bounded;
    Load(bytes, [&](CArchive& ar) { ar >> line >> bounded; });
    EXPECT_EQ(line.origin, segment.line.origin);
    EXPECT_EQ(bounded.end, 4.0);
    EXPECT_EQ(bounded.start, 0.0);
}

TEST(GeometryArchive, TransformationsStoreThirteenNumbersWhateverTheFlags)
{
    CTransformation scale;
    scale.SetUniformScale(2.0);
    const Bytes bytes = Store([&](CArchive& ar) { ar << CTransformation() << scale; });
    ASSERT_EQ(bytes.size(), 208u);
    EXPECT_EQ(Bytes(bytes.begin() + 104, bytes.end()),
              DoublesToBytes({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 2.0}));
    CTransformation first;
    CTransformation second;
    Load(bytes, [&](CArchive& ar) { ar >> first >> second; });
    EXPECT_TRUE(first.HasIdentityFlag());
    EXPECT_FALSE(second.HasIdentityFlag());
    EXPECT_EQ(second.GetScale(), 2.0);
}

TEST(GeometryArchive, ATransformationNearTheIdentityIsReadAsTheExactIdentity)
{
    CTransformation t;
    Load(DoublesToBytes({1, 0, 0, 0, 1, 0, 0, 0, 1, 0.0005, 0, 0, 1}), [&](CArchive& ar) { ar >> t; });
    EXPECT_TRUE(t.HasIdentityFlag());
    EXPECT_EQ(t.GetTranslation().x, 0.0);

    // Far from the origin it is a translation; its matrix still becomes exact.
    Load(DoublesToBytes({1.0002, 0, 0, 0, 0.9999, 0, 0, 0, 1, 5, 0, 0, 1}), [&](CArchive& ar) { ar >> t; });
    EXPECT_FALSE(t.HasIdentityFlag());
    EXPECT_TRUE(t.HasOrthonormalFlag());
    EXPECT_EQ(t.GetMatrix()[0], 1.0);
    EXPECT_EQ(t.GetMatrix()[4], 1.0);
    EXPECT_EQ(t.GetTranslation().x, 5.0);
}

TEST(GeometryArchive, ARotationWithSlightlyOffAxesIsReadRebuilt)
{
    // A rotation about z by 90 degrees whose axes are a few millionths too long.
    CTransformation t;
    Load(DoublesToBytes({0, -1.000003, 0, 1.000002, 0, 0, 0, 0, 0.999996, 1, 2, 3, 1}),
         [&](CArchive& ar) { ar >> t; });
    EXPECT_TRUE(t.HasOrthonormalFlag());
    const double expected[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(t.GetMatrix()[i], expected[i], 1e-15) << "element " << i;
    }
    EXPECT_FALSE(t.IsMirrored());
    EXPECT_EQ(t.GetTranslation(), CVector3d(1.0, 2.0, 3.0));
}

TEST(GeometryArchive, WrongDirectionAndShortDataRaiseArchiveExceptions)
{
    const Bytes bytes = DoublesToBytes({1.0, 2.0});
    EXPECT_THROW(Load(bytes, [](CArchive& ar) { ar << CPoint3d(); }), CArchiveException);
    CPoint3d p;
    EXPECT_THROW(Load(bytes, [&](CArchive& ar) { ar >> p; }), CArchiveException);
    CTransformation t;
    t.SetUniformScale(3.0);
    EXPECT_THROW(Load(DoublesToBytes({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}), [&](CArchive& ar) { ar >> t; }),
                 CArchiveException);
    // A transformation is only replaced once all 13 numbers have arrived.
    EXPECT_EQ(t.GetScale(), 3.0);
}

TEST(GeometryArchive, ArcsWriteFourteenDoublesAndReadElevenForOldRecords)
{
    CArc3d arc;
    arc.centre = CPoint3d(1.0, 2.0, 3.0);
    arc.xAxis = CVector3d(2.0, 0.0, 0.0);
    arc.Update(true);
    arc.endAngle = kPi;
    const Bytes bytes = Store([&](CArchive& ar) { arc.Serialize(ar, false); });
    EXPECT_EQ(bytes, DoublesToBytes({1, 2, 3, 0, 0, 1, 2, 0, 0, 0, kPi, 0, 2, 0}));

    CArc3d old;
    EXPECT_EQ(Load(bytes, [&](CArchive& ar) { old.Serialize(ar, false); }), 88u);
    EXPECT_EQ(old.yAxis, CVector3d(0.0, 2.0, 0.0));
    EXPECT_EQ(old.radius, 2.0);
    EXPECT_EQ(old.plane.d, -3.0);

    // A stored y axis is kept as it was, even when it disagrees with the normal.
    Bytes withY = bytes;
    const Bytes leaning = DoublesToBytes({0.5, 2.0, 0.0});
    std::memcpy(withY.data() + 88, leaning.data(), leaning.size());
    CArc3d current;
    EXPECT_EQ(Load(withY, [&](CArchive& ar) { current.Serialize(ar, true); }), 112u);
    EXPECT_EQ(current.yAxis, CVector3d(0.5, 2.0, 0.0));
    EXPECT_EQ(current.endAngle, kPi);
}

// A NaN corner once reached the tessellator and crashed the program.
TEST(GeometryArchive, EveryReaderRefusesEachNumberThatIsNotFiniteAndKeepsNegativeZeroAndHugeNumbers)
{
    const struct
    {
        const char* name;
        int count;
        std::function<void(CArchive&)> read;
    } readers[] = {
        {"point", 3, [](CArchive& ar) { CPoint3d p; ar >> p; }},
        {"vector", 3, [](CArchive& ar) { CVector3d v; ar >> v; }},
        {"direction", 3, [](CArchive& ar) { CUnitVector3d u; ar >> u; }},
        {"plane", 4, [](CArchive& ar) { CPlane3d plane; ar >> plane; }},
        {"line", 6, [](CArchive& ar) { CLine3d line; ar >> line; }},
        {"bounded line", 8, [](CArchive& ar) { CBoundedLine3d line; ar >> line; }},
        {"transformation", 13, [](CArchive& ar) { CTransformation t; ar >> t; }},
        {"old arc", 11, [](CArchive& ar) { CArc3d arc; arc.Serialize(ar, false); }},
        {"arc", 14, [](CArchive& ar) { CArc3d arc; arc.Serialize(ar, true); }},
        {"number", 1, [](CArchive& ar) { double number = 0.0; ar >> Finite(number); }},
    };
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const double refused[] = {std::numeric_limits<double>::quiet_NaN(), kInf, -kInf};
    for (const auto& reader : readers) {
        for (int index = 0; index < reader.count; ++index) {
            const auto read = [&](double value) {
                const Bytes bytes = Store([&](CArchive& ar) {
                    for (int i = 0; i < reader.count; ++i) {
                        ar << (i == index ? value : 1.0);
                    }
                });
                try {
                    Load(bytes, reader.read);
                } catch (const CArchiveException& e) {
                    EXPECT_EQ(e.m_cause, CArchiveException::genericException);
                    return e.GetReason().ToUtf8();
                }
                return std::string();
            };
            for (const double value : refused) {
                EXPECT_EQ(read(value), "a number is not finite") << reader.name << " " << index << " " << value;
            }
            for (const double value : {-0.0, 1e300, -std::numeric_limits<double>::max()}) {
                EXPECT_EQ(read(value), "") << reader.name << " " << index << " " << value;
            }
        }
    }
}

}  // namespace
