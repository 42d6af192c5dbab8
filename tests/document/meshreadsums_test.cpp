#include "document/meshreadsums.h"

#include <gtest/gtest.h>

#include "document/drawingwork.h"
#include "document/renderingoptions.h"
#include "model/edge.h"
#include "model/vertex.h"
#include "samplegen/gridmodel.h"
#include "samplegen/modelfiles.h"
#include "samplegen/placing.h"
#include "tests/document/modelfiletestsupport.h"

using modelfiletest::OwnedModel;

namespace {

class MeshReadSumsTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }

    entitytest::QuietSettings m_settings;
    CurrentModelScope m_scope{nullptr};
};

// A grid long enough to be counted apart (its list of faces and edges), written with the
// settings given; with a free edge reaching beyond the faces when asked, which ends where
// an edge of a definition, written before the grid, also ends when sharedEnd. A heavy grid's
// lines are jittered, extended and ticked as far as settings go, a profile's 100 pixels
// wide.
ModelBytes GridFile(bool profiles, int renderMode, bool freeEdge, int heavyTriangles = 0, bool sharedEnd = false)
{
    OwnedModel made;
    BuildGridModel(*made, heavyTriangles > 0 ? heavyTriangles : 30000);
    if (heavyTriangles > 0) {
        CRenderingOptions& options = *made->GetRenderingOptions();
        options.SetProfileWidth(100);
        options.SetJitterEdges(true);
        options.SetExtendEdges(true);
        options.SetExtendLength(100);
        options.SetDrawEndpoints(true);
        options.SetEndpointLength(100);
    }
    made->GetRenderingOptions()->SetDrawProfiles(profiles);
    made->GetRenderingOptions()->SetRenderMode(renderMode);
    made->GetRenderingOptions()->SetDisplayEdges(0);
    const CurrentModelScope scope(&made.Get());
    if (freeEdge) {
        made->GetRootComponent()->Add(
            new CEdge(new CVertex(CPoint3d(-50, -50, 0)), new CVertex(CPoint3d(-50, -50, 40)), false));
    }
    if (sharedEnd) {
        auto* shared = new CVertex(CPoint3d(5000, 0, 0));
        AddDefinition(*made, "Post")->Add(new CEdge(shared, new CVertex(CPoint3d(5000, 0, 10)), false));
        made->GetRootComponent()->Add(new CEdge(new CVertex(CPoint3d(-1, 0, 0)), shared, false));
    }
    return WriteModelBytes(*made, kSaveFormat5000);
}

// What the read counted, and what a walk of the model read counts; the bounds the read
// handed the root are those a walk finds.
std::pair<std::uint64_t, std::uint64_t> ReadAndWalked(const ModelBytes& bytes)
{
    OwnedModel model;
    ReadModelBytes(bytes, *model);
    EXPECT_EQ(model->GetLoadStatus(), CTarnwickModel::kLoadOk);
    CComponent& root = *model->GetRootComponent();
    CBoundingBox3d handed;
    root.GetBounds(handed, false);
    root.InvalidateBounds();
    CBoundingBox3d walked;
    root.GetBounds(walked, false);
    EXPECT_TRUE(handed.xmin == walked.xmin && handed.xmax == walked.xmax && handed.ymin == walked.ymin &&
                handed.ymax == walked.ymax && handed.zmin == walked.zmin && handed.zmax == walked.zmax);
    const auto shown = CDrawingWork::ShownBy(model->GetRenderingOptions(), model->GetShadowInfo(), nullptr);
    return {model->GetDrawingWork(), CDrawingWork::Count(root, false, shown)};
}

}  // namespace

TEST_F(MeshReadSumsTest, ALargeListIsCountedFromItsReadAtLeastAsTheWalkCountsIt)
{
    struct Row
    {
        bool profiles;
        int renderMode;
        bool freeEdge;
        // The read's count against the walk's.
        double least;
        double most;
    } const rows[] = {
        // One look for every line, or none drawn and the free edge outside the faces: the
        // triangles' setups alone are weighed by a bound.
        {false, 1, false, 1.0, 1.05},
        {false, 2, true, 1.0, 1.05},
        // Profiles drawn wider than the other lines: every line weighed as a profile.
        {true, 2, false, 1.05, 3.0},
        // Only profiles drawn and a line beyond the faces: which lines the box takes in
        // depends on their uses, so the walk counts.
        {true, 2, true, 1.0, 1.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.profiles << row.renderMode << row.freeEdge);
        const auto [read, walked] = ReadAndWalked(GridFile(row.profiles, row.renderMode, row.freeEdge));
        EXPECT_GE(static_cast<double>(read), row.least * static_cast<double>(walked));
        EXPECT_LE(static_cast<double>(read), row.most * static_cast<double>(walked));
    }
}

TEST_F(MeshReadSumsTest, SumsHoldOnlyWhileTheModelIsReadAndNoListChangesAfterThem)
{
    const CComponent component;
    EXPECT_EQ(CMeshReadSums::Begin(component, 1 << 20), nullptr);
    {
        const CMeshReadSums::CReadScope scope;
        EXPECT_EQ(CMeshReadSums::Begin(component, 100), nullptr);
        CMeshReadSums* sums = CMeshReadSums::Begin(component, 1 << 20);
        ASSERT_NE(sums, nullptr);
        EXPECT_EQ(CMeshReadSums::Find(component), nullptr);
        sums->End(0, {});
        EXPECT_EQ(CMeshReadSums::Find(component), sums);
        CMeshReadSums::NoteListsChanged();
        EXPECT_EQ(CMeshReadSums::Find(component), nullptr);
        // A list that took more than its read reported.
        sums = CMeshReadSums::Begin(component, 1 << 20);
        sums->End(1, {});
        EXPECT_EQ(CMeshReadSums::Find(component), nullptr);
    }
    EXPECT_EQ(CMeshReadSums::Find(component), nullptr);
}

TEST_F(MeshReadSumsTest, AModelTheSumsPutPastHalfTheLimitIsCountedByTheWalk)
{
    const ModelBytes bytes = GridFile(true, 1, false, 80000);
    OwnedModel model;
    ReadModelBytes(bytes, *model);
    ASSERT_EQ(model->GetLoadStatus(), CTarnwickModel::kLoadOk);
    auto shown = CDrawingWork::ShownBy(model->GetRenderingOptions(), model->GetShadowInfo(), nullptr);
    const CComponent& root = *model->GetRootComponent();
    EXPECT_EQ(model->GetDrawingWork(), CDrawingWork::Count(root, false, shown));
    EXPECT_LT(model->GetDrawingWork(), CDrawingWork::kBudget / 10);
    // Every line weighed as a profile, as the sums weigh them.
    shown.other = shown.profile;
    EXPECT_GT(CDrawingWork::Count(root, false, shown), CDrawingWork::kBudget / 2);
}

// Pins a fault: a free edge of the list ending where a definition's edge, read first,
// ends was left out of the bounds the read handed the list, and the far plane cut it.
TEST_F(MeshReadSumsTest, AnEndAnotherListReachedFirstIsWithinTheBoundsTheReadHandsTheList)
{
    // Every line drawn alike, or none drawn.
    for (const int renderMode : {1, 2}) {
        SCOPED_TRACE(renderMode);
        const auto [read, walked] = ReadAndWalked(GridFile(false, renderMode, false, 0, true));
        EXPECT_GE(read, walked);
    }
}
