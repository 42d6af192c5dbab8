// The application's tool windows: made on first use, toggled by the Window menu,
// destroyed at exit.
#include <QMainWindow>
#include <QWidget>

#include "app/displaysettingsdlg.h"
#include "app/glimraapp.h"
#include "app/modelinfodlg.h"
#include "app/resourceids.h"
#include "app/shadowps.h"
#include "platform/ui/cmdui.h"
#include "platform/ui/framewnd.h"

namespace {

constexpr int kNoPage = -1;
constexpr int kDisplayPageTitleId = 10102;

// Makes the window once, then gives the focus back to the main window.
template <typename Window>
Window* Obtain(std::unique_ptr<Window>& window, CFrameWnd* frame)
{
    if (window == nullptr)
        window = std::make_unique<Window>();
    if (!window->HasWindow())
        (void)window->Create(frame != nullptr ? frame->GetWindow() : nullptr);
    if (frame != nullptr)
        frame->SetFocus();
    return window.get();
}

bool IsShown(const CTwDialog* window)
{
    return window != nullptr && window->IsWindowVisible();
}

}  // namespace

CModelInfoDlg* CGlimraApp::GetModelInfoDlg()
{
    return Obtain(m_modelInfo, m_pMainWnd);
}

CDisplaySettingsDlg* CGlimraApp::GetDisplaySettingsDlg()
{
    return Obtain(m_displaySettings, m_pMainWnd);
}

CShadowPS* CGlimraApp::GetShadowSettingsWindow()
{
    return Obtain(m_shadowSettings, m_pMainWnd);
}

bool CGlimraApp::IsShadowSettingsVisible() const
{
    return IsShown(m_shadowSettings.get());
}

void CGlimraApp::ShowModelInfo(int pageTitleId)
{
    CModelInfoDlg* window = GetModelInfoDlg();
    // The caption keeps the model's name that the window gives it.
    window->UpdateTitle();
    if (pageTitleId != kNoPage)
        (void)window->SelectPageByName(pageTitleId);
    window->ShowTool(true);
}

void CGlimraApp::AddToolWindowCommands()
{
    GetCommands().Add(
        ID_WINDOW_MODEL_INFO, CString("Model Info"),
        [this] {
            if (!IsShown(m_modelInfo.get()))
            {
                ShowModelInfo(kNoPage);
                return;
            }
            m_modelInfo->ShowTool(false);
            if (m_pMainWnd != nullptr)
            {
                m_pMainWnd->SetFocus();
                m_pMainWnd->UpdateWindow();
            }
        },
        [this](CCmdUI& ui) { ui.SetCheck(IsShown(m_modelInfo.get()) ? 1 : 0); });
    GetCommands().Add(
        ID_WINDOW_DISPLAY_SETTINGS, CString("Display Settings"),
        [this] {
            CDisplaySettingsDlg* window = GetDisplaySettingsDlg();
            window->ShowTool(!window->IsWindowVisible());
        },
        [this](CCmdUI& ui) { ui.SetCheck(IsShown(m_displaySettings.get()) ? 1 : 0); });
    GetCommands().Add(
        ID_WINDOW_SHADOW_SETTINGS, CString("S&hadow Settings"),
        [this] {
            CShadowPS* window = GetShadowSettingsWindow();
            window->ShowTool(!window->IsWindowVisible());
        },
        [this](CCmdUI& ui) { ui.SetCheck(IsShadowSettingsVisible() ? 1 : 0); });
    GetCommands().Add(ID_MODEL_INFO_PROPERTIES, CString(), [this] { ShowModelInfo(kDisplayPageTitleId); });
}

void CGlimraApp::DestroyToolWindows()
{
    m_shadowSettings.reset();
    m_modelInfo.reset();
    m_displaySettings.reset();
}
