#include "platform/ui/doctemplate.h"

#include <QWidget>
#include <utility>

#include "platform/ui/document.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/stringtable.h"
#include "platform/ui/view.h"

CSingleDocTemplate::CSingleDocTemplate(int resourceId, std::function<CDocument*()> makeDocument,
                                       std::function<CFrameWnd*()> makeFrame, std::function<CView*()> makeView)
    : m_resourceId(resourceId),
      m_makeDocument(std::move(makeDocument)),
      m_makeFrame(std::move(makeFrame)),
      m_makeView(std::move(makeView))
{
}

CSingleDocTemplate::~CSingleDocTemplate()
{
    CloseAll();
}

void CSingleDocTemplate::CloseAll()
{
    m_view.reset();
    m_frame.reset();
    m_document.reset();
}

void CSingleDocTemplate::ReplaceView(std::unique_ptr<CView> view)
{
    if (view == nullptr || m_frame == nullptr || m_document == nullptr)
        return;
    std::unique_ptr<CView> old = std::exchange(m_view, std::move(view));
    m_document->AddView(m_view.get());
    m_frame->SetActiveView(m_view.get());
    if (m_view->GetWidget() != nullptr)
        m_view->GetWidget()->show();
    m_frame->RecalcLayout();
    if (old == nullptr)
        return;
    if (QWidget* oldWindow = old->GetWidget())
    {
        // The keyboard stays with the view: the new window takes the focus the old one
        // has, or would get back once a dialog over the frame closes.
        if (m_view->GetWidget() != nullptr && oldWindow->window()->focusWidget() == oldWindow)
            m_view->GetWidget()->setFocus();
        oldWindow->hide();
    }
    // Its window goes while it still has its document, so that whatever works on it
    // through the document ends with it.
    old->DestroyWindow();
    m_document->RemoveView(old.get());
}

CString CSingleDocTemplate::GetDocString(DocStringIndex index) const
{
    return ExtractSubString(LoadStringResource(m_resourceId), index);
}

bool CSingleDocTemplate::CreateWindows()
{
    m_document.reset(m_makeDocument());
    m_frame.reset(m_makeFrame());
    if (m_document == nullptr || m_frame == nullptr || !m_frame->LoadFrame())
    {
        CloseAll();
        return false;
    }
    m_view.reset(m_makeView());
    if (m_view == nullptr)
    {
        CloseAll();
        return false;
    }
    m_frame->SetActiveView(m_view.get());
    m_document->AddView(m_view.get());
    return true;
}

void CSingleDocTemplate::FallBackToNewDocument()
{
    // The failed load emptied the document; the user sees it as a new untitled one.
    if (!m_document->OnNewDocument())
        return;
    m_document->SetPathName(CString());
    m_document->SetTitle(GetDocString(docName));
    UpdateFrameTitle();
    m_document->UpdateAllViews(nullptr);
}

void CSingleDocTemplate::UpdateFrameTitle()
{
    if (m_frame == nullptr || m_document == nullptr)
        return;
    const CString app = GetDocString(windowTitle);
    const CString title = m_document->GetTitle();
    m_frame->SetWindowText(title.IsEmpty() ? app : title + CString(" - ") + app);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const CString& path)
{
    const bool created = m_frame == nullptr;
    if (created && !CreateWindows())
        return nullptr;
    // An open marks the document changed once it starts emptying it: one that fails before
    // (a file that cannot be opened, or is no file) leaves the document as it was.
    const bool wasModified = m_document->IsModified();
    if (!path.IsEmpty())
        m_document->SetModifiedFlag(false);
    const bool opened = path.IsEmpty() ? m_document->OnNewDocument() : m_document->OnOpenDocument(path);
    if (!opened)
    {
        if (created)
            CloseAll();
        else if (!path.IsEmpty() && m_document->IsModified())
            FallBackToNewDocument();
        else
            m_document->SetModifiedFlag(wasModified);
        return nullptr;
    }
    if (path.IsEmpty())
        m_document->SetTitle(GetDocString(docName));
    else
        m_document->SetPathName(path);
    UpdateFrameTitle();
    if (created)
        m_view->OnInitialUpdate();
    else
        m_document->UpdateAllViews(nullptr);
    return m_document.get();
}
