#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "annotations/constructionline.h"
#include "annotations/dimensionlinear.h"
#include "annotations/polyline3d.h"
#include "annotations/text.h"
#include "document/componentbehavior.h"
#include "foundation/boundedline3d.h"
#include "model/entityvisitor.h"
#include "tests/document/operationtestsupport.h"

using operationtest::ModelFixture;
using operationtest::Shift;

namespace {

// Writes down every call as a line; declines elements when asked to.
class CRecordingVisitor : public IEntityVisitor
{
public:
    bool AcceptsElement(CDrawingElement* /*element*/) override { return takesElements; }
    bool OnInstance(const CString& name, const CTransformation& transform, CColor color, CLayer* /*layer*/) override
    {
        calls.push_back("instance " + Text(name) + " x" + std::to_string(static_cast<int>(transform.GetOrigin().x)) +
                        " red" + std::to_string(color.GetRedByte()));
        return true;
    }
    bool BeginComponent(const CString& name, CLayer* /*layer*/) override
    {
        calls.push_back("begin " + Text(name));
        return true;
    }
    bool EndComponent() override
    {
        calls.emplace_back("end");
        return true;
    }
    void PushColor(CColor color) override
    {
        colours.push_back(color);
        calls.push_back("push red" + std::to_string(color.GetRedByte()));
    }
    void PopColor() override
    {
        colours.pop_back();
        calls.emplace_back("pop");
    }
    CColor GetCurrentColor() const override { return colours.empty() ? CColor() : colours.back(); }
    bool OnDimension(CDimension* /*dimension*/) override
    {
        calls.emplace_back("dimension");
        return true;
    }
    bool OnText(CText* /*text*/) override
    {
        calls.emplace_back("text");
        return true;
    }
    bool OnLine(const CBoundedLine3d& /*line*/, CColor /*color*/, CLayer* /*layer*/) override
    {
        calls.emplace_back("line");
        return true;
    }
    bool OnPolyline(CLayer* /*layer*/, CColor /*color*/, const std::vector<CPoint3d>& points) override
    {
        calls.push_back("polyline " + std::to_string(points.size()));
        return true;
    }

    static std::string Text(const CString& text) { return text.ToUtf8(); }

    bool takesElements = true;
    std::vector<CColor> colours;
    std::vector<std::string> calls;
};

}  // namespace

TEST(EntityVisitorTest, ADefinitionOffersItsContentsUnderItsColourAndAnInstanceInheritsTheVisitorsColour)
{
    ModelFixture fixture;
    CComponentDefinition* inner = fixture.Definition("Inner");
    CComponentDefinition* outer = fixture.Definition("Outer");
    {
        const CUndoSuspender suspender;
        outer->SetMaterialByColour(CColor(200, 0, 0), false);
        ModelFixture::Place(*outer, inner, Shift(3, 0, 0));
        outer->Add(new CDimensionLinear);
        outer->Add(new CText);
        outer->Add(new CConstructionLine(CBoundedLine3d(CPoint3d(0, 0, 0), CPoint3d(1, 0, 0))));
        outer->Add(new CPolyline3d({CPoint3d(0, 0, 0), CPoint3d(1, 0, 0), CPoint3d(1, 1, 0)}));
    }
    struct Case
    {
        bool takesElements;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases{
        {true,
         {"push red200", "begin Outer", "instance Inner x3 red200", "dimension", "text", "line", "polyline 3", "end", "pop"}},
        {false, {"push red200", "begin Outer", "instance Inner x3 red200", "dimension", "text", "end", "pop"}},
    };
    for (const Case& test : cases) {
        CRecordingVisitor visitor;
        visitor.takesElements = test.takesElements;
        EXPECT_TRUE(outer->Accept(&visitor));
        EXPECT_EQ(visitor.calls, test.calls);
    }
}

TEST(EntityVisitorTest, AGluedDefinitionKeepsItsInsertionPointInItsBasePlaneWhenTheBehaviourApplies)
{
    ModelFixture fixture;
    CComponentDefinition* definition = fixture.Definition("Sign");
    const CUndoSuspender suspender;
    struct Case
    {
        bool glued;
        bool applyBehaviour;
        double z;
    };
    for (const Case& test : {Case{false, true, 2.0}, Case{true, false, 2.0}, Case{true, true, 0.0}}) {
        dynamic_cast<CComponentBehavior*>(definition->GetBehavior())->SetGlued(test.glued, 0);
        definition->ResetInsertionPoint();
        definition->SetInsertionPoint(CPoint3d(1, 1, 2), test.applyBehaviour);
        EXPECT_EQ(definition->GetInsertionPoint().z, test.z) << test.glued << test.applyBehaviour;
    }
}
