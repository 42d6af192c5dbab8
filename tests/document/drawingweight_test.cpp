// Every drawing class weighs what drawing it costs a frame by what it holds: one row per
// class and shape, a small and a large one, and the large one must weigh more. A class
// whose drawing grows with what it holds adds a row here.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "annotations/constructionpoint.h"
#include "annotations/dimensionlinear.h"
#include "annotations/dimensionradial.h"
#include "annotations/polyline3d.h"
#include "annotations/sectionplane.h"
#include "annotations/text.h"
#include "document/component.h"
#include "document/drawingwork.h"
#include "document/fontmanager.h"
#include "document/tarnwickmodel.h"
#include "document/twfont.h"
#include "model/drawingelement.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "samplegen/geometrybuilder.h"
#include "tests/document/operationtestsupport.h"

using operationtest::ModelFixture;

namespace {

// Makes an element in the fixture's model, which owns it.
using Maker = std::function<CDrawingElement*(ModelFixture&)>;

// Corners round a circle of radius 10, each joined to the one step places on.
Maker Ring(int corners, int step)
{
    return [=](ModelFixture& fixture) -> CDrawingElement* {
        const CGeometryBuilder builder(fixture.Root());
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
    return [=](ModelFixture& fixture) -> CDrawingElement* {
        const CGeometryBuilder builder(fixture.Root());
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
    return [=](ModelFixture& fixture) -> CDrawingElement* {
        const CGeometryBuilder builder(fixture.Root());
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
    return [=](ModelFixture& fixture) -> CDrawingElement* {
        const CGeometryBuilder builder(fixture.Root());
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
    return [=](ModelFixture& fixture) -> CDrawingElement* {
        auto* text = new CText;
        text->SetText(Characters(characters));
        if (points > 0) {
            text->SetFont(fixture.Model().GetFontManager()->GetFont(CString("DejaVu Sans"), false, false, points,
                                                          CTwFont::kKindTextImage),
                          false);
        }
        fixture.Root().Add(text);
        return text;
    };
}

template <class TDimension>
Maker Dimension(int characters)
{
    return [=](ModelFixture& fixture) -> CDrawingElement* {
        auto* dimension = new TDimension;
        dimension->SetLabelText(Characters(characters));
        fixture.Root().Add(dimension);
        return dimension;
    };
}

// The makers below weigh one shape at a size each.
CDrawingElement* Polyline(ModelFixture& fixture, int points)
{
    std::vector<CPoint3d> chain;
    for (int i = 0; i < points; ++i) {
        chain.emplace_back(i, i % 2, 0.0);
    }
    auto* polyline = new CPolyline3d(std::move(chain));
    fixture.Root().Add(polyline);
    return polyline;
}

CDrawingElement* Edge(ModelFixture& fixture, bool casts)
{
    auto* edge = new CEdge(new CVertex(CPoint3d(0, 0, 0)), new CVertex(CPoint3d(1, 0, 0)), false);
    edge->SetFlagBits(CDrawingElement::kFlagCastsShadows, casts);
    fixture.Root().Add(edge);
    return edge;
}

CDrawingElement* ConstructionPoint(ModelFixture& fixture, bool segment)
{
    auto* point = segment ? new CConstructionPoint(CPoint3d(1, 1, 1), CPoint3d(0, 0, 0))
                          : new CConstructionPoint(CPoint3d(1, 1, 1));
    fixture.Root().Add(point);
    return point;
}

// The active section plane of a component of that many squares, which its cut runs
// through.
CDrawingElement* SectionPlane(ModelFixture& fixture, int squares)
{
    CComponentDefinition* definition = fixture.Definition("Cut");
    for (int i = 1; i < squares; ++i) {
        ModelFixture::Square(*definition, 2.0 * i, 0.0);
    }
    auto* plane = new CSectionPlane(CPlane3d(CPoint3d(0.5, 0, 0), CVector3d(1, 0, 0)));
    definition->Add(plane);
    definition->SetActiveSectionPlane(plane);
    return plane;
}

// Which weighings a row is checked at: a class whose shadows cost nothing more is checked
// with and without them; one that grows only while shadows are on, with them alone.
enum class Shadows { kBoth, kOn };

struct WeightRow
{
    const char* name;
    Shadows shadows;
    Maker makeSmall;
    Maker makeLarge;
};

template <class... Args>
Maker Make(CDrawingElement* (*make)(ModelFixture&, Args...), Args... args)
{
    return [=](ModelFixture& fixture) { return make(fixture, args...); };
}

const WeightRow kRows[] = {
    {"convex face, more corners", Shadows::kBoth, Ring(3, 1), Ring(100, 1)},
    {"concave face, more corners", Shadows::kBoth, Comb(2), Comb(50)},
    {"holed face, more holes", Shadows::kBoth, Holed(1, false), Holed(20, false)},
    {"holes touching the outline, more of them", Shadows::kBoth, Holed(1, true), Holed(20, true)},
    {"loop touching itself, more often", Shadows::kBoth, Petals(3), Petals(100)},
    {"crossing star, more crossings", Shadows::kBoth, Ring(5, 2), Ring(301, 150)},
    {"text: more characters", Shadows::kBoth, Label(10, 0), Label(100, 0)},
    {"text: bigger font", Shadows::kBoth, Label(20, 10), Label(20, 150)},
    {"linear dimension: longer text", Shadows::kBoth, Dimension<CDimensionLinear>(10),
     Dimension<CDimensionLinear>(1000)},
    {"radial dimension: longer text", Shadows::kBoth, Dimension<CDimensionRadial>(10),
     Dimension<CDimensionRadial>(1000)},
    {"polyline: more points", Shadows::kBoth, Make(&Polyline, 2), Make(&Polyline, 1000)},
    {"edge: casting a shadow", Shadows::kOn, Make(&Edge, false), Make(&Edge, true)},
    {"construction point: with a segment", Shadows::kBoth, Make(&ConstructionPoint, false),
     Make(&ConstructionPoint, true)},
    {"active section plane: more to cut", Shadows::kBoth, Make(&SectionPlane, 1), Make(&SectionPlane, 50)},
};

TEST(DrawingWeight, GrowsWithWhatTheElementHolds)
{
    for (const WeightRow& row : kRows) {
        for (const bool shadows : {false, true}) {
            if (!shadows && row.shadows == Shadows::kOn) {
                continue;
            }
            ModelFixture fixture;
            const CUndoSuspender suspender;
            const CDrawingElement* small = row.makeSmall(fixture);
            const CDrawingElement* large = row.makeLarge(fixture);
            ASSERT_NE(small, nullptr) << row.name;
            ASSERT_NE(large, nullptr) << row.name;
            EXPECT_GT(small->GetDrawingWeight(shadows), 0U) << row.name;
            EXPECT_LT(small->GetDrawingWeight(shadows), large->GetDrawingWeight(shadows))
                << row.name << (shadows ? " with shadows" : "");
        }
    }
}

// Only the active plane cuts: every other plane of a component draws its outline, however
// much the component holds, and adding one adds no more than that.
TEST(DrawingWeight, EachInactiveSectionPlaneAddsAConstantWhateverItsComponentHolds)
{
    constexpr int kPlanes = 100;
    constexpr std::uint64_t kOutline = 64;
    for (const int squares : {10, 2000}) {
        for (const bool active : {false, true}) {
            ModelFixture fixture;
            const CUndoSuspender suspender;
            for (int i = 0; i < squares; ++i) {
                ModelFixture::Square(fixture.Root(), 2.0 * i, 0.0);
            }
            auto* cutting = new CSectionPlane(CPlane3d(CPoint3d(0.5, 0, 0), CVector3d(1, 0, 0)));
            fixture.Root().Add(cutting);
            fixture.Root().SetActiveSectionPlane(active ? cutting : nullptr);
            const std::uint64_t before = CDrawingWork::Count(fixture.Root());
            for (int i = 0; i < kPlanes; ++i) {
                fixture.Root().Add(new CSectionPlane(CPlane3d(CPoint3d(2.0 * i, 0, 0), CVector3d(1, 0, 0))));
            }
            const std::uint64_t after = CDrawingWork::Count(fixture.Root());
            EXPECT_LE(after - before, kPlanes * kOutline) << squares << " squares, active " << active;
            if (active) {
                EXPECT_GT(cutting->GetDrawingWeight(false), static_cast<std::uint64_t>(squares))
                    << "the active plane walks every square";
            }
        }
    }
}

}  // namespace

// The count weighs a mesh's convex triangles without walking their rings: it must come to
// what the walk gives, with and without shadows, for faces that cast them and not.
TEST(DrawingWeight, AConvexTriangleWeighsAlikeWithoutTheWalk)
{
    ModelFixture fixture;
    const CUndoSuspender suspender;
    auto* face = static_cast<CFace*>(Ring(3, 1)(fixture));
    ASSERT_NE(face, nullptr);
    ASSERT_TRUE(face->GetOuterLoop()->IsConvex());
    for (const bool casts : {true, false}) {
        face->SetCastsShadows(casts);
        for (const bool shadows : {false, true}) {
            const CFace::SWeight walked = face->GetWeightParts(shadows);
            const CFace::SWeight known = face->GetConvexTriangleWeight(shadows);
            EXPECT_EQ(known.drawn, walked.drawn) << casts << shadows;
            EXPECT_EQ(known.cut, walked.cut) << casts << shadows;
            EXPECT_EQ(known.kept, walked.kept) << casts << shadows;
            EXPECT_EQ(known.triangles, walked.triangles) << casts << shadows;
        }
    }
}
