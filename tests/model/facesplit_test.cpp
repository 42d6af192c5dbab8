// The face check's last repair: a face that no plane fits becomes flat triangles.

#include <gtest/gtest.h>

#include "model/validitylog.h"
#include "tests/model/geometrytestsupport.h"

namespace {

using geometrytest::Face;
using geometrytest::RecordingModel;
using geometrytest::Vertex;

TEST(FaceSplit, ACheckedFaceThatNoPlaneFitsIsCutIntoFlatTrianglesInRepairMode)
{
    // Pins a past fault: the cut face was only taken out, its uses left on the shared edges.
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* lifted = Vertex(2, 2);
    CFace* face = Face(component, {Vertex(0, 0), Vertex(2, 0), lifted, Vertex(0, 2)});
    lifted->SetPosition({2, 2, 0.5});
    const CValidityCheckScope checking;
    ClearValidityLog();
    EXPECT_EQ(face->CheckValidity(kValidityModeCheck, nullptr), kValidityStale);
    model.Begin();
    EXPECT_EQ(face->CheckValidity(kValidityModeRepair, nullptr), kValiditySound);
    ClearValidityLog();
    EXPECT_FALSE(component.Contains(face));
    int triangles = 0;
    int hiddenEdges = 0;
    for (CDrawingElement* element : component.GetEntityList()) {
        if (const auto* piece = dynamic_cast<CFace*>(element)) {
            ++triangles;
            EXPECT_EQ(piece->GetOuterLoop()->GetEdgeUseCount(), 3);
            EXPECT_TRUE(piece->AreAllVerticesOnPlane());
        } else if (element->IsHiddenFlagSet()) {
            ++hiddenEdges;
        }
        if (const auto* edge = dynamic_cast<CEdge*>(element)) {
            EXPECT_FALSE(edge->HasEdgeUseOnFace(face));
        }
    }
    EXPECT_EQ(triangles, 2);
    EXPECT_EQ(hiddenEdges, 1);
    EXPECT_TRUE(model.UndoRestores());
}

} // namespace
