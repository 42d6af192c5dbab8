#include "platform/ui/document.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <unistd.h>

#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/view.h"
#include "platform/ui/waitcursor.h"

namespace {

CString CauseOf(const std::exception& error)
{
    if (const auto* framework = dynamic_cast<const CException*>(&error))
        return framework->GetErrorMessage();
    return CString(error.what());
}

// A name beside the target that no other save of this process uses at the same time.
CString TemporaryNameBeside(const CString& path)
{
    static std::atomic<int> counter{0};
    return path + CString::Formatted(".saving-%d-%d", static_cast<int>(::getpid()), counter++);
}

// How often a long read lets the windows repaint.
constexpr std::chrono::milliseconds kPaintInterval{100};

// Paints what waits to be painted, and whatever else the loop has queued but input and
// the quit signal: the read goes on underneath.
void PaintPendingWindows()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
}

class CLoadingFlag
{
public:
    explicit CLoadingFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~CLoadingFlag() { m_flag = false; }
    CLoadingFlag(const CLoadingFlag&) = delete;
    CLoadingFlag& operator=(const CLoadingFlag&) = delete;

private:
    bool& m_flag;
};

}  // namespace

CDocument::CDocument()
{
    GetCommands().Add(ID_FILE_SAVE, CString("&Save\tCtrl+S"), [this] { DoFileSave(); });
}

CDocument::~CDocument()
{
    for (CView* view : m_views)
        view->SetDocument(nullptr);
}

bool CDocument::OnNewDocument()
{
    DeleteContents();
    m_path.Empty();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const CString& path)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead))
    {
        ReportSaveLoadException(path, CString("The file could not be opened."), false);
        return false;
    }
    CWaitCursor wait;
    CLoadingFlag loading(m_loading);
    // The file dialog that has just closed leaves no picture of itself behind.
    PaintPendingWindows();
    DeleteContents();
    SetModifiedFlag(true);
    try
    {
        // An empty file is an empty document.
        if (file.GetLength() != 0)
        {
            CArchive archive(&file, CArchive::load);
            auto lastPaint = std::chrono::steady_clock::now();
            archive.SetProgressHook([&lastPaint] {
                const auto now = std::chrono::steady_clock::now();
                if (now - lastPaint < kPaintInterval)
                    return;
                lastPaint = now;
                PaintPendingWindows();
            });
            Serialize(archive);
            archive.Close();
        }
    }
    catch (const CUserException&)
    {
        DeleteContents();
        return false;
    }
    catch (const std::exception& error)
    {
        DeleteContents();
        ReportSaveLoadException(path, CauseOf(error), false);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const CString& path)
{
    // Written beside the target, flushed to the disk and renamed over it, so a failure
    // at any point keeps the old file whole.
    const CString temporary = TemporaryNameBeside(path);
    try
    {
        CFile file;
        if (!file.Open(temporary, CFile::modeCreate | CFile::modeWrite))
            throw CFileException(CFileException::accessDenied, -1, temporary);
        CArchive archive(&file, CArchive::store);
        Serialize(archive);
        archive.Close();
        file.Flush();
        file.Close();
    }
    catch (const std::exception& error)
    {
        std::remove(temporary.ToUtf8().c_str());
        ReportSaveLoadException(path, CauseOf(error), true);
        return false;
    }
    if (std::rename(temporary.ToUtf8().c_str(), path.ToUtf8().c_str()) != 0)
    {
        std::remove(temporary.ToUtf8().c_str());
        ReportSaveLoadException(path, CString("The file could not be replaced."), true);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CDocument::DoFileSave()
{
    CString path = m_path;
    // A file that is gone or may not be written is saved under a name the user chooses.
    const bool writable = !path.IsEmpty() && ::access(path.ToUtf8().c_str(), W_OK) == 0;
    if (!writable && !PromptSaveAsPath(path))
        return false;
    if (!OnSaveDocument(path))
        return false;
    if (path != m_path)
        SetPathName(path);
    return true;
}

bool CDocument::PromptSaveAsPath(CString& path)
{
    if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
        return false;
    const QString chosen = QFileDialog::getSaveFileName(nullptr, QString(), QString::fromStdString(path.ToUtf8()));
    if (chosen.isEmpty())
        return false;
    path = CString::FromUtf8(chosen.toStdString());
    return true;
}

void CDocument::ReportSaveLoadException(const CString& path, const CString& cause, bool saving)
{
    const CString verb(saving ? "save" : "open");
    AfxMessageBox(CString("Unable to ") + verb + CString(" \"") + path + CString("\".\n") + cause,
                  MB_ICONEXCLAMATION);
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject)
{
    for (CView* view : m_views)
        if (view != sender)
            view->OnUpdate(sender, hint, hintObject);
}

void CDocument::AddView(CView* view)
{
    if (view == nullptr || std::find(m_views.begin(), m_views.end(), view) != m_views.end())
        return;
    m_views.push_back(view);
    view->SetDocument(this);
}

void CDocument::RemoveView(CView* view)
{
    std::erase(m_views, view);
    if (view != nullptr && view->GetDocument() == this)
        view->SetDocument(nullptr);
}

void CDocument::SetPathName(const CString& path)
{
    m_path = path;
    const int slash = path.ReverseFind(u'/');
    m_title = slash < 0 ? path : path.Mid(slash + 1);
}
