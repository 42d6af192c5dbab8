// Dimensions and texts picked by GL selection through the per-pick name table, and
// every annotation kind taken by a window rectangle only when it lies wholly inside.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "annotations/constructionline.h"
#include "annotations/constructionpoint.h"
#include "annotations/dimensionlinear.h"
#include "annotations/pointreferences.h"
#include "annotations/polyline3d.h"
#include "annotations/sectionplane.h"
#include "annotations/text.h"
#include "document/entitymerger.h"
#include "model/vertex.h"
#include "samplegen/geometrybuilder.h"
#include "render/installedfontlist.h"
#include "render/textpicturestore.h"
#include "tests/heapinuse.h"
#include "tests/tools/toolstestsupport.h"
#include "tests/tools/viewfixture.h"
#include "tools/pickhelper.h"

namespace {

class AnnotationPickingTest : public ViewFixture
{
protected:
    // The window point of a model point of the top view (20 units over the height).
    static CPoint2d At(double x, double y)
    {
        const double scale = kHeight / 20.0;
        return {kWidth / 2.0 + x * scale, kHeight / 2.0 - y * scale};
    }

    CEntity* PickFirst(const CPoint2d& point)
    {
        CPickHelper picker;
        picker.Attach(&m_view, point, 0);
        const CurrentModelScope scope(m_model);
        return picker.Pick() > 0 ? picker.GetHit(0).GetPickedEntity() : nullptr;
    }

    // Whether a region pick of the rectangle between the model points keeps the element.
    bool RegionPicks(const CDrawingElement* element, const CPoint2d& corner1, const CPoint2d& corner2, int mode)
    {
        return ViewFixture::RegionPicks(element, At(corner1.x, corner1.y), At(corner2.x, corner2.y), mode);
    }
};

TEST_F(AnnotationPickingTest, EachAnnotationKindIsPickedByItsLinesOrItsLabel)
{
    if (CInstalledFontList::GetInstalled().GetFonts().empty()) {
        GTEST_SKIP() << "no TrueType font installed";
    }
    struct Case
    {
        const char* name;
        std::function<CDrawingElement*()> make;
        CPoint2d point;
        bool picked;
    };
    const Case cases[] = {
        {"a dimension line",
         [] {
             auto* dimension = new CDimensionLinear;
             dimension->SetPoints(CModelPointRef(CPoint3d(-6, -4, 0)), CModelPointRef(CPoint3d(6, -4, 0)));
             dimension->SetOffset(-2.0);
             return dimension;
         },
         At(-3.0, -6.0), true},
        {"an extension line of a dimension",
         [] {
             auto* dimension = new CDimensionLinear;
             dimension->SetPoints(CModelPointRef(CPoint3d(-6, -4, 0)), CModelPointRef(CPoint3d(6, -4, 0)));
             dimension->SetOffset(-2.0);
             return dimension;
         },
         At(6.0, -5.0), true},
        {"a dimension seen edge-on",
         [] {
             auto* dimension = new CDimensionLinear;
             dimension->SetPoints(CModelPointRef(CPoint3d(-6, -4, 0)), CModelPointRef(CPoint3d(6, -4, 0)));
             dimension->SetOffset(-2.0);
             dimension->Transform(CTransformation::Rotation(CPoint3d(0, -4, 0), CUnitVector3d(1, 0, 0), 1.5707963267948966));
             return dimension;
         },
         At(-3.0, -4.0), false},
        {"a leader of a text",
         [] {
             auto* text = new CText;
             text->SetText("Leader");
             text->SetAnchor(CModelPointRef(CPoint3d(2, 2, 0)), true);
             text->SetLeaderKindValue(CText::kModelLeader);
             text->SetLeaderVector(4, 4, 0);
             return text;
         },
         At(4.0, 4.0), true},
        {"a screen text's label",
         [] {
             auto* text = new CText;
             text->SetText("Centre of the window");
             return text;
         },
         At(1.0, 0.0), true},
    };
    for (const Case& c : cases) {
        CDrawingElement* element = nullptr;
        {
            const CUndoSuspender suspender;
            const CurrentModelScope scope(m_model);
            element = c.make();
            Root().Add(element);
        }
        // A pick weighs a label by its rectangle: it makes none of their pictures.
        const std::size_t pictures = CTextPictureStore::Get().GetCount();
        EXPECT_EQ(PickFirst(c.point), c.picked ? element : nullptr) << c.name;
        EXPECT_EQ(CTextPictureStore::Get().GetCount(), pictures) << c.name;
        EXPECT_EQ(PickFirst(At(-9.0, 9.0)), nullptr) << c.name << " away from it";
        const CUndoSuspender suspender;
        element->EraseFromComponent(&Root());
    }
}

// The driver kept for good the vertex buffers of label rectangles a pick sent in immediate mode.
TEST_F(AnnotationPickingTest, PicksOverManyLabelsFindThemAndKeepNoMemory)
{
    if (CInstalledFontList::GetInstalled().GetFonts().empty()) {
        GTEST_SKIP() << "no TrueType font installed";
    }
    {
        const CUndoSuspender suspender;
        const CurrentModelScope scope(m_model);
        for (int i = 0; i < 10000; ++i) {
            auto* text = new CText;
            text->SetText("Centre of the window");
            Root().Add(text);
        }
    }
    // The first picks make what the driver keeps for good once, its shaders among it.
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(PickFirst(At(1.0, 0.0)), nullptr);
    }
    const std::size_t before = HeapBytesInUse();
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(PickFirst(At(1.0, 0.0)), nullptr);
    }
    const auto kept = static_cast<long long>(HeapBytesInUse()) - static_cast<long long>(before);
    EXPECT_LT(kept, 1LL << 20);
}

TEST_F(AnnotationPickingTest, AWindowTakesWhatLiesWhollyInsideItAndACrossingWhatItTouches)
{
    if (CInstalledFontList::GetInstalled().GetFonts().empty()) {
        GTEST_SKIP() << "no TrueType font installed";
    }
    struct Case
    {
        const char* name;
        std::function<CDrawingElement*()> make;
        // A rectangle round all of it and one round a part, in model units.
        CPoint2d whole[2];
        CPoint2d part[2];
    };
    const CBoundedLine3d segment(CPoint3d(-5, 3, 0), CPoint3d(5, 3, 0));
    const Case cases[] = {
        {"a dimension with its label",
         [] {
             auto* dimension = new CDimensionLinear;
             dimension->SetPoints(CModelPointRef(CPoint3d(-9, -1, 0)), CModelPointRef(CPoint3d(9, -1, 0)));
             dimension->SetOffset(-2.0);
             return dimension;
         },
         {{-13, 2}, {13, -9.9}}, {{-13, 2}, {-3, -9.9}}},
        {"a text with its leader and label",
         [] {
             auto* text = new CText;
             text->SetText("L");
             text->SetAnchor(CModelPointRef(CPoint3d(-10, -6, 0)), true);
             text->SetLeaderKindValue(CText::kModelLeader);
             text->SetLeaderVector(4, 4, 0);
             return text;
         },
         {{-11, -9.9}, {13, 9.9}}, {{-11, -9.9}, {-5, 9.9}}},
        {"a guide point", [] { return new CConstructionPoint(CPoint3d(3, 3, 0)); }, {{2, 2}, {4, 4}},
         {{3.2, 2}, {4, 4}}},
        {"a guide segment", [&segment] { return new CConstructionLine(segment); }, {{-6, 2}, {6, 4}},
         {{0, 2}, {6, 4}}},
        {"a polyline",
         [] { return new CPolyline3d({CPoint3d(-4, -1, 0), CPoint3d(0, 1, 0), CPoint3d(4, -1, 0)}); },
         {{-5, -2}, {5, 2}}, {{-5, -2}, {0, 2}}},
        {"a section plane's rectangle round the square", [] { return new CSectionPlane(CPlane3d(0, 0, 1, -1)); },
         {{-4, -4}, {4, 4}}, {{-4, -4}, {0, 4}}},
    };
    {
        const CUndoSuspender suspender;
        Square(Root(), 3.0, 0.0);
    }
    for (const Case& c : cases) {
        CDrawingElement* element = nullptr;
        {
            const CUndoSuspender suspender;
            const CurrentModelScope scope(m_model);
            element = c.make();
            Root().Add(element);
        }
        EXPECT_TRUE(RegionPicks(element, c.whole[0], c.whole[1], CPickHelper::kModeWindow)) << c.name;
        EXPECT_TRUE(RegionPicks(element, c.whole[0], c.whole[1], CPickHelper::kModeCrossing)) << c.name;
        EXPECT_FALSE(RegionPicks(element, c.part[0], c.part[1], CPickHelper::kModeWindow)) << c.name;
        EXPECT_TRUE(RegionPicks(element, c.part[0], c.part[1], CPickHelper::kModeCrossing)) << c.name;
        const CUndoSuspender suspender;
        element->EraseFromComponent(&Root());
    }
    // No rectangle holds a guide line unbounded at both ends.
    const CUndoSuspender suspender;
    auto* line = new CConstructionLine(
        CBoundedLine3d(CLine3d{CPoint3d(0, 3, 0), CUnitVector3d(1, 0, 0)}, true, true));
    Root().Add(line);
    EXPECT_FALSE(RegionPicks(line, {-13, 2}, {13, 4}, CPickHelper::kModeWindow));
    EXPECT_TRUE(RegionPicks(line, {-13, 2}, {13, 4}, CPickHelper::kModeCrossing));
}

TEST_F(AnnotationPickingTest, ChangingTheLeaderKindKeepsTheTextPointOnTheScreenAndTurnsTheTextToTheView)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(m_model);
    CText text;
    text.SetAnchor(CModelPointRef(CPoint3d(2, 2, 0)), true);
    text.SetLeaderKindValue(CText::kModelLeader);
    text.SetLeaderVector(-4, 3, 0);
    const CPoint3d before = text.GetTextPoint(&m_view);
    text.SetLeaderKind(CText::kScreenLeader, nullptr);
    EXPECT_EQ(text.GetLeaderKind(), CText::kModelLeader) << "without a view";
    text.SetLeaderKind(CText::kScreenText, &m_view);
    EXPECT_EQ(text.GetLeaderKind(), CText::kModelLeader) << "to a screen text";
    text.SetLeaderKind(CText::kScreenLeader, &m_view);
    EXPECT_EQ(text.GetLeaderKind(), CText::kScreenLeader);
    EXPECT_NEAR((text.GetTextPoint(&m_view) - before).GetLength(), 0.0, 1e-9);
    EXPECT_NEAR((text.GetNormal() - CVector3d(0, 0, -1)).GetLength(), 0.0, 1e-9);
    text.SetLeaderKind(CText::kModelLeader, &m_view);
    EXPECT_NEAR((text.GetLeaderVector() - CVector3d(-4, 3, 0)).GetLength(), 0.0, 1e-9);
    // Hiding a leader that points left freezes the label on the left.
    text.SetLeaderShown(false, &m_view);
    EXPECT_EQ(text.GetSideMode(), CText::kSideLeft);
    text.SetLeaderShown(true, &m_view);
    EXPECT_EQ(text.GetSideMode(), CText::kSideAutomatic);
}

// A quarter turn about z through the origin, seen from above (the screen's right is x,
// its up y), on texts listed without what they hang on.
TEST_F(AnnotationPickingTest, AMovedTextCarriesItsLeaderAsTheActiveViewShowsItAndTheComponentModeItsPlace)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(m_model);
    CRecordingHost host;
    const CGeometryBuilder builder(Root());
    CVertex* staying = builder.Vertex(CPoint3d(2, 2, 0));
    (void)builder.Edge(staying, builder.Vertex(CPoint3d(3, 2, 0)));
    const CTransformation turn = CTransformation::Rotation(CPoint3d(), CUnitVector3d(0, 0, 1), std::acos(0.0));
    const struct
    {
        const char* name;
        std::int32_t kind;
        bool onVertex;
        std::uint32_t mode;
        bool activeView;
        CPoint3d anchor;
        CVector3d leader;
    } cases[] = {
        {"model leader", CText::kModelLeader, false, 0, true, {-2, 2, 0}, {-2, 1, 0}},
        // The text point (3, 4) turns to (-4, 3) away from the anchor that stays.
        {"model leader on what stays", CText::kModelLeader, true, 0, true, {2, 2, 0}, {-6, 1, 0}},
        {"model leader on what stays, component mode", CText::kModelLeader, true, CText::kComponentMode, true,
         {2, 2, 0}, {-2, 1, 0}},
        {"screen leader", CText::kScreenLeader, false, 0, true, {-2, 2, 0}, {-2, 1, 0}},
        {"screen leader without an active view", CText::kScreenLeader, false, 0, false, {-2, 2, 0}, {1, 2, 0}},
    };
    for (const auto& c : cases) {
        host.activeView = c.activeView ? &m_view : nullptr;
        auto* text = new CText;
        Root().Add(text);
        text->SetAnchor(c.onVertex ? MakeVertexPoint(staying) : CModelPointRef(CPoint3d(2, 2, 0)), true);
        text->SetLeaderKindValue(c.kind);
        text->SetLeaderVector(1, 2, 0);
        text->TransformBy(turn, c.mode, CEntityMerger::kListedOnly);
        EXPECT_EQ(text->GetLeaderKind(), c.kind) << c.name;
        EXPECT_NEAR((text->GetAnchorPoint() - c.anchor).GetLength(), 0.0, 1e-9) << c.name;
        EXPECT_NEAR((text->GetLeaderVector() - c.leader).GetLength(), 0.0, 1e-9) << c.name;
    }
    // A screen text keeps its place, but in the component mode the place is a point.
    for (const std::uint32_t mode : {0u, CText::kComponentMode}) {
        CText text;
        text.SetScreenPosition(0.25, 0.5);
        text.TransformBy(turn, mode, CEntityMerger::kListedOnly);
        EXPECT_NEAR(text.GetScreenX(), mode == 0 ? 0.25 : -0.5, 1e-9);
        EXPECT_NEAR(text.GetScreenY(), mode == 0 ? 0.5 : 0.25, 1e-9);
    }
}

TEST_F(AnnotationPickingTest, ATextDrawnOnTopHidesWhileItsAnchorIsBehindTheModel)
{
    // Pins a fault: the depth under the anchor was read from the row mirrored about the
    // middle of the window.
    const CUndoSuspender suspender;
    const CurrentModelScope scope(m_model);
    CComponentDefinition* definition = Place(Root(), nullptr, Shift(0, 5, 0));
    Square(*definition, 3.0, 5.0);
    const CGeometryBuilder builder(Root());
    struct Case
    {
        CPoint3d anchor;
        bool shown;
    };
    for (const Case& c : {Case{CPoint3d(0, 5, 0), false}, Case{CPoint3d(0, -5, 0), true}}) {
        // A vertex lives with its edges.
        CVertex* vertex = builder.Vertex(c.anchor);
        builder.Edge(vertex, builder.Vertex(c.anchor + CVector3d(1, 0, 0)));
        CModelPointRef anchor;
        anchor.Set(CModelPointRef::kVertex, CPoint3d(), vertex, CInstancePath(), nullptr, CInstancePath());
        anchor.Evaluate();
        auto* text = new CText;
        text->SetText("Below");
        text->SetAnchor(anchor, true);
        text->SetLeaderKindValue(CText::kScreenLeader);
        text->SetLeaderVector(2, 2, 0);
        Root().Add(text);
        // The depth buffer as the frame leaves it before the annotations draw.
        CRenderingOptions& options = *m_model->GetRenderingOptions();
        options.SetDisplayByte(CRenderingOptions::kHideAnnotations, true);
        Draw();
        options.SetDisplayByte(CRenderingOptions::kHideAnnotations, false);
        EXPECT_EQ(text->IsShown(&m_view), c.shown) << c.anchor.y;
        text->EraseFromComponent(&Root());
    }
}

TEST_F(AnnotationPickingTest, ATextOnAVertexInsideAnInstanceGoesWithTheInstanceWhenItIsHidden)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(m_model);
    CComponentDefinition* definition = Place(Root(), nullptr, Shift(-3, 0, 0));
    auto* instance = dynamic_cast<CComponentInstance*>(Root().GetEntityList().back());
    ASSERT_NE(instance, nullptr);
    const CGeometryBuilder builder(*definition);
    CVertex* vertex = builder.Vertex(CPoint3d(1, 1, 0));
    builder.Edge(vertex, builder.Vertex(CPoint3d(2, 1, 0)));
    CInstancePath path;
    path.Push(instance);
    CModelPointRef anchor;
    anchor.Set(CModelPointRef::kVertex, CPoint3d(), vertex, path, nullptr, CInstancePath());
    auto* text = new CText;
    text->SetText("On a vertex");
    text->SetAnchor(anchor, true);
    text->SetLeaderKindValue(CText::kModelLeader);
    text->SetLeaderVector(2, 2, 0);
    Root().Add(text);
    EXPECT_TRUE(text->IsShown(&m_view));
    instance->SetHidden(true);
    EXPECT_FALSE(text->IsShown(&m_view));
}

}  // namespace
