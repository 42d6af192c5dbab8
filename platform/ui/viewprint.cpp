// The view's print road: the steps a job runs through, which the view fills, for a
// printer and for the preview window.
#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "platform/ui/appprinter.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/modaldialog.h"
#include "platform/ui/printdialog.h"
#include "platform/ui/printerdc.h"
#include "platform/ui/printinfo.h"
#include "platform/ui/view.h"

namespace {

// The preview window's own Print button, which would print the preview's sheets.
QAction* FindPrintAction(QPrintPreviewDialog& dialog)
{
    for (QAction* action : dialog.findChildren<QAction*>())
        if (action->text().remove(QLatin1Char('&')) == QStringLiteral("Print"))
            return action;
    return nullptr;
}

}  // namespace

bool CView::OnPreparePrinting(CPrintInfo* info)
{
    return DoPreparePrinting(info);
}

bool CView::DoPreparePrinting(CPrintInfo* info)
{
    if (info->m_pPD != nullptr)
        return info->m_pPD->DoModal() == IDOK;
    CPrintDialog dialog(PD_NOSELECTION | PD_NOPAGENUMS, GetWidget());
    return dialog.DoModal() == IDOK;
}

void CView::OnPrepareDC(CPrinterDC* /*dc*/, CPrintInfo* info)
{
    if (info != nullptr)
        info->m_bContinuePrinting = info->GetMaxPage() != CPrintInfo::kUnknownLastPage || info->m_nCurPage == 1;
}

void CView::PrintSheets(CPrinterDC& dc, CPrintInfo& info)
{
    OnBeginPrinting(&dc, &info);
    // The range is read after the beginning, which may plan it for this device.
    for (UINT page = info.GetFromPage(); page <= info.GetToPage() && !info.m_bPrintFailed; ++page)
    {
        info.m_nCurPage = page;
        OnPrepareDC(&dc, &info);
        if (!info.m_bContinuePrinting)
            break;
        dc.StartPage();
        info.m_rectDraw = dc.GetPrintableRect();
        OnPrint(&dc, &info);
    }
    OnEndPrinting(&dc, &info);
}

void CView::OnFilePrint()
{
    CPrintInfo info;
    if (!OnPreparePrinting(&info))
        return;
    CPrinterDC dc(GetAppPrinter());
    PrintSheets(dc, info);
    // The sheet that failed has said why; nothing of the job is kept.
    if (info.m_bPrintFailed)
    {
        dc.AbortDoc();
        return;
    }
    if (!dc.EndDoc())
        AfxMessageBox(CString("The printer or the file could not be written."), MB_ICONSTOP);
}

void CView::OnFilePrintPreview()
{
    CPrintInfo info;
    info.m_bPreview = true;
    if (!OnPreparePrinting(&info))
        return;
    QPrintPreviewDialog dialog(&GetAppPrinter(), GetWidget());
    // Each time the window lays its sheets out (again after a paper change) the whole
    // range is drawn anew.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, [this, &info](QPrinter* printer) {
        CPrintInfo sheets = info;
        CPrinterDC dc(*printer);
        PrintSheets(dc, sheets);
        dc.EndDoc();
    });
    // Printing from the preview is a print job of its own, with its own preparation.
    bool printRequested = false;
    if (QAction* print = FindPrintAction(dialog))
    {
        QObject::disconnect(print, nullptr, &dialog, nullptr);
        QObject::connect(print, &QAction::triggered, &dialog, [&dialog, &printRequested] {
            printRequested = true;
            dialog.accept();
        });
    }
    RunModalDialog(dialog);
    if (!printRequested)
        return;
    if (GetParentFrame() != nullptr)
        GetParentFrame()->PostCommand(ID_FILE_PRINT);
    else
        OnFilePrint();
}
