// Every drawing class weighs what drawing it costs a frame by what it holds: one row per
// class and shape, a small and a large one, and the large one must weigh more.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "annotations/dimensionlinear.h"
#include "annotations/dimensionradial.h"
#include "annotations/text.h"
#include "document/component.h"
#include "document/fontmanager.h"
#include "document/tarnwickmodel.h"
#include "document/twfont.h"
#include "model/drawingelement.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "samplegen/geometrybuilder.h"
#include "tests/document/operationtestsupport.h"

namespace {

using Maker = std::function<CDrawingElement*(CTarnwickModel&)>;

struct WeightRow
{
    const char* name;
    Maker makeSmall;
    Maker makeLarge;
};

// Corners round a circle of radius 10, each joined to the one step places on.
Maker Ring(int corners, int step)
{
    return [=](CTarnwickModel& model) -> CDrawingElement* {
        const CGeometryBuilder builder(*model.GetRootComponent());
        std::vector<CVertex*> ring;
        for (int i = 0; i < corners; ++i) {
            const double angle = 6.283185307179586 * (static_cast<long long>(i) * step % corners) / corners;
            ring.push_back(builder.Vertex(CPoint3d(10.0 * std::cos(angle), 10.0 * std::sin(angle), 0.0)));
        }
        return builder.Face(ring, CVector3d(0, 0, 1));
    };
}

// A comb of that many teeth: concave at the foot of each.
Maker Comb(int teeth)
{
    return [=](CTarnwickModel& model) -> CDrawingElement* {
        const CGeometryBuilder builder(*model.GetRootComponent());
        std::vector<CVertex*> ring{builder.Vertex(CPoint3d(0, 0, 0)), builder.Vertex(CPoint3d(2.0 * teeth, 0, 0))};
        for (int i = teeth - 1; i >= 0; --i) {
            ring.push_back(builder.Vertex(CPoint3d(2.0 * i + 2.0, 5, 0)));
            ring.push_back(builder.Vertex(CPoint3d(2.0 * i + 1.0, 5, 0)));
            ring.push_back(builder.Vertex(CPoint3d(2.0 * i + 1.0, 1, 0)));
            ring.push_back(builder.Vertex(CPoint3d(2.0 * i, 1, 0)));
        }
        return builder.Face(ring, CVector3d(0, 0, 1));
    };
}

// A square with that many unit holes in a row, or touching its outline at a corner each.
Maker Holed(int holes, bool touching)
{
    return [=](CTarnwickModel& model) -> CDrawingElement* {
        const CGeometryBuilder builder(*model.GetRootComponent());
        const double side = 2.0 * holes + 1.0;
        CFace* face = builder.Face({builder.Vertex(CPoint3d(0, 0, 0)), builder.Vertex(CPoint3d(side, 0, 0)),
                                    builder.Vertex(CPoint3d(side, side, 0)), builder.Vertex(CPoint3d(0, side, 0))},
                                   CVector3d(0, 0, 1));
        for (int i = 0; i < holes; ++i) {
            const double x = 2.0 * i + 1.0;
            const double low = touching ? 0.0 : 1.0;
            (void)builder.Hole(face, {builder.Vertex(CPoint3d(x + 0.5, low, 0)), builder.Vertex(CPoint3d(x, 2, 0)),
                                      builder.Vertex(CPoint3d(x + 1, 2, 0))});
        }
        return face;
    };
}

// A loop leaving its centre and coming back to it once per petal.
Maker Petals(int petals)
{
    return [=](CTarnwickModel& model) -> CDrawingElement* {
        const CGeometryBuilder builder(*model.GetRootComponent());
        std::vector<CVertex*> ring;
        for (int i = 0; i < petals; ++i) {
            const double from = 6.283185307179586 * i / petals;
            const double to = 6.283185307179586 * (i + 0.5) / petals;
            ring.push_back(builder.Vertex(CPoint3d(0, 0, 0)));
            ring.push_back(builder.Vertex(CPoint3d(10.0 * std::cos(from), 10.0 * std::sin(from), 0)));
            ring.push_back(builder.Vertex(CPoint3d(10.0 * std::cos(to), 10.0 * std::sin(to), 0)));
        }
        return builder.Face(ring, CVector3d(0, 0, 1));
    };
}

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
    {"convex face, more corners", Ring(3, 1), Ring(100, 1)},
    {"concave face, more corners", Comb(2), Comb(50)},
    {"holed face, more holes", Holed(1, false), Holed(20, false)},
    {"holes touching the outline, more of them", Holed(1, true), Holed(20, true)},
    {"loop touching itself, more often", Petals(3), Petals(100)},
    {"crossing star, more crossings", Ring(5, 2), Ring(301, 150)},
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
            EXPECT_LT(small->GetDrawingWeight(shadows), large->GetDrawingWeight(shadows))
                << row.name << (shadows ? " with shadows" : "");
        }
    }
}

}  // namespace
