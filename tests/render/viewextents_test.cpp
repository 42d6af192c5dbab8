// What a view sees of the model: the window box of each kind of element, and the model
// point a screen text's pixel stands on.

#include <gtest/gtest.h>

#include <functional>

#include "annotations/constructionline.h"
#include "annotations/constructionpoint.h"
#include "annotations/polyline3d.h"
#include "annotations/text.h"
#include "document/modelpointref.h"
#include "foundation/boundedline3d.h"
#include "model/edge.h"
#include "model/face.h"
#include "samplegen/geometrybuilder.h"
#include "tests/render/modelframefixture.h"

namespace {

class ViewExtentsTest : public ModelFrameTest
{
protected:
    void SetUp() override
    {
        ModelFrameTest::SetUp();
        // 2.4 pixels a unit; the origin at the window's centre (32, 24), rows downwards.
        LookDown(20.0);
    }
};

}  // namespace

TEST_F(ViewExtentsTest, EachElementAddsTheWindowPositionsOfItsPointsAndTheComponentAllItShows)
{
    const CGeometryBuilder builder(Root());
    struct Case
    {
        const char* name;
        std::function<CDrawingElement*()> make;
        double left;
        double right;
        double top;
        double bottom;
    };
    const Case cases[] = {
        {"an edge",
         [&builder] { return builder.Edge(builder.Vertex(CPoint3d(-5, 0, 0)), builder.Vertex(CPoint3d(5, 0, 0))); },
         20, 44, 24, 24},
        {"a face",
         [&builder] {
             return builder.Face({builder.Vertex(CPoint3d(-2, -2, 0)), builder.Vertex(CPoint3d(2, -2, 0)),
                                  builder.Vertex(CPoint3d(2, 2, 0)), builder.Vertex(CPoint3d(-2, 2, 0))},
                                 CVector3d(0, 0, 1));
         },
         27.2, 36.8, 19.2, 28.8},
        {"a polyline", [] { return new CPolyline3d({{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}); }, 32, 36.8, 21.6, 24},
        {"a guide point", [] { return new CConstructionPoint(CPoint3d(1, 1, 0)); }, 34.4, 34.4, 21.6, 21.6},
        {"a guide segment",
         [] { return new CConstructionLine(CBoundedLine3d(CPoint3d(-1, -1, 0), CPoint3d(1, 1, 0))); }, 29.6, 34.4,
         21.6, 26.4},
        // Unbounded: where it passes nearest to the middle of the view.
        {"a guide line",
         [] {
             return new CConstructionLine(
                 CBoundedLine3d(CLine3d{CPoint3d(3, -4, 0), CUnitVector3d(0, 1, 0)}, true, true));
         },
         39.2, 39.2, 24, 24},
    };
    Draw();
    CBoundingBox3d all;
    for (const Case& c : cases) {
        CDrawingElement* element = c.make();
        if (element->GetParent() == nullptr) {
            Root().Add(element);
        }
        CBoundingBox3d box;
        element->AccumulateExtentsVariant(&m_view, box);
        EXPECT_NEAR(box.xmin, c.left, 1e-6) << c.name;
        EXPECT_NEAR(box.xmax, c.right, 1e-6) << c.name;
        EXPECT_NEAR(box.ymin, c.top, 1e-6) << c.name;
        EXPECT_NEAR(box.ymax, c.bottom, 1e-6) << c.name;
        all.Add(box);
    }
    // A hidden edge far out adds nothing to the component's.
    builder.Edge(builder.Vertex(CPoint3d(8, 8, 0)), builder.Vertex(CPoint3d(9, 9, 0)))->SetHidden(true);
    CBoundingBox3d root;
    Root().AccumulateExtentsVariant(&m_view, root);
    EXPECT_NEAR(root.xmin, all.xmin, 1e-6);
    EXPECT_NEAR(root.xmax, all.xmax, 1e-6);
    EXPECT_NEAR(root.ymin, all.ymin, 1e-6);
    EXPECT_NEAR(root.ymax, all.ymax, 1e-6);
}

TEST_F(ViewExtentsTest, AScreenTextStandsOnTheModelUnderItsPixelElseAtTheFrontOfTheModel)
{
    // A floor at 0 under the left half of the view and a small square at 5 to the right.
    const CGeometryBuilder builder(Root());
    const auto square = [&builder](double cx, double half, double z) {
        builder.Face({builder.Vertex(CPoint3d(cx - half, -half, z)), builder.Vertex(CPoint3d(cx + half, -half, z)),
                      builder.Vertex(CPoint3d(cx + half, half, z)), builder.Vertex(CPoint3d(cx - half, half, z))},
                     CVector3d(0, 0, 1));
    };
    square(-6, 4, 0);
    square(8, 1, 5);
    Draw();
    // The front of the model as the view fitted its depth range round it, eye at 100.
    const double front = 100.0 - m_view.GetViewDefinition().GetFittedNear();
    EXPECT_GE(front, 5.0);
    struct Case
    {
        const char* name;
        double x;
        double y;
        double z;
    };
    const Case cases[] = {
        {"over the floor", 32 - 6 * 2.4, 24, 0.0},
        {"over the raised square", 32 + 8 * 2.4, 24, 5.0},
        {"over nothing", 32, 8, front},
    };
    for (const Case& c : cases) {
        const CPoint3d point = CText::ScreenToModelPoint(&m_view, c.x, c.y);
        EXPECT_NEAR(point.z, c.z, 0.05) << c.name;
        CPoint3d window;
        ASSERT_TRUE(m_view.ModelToScreen(point, window)) << c.name;
        EXPECT_NEAR(window.x, c.x, 0.01) << c.name;
        EXPECT_NEAR(window.y, c.y, 0.01) << c.name;
    }
}

TEST_F(ViewExtentsTest, ATextsBoxHoldsItsAnchorTextPointAndLabelPointAndAScreenTextHasNone)
{
    auto* attached = new CText;
    attached->SetText("Leader");
    attached->SetAnchor(CModelPointRef(CPoint3d(2, 2, 0)), true);
    attached->SetLeaderKindValue(CText::kModelLeader);
    attached->SetLeaderVector(4, 4, 0);
    Root().Add(attached);
    auto* screen = new CText;
    screen->SetText("Screen");
    Root().Add(screen);
    Draw();

    int placement = 0;
    int alignment = -1;
    const CPoint3d label = attached->ComputeLayoutBox(&m_view, placement, alignment);
    EXPECT_EQ(placement, 9) << "right of its point, the leader running right";
    EXPECT_EQ(alignment, 0);
    EXPECT_GE(label.x, 6.0 - 1e-9);
    const CBoundingBox3d box = attached->GetBoundingBox(&m_view);
    EXPECT_NEAR(box.xmin, 2.0, 1e-9);
    EXPECT_NEAR(box.ymin, 2.0, 1e-9);
    EXPECT_GE(box.xmax, label.x - 1e-9);
    EXPECT_GE(box.ymax, 6.0 - 1e-9);
    EXPECT_TRUE(attached->GetBoundingBox(nullptr).IsEmpty());
    EXPECT_TRUE(screen->GetBoundingBox(&m_view).IsEmpty());

    CBoundingBox3d seen;
    attached->AccumulateExtentsVariant(&m_view, seen);
    EXPECT_NEAR(seen.xmin, 32 + 2 * 2.4, 1e-6);
    EXPECT_NEAR(seen.ymax, 24 - 2 * 2.4, 1e-6);
    EXPECT_LE(seen.ymin, 24 - 6 * 2.4 + 1e-6);
}
