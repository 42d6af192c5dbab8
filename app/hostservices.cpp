#include "app/hostservices.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <cstring>
#include <QPointer>

#include "app/glimracursors.h"
#include "app/glimradoc.h"
#include "app/glimraview.h"
#include "app/mainframe.h"
#include "app/qtdevicecontext.h"
#include "app/resourceids.h"
#include "app/titletip.h"
#include "document/definitionthumbnails.h"
#include "document/imageadapter/imageapp.h"
#include "foundation/lengthformatter.h"
#include "imaging/ilanybmp.h"
#include "platform/clipboard.h"
#include "platform/ui/doctemplate.h"
#include "platform/ui/qtclipboard.h"
#include "platform/ui/document.h"
#include "platform/ui/winapp.h"
#include "render/thumbnailrenderer.h"

namespace {

CFrameWnd* MainWindow()
{
    CWinApp* app = AfxGetApp();
    return app != nullptr ? app->m_pMainWnd : nullptr;
}

CMainFrame* MainFrame()
{
    return dynamic_cast<CMainFrame*>(MainWindow());
}

UINT PaneId(int pane)
{
    switch (pane)
    {
    case kFirstPane: return 0;
    case kPromptPane: return ID_INDICATOR_VALUE_LABEL;
    case kValuePane: return ID_INDICATOR_VALUE;
    default: return static_cast<UINT>(pane);
    }
}

// The main frame's status bar, the active view and the cursor set.
class CAppHostServices : public IHostServices
{
public:
    HCURSOR GetToolCursor(int cursorId) override { return GetGlimraCursors().GetCursor(cursorId); }

    void SetCursorIfValid(HCURSOR cursor) override
    {
        if (CView* view = ActiveView(); cursor != nullptr && view != nullptr)
            view->SetCursor(cursor);
    }

    ITarnisView* GetActiveTarnisView() override { return dynamic_cast<CGlimraView*>(ActiveView()); }

    bool IsValueBoxActive() override
    {
        const CMainFrame* frame = MainFrame();
        return frame != nullptr && frame->IsValuePaneHighlighted();
    }

    void SetValueBoxActive(bool active) override
    {
        if (CMainFrame* frame = MainFrame())
            frame->SetPaneHighlight(ID_INDICATOR_VALUE, active);
    }

    void ClearStatusBarText() override
    {
        if (CMainFrame* frame = MainFrame())
            frame->ClearStatusBarText();
    }

    void SetStatusText(int pane, const CString& text, bool update) override
    {
        if (CMainFrame* frame = MainFrame())
            frame->SetStatusText(PaneId(pane), text, update);
    }

    CString GetStatusText(int pane) override
    {
        const CMainFrame* frame = MainFrame();
        return frame != nullptr ? frame->GetStatusText(PaneId(pane)) : CString();
    }

    void UpdateAllViewsOfActiveDoc() override
    {
        CFrameWnd* frame = MainWindow();
        if (CDocument* document = frame != nullptr ? frame->GetActiveDocument() : nullptr)
            document->UpdateAllViews(nullptr);
    }

    void ReleaseCapture() override
    {
        if (CView* view = ActiveView())
            view->ReleaseCapture();
    }

    bool GetCursorPos(CPoint2d& screen) override
    {
        const CPoint pointer = CView::GetCursorPos();
        screen = CPoint2d(pointer.x, pointer.y);
        return true;
    }

    // The view's hint tip: red text at once, gone when the mouse leaves 20 pixels round
    // the cursor.
    void ShowTipText(int x, int y, const CString& text) override
    {
        CView* view = ActiveView();
        QWidget* owner = view != nullptr ? view->GetWidget() : nullptr;
        if (owner == nullptr)
            return;
        if (m_tip == nullptr || m_tip->parentWidget() != owner)
        {
            delete m_tip;
            m_tip = new CTitleTip;
            m_tip->Create(owner);
            m_tip->SetTextColor(RGB(255, 0, 0));
            m_tip->SetHoverTolerance(20);
            m_tip->SetOffset(5, 0);
        }
        m_tip->Hide(true);
        m_tip->SetText(text);
        m_tip->ShowAt(CPoint{x, y});
    }

private:
    // Goes with its owner, the view's window.
    QPointer<CTitleTip> m_tip;

    static CView* ActiveView()
    {
        CFrameWnd* frame = MainWindow();
        return frame != nullptr ? frame->GetActiveView() : nullptr;
    }
};

CAppHostServices g_appHostServices;
CQtClipboard g_clipboard;

// A stored bitmap into a window: 32-bit rows, top row first, stretched to the rectangle.
bool PaintBitmap(const ILBmp& bmp, HPAINTDC deviceContext, int x, int y, int width, int height)
{
    if (deviceContext == nullptr || deviceContext->painter == nullptr || bmp.GetWidth() < 1 || bmp.GetHeight() < 1)
        return false;
    ILAnyBmp converted;
    const ILBmp* source = &bmp;
    if (bmp.GetBitsPerPixel() != 32)
    {
        converted.CreateCopy(bmp, 32);
        source = &converted;
    }
    QImage image(source->GetWidth(), source->GetHeight(),
                 source->HasAlpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const std::uint8_t* const* rows = source->GetLineArray();
    for (int row = 0; row < image.height(); ++row)
        std::memcpy(image.scanLine(row), rows[row], static_cast<std::size_t>(image.width()) * 4);
    deviceContext->painter->drawImage(QRect(x, y, width, height), image);
    return true;
}

}  // namespace

void InstallHostServices(bool install)
{
    SetHostServices(install ? &g_appHostServices : nullptr);
    SetClipboard(install ? &g_clipboard : nullptr);
    SetBitmapPainter(install ? &PaintBitmap : nullptr);
    if (install)
        CThumbnailRenderer::Install();
    else
        SetDefinitionThumbnailRenderer(nullptr);
}

void ShowPageTabs(bool show)
{
    if (CMainFrame* frame = MainFrame())
        frame->ShowPageTabs(show);
}

CGlimraView* CreateGlimraView()
{
    return new CGlimraView;
}

CString FormatLengthString(double inches)
{
    return CLengthFormatter(-1).Format(inches);
}

CString GetModelPathName(const CTarnwickModel* model)
{
    const CWinApp* app = AfxGetApp();
    const CSingleDocTemplate* docTemplate = app != nullptr ? app->GetDocTemplate() : nullptr;
    auto* document = docTemplate != nullptr ? dynamic_cast<CGlimraDoc*>(docTemplate->GetDocument()) : nullptr;
    if (document == nullptr || model == nullptr || &document->GetModel() != model)
        return {};
    return document->GetPathName();
}
