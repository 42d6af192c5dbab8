// The two orders of blended transparency: box centres, and depth with pairwise tests,
// on synthetic records and on faces blended offscreen.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/group.h"
#include "document/image.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "render/bboxcentersort.h"
#include "render/simplennssort.h"
#include "render/tarnisview.h"
#include "render/transparencyorders.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/transparencymodels.h"
#include "tests/render/modelframefixture.h"

namespace {

using Record = CSimpleNNSSort::Record;

Record Box(double x0, double x1, double z0, double z1, CDrawingElement* tag)
{
    Record r;
    r.entity = tag;
    r.xmin = x0;
    r.xmax = x1;
    r.ymin = 0.0;
    r.ymax = 10.0;
    r.zmin = z0;
    r.zmax = z1;
    return r;
}

// Stand-ins told apart by address only.
CDrawingElement* Tag(int n)
{
    static char tags[8];
    return reinterpret_cast<CDrawingElement*>(&tags[n]);
}

// The pairwise pass as a plain scan over every nearer position, for the indexed pass to
// match.
void PlainReorder(std::vector<Record>& records, const CSimpleNNSSort::PairTest& test)
{
    for (int i = static_cast<int>(records.size()) - 1; i >= 1; --i) {
        int j = i - 1;
        while (j >= 0) {
            const auto ri = static_cast<std::size_t>(i);
            const auto rj = static_cast<std::size_t>(j);
            if (!records[rj].moved && records[ri].zmin >= records[rj].zmax) {
                break;
            }
            const bool apart =
                std::min(records[ri].xmax, records[rj].xmax) - std::max(records[ri].xmin, records[rj].xmin) < 0.001 ||
                std::min(records[ri].ymax, records[rj].ymax) - std::max(records[ri].ymin, records[rj].ymin) < 0.001;
            if (!apart && !records[rj].moved && test(records[ri], records[rj]) == CSimpleNNSSort::kMove) {
                records[rj].moved = true;
                std::rotate(records.begin() + j, records.begin() + j + 1, records.begin() + i + 1);
                j = i - 2;
                continue;
            }
            --j;
        }
    }
}

}  // namespace

TEST(DepthSortTest, RecordsOverlappingInEveryDirectionEndAfterEachMovedAtMostOnce)
{
    // Three records whose pair test always answers move: a cycle without end unless
    // moved records stay where they are.
    std::vector<Record> records{Box(0, 10, 0.1, 0.5, Tag(0)), Box(0, 10, 0.2, 0.6, Tag(1)),
                                Box(0, 10, 0.3, 0.7, Tag(2))};
    CSimpleNNSSort::Sort(records);
    int tests = 0;
    CSimpleNNSSort::Reorder(records, [&tests](const Record&, const Record&) {
        ++tests;
        return CSimpleNNSSort::kMove;
    });
    EXPECT_LT(tests, 10);
    int moved = 0;
    for (const Record& r : records) {
        moved += r.moved ? 1 : 0;
    }
    EXPECT_LE(moved, 3);
    EXPECT_EQ(records.size(), 3U);
}

TEST(DepthSortTest, OnlyRecordsOverlappingOnScreenAndInDepthAreTestedAndMoved)
{
    struct Case
    {
        const char* name;
        Record nearer;
        Record farther;
        bool tested;
    };
    const Case cases[] = {
        {"apart in x by less than the tolerance", Box(0, 5.0005, 0.1, 0.6, Tag(0)), Box(5, 9, 0.2, 0.7, Tag(1)), false},
        {"wholly in front in depth", Box(0, 9, 0.1, 0.2, Tag(0)), Box(0, 9, 0.3, 0.7, Tag(1)), false},
        {"overlapping", Box(0, 9, 0.1, 0.6, Tag(0)), Box(0, 9, 0.2, 0.7, Tag(1)), true},
    };
    for (const Case& c : cases) {
        std::vector<Record> records{c.farther, c.nearer};
        CSimpleNNSSort::Sort(records);
        ASSERT_EQ(records[0].entity, c.nearer.entity) << c.name;
        bool tested = false;
        CSimpleNNSSort::Reorder(records, [&tested](const Record&, const Record&) {
            tested = true;
            return CSimpleNNSSort::kMove;
        });
        EXPECT_EQ(tested, c.tested) << c.name;
        // Drawn from the last: a move puts the nearer one first in drawing.
        EXPECT_EQ(records[0].entity, c.tested ? c.farther.entity : c.nearer.entity) << c.name;
    }
}

TEST(DepthSortTest, TheScreenIndexLeavesTheOrderOfThePlainScanUnchanged)
{
    std::mt19937 random(19);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (const double wideShare : {0.0, 0.02, 0.3}) {
        std::vector<Record> records(3000);
        for (std::size_t k = 0; k < records.size(); ++k) {
            Record& r = records[k];
            const double size = unit(random) < wideShare ? 400.0 : 4.0 + 20.0 * unit(random);
            r.xmin = 1000.0 * unit(random);
            r.xmax = r.xmin + size * unit(random);
            r.ymin = 700.0 * unit(random);
            r.ymax = r.ymin + size * unit(random);
            r.zmin = unit(random);
            r.zmax = std::min(1.0, r.zmin + 0.3 * unit(random));
            r.first = static_cast<int>(k);
        }
        // Answers that depend on the pair only, with some ties in far depth.
        records[7].zmax = records[8].zmax;
        const CSimpleNNSSort::PairTest test = [](const Record& i, const Record& j) {
            return (i.first * 7919 + j.first * 104729) % 5 == 0 ? CSimpleNNSSort::kMove : CSimpleNNSSort::kKeep;
        };
        CSimpleNNSSort::Sort(records);
        std::vector<Record> plain = records;
        CSimpleNNSSort::Reorder(records, test);
        PlainReorder(plain, test);
        ASSERT_EQ(records.size(), plain.size());
        int moves = 0;
        for (std::size_t k = 0; k < records.size(); ++k) {
            ASSERT_EQ(records[k].first, plain[k].first) << "share " << wideShare << " position " << k;
            moves += records[k].moved ? 1 : 0;
        }
        EXPECT_GT(moves, 0) << wideShare;
    }
}

TEST(DepthSortTest, APassToldToStopLeavesTheRecordsInDepthOrder)
{
    for (const int allowed : {0, 1, 1000}) {
        std::vector<Record> records{Box(0, 10, 0.1, 0.5, Tag(0)), Box(0, 10, 0.2, 0.6, Tag(1)),
                                    Box(0, 10, 0.3, 0.7, Tag(2))};
        CSimpleNNSSort::Sort(records);
        int spent = 0;
        const bool whole = CSimpleNNSSort::Reorder(
            records, [](const Record&, const Record&) { return CSimpleNNSSort::kMove; },
            [&spent, allowed](std::uint64_t) { return ++spent <= allowed; });
        EXPECT_EQ(whole, allowed == 1000) << allowed;
        if (allowed == 0) {
            // Stopped before any pair was tested: nothing moved.
            EXPECT_EQ(records[0].entity, Tag(0));
            EXPECT_EQ(records[1].entity, Tag(1));
            EXPECT_EQ(records[2].entity, Tag(2));
        }
        EXPECT_EQ(records.size(), 3U);
    }
}

TEST(BoxCentreSortTest, ImagesAreDrawnFirstThenEverythingElseFarthestFirst)
{
    using R = CBboxCenterSort::Record;
    std::vector<R> records{{nullptr, Tag(0), false, 5.0}, {nullptr, Tag(1), true, 1.0},
                           {nullptr, Tag(2), false, 9.0}, {nullptr, Tag(3), true, 7.0}};
    CBboxCenterSort::Sort(records);
    std::vector<CDrawingElement*> drawn;
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        drawn.push_back(it->entity);
    }
    EXPECT_EQ(drawn, (std::vector<CDrawingElement*>{Tag(3), Tag(1), Tag(2), Tag(0)}));
}

class BlendOrderTest : public ModelFrameTest
{
protected:
    void SetUp() override
    {
        ModelFrameTest::SetUp();
        CRenderingOptions& options = *m_model->GetRenderingOptions();
        options.SetBackgroundColor(CColor(0, 0, 0, 255));
        options.SetDisplayEdges(0);
        options.SetDrawProfiles(false);
        options.SetEnableTransparency(true);
        LookDown(20.0);
    }

    void Glass(double z, const CColor& color)
    {
        CComponent& root = *m_model->GetRootComponent();
        const CGeometryBuilder builder(root);
        CFace* face = builder.Face({builder.Vertex(CPoint3d(-5, -5, z)), builder.Vertex(CPoint3d(5, -5, z)),
                                    builder.Vertex(CPoint3d(5, 5, z)), builder.Vertex(CPoint3d(-5, 5, z))},
                                   CVector3d(0, 0, 1));
        CMaterial* glass = root.GetMaterialManager()->FindOrCreateColorMaterial(color);
        glass->SetUseTransparency(true);
        glass->SetTransparency(0.5);
        face->SetMaterial(glass);
    }

    std::array<int, 3> DrawCentre()
    {
        Draw();
        return Pixel(kWidth / 2, kHeight / 2);
    }
};

TEST_F(BlendOrderTest, TransparentFacesBlendBackToFrontWhateverOrderTheyWereMadeIn)
{
    // The nearer blue first in the list: unsorted, it hides the red behind it.
    Glass(5.0, CColor(0, 0, 255));
    Glass(2.0, CColor(255, 0, 0));
    for (const int quality : {1, 2}) {
        m_model->GetRenderingOptions()->SetTransparencyQuality(quality);
        const std::array<int, 3> rgb = DrawCentre();
        // Red at half over black, then blue at half over that.
        EXPECT_NEAR(rgb[0], 60, 12) << quality;
        EXPECT_NEAR(rgb[2], 120, 12) << quality;
    }
    m_model->GetRenderingOptions()->SetDisplayByte(CRenderingOptions::kBlendingOff, true);
    const std::array<int, 3> rgb = DrawCentre();
    EXPECT_LT(rgb[0], 10) << "without blending the nearer face covers the other";
    EXPECT_GT(rgb[2], 200);
}

TEST_F(BlendOrderTest, AnInstanceTakesTheWindowBoxOfItsPlacedBoxCutAtTheNearPlane)
{
    // Once pinned a fault: the corners behind the near plane were dropped, and the part of
    // an instance reaching past the eye counted for nothing on screen.
    CComponent& root = *m_model->GetRootComponent();
    auto* definition = new CComponentDefinition;
    root.GetDefinitionList()->Add(definition);
    const CGeometryBuilder builder(*definition);
    builder.Face({builder.Vertex(CPoint3d(-1, -1, 0)), builder.Vertex(CPoint3d(1, -1, 0)),
                  builder.Vertex(CPoint3d(1, 1, 200))});
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    root.Add(instance);
    CTransformation placement;
    placement.SetTranslation(CVector3d(0, 0, -50));
    instance->SetTransform(placement);
    CViewDefinition view = m_view.GetViewDefinition();
    view.SetPerspective(true);
    m_view.SetViewDefinition(view);
    DrawCentre();  // the frame settles the near distance

    CSimpleNNSSort sorter(&m_view, 1);
    sorter.Add(nullptr, instance);
    sorter.Project();
    ASSERT_EQ(sorter.GetRecords().size(), 1U);
    const CSimpleNNSSort::Record& record = sorter.GetRecords()[0];
    EXPECT_GT(record.xmax - record.xmin, kWidth);
    EXPECT_NEAR(record.zmin, 0.0, 1e-6) << "the box reaches the near plane";
}

TEST_F(BlendOrderTest, QuadsAcrossTheLineOfSightBlendFarthestFirstFromEitherSide)
{
    // Three glass quads in the planes y = 0, 2 and 4, their fronts toward -y and made
    // nearest first as seen from y < 0: the eye sees their fronts from y = -30, their
    // backs from y = 34. Unsorted (quality 0) the faces draw in the order they were made.
    CComponent& root = *m_model->GetRootComponent();
    const CGeometryBuilder builder(root);
    const CColor colours[] = {CColor(255, 0, 0), CColor(0, 255, 0), CColor(0, 0, 255)};
    for (int k = 0; k < 3; ++k) {
        const double y = 2.0 * k;
        CFace* face = builder.Face({builder.Vertex(CPoint3d(-5, y, -5)), builder.Vertex(CPoint3d(5, y, -5)),
                                    builder.Vertex(CPoint3d(5, y, 5)), builder.Vertex(CPoint3d(-5, y, 5))},
                                   CVector3d(0, -1, 0));
        CMaterial* glass = root.GetMaterialManager()->FindOrCreateColorMaterial(colours[k]);
        glass->SetUseTransparency(true);
        glass->SetTransparency(0.5);
        face->SetMaterial(glass);
    }
    struct Case
    {
        CPoint3d eye;
        bool perspective;
    };
    const Case cases[] = {{CPoint3d(0, -30, 0), true},  {CPoint3d(0, 34, 0), true},  {CPoint3d(12, -30, 9), true},
                          {CPoint3d(12, 34, 9), true},  {CPoint3d(0, -30, 0), false}, {CPoint3d(0, 34, 0), false}};
    for (const int quality : {1, 2}) {
        m_model->GetRenderingOptions()->SetTransparencyQuality(quality);
        for (const Case& c : cases) {
            CViewDefinition view;
            view.SetViewportSize(kWidth, kHeight);
            view.SetEyeTarget(c.eye, CPoint3d(0, 2, 0), CVector3d(0, 0, 1));
            view.SetPerspective(c.perspective);
            view.SetViewHeight(20.0);
            m_view.SetViewDefinition(view);
            m_view.SetViewportSize(kWidth, kHeight);
            // Each quad keeps half of what lies behind it: the nearest counts for a half,
            // the middle one for a quarter, the farthest for an eighth.
            const std::array<int, 3> rgb = DrawCentre();
            const std::size_t nearest = c.eye.y < 0 ? 0 : 2;
            std::array<double, 3> expected{};
            expected[nearest] = 127.5;
            expected[1] = 63.75;
            expected[2 - nearest] = 31.9;
            for (std::size_t k = 0; k < 3; ++k) {
                EXPECT_NEAR(rgb[k], expected[k], 12) << "quality " << quality << " eye y " << c.eye.y << " x "
                                                     << c.eye.x << (c.perspective ? " perspective" : " parallel")
                                                     << " channel " << k;
            }
        }
    }
    // The faster quality leaves the faces in their order: seen from their fronts the
    // nearest comes first and, writing depth, hides the others.
    m_model->GetRenderingOptions()->SetTransparencyQuality(0);
    CViewDefinition view;
    view.SetViewportSize(kWidth, kHeight);
    view.SetEyeTarget(CPoint3d(0, -30, 0), CPoint3d(0, 2, 0), CVector3d(0, 0, 1));
    m_view.SetViewDefinition(view);
    const std::array<int, 3> rgb = DrawCentre();
    EXPECT_NEAR(rgb[0], 127, 12);
    EXPECT_LT(rgb[1] + rgb[2], 12);
}

// Every kind of record the depth sort tests pairwise: a wide pane above a small one, the
// wide one reaching farther from the eye so that the sort by far depth puts it first in
// drawing. Seen from above the wide one hides the small one and must be drawn after it;
// seen from below the small one is in front and the order stands.
class PairKindTest : public ModelFrameTest
{
protected:
    enum Kind
    {
        kFace,
        kInstance,
        kGroup,
        kPicture,
    };

    // A pane over x0..x1, y0..y1 at height z, facing up, as the kind asks.
    CDrawingElement* Pane(Kind kind, double x0, double x1, double y0, double y1, double z)
    {
        CComponent& root = Root();
        const auto quad = [&](CComponent& into, double height) {
            const CGeometryBuilder builder(into);
            return builder.Face({builder.Vertex(CPoint3d(x0, y0, height)), builder.Vertex(CPoint3d(x1, y0, height)),
                                 builder.Vertex(CPoint3d(x1, y1, height)), builder.Vertex(CPoint3d(x0, y1, height))},
                                CVector3d(0, 0, 1));
        };
        if (kind == kFace) {
            return quad(root, z);
        }
        auto* definition = new CComponentDefinition;
        root.GetDefinitionList()->Add(definition);
        quad(*definition, 0.0);
        CComponentInstance* instance = kind == kInstance ? new CComponentInstance
                                       : kind == kGroup  ? static_cast<CComponentInstance*>(new CGroup)
                                                         : new CImage;
        definition->AddInstance(instance);
        root.Add(instance);
        CTransformation placement;
        placement.SetTranslation(CVector3d(0, 0, z));
        instance->SetTransform(placement);
        return instance;
    }

    static CFace* AsFace(CDrawingElement* e) { return e->GetTypeId() == kTypeFace ? static_cast<CFace*>(e) : nullptr; }
};

TEST_F(PairKindTest, ARecordBehindANearerOneWhereTheyOverlapIsDrawnFirstFromEitherSide)
{
    const char* names[] = {"face", "instance", "group", "picture"};
    for (const Kind wideKind : {kFace, kInstance, kGroup, kPicture}) {
        for (const Kind smallKind : {kFace, kInstance, kGroup, kPicture}) {
            Root().EraseAll();
            Root().InvalidateBounds();
            CDrawingElement* wide = Pane(wideKind, -5, 5, 0, 20, 0.5);
            CDrawingElement* small = Pane(smallKind, -1, 1, 4, 6, -2);
            for (const bool perspective : {true, false}) {
                for (const double eyeZ : {30.0, -30.0}) {
                    CViewDefinition view;
                    view.SetViewportSize(kWidth, kHeight);
                    view.SetEyeTarget(CPoint3d(0, -20, eyeZ), CPoint3d(0, 5, 0), CVector3d(0, 0, 1));
                    view.SetPerspective(perspective);
                    view.SetViewHeight(40.0);
                    m_view.SetViewDefinition(view);
                    m_view.SetViewportSize(kWidth, kHeight);
                    Draw();  // the frame settles the near distance
                    CSimpleNNSSort sorter(&m_view, 2);
                    sorter.Add(AsFace(small), AsFace(small) != nullptr ? nullptr : small);
                    sorter.Add(AsFace(wide), AsFace(wide) != nullptr ? nullptr : wide);
                    sorter.Order();
                    const auto& records = sorter.GetRecords();
                    ASSERT_EQ(records.size(), 2U);
                    const CDrawingElement* first =
                        records[0].face != nullptr ? records[0].face : records[0].entity;
                    // Nearest first: from above the wide one, from below the small one.
                    EXPECT_EQ(first, eyeZ > 0 ? wide : small)
                        << names[wideKind] << " over " << names[smallKind] << (eyeZ > 0 ? " from above" : " from below")
                        << (perspective ? " in perspective" : " in parallel");
                }
            }
        }
    }
}

TEST_F(PairKindTest, GlassInstancesBlendTheOneBehindFirst)
{
    CRenderingOptions& options = Options();
    options.SetBackgroundColor(CColor(0, 0, 0, 255));
    options.SetDisplayEdges(0);
    options.SetDrawProfiles(false);
    options.SetEnableTransparency(true);
    options.SetTransparencyQuality(2);
    const auto glass = [this](CDrawingElement* pane, const CColor& colour) {
        auto* instance = static_cast<CComponentInstance*>(pane);
        CMaterial* material = Root().GetMaterialManager()->FindOrCreateColorMaterial(colour);
        material->SetUseTransparency(true);
        material->SetTransparency(0.5);
        for (int k = 0; k < instance->GetDefinition()->GetCount(); ++k) {
            static_cast<CDrawingElement*>(instance->GetDefinition()->GetAt(k))->SetMaterial(material);
        }
    };
    glass(Pane(kInstance, -5, 5, 0, 20, 0.5), CColor(255, 0, 0));
    glass(Pane(kInstance, -1, 1, 4, 6, -2), CColor(0, 0, 255));
    CViewDefinition view;
    view.SetViewportSize(kWidth, kHeight);
    view.SetEyeTarget(CPoint3d(0, -20, 30), CPoint3d(0, 5, -2), CVector3d(0, 0, 1));
    m_view.SetViewDefinition(view);
    m_view.SetViewportSize(kWidth, kHeight);
    Draw();
    // Blue behind at half over black, then red in front at half over that.
    const std::array<int, 3> rgb = Pixel(kWidth / 2, kHeight / 2);
    EXPECT_NEAR(rgb[0], 127, 12);
    EXPECT_NEAR(rgb[2], 64, 12);
}

TEST_F(BlendOrderTest, FacesPastTheSortsAllowanceAreBlendedAsTheyWereAddedAndTheViewSaysSo)
{
    // The nearer blue first in the list, as in the test above.
    Glass(5.0, CColor(0, 0, 255));
    Glass(2.0, CColor(255, 0, 0));
    m_model->GetRenderingOptions()->SetTransparencyQuality(2);
    CTransparencyOrders& orders = m_view.GetTransparencyOrders();
    orders.SetAllowance(0);
    std::array<int, 3> rgb = DrawCentre();
    // Unsorted, the nearer blue goes first and hides the red.
    EXPECT_LT(rgb[0], 10);
    EXPECT_NEAR(rgb[2], 127, 12);
    EXPECT_EQ(m_view.statusText, CString(CTransparencyOrders::kReason));
    EXPECT_EQ(orders.GetOrderCount(), 0U) << "an order cut short is not kept";

    orders.SetAllowance(CTransparencyOrders::kFrameAllowance);
    rgb = DrawCentre();
    EXPECT_NEAR(rgb[0], 60, 12);
    EXPECT_NEAR(rgb[2], 120, 12);
    EXPECT_TRUE(m_view.statusText.IsEmpty()) << "a whole frame takes the words back";
}

// Placements of two crossing glass discs of 100 corners, so that their outlines are
// thinned for the overlap test.
class KeptOrderTest : public ModelFrameTest
{
protected:
    static constexpr int kPlacements = 9;

    void SetUp() override
    {
        ModelFrameTest::SetUp();
        BuildXrayDiscsModel(*m_model, kPlacements, 100);
        Options().SetDisplayEdges(0);
        Options().SetDrawProfiles(false);
    }
};

TEST_F(KeptOrderTest, AParallelViewSortsADefinitionOnceForAllPlacementsAPerspectiveViewOncePerPlacement)
{
    CTransparencyOrders& orders = m_view.GetTransparencyOrders();
    for (const bool perspective : {false, true}) {
        CViewDefinition view;
        view.SetViewportSize(kWidth, kHeight);
        view.SetEyeTarget(CPoint3d(25, -60, 80), CPoint3d(25, 25, 0), CVector3d(0, 0, 1));
        view.SetPerspective(perspective);
        view.SetViewHeight(120.0);
        m_view.SetViewDefinition(view);
        m_view.SetViewportSize(kWidth, kHeight);
        const std::uint64_t before = orders.GetReuseCount();
        Draw();
        // In perspective each placement sees the discs from a place of its own; the
        // model's top level, which holds the placements, has an order too.
        EXPECT_EQ(orders.GetOrderCount(), 1 + (perspective ? kPlacements : 1)) << perspective;
        EXPECT_EQ(orders.GetReuseCount() - before, perspective ? 0 : kPlacements - 1) << perspective;
        const std::vector<std::uint8_t> first = m_pixels;
        Draw();
        EXPECT_EQ(orders.GetReuseCount() - before, 1 + (perspective ? kPlacements : 2 * kPlacements - 1))
            << "the next frame of an unmoved view sorts nothing";
        EXPECT_EQ(m_pixels, first) << perspective;
    }
}
