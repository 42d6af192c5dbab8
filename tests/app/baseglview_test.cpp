#include "render/baseglview.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "apptestsupport.h"
#include "platform/profile.h"
#include "platform/ui/stringtable.h"
#include "render/glconfig.h"

namespace {

using apptest::MessageBoxRecorder;

// A view whose window-system steps can be made to fail, and that counts the contexts it
// makes and frees.
class CTestGLView : public CBaseGLView
{
public:
    COLORREF GetBackgroundColour() const override { return background; }

    int failAtStep = 0;
    int makeCurrentFailures = 0;
    int contextsAlive = 0;
    int contextsMade = 0;
    COLORREF background = RGB(40, 90, 160);
    int screenDepth = 24;
    int rebuilds = 0;

protected:
    void OnContextRebuilt() override { ++rebuilds; }
    int GetScreenColourDepth() const override { return screenDepth; }
    std::unique_ptr<CGLDevice> CreateClientDevice() override
    {
        return failAtStep == kNoDevice ? nullptr : CBaseGLView::CreateClientDevice();
    }
    int ChooseDevicePixelFormat(HDC device, bool* reset) override
    {
        return failAtStep == kChoosePixelFormatFailed ? 0 : CBaseGLView::ChooseDevicePixelFormat(device, reset);
    }
    bool SetDevicePixelFormat(HDC device, int index) override
    {
        return failAtStep != kSetPixelFormatFailed && CBaseGLView::SetDevicePixelFormat(device, index);
    }
    HGLRC CreateRenderingContext(HDC device) override
    {
        if (failAtStep == kCreateContextFailed)
            return nullptr;
        HGLRC context = CBaseGLView::CreateRenderingContext(device);
        contextsAlive += context != nullptr ? 1 : 0;
        contextsMade += context != nullptr ? 1 : 0;
        return context;
    }
    bool DeleteRenderingContext(HGLRC context) override
    {
        --contextsAlive;
        return CBaseGLView::DeleteRenderingContext(context);
    }
    bool MakeContextCurrent(HDC device, HGLRC context) override
    {
        if (failAtStep == kMakeCurrentFailed || makeCurrentFailures > 0)
        {
            makeCurrentFailures = std::max(makeCurrentFailures - 1, 0);
            return false;
        }
        return CBaseGLView::MakeContextCurrent(device, context);
    }
};

class BaseGLViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        InitGLConfig();
        view.Create(nullptr);
        view.GetWidget()->resize(64, 48);
    }

    apptest::MemorySettings settings;
    MessageBoxRecorder boxes;
    CTestGLView view;
};

TEST_F(BaseGLViewTest, ErrorCodesHaveTheirTextsAndCodeNineHasNone)
{
    const char* expected[kGLErrorCount] = {"No Error",
                                           "Unable to get a DC",
                                           "ChoosePixelFormat failed",
                                           "SelectPixelFormat failed",
                                           "wglCreateContext failed",
                                           "wglMakeCurrent failed",
                                           "wglDeleteContext failed",
                                           "SwapBuffers failed",
                                           "CreatePalette failed",
                                           ""};
    for (int code = 0; code < kGLErrorCount; ++code)
        EXPECT_STREQ(g_GLErrorText[code], expected[code]) << code;
}

TEST_F(BaseGLViewTest, TheFirstFrameReadBackIsTheBackgroundColour)
{
    view.OnInitialUpdate();
    ASSERT_EQ(view.GetErrorCode(), CBaseGLView::kNoError);
    EXPECT_TRUE(boxes.calls.empty());
    view.OnPaint();

    const QImage* frame = view.GetPresentedFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->size(), QSize(64, 48));
    for (const QPoint& at : {QPoint(0, 0), QPoint(63, 47), QPoint(30, 20)})
        EXPECT_EQ(frame->pixelColor(at), QColor(40, 90, 160)) << at.x() << "," << at.y();
}

TEST_F(BaseGLViewTest, AResizedWindowGetsAFrameOfItsNewSize)
{
    view.OnInitialUpdate();
    view.OnPaint();
    view.GetWidget()->resize(100, 30);
    view.background = RGB(200, 10, 10);
    view.OnPaint();
    ASSERT_NE(view.GetPresentedFrame(), nullptr);
    EXPECT_EQ(view.GetPresentedFrame()->size(), QSize(100, 30));
    EXPECT_EQ(view.GetPresentedFrame()->pixelColor(99, 29), QColor(200, 10, 10));
}

TEST_F(BaseGLViewTest, AFailedCreationStepIsReportedOnceWithItsText)
{
    const CString intro = LoadStringResource(CBaseGLView::kInitFailedStringId);
    ASSERT_FALSE(intro.IsEmpty());
    for (int step = CBaseGLView::kNoDevice; step <= CBaseGLView::kMakeCurrentFailed; ++step)
    {
        MessageBoxRecorder recorder;
        CTestGLView failing;
        failing.Create(nullptr);
        failing.failAtStep = step;
        failing.OnInitialUpdate();
        EXPECT_EQ(failing.GetErrorCode(), step);
        ASSERT_EQ(recorder.calls.size(), 1u) << step;
        EXPECT_EQ(recorder.calls[0].text,
                  intro + CString("\r\n\r\nError: ") + CString(g_GLErrorText[step]))
            << step;
        EXPECT_EQ(recorder.calls[0].helpId, 10032u);
        EXPECT_EQ(failing.contextsAlive, 0) << step;
    }
}

TEST_F(BaseGLViewTest, ACodeWithoutTextAddsNoErrorLineAndBecomesNine)
{
    view.SetErrorCode(CBaseGLView::kNoError);
    EXPECT_EQ(view.BuildFailureMessage(), LoadStringResource(CBaseGLView::kInitFailedStringId));
    EXPECT_EQ(view.GetErrorCode(), CBaseGLView::kAlreadyReported);
}

TEST_F(BaseGLViewTest, ASecondInitialUpdateCreatesNothing)
{
    view.OnInitialUpdate();
    HDC device = view.GetDeviceContext();
    view.OnInitialUpdate();
    EXPECT_EQ(view.GetDeviceContext(), device);
    EXPECT_EQ(view.contextsMade, 1);
}

// The context used to be rebuilt up to 101 times, each time leaking the one before.
TEST_F(BaseGLViewTest, AContextThatWillNotBecomeCurrentIsRebuiltAFewTimesFreeingWhatItReplaces)
{
    view.OnInitialUpdate();
    wglMakeCurrent(nullptr, nullptr);
    view.m_viewportPending = false;

    view.makeCurrentFailures = 2;
    EXPECT_EQ(view.MakeCurrent(), 1);
    EXPECT_EQ(view.contextsAlive, 1);
    // The new context is told about once, and gets the window's viewport before drawing.
    EXPECT_EQ(view.rebuilds, 1);
    EXPECT_TRUE(view.m_viewportPending);

    wglMakeCurrent(nullptr, nullptr);
    view.makeCurrentFailures = 1000;
    EXPECT_EQ(view.MakeCurrent(), 0);
    EXPECT_EQ(view.GetErrorCode(), CBaseGLView::kMakeCurrentFailed);
    EXPECT_EQ(view.contextsAlive, 0);
    EXPECT_LE(view.contextsMade, 2 + 1 + CBaseGLView::kMakeCurrentRetries);
    EXPECT_EQ(view.GetDeviceContext(), nullptr);
}

// A context that could not be renewed for a new model once left the view blank with no word;
// then the view showed the last model's picture under the new model's title.
TEST_F(BaseGLViewTest, AFailedRenewalIsReportedOnceClearsTheViewAndTheNextRenewalTriesAgain)
{
    view.OnInitialUpdate();
    view.OnPaint();
    const QPoint middle(30, 20);
    ASSERT_EQ(view.GetWidget()->grab().toImage().pixelColor(middle), QColor(40, 90, 160));
    view.failAtStep = CBaseGLView::kCreateContextFailed;
    EXPECT_FALSE(view.RenewContext());
    EXPECT_FALSE(view.RenewContext());
    EXPECT_EQ(view.GetPresentedFrame(), nullptr);
    EXPECT_EQ(view.GetWidget()->grab().toImage().pixelColor(middle), QColor(Qt::white));
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, LoadStringResource(CBaseGLView::kInitFailedStringId) +
                                       CString("\r\n\r\nError: ") +
                                       CString(g_GLErrorText[CBaseGLView::kCreateContextFailed]));
    EXPECT_EQ(view.contextsAlive, 0);

    view.failAtStep = 0;
    EXPECT_TRUE(view.RenewContext());
    EXPECT_EQ(view.contextsAlive, 1);
    view.OnPaint();
    EXPECT_NE(view.GetPresentedFrame(), nullptr);
    EXPECT_EQ(boxes.calls.size(), 1u);
}

TEST_F(BaseGLViewTest, ACurrentContextIsNotMadeCurrentAgain)
{
    view.OnInitialUpdate();
    view.makeCurrentFailures = 1000;
    EXPECT_EQ(view.MakeCurrent(), 1);
    EXPECT_EQ(view.contextsMade, 1);
    EXPECT_EQ(view.rebuilds, 0);
}

TEST_F(BaseGLViewTest, AnEmptyClientAreaLeavesTheViewportButClearsThePendingFlag)
{
    view.OnInitialUpdate();
    view.GetWidget()->resize(0, 0);
    view.m_viewportPending = true;
    view.SetViewport();
    EXPECT_FALSE(view.m_viewportPending);
}

TEST_F(BaseGLViewTest, DestroyingTheContextFreesItAndRecordsAnAcceleratedRunEndedWell)
{
    view.OnInitialUpdate();
    GetGLConfig().Accelerated = 1;
    view.OnDestroy();
    EXPECT_EQ(view.contextsAlive, 0);
    EXPECT_EQ(view.GetRenderingContext(), nullptr);
    std::uint32_t hardwareOk = 0;
    EXPECT_TRUE(ReadGLConfigDword(CString("HW_OK"), hardwareOk));
    EXPECT_EQ(hardwareOk, 1u);
    GetGLConfig().Accelerated = 0;
}

TEST_F(BaseGLViewTest, ASixteenBitScreenIsWarnedAboutOncePerProfile)
{
    for (int run = 0; run < 2; ++run)
    {
        MessageBoxRecorder recorder;
        CTestGLView sixteen;
        sixteen.Create(nullptr);
        sixteen.screenDepth = 16;
        sixteen.OnInitialUpdate();
        ASSERT_EQ(sixteen.GetErrorCode(), CBaseGLView::kNoError);
        EXPECT_EQ(recorder.calls.size(), run == 0 ? 1u : 0u) << run;
    }
    EXPECT_EQ(GetProfileInt(CString("Color_Warning"), CString("Color_Warning"), 0), 1);
}

TEST(PixelFormatPaletteTest, OnlyAFormatThatNeedsAPaletteGetsTheThreeThreeTwoRamp)
{
    PIXELFORMATDESCRIPTOR descriptor;
    descriptor.cColorBits = 8;
    descriptor.cRedBits = 3;
    descriptor.cRedShift = 0;
    descriptor.cGreenBits = 3;
    descriptor.cGreenShift = 3;
    descriptor.cBlueBits = 2;
    descriptor.cBlueShift = 6;
    EXPECT_TRUE(CreatePixelFormatPalette(descriptor).empty());

    descriptor.dwFlags = PFD_NEED_PALETTE;
    const std::vector<PALETTEENTRY> palette = CreatePixelFormatPalette(descriptor);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0].peRed + palette[0].peGreen + palette[0].peBlue, 0);
    EXPECT_EQ(palette[255].peRed, 255);
    EXPECT_EQ(palette[255].peGreen, 255);
    EXPECT_EQ(palette[255].peBlue, 255);
    // Red 5 of 7: 5 × 255 / 7 = 182.14, truncated.
    EXPECT_EQ(palette[5].peRed, 182);
}

}  // namespace
