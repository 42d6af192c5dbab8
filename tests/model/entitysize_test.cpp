#include <gtest/gtest.h>

#include <cstddef>

#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

namespace {

// A model holds millions of these; each limit is the largest size that still fits
// the allocator's size class below the one the objects used to need (a header of 8
// bytes, 16-byte steps). A new field that crosses one costs 16 bytes per object.
TEST(EntitySizes, TopologyObjectsStayWithinTheirAllocationClasses)
{
    EXPECT_LE(sizeof(CFace), 152u);
    EXPECT_LE(sizeof(CLoop), 40u);
    EXPECT_LE(sizeof(CEdgeUse), 72u);
    EXPECT_LE(sizeof(CEdge), 88u);
    EXPECT_LE(sizeof(CVertex), 72u);
}

}  // namespace
