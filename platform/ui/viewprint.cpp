// The view's print road: the steps a job runs through, which the view fills, for a
// printer and for the preview window.
#include <QPrinter>

#include "platform/heaptrim.h"
#include "platform/quitrequest.h"
#include "platform/ui/appprinter.h"
#include "platform/ui/document.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/modaldialog.h"
#include "platform/ui/printdialog.h"
#include "platform/ui/printerdc.h"
#include "platform/ui/printingdialog.h"
#include "platform/ui/printinfo.h"
#include "platform/ui/printpreviewwindow.h"
#include "platform/ui/view.h"

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

void CView::PrintSheets(CPrinterDC& dc, CPrintInfo& info, CPrintingDialog* progress)
{
    OnBeginPrinting(&dc, &info);
    // The range is read after the beginning, which may plan it for this device.
    const UINT first = info.GetFromPage();
    const UINT last = info.GetToPage();
    const int count =
        last >= first && last != CPrintInfo::kUnknownLastPage ? static_cast<int>(last - first) + 1 : 0;
    for (UINT page = first; page <= info.GetToPage() && !info.m_bPrintFailed; ++page)
    {
        if (progress != nullptr)
            progress->SetSheet(static_cast<int>(page - first) + 1, count);
        if (!dc.ContinuePrinting() || !PrintOneSheet(dc, info, page) || dc.IsCancelled())
            break;
    }
    OnEndPrinting(&dc, &info);
}

bool CView::PrintOneSheet(CPrinterDC& dc, CPrintInfo& info, UINT page)
{
    info.m_nCurPage = page;
    OnPrepareDC(&dc, &info);
    if (!info.m_bContinuePrinting)
        return false;
    dc.StartPage();
    info.m_rectDraw = dc.GetPrintableRect();
    OnPrint(&dc, &info);
    return true;
}

void CView::OnFilePrint()
{
    CPrintInfo info;
    if (!OnPreparePrinting(&info))
        return;
    QPrinter& printer = GetAppPrinter();
    CPrinterDC dc(printer);
    // The print runs in the window's own turn; between its bands and sheets the windows
    // repaint and the dialog's Cancel is taken, as is a request to end the program.
    CPrintingDialog progress(GetDocument() != nullptr ? GetDocument()->GetTitle() : CString(), dc.GetPrinterName(),
                             GetWidget() != nullptr ? GetWidget()->window() : nullptr);
    progress.show();
    dc.SetAbortProc([&progress] {
        if (!CQuitRequest::IsRequested())
            CPrintingDialog::ProcessEvents();
        return !progress.IsCancelled() && !CQuitRequest::IsRequested();
    });
    PrintSheets(dc, info, &progress);
    progress.hide();
    // A cancelled job and the sheet that failed (which has said why) keep nothing.
    if (info.m_bPrintFailed || dc.IsCancelled())
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
    QPrinter& printer = GetAppPrinter();
    // The job is planned for the paper each time it is counted (again after a paper
    // change), and each sheet drawn by a job of its own: nothing of a sheet outlives it.
    const auto count = [this, &info, &printer] {
        CPrintInfo sheets = info;
        CPrinterDC dc(printer);
        OnBeginPrinting(&dc, &sheets);
        const UINT last = sheets.GetMaxPage() == CPrintInfo::kUnknownLastPage ? sheets.GetMinPage()
                                                                               : sheets.GetMaxPage();
        OnEndPrinting(&dc, &sheets);
        return last >= sheets.GetMinPage() ? static_cast<int>(last - sheets.GetMinPage() + 1) : 0;
    };
    const auto draw = [this, &info, &printer](int sheet, QPainter& painter) {
        CPrintInfo sheets = info;
        CPrinterDC dc(printer, painter);
        OnBeginPrinting(&dc, &sheets);
        PrintOneSheet(dc, sheets, sheets.GetMinPage() + static_cast<UINT>(sheet));
        OnEndPrinting(&dc, &sheets);
    };
    bool printRequested = false;
    {
        CPrintPreviewWindow window(printer, count, draw, GetWidget());
        printRequested = window.Run();
    }
    // The sheets' pictures were large blocks among small ones: handed back to the system,
    // not kept for a next preview.
    ReturnFreeHeapToSystem();
    if (!printRequested)
        return;
    // Printing from the preview is a print job of its own, with its own preparation.
    if (GetParentFrame() != nullptr)
        GetParentFrame()->PostCommand(ID_FILE_PRINT);
    else
        OnFilePrint();
}
