#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "document/classregistration.h"
#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "foundation/slaballocator.h"
#include "model/attribute.h"
#include "model/curve.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "model/wholemodelrelease.h"
#include "platform/quitrequest.h"
#include "samplegen/gridmodel.h"
#include "samplegen/housemodel.h"
#include "tests/model/curvetestsupport.h"
#include "tests/model/entitytestsupport.h"

namespace {

std::vector<std::size_t> LiveTopology()
{
    return {CSlabAllocator::ForClass<CVertex>().GetLiveCount(), CSlabAllocator::ForClass<CEdge>().GetLiveCount(),
            CSlabAllocator::ForClass<CEdgeUse>().GetLiveCount(), CSlabAllocator::ForClass<CLoop>().GetLiveCount(),
            CSlabAllocator::ForClass<CFace>().GetLiveCount()};
}

// The sample house (faces with materials, a group placing trees, a label and a dimension
// hung on vertices, a section plane, pages), a face with an attribute of its own, a chain
// of edges along one curve, and a grid that makes the model large.
void BuildLargeHouse(CTarnwickModel& model, bool* curveDeleted)
{
    BuildHouseModel(model);
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponent& root = *model.GetRootComponent();
    AddTriangleGrid(root, 30000);
    for (CDrawingElement* element : root.GetEntityList()) {
        if (element->GetTypeId() == kTypeFace) {
            element->GetOrCreateAttributeContainer(new CAttribute);
            break;
        }
    }
    auto* curve = new curvetest::CProbeCurve(curveDeleted);
    CVertex* previous = new CVertex(CPoint3d(20, 0, 0));
    for (int i = 1; i <= 4; ++i) {
        auto* next = new CVertex(CPoint3d(20 + i, i % 2, 0));
        auto* edge = new CEdge(previous, next, false);
        root.Add(edge);
        edge->SetCurve(curve);
        previous = next;
    }
}

class WholeModelReleaseTest : public ::testing::Test
{
protected:
    WholeModelReleaseTest() { RegisterModelClasses(); }
    ~WholeModelReleaseTest() override
    {
        CWholeModelRelease::SetIdleWake({});
        CWholeModelRelease::LetGoPending();
        CQuitRequest::Clear();
    }

    static void Clear(CTarnwickModel& model)
    {
        const CUndoSuspender suspender;
        model.Clear();
    }

    const entitytest::QuietSettings m_settings;
    const std::vector<std::size_t> m_before = LiveTopology();
};

TEST_F(WholeModelReleaseTest, AModelEmptiedAsAWholeFreesAllItHeldAndCanBeFilledAgain)
{
    auto* model = new CTarnwickModel;
    bool curveDeleted = false;
    BuildLargeHouse(*model, &curveDeleted);
    ASSERT_NE(LiveTopology(), m_before);
    Clear(*model);
    EXPECT_TRUE(model->GetRootComponent()->IsEmpty());
    EXPECT_FALSE(CWholeModelRelease::IsPending());
    EXPECT_EQ(LiveTopology(), m_before);
    EXPECT_TRUE(curveDeleted);

    BuildHouseModel(*model);
    EXPECT_EQ(model->FixValidityErrors(kValidityModeCheck, false), kValiditySound);
    // Deleting the model lets it go as a whole too.
    model->Release();
    EXPECT_EQ(LiveTopology(), m_before);
}

TEST_F(WholeModelReleaseTest, WithAnIdleWakeALargeModelsFacesAndEdgesWaitWhileTheNextModelIsMadeAndThenGo)
{
    int wakes = 0;
    CWholeModelRelease::SetIdleWake([&wakes] { ++wakes; });
    auto* model = new CTarnwickModel;
    bool curveDeleted = false;
    BuildLargeHouse(*model, &curveDeleted);
    const std::vector<std::size_t> held = LiveTopology();
    Clear(*model);
    EXPECT_GT(wakes, 0);
    EXPECT_TRUE(CWholeModelRelease::IsPending());
    EXPECT_TRUE(model->GetRootComponent()->IsEmpty());
    EXPECT_EQ(LiveTopology(), held);
    EXPECT_FALSE(curveDeleted);

    // The next model is read while the last one waits.
    BuildHouseModel(*model);
    EXPECT_EQ(model->FixValidityErrors(kValidityModeCheck, false), kValiditySound);
    CWholeModelRelease::LetGoPending();
    EXPECT_FALSE(CWholeModelRelease::IsPending());
    EXPECT_TRUE(curveDeleted);
    EXPECT_EQ(model->FixValidityErrors(kValidityModeCheck, false), kValiditySound);

    // A small model goes at once even so.
    model->Release();
    EXPECT_FALSE(CWholeModelRelease::IsPending());
    EXPECT_EQ(LiveTopology(), m_before);
}

TEST_F(WholeModelReleaseTest, PendingFacesGoASliceAtATimeButNotOnceTheProgramIsAskedToEnd)
{
    CWholeModelRelease::SetIdleWake([] {});
    auto* model = new CTarnwickModel;
    BuildGridModel(*model, 40000);
    model->Release();
    const std::size_t faces = CSlabAllocator::ForClass<CFace>().GetLiveCount();
    ASSERT_TRUE(CWholeModelRelease::LetGoSome(std::chrono::milliseconds(0)));
    EXPECT_LT(CSlabAllocator::ForClass<CFace>().GetLiveCount(), faces);
    EXPECT_GT(CSlabAllocator::ForClass<CFace>().GetLiveCount(), m_before[4]);

    CQuitRequest::Request();
    const std::vector<std::size_t> left = LiveTopology();
    EXPECT_FALSE(CWholeModelRelease::LetGoSome(std::chrono::milliseconds(1000)));
    EXPECT_EQ(LiveTopology(), left);
    EXPECT_TRUE(CWholeModelRelease::IsPending());
    // What the program takes apart at its end goes even so.
    CWholeModelRelease::LetGoPending();
    EXPECT_EQ(LiveTopology(), m_before);
}

}  // namespace
