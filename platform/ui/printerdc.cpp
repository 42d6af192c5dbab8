#include "platform/ui/printerdc.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "platform/ui/printfile.h"

namespace {

QRect ToQRect(const CRect& rect)
{
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

QColor ToQColor(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

}  // namespace

CPrinterDC::CPrinterDC(QPrinter& printer) : m_printer(printer) {}

CPrinterDC::CPrinterDC(QPrinter& printer, QPainter& sheet) : m_printer(printer), m_sheet(&sheet) {}

CPrinterDC::~CPrinterDC()
{
    if (!m_finished)
        EndDoc();
}

bool CPrinterDC::ContinuePrinting()
{
    if (!m_cancelled && m_abortProc && !m_abortProc())
        m_cancelled = true;
    return !m_cancelled;
}

bool CPrinterDC::OpenDevice()
{
    m_device = &m_printer;
    if (m_printer.outputFormat() != QPrinter::PdfFormat || m_printer.outputFileName().isEmpty())
        return true;
    m_file = std::make_unique<CPrintFile>(CString::FromUtf8(m_printer.outputFileName().toStdString()));
    if (!m_file->Open())
        return false;
    // The printer's own PDF output would open the file by its name: the writer takes
    // the job's file as it was made, with the printer's paper, resolution and title.
    m_pdf = std::make_unique<QPdfWriter>(&m_file->GetDevice());
    m_pdf->setPdfVersion(m_printer.pdfVersion());
    m_pdf->setResolution(m_printer.resolution());
    m_pdf->setPageLayout(m_printer.pageLayout());
    m_pdf->setTitle(m_printer.docName());
    m_pdf->setCreator(m_printer.creator());
    m_device = m_pdf.get();
    return true;
}

int CPrinterDC::GetDeviceCaps(int index) const
{
    const QRectF millimetres = m_printer.pageRect(QPrinter::Millimeter);
    const QRect pixels = m_printer.pageRect(QPrinter::DevicePixel).toRect();
    switch (index)
    {
    case HORZSIZE: return static_cast<int>(std::lround(millimetres.width()));
    case VERTSIZE: return static_cast<int>(std::lround(millimetres.height()));
    case HORZRES: return pixels.width();
    case VERTRES: return pixels.height();
    case LOGPIXELSX: return m_printer.logicalDpiX();
    case LOGPIXELSY: return m_printer.logicalDpiY();
    // Images stretch onto any device Qt prints to.
    case RASTERCAPS: return RC_STRETCHBLT | RC_STRETCHDIB;
    default: return 0;
    }
}

CString CPrinterDC::GetPrinterName() const
{
    if (m_printer.outputFormat() == QPrinter::PdfFormat || m_printer.printerName().isEmpty())
        return CString::FromUtf8(m_printer.outputFileName().toStdString());
    return CString::FromUtf8(m_printer.printerName().toStdString());
}

CRect CPrinterDC::GetPrintableRect() const
{
    const QRect pixels = m_printer.pageRect(QPrinter::DevicePixel).toRect();
    return CRect{0, 0, pixels.width(), pixels.height()};
}

void CPrinterDC::GetPageSizeInches(double& width, double& height) const
{
    const QRectF inches = m_printer.pageRect(QPrinter::Inch);
    width = inches.width();
    height = inches.height();
}

void CPrinterDC::StartPage()
{
    ++m_requestedPage;
}

QPainter* CPrinterDC::BeginDrawing()
{
    if (m_finished || m_cancelled)
        return nullptr;
    if (m_sheet != nullptr)
    {
        m_drawnPage = 1;
        return m_sheet;
    }
    if (m_painter == nullptr)
    {
        m_painter = std::make_unique<QPainter>();
        if (!OpenDevice() || !m_painter->begin(m_device))
        {
            m_finished = true;
            return nullptr;
        }
        // Print pictures are mostly flat colour and thin lines, which a lossy code smears.
        m_painter->setRenderHint(QPainter::LosslessImageRendering);
        // A preview shows the sheet's picture much smaller than printed: averaged, a
        // stippled fill stays an even tone instead of breaking into blocks.
        m_painter->setRenderHint(QPainter::SmoothPixmapTransform);
        m_drawnPage = 1;
    }
    while (m_drawnPage < std::max(m_requestedPage, 1))
    {
        if (!m_device->newPage())
            return nullptr;
        ++m_drawnPage;
    }
    return m_painter.get();
}

bool CPrinterDC::FillSolidRect(const CRect& rect, COLORREF colour)
{
    QPainter* painter = BeginDrawing();
    if (painter == nullptr)
        return false;
    painter->fillRect(ToQRect(rect), ToQColor(colour));
    return true;
}

bool CPrinterDC::FrameRect(const CRect& rect, COLORREF colour)
{
    QPainter* painter = BeginDrawing();
    if (painter == nullptr)
        return false;
    const int width = std::max(1, m_printer.logicalDpiX() / 100);
    painter->setPen(QPen(ToQColor(colour), width));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(ToQRect(rect).adjusted(width / 2, width / 2, -width / 2 - 1, -width / 2 - 1));
    return true;
}

bool CPrinterDC::DrawText(const CString& text, const CRect& rect)
{
    QPainter* painter = BeginDrawing();
    if (painter == nullptr)
        return false;
    QFont font = painter->font();
    // A twelve-point line, or less when the rectangle is small.
    const int printerDpi = std::max(1, m_printer.logicalDpiY());
    const double points = std::min(12.0, rect.Height() * 72.0 / printerDpi / 2.0);
    // In the printer's points, whatever device the painter turns them into pixels for.
    const int deviceDpi = painter->device() != nullptr ? std::max(1, painter->device()->logicalDpiY()) : printerDpi;
    font.setPointSizeF(std::max(points, 1.0) * printerDpi / deviceDpi);
    painter->setFont(font);
    painter->setPen(Qt::black);
    painter->drawText(ToQRect(rect), Qt::AlignCenter | Qt::TextWordWrap, QString::fromStdString(text.ToUtf8()));
    return true;
}

bool CPrinterDC::StretchPixels(const CRect& target, int width, int height, const std::vector<std::uint8_t>& rgba)
{
    if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
        return false;
    QPainter* painter = BeginDrawing();
    if (painter == nullptr)
        return false;
    // The alpha bytes are whatever blending left in the framebuffer, not coverage: an
    // image that merely claims to have none still hands them on, and the paper would
    // show through wherever a blended face was drawn.
    QImage image =
        QImage(rgba.data(), width, height, width * 4, QImage::Format_RGBA8888).convertToFormat(QImage::Format_RGB32);
    // A preview's sheet is far smaller than the paper: the pixels are averaged down first,
    // which keeps stippled fills and thin lines even where sampling would break them up.
    const QSize onDevice = painter->transform().mapRect(QRectF(ToQRect(target))).size().toSize();
    if (onDevice.width() * 2 < width && onDevice.height() * 2 < height && !onDevice.isEmpty())
        image = image.scaled(onDevice, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // The printer's own PDF output turns everything grey for a grey job; the writer
    // cannot, so the pictures come grey already.
    if (m_pdf != nullptr && m_printer.colorMode() == QPrinter::GrayScale)
        image = image.convertToFormat(QImage::Format_Grayscale8);
    painter->drawImage(ToQRect(target), image);
    return ContinuePrinting();
}

bool CPrinterDC::EndDoc()
{
    if (m_finished)
        return false;
    if (m_cancelled)
    {
        AbortDoc();
        return false;
    }
    m_finished = true;
    if (m_sheet != nullptr)
        return m_drawnPage > 0;
    const bool ended = m_painter != nullptr && m_painter->end();
    if (m_file == nullptr)
        return ended;
    if (ended)
        return m_file->Commit();
    m_file->Discard();
    return false;
}

void CPrinterDC::AbortDoc()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_sheet == nullptr && m_painter != nullptr && m_painter->isActive())
    {
        // A printer takes the job back where it can; a file's is removed below.
        if (m_file == nullptr)
            m_printer.abort();
        m_painter->end();
    }
    if (m_file != nullptr)
        m_file->Discard();
}
