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
        std::array<CVertex*, 4> vertices{};
        for (std::size_t i = 0; i < corners.size(); ++i) {
            vertices[i] = new CVertex(corners[i]);
        }
        for (std::size_t i = 0; i < corners.size(); ++i) {
            m_edges[i] = new CEdge(vertices[i], vertices[(i + 1) % 4], false);
        }
        m_face = new CFace(4, m_edges.data(), CPlane3d());
    }

    void TearDown() override
    {
        const CUndoSuspender suspender;
        m_face->Erase();
        for (CEdge* edge : m_edges) {
            edge->Erase();  // its vertices go with their last edge
        }
    }

    std::array<CEdge*, 4> m_edges{};
    CFace* m_face = nullptr;
};

TEST_F(EntitiesAtPointTest, AnEdgeIsHitWithinAThousandthOfItsSegmentOnly)
{
    CInstancePath path;
    EXPECT_TRUE(EntityHitsPoint(CPoint3d(5, 0.0005, 0), m_edges[0], path));
    EXPECT_EQ(path.GetEntities(), std::vector<CEntity*>{m_edges[0]});

    CInstancePath missed;
    EXPECT_FALSE(EntityHitsPoint(CPoint3d(5, 0.002, 0), m_edges[0], missed));
    EXPECT_FALSE(EntityHitsPoint(CPoint3d(10.5, 0, 0), m_edges[0], missed));
    EXPECT_TRUE(missed.IsEmpty());
}

TEST_F(EntitiesAtPointTest, AFaceIsHitInsideAndOnItsBoundaryButNotOffItsPlaneOrOutside)
{
    CInstancePath path;
    EXPECT_TRUE(EntityHitsPoint(CPoint3d(5, 5, 0), m_face, path));
    EXPECT_TRUE(EntityHitsPoint(CPoint3d(10, 5, 0), m_face, path));
    EXPECT_EQ(path.Back(), m_face);

    CInstancePath missed;
    EXPECT_FALSE(EntityHitsPoint(CPoint3d(20, 5, 0), m_face, missed));
    EXPECT_FALSE(EntityHitsPoint(CPoint3d(5, 5, 0.01), m_face, missed));
    EXPECT_FALSE(EntityHitsPoint(CPoint3d(5, 5, 0), nullptr, missed));
    EXPECT_TRUE(missed.IsEmpty());
}

TEST_F(EntitiesAtPointTest, FindsEveryEntityAtThePointEachWithAPathOfItsOwn)
{
    CEntitySet entities;
    entities.Add(m_face);
    entities.AddVector({m_edges.begin(), m_edges.end()});
    std::unique_ptr<IEntityIterator> it(entities.NewIterator());
    std::vector<CInstancePath> found;

    FindEntitiesAtPoint(CPoint3d(10, 10, 0), it.get(), found);

    CEntitySet hit;
    for (const CInstancePath& path : found) {
        EXPECT_EQ(path.GetCount(), 1);
        hit.Add(path.Back());
    }
    EXPECT_EQ(found.size(), 3U);
    EXPECT_TRUE(hit.Contains(m_face) && hit.Contains(m_edges[1]) && hit.Contains(m_edges[2]));
}

}  // namespace
