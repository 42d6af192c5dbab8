#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "annotations/sectionplane.h"
#include "document/displayoverride.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/twfont.h"
#include "document/viewpage.h"
#include "drawapi/animation.h"
#include "foundation/geomfilter.h"
#include "foundation/notificationcenter.h"
#include "model/undosuspender.h"
#include "render/depthclamp.h"
#include "render/polygonoffset.h"
#include "render/tarnisview.h"
#include "render/viewoutputscale.h"
#include "tests/render/glcontextfixture.h"

namespace {

// A view with its own display settings that remembers its window requests and, when
// asked, the segments it is given to draw instead of drawing them.
class TestView : public CTarnisView
{
public:
    void Invalidate(bool erase) override { invalidations.push_back(erase); }
    void StopAnimationTimer() override { ++timerStops; }
    void DrawLine(const CPoint3d& start, const CPoint3d& end) override
    {
        if (!recordLines) {
            CTarnisView::DrawLine(start, end);
            return;
        }
        lines.emplace_back(start, end);
    }

    CRenderingOptions options;
    std::vector<bool> invalidations;
    int timerStops = 0;
    bool recordLines = false;
    std::vector<std::pair<CPoint3d, CPoint3d>> lines;

protected:
    CRenderingOptions* GetModelRenderingOptions() const override { return const_cast<CRenderingOptions*>(&options); }
};

class RecordingAnimation : public IAnimation
{
public:
    explicit RecordingAnimation(std::vector<std::string>& log, std::string name) : m_log(log), m_name(std::move(name)) {}
    bool Step(ITarnisView* /*view*/) override { return true; }
    void Finish() override { m_log.push_back(m_name + " finished"); }
    void Pause(bool paused) override { m_log.push_back(m_name + (paused ? " paused" : " resumed")); }
    void Release() override
    {
        m_log.push_back(m_name + " released");
        delete this;
    }

private:
    std::vector<std::string>& m_log;
    std::string m_name;
};

class AnimationObserver : public IObserver
{
public:
    explicit AnimationObserver(std::vector<std::string>& log) : m_log(log)
    {
        GetNotificationCenter().AddObserver("Animation Notification", this);
    }
    ~AnimationObserver() override { GetNotificationCenter().RemoveObserver(this); }
    void OnNotify(const std::string& /*name*/, void* data) override
    {
        const auto* record = static_cast<CAnimationNotification*>(data);
        m_log.push_back(record->event == CAnimationNotification::kStarted ? "started" : "ended");
    }

private:
    std::vector<std::string>& m_log;
};

float ReadFloat(GLenum what)
{
    float value = 0.0f;
    glGetFloatv(what, &value);
    return value;
}

CColor ReadColor()
{
    float rgba[4];
    glGetFloatv(GL_CURRENT_COLOR, rgba);
    return CColor(static_cast<int>(rgba[0] * 255 + 0.5), static_cast<int>(rgba[1] * 255 + 0.5),
                  static_cast<int>(rgba[2] * 255 + 0.5), static_cast<int>(rgba[3] * 255 + 0.5));
}

}  // namespace

TEST(TarnisView, AFreshViewDrawsAtFullQualityWithoutAnimationOrFont)
{
    const TestView view;
    EXPECT_EQ(view.GetDrawingLevel(), 8);
    EXPECT_EQ(view.GetInteractionMode(), 0);
    EXPECT_EQ(view.GetPixelScale(), 1.0);
    EXPECT_EQ(view.GetLineWidthScale(), 1.0);
    EXPECT_EQ(view.GetAnimation(), nullptr);
    EXPECT_EQ(view.GetViewFont(), nullptr);
    EXPECT_EQ(view.GetAverageFrameTime(), 0.0);
    EXPECT_EQ(view.GetCurrentLayer(), nullptr);
    EXPECT_EQ(view.GetLightingMode(), 0);
}

TEST(TarnisView, TheViewHoldsOneReferenceToItsModelAndMakesItsFontOnce)
{
    auto* model = new CTarnwickModel();
    {
        TestView view;
        view.SetModel(model);
        view.SetModel(model);
        EXPECT_EQ(model->GetRefCount(), 2);
        CTwFont* font = view.CreateViewFont();
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->GetFontKind(), CTwFont::kKindTextImage);
        EXPECT_EQ(view.CreateViewFont(), font);
        EXPECT_EQ(view.GetViewFont(), font);
        view.ReleaseViewFont();
        EXPECT_EQ(view.GetViewFont(), nullptr);
    }
    EXPECT_EQ(model->GetRefCount(), 1);
    model->Release();
}

TEST(TarnisView, ADisplayOverridePageLendsTheSettingsItsMaskSelects)
{
    auto* model = new CTarnwickModel();
    {
        CTarnisView view;
        view.SetModel(model);
        EXPECT_EQ(view.GetRenderingOptions(), model->GetRenderingOptions());
        EXPECT_EQ(view.SetDisplayOverridePage(nullptr), nullptr);

        CViewPage page(CString("Page"), CString(), CViewPage::kCamera | CViewPage::kRenderingOptions);
        page.SetRenderingOptions(*model->GetRenderingOptions());
        view.SetDisplayOverridePage(&page);
        EXPECT_EQ(view.GetRenderingOptions(), page.GetRenderingOptions());

        CViewDefinition definition;
        definition.SetEyeTarget(CPoint3d(5, 6, 7), CPoint3d(0, 0, 0), CVector3d(0, 0, 1));
        view.SetViewDefinition(definition);
        view.StoreCamera();
        EXPECT_EQ(page.GetCamera().GetEye(), CPoint3d(5, 6, 7));
        EXPECT_NE(model->GetCamera().GetEye(), CPoint3d(5, 6, 7));

        page.SetPropertyMask(0);
        EXPECT_EQ(view.GetRenderingOptions(), model->GetRenderingOptions());
        view.StoreCamera();
        EXPECT_EQ(model->GetCamera().GetEye(), CPoint3d(5, 6, 7));
        EXPECT_EQ(view.SetDisplayOverridePage(nullptr), &page);
    }
    model->Release();
}

TEST(TarnisView, ADisplayOverrideClearsTheDisplayBytesOfPrintingAndGivesEverythingBack)
{
    auto* model = new CTarnwickModel();
    {
        CTarnisView view;
        view.SetModel(model);
        CRenderingOptions& options = *model->GetRenderingOptions();
        using Byte = CRenderingOptions::DisplayByte;
        const Byte bytes[] = {CRenderingOptions::kBlendingOff,          CRenderingOptions::kSmoothEdges,
                              CRenderingOptions::kBlendingAllowed,      CRenderingOptions::kHideAnnotations,
                              CRenderingOptions::kHideConstructionGeometry, CRenderingOptions::kComponentEditDisplay,
                              CRenderingOptions::kToolFeedback};
        for (const Byte byte : bytes)
            options.SetDisplayByte(byte, byte != CRenderingOptions::kHideAnnotations);
        options.SetInstanceAxes(true);
        options.SetBackgroundColor(CColor(10, 20, 30, 255));
        model->SetDisplayAxes(true);
        EXPECT_TRUE(view.CanBlend());
        int restored = 0;
        struct Counter : IObserver
        {
            explicit Counter(int& n) : count(n) { GetNotificationCenter().AddObserver(kDisplayOverrideRestoreNotification, this); }
            ~Counter() override { GetNotificationCenter().RemoveObserver(this); }
            void OnNotify(const std::string& /*name*/, void* /*data*/) override { ++count; }
            int& count;
        } counter(restored);
        {
            CDisplayOverride display(&view, CDisplayOverride::kHideAnnotations);
            // Cleared: blending allowed (3), component-edit display (6), tool feedback (7);
            // set: hide annotations (4); the rest as they were.
            const bool expected[] = {true, true, false, true, true, false, false};
            for (std::size_t i = 0; i < std::size(bytes); ++i)
                EXPECT_EQ(options.GetDisplayByte(bytes[i]), expected[i]) << "byte " << i + 1;
            EXPECT_FALSE(options.IsInstanceAxes());
            EXPECT_FALSE(model->IsDisplayAxes());
            EXPECT_FALSE(view.CanBlend()) << "translucent fills are stippled on paper";
            EXPECT_EQ(options.GetBackgroundColor(), CColor(10, 20, 30, 255)) << "no print colours asked";
        }
        EXPECT_EQ(restored, 1);
        for (const Byte byte : bytes)
            EXPECT_EQ(options.GetDisplayByte(byte), byte != CRenderingOptions::kHideAnnotations) << byte;
        EXPECT_TRUE(options.IsInstanceAxes());
        EXPECT_TRUE(model->IsDisplayAxes());
        EXPECT_TRUE(view.CanBlend());
        {
            const CDisplayOverride display(&view, CDisplayOverride::kPrintColours);
            EXPECT_EQ(options.GetBackgroundColor(), CColor(255, 255, 255, 255));
            EXPECT_FALSE(options.GetDisplayByte(CRenderingOptions::kHideAnnotations));
        }
        EXPECT_EQ(options.GetBackgroundColor(), CColor(10, 20, 30, 255));
    }
    model->Release();
}

TEST(TarnisView, InteractionLevelsDropAfterSlowFramesAndComeBackAfterwards)
{
    struct Case
    {
        std::string name;
        double frameSeconds;
        int requested;
        bool shadows;
        int levelWhileMoving;
        int rememberedAfter;
    };
    const std::vector<Case> cases{
        {"fast frames keep full quality", 0.1, 3, false, 8, 8},
        {"slow frames keep the remembered level above the requested one", 0.6, 3, false, 8, 8},
        {"shadows cap the level at 4", 0.6, 5, true, 4, 4},
        {"very slow frames at full quality drop to 6", 1.5, 8, false, 6, 6},
    };
    for (const Case& c : cases) {
        // Once pinned a fault: the level followed the options' copy of the shadow switch,
        // which is brought up to date only when the model is stored.
        auto* model = new CTarnwickModel();
        {
            const CUndoSuspender suspender;
            model->GetShadowInfo()->SetDisplayShadows(c.shadows);
        }
        TestView view;
        view.SetModel(model);
        view.RecordFrameTime(c.frameSeconds);
        view.BeginInteraction(c.requested);
        EXPECT_EQ(view.GetInteractionMode(), 1) << c.name;
        EXPECT_EQ(view.GetDrawingLevel(), c.levelWhileMoving) << c.name;
        view.SetInteractionMode(0);
        view.EndInteraction();
        EXPECT_EQ(view.GetInteractionMode(), 0) << c.name;
        EXPECT_EQ(view.GetDrawingLevel(), 8) << c.name;
        EXPECT_EQ(view.GetRememberedLevel(), c.rememberedAfter) << c.name;
        // No frame was drawn at the lowered level: the picture shown is the whole one.
        EXPECT_TRUE(view.invalidations.empty()) << c.name;
        const CUndoSuspender suspender;
        view.SetModel(nullptr);
        model->Release();
    }
}

TEST(TarnisView, EndingAnInteractionAtLevelOneAfterAFastFrameRemembersLevelTwo)
{
    TestView view;
    view.BeginInteraction(0);
    view.SetDrawingLevel(1);
    view.RecordFrameTime(0.3);
    view.EndInteraction();
    EXPECT_EQ(view.GetRememberedLevel(), 2);
    EXPECT_EQ(view.GetDrawingLevel(), 8);

    // With a requested level the remembered one stays while it is not above the level.
    TestView requested;
    requested.BeginInteraction(3);
    requested.SetDrawingLevel(8);
    requested.EndInteraction();
    EXPECT_EQ(requested.GetRememberedLevel(), 8);
}

TEST(TarnisView, ReplacingAnAnimationEndsTheOldOneBeforeTheNewOneStarts)
{
    std::vector<std::string> log;
    const AnimationObserver observer(log);
    TestView view;
    view.SetAnimation(new RecordingAnimation(log, "a"));
    EXPECT_TRUE(view.IsAnimating());
    view.SetAnimationPaused(true);
    EXPECT_FALSE(view.IsAnimating());
    EXPECT_EQ(view.timerStops, 1);
    view.SetAnimation(new RecordingAnimation(log, "b"));
    EXPECT_FALSE(view.IsAnimationPaused());
    view.SetAnimation(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"started", "a paused", "ended", "a finished", "a released", "started",
                                             "ended", "b finished", "b released"}));
}

TEST(TarnisView, PixelLengthsFollowTheDepthInPerspectiveAndTheHeightInParallel)
{
    TestView view;
    CViewDefinition definition;
    definition.SetViewportSize(200, 100);
    definition.SetEyeTarget(CPoint3d(0, 0, 10), CPoint3d(0, 0, 0), CVector3d(0, 1, 0));
    view.SetViewDefinition(definition);
    const double atTarget = 10.0 * definition.GetViewTangent() / 100.0;
    EXPECT_NEAR(view.PixelsToModelLength(1, CPoint3d(0, 0, 0)), atTarget, 1e-12);
    EXPECT_NEAR(view.PixelsToModelLength(4, CPoint3d(5, 0, -10)), 8 * atTarget, 1e-12);
    EXPECT_EQ(view.PixelsToModelLength(0.5, CPoint3d(0, 0, 0)), 0.0);
    EXPECT_EQ(view.SetPixelScale(2.0), 1.0);
    EXPECT_NEAR(view.PixelsToModelLength(1, CPoint3d(0, 0, 0)), 2 * atTarget, 1e-12);

    definition.SetPerspective(false);
    definition.SetViewHeight(50.0);
    view.SetViewDefinition(definition);
    EXPECT_NEAR(view.PixelsToModelLength(2, CPoint3d(0, 0, -100)), 2 * 2 * 0.5, 1e-12);

    CPoint3d window;
    EXPECT_TRUE(view.ModelToScreen(CPoint3d(0, 0, 0), window));
    EXPECT_NEAR(window.x, 100.0, 1e-9);
    CPoint3d back;
    EXPECT_TRUE(view.ScreenToModel(window, back));
    EXPECT_TRUE(back.IsEqual(CPoint3d(0, 0, 0), 1e-9));
}

// The eye's height decided in both projections, from 0 instead of 0.001.
TEST(TarnisView, PerspectiveViewsAreAboveGroundByTheEyeAndParallelViewsByTheDirection)
{
    struct Case
    {
        bool perspective;
        CPoint3d eye;
        CPoint3d target;
        bool above;
    };
    const Case cases[] = {
        {true, {0, -10, 0.001}, {0, 0, 0.001}, true},
        {true, {0, -10, 0.0009}, {0, 0, 5}, false},
        {true, {0, 0, -1}, {0, 0, -10}, false},
        // Parallel: the height of the direction, not of the eye; 0.0099 in 10 is below 0.001.
        {false, {0, 0, -50}, {0, 1, -60}, true},
        {false, {0, -10, 5}, {0, 0, 5.0099}, true},
        {false, {0, -10, 5}, {0, 0, 5.0101}, false},
        {false, {0, 0, 50}, {0, 1, 60}, false},
    };
    TestView view;
    for (const Case& c : cases) {
        CViewDefinition definition;
        definition.SetViewportSize(64, 48);
        definition.SetEyeTarget(c.eye, c.target, CVector3d(0, 0, 1));
        definition.SetPerspective(c.perspective);
        view.SetViewDefinition(definition);
        EXPECT_EQ(view.IsEyeAboveGround(), c.above)
            << (c.perspective ? "perspective" : "parallel") << " eye z " << c.eye.z << " target z " << c.target.z;
    }
}

// Ends 0.0009 apart on every axis counted as apart, as their distance is above 0.001.
TEST(TarnisView, VolumePolygonsAndClampedSegmentsTakePointsWithinAThousandthOnEveryAxisAsOne)
{
    TestView view;
    CViewDefinition definition;
    definition.SetViewportSize(64, 48);
    definition.SetEyeTarget(CPoint3d(0, 0, 0), CPoint3d(0, 0, -1), CVector3d(0, 1, 0));
    view.SetViewDefinition(definition);
    view.recordLines = true;
    const CPoint3d p(1, 2, -20);
    const std::pair<CVector3d, bool> cases[] = {
        {{0.0009, 0.0009, 0.0009}, true},
        {{-0.0009, 0.0009, -0.0009}, true},
        {{0.0011, 0, 0}, false},
        {{0, 0.0004, -0.0011}, false},
    };
    for (const auto& [offset, same] : cases) {
        CShadowVolumePolygon polygon;
        AddVolumePoint(polygon, p);
        AddVolumePoint(polygon, p + offset);
        EXPECT_EQ(polygon.count, same ? 1 : 2) << offset.x << " " << offset.y << " " << offset.z;
        view.lines.clear();
        DrawDepthClampedSegment(view, p, p + offset);
        EXPECT_EQ(view.lines.size(), same ? 0u : 1u) << offset.x << " " << offset.y << " " << offset.z;
    }
}

TEST(TarnisView, FadedModesBlendColoursTowardsTheBackground)
{
    TestView view;
    view.options.SetBackgroundColor(CColor(200, 100, 0, 255));
    const CColor red(0, 0, 0, 255);
    EXPECT_EQ(view.FadeColor(red), red);
    view.PushLightingMode(3);  // weight 0.75 by default
    EXPECT_TRUE(view.IsFadedLightingMode());
    EXPECT_EQ(view.FadeColor(red), CColor(50, 25, 0, 255));
    view.PushLightingMode(2);  // half and half
    EXPECT_EQ(view.FadeColor(red), CColor(100, 50, 0, 255));
    view.PopLightingMode();
    view.PopLightingMode();
    view.PopLightingMode();  // empty
    EXPECT_EQ(view.GetLightingMode(), 0);
    EXPECT_EQ(view.GetAxisColor(2), CColor(0, 255, 0, 255));
    EXPECT_EQ(view.GetDirectionColor(CPoint3d(1, 1, 1), CPoint3d(1, 1, 4)), CColor(0, 0, 255, 255));
    EXPECT_EQ(view.GetDirectionColor(CPoint3d(0, 0, 0), CPoint3d(1, 1, 0)), view.GetForegroundColor());
}

TEST(TarnisView, FogRangesMakeTheTwoControlPointsExact)
{
    // 20% fog at a tenth of the depth, 80% at nine tenths: the linear fog factor
    // (end - z) / (end - start) is 0.8 and 0.2 there.
    double start = 0;
    double end = 0;
    CTarnisView::ComputeFogRange(10, 90, 20, 80, 1000.0, start, end);
    EXPECT_NEAR((end - 100.0) / (end - start), 0.8, 1e-12);
    EXPECT_NEAR((end - 900.0) / (end - start), 0.2, 1e-12);
    // Equal amounts, or no fog left at either point, keep the whole depth.
    for (const auto& [nearAmount, farAmount] : std::vector<std::pair<int, int>>{{50, 50}, {0, 100}, {100, 50}}) {
        CTarnisView::ComputeFogRange(10, 90, nearAmount, farAmount, 1000.0, start, end);
        EXPECT_EQ(start, 0.0);
        EXPECT_EQ(end, 1000.0);
    }
}

using TarnisViewGL = GLContextTest;

TEST_F(TarnisViewGL, SettersSkipWhatTheCacheHoldsUnlessStateIsForced)
{
    TestView view;
    view.SetLineWidth(0.5);
    EXPECT_EQ(ReadFloat(GL_LINE_WIDTH), 1.0f);
    view.SetLineWidthScale(3.0);
    view.SetLineWidth(0.5);
    EXPECT_EQ(ReadFloat(GL_LINE_WIDTH), 1.5f);

    glLineWidth(4.0f);  // behind the view's back
    view.SetLineWidth(0.5);
    EXPECT_EQ(ReadFloat(GL_LINE_WIDTH), 4.0f);
    view.SetForceState(true);
    view.SetLineWidth(0.5);
    EXPECT_EQ(ReadFloat(GL_LINE_WIDTH), 1.5f);
    view.SetForceState(false);

    view.SetLineStipple(0x00FF);
    GLint pattern = 0;
    glGetIntegerv(GL_LINE_STIPPLE_PATTERN, &pattern);
    EXPECT_EQ(pattern, 0x00FF);
    EXPECT_TRUE(glIsEnabled(GL_LINE_STIPPLE));
    view.SetLineStipple(0);
    EXPECT_FALSE(glIsEnabled(GL_LINE_STIPPLE));
    EXPECT_FALSE(view.IsLineStippled());

    view.SetColor(CColor(10, 20, 30, 255));
    EXPECT_EQ(ReadColor(), CColor(10, 20, 30, 255));
    glColor4ub(1, 2, 3, 4);
    view.SetColor(CColor(10, 20, 30, 255));
    view.SetColor(CColor());  // the zero colour changes nothing
    EXPECT_EQ(ReadColor(), CColor(1, 2, 3, 4));

    view.SetLightingSuppressed(true);
    EXPECT_FALSE(view.SetLighting(true));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    view.SetLightingSuppressed(false);
    EXPECT_TRUE(view.SetLighting(true));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));

    EXPECT_FALSE(view.SetCapability(GL_BLEND, true));
    EXPECT_TRUE(view.SetCapability(GL_BLEND, false));
    EXPECT_TRUE(view.SetDepthMask(false));
    EXPECT_FALSE(view.SetDepthMask(true));
    view.SetDepthFunction(GL_LEQUAL);
    EXPECT_EQ(view.GetDepthFunction(), static_cast<unsigned>(GL_LEQUAL));

    view.ResetLineState();
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(ReadColor(), CColor(0, 0, 0, 255));
    EXPECT_EQ(ReadFloat(GL_LINE_WIDTH), 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TarnisViewGL, LineRequestsShareOneBatchAndOtherPrimitivesCloseIt)
{
    TestView view;
    view.BeginPrimitive(GL_LINES);
    view.Vertex(0, 0, 0);
    view.Vertex(1, 0, 0);
    view.BeginPrimitive(GL_LINES);  // a second glBegin inside the first would be an error
    view.SetColor(CColor(255, 0, 0, 255));
    view.Vertex(0, 1, 0);
    view.Vertex(1, 1, 0);
    EXPECT_EQ(view.GetOpenPrimitive(), GL_LINES);
    view.BeginPrimitive(GL_QUADS);
    EXPECT_EQ(view.GetOpenPrimitive(), GL_QUADS);
    view.SetLineWidth(3.0);  // closes the batch before the state changes
    EXPECT_EQ(view.GetOpenPrimitive(), -1);
    view.EndPrimitive();
    // Entering a faded instance in the middle of a batch changes the lights: the batch
    // is closed first, as for every other state.
    view.BeginPrimitive(GL_LINES);
    view.PushLightingMode(3);
    view.PopLightingMode();
    EXPECT_EQ(view.GetOpenPrimitive(), -1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TarnisViewGL, LinesOfAnotherColourKeepTheirOrderWhateverTheirWidth)
{
    TestView view;
    view.InitGLState();
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const CColor red(255, 0, 0, 255);
    const auto line = [&view](double y, double width) {
        view.SetLineWidth(width);
        view.BeginPrimitive(GL_LINES);
        view.Vertex(0, y, 0);
        view.Vertex(kWidth, y, 0);
    };
    view.SetColor(red);
    line(10.5, 1.0);
    line(24.5, 3.0);
    // At the depth of the wide red line: drawn after it, it fails the depth test, though
    // thin lines were drawn before the wide one.
    view.SetColor(CColor(0, 0, 255, 255));
    line(24.5, 1.0);
    view.SetColor(red);
    line(36.5, 3.0);
    view.EndPrimitive();
    const auto pixel = [](int x, int y) {
        std::uint8_t rgba[4] = {0, 0, 0, 0};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return CColor(rgba[0], rgba[1], rgba[2], rgba[3]);
    };
    EXPECT_EQ(pixel(32, 24), red);
    EXPECT_EQ(pixel(32, 10), red);
    EXPECT_EQ(pixel(32, 37), red) << "three pixels wide";
    EXPECT_EQ(ReadFloat(GL_LINE_WIDTH), 3.0f);
    EXPECT_EQ(ReadColor(), red);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TarnisViewGL, LinearFogTakesItsRangeFromTheDepth)
{
    TestView view;
    CViewDefinition definition;
    definition.SetViewportSize(kWidth, kHeight);
    view.SetViewDefinition(definition);
    view.ApplyViewToGL(0, nullptr);
    view.SetupFog(true);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    GLint mode = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    EXPECT_EQ(mode, GL_LINEAR);
    EXPECT_EQ(ReadFloat(GL_FOG_START), 0.0f);
    EXPECT_FLOAT_EQ(ReadFloat(GL_FOG_END), static_cast<float>(view.GetViewDefinition().GetUsedFar()));
    view.SetupFog(false);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
}

TEST_F(TarnisViewGL, SelectionNamesElementsThroughThePickTableOn64BitSystems)
{
    // Entity addresses used to be loaded as 32-bit selection names and came back cut.
    TestView view;
    CViewDefinition definition;
    definition.SetViewportSize(kWidth, kHeight);
    definition.SetEyeTarget(CPoint3d(0, 0, 100), CPoint3d(0, 0, 0), CVector3d(0, 1, 0));
    view.SetViewDefinition(definition);
    CSectionPlane* element = new CSectionPlane(CPlane3d(0, 0, 1, 0));
    GLuint buffer[64] = {};
    glSelectBuffer(64, buffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    view.ApplyViewToGL(0, nullptr);
    view.SetDrawMode(IModelView::kDrawModeSelection);
    view.BeginElement(element);
    view.DrawLine(CPoint3d(-10, 0, 0), CPoint3d(10, 0, 0));
    view.EndElement();
    ASSERT_EQ(glRenderMode(GL_RENDER), 1);
    ASSERT_EQ(buffer[0], 1u);  // one name on the stack
    EXPECT_EQ(view.GetPickNameTable().FindEntity(buffer[3]), element);
    const CUndoSuspender suspender(true);
    element->Erase();
}

TEST_F(TarnisViewGL, DepthClampedSegmentsStayInsideTheDepthRange)
{
    TestView view;
    CViewDefinition definition;
    definition.SetViewportSize(kWidth, kHeight);
    definition.SetEyeTarget(CPoint3d(0, 0, 0), CPoint3d(0, 0, -1), CVector3d(0, 1, 0));
    view.SetViewDefinition(definition);
    view.ApplyViewToGL(0, nullptr);  // nothing fitted: near 11, far 11000
    view.recordLines = true;
    const double nearClamp = -11 * 1.0001;
    const double farClamp = -11000 * 0.9999;

    DrawDepthClampedSegment(view, CPoint3d(0, 0, -20), CPoint3d(1, 0, -30));
    ASSERT_EQ(view.lines.size(), 1u);  // wholly inside: unchanged
    EXPECT_EQ(view.lines[0].first, CPoint3d(1, 0, -30));

    view.lines.clear();
    DrawDepthClampedSegment(view, CPoint3d(0, 0, -20000), CPoint3d(0, 10, -30000));
    ASSERT_EQ(view.lines.size(), 1u);  // wholly beyond: flattened onto the far plane
    EXPECT_NEAR(view.lines[0].first.z, farClamp, 1e-6);
    EXPECT_NEAR(view.lines[0].second.z, farClamp, 1e-6);

    view.lines.clear();
    DrawDepthClampedSegment(view, CPoint3d(0, 0, 5), CPoint3d(0, 0, -20000));
    ASSERT_EQ(view.lines.size(), 3u);  // through both planes
    EXPECT_NEAR(view.lines[0].second.z, farClamp, 1e-6);
    EXPECT_NEAR(view.lines[1].second.z, nearClamp, 1e-6);

    view.lines.clear();
    DrawDepthClampedSegment(view, CPoint3d(1, 1, 1), CPoint3d(1.0005, 1, 1));
    EXPECT_TRUE(view.lines.empty());
}

TEST_F(TarnisViewGL, RaysAreCutToTheViewAndDrawnWithTheirStyle)
{
    TestView view;
    CViewDefinition definition;
    definition.SetViewportSize(kWidth, kHeight);
    definition.SetEyeTarget(CPoint3d(0, 0, 100), CPoint3d(0, 0, 0), CVector3d(0, 1, 0));
    view.SetViewDefinition(definition);
    view.ApplyViewToGL(0, nullptr);
    view.recordLines = true;
    view.DrawRayLine(CPoint3d(0, 0, 0), CVector3d(1, 0, 0), 0x0F0F, true, CColor(0, 0, 255, 255), 2.0);
    ASSERT_EQ(view.lines.size(), 1u);
    for (const CPoint3d& end : {view.lines[0].first, view.lines[0].second}) {
        CPoint3d window;
        ASSERT_TRUE(view.GetViewDefinition().ProjectPoint(end, window));
        EXPECT_NEAR(std::fabs(window.x - kWidth / 2.0), kWidth / 2.0, 1e-6);
    }
    EXPECT_EQ(view.GetLineStipple(), 0x0F0F);
    EXPECT_EQ(view.GetColor(), CColor(0, 0, 255, 255));

    view.lines.clear();
    view.DrawRayLine(CPoint3d(0, 500, 0), CVector3d(1, 0, 0), 0, true, CColor(0, 0, 255, 255), 1.0);
    EXPECT_TRUE(view.lines.empty());  // misses the view
}

TEST_F(TarnisViewGL, OutputScalingLastsAsLongAsItsScope)
{
    TestView view;
    view.SetViewportSize(kWidth, kHeight);
    {
        const CViewOutputScale scale(view, 640, 480, 3.0);
        EXPECT_EQ(view.GetViewDefinition().GetViewportWidth(), 640);
        EXPECT_DOUBLE_EQ(view.GetPixelScale(), 48.0 / 480.0);
        EXPECT_EQ(view.GetLineWidth(), 3.0);
    }
    EXPECT_EQ(view.GetViewDefinition().GetViewportHeight(), kHeight);
    EXPECT_EQ(view.GetPixelScale(), 1.0);
    EXPECT_EQ(view.GetLineWidthScale(), 1.0);
}

TEST_F(TarnisViewGL, ViewAndSelectionVolumesKeepWhatIsSeenThere)
{
    TestView view;
    CViewDefinition definition;
    definition.SetViewportSize(kWidth, kHeight);
    definition.SetEyeTarget(CPoint3d(0, 0, 100), CPoint3d(0, 0, 0), CVector3d(0, 1, 0));
    view.SetViewDefinition(definition);
    view.ApplyViewToGL(0, nullptr);

    view.PushFrustumFilter();
    EXPECT_TRUE(view.GetCurrentFilter()->TestPoint(CPoint3d(0, 0, 0)));
    EXPECT_FALSE(view.GetCurrentFilter()->TestPoint(CPoint3d(0, 0, 200)));  // behind the eye
    EXPECT_FALSE(view.GetCurrentFilter()->TestPoint(CPoint3d(500, 0, 0)));
    view.PopFilter();

    CPoint3d corner;
    ASSERT_TRUE(view.ScreenToModel(CPoint3d(5, 5, 0.5), corner));
    view.PushPickRegionFilter(CPoint2d(kWidth / 2.0, kHeight / 2.0), 6);
    EXPECT_TRUE(view.GetCurrentFilter()->TestPoint(CPoint3d(0, 0, 0)));
    EXPECT_FALSE(view.GetCurrentFilter()->TestPoint(corner));
    view.PopFilter();
    view.PushWindowInsideFilter(CPoint2d(10, 10), CPoint2d(0, 0));
    EXPECT_TRUE(view.GetCurrentFilter()->TestPoint(corner));
    EXPECT_FALSE(view.GetCurrentFilter()->TestPoint(CPoint3d(0, 0, 0)));
    view.ClearFilters();
}
