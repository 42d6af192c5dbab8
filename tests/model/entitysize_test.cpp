#include <gtest/gtest.h>

#include <cstddef>

#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

namespace {

// A model holds millions of these, each in a slot of exactly its size (the classes'
// slab allocators), so every eight bytes more cost a million-triangle model up to
// 24 MB; each limit is the size the class has now.
TEST(EntitySizes, TopologyObjectsDoNotGrow)
{
    EXPECT_LE(sizeof(CFace), 96u);
    EXPECT_LE(sizeof(CLoop), 32u);
    EXPECT_LE(sizeof(CEdgeUse), 56u);
    EXPECT_LE(sizeof(CEdge), 80u);
    EXPECT_LE(sizeof(CVertex), 56u);
}

}  // namespace
