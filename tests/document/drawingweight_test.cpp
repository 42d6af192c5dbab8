// Every drawing class weighs what it draws: a larger instance of a class never weighs the
// same as a smaller one. A class whose drawing grows with what it holds adds a row here:
// its name, a maker of a small instance and a maker of a larger one.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "annotations/constructionpoint.h"
#include "annotations/polyline3d.h"
#include "annotations/sectionplane.h"
#include "document/dib.h"
#include "document/image.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/texture.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/vertex.h"
#include "tests/document/operationtestsupport.h"

using operationtest::ModelFixture;

namespace {

// Makes an element in the fixture's model, which owns it.
using Maker = CDrawingElement* (*)(ModelFixture& fixture);

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

// A section plane in a component of that many squares, which its cut runs through.
CDrawingElement* SectionPlane(ModelFixture& fixture, int squares)
{
    CComponentDefinition* definition = fixture.Definition("Cut");
    for (int i = 1; i < squares; ++i) {
        ModelFixture::Square(*definition, 2.0 * i, 0.0);
    }
    auto* plane = new CSectionPlane(CPlane3d(CPoint3d(0.5, 0, 0), CVector3d(1, 0, 0)));
    definition->Add(plane);
    return plane;
}

// An image whose picture keeps that many encoded bytes.
CDrawingElement* Image(ModelFixture& fixture, int bytes)
{
    CComponentDefinition* definition = fixture.Definition("Image");
    auto* material = new CMaterial;
    material->SetName(CString("Picture"));
    auto* texture = new CTexture;
    auto* picture = new CDib;
    auto* kept = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(bytes)));
    std::memset(kept, 0, static_cast<std::size_t>(bytes));
    picture->SetPixelBuffer(kept, bytes);
    texture->SetImage(picture);
    material->SetTexture(texture);
    fixture.Root().GetMaterialManager()->AddMaterial(material);
    for (CDrawingElement* entity : definition->GetEntityList()) {
        if (auto* face = dynamic_cast<CFace*>(entity)) {
            face->SetMaterial(material);
        }
    }
    return ModelFixture::Place<CImage>(fixture.Root(), definition);
}

TEST(DrawingWeightTest, EachClassWeighsMoreAsItHoldsMore)
{
    const struct
    {
        const char* name;
        // Whether the sun's shadows are on while it is weighed.
        bool shadows;
        Maker small;
        Maker large;
    } rows[] = {
        {"CPolyline3d", false, [](ModelFixture& f) { return Polyline(f, 2); }, [](ModelFixture& f) { return Polyline(f, 1000); }},
        {"CEdge", true, [](ModelFixture& f) { return Edge(f, false); }, [](ModelFixture& f) { return Edge(f, true); }},
        {"CConstructionPoint", false, [](ModelFixture& f) { return ConstructionPoint(f, false); },
         [](ModelFixture& f) { return ConstructionPoint(f, true); }},
        {"CSectionPlane", false, [](ModelFixture& f) { return SectionPlane(f, 1); },
         [](ModelFixture& f) { return SectionPlane(f, 50); }},
        {"CImage", false, [](ModelFixture& f) { return Image(f, 16); }, [](ModelFixture& f) { return Image(f, 1 << 20); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const CUndoSuspender suspender;
        ModelFixture fixture;
        const CDrawingElement* small = row.small(fixture);
        const CDrawingElement* large = row.large(fixture);
        ASSERT_NE(small, nullptr);
        ASSERT_NE(large, nullptr);
        EXPECT_GT(small->GetDrawingWeight(row.shadows), 0u);
        EXPECT_GT(large->GetDrawingWeight(row.shadows), small->GetDrawingWeight(row.shadows));
    }
}

}  // namespace
