// The two orders of blended transparency: box centres, and depth with pairwise tests,
// on synthetic records and on faces blended offscreen.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "document/component.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "render/bboxcentersort.h"
#include "render/simplennssort.h"
#include "render/tarnisview.h"
#include "samplegen/geometrybuilder.h"
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
