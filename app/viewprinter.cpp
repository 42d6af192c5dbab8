#include "app/viewprinter.h"

#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "app/glimraview.h"
#include "app/printdlg.h"
#include "document/displayoverride.h"
#include "document/pagelist.h"
#include "document/tarnwickmodel.h"
#include "document/viewpage.h"
#include "foundation/framemeter.h"
#include "model/undosuspender.h"
#include "platform/quitrequest.h"
#include "platform/ui/appprinter.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/printerdc.h"
#include "platform/ui/printinfo.h"
#include "platform/ui/stringtable.h"
#include "platform/ui/waitcursor.h"
#include "render/offscreenrender.h"
#include "render/textbitmaprenderer.h"
#include "tools/viewextentsfinder.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFu;

CPageList* PagesOf(const CGlimraView& view)
{
    return view.GetModel() != nullptr ? view.GetModel()->GetPageList() : nullptr;
}

// The part of the target rectangle a band of the picture covers.
CRect BandTarget(const CRect& target, int width, int height, const COffscreenRender::Band& band)
{
    const auto across = [&](int x) {
        return target.left + static_cast<int>(std::llround(static_cast<double>(x) * target.Width() / width));
    };
    const auto down = [&](int y) {
        return target.top + static_cast<int>(std::llround(static_cast<double>(y) * target.Height() / height));
    };
    return CRect{across(band.left), down(band.top), across(band.left + band.width), down(band.top + band.height)};
}

}  // namespace

CViewPrinter::CViewPrinter(CGlimraView& view) : m_view(view) {}

CViewPrinter::~CViewPrinter() = default;

CPrintArea CViewPrinter::GetViewWindow()
{
    m_view.UpdateViewBounds();
    CPrintArea window;
    m_view.GetViewDefinition().GetProjectionWindow(window.left, window.right, window.bottom, window.top);
    return window;
}

bool CViewPrinter::ReadView(CPrintContext& context)
{
    const CViewDefinition& definition = m_view.GetViewDefinition();
    context.window = GetViewWindow();
    // Drawing for the extents, entities keep the places the window gave them.
    const bool wasPrinting = m_view.CTarnisView::IsPrinting();
    const bool wasExtentsPass = m_view.GetExtentsPass();
    m_view.SetPrinting(true);
    m_view.SetExtentsPass(true);
    CViewExtentsFinder finder(m_view);
    const bool found = finder.ComputeViewExtents();
    m_view.SetExtentsPass(wasExtentsPass);
    m_view.SetPrinting(wasPrinting);
    if (!found)
        return false;
    const CBoundingBox3d& box = finder.GetBounds();
    // In perspective the box lies on the near plane, the window on the fitted one.
    double scale = 1.0;
    if (definition.IsPerspective())
    {
        double nearDistance = 0.0;
        double farDistance = 0.0;
        definition.GetFittedRange(nearDistance, farDistance);
        scale = nearDistance / definition.GetNear();
    }
    context.extents = CPrintArea{box.xmin * scale, box.xmax * scale, box.ymin * scale, box.ymax * scale};
    context.correction = printlayout::GetScaleCorrection(definition.IsPerspective(), definition.GetViewDirection());
    const CPageList* pages = PagesOf(m_view);
    context.pageCount = pages != nullptr ? std::max(pages->GetCount(), 1) : 1;
    context.hasPages = pages != nullptr && pages->GetCount() > 0;
    context.hasSectionPlane = m_view.GetModel() != nullptr && m_view.GetModel()->GetActiveSectionPlane() != nullptr;
    return true;
}

void CViewPrinter::ReadPrinter(CPrintContext& context) const
{
    const QPrinter& printer = GetAppPrinter();
    const QRectF inches = printer.pageRect(QPrinter::Inch);
    if (inches.width() > 0.0 && inches.height() > 0.0)
    {
        context.pageWidth = inches.width();
        context.pageHeight = inches.height();
    }
    context.printerDpi = printer.logicalDpiX();
}

void CViewPrinter::Plan(const CPrintInfo& info)
{
    m_plan = m_options.PlanSheets(m_context);
    const double printerFactor = printlayout::GetPrinterResolutionFactor(
        m_options.resolution, m_options.pixelWidthDivisor, m_context.printerDpi);
    m_resolutionFactor = printlayout::GetRenderResolutionFactor(info.m_bPreview, m_options.resolution, printerFactor);
}

bool CViewPrinter::PreparePrinting(CPrintInfo& info)
{
    CPrintContext context;
    {
        // The extents are gathered by walking every point of the model, which takes
        // seconds on a large one before the dialog can show: the cursor says so at once.
        const CWaitCursor wait;
        if (!ReadView(context))
            return false;
        ReadPrinter(context);
    }
    CPrintOptions options;
    options.Load(context.hasSectionPlane);
    options.lastPage = context.pageCount;
    m_dialog = std::make_unique<CPrintDlg>(options, context, info.m_bPreview, m_view.GetWidget());
    info.m_pPD = m_dialog.get();
    if (!m_view.DoPreparePrinting(&info))
        return false;
    m_options = m_dialog->GetOptions();
    m_context = m_dialog->GetContext();
    PrintProblem problem = PrintProblem::kNone;
    const int sheets = m_options.CountSheets(m_context, problem);
    if (problem != PrintProblem::kNone)
    {
        AfxMessageBox(CPrintDlg::DescribeProblem(problem), MB_ICONEXCLAMATION);
        return false;
    }
    Plan(info);
    info.SetMinPage(m_options.printPages ? static_cast<UINT>(m_options.firstPage) : 1);
    info.SetMaxPage(m_options.printPages ? static_cast<UINT>(m_options.lastPage) : static_cast<UINT>(sheets));
    if (!info.m_bPreview && sheets > kSheetsWithoutQuestion &&
        AfxMessageBox(kManySheetsQuestionId, MB_OKCANCEL) == IDCANCEL)
        return false;
    m_options.Save();
    return true;
}

void CViewPrinter::BeginPrinting(CPrinterDC& dc, CPrintInfo& info)
{
    if ((dc.GetDeviceCaps(RASTERCAPS) & (RC_STRETCHDIB | RC_STRETCHBLT)) == 0)
        AfxMessageBox(CString::Formatted(LoadFormatString(kPrinterUnsupportedId).ToUtf8().c_str(),
                                         dc.GetPrinterName()),
                      MB_ICONSTOP);
    m_printing = true;
    // The preview may have other paper by now.
    dc.GetPageSizeInches(m_context.pageWidth, m_context.pageHeight);
    m_context.printerDpi = dc.GetDeviceCaps(LOGPIXELSX);
    Plan(info);
    if (!m_options.printPages)
        info.SetMaxPage(m_plan.problem == PrintProblem::kNone ? static_cast<UINT>(m_plan.GetSheetCount()) : 0);
}

void CViewPrinter::EndPrinting()
{
    m_printing = false;
    // A preview draws its sheets while it shows; the view redraws once it closes.
    if (m_previewing)
        return;
    // The window may have changed size while the sheets were drawn.
    const CRect client = m_view.GetClientRect();
    const CViewDefinition& definition = m_view.GetViewDefinition();
    if (client.Width() > 0 && client.Height() > 0 &&
        (definition.GetViewportWidth() != client.Width() || definition.GetViewportHeight() != client.Height()))
        m_view.OnSize(client.Width(), client.Height());
    m_view.Invalidate(false);
}

std::unique_ptr<CViewPage> CViewPrinter::SaveDisplay()
{
    auto display = std::make_unique<CViewPage>(CString(), CString(), CViewPage::kAllProperties);
    display->SetPageList(m_view.GetModel());
    display->SaveModelDisplay(&m_view, CViewPage::kAllProperties);
    return display;
}

void CViewPrinter::ShowPage(int index)
{
    CPageList* pages = PagesOf(m_view);
    CTarnwickPage* page = pages != nullptr ? pages->GetPage(index) : nullptr;
    if (page == nullptr)
        return;
    pages->SetSelectedPage(page);
    page->Activate();
    const auto* viewPage = dynamic_cast<CViewPage*>(page);
    m_view.SetCamera(viewPage != nullptr && (viewPage->GetPropertyMask() & CViewPage::kCamera) != 0
                         ? viewPage->GetCamera()
                         : m_view.GetModel()->GetCamera(),
                     0.0);
}

void CViewPrinter::RestoreDisplay(CViewPage& display, int selectedPage)
{
    display.Activate();
    if (CPageList* pages = PagesOf(m_view))
        pages->SetSelectedPage(pages->GetPage(selectedPage));
}

void CViewPrinter::PrintSheet(CPrinterDC& dc, CPrintInfo& info)
{
    const CUndoSuspender suspender(true);
    const CViewDefinition definition = m_view.GetViewDefinition();
    const CRect printable = dc.GetPrintableRect();
    if (!dc.FillSolidRect(printable, RGB(255, 255, 255)))
        return;
    CPrintArea area = m_context.GetArea(m_options.useModelExtents);
    CSheetPlan plan = m_plan;
    int tile = static_cast<int>(info.m_nCurPage) - 1;
    std::unique_ptr<CViewPage> display;
    int selectedPage = -1;
    if (m_options.printPages)
    {
        const CPageList* pages = PagesOf(m_view);
        selectedPage = pages != nullptr ? pages->IndexOf(pages->GetSelectedPage()) : -1;
        display = SaveDisplay();
        ShowPage(tile);
        // Each page fits its own window to the sheet.
        area = GetViewWindow();
        const double scale =
            printlayout::GetFitScale(area.Width(), area.Height(), m_context.pageWidth, m_context.pageHeight);
        plan = printlayout::PlanSheets(area.Width(), area.Height(), scale, m_context.pageWidth, m_context.pageHeight);
        tile = 0;
    }
    const int dpiX = dc.GetDeviceCaps(LOGPIXELSX);
    const int dpiY = dc.GetDeviceCaps(LOGPIXELSY);
    ETile drawn = ETile::kFailed;
    CRect target = printable;
    if (plan.problem == PrintProblem::kNone)
    {
        const CPrintArea part = printlayout::GetTileArea(area, plan, m_context.pageWidth, m_context.pageHeight, tile);
        target = printlayout::GetTargetRect(part, plan.scale, dpiX, dpiY, printable, plan.across == 1);
        const double printerDpi = std::max(dpiX, dpiY);
        const double lineWidthFactor =
            printerDpi /
            static_cast<double>(printlayout::GetLineReferenceResolution(m_options.resolution,
                                                                        m_options.pixelWidthDivisor)) *
            m_resolutionFactor;
        // Whatever the quality does to lines, a text is as large on paper as on the screen.
        const double textFactor = printerDpi / GetScreenDpi() * m_resolutionFactor;
        drawn = RenderTile(dc, part, target, lineWidthFactor, textFactor, info.m_bPreview);
    }
    if (display != nullptr)
        RestoreDisplay(*display, selectedPage);
    m_view.SetViewDefinition(definition);
    // A job cancelled within the sheet, or given up for a quit, has failed nothing.
    if (drawn == ETile::kDrawn || dc.IsCancelled() || CQuitRequest::IsRequested())
        return;
    ReportSheet(dc, info, target, drawn);
}

void CViewPrinter::ReportSheet(CPrinterDC& dc, CPrintInfo& info, const CRect& target, ETile tile)
{
    const CString cut = CString("Print Error: ") + CString(CFrameMeter::kReason) + CString(".");
    if (info.m_bPreview)
    {
        CString text = LoadStringResource(kUnableToPreviewId);
        if (tile == ETile::kCut)
        {
            // The part drawn would pass for the view.
            (void)dc.FillSolidRect(target, RGB(255, 255, 255));
            text += CString("\n") + cut;
        }
        dc.FrameRect(target, RGB(0, 0, 0));
        dc.DrawText(text, target);
        return;
    }
    if (tile == ETile::kCut)
        AfxMessageBox(cut, MB_ICONSTOP);
    else
        AfxMessageBox(kInsufficientMemoryId, MB_ICONSTOP);
    info.m_bPrintFailed = true;
}

double CViewPrinter::GetScreenDpi() const
{
    int x = 0;
    int y = 0;
    m_view.GetScreenResolution(x, y);
    return x > 0 ? x : CTextBitmapRenderer::kPixelsPerInch;
}

CViewPrinter::ETile CViewPrinter::RenderTile(CPrinterDC& dc, const CPrintArea& tile, const CRect& target,
                                             double lineWidthFactor, double textFactor, bool preview)
{
    int width = std::max(1, static_cast<int>(std::lround(target.Width() * m_resolutionFactor)));
    int height = std::max(1, static_cast<int>(std::lround(target.Height() * m_resolutionFactor)));
    // A preview is looked at on a screen: one band within the budget is plenty.
    if (preview)
    {
        const int requested = width;
        if (!COffscreenRender::FitToBudget(width, height, COffscreenRender::GetMemoryBudget()))
            return ETile::kFailed;
        lineWidthFactor *= static_cast<double>(width) / requested;
        textFactor *= static_cast<double>(width) / requested;
    }
    const bool white = m_view.GetBackgroundColor().GetRGB() == kWhite;
    CDisplayOverride display(&m_view, white ? 0 : CDisplayOverride::kPrintColours);
    COffscreenRender render(m_view, m_view);
    render.SetTextFactor(textFactor);
    const bool drawn = render.Render(tile, width, height, lineWidthFactor,
                                     [&](const COffscreenRender::Band& band, const std::vector<std::uint8_t>& rgba) {
                                         return dc.StretchPixels(BandTarget(target, width, height, band), band.width,
                                                                 band.height, rgba);
                                     });
    display.Restore();
    if (render.WasCut())
        return ETile::kCut;
    return drawn ? ETile::kDrawn : ETile::kFailed;
}
