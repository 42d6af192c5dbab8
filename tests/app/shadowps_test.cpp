#include "app/shadowps.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <cstdlib>
#include <functional>
#include <memory>

#include "app/dtpicker.h"
#include "app/spinbuttonctrl.h"
#include "app/timesliderctrl.h"
#include "apptestsupport.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"

namespace {

using Dlg = CShadowPS;

// The window over a view whose stencil buffer the test decides.
class CTestShadowPS : public CShadowPS
{
public:
    bool stencilView = true;

protected:
    [[nodiscard]] bool IsStencilViewActive() const override { return stencilView; }
};

class ShadowPSTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        apptest::PrepareApplication();
        m_previous = SetCurrentModel(m_model);
        Shadows().SetDateTime(CUtcTime(2024, 6, 21, 13, 30, 0));
        dialog = std::make_unique<CTestShadowPS>();
        ASSERT_TRUE(dialog->Create(nullptr));
        dialog->ShowTool(true);
    }
    void TearDown() override
    {
        dialog.reset();
        SetCurrentModel(m_previous);
        m_model->Release();
    }

    CTarnwickModel& Model() { return *m_model; }
    CShadowInfo& Shadows() { return *m_model->GetShadowInfo(); }
    CRenderingOptions& Options() { return *m_model->GetRenderingOptions(); }
    QWidget* Item(int id) const { return dialog->GetDlgItem(id); }
    CDTPicker* Picker(int id) const { return static_cast<CDTPicker*>(Item(id)); }
    QSlider* Slider(int id) const { return static_cast<QSlider*>(Item(id)); }

    void Click(int id) { static_cast<QAbstractButton*>(Item(id))->click(); }
    void Slide(int id, int value) { Slider(id)->setValue(value); }
    void Spin(int id, int delta) { static_cast<CSpinButtonCtrl*>(Item(id))->Step(delta); }
    void Type(int id, const char* text)
    {
        auto* edit = static_cast<QLineEdit*>(Item(id));
        edit->setText(QString::fromUtf8(text));
        emit edit->textEdited(edit->text());
        emit edit->editingFinished();
    }
    [[nodiscard]] bool Checked(int id) const { return dialog->IsDlgButtonChecked(id) != 0; }
    [[nodiscard]] bool Enabled(int id) const { return Item(id)->isEnabled(); }
    [[nodiscard]] CString Text(int id) const { return dialog->GetDlgItemText(id); }
    [[nodiscard]] const CUtcTime& Time() { return Shadows().GetDateTime(); }

    apptest::MemorySettings settings;
    apptest::MessageBoxRecorder boxes;
    std::unique_ptr<CTestShadowPS> dialog;

private:
    CTarnwickModel* m_model = new CTarnwickModel;
    CTarnwickModel* m_previous = nullptr;
};

using Fixture = ShadowPSTest;

struct ControlCase
{
    const char* what;
    std::function<void(Fixture&)> act;
    std::function<bool(Fixture&)> holds;
};

TEST_F(ShadowPSTest, EachControlSetsItsShadowSetting)
{
    const ControlCase cases[] = {
        {"display shadows", [](Fixture& t) { t.Click(Dlg::kDisplayShadows); },
         [](Fixture& t) { return t.Shadows().IsDisplayShadows() && t.Enabled(Dlg::kOnGround); }},
        {"from edges", [](Fixture& t) { t.Click(Dlg::kFromEdges); }, [](Fixture& t) { return t.Shadows().IsFromEdges(); }},
        {"on faces", [](Fixture& t) { t.Click(Dlg::kOnFaces); },
         [](Fixture& t) { return !t.Shadows().IsOnFaces() && t.Shadows().IsOnGround(); }},
        {"light slider", [](Fixture& t) { t.Slide(Dlg::kLightSlider, 65); },
         [](Fixture& t) { return t.Shadows().GetLightIntensity() == 65 && t.Text(Dlg::kLightEdit) == CString("65"); }},
        {"dark edit", [](Fixture& t) { t.Type(Dlg::kDarkEdit, "35"); },
         [](Fixture& t) { return t.Shadows().GetDarkIntensity() == 35 && t.Slider(Dlg::kDarkSlider)->value() == 35; }},
        {"light spin", [](Fixture& t) { t.Spin(Dlg::kLightSpin, 1); },
         [](Fixture& t) {
             return t.Shadows().GetLightIntensity() == 66 && t.Slider(Dlg::kLightSlider)->value() == 66 &&
                    t.Text(Dlg::kLightEdit) == CString("66");
         }},
        {"dark spin", [](Fixture& t) { t.Spin(Dlg::kDarkSpin, -1); },
         [](Fixture& t) { return t.Shadows().GetDarkIntensity() == 34; }},
        {"date slider on day 366 of a leap year", [](Fixture& t) { t.Slide(Dlg::kDateSlider, 366); },
         [](Fixture& t) {
             return t.Time() == CUtcTime(2024, 12, 31, 13, 30, 0) && t.Picker(Dlg::kDatePicker)->GetMonth() == 12 &&
                    t.Picker(Dlg::kDatePicker)->GetDay() == 31;
         }},
        {"date picker", [](Fixture& t) { t.Picker(Dlg::kDatePicker)->setDate(QDate(2030, 2, 14)); },
         [](Fixture& t) {
             return t.Time() == CUtcTime(2030, 2, 14, 13, 30, 0) &&
                    t.Slider(Dlg::kDateSlider)->value() == t.Time().GetDayOfYear();
         }},
        {"time picker", [](Fixture& t) { t.Picker(Dlg::kTimePicker)->setTime(QTime(9, 45, 0)); },
         [](Fixture& t) {
             return t.Time() == CUtcTime(2030, 2, 14, 9, 45, 0) && t.Slider(Dlg::kTimeSlider)->value() == 9 * 60 + 45;
         }},
        {"time slider", [](Fixture& t) { t.Slide(Dlg::kTimeSlider, 12 * 60); },
         [](Fixture& t) {
             return t.Time().GetHour() == 12 && t.Picker(Dlg::kTimePicker)->GetHour() == 12 &&
                    t.Time().GetMinute() == t.Picker(Dlg::kTimePicker)->GetMinute();
         }},
    };
    for (const auto& c : cases)
    {
        c.act(*this);
        EXPECT_TRUE(c.holds(*this)) << c.what;
    }
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(ShadowPSTest, ChangesMadeElsewhereShowInTheWindow)
{
    const ControlCase cases[] = {
        {"display", [](Fixture& t) { t.Shadows().SetDisplayShadows(true); },
         [](Fixture& t) { return t.Checked(Dlg::kDisplayShadows) && t.Enabled(Dlg::kFromEdges); }},
        {"light", [](Fixture& t) { t.Shadows().SetLightIntensity(33); },
         [](Fixture& t) {
             return t.Slider(Dlg::kLightSlider)->value() == 33 && t.Text(Dlg::kLightEdit) == CString("33") &&
                    static_cast<CSpinButtonCtrl*>(t.Item(Dlg::kLightSpin))->GetPos() == 33;
         }},
        {"time", [](Fixture& t) { t.Shadows().SetDateTime(CUtcTime(2031, 10, 5, 16, 20, 0)); },
         [](Fixture& t) {
             const CDTPicker* date = t.Picker(Dlg::kDatePicker);
             return date->GetYear() == 2031 && date->GetMonth() == 10 && date->GetDay() == 5 &&
                    t.Picker(Dlg::kTimePicker)->GetHour() == 16 && t.Picker(Dlg::kTimePicker)->GetMinute() == 20 &&
                    t.Slider(Dlg::kDateSlider)->value() == 278;
         }},
        {"on ground", [](Fixture& t) { t.Shadows().SetOnGround(false); },
         [](Fixture& t) { return !t.Checked(Dlg::kOnGround) && t.Checked(Dlg::kOnFaces); }},
        // A page brings all its shadow settings at once.
        {"a page's settings",
         [](Fixture& t) {
             CShadowInfo page(t.Shadows());
             page.SetDarkIntensity(5);
             page.SetFromEdges(true);
             page.SetOnGround(true);
             page.SetDateTime(CUtcTime(2025, 3, 1, 8, 0, 0));
             t.Model().SetShadowInfo(page);
         },
         [](Fixture& t) {
             return t.Text(Dlg::kDarkEdit) == CString("5") && t.Checked(Dlg::kFromEdges) &&
                    t.Checked(Dlg::kOnGround) && t.dialog->GetShownTime() == CUtcTime(2025, 3, 1, 8, 0, 0);
         }},
    };
    for (const auto& c : cases)
    {
        c.act(*this);
        EXPECT_TRUE(c.holds(*this)) << c.what;
    }
}

TEST_F(ShadowPSTest, OneOfTheShadowSwitchesOnFacesAndOnGroundAlwaysStaysOn)
{
    const struct
    {
        int first;
        int second;
        bool faces;
        bool ground;
    } cases[] = {{Dlg::kOnGround, Dlg::kOnFaces, false, true}, {Dlg::kOnFaces, Dlg::kOnGround, true, false}};
    Click(Dlg::kDisplayShadows);
    for (const auto& c : cases)
    {
        Shadows().SetOnFaces(true);
        Shadows().SetOnGround(true);
        Click(c.first);
        Click(c.second);
        EXPECT_EQ(Checked(Dlg::kOnFaces), c.faces) << c.first;
        EXPECT_EQ(Checked(Dlg::kOnGround), c.ground) << c.first;
        EXPECT_EQ(Shadows().IsOnFaces(), c.faces) << c.first;
        EXPECT_EQ(Shadows().IsOnGround(), c.ground) << c.first;
    }
}

TEST_F(ShadowPSTest, WithoutAStencilViewOrSeeingThroughFacesOnlyGroundShadowsAreOffered)
{
    const struct
    {
        const char* what;
        std::function<void(Fixture&)> act;
    } cases[] = {
        {"no stencil buffer",
         [](Fixture& t) {
             t.dialog->stencilView = false;
             GetNotificationCenter().Post(kResynchUINotification, nullptr);
         }},
        {"x-ray", [](Fixture& t) { t.Options().SetTransparentDisplay(true); }},
    };
    Shadows().SetDisplayShadows(true);
    for (const auto& c : cases)
    {
        dialog->stencilView = true;
        Options().SetTransparentDisplay(false);
        ASSERT_TRUE(Enabled(Dlg::kOnFaces)) << c.what;
        c.act(*this);
        EXPECT_FALSE(Checked(Dlg::kOnFaces)) << c.what;
        EXPECT_FALSE(Enabled(Dlg::kOnFaces)) << c.what;
        EXPECT_TRUE(Checked(Dlg::kOnGround)) << c.what;
        EXPECT_FALSE(Enabled(Dlg::kOnGround)) << c.what;
        // The settings keep their switches for a view that can draw them.
        EXPECT_TRUE(Shadows().IsOnFaces()) << c.what;
    }
}

TEST_F(ShadowPSTest, TheTimeSliderRunsFromSunriseToSunsetOfTheModelsDayAtItsPlace)
{
    // Boulder, on standard time all year: the almanac's sunrise and sunset, in minutes.
    // The slider's ends are the sun's centre on the horizon, a few minutes inside them.
    const struct
    {
        CUtcTime day;
        int sunrise;
        int sunset;
    } cases[] = {{CUtcTime(2024, 6, 21, 13, 30, 0), 4 * 60 + 32, 19 * 60 + 33},
                 {CUtcTime(2024, 12, 21, 13, 30, 0), 7 * 60 + 16, 16 * 60 + 39}};
    for (const auto& c : cases)
    {
        Shadows().SetDateTime(c.day);
        auto* slider = static_cast<CTimeSliderCtrl*>(Item(Dlg::kTimeSlider));
        EXPECT_NEAR(slider->minimum(), c.sunrise, 10) << c.day.GetMonth();
        EXPECT_NEAR(slider->maximum(), c.sunset, 10) << c.day.GetMonth();
        EXPECT_EQ(slider->GetLeftLabel(), Shadows().GetSunrise().Format("%I:%M %p"));
        EXPECT_EQ(slider->GetRightLabel(), Shadows().GetSunset().Format("%I:%M %p"));
        EXPECT_EQ(slider->GetMiddleLabel(), CString("Noon"));
        Slide(Dlg::kTimeSlider, slider->minimum());
        EXPECT_EQ(Time(), Shadows().GetSunrise()) << c.day.GetMonth();
    }
}

TEST_F(ShadowPSTest, TypedValuesOutsideTheirRangesAreRefusedAndLeaveTheSettingsAlone)
{
    const struct
    {
        const char* what;
        std::function<void(Fixture&)> act;
        const char* message;
    } cases[] = {
        {"light of 101", [](Fixture& t) { t.Type(Dlg::kLightEdit, "101"); }, "Please enter an integer between 0 and 100."},
        {"dark not a number", [](Fixture& t) { t.Type(Dlg::kDarkEdit, "x"); }, "Please enter an integer."},
        {"year 2038", [](Fixture& t) { t.Picker(Dlg::kDatePicker)->setDate(QDate(2038, 1, 1)); },
         "Year must be less than 2038!"},
        {"year 1969", [](Fixture& t) { t.Picker(Dlg::kDatePicker)->setDate(QDate(1969, 12, 31)); },
         "Year must be less than 2038!"},
        {"light stepped past 100", [](Fixture& t) { t.Spin(Dlg::kLightSpin, 1); }, nullptr},
        {"dark stepped below 0", [](Fixture& t) { t.Spin(Dlg::kDarkSpin, -1); }, nullptr},
    };
    Shadows().SetLightIntensity(100);
    Shadows().SetDarkIntensity(0);
    const CUtcTime time = Time();
    for (const auto& c : cases)
    {
        boxes.calls.clear();
        c.act(*this);
        if (c.message != nullptr)
        {
            ASSERT_EQ(boxes.calls.size(), 1u) << c.what;
            EXPECT_EQ(boxes.calls.front().text, CString(c.message)) << c.what;
        }
        else
            EXPECT_TRUE(boxes.calls.empty()) << c.what;
        EXPECT_EQ(Shadows().GetLightIntensity(), 100) << c.what;
        EXPECT_EQ(Shadows().GetDarkIntensity(), 0) << c.what;
        EXPECT_EQ(Time(), time) << c.what;
        // The controls show the settings again.
        EXPECT_EQ(Text(Dlg::kLightEdit), CString("100")) << c.what;
        EXPECT_EQ(Text(Dlg::kDarkEdit), CString("0")) << c.what;
        EXPECT_EQ(Picker(Dlg::kDatePicker)->GetYear(), 2024) << c.what;
        EXPECT_EQ(static_cast<CSpinButtonCtrl*>(Item(Dlg::kLightSpin))->GetPos(), 100) << c.what;
    }
}

}  // namespace
