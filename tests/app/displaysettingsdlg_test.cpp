#include "app/displaysettingsdlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <functional>
#include <memory>

#include "app/buttonst.h"
#include "apptestsupport.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "platform/profile.h"

namespace {

using Dlg = CDisplaySettingsDlg;

class DisplaySettingsDlgTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        apptest::PrepareApplication();
        m_previous = SetCurrentModel(m_model);
        Open();
    }
    void TearDown() override
    {
        dialog.reset();
        SetCurrentModel(m_previous);
        m_model->Release();
    }

    void Open()
    {
        dialog = std::make_unique<Dlg>();
        ASSERT_TRUE(dialog->Create(nullptr));
        dialog->ShowTool(true);
    }

    CRenderingOptions& Options() { return *m_model->GetRenderingOptions(); }
    CShadowInfo& Shadows() { return *m_model->GetShadowInfo(); }

    void Click(int id) { static_cast<QAbstractButton*>(dialog->GetDlgItem(id))->click(); }
    void Choose(int id, int item)
    {
        auto* combo = static_cast<QComboBox*>(dialog->GetDlgItem(id));
        combo->setCurrentIndex(item);
        emit combo->activated(item);
    }
    void Type(int id, const char* text)
    {
        auto* edit = static_cast<QLineEdit*>(dialog->GetDlgItem(id));
        edit->setText(QString::fromUtf8(text));
        emit edit->textEdited(edit->text());
        emit edit->editingFinished();
    }
    [[nodiscard]] bool Pressed(int id) const { return static_cast<CButtonST*>(dialog->GetDlgItem(id))->GetCheck() != 0; }
    [[nodiscard]] bool Enabled(int id) const { return dialog->GetDlgItem(id)->isEnabled(); }

    apptest::MemorySettings settings;
    apptest::MessageBoxRecorder boxes;
    std::unique_ptr<Dlg> dialog;

private:
    CTarnwickModel* m_model = new CTarnwickModel;
    CTarnwickModel* m_previous = nullptr;
};

TEST_F(DisplaySettingsDlgTest, EachControlSetsItsOption)
{
    using Test = DisplaySettingsDlgTest;
    const struct
    {
        const char* what;
        std::function<void(Test&)> act;
        std::function<bool(Test&)> holds;
    } cases[] = {
        {"wireframe", [](Test& t) { t.Click(Dlg::kWireframe); }, [](Test& t) { return t.Options().GetRenderMode() == 0; }},
        {"hidden line", [](Test& t) { t.Click(Dlg::kHiddenLine); },
         [](Test& t) { return t.Options().GetRenderMode() == 1; }},
        {"shaded", [](Test& t) { t.Click(Dlg::kShaded); },
         [](Test& t) { return t.Options().GetRenderMode() == 2 && !t.Options().IsDisplayTextures(); }},
        {"textured", [](Test& t) { t.Click(Dlg::kTextured); },
         [](Test& t) { return t.Options().GetRenderMode() == 2 && t.Options().IsDisplayTextures(); }},
        {"x-ray", [](Test& t) { t.Click(Dlg::kXRay); }, [](Test& t) { return t.Options().IsTransparentDisplay(); }},
        {"edges", [](Test& t) { t.Click(Dlg::kEdges); }, [](Test& t) { return t.Options().GetDisplayEdges() == 0; }},
        {"profiles", [](Test& t) { t.Click(Dlg::kProfiles); }, [](Test& t) { return !t.Options().IsDrawProfiles(); }},
        {"depth cue", [](Test& t) { t.Click(Dlg::kDepthCue); }, [](Test& t) { return t.Options().IsDepthCue(); }},
        {"extension", [](Test& t) { t.Click(Dlg::kExtension); }, [](Test& t) { return t.Options().IsExtendEdges(); }},
        {"endpoints", [](Test& t) { t.Click(Dlg::kEndpoints); }, [](Test& t) { return t.Options().IsDrawEndpoints(); }},
        {"jitter", [](Test& t) { t.Click(Dlg::kJitter); }, [](Test& t) { return t.Options().IsJitterEdges(); }},
        {"by material", [](Test& t) { t.Choose(Dlg::kEdgeColor, 1); },
         [](Test& t) { return t.Options().GetEdgeColorMode() == 0; }},
        {"all same", [](Test& t) { t.Choose(Dlg::kEdgeColor, 0); },
         [](Test& t) { return t.Options().GetEdgeColorMode() == 1; }},
        {"by axis", [](Test& t) { t.Choose(Dlg::kEdgeColor, 2); },
         [](Test& t) { return t.Options().GetEdgeColorMode() == 2; }},
        {"quality", [](Test& t) { t.Choose(Dlg::kQuality, 2); },
         [](Test& t) { return t.Options().GetTransparencyQuality() == 2; }},
        {"use sun", [](Test& t) { t.Click(Dlg::kUseSun); }, [](Test& t) { return t.Shadows().IsUseSunForShading(); }},
        {"transparency", [](Test& t) { t.Click(Dlg::kEnableTransparency); },
         [](Test& t) { return t.Options().IsEnableTransparency(); }},
    };
    for (const auto& c : cases)
    {
        c.act(*this);
        EXPECT_TRUE(c.holds(*this)) << c.what;
    }
}

TEST_F(DisplaySettingsDlgTest, AnEditSetsItsOptionOnlyWithAValueInItsRange)
{
    const struct
    {
        int id;
        const char* text;
        int (CRenderingOptions::*get)() const;
        int expected;
        bool refused;
    } cases[] = {{Dlg::kProfileWidth, "7", &CRenderingOptions::GetProfileWidth, 7, false},
                 {Dlg::kProfileWidth, "0", &CRenderingOptions::GetProfileWidth, 7, true},
                 {Dlg::kProfileWidth, "21", &CRenderingOptions::GetProfileWidth, 7, true},
                 {Dlg::kDepthCueWidth, "20", &CRenderingOptions::GetDepthCueWidth, 20, false},
                 {Dlg::kExtensionLength, "0", &CRenderingOptions::GetExtendLength, 0, false},
                 {Dlg::kEndpointLength, "99", &CRenderingOptions::GetEndpointLength, 99, false},
                 {Dlg::kEndpointLength, "100", &CRenderingOptions::GetEndpointLength, 99, true},
                 {Dlg::kEndpointLength, "x", &CRenderingOptions::GetEndpointLength, 99, true}};
    for (const auto& c : cases)
    {
        boxes.calls.clear();
        Type(c.id, c.text);
        EXPECT_EQ((Options().*c.get)(), c.expected) << c.id << " " << c.text;
        EXPECT_EQ(boxes.calls.size(), c.refused ? 1u : 0u) << c.id << " " << c.text;
    }
}

TEST_F(DisplaySettingsDlgTest, ChangesMadeElsewhereShowInTheWindow)
{
    using Test = DisplaySettingsDlgTest;
    const struct
    {
        const char* what;
        std::function<void(Test&)> change;
        std::function<bool(Test&)> shows;
    } cases[] = {
        {"wireframe", [](Test& t) { t.Options().SetRenderMode(0); },
         [](Test& t) { return t.Pressed(Dlg::kWireframe) && !t.Pressed(Dlg::kTextured) && !t.Enabled(Dlg::kXRay); }},
        {"hidden line", [](Test& t) { t.Options().SetRenderMode(1); },
         [](Test& t) { return t.Pressed(Dlg::kHiddenLine) && t.Enabled(Dlg::kXRay); }},
        {"x-ray", [](Test& t) { t.Options().SetTransparentDisplay(true); },
         [](Test& t) { return t.Pressed(Dlg::kXRay) && t.Enabled(Dlg::kQuality); }},
        {"profiles off", [](Test& t) { t.Options().SetDrawProfiles(false); },
         [](Test& t) { return !t.dialog->IsDlgButtonChecked(Dlg::kProfiles) && !t.Enabled(Dlg::kProfileWidth); }},
        {"width beyond the range", [](Test& t) { t.Options().SetProfileWidth(30); },
         [](Test& t) { return t.dialog->GetDlgItemText(Dlg::kProfileWidth) == CString("20"); }},
        {"edge colour", [](Test& t) { t.Options().SetEdgeColorMode(0); },
         [](Test& t) { return t.dialog->GetCurSel(Dlg::kEdgeColor) == 1; }},
        {"quality", [](Test& t) { t.Options().SetTransparencyQuality(2); },
         [](Test& t) { return t.dialog->GetCurSel(Dlg::kQuality) == 2; }},
        {"use sun", [](Test& t) { t.Shadows().SetUseSunForShading(true); },
         [](Test& t) { return t.dialog->IsDlgButtonChecked(Dlg::kUseSun) != 0; }},
        // A page brings all its settings at once.
        {"a page's settings",
         [](Test& t) {
             CRenderingOptions page;
             page.SetRenderMode(4);
             page.SetJitterEdges(true);
             page.SetEndpointLength(12);
             t.Options() = page;
         },
         [](Test& t) {
             return t.Pressed(Dlg::kTextured) && t.dialog->IsDlgButtonChecked(Dlg::kJitter) &&
                    t.dialog->GetDlgItemText(Dlg::kEndpointLength) == CString("12");
         }},
    };
    for (const auto& c : cases)
    {
        c.change(*this);
        EXPECT_TRUE(c.shows(*this)) << c.what;
    }
}

TEST_F(DisplaySettingsDlgTest, AHiddenWindowStopsListeningAndCatchesUpWhenShownAgain)
{
    dialog->ShowTool(false);
    EXPECT_FALSE(dialog->IsFollowingNotices());
    Options().SetJitterEdges(true);
    EXPECT_FALSE(dialog->IsDlgButtonChecked(Dlg::kJitter));
    dialog->ShowTool(true);
    EXPECT_TRUE(dialog->IsFollowingNotices());
    EXPECT_TRUE(dialog->IsDlgButtonChecked(Dlg::kJitter));
}

TEST_F(DisplaySettingsDlgTest, TheExpandButtonCollapsesTheWindowToTheSeparatorAndTheChoiceLasts)
{
    const int expanded = dialog->GetWindowRect().Height();
    Click(Dlg::kExpand);
    const int collapsed = dialog->GetWindowRect().Height();
    EXPECT_EQ(collapsed, dialog->GetDlgItemScreenRect(Dlg::kSeparator).bottom - dialog->GetWindowRect().top);
    EXPECT_LT(collapsed, expanded);
    dialog.reset();
    EXPECT_EQ(GetProfileInt(CString("DazaviDisplaySettings"), CString("Expand"), 1), 0);
    Open();
    EXPECT_EQ(dialog->GetWindowRect().Height(), collapsed);
}

}  // namespace
