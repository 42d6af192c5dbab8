// The frames of a camera or page transition over a model whose frames take seconds, the
// transitions stepped as the view's timer steps them: each step before the last is cut
// for time and leaves the shadows out, never showing the model in its shadow colour; the
// last step's frame is the picture that stays, whole and with its shadows.

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "document/camera.h"
#include "document/pagelist.h"
#include "document/utctime.h"
#include "document/viewpage.h"
#include "drawapi/animation.h"
#include "render/framecost.h"
#include "render/frametimer.h"
#include "samplegen/geometrybuilder.h"
#include "tests/render/modelframefixture.h"
#include "tests/render/workelement.h"
#include "tools/animationfactories.h"
#include "tools/pagetransition.h"

namespace {

class TransitionFramesTest : public ModelFrameTest
{
protected:
    TransitionFramesTest() : ModelFrameTest(true) {}

    void SetUp() override
    {
        ModelFrameTest::SetUp();
        InstallAnimationFactories();
        Options().SetBackgroundColor(CColor(40, 40, 80, 255));
        Options().SetDisplayEdges(0);
        Shadows().SetDisplayShadows(true);
        Shadows().SetOnGround(false);
        SetSunHeight(0.6);
        // A floor, a square above it that casts on it, and the heavy work after both.
        Square(CPoint3d(), 15.0);
        Square(m_top, 2.0);
        m_work = new CWorkElement;
        Root().Add(m_work);
        LookDown(CPoint3d(), 36.0);
        m_shadow = Thrown(m_top);
        m_lit = CPoint3d(-m_shadow.x, -m_shadow.y, 0);
        CFrameTimer::SetClock([] { return s_now += 2.0; });
    }
    void TearDown() override
    {
        m_view.DiscardAnimation();
        CFrameTimer::SetClock(nullptr);
        ModelFrameTest::TearDown();
    }

    // Where the sun throws the point onto the floor.
    CPoint3d Thrown(const CPoint3d& p)
    {
        const CVector3d sun = Shadows().GetSunDirection();
        return {p.x - sun.x / sun.z * p.z, p.y - sun.y / sun.z * p.z, 0.0};
    }
    void Square(const CPoint3d& centre, double half)
    {
        const CGeometryBuilder builder(Root());
        const auto at = [&](double dx, double dy) { return builder.Vertex(centre + CVector3d(dx, dy, 0)); };
        builder.Face({at(-half, -half), at(half, -half), at(half, half), at(-half, half)}, CVector3d(0, 0, 1));
    }
    // The red, green and blue at the model point's pixel.
    std::array<int, 3> Colour(const CPoint3d& point) const
    {
        CPoint3d screen;
        EXPECT_TRUE(m_view.ModelToScreen(point, screen));
        return Pixel(static_cast<int>(screen.x), static_cast<int>(screen.y));
    }
    static int Brightness(const std::array<int, 3>& colour) { return colour[0] + colour[1] + colour[2]; }
    // The camera shifted along x.
    CCamera Shifted(double x) const
    {
        CCamera camera = m_view.GetViewDefinition().GetCamera();
        camera.SetEyeTargetUp(CPoint3d(x, 0, 100), CPoint3d(x, 0, 0), CVector3d(0, 1, 0));
        return camera;
    }

    // Draws a frame after each step of the running animation, stepping it as the view's
    // timer does, until a step answers that the animation is over; checks every frame
    // against the still picture: the steps' cut and shadowless, the last one's whole and
    // shadowed, and not drawn again once the animation ends.
    void RunAndCheck(const std::array<int, 3>& lit, const std::array<int, 3>& shadowed)
    {
        int frames = 0;
        bool whole = false;
        std::array<int, 3> atShadow{};
        for (IAnimation* animation = m_view.GetAnimation(); animation != nullptr;) {
            if (frames > 0) {
                EXPECT_FALSE(whole) << "a step before the last, frame " << frames;
                EXPECT_NEAR(Brightness(atShadow), Brightness(lit), 6) << "frame " << frames;
            }
            Draw();
            ++frames;
            whole = m_work->charged == CWorkElement::kWork;
            const std::array<int, 3> atLit = Colour(m_lit);
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(atLit[c], lit[c], 3) << "frame " << frames;
            }
            atShadow = Colour(m_shadow);
            m_view.invalidations = 0;
            m_view.StopAnimationTimer();
            if (!animation->Step(&m_view)) {
                m_view.SetAnimation(nullptr);
                animation = nullptr;
            }
        }
        EXPECT_GE(frames, 3);
        EXPECT_TRUE(whole) << "the last step's frame";
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(atShadow[c], shadowed[c], 3) << c;
        }
        EXPECT_EQ(m_view.invalidations, 0) << "the picture that stays is drawn once";
    }

    static inline double s_now = 0.0;
    const CPoint3d m_top{0, 0, 5};
    CPoint3d m_shadow;
    CPoint3d m_lit;
    CWorkElement* m_work = nullptr;
};

TEST_F(TransitionFramesTest, EveryStepButTheLastIsCutWithoutShadowsAndTheLastIsTheWholeShadowedPicture)
{
    for (int frame = 0; frame < CFrameCost::kMeasuredFrames; ++frame) {
        Draw();
    }
    ASSERT_EQ(m_work->charged, CWorkElement::kWork);
    const std::array<int, 3> lit = Colour(m_lit);
    const std::array<int, 3> shadowed = Colour(m_shadow);
    ASSERT_LT(Brightness(shadowed), Brightness(lit) - 30);

    // A camera set over some seconds moves there through a camera transition.
    m_view.SetCamera(Shifted(0.5), 40.0);
    ASSERT_NE(m_view.GetAnimation(), nullptr);
    {
        SCOPED_TRACE("camera transition");
        RunAndCheck(lit, shadowed);
    }

    // A page that keeps a camera, shown through its transition.
    auto* page = new CViewPage(CString("page"), CString(), CViewPage::kCamera);
    page->SetCamera(Shifted(0.0));
    m_model->GetPageList()->AddPage(page, -1);
    m_view.SetAnimation(new CPageTransition(&m_view, nullptr, page, 60.0));
    ASSERT_TRUE(m_view.GetAnimation()->Step(&m_view));
    {
        SCOPED_TRACE("page transition");
        RunAndCheck(lit, shadowed);
    }
}

}  // namespace
