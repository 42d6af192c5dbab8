// The Window menu's tool windows as the running program offers them.
#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>
#include <unistd.h>

#include "app/displaysettingsdlg.h"
#include "app/filepp.h"
#include "app/imagepreview.h"
#include "app/mfcwinbmp.h"
#include "app/glimraapp.h"
#include "app/mainframe.h"
#include "app/modelinfodlg.h"
#include "app/resourceids.h"
#include "app/shadowps.h"
#include "app/shadowtoolbar.h"
#include "apptestsupport.h"
#include "app/buttonimagest.h"
#include "document/dib.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "platform/ui/cmdui.h"
#include "samplefiles.h"

namespace {

class GlimraAppToolWindowsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        dataHome = std::filesystem::temp_directory_path() / ("glimra-toolwindows-" + std::to_string(::getpid()));
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        app.SetArguments({CString("glimra"), CString::FromUtf8(apptest::Samples().Path("house-5000.twk"))});
        ASSERT_TRUE(app.InitInstance());
    }
    void TearDown() override
    {
        app.ExitInstance();
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(dataHome);
    }

    bool Checked(UINT id)
    {
        CCmdUI ui(id);
        EXPECT_TRUE(app.GetMainFrame()->OnCmdMsg(id, &ui));
        return ui.IsChecked();
    }

    std::filesystem::path dataHome;
    apptest::MemorySettings settings;
    apptest::MessageBoxRecorder boxes;
    CGlimraApp app;
};

TEST_F(GlimraAppToolWindowsTest, TheWindowMenuShowsAndHidesEachToolWindowWithItsCheckMark)
{
    QMenu* menu = nullptr;
    for (QAction* action : app.GetMainFrame()->GetWindow()->menuBar()->actions())
        if (action->text() == QStringLiteral("&Window"))
            menu = action->menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 3);
    for (const UINT id : {ID_WINDOW_DISPLAY_SETTINGS, ID_WINDOW_SHADOW_SETTINGS, ID_WINDOW_MODEL_INFO})
    {
        EXPECT_FALSE(Checked(id)) << id;
        app.GetMainFrame()->SendCommand(id);
        EXPECT_TRUE(Checked(id)) << id;
        app.GetMainFrame()->SendCommand(id);
        EXPECT_FALSE(Checked(id)) << id;
    }
    EXPECT_FALSE(app.GetDisplaySettingsDlg()->IsWindowVisible());
    EXPECT_TRUE(boxes.calls.empty());
}

// Fixed: every tool window opened for the first time took the same place.
TEST_F(GlimraAppToolWindowsTest, ToolWindowsOpenedForTheFirstTimeCascadeFromTheMainWindowsTopRight)
{
    for (const UINT id : {ID_WINDOW_DISPLAY_SETTINGS, ID_WINDOW_SHADOW_SETTINGS, ID_WINDOW_MODEL_INFO})
        app.GetMainFrame()->SendCommand(id);
    const QRect main = app.GetMainFrame()->GetWindow()->frameGeometry();
    const CRect opened[] = {app.GetDisplaySettingsDlg()->GetWindowRect(),
                            app.GetShadowSettingsWindow()->GetWindowRect(), app.GetModelInfoDlg()->GetWindowRect()};
    EXPECT_LE(opened[0].right, main.right() + 1);
    EXPECT_GE(opened[0].right, main.right() - 20);
    for (size_t i = 1; i < std::size(opened); ++i)
    {
        EXPECT_LT(opened[i].right, opened[i - 1].right) << i;
        EXPECT_GT(opened[i].top, opened[i - 1].top) << i;
    }
}

TEST_F(GlimraAppToolWindowsTest, TheOpenWindowsFollowTheModelAndNameItsFile)
{
    app.GetMainFrame()->SendCommand(ID_MODEL_INFO_PROPERTIES);
    CModelInfoDlg* info = app.GetModelInfoDlg();
    ASSERT_TRUE(info->IsWindowVisible());
    EXPECT_EQ(info->GetWindowText(), CString("Model Info - house-5000"));
    app.GetMainFrame()->SendCommand(ID_WINDOW_DISPLAY_SETTINGS);
    // The Render menu's wireframe reaches the window.
    app.GetMainFrame()->SendCommand(ID_RENDER_WIREFRAME_MENU);
    EXPECT_EQ(app.GetDisplaySettingsDlg()->GetFaceStyle(), CDisplaySettingsDlg::kFaceWireframe);
    app.GetMainFrame()->SendCommand(ID_RENDER_HIDDEN_LINE_MENU);
    EXPECT_EQ(app.GetDisplaySettingsDlg()->GetFaceStyle(), CDisplaySettingsDlg::kFaceHiddenLine);
}

// Fixed: left open over Ctrl+S, the window kept the old file's size and preview.
TEST_F(GlimraAppToolWindowsTest, ModelInfoShowsTheSizeAndPreviewOfTheFileJustSaved)
{
    // An older file, so that saving it in the newest format changes its size.
    const std::string path = apptest::Samples().Copy("house-3000.twk", "saved-under-info.twk");
    ASSERT_NE(app.OpenDocumentFile(CString::FromUtf8(path)), nullptr);
    app.GetMainFrame()->SendCommand(ID_MODEL_INFO_PROPERTIES);
    const CFilePP& file = *static_cast<CFilePP*>(app.GetModelInfoDlg()->GetPage(CModelInfoDlg::kFileSlot));
    const auto sizeShown = [&file] { return file.GetDlgItemText(CFilePP::kSize).ToUtf8(); };
    const auto* thumbnail = static_cast<const CImagePreview*>(file.GetDlgItem(CFilePP::kThumbnail));
    const std::string before = sizeShown();
    ASSERT_NE(thumbnail->GetBitmap(), nullptr);
    const CDib* oldPreview = GetCurrentModel()->GetPreviewImage();

    ASSERT_TRUE(app.GetMainFrame()->SendCommand(ID_FILE_SAVE));
    const std::string bytes = "(" + std::to_string(std::filesystem::file_size(path)) + " Bytes)";
    EXPECT_NE(sizeShown(), before);
    EXPECT_NE(sizeShown().find(bytes), std::string::npos) << sizeShown();
    // The preview drawn for the save is the one shown.
    const CDib* newPreview = GetCurrentModel()->GetPreviewImage();
    ASSERT_NE(newPreview, oldPreview);
    ASSERT_NE(thumbnail->GetBitmap(), nullptr);
    EXPECT_EQ(thumbnail->GetBitmap()->GetWidth(), newPreview->GetWidth());
    EXPECT_EQ(thumbnail->GetBitmap()->GetHeight(), newPreview->GetHeight());
    EXPECT_TRUE(boxes.calls.empty());
    std::filesystem::remove(path);
}

TEST_F(GlimraAppToolWindowsTest, TheShadowsBarOpensTheShadowWindowWhichFollowsTheShadowsCommand)
{
    CShadowToolBar& bar = app.GetMainFrame()->GetShadowBar();
    bar.GetButton(CShadowToolBar::kSettingsButton)->click();
    CShadowPS* window = app.GetShadowSettingsWindow();
    ASSERT_TRUE(window->IsWindowVisible());
    EXPECT_TRUE(bar.GetButton(CShadowToolBar::kSettingsButton)->GetCheck());
    const bool shown = GetCurrentModel()->GetShadowInfo()->IsDisplayShadows();
    app.GetMainFrame()->SendCommand(ID_RENDER_SHADOWS_MENU);
    EXPECT_EQ(window->IsDlgButtonChecked(CShadowPS::kDisplayShadows) != 0, !shown);
    bar.GetButton(CShadowToolBar::kDisplayButton)->click();
    EXPECT_EQ(window->IsDlgButtonChecked(CShadowPS::kDisplayShadows) != 0, shown);
    bar.GetButton(CShadowToolBar::kSettingsButton)->click();
    EXPECT_FALSE(window->IsWindowVisible());
    EXPECT_FALSE(bar.GetButton(CShadowToolBar::kSettingsButton)->GetCheck());
}

}  // namespace
