#include "app/glimradoc.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "app/glimraview.h"
#include "app/hostservices.h"
#include "app/mainframe.h"
#include "document/doctoolmanager.h"
#include "document/pagelist.h"
#include "drawapi/tarnisview.h"
#include "foundation/notificationcenter.h"
#include "foundation/syshelpers.h"
#include "foundation/versioninfo.h"
#include "model/undosuspender.h"
#include "model/wholemodelrelease.h"
#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/stringtable.h"
#include "platform/ui/view.h"
#include "platform/ui/winapp.h"

namespace {

CString VersionText(const CVersionInfo& version)
{
    return CString::Formatted("%d.%d.%d", version.GetMajor(), version.GetMinor(), version.GetBuild());
}

}  // namespace

CGlimraDoc::CGlimraDoc()
{
    SetToolManager(&m_tools);
}

CGlimraDoc::~CGlimraDoc()
{
    SetToolManager(nullptr);
}

bool CGlimraDoc::OnNewDocument()
{
    CUndoSuspender suspender(true);
    if (!CDocument::OnNewDocument())
        return false;
    Activate();
    m_fileName.Empty();
    ResyncUI();
    ShowNewContents();
    return true;
}

bool CGlimraDoc::OnOpenDocument(const CString& path)
{
    CUndoSuspender suspender(true);
    if (!CDocument::OnOpenDocument(path))
        return false;
    Activate();
    m_fileName = GetFileNameFromPath(path, true);
    ResyncUI();
    ShowNewContents();
    return true;
}

void CGlimraDoc::SetPathName(const CString& path, bool addToRecent)
{
    CDocument::SetPathName(path, addToRecent);
    if (!addToRecent)
        return;
    m_fileName = GetFileNameFromPath(path, true);
    GetNotificationCenter().Post(kModelNameChangedNotification, &GetModel());
}

bool CGlimraDoc::OnSaveDocument(const CString& path)
{
    if (!CDocument::OnSaveDocument(path))
        return false;
    // A save under another name posts once the document carries that name.
    if (path == GetPathName())
        GetNotificationCenter().Post(kModelNameChangedNotification, &GetModel());
    return true;
}

void CGlimraDoc::Serialize(CArchive& archive)
{
    if (archive.IsStoring())
    {
        SetSaveFormat(kSaveFormat5000);
        RedefinePreview();
        GetModel().Serialize(archive);
        return;
    }
    GetModel().Serialize(archive);
    ReportLoadStatus(GetModel().GetLoadStatus());
    ReportPartialRead(archive);
}

void CGlimraDoc::RedefinePreview()
{
    CTarnwickModel& model = GetModel();
    if (!model.IsRedefineThumbnailOnSave())
        return;
    for (CView* view : GetViews())
    {
        auto* glimraView = dynamic_cast<CGlimraView*>(view);
        if (CDib* preview = glimraView != nullptr ? glimraView->RenderPreviewImage() : nullptr)
        {
            const CUndoSuspender suspender;
            model.SetPreviewImage(preview);
            return;
        }
    }
}

void CGlimraDoc::ReportLoadStatus(int status)
{
    if (status == CTarnwickModel::kLoadNotAModel)
    {
        AfxMessageBox(kNotAModelStringId, MB_OK);
        throw CUserException();
    }
    if (status == CTarnwickModel::kLoadNeedsNewerVersion)
    {
        CString text = LoadStringResource(kNewerVersionStringId);
        text.Replace(CString("%1"), VersionText(CVersionInfo()));
        text.Replace(CString("%2"), VersionText(GetModel().GetVersionInfo()));
        AfxMessageBox(text, MB_OK, kNewerVersionStringId);
        throw CUserException();
    }
}

void CGlimraDoc::ReportPartialRead(const CArchive& archive)
{
    const std::uint64_t unread = GetModel().GetUnreadByteCount();
    const std::uint64_t leftOut = GetModel().GetLeftOutEntryCount();
    if (unread == 0 && leftOut == 0)
        return;
    const CString path = archive.GetFile() != nullptr ? archive.GetFile()->GetFilePath() : CString();
    const auto count = [](std::uint64_t n) { return CString::Formatted("%llu", static_cast<unsigned long long>(n)); };
    const auto ask = [&](UINT id, std::uint64_t n) {
        CString text = LoadStringResource(id);
        // The count first: a path may hold "%2" itself.
        text.Replace(CString("%2"), count(n));
        text.Replace(CString("%1"), path);
        return text;
    };
    CString notice;
    CString question;
    if (unread != 0)
    {
        std::fprintf(stderr, "glimra: %s: the last %llu bytes of the file were not read\n", path.ToUtf8().c_str(),
                     static_cast<unsigned long long>(unread));
        notice = LoadStringResource(kUnreadBytesStringId);
        notice.Replace(CString("%1"), count(unread));
        question = ask(kReplacePartlyReadStringId, unread);
    }
    if (leftOut != 0)
    {
        std::fprintf(stderr,
                     "glimra: %s: entries of the entity lists that were empty or named an element listed twice "
                     "were left out: %llu\n",
                     path.ToUtf8().c_str(), static_cast<unsigned long long>(leftOut));
        CString said = LoadStringResource(kLeftOutEntriesStringId);
        said.Replace(CString("%1"), count(leftOut));
        // The bytes' notice ends in the sentence that the entries' alone needs.
        notice = unread != 0 ? notice + CString("\n\n") + said
                             : said + CString("\n") + LoadStringResource(kMayBeDamagedStringId);
        if (question.IsEmpty())
        {
            question = ask(kReplaceLeftOutStringId, leftOut);
        }
    }
    AfxMessageBox(notice, MB_OK | MB_ICONEXCLAMATION);
    AskBeforeReplacingFile(question);
}

void CGlimraDoc::ShowNewContents()
{
    for (CView* view : GetViews())
        if (auto* glimraView = dynamic_cast<CGlimraView*>(view))
            glimraView->OnDocumentContentsChanged();
}

void CGlimraDoc::DiscardViewAnimations()
{
    for (CView* view : GetViews())
        if (auto* tarnisView = dynamic_cast<ITarnisView*>(view))
            tarnisView->DiscardAnimation();
}

void CGlimraDoc::DeleteContents()
{
    DiscardViewAnimations();
    CBaseDoc::DeleteContents();
}

bool CGlimraDoc::OnLongRead()
{
    // Parts short enough that the window keeps painting and a quit is heard as during the read.
    return CWholeModelRelease::LetGoSome(std::chrono::milliseconds(50));
}

void CGlimraDoc::OnCloseDocument()
{
    DiscardViewAnimations();
    if (IDocToolManager* tools = GetToolManager())
        tools->Reset();
    CUndoSuspender suspender(true);
    DeleteContents();
}

void CGlimraDoc::CloseForExit()
{
    DiscardViewAnimations();
    if (IDocToolManager* tools = GetToolManager())
        tools->Reset();
    GetModel().GetSelectionSet().Clear(false);
    GetModel().AbandonAtExit();
}

void CGlimraDoc::ResyncUI()
{
    const CPageList* pages = GetModel().GetPageList();
    const int count = pages != nullptr ? static_cast<int>(pages->GetPages().size()) : 0;
    CWinApp* app = AfxGetApp();
    auto* frame = app != nullptr ? dynamic_cast<CMainFrame*>(app->m_pMainWnd) : nullptr;
    if (frame != nullptr)
        frame->GetPageTabs().Rebuild(pages);
    if (frame != nullptr && count > 0)
        (void)frame->ClearPageTabSelection();
    ShowPageTabs(count > 0);
    GetNotificationCenter().Post(kResynchUINotification, nullptr);
}

void CGlimraDoc::UpdateAllViews()
{
    CDocument::UpdateAllViews(nullptr);
}
