// Once the sample house's Front and Aerial pages kept only their camera, so they showed
// the cut, the hidden roof and the display settings of the page shown before them; and
// once each Perspective off and on again drew the house a little smaller.
#include <gtest/gtest.h>

#include <QImage>
#include <QTabBar>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <vector>

#include "animationsupport.h"
#include "app/glimraapp.h"
#include "app/glimraview.h"
#include "app/mainframe.h"
#include "app/resourceids.h"
#include "apptestsupport.h"
#include "samplefiles.h"

namespace {

constexpr int kPageCount = 3;
// Channel differences up to this count as equal; the rasteriser is the same for every
// frame, so only rounding may differ.
constexpr int kChannelTolerance = 6;

// Pixels of one frame differing by more than the tolerance.
int CountDifferingPixels(const QImage& a, const QImage& b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
        {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            differing += std::abs(p.red() - q.red()) > kChannelTolerance ||
                                 std::abs(p.green() - q.green()) > kChannelTolerance ||
                                 std::abs(p.blue() - q.blue()) > kChannelTolerance
                             ? 1
                             : 0;
        }
    return differing;
}

// The application with the house open, as a user starts it.
class HouseApplication
{
public:
    HouseApplication()
    {
        m_app.SetArguments({CString("glimra"), CString::FromUtf8(apptest::Samples().Path("house-5000.twk"))});
        m_started = m_app.InitInstance();
    }
    ~HouseApplication()
    {
        if (m_started)
            m_app.ExitInstance();
    }
    HouseApplication(const HouseApplication&) = delete;
    HouseApplication& operator=(const HouseApplication&) = delete;

    [[nodiscard]] bool IsStarted() const { return m_started; }

    // Clicks the page's tab, lets its transition reach its end and draws its frames: the
    // picture that stays is the one drawn once the view has settled (a slow machine may
    // leave the shadows out of the moving ones).
    QImage ShowPage(int index)
    {
        emit m_app.GetMainFrame()->GetPageTabs().GetTabControl()->tabBarClicked(index);
        CGlimraView& view = *m_app.GetActiveGlimraView();
        apptest::RunAnimationToEnd(view);
        const int swapped = view.GetFramesSwapped();
        view.OnPaint();
        view.OnViewSettled();
        view.OnPaint();
        const QImage* frame = view.GetPresentedFrame();
        if (view.GetFramesSwapped() == swapped || frame == nullptr)
            return {};
        return frame->copy();
    }
    // Sends the command and draws a frame.
    QImage AfterCommand(UINT id)
    {
        m_app.GetMainFrame()->SendCommand(id);
        CGlimraView& view = *m_app.GetActiveGlimraView();
        view.OnPaint();
        const QImage* frame = view.GetPresentedFrame();
        return frame != nullptr ? frame->copy() : QImage();
    }

private:
    CGlimraApp m_app;
    bool m_started = false;
};

class SamplePagesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        (void)apptest::Samples();
        dataHome = std::filesystem::temp_directory_path() / ("glimra-pages-" + std::to_string(::getpid()));
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(dataHome);
    }

    std::filesystem::path dataHome;
    apptest::MemorySettings settings;
    apptest::MessageBoxRecorder boxes;
};

TEST_F(SamplePagesTest, EveryHousePageShowsTheSamePictureWhicheverPageCameBefore)
{
    // Each page as the first tab clicked after opening the file.
    std::vector<QImage> references;
    for (int page = 0; page < kPageCount; ++page)
    {
        HouseApplication fresh;
        ASSERT_TRUE(fresh.IsStarted());
        references.push_back(fresh.ShowPage(page));
        ASSERT_FALSE(references.back().isNull()) << "no frame drawn for page " << page;
    }
    // Running through every order of the pages one after another shows each page after
    // every other one and after itself.
    HouseApplication house;
    ASSERT_TRUE(house.IsStarted());
    std::vector<int> order(kPageCount);
    std::iota(order.begin(), order.end(), 0);
    int previous = -1;
    do
    {
        for (const int page : order)
        {
            const QImage shown = house.ShowPage(page);
            ASSERT_EQ(shown.size(), references[page].size());
            EXPECT_EQ(CountDifferingPixels(shown, references[page]), 0)
                << "page " << page << " after page " << previous;
            previous = page;
        }
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(SamplePagesTest, PerspectiveOffAndOnAgainShowsTheFrontPageAsBefore)
{
    HouseApplication house;
    ASSERT_TRUE(house.IsStarted());
    const QImage front = house.ShowPage(0);
    ASSERT_FALSE(front.isNull());
    for (int round = 1; round <= 4; ++round)
    {
        house.AfterCommand(ID_CAMERA_PERSPECTIVE);
        const QImage again = house.AfterCommand(ID_CAMERA_PERSPECTIVE);
        ASSERT_EQ(again.size(), front.size());
        EXPECT_EQ(CountDifferingPixels(again, front), 0) << "after round trip " << round;
    }
}

}  // namespace
