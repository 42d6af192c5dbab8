// Dimensions and texts picked by GL selection through the per-pick name table.

#include <gtest/gtest.h>

#include <functional>

#include "annotations/dimensionlinear.h"
#include "annotations/text.h"
#include "render/installedfontlist.h"
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
        EXPECT_EQ(PickFirst(c.point), c.picked ? element : nullptr) << c.name;
        EXPECT_EQ(PickFirst(At(-9.0, 9.0)), nullptr) << c.name << " away from it";
        const CUndoSuspender suspender;
        element->EraseFromComponent(&Root());
    }
}

}  // namespace
