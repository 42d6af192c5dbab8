#include "platform/ui/printpreviewview.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Grey around and between the sheets, in display pixels.
constexpr int kGap = 12;
constexpr double kZoomStep = 1.25;
constexpr double kSmallestZoom = 0.05;
constexpr double kLargestZoom = 4.0;
// Past this many display pixels along a sheet a picture would only cost memory.
constexpr int kLargestSheetSide = 8000;
// Sheets drawn ahead of the window's edges.
constexpr int kSheetsBeside = 1;

}  // namespace

CPrintPreviewView::CPrintPreviewView(QPrinter& printer, SheetPainter painter, QWidget* parent)
    : QAbstractScrollArea(parent), m_printer(printer), m_painter(std::move(painter))
{
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_drawTimer.setSingleShot(true);
    m_drawTimer.setInterval(0);
    QObject::connect(&m_drawTimer, &QTimer::timeout, this, [this] { DrawNextSheet(); });
}

void CPrintPreviewView::SetSheetCount(int count)
{
    m_sheetCount = std::max(count, 0);
    const QRectF paper = m_printer.paperRect(QPrinter::DevicePixel);
    const QRectF page = m_printer.pageRect(QPrinter::DevicePixel);
    m_paper = QSizeF(std::max(paper.width(), 1.0), std::max(paper.height(), 1.0));
    m_page = page.size();
    m_pageOffset = page.topLeft() - paper.topLeft();
    m_pictures.clear();
    ApplyFit();
}

double CPrintPreviewView::GetZoom() const
{
    return m_scale * m_printer.resolution() / std::max(1, logicalDpiX());
}

void CPrintPreviewView::SetColumns(int columns)
{
    // The sheet looked at stays in sight: its row is another one now.
    const int current = GetCurrentSheet();
    m_columns = std::clamp(columns, 1, 2);
    ApplyFit();
    ShowSheet(current);
}

void CPrintPreviewView::SetScale(double scale, Fit fit)
{
    const double printerPerScreen = static_cast<double>(m_printer.resolution()) / std::max(1, logicalDpiX());
    const double largest = std::min(kLargestZoom / printerPerScreen,
                                    kLargestSheetSide / std::max(m_paper.width(), m_paper.height()));
    scale = std::clamp(scale, std::min(kSmallestZoom / printerPerScreen, largest), largest);
    // The same place of the column stays at the window's top.
    const double along = verticalScrollBar()->maximum() > 0
                             ? static_cast<double>(verticalScrollBar()->value()) / verticalScrollBar()->maximum()
                             : 0.0;
    m_fit = fit;
    m_scale = scale;
    UpdateScrollBars();
    verticalScrollBar()->setValue(static_cast<int>(std::lround(along * verticalScrollBar()->maximum())));
    viewport()->update();
    if (onChanged)
        onChanged();
}

void CPrintPreviewView::ApplyFit()
{
    // The row's sheets share the width left between the gaps.
    const double width = std::max(1, viewport()->width() - (m_columns + 1) * kGap) / static_cast<double>(m_columns);
    const double height = std::max(1, viewport()->height() - 2 * kGap);
    switch (m_fit)
    {
    case Fit::kWidth: SetScale(width / m_paper.width(), Fit::kWidth); break;
    case Fit::kPage: SetScale(std::min(width / m_paper.width(), height / m_paper.height()), Fit::kPage); break;
    case Fit::kNone: SetScale(m_scale, Fit::kNone); break;
    }
}

void CPrintPreviewView::ZoomIn()
{
    SetScale(m_scale * kZoomStep, Fit::kNone);
}

void CPrintPreviewView::ZoomOut()
{
    SetScale(m_scale / kZoomStep, Fit::kNone);
}

void CPrintPreviewView::FitWidth()
{
    m_fit = Fit::kWidth;
    ApplyFit();
}

void CPrintPreviewView::FitPage()
{
    m_fit = Fit::kPage;
    ApplyFit();
}

int CPrintPreviewView::GetRowPitch() const
{
    return GetSheetSize().height() + kGap;
}

QSize CPrintPreviewView::GetSheetSize() const
{
    return QSize(std::max(1, static_cast<int>(std::lround(m_paper.width() * m_scale))),
                 std::max(1, static_cast<int>(std::lround(m_paper.height() * m_scale))));
}

void CPrintPreviewView::UpdateScrollBars()
{
    const QSize sheet = GetSheetSize();
    const qint64 rows = (static_cast<qint64>(m_sheetCount) + m_columns - 1) / m_columns;
    const qint64 height = rows * (sheet.height() + kGap) + kGap;
    const qint64 width = static_cast<qint64>(m_columns) * (sheet.width() + kGap) + kGap;
    const auto range = [](qint64 content, int window) {
        return static_cast<int>(std::clamp<qint64>(content - window, 0, INT_MAX));
    };
    verticalScrollBar()->setRange(0, range(height, viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(std::max(1, sheet.height() / 20));
    horizontalScrollBar()->setRange(0, range(width, viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(std::max(1, sheet.width() / 20));
}

QRect CPrintPreviewView::GetSheetRect(int sheet) const
{
    const QSize size = GetSheetSize();
    const int rowWidth = m_columns * size.width() + (m_columns - 1) * kGap;
    const int rowLeft = rowWidth + 2 * kGap < viewport()->width() ? (viewport()->width() - rowWidth) / 2
                                                                   : kGap - horizontalScrollBar()->value();
    const int left = rowLeft + (sheet % m_columns) * (size.width() + kGap);
    const qint64 top = kGap + static_cast<qint64>(sheet / m_columns) * GetRowPitch() - verticalScrollBar()->value();
    return QRect(left, static_cast<int>(std::clamp<qint64>(top, INT_MIN / 2, INT_MAX / 2)), size.width(),
                 size.height());
}

void CPrintPreviewView::GetVisibleSheets(int& first, int& last) const
{
    const int pitch = GetRowPitch();
    const qint64 top = verticalScrollBar()->value();
    const qint64 firstRow = std::max<qint64>(0, (top - kGap) / pitch);
    const qint64 lastRow = (top + viewport()->height() - 1 - kGap) / pitch;
    first = static_cast<int>(std::min<qint64>(firstRow * m_columns, INT_MAX));
    last = static_cast<int>(std::min<qint64>(m_sheetCount - 1, lastRow * m_columns + m_columns - 1));
}

int CPrintPreviewView::GetCurrentSheet() const
{
    if (m_sheetCount == 0)
        return 0;
    // The sheet at the middle when a sheet is taller than the window, else the top one.
    const int pitch = GetRowPitch();
    const qint64 middle = static_cast<qint64>(verticalScrollBar()->value()) + std::min(viewport()->height(), pitch) / 2;
    return static_cast<int>(std::clamp<qint64>(middle / pitch * m_columns, 0, m_sheetCount - 1));
}

void CPrintPreviewView::ShowSheet(int sheet)
{
    const int row = std::clamp(sheet, 0, std::max(m_sheetCount - 1, 0)) / m_columns;
    verticalScrollBar()->setValue(static_cast<int>(std::clamp<qint64>(static_cast<qint64>(row) * GetRowPitch(), 0, INT_MAX)));
}

std::vector<int> CPrintPreviewView::GetWantedSheets() const
{
    std::vector<int> wanted;
    int first = 0;
    int last = 0;
    GetVisibleSheets(first, last);
    const auto want = [&](int sheet) {
        if (sheet < 0 || sheet >= m_sheetCount)
            return;
        const auto found = m_pictures.find(sheet);
        if (found == m_pictures.end() || found->second.scale != m_scale)
            wanted.push_back(sheet);
    };
    for (int sheet = first; sheet <= last; ++sheet)
        want(sheet);
    for (int step = 1; step <= kSheetsBeside * m_columns; ++step)
    {
        want(last + step);
        want(first - step);
    }
    return wanted;
}

void CPrintPreviewView::ReleaseDistantSheets()
{
    int first = 0;
    int last = 0;
    GetVisibleSheets(first, last);
    std::erase_if(m_pictures, [&](const auto& entry) {
        return entry.first < first - kSheetsBeside * m_columns || entry.first > last + kSheetsBeside * m_columns;
    });
}

void CPrintPreviewView::DrawSheet(int sheet)
{
    const QSize size = GetSheetSize();
    Picture& picture = m_pictures[sheet];
    picture.image = QImage(size, QImage::Format_RGB32);
    picture.scale = m_scale;
    if (picture.image.isNull())
        return;
    picture.image.fill(Qt::white);
    QPainter painter(&picture.image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(m_scale, m_scale);
    painter.translate(m_pageOffset);
    painter.setClipRect(QRectF(QPointF(0, 0), m_page));
    if (m_painter)
        m_painter(sheet, painter);
}

void CPrintPreviewView::DrawNextSheet()
{
    ReleaseDistantSheets();
    const std::vector<int> wanted = GetWantedSheets();
    if (wanted.empty())
        return;
    DrawSheet(wanted.front());
    viewport()->update();
    if (wanted.size() > 1)
        m_drawTimer.start();
}

void CPrintPreviewView::DrawPendingSheets()
{
    ReleaseDistantSheets();
    for (const int sheet : GetWantedSheets())
        DrawSheet(sheet);
    viewport()->update();
}

std::vector<int> CPrintPreviewView::GetHeldSheets() const
{
    std::vector<int> held;
    for (const auto& entry : m_pictures)
        held.push_back(entry.first);
    return held;
}

const QImage* CPrintPreviewView::GetSheetPicture(int sheet) const
{
    const auto found = m_pictures.find(sheet);
    return found != m_pictures.end() ? &found->second.image : nullptr;
}

void CPrintPreviewView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    int first = 0;
    int last = 0;
    GetVisibleSheets(first, last);
    for (int sheet = first; sheet <= last; ++sheet)
    {
        const QRect place = GetSheetRect(sheet);
        const auto found = m_pictures.find(sheet);
        // A picture of another zoom stands in, stretched, until this one is drawn.
        if (found != m_pictures.end() && !found->second.image.isNull())
            painter.drawImage(place, found->second.image);
        else
            painter.fillRect(place, Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(place.adjusted(-1, -1, 0, 0));
    }
    if (!GetWantedSheets().empty() && !m_drawTimer.isActive())
        m_drawTimer.start();
}

void CPrintPreviewView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    ApplyFit();
}

void CPrintPreviewView::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    viewport()->update();
    if (onChanged)
        onChanged();
}
