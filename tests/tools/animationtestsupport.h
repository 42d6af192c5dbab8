#pragma once
// Support for the tests of camera paths, transitions and the slideshow: a view without
// a window, a clock the test moves by hand, a current model with pages, and an element
// that gives a component its extent.

#include <gtest/gtest.h>

#include <cmath>

#include "document/camera.h"
#include "document/classregistration.h"
#include "document/component.h"
#include "document/pagelist.h"
#include "document/viewpage.h"
#include "foundation/boundingbox3d.h"
#include "model/drawingelement.h"
#include "render/frametimer.h"
#include "render/tarnisview.h"
#include "tests/model/entitytestsupport.h"
#include "tools/animationfactories.h"

namespace animationtest {

// A view core without a window: redraw requests go nowhere.
class View : public CTarnisView
{
public:
    void Invalidate(bool /*erase*/) override {}
};

// Every stopwatch reads this clock while it lives; it stands still until moved.
class ManualClock
{
public:
    ManualClock()
    {
        s_now = 100.0;
        CFrameTimer::SetClock([] { return s_now; });
    }
    ~ManualClock() { CFrameTimer::SetClock(nullptr); }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    void Advance(double seconds) { s_now += seconds; }

private:
    static inline double s_now = 0.0;
};

// A point that a component's extent takes in.
class PointElement : public CDrawingElement
{
public:
    explicit PointElement(const CPoint3d& point) : m_point(point) {}
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override
    {
        box.Add(transform * m_point);
    }

private:
    CPoint3d m_point;
};

inline CCamera MakeCamera(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up = {0, 0, 1},
                          double fieldOfView = 30.0)
{
    CCamera camera;
    camera.SetView(eye, target, up, 1.0, 1000.0, true, fieldOfView, 10.0);
    return camera;
}

inline bool Near(const CVector3d& a, const CVector3d& b, double tolerance = 1e-9)
{
    return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance && std::abs(a.z - b.z) <= tolerance;
}

inline bool Near(const CPoint3d& a, const CPoint3d& b, double tolerance = 1e-9)
{
    return Near(a - CPoint3d(), b - CPoint3d(), tolerance);
}

// A current model shown in a view, with the animation factories installed and a box
// from (-1, -1, 0) to (1, 1, 2) in its root component.
class ModelFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterModelClasses();
        InstallAnimationFactories();
        Root().Add(new PointElement({-1, -1, 0}));
        Root().Add(new PointElement({1, 1, 2}));
        view.SetModel(&Model());
    }
    void TearDown() override
    {
        view.DiscardAnimation();
        view.SetModel(nullptr);
    }

    [[nodiscard]] CTarnwickModel& Model() const { return m_current.Get(); }
    [[nodiscard]] CComponent& Root() const { return *Model().GetRootComponent(); }
    [[nodiscard]] CPageList& Pages() const { return *Model().GetPageList(); }

    // A page that keeps the camera (and what else the mask holds), added to the list.
    CViewPage* AddPage(const char* name, const CCamera& camera, std::int32_t mask = CViewPage::kCamera)
    {
        auto* page = new CViewPage(CString(name), CString(), mask);
        page->SetCamera(camera);
        Pages().AddPage(page, -1);
        return page;
    }

    entitytest::CurrentModel m_current;
    View view;
};

}  // namespace animationtest
