#include "app/shadowtoolbar.h"

#include <gtest/gtest.h>

#include <QAbstractButton>

#include "app/buttonimagest.h"
#include "app/datesliderctrl.h"
#include "app/mainframe.h"
#include "app/resourceids.h"
#include "app/timesliderctrl.h"
#include "apptestsupport.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "platform/ui/cmdui.h"

namespace {

class ShadowToolBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        m_previous = SetCurrentModel(m_model);
        Shadows().SetDateTime(CUtcTime(2024, 6, 21, 13, 30, 0));
        ASSERT_TRUE(frame.LoadFrame());
    }
    void TearDown() override
    {
        frame.DestroyWindow();
        SetCurrentModel(m_previous);
        m_model->Release();
    }

    CShadowInfo& Shadows() { return *m_model->GetShadowInfo(); }
    CShadowToolBar& Bar() { return frame.GetShadowBar(); }
    bool Checked(UINT id) { return Bar().GetButton(id)->GetCheck() != 0; }

    apptest::MemorySettings settings;
    CMainFrame frame;

private:
    CTarnwickModel* m_model = new CTarnwickModel;
    CTarnwickModel* m_previous = nullptr;
};

TEST_F(ShadowToolBarTest, TheSlidersFollowTheShadowTimeAndSetIt)
{
    Shadows().SetDateTime(CUtcTime(2031, 10, 5, 16, 20, 0));
    EXPECT_EQ(Bar().GetDateSlider()->value(), 278);
    EXPECT_EQ(Bar().GetTimeSlider()->value(), 16 * 60 + 20);
    EXPECT_EQ(Bar().GetTimeSlider()->minimum(), Shadows().GetSunrise().GetMinuteOfDay());
    Bar().GetDateSlider()->setValue(1);
    EXPECT_EQ(Shadows().GetDateTime(), CUtcTime(2031, 1, 1, 16, 20, 0));
    // The time slider now spans the new day.
    EXPECT_EQ(Bar().GetTimeSlider()->maximum(), Shadows().GetSunset().GetMinuteOfDay());
    Bar().GetTimeSlider()->setValue(Bar().GetTimeSlider()->minimum());
    EXPECT_EQ(Shadows().GetDateTime(), Shadows().GetSunrise());
}

TEST_F(ShadowToolBarTest, AModelOpenedAnewShowsItsOwnShadowDate)
{
    // Reading a file announces no shadow change, only the resynchronised interface.
    auto* opened = new CTarnwickModel;
    opened->GetShadowInfo()->SetDateTime(CUtcTime(2027, 2, 1, 10, 0, 0));
    CTarnwickModel* previous = SetCurrentModel(opened);
    GetNotificationCenter().Post(kResynchUINotification, nullptr);
    EXPECT_EQ(Bar().GetDateSlider()->value(), 32);
    EXPECT_EQ(Bar().GetDateSlider()->maximum(), 365);
    SetCurrentModel(previous);
    opened->Release();
}

TEST_F(ShadowToolBarTest, TheDisplayButtonSwitchesTheShadowsAndShowsWhetherTheyShow)
{
    Bar().GetButton(CShadowToolBar::kDisplayButton)->click();
    EXPECT_TRUE(Shadows().IsDisplayShadows());
    EXPECT_TRUE(Checked(CShadowToolBar::kDisplayButton));
    Shadows().SetDisplayShadows(false);
    EXPECT_FALSE(Checked(CShadowToolBar::kDisplayButton));
    // Without a shadow window to show, the settings button stays up.
    EXPECT_FALSE(Checked(CShadowToolBar::kSettingsButton));
}

TEST_F(ShadowToolBarTest, TheViewMenuShowsTheBarAndLargeButtonsGrowIt)
{
    EXPECT_FALSE(Bar().IsVisible());
    frame.SendCommand(ID_VIEW_SHADOWS_TOOLBAR);
    EXPECT_TRUE(Bar().IsVisible());
    const struct
    {
        bool normal;
        QRect settings;
        QRect display;
        QRect date;
        QSize panel;
    } layouts[] = {{false, QRect(0, 0, 31, 32), QRect(31, 0, 31, 32), QRect(66, 4, 168, 24), QSize(410, 37)},
                   {true, QRect(0, 0, 23, 24), QRect(23, 0, 23, 24), QRect(50, 0, 168, 24), QSize(394, 24)}};
    // The frame starts with large buttons.
    for (const auto& layout : layouts)
    {
        EXPECT_EQ(Bar().IsNormalLayout(), layout.normal);
        EXPECT_EQ(Bar().GetButton(CShadowToolBar::kSettingsButton)->geometry(), layout.settings);
        EXPECT_EQ(Bar().GetButton(CShadowToolBar::kDisplayButton)->geometry(), layout.display);
        EXPECT_EQ(Bar().GetDateSlider()->geometry(), layout.date);
        EXPECT_EQ(Bar().GetPanel()->size(), layout.panel);
        EXPECT_TRUE(Bar().GetButton(CShadowToolBar::kSettingsButton)->HasImages());
        frame.ToggleButtonSize();
    }
    EXPECT_TRUE(Bar().IsVisible());
}

}  // namespace
