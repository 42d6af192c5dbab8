#include "platform/ui/document.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/view.h"

namespace {

CString CauseOf(const std::exception& error)
{
    if (const auto* framework = dynamic_cast<const CException*>(&error))
        return framework->GetErrorMessage();
    return CString(error.what());
}

}  // namespace

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
    DeleteContents();
    SetModifiedFlag(true);
    try
    {
        CArchive archive(&file, CArchive::load);
        Serialize(archive);
        archive.Close();
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
    // Written beside the target and renamed over it, so a failure keeps the old file.
    const CString temporary = path + CString(".saving");
    try
    {
        CFile file;
        if (!file.Open(temporary, CFile::modeCreate | CFile::modeWrite))
            throw CFileException(CFileException::accessDenied, -1, temporary);
        CArchive archive(&file, CArchive::store);
        Serialize(archive);
        archive.Close();
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
