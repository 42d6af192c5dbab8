#include "samplegen/faceshapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "model/face.h"
#include "model/loop.h"
#include "samplegen/modelfiles.h"

TEST(FaceShapes, EachShapeHasTheCornersAndTheAreaOfItsMaking)
{
    const struct
    {
        const char* kind;
        int size;
        std::size_t corners;
        double area;
    } cases[] = {
        // Spine 2 deep, teeth 1 wide and 8 long, the hole's diamond 0.75.
        {"comb-x-side", 1600, 6404, 3199 * 2 + 1600 * 8 - 0.75},
        {"comb-y-touch", 6400, 25604, 12799 * 2 + 6400 * 8 - 0.75},
        {"comb-y-side", 12800, 51204, 25599 * 2 + 12800 * 8 - 0.75},
        {"diamonds", 1425, 5704, 4 * 2852.0 - 2 * 1425},
        {"windows", 101, 40808, 103.0 * 103 - 101 * 101},
        {"petals", 3000, 9000, 3000 * 5000 * std::sin(3.141592653589793 / 3000)},
        {"bowtie", 1, 6, 4.0},
        {"cornerhole", 1, 8, 10.0},
        {"sharedrun", 100, 206, 4 * 101.0 - 2 * 99},
        // The square 2 across less its two triangles.
        {"farface", 0, 10, 3.9634554266868},
        {"farnarrow", 0, 10, 3.9634554266868e-6},
    };
    for (const auto& c : cases) {
        const SFaceShape shape = MakeFaceShape(c.kind, c.size);
        EXPECT_EQ(shape.GetCornerCount(), c.corners) << c.kind;
        // The narrow far face's corners are rounded 1e6 from the origin.
        EXPECT_NEAR(shape.area, c.area, 1e-6 * c.area) << c.kind;
        // Holes turn clockwise, the outline counter-clockwise.
        for (std::size_t i = 0; i < shape.loops.size(); ++i) {
            EXPECT_EQ(TwiceSignedArea(shape.loops[i]) > 0, i == 0) << c.kind << " loop " << i;
        }
    }
    EXPECT_TRUE(MakeFaceShape("no such shape", 10).loops.empty());
}

TEST(FaceShapes, TheFarFaceIsTheOneFoundCutWronglyAndItsVariantsStayInsideTheirSquare)
{
    const SFaceShape exact = MakeFaceShape("farface", 0);
    ASSERT_EQ(exact.loops.size(), 3U);
    EXPECT_EQ(exact.loops[0][0].x, 9999999.0);
    EXPECT_EQ(exact.loops[1][0].x, 9999999.6547393724);
    EXPECT_EQ(exact.loops[2][1].y, 3699999.8778301924);
    // The two holes share a corner.
    EXPECT_EQ(exact.loops[1][2].x, exact.loops[2][2].x);
    for (int variant = 1; variant < 200; ++variant) {
        const SFaceShape shape = MakeFaceShape("farface", variant);
        for (std::size_t i = 1; i < shape.loops.size(); ++i) {
            for (const CPoint3d& p : shape.loops[i]) {
                EXPECT_LT(std::fabs(p.x - 1e7), 1.0) << variant;
                EXPECT_LT(std::fabs(p.y - 3.7e6), 1.0) << variant;
            }
        }
        EXPECT_GT(shape.area, 2.0) << variant;
    }
}

TEST(FaceShapes, AShapeModelHoldsOneFaceWithAllItsLoopsAndIsWritten)
{
    auto* model = new CTarnwickModel;
    ASSERT_TRUE(BuildFaceShapeModel(*model, "diamonds", 3));
    EXPECT_FALSE(BuildFaceShapeModel(*model, "nothing", 3));
    const CFace* face = nullptr;
    for (CDrawingElement* element : model->GetRootComponent()->GetEntityList()) {
        face = face != nullptr ? face : dynamic_cast<const CFace*>(element);
    }
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->GetLoopCount(), 4);
    EXPECT_EQ(face->GetLoop(1)->GetEdgeUseCount(), 4);
    EXPECT_FALSE(WriteModelBytes(*model, 5000).empty());
    model->Release();
}
