// Every drawing class weighs what drawing it costs by what it holds: a larger content
// weighs more than a smaller one of the same class.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "annotations/dimensionlinear.h"
#include "annotations/dimensionradial.h"
#include "annotations/text.h"
#include "document/component.h"
#include "document/fontmanager.h"
#include "document/tarnwickmodel.h"
#include "document/twfont.h"
#include "model/undosuspender.h"
#include "tests/document/operationtestsupport.h"

namespace {

using Maker = std::function<CDrawingElement*(CTarnwickModel&)>;

struct WeightRow
{
    const char* name;
    Maker makeSmall;
    Maker makeLarge;
};

CString Characters(int count)
{
    return CString::FromUtf8(std::string(static_cast<std::size_t>(count), 'W'));
}

// A label of that many characters in a font of that many points (0: the style's).
Maker Label(int characters, int points)
{
    return [=](CTarnwickModel& model) {
        auto* text = new CText;
        text->SetText(Characters(characters));
        if (points > 0) {
            text->SetFont(model.GetFontManager()->GetFont(CString("DejaVu Sans"), false, false, points,
                                                          CTwFont::kKindTextImage),
                          false);
        }
        model.GetRootComponent()->Add(text);
        return text;
    };
}

template <class TDimension>
Maker Dimension(int characters)
{
    return [=](CTarnwickModel& model) {
        auto* dimension = new TDimension;
        dimension->SetLabelText(Characters(characters));
        model.GetRootComponent()->Add(dimension);
        return dimension;
    };
}

const WeightRow kRows[] = {
    {"text: more characters", Label(10, 0), Label(100, 0)},
    {"text: bigger font", Label(20, 10), Label(20, 150)},
    {"linear dimension: longer text", Dimension<CDimensionLinear>(10), Dimension<CDimensionLinear>(1000)},
    {"radial dimension: longer text", Dimension<CDimensionRadial>(10), Dimension<CDimensionRadial>(1000)},
};

TEST(DrawingWeight, GrowsWithWhatTheElementHolds)
{
    for (const WeightRow& row : kRows) {
        for (const bool shadows : {false, true}) {
            const operationtest::ModelFixture fixture;
            const CUndoSuspender suspender;
            const CDrawingElement* small = row.makeSmall(fixture.Model());
            const CDrawingElement* large = row.makeLarge(fixture.Model());
            EXPECT_GT(small->GetDrawingWeight(shadows), 1U) << row.name;
            EXPECT_GT(large->GetDrawingWeight(shadows), small->GetDrawingWeight(shadows)) << row.name;
        }
    }
}

}  // namespace
