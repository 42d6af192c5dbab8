#include "foundation/typedvalue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "foundation/point3d.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "foundation/vector3d.h"
#include "platform/exceptions.h"
#include "tests/foundation/valuebytes.h"

using orvell::utils::CConversionError;
using orvell::utils::CTypedValue;
using valuetests::Bytes;
using valuetests::LoadBytes;
using valuetests::StoreBytes;

namespace {

CTypedValue ReadValue(const Bytes& bytes)
{
    CTypedValue value;
    LoadBytes(bytes, [&](CArchive& ar) { ar >> value; });
    return value;
}

Bytes WriteValue(const CTypedValue& value)
{
    return StoreBytes([&](CArchive& ar) { ar << value; });
}

CTypedValue StringValue(const char* text)
{
    CTypedValue value;
    value.SetString(CString(text));
    return value;
}

CTypedValue PointValue(double x, double y, double z)
{
    CTypedValue value;
    value.SetPoint(CPoint3d(x, y, z));
    return value;
}

CTypedValue IntValue(int number)
{
    CTypedValue value;
    value.SetInt(number);
    return value;
}

int ThrownType(const std::function<void()>& convert)
{
    try {
        convert();
    } catch (const CConversionError& error) {
        return error.m_requestedType;
    }
    return -1;
}

int ArchiveCause(const Bytes& bytes)
{
    try {
        (void)ReadValue(bytes);
    } catch (const CArchiveException& error) {
        return error.m_cause;
    }
    return -1;
}

} // namespace

TEST(TypedValueTest, CopiesShareAStringThatOutlivesTheOriginal)
{
    CTypedValue original = StringValue("walls");
    CTypedValue copy(original);
    ASSERT_EQ(copy.GetPayload(), original.GetPayload());
    EXPECT_EQ(copy.GetPayload()->GetRefCount(), 2);

    original.Clear();
    EXPECT_TRUE(original.IsEmpty());
    EXPECT_EQ(original.GetPayload(), nullptr);
    CString text;
    ASSERT_TRUE(copy.GetString(text));
    EXPECT_EQ(text, CString("walls"));
    EXPECT_EQ(copy.GetPayload()->GetRefCount(), 1);
}

TEST(TypedValueTest, AssignmentReleasesTheOldPayloadAndSurvivesSelfAssignment)
{
    CTypedValue a = StringValue("a");
    CTypedValue b = StringValue("b");
    a = b;
    EXPECT_EQ(a.GetPayload(), b.GetPayload());
    EXPECT_EQ(b.GetPayload()->GetRefCount(), 2);
    a = a;
    EXPECT_EQ(b.GetPayload()->GetRefCount(), 2);

    CTypedValue moved(std::move(a));
    EXPECT_TRUE(a.IsEmpty());  // NOLINT: the moved-from value is empty by contract
    EXPECT_EQ(b.GetPayload()->GetRefCount(), 2);
    moved = IntValue(3);
    EXPECT_EQ(b.GetPayload()->GetRefCount(), 1);
}

TEST(TypedValueTest, TransformingACopyLeavesTheSharedPointAlone)
{
    const CTypedValue source = PointValue(1.0, 2.0, 3.0);
    CTypedValue copy(source);
    EXPECT_EQ(source.GetPayload()->GetRefCount(), 2);

    CTransformation move;
    move.SetTranslation(CVector3d(10.0, 0.0, 0.0));
    EXPECT_TRUE(copy.Transform(move));
    EXPECT_NE(copy.GetPayload(), source.GetPayload());
    EXPECT_EQ(source.GetPayload()->GetRefCount(), 1);

    CPoint3d point;
    ASSERT_TRUE(source.GetPoint(point));
    EXPECT_EQ(point.x, 1.0);
    ASSERT_TRUE(copy.GetPoint(point));
    EXPECT_EQ(point.x, 11.0);
}

TEST(TypedValueTest, TransformingAnArrayCopiesItFirst)
{
    CTypedValue array;
    array.SetArray({StringValue("label"), PointValue(0.0, 0.0, 0.0)});
    const CTypedValue shared(array);
    CTransformation move;
    move.SetTranslation(CVector3d(0.0, 0.0, 7.0));
    EXPECT_TRUE(array.Transform(move));
    EXPECT_NE(array.GetPayload(), shared.GetPayload());

    CPoint3d point;
    ASSERT_TRUE((*shared.GetArray())[1].GetPoint(point));
    EXPECT_EQ(point.z, 0.0);
    ASSERT_TRUE((*array.GetArray())[1].GetPoint(point));
    EXPECT_EQ(point.z, 7.0);

    CTypedValue plain;
    plain.SetArray({IntValue(1)});
    EXPECT_FALSE(plain.Transform(move));
    EXPECT_FALSE(IntValue(4).Transform(move));
}

TEST(TypedValueTest, DirectionsAreKeptAsSetAndNormalisedWhenRead)
{
    CUnitVector3d stored;
    stored.z = 2.0;
    CTypedValue direction;
    direction.SetUnitVector(stored);
    CUnitVector3d read;
    ASSERT_TRUE(direction.GetUnitVector(read));
    EXPECT_EQ(read.z, 1.0);
    EXPECT_EQ(WriteValue(direction), StoreBytes([](CArchive& ar) { ar << BYTE{19} << 0.0 << 0.0 << 1.0; }));

    CUnitVector3d tiny;
    tiny.x = 1e-12;
    direction.SetUnitVector(tiny);
    ASSERT_TRUE(direction.GetUnitVector(read));
    EXPECT_EQ(read.x, 0.0);
}

TEST(TypedValueTest, ConversionsFollowTheTypeCode)
{
    CTypedValue value;
    value.SetDouble(2.9);
    EXPECT_EQ(value.AsInt(), 2);
    value.SetDouble(-2.9);
    EXPECT_EQ(value.AsInt(), -2);
    EXPECT_TRUE(value.AsBool());
    value.SetBool(true);
    EXPECT_EQ(value.AsInt(), 1);
    EXPECT_EQ(value.AsDouble(), 1.0);

    value.SetColor(CColor(1, 0, 0, 0));
    EXPECT_EQ(value.AsInt(), 1);
    EXPECT_EQ(ThrownType([&] { (void)value.AsDouble(); }), 6);
    EXPECT_EQ(ThrownType([&] { (void)value.AsBool(); }), 7);

    value.SetDouble(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(value.AsBool());
    EXPECT_EQ(value.AsInt(), 0);
    value.SetDouble(1e300);
    EXPECT_EQ(value.AsInt(), std::numeric_limits<int>::max());

    const CTypedValue text = StringValue("x");
    EXPECT_EQ(ThrownType([&] { (void)text.AsBool(); }), 7);
    bool flag = false;
    EXPECT_FALSE(text.GetBool(flag));
    EXPECT_TRUE(flag);
}

TEST(TypedValueTest, SmallIntegersFromAFileConvertWithTheirSign)
{
    const CTypedValue word = ReadValue(Bytes{3, 0xFF, 0xFF});
    EXPECT_EQ(word.AsInt(), -1);
    EXPECT_TRUE(word.AsBool());
    EXPECT_EQ(word.AsDouble(), -1.0);

    EXPECT_EQ(ReadValue(Bytes{2, 200}).AsInt(), 200);
    const CTypedValue length = ReadValue(StoreBytes([](CArchive& ar) { ar << BYTE{12} << 2.5; }));
    EXPECT_EQ(length.AsInt(), 2);
    const CTypedValue single = ReadValue(StoreBytes([](CArchive& ar) { ar << BYTE{5} << -1.75f; }));
    EXPECT_EQ(single.AsDouble(), -1.75);
    EXPECT_EQ(single.AsInt(), -1);
}

TEST(TypedValueTest, LongValuesKeepTheirLowBitsAndConvertToNothing)
{
    const CTypedValue wide = ReadValue(Bytes{9, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0});
    EXPECT_EQ(wide.GetType(), CTypedValue::kLong);
    int number = 5;
    EXPECT_FALSE(wide.GetInt(number));
    EXPECT_EQ(number, 0);
    EXPECT_EQ(WriteValue(wide), (Bytes{9, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(TypedValueTest, ArraysAreGeometricWhenAnyElementIs)
{
    CTypedValue array;
    array.SetArray({StringValue("s"), PointValue(1.0, 2.0, 3.0)});
    EXPECT_TRUE(array.IsGeometric());
    CTypedValue nested;
    nested.SetArray({IntValue(1), array});
    EXPECT_TRUE(nested.IsGeometric());
    CTypedValue empty;
    empty.SetArray({});
    EXPECT_FALSE(empty.IsGeometric());
    EXPECT_FALSE(StringValue("s").IsGeometric());
}

TEST(TypedValueTest, ColoursInValuesAreWrittenOpaqueButReadAsStored)
{
    CTypedValue color;
    color.SetColor(CColor(1, 2, 3, 0));
    EXPECT_EQ(WriteValue(color), (Bytes{8, 1, 2, 3, 0xFF}));
    CColor read;
    ASSERT_TRUE(ReadValue(Bytes{8, 1, 2, 3, 0}).GetColor(read));
    EXPECT_EQ(read, CColor(1, 2, 3, 0));
}

TEST(TypedValueTest, EveryKindRoundTripsThroughTheArchive)
{
    CTypedValue flag;
    flag.SetBool(true);
    CTypedValue number;
    number.SetDouble(-0.25);
    CTypedValue vector;
    vector.SetVector(CVector3d(1.0, -2.0, 3.0));
    CTypedValue inner;
    inner.SetArray({StringValue("deep"), IntValue(-7)});
    CTypedValue array;
    array.SetArray({flag, number, vector, inner, CTypedValue(), StringValue("")});

    const Bytes bytes = WriteValue(array);
    const CTypedValue read = ReadValue(bytes);
    EXPECT_EQ(WriteValue(read), bytes);
    const std::vector<CTypedValue>& elements = *read.GetArray();
    ASSERT_EQ(elements.size(), 6u);
    EXPECT_TRUE(elements[0].AsBool());
    EXPECT_EQ(elements[1].AsDouble(), -0.25);
    EXPECT_EQ((*elements[3].GetArray())[1].AsInt(), -7);
    EXPECT_TRUE(elements[4].IsEmpty());
}

TEST(TypedValueTest, CodesWithoutPayloadKeepTheirCodeAndBoolBytesAreNormalised)
{
    EXPECT_EQ(WriteValue(ReadValue(Bytes{7, 2})), (Bytes{7, 1}));
    for (BYTE code : {BYTE{1}, BYTE{20}, BYTE{255}}) {
        const CTypedValue value = ReadValue(Bytes{code});
        EXPECT_EQ(value.GetType(), code);
        EXPECT_EQ(WriteValue(value), Bytes{code});
    }
}

TEST(TypedValueTest, AnArrayWithoutElementsReadsAsEmptyAndConsumesOnlyItsCount)
{
    for (std::int32_t count : {0, -5}) {
        CTypedValue first;
        CTypedValue second;
        const Bytes bytes = StoreBytes([&](CArchive& ar) { ar << BYTE{11} << count << BYTE{7} << BYTE{1}; });
        LoadBytes(bytes, [&](CArchive& ar) { ar >> first >> second; });
        EXPECT_TRUE(first.IsEmpty());
        EXPECT_TRUE(second.AsBool());
    }
}

TEST(TypedValueTest, AnArrayCountBeyondTheDataIsRefusedBeforeAllocating)
{
    const Bytes bytes = StoreBytes([](CArchive& ar) { ar << BYTE{11} << std::int32_t{0x7FFFFFFF} << BYTE{0}; });
    EXPECT_EQ(ArchiveCause(bytes), CArchiveException::endOfFile);
}

TEST(TypedValueTest, ArraysNestedTooDeeplyAreRefused)
{
    const auto nested = [](int depth) {
        return StoreBytes([depth](CArchive& ar) {
            for (int i = 0; i < depth; ++i) {
                ar << BYTE{11} << std::int32_t{1};
            }
            ar << BYTE{0};
        });
    };
    const CTypedValue deepest = ReadValue(nested(CTypedValue::kMaxArrayNesting));
    EXPECT_EQ(deepest.GetType(), CTypedValue::kArray);
    EXPECT_EQ(ArchiveCause(nested(CTypedValue::kMaxArrayNesting + 1)), CArchiveException::genericException);
}

TEST(TypedValueTest, ValuesNestedDeeperThanAReaderTakesAreNotWritten)
{
    // Once writing recursed without a limit and made files no reader could open.
    const auto nestedValue = [](int depth) {
        CTypedValue value;
        value.SetInt(7);
        for (int i = 0; i < depth; ++i) {
            CTypedValue outer;
            outer.SetArray({value});
            value = outer;
        }
        return value;
    };
    const CTypedValue deepest = nestedValue(CTypedValue::kMaxArrayNesting);
    EXPECT_EQ(ReadValue(StoreBytes([&](CArchive& ar) { deepest.Write(ar); })).GetType(), CTypedValue::kArray);
    const CTypedValue tooDeep = nestedValue(CTypedValue::kMaxArrayNesting + 1);
    try {
        (void)StoreBytes([&](CArchive& ar) { tooDeep.Write(ar); });
        ADD_FAILURE() << "a value nested too deeply was written";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::genericException);
    }
}

TEST(TypedValueTest, AFailedReadRaisesEndOfFileAndLeavesTheValueEmpty)
{
    EXPECT_EQ(ArchiveCause(Bytes{17, 0, 0, 0, 0, 0, 0, 0, 0}), CArchiveException::endOfFile);
    EXPECT_EQ(ArchiveCause(Bytes{11, 2, 0, 0, 0, 4, 1, 0, 0, 0}), CArchiveException::endOfFile);
    CTypedValue value = StringValue("before");
    EXPECT_THROW(LoadBytes(Bytes{4, 1}, [&](CArchive& ar) { ar >> value; }), CArchiveException);
    EXPECT_TRUE(value.IsEmpty());
}
