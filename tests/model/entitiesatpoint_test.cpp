#include "model/entitiesatpoint.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "document/instancepath.h"
#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "model/edge.h"
#include "model/entitycontainer.h"
#include "model/entityset.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "model/vertex.h"

namespace {

// A 10 by 10 square face in the XY plane with its four edges.
class EntitiesAtPointTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::array<CPoint3d, 4> corners{CPoint3d(0, 0, 0), CPoint3d(10, 0, 0), CPoint3d(10, 10, 0),
                                              CPoint3d(0, 10, 0)};
        for (std::size_t i = 0; i < corners.size(); ++i) {
            m_vertices[i] = new CVertex(corners[i]);
        }
        for (std::size_t i = 0; i < corners.size(); ++i) {
            m_edges[i] = new CEdge(m_vertices[i], m_vertices[(i + 1) % 4], false);
        }
        m_face = new CFace(4, m_edges.data(), CPlane3d());
    }

    void TearDown() override
    {
        // A vertex goes with its last edge.
        const CUndoSuspender suspender;
        m_face->Erase();
        for (CEdge* edge : m_edges) {
            edge->Erase();
        }
    }

    std::array<CVertex*, 4> m_vertices{};
    std::array<CEdge*, 4> m_edges{};
    CFace* m_face = nullptr;
};

TEST_F(EntitiesAtPointTest, AnEdgeIsHitWithinAThousandthOfItsSegmentOnly)
{
    CInstancePath path;
    EXPECT_TRUE(EntityHitsPoint(CPoint3d(5, 0.0005, 0), m_edges[0], path));
    ASSERT_EQ(path.GetCount(), 1);
    EXPECT_EQ(path.Back(), m_edges[0]);

    CInstancePath missed;
    EXPECT_FALSE(EntityHitsPoint(CPoint3d(5, 0.002, 0), m_edges[0], missed));
    EXPECT_FALSE(EntityHitsPoint(CPoint3d(10.5, 0, 0), m_edges[0], missed));
    EXPECT_TRUE(missed.IsEmpty());
}

TEST_F(EntitiesAtPointTest, AFaceIsHitInsideAndOnItsBoundaryButNotOffItsPlaneOrOutside)
{
    CInstancePath path;
    EXPECT_TRUE(EntityHitsPoint(CPoint3d(5, 5, 0), m_face, path));
    EXPECT_EQ(path.Back(), m_face);
    EXPECT_TRUE(EntityHitsPoint(CPoint3d(10, 5, 0), m_face, path));
    EXPECT_TRUE(EntityHitsPoint(CPoint3d(0, 0, 0), m_face, path));

    CInstancePath missed;
    EXPECT_FALSE(EntityHitsPoint(CPoint3d(20, 5, 0), m_face, missed));
    EXPECT_FALSE(EntityHitsPoint(CPoint3d(5, 5, 0.01), m_face, missed));
    EXPECT_FALSE(EntityHitsPoint(CPoint3d(5, 5, 0), m_vertices[0], missed));
    EXPECT_FALSE(EntityHitsPoint(CPoint3d(5, 5, 0), nullptr, missed));
    EXPECT_TRUE(missed.IsEmpty());
}

TEST_F(EntitiesAtPointTest, FindsEveryEntityAtThePointEachWithAPathOfItsOwn)
{
    CEntitySet entities;
    entities.Add(m_face);
    for (CEdge* edge : m_edges) {
        entities.Add(edge);
    }
    std::unique_ptr<IEntityIterator> it(entities.NewIterator());
    std::vector<CInstancePath> found;

    FindEntitiesAtPoint(CPoint3d(10, 10, 0), it.get(), found);

    ASSERT_EQ(found.size(), 3U);
    CEntitySet hit;
    for (const CInstancePath& path : found) {
        EXPECT_EQ(path.GetCount(), 1);
        hit.Add(path.Back());
    }
    EXPECT_TRUE(hit.Contains(m_face));
    EXPECT_TRUE(hit.Contains(m_edges[1]));
    EXPECT_TRUE(hit.Contains(m_edges[2]));
    FindEntitiesAtPoint(CPoint3d(), nullptr, found);
    FindComponentEntitiesAtPoint(nullptr, CPoint3d(), found);
    EXPECT_EQ(found.size(), 3U);
}

}  // namespace
