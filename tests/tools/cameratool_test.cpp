#include "tools/cameratool.h"

#include <gtest/gtest.h>

#include "foundation/lengthformatter.h"
#include "platform/ui/stringtable.h"
#include "render/tarnisview.h"
#include "tools/camerafovtool.h"
#include "tools/cameraorbittool.h"
#include "tools/camerapantool.h"
#include "tools/camerazoomtool.h"
#include "tools/toolmanager.h"
#include "toolstestsupport.h"

namespace {

TEST(CameraMode, OnlyTheOrbitKindChangesItsModeWithShiftTheMiddleButtonSwapAndWalk)
{
    const unsigned both = kMouseLeft | kMouseMiddle;
    const struct
    {
        int kind;
        unsigned flags;
        bool middleAndLeftPans;
        bool swap;
        bool overWalk;
        int mode;
    } cases[] = {
        {kCameraOrbit, kMouseLeft, true, false, false, kCameraOrbit},
        {kCameraOrbit, kMouseLeft | kMouseShift, true, false, false, kCameraPan},
        {kCameraOrbit, both, true, false, false, kCameraPan},
        {kCameraOrbit, both, false, false, false, kCameraOrbit},
        {kCameraOrbit, kMouseLeft, true, true, false, kCameraPan},
        {kCameraOrbit, kMouseLeft | kMouseShift, true, true, false, kCameraOrbit},
        {kCameraOrbit, kMouseMiddle, true, false, true, kCameraLookAround},
        {kCameraZoom, kMouseLeft | kMouseShift, true, true, false, kCameraZoom},
        {kCameraZoomWindow, both, true, false, false, kCameraZoomWindow},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseCameraMode(c.kind, c.flags, c.middleAndLeftPans, c.swap, c.overWalk), c.mode)
            << c.kind << " " << c.flags << " " << c.middleAndLeftPans << c.swap << c.overWalk;
    EXPECT_EQ(GetCameraCursorId(kCameraPan), 1003);
    EXPECT_EQ(GetCameraCursorId(99), 419);
}

class CameraToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.SetViewportSize(400, 300);
        view.GetViewDefinition().SetPerspective(true);
        view.GetViewDefinition().SetEyeTarget(CPoint3d(0, -100, 0), CPoint3d(0, 0, 0), CVector3d(0, 0, 1));
        host.activeView = &view;
        tool = new CCameraOrbitTool;
        tools.SelectTool(tool, 10508, true);
    }

    CRecordingHost host;
    CTarnisView view;
    CToolManager tools;
    CCameraOrbitTool* tool = nullptr;
};

TEST_F(CameraToolTest, ShiftPressedMidDragPansFromWhereTheCursorIsAndTheReleaseEndsTheDrag)
{
    tools.OnLButtonDown(kMouseLeft, 200, 150, &view);
    ASSERT_TRUE(tool->IsDragging());
    EXPECT_TRUE(tool->GetPivot().IsEqual(CPoint3d(0, 0, 0)));
    EXPECT_FALSE(view.IsAutopanEnabled());
    tools.OnMouseMove(kMouseLeft, 200, 100, &view);
    const CViewDefinition orbited = view.GetViewDefinition();
    EXPECT_NEAR((orbited.GetEye() - CPoint3d(0, 0, 0)).GetLength(), 100.0, 1e-9);
    EXPECT_LT(orbited.GetEye().z, -1.0);

    tools.OnMouseMove(kMouseLeft | kMouseShift, 200, 100, &view);
    EXPECT_TRUE(view.GetViewDefinition().IsSameCamera(orbited));
    tools.OnMouseMove(kMouseLeft | kMouseShift, 230, 100, &view);
    EXPECT_EQ(tool->GetMode(), kCameraPan);
    EXPECT_EQ(tool->GetToolCursorId(), 1003);
    EXPECT_TRUE(view.GetViewDefinition().GetViewDirection().IsEqual(orbited.GetViewDirection()));

    tools.OnLButtonUp(0, 230, 100, &view);
    EXPECT_FALSE(tool->IsDragging());
    EXPECT_TRUE(view.IsAutopanEnabled());
    EXPECT_EQ(host.releases, 1);
    // Previous goes back to the camera the tool found.
    EXPECT_TRUE(view.GetSavedViewDefinition().GetEye().IsEqual(CPoint3d(0, -100, 0)));
}

TEST_F(CameraToolTest, TheModesCursorIsLoadedOnceAndSetOverTheView)
{
    EXPECT_EQ(host.lastCursorId, 419);
    const int loads = host.cursorLoads;
    host.cursor = nullptr;
    EXPECT_TRUE(tools.OnSetCursor());
    EXPECT_NE(host.cursor, nullptr);
    tools.OnMouseMove(0, 5, 5, &view);
    EXPECT_EQ(host.cursorLoads, loads);
    tools.OnMouseMove(kMouseShift, 6, 5, &view);
    EXPECT_EQ(host.lastCursorId, 1003);
}

TEST_F(CameraToolTest, EscEndsACameraToolAndLeavingItUnchangedKeepsTheEarlierPreviousView)
{
    tools.SelectTool(new CCameraOrbitTool, 10508, true);
    EXPECT_EQ(tools.GetToolCount(), 1);
    tools.PopTool();
    CViewDefinition earlier = view.GetViewDefinition();
    earlier.SetEyeTarget(CPoint3d(5, -50, 5), CPoint3d(0, 0, 0), CVector3d(0, 0, 1));
    view.SaveViewDefinition(&earlier);
    tools.SelectTool(new CCameraOrbitTool, 10508, true);
    EXPECT_TRUE(view.GetSavedViewDefinition().IsSameCamera(view.GetViewDefinition()));
    tools.OnCancel(0, &view);
    EXPECT_EQ(tools.GetActiveTool(), nullptr);
    EXPECT_TRUE(view.GetSavedViewDefinition().IsSameCamera(earlier));
}

TEST_F(CameraToolTest, ATypedFieldOfViewIsReadWholeAndWhatIsNoAngleIsRefusedWithAWord)
{
    auto* zoom = new CCameraZoomTool;
    tools.SelectTool(zoom, 10509, true);
    zoom->OnUserText(CString("30deg"));
    const double before = view.GetViewDefinition().GetFieldOfView();
    ASSERT_NEAR(before, 30.0, 1e-9);
    for (const char* refused : {"abc", "1e999", "1/0", "-50mm", "0mm", "-inf", "inf", "nan", "30x", "-5", "0deg"})
    {
        host.panes.erase(kFirstPane);
        zoom->OnUserText(CString(refused));
        EXPECT_EQ(view.GetViewDefinition().GetFieldOfView(), before) << refused;
        EXPECT_EQ(host.Pane(kFirstPane), CString(CCameraTool::kRefusedValueTip)) << refused;
        EXPECT_EQ(zoom->GetDisplayMode(), CCameraZoomTool::kShowAngle) << refused;
        EXPECT_EQ(host.Pane(kValuePane), CString("30.00 deg.")) << refused;
    }
    const struct
    {
        const char* typed;
        double degrees;
    } accepted[] = {{"45", 45.0}, {" 45.5 deg. ", 45.5}, {"150", 120.0}, {"1e300", 120.0}, {"0.5deg", 1.0},
                    {"+2.5e1", 25.0}};
    for (const auto& c : accepted)
    {
        zoom->OnUserText(CString(c.typed));
        EXPECT_NEAR(view.GetViewDefinition().GetFieldOfView(), c.degrees, 1e-9) << c.typed;
    }
    zoom->OnUserText(CString("50 mm"));
    EXPECT_EQ(zoom->GetDisplayMode(), CCameraZoomTool::kShowFocalLength);
    EXPECT_NEAR(view.GetViewDefinition().GetFieldOfView(),
                view.GetViewDefinition().GetCamera().FocalLengthToFieldOfView(50.0), 1e-9);
    zoom->OnUserText(CString("30deg"));
}

// A refused value's word once stayed in the status bar through every good value after it.
TEST_F(CameraToolTest, AValueTakenAfterARefusedOneBringsTheToolsPromptBack)
{
    const struct
    {
        CCameraTool* tool;
        int commandId;
        CString taken;
    } cases[] = {{new CCameraFOVTool, 21494, CString("45")},
                 {new CCameraZoomTool, 10509, CString("50 mm")},
                 {new CCameraPanTool, 10525, CLengthFormatter().Format(5.0)}};
    for (const auto& c : cases)
    {
        tools.SelectTool(c.tool, c.commandId, true);
        c.tool->OnUserText(CString("abc"));
        EXPECT_EQ(host.Pane(kFirstPane), CString(CCameraTool::kRefusedValueTip)) << c.commandId;
        host.panes[kFirstPane] = CString(CCameraTool::kRefusedValueTip);
        c.tool->OnUserText(c.taken);
        EXPECT_EQ(host.Pane(kFirstPane), LoadStringResource(c.tool->GetPromptId())) << c.commandId;
    }
}

}  // namespace
