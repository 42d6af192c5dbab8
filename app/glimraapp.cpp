#include "app/glimraapp.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/appresources.h"
#include "app/commandlineinfoex.h"
#include "app/displaysettingsdlg.h"
#include "app/fileassociation.h"
#include "app/glimradoc.h"
#include "app/glimrasystemprefs.h"
#include "app/glimraview.h"
#include "app/hostservices.h"
#include "app/mainframe.h"
#include "app/mfcwinbmp.h"
#include "app/modelinfodlg.h"
#include "app/modelpreviewdialog.h"
#include "app/recreateglview.h"
#include "app/resourceids.h"
#include "app/shadowps.h"
#include "app/tarnwickmenuqt.h"
#include "document/classregistration.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "foundation/framemeter.h"
#include "foundation/notificationcenter.h"
#include "foundation/syshelpers.h"
#include "foundation/versioninfo.h"
#include "model/undosuspender.h"
#include "model/wholemodelrelease.h"
#include "platform/folders.h"
#include "platform/gl/glcontext.h"
#include "platform/profile.h"
#include "platform/quitrequest.h"
#include "platform/settingsstore.h"
#include "platform/gl/gldevice.h"
#include "platform/sysinfo.h"
#include "platform/ui/cmdui.h"
#include "platform/ui/doctemplate.h"
#include "platform/ui/inputprobe.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/stringtable.h"
#include "render/glcardslist.h"
#include "render/glconfig.h"
#include "render/textbitmaprenderer.h"
#include "render/viewpreferences.h"
#include "tools/animationfactories.h"
#include "tools/command.h"
#include "tools/viewpickingservice.h"

namespace {

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

DisplayMetrics ScreenMetrics()
{
    DisplayMetrics metrics;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr)
        return metrics;
    metrics.screenWidth = primary->geometry().width();
    metrics.screenHeight = primary->geometry().height();
    metrics.colourDepth = primary->depth();
    const QRect work = primary->availableGeometry();
    metrics.workLeft = work.left();
    metrics.workTop = work.top();
    metrics.workWidth = work.width();
    metrics.workHeight = work.height();
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens())
        all = all.united(screen->geometry());
    metrics.virtualLeft = all.left();
    metrics.virtualTop = all.top();
    metrics.virtualWidth = all.width();
    metrics.virtualHeight = all.height();
    metrics.monitorCount = static_cast<int>(QGuiApplication::screens().size());
    return metrics;
}

}  // namespace

CGlimraApp* GetGlimraApp()
{
    return dynamic_cast<CGlimraApp*>(AfxGetApp());
}

CGlimraApp::CGlimraApp() : CWinApp(CString("Glimra"))
{
    AddCommands();
    InstallHostServices(true);
}

CGlimraApp::~CGlimraApp()
{
    WaitForDisplay();
    InstallHostServices(false);
    SetDisplayMetricsProvider({});
    SetPlatformMenuFactory({});
    // A start-up that failed does not exit the instance.
    RemoveIdleRelease();
}

void CGlimraApp::AddCommands()
{
    GetCommands().Add(ID_FILE_NEW, CString("&New\tCtrl+N"), [this] {
        OnFileNew();
        PostResyncUI();
    });
    GetCommands().Add(ID_FILE_OPEN, CString("&Open...\tCtrl+O"), [this] { OnFileOpen(); });
    GetCommands().Add(ID_FILE_PRINT_SETUP, CString("P&rint Setup..."), [this] { OnFilePrintSetup(); });
    GetCommands().Add(ID_APP_ABOUT, CString("&About Glimra..."), [this] { OnAppAbout(); });
    GetCommands().Add(ID_WINDOW_PREFERENCES, CString("P&references..."), [this] { OnWindowPreferences(); });
    GetCommands().Add(ID_APP_EXIT, CString("E&xit"), [this] {
        if (m_pMainWnd != nullptr && m_pMainWnd->GetWindow() != nullptr)
            m_pMainWnd->GetWindow()->close();
    });
    AddToolWindowCommands();
}

bool CGlimraApp::OnCmdMsg(UINT id, CCmdUI* ui)
{
    const int commandId = static_cast<int>(id);
    if (commandId < kFirstMenuCommandId || !IsRegisteredCommandId(commandId))
        return CWinApp::OnCmdMsg(id, ui);
    if (ui != nullptr)
        OnUpdateDynamicCommand(*ui);
    else
        OnDynamicCommand(id);
    return true;
}

void CGlimraApp::OnDynamicCommand(UINT id)
{
    FindAndExecuteCommand(static_cast<int>(id));
}

void CGlimraApp::OnUpdateDynamicCommand(CCmdUI& ui)
{
    CCommand* command = FindAndUpdateCommand(static_cast<int>(ui.GetID()));
    if (command == nullptr)
        return;
    const int state = command->GetState();
    command->Release();
    ui.Enable((state & kMenuItemGrayed) == 0);
    ui.SetCheck((state & kMenuItemChecked) != 0 ? 1 : 0);
}

bool CGlimraApp::OnOpenRecentFile(UINT id)
{
    const bool handled = CWinApp::OnOpenRecentFile(id);
    PostResyncUI();
    return handled;
}

void CGlimraApp::PostResyncUI()
{
    GetNotificationCenter().Post(kResynchUINotification, GetCurrentModel());
}

void CGlimraApp::InstallDisplayMetrics()
{
    if (QGuiApplication::primaryScreen() != nullptr)
        SetDisplayMetricsProvider(ScreenMetrics);
}

CMainFrame* CGlimraApp::GetMainFrame() const
{
    return dynamic_cast<CMainFrame*>(m_pMainWnd);
}

CGlimraView* CGlimraApp::GetActiveGlimraView() const
{
    return m_pMainWnd != nullptr ? dynamic_cast<CGlimraView*>(m_pMainWnd->GetActiveView()) : nullptr;
}

bool CGlimraApp::InitInstance()
{
    std::setlocale(LC_TIME, "");
    CUndoSuspender suspender(true);
    RegisterAppResources();
    RegisterModelClasses();
    InstallAnimationFactories();
    InstallDisplayMetrics();
    InstallIdleRelease();
    SetPlatformMenuFactory(&CTarnwickMenuQt::Create);
    InstallViewPicking();
    // Frames and the count at opening weigh pixels by the threads that fill them.
    CFrameMeter::SetRasterThreads(CGLContext::GetRasterThreads());
    // Under an X server a frame stops for the user's input, and the loop answers it.
    m_inputProbe = CInputProbe::Install();
    if (m_inputProbe != nullptr)
        CFrameMeter::SetInputProbe(&CInputProbe::IsInputWaiting);
    // Every window of the program shows its icon; the desktop finds the entry by this name.
    QApplication::setWindowIcon(CreateProgramIcon(IDR_MAINFRAME));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryName));

    CCommandLineInfoEx commandLine;
    ParseCommandLine(commandLine);
    m_langHandler.Load("Glimra%s.lang", &commandLine);
    InitGLConfig();
    SetRegistryKey(CString("Orvell Software"));
    ReadViewPreferences();
    LoadStdProfileSettings(4);
    AddDocTemplate(std::make_unique<CSingleDocTemplate>(
        IDR_MAINFRAME, [] { return new CGlimraDoc; }, [] { return new CMainFrame; },
        [] { return new CGlimraView; }));

    if (!ProcessShellCommand(commandLine))
        return false;
    CGlimraView* view = GetActiveGlimraView();
    // The view has reported a context it could not make.
    if (view == nullptr || view->GetErrorCode() != 0)
        return false;

    RegisterFileAssociation(GetModulePath(), GetUserDataHome());
    CMainFrame* frame = GetMainFrame();
    if (!frame->RestoreWindowPlacement())
        frame->ShowWindow(SW_SHOWNORMAL);
    try
    {
        frame->LoadBarState(CString("Toolbars"));
    }
    catch (const std::exception&)
    {
        // A damaged bar state leaves the bars where creation put them.
    }
    frame->ShowPageTabs(false);
    if (auto* document = dynamic_cast<CGlimraDoc*>(frame->GetActiveDocument()))
        document->ResyncUI();
    CShadowNotificationData assigned{kShadowAssigned, nullptr};
    GetNotificationCenter().Post(kShadowNotification, &assigned);
    frame->SetFocus();
    frame->UpdateWindow();
    frame->DragAcceptFiles(true);

    if (view->m_settingsReset)
        AfxMessageBox(IDS_SETTINGS_RESET);
    // The settings file found damaged or unreadable is named once, over the window.
    if (const CString report = GetProfileStore().TakeLoadReport(); !report.IsEmpty())
        AfxMessageBox(report, MB_ICONEXCLAMATION);
    if (commandLine.HasOption(CString("slideshow")))
        frame->PostCommand(ID_VIEW_SLIDESHOW);
    if (!CheckGraphicsCard(*view))
        RecreateGLView(*GetDocTemplate());
    return true;
}

bool CGlimraApp::CheckGraphicsCard(CGlimraView& view)
{
    // The list marks itself checked for the configuration when it is read.
    return GetGLConfig().Accelerated == 0 || view.MakeCurrent() == 0 || CheckGLCardsList();
}

int CGlimraApp::ExitInstance()
{
    WaitForDisplay();
    CUndoSuspender suspender(true);
    GetNotificationCenter().Post(kExitNotification, nullptr);
    DestroyToolWindows();
    // The document lets its animations and tools go before the windows do.
    if (CMainFrame* frame = GetMainFrame())
        if (auto* document = dynamic_cast<CGlimraDoc*>(frame->GetActiveDocument()))
        {
            if (m_leaveModelAtExit)
                document->CloseForExit();
            else
                document->OnCloseDocument();
        }
    // The windows go after this, before the document: nothing may reach them through
    // the host services any more (the document's tools clear the status bar as they go).
    InstallHostServices(false);
    RemoveIdleRelease();
    CFrameMeter::SetInputProbe(nullptr);
    m_inputProbe.reset();
    m_langHandler.Unload();
    ReleaseTextBitmap();
    return CWinApp::ExitInstance();
}

void CGlimraApp::InstallIdleRelease()
{
    m_releaseTimer = std::make_unique<QTimer>();
    m_releaseTimer->setInterval(0);
    QObject::connect(m_releaseTimer.get(), &QTimer::timeout, [this] { LetGoIdleSlice(); });
    CWholeModelRelease::SetIdleWake([this] {
        const CGlimraView* view = GetActiveGlimraView();
        m_framesAtWake = view != nullptr ? view->GetFramesDrawn() : 0;
        m_wakeTime = std::chrono::steady_clock::now();
        m_releaseTimer->start();
    });
}

void CGlimraApp::LetGoIdleSlice()
{
    // A slice short enough that input and frames waiting behind it are not felt.
    static constexpr std::chrono::milliseconds kSlice{10};
    // The loop turns a few times between the read and the next model's first frame: a
    // slice at each would keep the picture waiting. A view that draws nothing (hidden)
    // holds the slices back only for a while.
    static constexpr std::chrono::seconds kFrameWait{1};
    const CGlimraView* view = GetActiveGlimraView();
    if (view != nullptr && view->GetFramesDrawn() == m_framesAtWake &&
        std::chrono::steady_clock::now() - m_wakeTime < kFrameWait)
        return;
    if (!CWholeModelRelease::LetGoSome(kSlice))
        m_releaseTimer->stop();
}

void CGlimraApp::RemoveIdleRelease()
{
    if (m_releaseTimer == nullptr)
        return;
    CWholeModelRelease::SetIdleWake({});
    m_releaseTimer.reset();
    if (!m_leaveModelAtExit)
        CWholeModelRelease::LetGoPending();
}

void CGlimraApp::LeaveModelAtExit()
{
    m_leaveModelAtExit = true;
    CQuitRequest::LeaveWorkAtQuit(true);
}

void CGlimraApp::EndProcess(int code)
{
    (void)GetProfileStore().Flush();
    std::fflush(nullptr);
    std::_Exit(code);
}

void CGlimraApp::StartOpeningDisplay()
{
    if (!m_displayOpener.joinable())
        m_displayOpener = std::thread([] { CGLDevice::OpenOffscreenDisplay(); });
}

void CGlimraApp::WaitForDisplay()
{
    if (m_displayOpener.joinable())
        m_displayOpener.join();
}

void CGlimraApp::OnFileOpen()
{
    QWidget* parent = m_pMainWnd != nullptr ? m_pMainWnd->GetWindow() : nullptr;
    // Goes with the main window should that close while the dialog runs.
    const QPointer<CModelPreviewDialog> dialog =
        new CModelPreviewDialog(CString(), nullptr, LoadStringResource(IDS_MODEL_FILE_FILTER), parent);
    const bool chosen = dialog->DoModal() == IDOK && dialog != nullptr;
    const CString path = chosen ? dialog->GetPathName() : CString();
    delete dialog.data();
    if (path.IsEmpty())
        return;
    OpenDocumentFile(path);
    PostResyncUI();
}

void CGlimraApp::OnWindowPreferences()
{
    QWidget* parent = m_pMainWnd != nullptr ? m_pMainWnd->GetWindow() : nullptr;
    const QPointer<CGlimraSystemPrefs> preferences = new CGlimraSystemPrefs(parent);
    preferences->exec();
    delete preferences.data();
}

void CGlimraApp::OnAppAbout()
{
    const CVersionInfo version;
    const CString line = LoadStringResource(IDS_VERSION) +
                         CString::Formatted("%d.%d.%d", version.GetMajor(), version.GetMinor(), version.GetBuild()) +
                         CString::Formatted(" (%s)", LoadStringResource(IDS_UNICODE));
    QWidget* parent = m_pMainWnd != nullptr ? m_pMainWnd->GetWindow() : nullptr;
    QMessageBox::about(parent, QStringLiteral("About Tarnwick Glimra"),
                       QStringLiteral("Tarnwick Glimra\n") + ToQString(line));
}
