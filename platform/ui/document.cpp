#include "platform/ui/document.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/quitrequest.h"
#include "platform/ui/doctemplate.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/readinputfilter.h"
#include "platform/ui/view.h"
#include "platform/ui/waitcursor.h"
#include "platform/ui/winapp.h"

namespace {

// The template that made the document; null for one made by hand.
CSingleDocTemplate* OwningTemplate(const CDocument* document)
{
    CWinApp* app = AfxGetApp();
    CSingleDocTemplate* docTemplate = app != nullptr ? app->GetDocTemplate() : nullptr;
    return docTemplate != nullptr && docTemplate->GetDocument() == document ? docTemplate : nullptr;
}

// One of the owning template's document strings; empty without a template.
CString TemplateString(const CDocument* document, CSingleDocTemplate::DocStringIndex index)
{
    const CSingleDocTemplate* docTemplate = OwningTemplate(document);
    return docTemplate != nullptr ? docTemplate->GetDocString(index) : CString();
}

SavePathPrompt& InstalledSavePathPrompt()
{
    static SavePathPrompt prompt;
    return prompt;
}

CString CauseOf(const std::exception& error, bool saving = false)
{
    // The system's own words name the cause; the temporary file's name would only puzzle.
    if (const auto* file = dynamic_cast<const CFileException*>(&error); file != nullptr && file->m_lOsError > 0)
        return CString(std::strerror(static_cast<int>(file->m_lOsError)));
    // What the reader found, without the path the message names already.
    if (const auto* archive = dynamic_cast<const CArchiveException*>(&error))
        return CString(saving ? "The file cannot be written: " : "The file cannot be read: ") + archive->GetReason() +
               CString(".");
    if (const auto* framework = dynamic_cast<const CException*>(&error))
        return framework->GetErrorMessage();
    return CString(error.what());
}

// A save writes the file that a link names, so that the link stays a link.
std::string RealSavePath(const CString& path)
{
    std::error_code error;
    const std::filesystem::path real = std::filesystem::weakly_canonical(std::filesystem::path(path.ToUtf8()), error);
    return error ? path.ToUtf8() : real.string();
}

// The new file replaces the old one, so it takes the old one's permission bits and, where
// the user may give them, its owner and group; a new model gets what the umask leaves.
void TakeOverAttributes(int fd, const std::string& target)
{
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0)
    {
        (void)::fchmod(fd, CFile::NewFilePermissions());
        return;
    }
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    (void)::fchmod(fd, old.st_mode & 0777);
}

// The rename is only lasting once the folder's entry is on the disk too.
void SyncFolder(const std::string& target)
{
    const std::string folder = std::filesystem::path(target).parent_path().string();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

// A name typed without an extension gets the document type's.
CString WithExtension(const CString& path, CString extension)
{
    if (extension.IsEmpty())
        return path;
    if (extension[0] != u'.')
        extension = CString(".") + extension;
    const CString name = path.Mid(path.ReverseFind(u'/') + 1);
    return name.Find(u'.', 1) > 0 ? path : path + extension;
}

// The file's identity, size and time of change, in a document's stamp.
template <typename Stamp>
Stamp StampOf(const struct stat& info)
{
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
            static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

bool IsRefusal(int osError)
{
    return osError == EACCES || osError == EPERM || osError == EROFS;
}

// Errors the folder gives for the name itself rather than for the file.
bool IsNameRefusal(int osError)
{
    return osError == ENAMETOOLONG || osError == EINVAL || osError == EILSEQ;
}

// The new file is made beside the target under a short name of its own, so that any name
// the folder holds can be saved. Hidden and without the model's extension, a file left by
// a save that never ended is not taken for a model.
std::string TemporaryPrefix(const std::string& target)
{
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    return (folder / ".saving-").string();
}

// How often a long read lets the windows repaint.
constexpr std::chrono::milliseconds kPaintInterval{100};

// Paints what waits to be painted, and whatever else the loop has queued but the quit
// signal: the read goes on underneath. Input is dropped but for the gestures that end the
// program, which the read then hears.
void PaintPendingWindows()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    const CReadInputFilter input;
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
}

// Long reads and saves give up when the program is asked to end, as if the user had
// cancelled them: the read frees what it made, the save keeps the old file.
void ThrowWhenQuitting()
{
    if (CQuitRequest::IsRequested())
        throw CUserException();
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

SavePathPrompt SetSavePathPrompt(SavePathPrompt prompt)
{
    SavePathPrompt previous = std::move(InstalledSavePathPrompt());
    InstalledSavePathPrompt() = std::move(prompt);
    return previous;
}

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
    if (m_contentsLeft)
        return false;
    DeleteContents();
    m_path.Empty();
    m_stampedPath.Empty();
    m_replaceQuestion.Empty();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const CString& path)
{
    if (m_contentsLeft)
        return false;
    m_stampedPath.Empty();
    m_replaceQuestion.Empty();
    CFile file;
    CFileException refused;
    if (!file.Open(path, CFile::modeRead, &refused))
    {
        ReportSaveLoadException(path, CauseOf(refused), false);
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
        CArchive archive(&file, CArchive::load, CArchive::kDocumentBufferSize);
        auto lastPaint = std::chrono::steady_clock::now();
        bool toldLong = false;
        archive.SetProgressHook([this, &lastPaint, &toldLong] {
            ThrowWhenQuitting();
            const auto now = std::chrono::steady_clock::now();
            if (now - lastPaint < kPaintInterval)
                return;
            lastPaint = now;
            if (!std::exchange(toldLong, true))
                OnLongRead();
            PaintPendingWindows();
        });
        Serialize(archive);
        archive.Close();
    }
    catch (const CUserException&)
    {
        // The program ends right after and lets what was read go with it.
        if (CQuitRequest::IsLeavingWork())
            m_contentsLeft = true;
        else
            DeleteContents();
        return false;
    }
    catch (const std::exception& error)
    {
        DeleteContents();
        ReportSaveLoadException(path, CauseOf(error), false);
        return false;
    }
    if (StampFile(file.GetDescriptor(), m_stamp))
        m_stampedPath = path;
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const CString& path)
{
    m_refusedSave = false;
    // Written beside the target, flushed to the disk and renamed over it, so a failure
    // at any point keeps the old file whole.
    const std::string target = RealSavePath(path);
    CFile file;
    CFileException refused;
    if (!file.OpenUnique(CString::FromUtf8(TemporaryPrefix(target)), &refused))
    {
        m_refusedSave = IsRefusal(static_cast<int>(refused.m_lOsError));
        ReportSaveLoadException(path, CString("Its folder takes no new file: ") + CauseOf(refused), true);
        return false;
    }
    const std::string temporary = file.GetFilePath().ToUtf8();
    TakeOverAttributes(file.GetDescriptor(), target);
    try
    {
        CArchive archive(&file, CArchive::store);
        archive.SetProgressHook(ThrowWhenQuitting);
        Serialize(archive);
        archive.Close();
        file.Flush();
        file.Close();
        // What was written while the quit came in may hold a picture cut short.
        ThrowWhenQuitting();
    }
    catch (const CUserException&)
    {
        file.Abort();
        ::unlink(temporary.c_str());
        return false;
    }
    catch (const std::exception& error)
    {
        file.Abort();
        ::unlink(temporary.c_str());
        ReportSaveLoadException(path, CauseOf(error, true), true);
        return false;
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0)
    {
        const int error = errno;
        ::unlink(temporary.c_str());
        const bool name = IsNameRefusal(error);
        m_refusedSave = name || IsRefusal(error);
        ReportSaveLoadException(path,
                                CString(name ? "Its folder takes no file of that name: " : "The file could not be replaced: ") +
                                    CString(std::strerror(error)),
                                true);
        return false;
    }
    SyncFolder(target);
    m_stampedPath = StampPath(path, m_stamp) ? path : CString();
    m_replaceQuestion.Empty();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::DoFileSave()
{
    CString path = m_path;
    // A file that is gone or may not be written is saved under a name the user chooses;
    // so is one whose folder refuses the new file or its name.
    const bool writable = !path.IsEmpty() && ::access(path.ToUtf8().c_str(), W_OK) == 0;
    if (!writable && !AskSavePath(path))
        return false;
    if (writable && !MayReplace(path))
        return false;
    bool saved = OnSaveDocument(path);
    // Save As is offered again after each refusal, until a save goes through or the user
    // cancels, so that the changes can always be kept somewhere.
    while (!saved && m_refusedSave && AskSavePath(path))
        saved = OnSaveDocument(path);
    if (!saved)
        return false;
    if (path != m_path)
        SetPathName(path, true);
    return true;
}

bool CDocument::StampFile(int fd, CFileStamp& stamp)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return false;
    stamp = StampOf<CFileStamp>(info);
    return true;
}

bool CDocument::StampPath(const CString& path, CFileStamp& stamp)
{
    // The file a link names is the one that is read and saved.
    struct stat info {};
    if (::stat(path.ToUtf8().c_str(), &info) != 0)
        return false;
    stamp = StampOf<CFileStamp>(info);
    return true;
}

bool CDocument::MayReplace(const CString& path) const
{
    CFileStamp now;
    if (path != m_stampedPath || !StampPath(path, now))
        return true;
    CString question = m_replaceQuestion;
    if (now != m_stamp)
        question = CString("\"") + path +
                   CString("\" was changed by another program after it was opened or last saved here.\n"
                           "Do you want to replace it?");
    return question.IsEmpty() || AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool CDocument::AskSavePath(CString& path)
{
    if (!PromptSaveAsPath(path))
        return false;
    path = WithExtension(path, TemplateString(this, CSingleDocTemplate::filterExt));
    return true;
}

bool CDocument::PromptSaveAsPath(CString& path)
{
    if (const SavePathPrompt& prompt = InstalledSavePathPrompt())
        return prompt(path);
    if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
        return false;
    const CString filter = TemplateString(this, CSingleDocTemplate::filterName);
    const QString chosen = QFileDialog::getSaveFileName(nullptr, QString(), QString::fromStdString(path.ToUtf8()),
                                                        QString::fromStdString(filter.ToUtf8()));
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

void CDocument::SetPathName(const CString& path, bool addToRecent)
{
    m_path = path;
    const int slash = path.ReverseFind(u'/');
    m_title = slash < 0 ? path : path.Mid(slash + 1);
    if (CSingleDocTemplate* docTemplate = OwningTemplate(this))
        docTemplate->UpdateFrameTitle();
    if (CWinApp* app = AfxGetApp(); addToRecent && app != nullptr && !path.IsEmpty())
        app->AddToRecentFileList(path);
}
