#include <gtest/gtest.h>

#include "document/componentinstance.h"
#include "document/image.h"
#include "document/modelpointref.h"
#include "tests/document/componenttestsupport.h"
#include "tests/document/documenttestsupport.h"

using componenttest::OldFileVersions;
using componenttest::RecordBuilder;
using documenttest::Bytes;
using documenttest::Load;
using documenttest::Store;
using undotest::TestEnvironment;

namespace {

class ModelPointRefTest : public ::testing::Test
{
protected:
    TestEnvironment m_environment;
    const CUndoSuspender m_suspender;
};

}  // namespace

TEST_F(ModelPointRefTest, AReferenceWrittenAndReadBackKeepsItsEntitiesAndPathsAndBytes)
{
    CImage image;
    CComponentInstance outer;
    CComponentInstance inner;
    CInstancePath first;
    first.Push(&outer);
    first.Push(&inner);
    CInstancePath second;
    second.Push(&outer);
    CModelPointRef reference;
    reference.Set(CModelPointRef::kImagePoint, CPoint3d(0.25, 0.5, 0), &image, first, &inner, second);

    const Bytes written = Store([&](CArchive& ar) { reference.Write(ar); });
    CModelPointRef read;
    CObject* objects[3] = {};
    Load(written, [&](CArchive& ar) {
        read.Read(ar);
        objects[0] = read.GetFirstEntity();
        objects[1] = read.GetFirstPath().GetAt(0);
        objects[2] = read.GetSecondEntity();
    });
    EXPECT_EQ(read.GetKind(), CModelPointRef::kImagePoint);
    EXPECT_TRUE(read.GetParameters() == CPoint3d(0.25, 0.5, 0));
    ASSERT_NE(dynamic_cast<CImage*>(objects[0]), nullptr);
    EXPECT_EQ(read.GetFirstPath().GetCount(), 2);
    EXPECT_EQ(read.GetSecondPath().GetCount(), 1);
    EXPECT_EQ(read.GetSecondPath().GetAt(0), objects[1]);
    EXPECT_EQ(read.GetFirstPath().GetAt(1), objects[2]);
    EXPECT_EQ(Store([&](CArchive& ar) { read.Write(ar); }), written);
    for (CObject* object : {objects[0], objects[1], objects[2]}) {
        delete object;
    }
}

TEST_F(ModelPointRefTest, APendingDetachIsWrittenAsAFreePointAtTheLastPosition)
{
    CComponentInstance instance;
    CInstancePath path;
    path.Push(&instance);
    CModelPointRef reference;
    reference.Set(CModelPointRef::kVertex, CPoint3d(), &instance, path, nullptr, CInstancePath());
    reference.SetPosition(CPoint3d(7, 8, 9));
    reference.SetDetachPending(true);

    const Bytes written = Store([&](CArchive& ar) { reference.Write(ar); });
    EXPECT_FALSE(reference.IsDetachPending());
    EXPECT_EQ(reference.GetKind(), CModelPointRef::kVertex);
    CModelPointRef read;
    Load(written, [&](CArchive& ar) { read.Read(ar); });
    EXPECT_EQ(read.GetKind(), CModelPointRef::kFreePoint);
    EXPECT_TRUE(read.GetParameters() == CPoint3d(7, 8, 9));
    EXPECT_EQ(read.GetFirstEntity(), nullptr);
    EXPECT_TRUE(read.GetFirstPath().IsEmpty());
}

TEST_F(ModelPointRefTest, OldRecordsReadWithoutTheSecondPathAndOldImagePointsDropTheImageStep)
{
    struct Case
    {
        int version;
        int firstPathLength;
    };
    // The image point names two instances; before version 2 the last was the image itself.
    for (const Case c : {Case{0, 1}, Case{1, 1}, Case{2, 2}, Case{3, 2}}) {
        SCOPED_TRACE(c.version);
        RecordBuilder b;
        b.Int(CModelPointRef::kImagePoint).Int(c.version).Point(CPoint3d(0.5, 0.5, 0));
        const int image = b.NewObject("CImage");
        b.ElementPart().Null().Transform(CTransformation()).String("");
        if (c.version >= 1) {
            b.Null();
        }
        b.Int(2);
        b.NewObject("CComponentInstance");
        b.ElementPart().Null().Transform(CTransformation()).String("");
        b.Ref(image);
        b.Int(0x5EED);
        CModelPointRef read;
        CObject* made[2] = {};
        {
            const OldFileVersions versions({});
            Load(b.Get(), [&](CArchive& ar) {
                read.Read(ar);
                std::int32_t sentinel = 0;
                ar >> sentinel;
                EXPECT_EQ(sentinel, 0x5EED);
                made[0] = ar.GetLoadedObject(2);
                made[1] = ar.GetLoadedObject(4);
            });
        }
        EXPECT_EQ(read.GetFirstPath().GetCount(), c.firstPathLength);
        EXPECT_TRUE(read.GetSecondPath().IsEmpty());
        delete made[0];
        delete made[1];
    }
}
