#include "app/graphicscardpp.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QTreeWidget>

#include "app/glimrasystemprefs.h"
#include "app/graphicscarddlg.h"
#include "drawapi/renderingflags.h"
#include "platform/profile.h"
#include "platform/sysinfo.h"
#include "render/glconfig.h"
#include "runningapp.h"

namespace {

class GraphicsCardPageTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        renderingflags::ShadowVolumeMethod = renderingflags::kCarmackReverseNever;
        SetDisplayMetricsProvider({});
    }

    // The camera turned away from the model's own, so that keeping it shows.
    CViewDefinition TurnCamera() const
    {
        CViewDefinition& camera = running.View()->GetViewDefinition();
        camera.SetPerspective(!camera.IsPerspective());
        return camera;
    }

    static int StoredCarmackReverse() { return GetProfileInt(CString("Preferences"), CString("CarmackReverse"), -1); }
    static int StoredPixelFormat()
    {
        std::uint32_t value = 0;
        return ReadGLConfigDword(CString("PixelFormat"), value) ? static_cast<int>(value) : -1;
    }

    apptest::RunningApp running;
};

TEST_F(GraphicsCardPageTest, ThePageListsTheViewsFormatSelectedAndApplyingNothingKeepsTheView)
{
    CGlimraView* view = running.View();
    const int storedFormat = StoredPixelFormat();
    CGlimraSystemPrefs preferences;
    CGraphicsCardPP& page = *preferences.GetPage();
    EXPECT_EQ(page.GetSelectedFormat(), view->GetPixelFormatIndex());
    const QTreeWidgetItem* current = page.GetFormatList()->currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->text(0).toInt(), view->GetPixelFormatIndex());
    EXPECT_EQ(page.GetFormatList()->columnCount(), 5);
    // Neither offered here: both are kept as stored.
    EXPECT_FALSE(page.GetCheckBox(CGraphicsCardPP::kFastFeedbackId)->isVisibleTo(&page));
    EXPECT_FALSE(page.GetCheckBox(CGraphicsCardPP::kReversedPickingId)->isVisibleTo(&page));

    preferences.accept();
    EXPECT_EQ(running.View(), view);
    EXPECT_EQ(StoredPixelFormat(), storedFormat);
    EXPECT_EQ(StoredCarmackReverse(), -1);
    EXPECT_TRUE(running.boxes.calls.empty());
}

TEST_F(GraphicsCardPageTest, TheShadowMethodIsStoredOnOkOnlyAndReplacesTheViewKeepingItsCamera)
{
    const struct
    {
        bool check;
        bool ok;
        int monitors;
        int stored;
        bool replaced;
    } cases[] = {{true, false, 1, -1, false},
                 {true, true, 1, renderingflags::kCarmackReverseWhenInside, true},
                 {false, true, 1, renderingflags::kCarmackReverseNever, true},
                 // With several screens the change waits for the next start.
                 {true, true, 2, renderingflags::kCarmackReverseWhenInside, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.check << c.ok << c.monitors);
        SetDisplayMetricsProvider([&c] {
            DisplayMetrics metrics;
            metrics.monitorCount = c.monitors;
            return metrics;
        });
        running.boxes.calls.clear();
        CGlimraView* before = running.View();
        const CViewDefinition camera = TurnCamera();
        CGlimraSystemPrefs preferences;
        QCheckBox* box = preferences.GetPage()->GetCheckBox(CGraphicsCardPP::kCarmackReverseId);
        if (box->isChecked() != c.check)
            box->click();
        if (c.ok)
            preferences.accept();
        else
            preferences.reject();
        EXPECT_EQ(StoredCarmackReverse(), c.stored);
        if (c.ok)
        {
            EXPECT_EQ(renderingflags::ShadowVolumeMethod, c.stored);
        }
        EXPECT_EQ(running.View() != before, c.replaced);
        EXPECT_TRUE(running.View()->GetViewDefinition().IsSameCamera(camera));
        EXPECT_EQ(running.View()->GetErrorCode(), 0);
        EXPECT_EQ(running.boxes.calls.size(), c.monitors == 1 ? 0u : 1u);
    }
}

TEST_F(GraphicsCardPageTest, AnotherFormatChosenInTheListIsStoredAndTheNewViewUsesIt)
{
    const CViewDefinition camera = TurnCamera();
    CGlimraSystemPrefs preferences;
    CGraphicsCardPP& page = *preferences.GetPage();
    QTreeWidget* list = page.GetFormatList();
    ASSERT_GT(list->topLevelItemCount(), 1);
    QTreeWidgetItem* other = list->topLevelItem(0) == list->currentItem() ? list->topLevelItem(1) : list->topLevelItem(0);
    const int chosen = other->text(0).toInt();
    list->setCurrentItem(other);
    EXPECT_EQ(page.GetSelectedFormat(), chosen);
    EXPECT_TRUE(page.IsModified());

    preferences.accept();
    EXPECT_EQ(StoredPixelFormat(), chosen);
    CGlimraView* view = running.View();
    EXPECT_EQ(view->GetErrorCode(), 0);
    EXPECT_EQ(view->GetPixelFormatIndex(), chosen);
    EXPECT_TRUE(view->GetViewDefinition().IsSameCamera(camera));
    view->OnPaint();
    EXPECT_NE(view->GetPresentedFrame(), nullptr);

    // The details name the context and the new format.
    const CGraphicsCardDlg details;
    EXPECT_FALSE(details.m_renderer.IsEmpty());
    EXPECT_FALSE(details.m_version.IsEmpty());
    EXPECT_EQ(details.m_pixelFormat.Left(details.m_pixelFormat.Find(u',') + 1), CString::Formatted("%d,", chosen));
    EXPECT_EQ(details.m_pixelFormat.Find(u'\t'), -1);
}

TEST_F(GraphicsCardPageTest, AMultisampledFormatIsListedWithItsSamplesAndTheNewViewDrawsWithThem)
{
    CGlimraSystemPrefs preferences;
    CGraphicsCardPP& page = *preferences.GetPage();
    QTreeWidget* list = page.GetFormatList();
    QTreeWidgetItem* sampled = nullptr;
    for (int row = 0; row < list->topLevelItemCount() && sampled == nullptr; ++row)
        if (list->topLevelItem(row)->text(4) == QStringLiteral("4x") && list->topLevelItem(row)->text(3) == "Yes")
            sampled = list->topLevelItem(row);
    ASSERT_NE(sampled, nullptr);
    list->setCurrentItem(sampled);
    preferences.accept();
    CGlimraView* view = running.View();
    EXPECT_EQ(view->GetErrorCode(), 0);
    EXPECT_EQ(view->GetDeviceContext()->GetPixelFormatSamples(view->GetPixelFormatIndex()), 4);
    view->OnPaint();
    EXPECT_NE(view->GetPresentedFrame(), nullptr);
}

TEST(GraphicsCardTextTest, ColourDepthsAreNamedAsTheDisplaySettingsNameThem)
{
    apptest::PrepareApplication();
    const std::pair<int, const char*> depths[] = {{-1, "Unknown"},
                                                  {4, "16 Colors"},
                                                  {8, "256 Colors"},
                                                  {16, "High Color (16 bit)"},
                                                  {24, "True Color (24 bit)"},
                                                  {32, "True Color (32 bit)"},
                                                  {48, "48 bit Color"}};
    for (const auto& [bits, text] : depths)
        EXPECT_EQ(FormatColorDepth(bits), CString(text)) << bits;
}

}  // namespace
