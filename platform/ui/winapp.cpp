#include "platform/ui/winapp.h"

#include <QApplication>

#include "platform/profile.h"
#include "platform/ui/commandlineinfo.h"
#include "platform/ui/doctemplate.h"
#include "platform/ui/document.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/recentfilelist.h"
#include "platform/ui/uitypes.h"

namespace {

CWinApp*& CurrentApp()
{
    static CWinApp* app = nullptr;
    return app;
}

}  // namespace

CWinApp* AfxGetApp()
{
    return CurrentApp();
}

CWinApp::CWinApp(const CString& appName) : m_appName(appName)
{
    CurrentApp() = this;
}

CWinApp::~CWinApp()
{
    m_docTemplate.reset();
    if (CurrentApp() == this)
        CurrentApp() = nullptr;
}

int CWinApp::Run(int argc, char** argv)
{
    m_arguments.clear();
    for (int i = 0; i < argc; ++i)
        m_arguments.push_back(CString::FromUtf8(argv[i]));
    m_argc = argc;
    if (QApplication::instance() == nullptr)
        m_qtApp = std::make_unique<QApplication>(m_argc, argv);
    QApplication::setApplicationName(QString::fromStdString(m_appName.ToUtf8()));
    if (!InitInstance())
    {
        ExitInstance();
        m_docTemplate.reset();
        return 0;
    }
    QApplication::exec();
    const int code = ExitInstance();
    m_docTemplate.reset();
    return code;
}

int CWinApp::ExitInstance()
{
    if (m_recentFiles != nullptr)
        m_recentFiles->WriteList();
    return 0;
}

void CWinApp::SetRegistryKey(const CString& company)
{
    SetProfileRoot(company, m_appName);
}

void CWinApp::LoadStdProfileSettings(int recentFileCount)
{
    m_recentFiles = std::make_unique<CRecentFileList>(CString("Recent File List"), CString("File%d"),
                                                      recentFileCount);
    m_recentFiles->ReadList();
}

void CWinApp::AddToRecentFileList(const CString& path)
{
    if (m_recentFiles != nullptr)
        m_recentFiles->Add(path);
}

void CWinApp::AddDocTemplate(std::unique_ptr<CSingleDocTemplate> docTemplate)
{
    m_docTemplate = std::move(docTemplate);
}

CDocument* CWinApp::OpenDocumentFile(const CString& path)
{
    if (m_docTemplate == nullptr)
        return nullptr;
    CDocument* document = m_docTemplate->OpenDocumentFile(path);
    if (m_pMainWnd == nullptr)
        m_pMainWnd = m_docTemplate->GetFrame();
    if (document != nullptr && !path.IsEmpty())
        AddToRecentFileList(path);
    return document;
}

void CWinApp::OnFileNew()
{
    OpenDocumentFile(CString());
}

bool CWinApp::OnOpenRecentFile(UINT id)
{
    if (m_recentFiles == nullptr)
        return false;
    const int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
    if (index < 0 || index >= m_recentFiles->GetCount())
        return false;
    const CString path = (*m_recentFiles)[index];
    if (OpenDocumentFile(path) == nullptr)
        m_recentFiles->Remove(index);
    return true;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const
{
    ParseCommandLineArguments(m_arguments, info);
}

bool CWinApp::ProcessShellCommand(CCommandLineInfo& info)
{
    switch (info.m_nShellCommand)
    {
    case CCommandLineInfo::FileNew: return OpenDocumentFile(CString()) != nullptr;
    case CCommandLineInfo::FileOpen: return OpenDocumentFile(info.m_strFileName) != nullptr;
    default: return true;
    }
}

bool CWinApp::OnCmdMsg(UINT id, CCmdUI* ui)
{
    if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_LAST && m_recentFiles != nullptr &&
        !GetCommands().Find(id))
    {
        const int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
        if (ui != nullptr)
        {
            ui->Enable(index < m_recentFiles->GetCount());
            if (index < m_recentFiles->GetCount())
                ui->SetText(CString::Formatted("&%d %s", index + 1, (*m_recentFiles)[index]));
            return true;
        }
        return OnOpenRecentFile(id);
    }
    return HandleOwnCommand(id, ui);
}
