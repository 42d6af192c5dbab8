#include <gtest/gtest.h>

#include "document/componentinstance.h"
#include "document/instancepath.h"
#include "foundation/transformation.h"
#include "model/entity.h"
#include "model/undosuspender.h"

namespace {

class InstancePathTest : public ::testing::Test
{
protected:
    const CUndoSuspender m_suspender;
    CEntity m_a;
    CEntity m_b;
    CEntity m_c;
};

}  // namespace

TEST_F(InstancePathTest, AnEmptyPathAnswersNullAndIgnoresPop)
{
    CInstancePath path;
    path.Pop();
    EXPECT_EQ(path.Back(), nullptr);
    EXPECT_EQ(path.Front(), nullptr);
    EXPECT_EQ(path.GetAt(0), nullptr);
    EXPECT_FALSE(path.Contains(nullptr));
}

TEST_F(InstancePathTest, PositionsOutsideThePathAnswerNull)
{
    CInstancePath path;
    path.Push(&m_a);
    path.Push(&m_b);
    EXPECT_EQ(path.GetAt(-1), nullptr);
    EXPECT_EQ(path.GetAt(2), nullptr);
    EXPECT_EQ(path.GetAt(1), &m_b);
    EXPECT_EQ(path.Front(), &m_a);
    EXPECT_EQ(path.Back(), &m_b);
    path.Pop();
    EXPECT_EQ(path.Back(), &m_a);
}

TEST_F(InstancePathTest, PathsAreEqualOnlyWithTheSameEntriesInTheSameOrder)
{
    CInstancePath forward;
    forward.Push(&m_a);
    forward.Push(&m_b);
    forward.Push(&m_c);
    CInstancePath backward;
    backward.Push(&m_a);
    backward.Push(&m_c);
    backward.Push(&m_b);
    EXPECT_FALSE(forward == backward);
    EXPECT_EQ(forward.CommonPrefixLength(backward), 1);

    CInstancePath copy(forward);
    EXPECT_TRUE(copy == forward);
    EXPECT_EQ(copy.CommonPrefixLength(forward), 3);
    copy.Pop();
    EXPECT_FALSE(copy == forward);
    EXPECT_EQ(copy.CommonPrefixLength(forward), 2);
}


TEST(InstancePathTransformTest, ThePathTransformMultipliesFromTheOutermostInwardsAndStopsAtANonInstance)
{
    const CUndoSuspender suspender;
    CComponentInstance outer;
    CComponentInstance inner;
    CTransformation move;
    move.SetTranslation(CVector3d(10, 0, 0));
    outer.SetTransform(move);
    CTransformation scale = CTransformation::Scaling(2, 2, 2);
    inner.SetTransform(scale);

    CInstancePath path;
    path.Push(&outer);
    path.Push(&inner);
    CTransformation product;
    path.GetTransform(product);
    EXPECT_TRUE(product * CPoint3d(1, 0, 0) == CPoint3d(12, 0, 0));
    EXPECT_EQ(path.GetInstance(1), &inner);
    EXPECT_EQ(path.GetInstance(2), nullptr);

    CEntity notAnInstance;
    path.Clear();
    path.Push(&outer);
    path.Push(&notAnInstance);
    path.Push(&inner);
    path.GetTransform(product);
    EXPECT_TRUE(product * CPoint3d(1, 0, 0) == CPoint3d(11, 0, 0));
    EXPECT_EQ(path.GetInstance(1), nullptr);
}
