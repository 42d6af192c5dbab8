#include <gtest/gtest.h>

#include "document/componentinstance.h"
#include "document/image.h"
#include "document/modelpointref.h"
#include "tests/document/componenttestsupport.h"
#include "tests/document/documenttestsupport.h"
#include "tests/document/operationtestsupport.h"
#include "annotations/text.h"
#include "model/edgeuse.h"
#include "model/entityset.h"
#include "model/loop.h"

using componenttest::OldFileVersions;
using componenttest::RecordBuilder;
using documenttest::Bytes;
using documenttest::Load;
using documenttest::Store;
using operationtest::Shift;
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

namespace {

// A definition holding the unit square, placed by an instance moved by (10, 0, 0).
class AttachedPointTest : public ::testing::Test
{
protected:
    AttachedPointTest()
    {
        m_definition = m_fixture.Definition("Box");
        m_instance = operationtest::ModelFixture::Place(
            m_fixture.Root(), m_definition, Shift(10, 0, 0));
        m_face = dynamic_cast<CFace*>(m_definition->GetEntityList().back());
        m_edge = m_face->GetOuterLoop()->GetFirstEdgeUse()->GetEdge();
        m_path.Push(m_instance);
    }

    CModelPointRef Attached(std::int32_t kind, CEntity* entity, const CPoint3d& parameters = CPoint3d()) const
    {
        CModelPointRef point;
        point.Set(kind, parameters, entity, m_path, nullptr, CInstancePath());
        return point;
    }

    operationtest::ModelFixture m_fixture;
    CComponentDefinition* m_definition = nullptr;
    CComponentInstance* m_instance = nullptr;
    CFace* m_face = nullptr;
    CEdge* m_edge = nullptr;
    CInstancePath m_path;
};

}  // namespace

TEST_F(AttachedPointTest, EachKindEvaluatesInModelCoordinatesThroughItsPath)
{
    const CPoint3d a = m_edge->GetStartVertex()->GetPosition();
    const CPoint3d b = m_edge->GetEndVertex()->GetPosition();
    const CPoint3d shift(10, 0, 0);
    const struct
    {
        std::int32_t kind;
        CEntity* entity;
        CPoint3d parameters;
        CPoint3d expected;
    } cases[] = {
        {CModelPointRef::kVertex, m_edge->GetStartVertex(), CPoint3d(), a + CVector3d(10, 0, 0)},
        {CModelPointRef::kEdgeMidpoint, m_edge, CPoint3d(), CPoint3d((a.x + b.x) / 2 + 10, (a.y + b.y) / 2, 0)},
        {CModelPointRef::kEdgePoint, m_edge, CPoint3d(0.25, 0, 0),
         CPoint3d(a.x * 0.75 + b.x * 0.25 + 10, a.y * 0.75 + b.y * 0.25, 0)},
        {CModelPointRef::kFacePoint, m_face, CPoint3d(0.5, 0.5, 0), CPoint3d(10.5, 0.5, 0)},
    };
    for (const auto& c : cases) {
        CModelPointRef point = Attached(c.kind, c.entity, c.parameters);
        EXPECT_TRUE(point.Evaluate().IsEqual(c.expected)) << "kind " << c.kind;
        EXPECT_TRUE(point.GetLocalPosition().IsEqual(CPoint3d(c.expected.x - shift.x, c.expected.y, c.expected.z))) << "kind " << c.kind;
    }
    CModelPointRef face = Attached(CModelPointRef::kFacePoint, m_face);
    CPlane3d plane;
    ASSERT_TRUE(face.HasPlane() && face.GetPlane(plane));
    EXPECT_NEAR(plane.GetDistance(CPoint3d(10, 5, 0)), 0.0, 1e-9);
}

TEST_F(AttachedPointTest, AFreePointMovesWithATransformAndAnEdgePointStaysOnItsEdge)
{
    const CTransformation lift = Shift(0, 0, 5);
    CModelPointRef free(CPoint3d(1, 2, 3));
    free.Transform(lift);
    EXPECT_TRUE(free.Evaluate().IsEqual(CPoint3d(1, 2, 8)));

    CModelPointRef onEdge = Attached(CModelPointRef::kEdgePoint, m_edge, CPoint3d(0.5, 0, 0));
    const CPoint3d before = onEdge.Evaluate();
    onEdge.Transform(lift);
    EXPECT_TRUE(onEdge.Evaluate().IsEqual(before));
}

TEST_F(AttachedPointTest, APathOfOneInstanceLosesItWhenTheInstanceGoesAndTheEntityMapsToItsCopy)
{
    CModelPointRef point = Attached(CModelPointRef::kVertex, m_edge->GetStartVertex());
    CVertex copy(CPoint3d(7, 7, 0));
    auto copyOf = [&](CEntity* entity) -> CEntity* { return entity == m_edge->GetStartVertex() ? &copy : nullptr; };
    EXPECT_FALSE(point.OnInstanceRemoved(nullptr, &copy, copyOf));
    EXPECT_TRUE(point.OnInstanceRemoved(nullptr, m_instance, copyOf));
    EXPECT_TRUE(point.GetFirstPath().IsEmpty());
    EXPECT_EQ(point.GetFirstEntity(), &copy);
    EXPECT_TRUE(point.Evaluate().IsEqual(CPoint3d(7, 7, 0)));
}

TEST_F(AttachedPointTest, ErasedEntitiesDetachIntoAFreePointAtTheLastPosition)
{
    CModelPointRef point = Attached(CModelPointRef::kVertex, m_edge->GetStartVertex());
    const CPoint3d where = point.Evaluate();
    EXPECT_TRUE(point.RefersTo(m_instance));
    CEntitySet set;
    set.Add(m_instance);
    EXPECT_TRUE(point.IsContainedIn(set));

    point.OnReferenceChanged(nullptr, kReferenceErased, m_edge->GetStartVertex(), nullptr);
    EXPECT_EQ(point.GetKind(), CModelPointRef::kFreePoint);
    EXPECT_EQ(point.GetFirstEntity(), nullptr);
    EXPECT_FALSE(point.RefersTo(m_instance));
    EXPECT_TRUE(point.Evaluate().IsEqual(where));
}

TEST_F(AttachedPointTest, AFacePointStaysWhileItsPositionIsOnTheChangedFaceAndDetachesOnceItIsNot)
{
    const struct
    {
        CPoint3d position;
        std::int32_t kind;
    } cases[] = {{CPoint3d(10.25, 0.75, 0), CModelPointRef::kFacePoint}, {CPoint3d(13, 3, 0), CModelPointRef::kFreePoint}};
    for (const auto& c : cases) {
        CModelPointRef point = Attached(CModelPointRef::kFacePoint, m_face, CPoint3d(0.5, 0.5, 0));
        point.SetPosition(c.position);
        point.OnReferenceChanged(nullptr, kNotifyModified, m_face, nullptr);
        EXPECT_EQ(point.GetKind(), c.kind);
        EXPECT_TRUE(point.Evaluate().IsEqual(c.position));
    }
}

TEST_F(AttachedPointTest, MissingBackReferencesAreCountedAndRepaired)
{
    ASSERT_NE(m_fixture.Model().GetEntitySet(), nullptr);  // makes the back-reference map
    CText owner;
    CModelPointRef point = Attached(CModelPointRef::kVertex, m_edge->GetStartVertex());
    EXPECT_EQ(point.CheckReferences(&owner, false), 2);  // the vertex and the instance
    EXPECT_EQ(point.CheckReferences(&owner, true), 2);
    EXPECT_EQ(point.CheckReferences(&owner, false), 0);
    point.RemoveReferences(&owner);
    EXPECT_EQ(point.CheckReferences(&owner, false), 2);
}
