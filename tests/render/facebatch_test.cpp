// Faces drawn offscreen through the view's face batch: smooth shading, texture
// placements and section cuts, checked by the pixels of a few regions; and the cuts
// the batch keeps.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "annotations/sectionclipstack.h"
#include "annotations/sectionplane.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/facetexturecoords.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "document/texture.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/enumedge.h"
#include "model/enumedgeuse.h"
#include "model/face.h"
#include "model/keptfacetriangles.h"
#include "model/loop.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "model/smoothnormals.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "foundation/transformation.h"
#include "render/facepolygon.h"
#include "render/tarnisview.h"
#include "samplegen/faceshapes.h"
#include "samplegen/geometrybuilder.h"
#include "tests/render/modelframefixture.h"
#include "tests/render/picturesupport.h"

namespace {

using Rgb = std::array<int, 3>;

const CColor kBackground(40, 40, 80, 255);

class FaceBatchTest : public ModelFrameTest
{
protected:
    void SetUp() override
    {
        ModelFrameTest::SetUp();
        Options().SetBackgroundColor(kBackground);
        Options().SetDrawProfiles(false);
        Options().SetDisplayEdges(0);
        LookDown(20.0);
    }
};

// The side of an upright cylinder of radius 8 from z 0 to 10, in 12 faces, with the
// vertical edges smooth or not.
std::vector<CFace*> CylinderSide(CComponent& component, bool smooth)
{
    const CGeometryBuilder builder(component);
    constexpr int kSides = 12;
    std::vector<CVertex*> low;
    std::vector<CVertex*> high;
    for (int i = 0; i < kSides; ++i) {
        // Turned off the view axis, so that no two faces in sight are shaded alike.
        const double angle = (i * 30.0 + 10.0) * std::numbers::pi / 180.0;
        low.push_back(builder.Vertex(CPoint3d(8 * std::cos(angle), 8 * std::sin(angle), 0)));
        high.push_back(builder.Vertex(CPoint3d(8 * std::cos(angle), 8 * std::sin(angle), 10)));
    }
    std::vector<CFace*> faces;
    for (int i = 0; i < kSides; ++i) {
        const int j = (i + 1) % kSides;
        const double mid = (i * 30.0 + 25.0) * std::numbers::pi / 180.0;
        faces.push_back(builder.Face({low[i], low[j], high[j], high[i]}, CVector3d(std::cos(mid), std::sin(mid), 0)));
    }
    for (CFace* face : faces) {
        std::unique_ptr<CEnumEdge> edges(face->NewEdgeEnum());
        CEdge* edge = nullptr;
        while (edges->Next(edge)) {
            if (edge->GetStartVertex()->GetPosition().z != edge->GetEndVertex()->GetPosition().z) {
                edge->SetSmooth(smooth);
            }
        }
    }
    return faces;
}

struct RowSteps {
    int changes = 0;  // neighbouring pixels that differ
    int largest = 0;  // the largest difference between neighbours
};

}  // namespace

TEST_F(FaceBatchTest, ASmoothCylinderShadesContinuouslyAcrossItsSeamsWhereAFlatOneSteps)
{
    LookParallel(CPoint3d(0, -100, 5), CPoint3d(0, 0, 5), CVector3d(0, 0, 1), 20.0);
    const std::vector<CFace*> side = CylinderSide(Root(), true);
    CMaterial* grey = Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(120, 120, 120));
    for (CFace* face : side) {
        face->SetMaterial(grey);
    }
    // Across the middle of the cylinder, away from its outline (columns 13 to 51).
    const auto steps = [this] {
        RowSteps result;
        for (int x = 18; x < 46; ++x) {
            // Green: the channel with the most bits in a 16-bit framebuffer.
            const int d = std::abs(Pixel(x + 1, 24)[1] - Pixel(x, 24)[1]);
            result.changes += d > 0 ? 1 : 0;
            result.largest = std::max(result.largest, d);
        }
        return result;
    };

    Draw();
    const RowSteps smooth = steps();
    EXPECT_LE(smooth.largest, 8);
    EXPECT_GE(smooth.changes, 12);
    // The corner normals are the averages of the two faces at each vertical edge.
    const CEdgeUse* use = side[3]->GetOuterLoop()->GetFirstEdgeUse();
    const CVector3d averaged = use->GetSmoothNormal();
    EXPECT_NEAR(averaged.z, 0.0, 1e-9);
    EXPECT_LT(DotProduct(averaged, side[3]->GetNormal()), 0.999);

    Options().SetAverageNormals(false);
    Draw();
    const RowSteps ignored = steps();
    EXPECT_GE(ignored.largest, 12);

    // Hard edges clear the table on the next frame: the faces are flat again.
    Options().SetAverageNormals(true);
    for (CFace* face : side) {
        std::unique_ptr<CEnumEdge> edges(face->NewEdgeEnum());
        CEdge* edge = nullptr;
        while (edges->Next(edge)) {
            edge->SetSmooth(false);
        }
    }
    Draw();
    const RowSteps flat = steps();
    EXPECT_GE(flat.largest, 12);
    EXPECT_LE(flat.changes, 4);
    EXPECT_FALSE(side[3]->HasFlag(CSmoothNormals::kFlagSmoothSurface));
}

TEST_F(FaceBatchTest, APlacementShiftedByHalfThePictureShowsThePictureShifted)
{
    const CGeometryBuilder builder(Root());
    CFace* face = builder.Face({builder.Vertex(CPoint3d(-8, -8, 0)), builder.Vertex(CPoint3d(8, -8, 0)),
                                builder.Vertex(CPoint3d(8, 8, 0)), builder.Vertex(CPoint3d(-8, 8, 0))},
                               CVector3d(0, 0, 1));
    CMaterial* material = Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(10, 10, 10));
    auto* texture = new CTexture;
    // Left half red, right half blue; tiled at its own size it would repeat every unit.
    texture->SetImage(MakeTestPicture(2, 2, {0xFFFF0000, 0xFF0000FF, 0xFFFF0000, 0xFF0000FF}));
    texture->SetWidth(1.0);
    texture->SetHeight(1.0);
    material->SetTexture(texture);
    material->SetKind(kMaterialTexture);
    face->SetMaterial(material);
    auto* coords = new CFaceTextureCoords;
    face->GetOrCreateAttributeContainer(coords);
    const auto place = [coords](double shift) {
        Matrix3 matrix = Matrix3Scale(16.0, 16.0);
        matrix[6] = shift;
        coords->SetFrontMatrix(matrix);
    };
    const auto colours = [this] {
        std::vector<int> result;  // 1 mostly red, 2 mostly blue, 0 a mix
        for (int y = 8; y < 40; y += 4) {
            for (int x = 14; x < 50; x += 2) {
                const Rgb p = Pixel(x, y);
                result.push_back(p[0] > p[2] + 60 ? 1 : (p[2] > p[0] + 60 ? 2 : 0));
            }
        }
        return result;
    };

    place(0.0);
    Draw();
    const std::vector<int> placed = colours();
    place(8.0);
    Draw();
    const std::vector<int> shifted = colours();
    int red = 0;
    int swapped = 0;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        red += placed[i] == 1 ? 1 : 0;
        swapped += placed[i] != 0 && shifted[i] == 3 - placed[i] ? 1 : 0;
    }
    // The placement spans the face once: one red half, not a repeat every unit.
    EXPECT_GT(red, static_cast<int>(placed.size()) / 4);
    EXPECT_LT(red, static_cast<int>(placed.size()) * 3 / 4);
    EXPECT_GT(swapped, static_cast<int>(placed.size()) * 3 / 4);
}

TEST_F(FaceBatchTest, ASectionPlaneThroughABoxLeavesOnlyTheKeptSideDrawnInGLAndInSoftware)
{
    const CGeometryBuilder builder(Root());
    builder.Box(CPoint3d(-5, -5, 0), CPoint3d(5, 5, 10));
    // Keeps x >= 0: the right half of the box seen from above.
    auto* plane = new CSectionPlane(CPlane3d(1, 0, 0, 0));
    Root().AddEntity(plane);
    Root().SetActiveSectionPlane(plane);
    // 2.4 pixels to the unit: the box spans columns 20 to 44 and rows 12 to 36.
    const auto kept = [this] { return Pixel(38, 24) != Pixel(2, 2); };
    const auto cutAway = [this] { return Pixel(26, 24) == Pixel(2, 2); };

    Draw();
    EXPECT_TRUE(kept());
    EXPECT_TRUE(cutAway());

    // The stencil-shadow pass holds the GL clip planes off: the faces clip themselves.
    SuppressClipPlanes(true);
    Draw();
    SuppressClipPlanes(false);
    EXPECT_TRUE(kept());
    EXPECT_TRUE(cutAway());

    Root().SetActiveSectionPlane(nullptr);
    Draw();
    EXPECT_FALSE(cutAway());
}

namespace {

// A star {corners/step} of radius 8 about the centre, its loop crossing itself.
CFace* CrossingStar(const CGeometryBuilder& builder, int corners, int step)
{
    std::vector<CVertex*> ring;
    for (int i = 0; i < corners; ++i) {
        const double angle = 2.0 * std::numbers::pi * (i * step % corners) / corners;
        ring.push_back(builder.Vertex(CPoint3d(8 * std::cos(angle), 8 * std::sin(angle), 0)));
    }
    return builder.Face(ring, CVector3d(0, 0, 1));
}

// Petals of radius 8 leaving the centre and coming back to it, each corner at the centre
// a vertex of its own, as one loop.
CFace* Petals(const CGeometryBuilder& builder, int petals)
{
    std::vector<CVertex*> ring;
    for (int i = 0; i < petals; ++i) {
        const double from = 2.0 * std::numbers::pi * i / petals;
        const double to = 2.0 * std::numbers::pi * (i + 0.5) / petals;
        ring.push_back(builder.Vertex(CPoint3d(0, 0, 0)));
        ring.push_back(builder.Vertex(CPoint3d(8 * std::cos(from), 8 * std::sin(from), 0)));
        ring.push_back(builder.Vertex(CPoint3d(8 * std::cos(to), 8 * std::sin(to), 0)));
    }
    return builder.Face(ring, CVector3d(0, 0, 1));
}

// A square of side 16 about the centre with a hole through the given corners.
CFace* SquareWithHole(const CGeometryBuilder& builder, const std::vector<CPoint3d>& hole)
{
    CFace* face = builder.Face({builder.Vertex(CPoint3d(-8, -8, 0)), builder.Vertex(CPoint3d(8, -8, 0)),
                                builder.Vertex(CPoint3d(8, 8, 0)), builder.Vertex(CPoint3d(-8, 8, 0))},
                               CVector3d(0, 0, 1));
    std::vector<CVertex*> ring;
    for (const CPoint3d& p : hole) {
        ring.push_back(builder.Vertex(p));
    }
    (void)builder.Hole(face, ring);
    return face;
}

}  // namespace

TEST_F(FaceBatchTest, FacesTheSweepRefusesAreResolvedOnceAndFilledOnlyWhenAffordableAndFinite)
{
    const double nan = std::nan("");
    const struct
    {
        const char* name;
        std::function<CFace*(const CGeometryBuilder&)> make;
        // A point filled when the face is drawn, in pixels.
        int x;
        int y;
        bool filled;
        // Corners were added where the loops cross.
        bool added;
    } cases[] = {
        {"pentagram", [](const CGeometryBuilder& b) { return CrossingStar(b, 5, 2); }, 32, 24, true, true},
        // The sweep cuts it once the corners at the centre are moved apart.
        {"loop touching itself at its centre", [](const CGeometryBuilder& b) { return Petals(b, 4); }, 43, 20,
         true, false},
        {"hole touching the outline",
         [](const CGeometryBuilder& b) {
             return SquareWithHole(b, {{-8, 0, 0}, {0, 4, 0}, {4, 0, 0}, {0, -4, 0}});
         },
         50, 24, true, false},
        {"hole with a corner not a number",
         [&](const CGeometryBuilder& b) { return SquareWithHole(b, {{-2, -2, 0}, {-2, nan, 0}, {2, 2, 0}, {2, -2, 0}}); },
         50, 24, false, false},
        {"star {3001/1500}, too costly to resolve", [](const CGeometryBuilder& b) { return CrossingStar(b, 3001, 1500); },
         32, 24, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CFace* face = c.make(CGeometryBuilder(Root()));
        Draw();
        EXPECT_EQ(Pixel(c.x, c.y) != Pixel(2, 2), c.filled);
        const CKeptFaceTriangles::SEntry* kept = CKeptFaceTriangles::Find(face->GetDisplayCache());
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept->triangles.empty(), !c.filled);
        EXPECT_EQ(!kept->added.empty(), c.added);
        const std::int32_t number = face->GetDisplayCache();
        const std::vector<std::uint8_t> first = m_pixels;
        Draw();
        EXPECT_EQ(face->GetDisplayCache(), number);
        EXPECT_EQ(m_pixels, first);
        face->SetHidden(true);
    }
}

TEST_F(FaceBatchTest, AFaceWithOpeningsKeepsItsCutAcrossPlacementsAndFramesUntilAnOpeningMoves)
{
    auto* definition = new CComponentDefinition;
    Root().GetDefinitionList()->Add(definition);
    const SFaceShape shape = MakeFaceShape("ladderopen", 40);
    CFace* face = AddFaceShape(*definition, shape);
    for (const double x : {-12.0, 0.0, 12.0}) {
        auto* instance = new CComponentInstance;
        definition->AddInstance(instance);
        CTransformation transform;
        transform.SetTranslation(CVector3d(x, -20.0, 0.0));
        instance->SetTransform(transform);
        Root().Add(instance);
    }
    LookDown(60.0);
    const auto keptTriangles = [face] {
        const CKeptFaceTriangles::SEntry* kept = CKeptFaceTriangles::Find(face->GetDisplayCache());
        return kept != nullptr && !kept->openings.empty() ? kept->triangles.data() : nullptr;
    };
    // Cut first on the road of shadows and section fills, placed; then drawn by the batch
    // at every placement, twice.
    CFacePolygon polygon;
    CTransformation placed;
    placed.SetTranslation(CVector3d(0.0, 30.0, 0.0));
    polygon.Build(*face, &placed, false, &m_view);
    polygon.Draw(false);
    const std::uint32_t* first = keptTriangles();
    ASSERT_NE(first, nullptr) << "the placed polygon kept no cut";
    Draw();
    EXPECT_EQ(keptTriangles(), first) << "the batch cut it again";
    Draw();
    EXPECT_EQ(keptTriangles(), first) << "cut again though no opening changed";
    // A window moved along the face: its opening is cut where it now stands.
    CRelationship* glue = definition->GetRelationshipMap()->GetRelationship(0);
    auto* window = dynamic_cast<CComponentInstance*>(glue->GetSecond());
    ASSERT_NE(window, nullptr);
    CTransformation moved;
    moved.SetTranslation(CVector3d(1.0, 0.0, 0.0));
    window->SetTransform(moved);
    Draw();
    const CKeptFaceTriangles::SEntry* kept = CKeptFaceTriangles::Find(face->GetDisplayCache());
    ASSERT_NE(kept, nullptr);
    EXPECT_FALSE(kept->triangles.empty());
    ASSERT_FALSE(kept->openingEnds.empty());
    const auto firstOpening = kept->openings.begin() + static_cast<std::ptrdiff_t>(kept->openingEnds.front());
    const double left = std::min_element(kept->openings.begin(), firstOpening, [](const CPoint3d& a, const CPoint3d& b) {
                            return a.x < b.x;
                        })->x;
    EXPECT_NEAR(left, 3.0, 1e-9) << "the window glued from x = 2 moved by 1";
}
