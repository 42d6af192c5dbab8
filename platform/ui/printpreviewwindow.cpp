#include "platform/ui/printpreviewwindow.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "platform/ui/appprinter.h"
#include "platform/ui/modaldialog.h"
#include "platform/ui/winapp.h"

CPrintPreviewWindow::CPrintPreviewWindow(QPrinter& printer, SheetCounter counter,
                                         CPrintPreviewView::SheetPainter painter, QWidget* parent)
    : QDialog(parent), m_counter(std::move(counter))
{
    setWindowTitle(QStringLiteral("Print Preview"));
    m_sheets = new CPrintPreviewView(printer, std::move(painter), this);
    m_sheets->setObjectName(QStringLiteral("sheets"));
    m_sheets->onChanged = [this] { ShowState(); };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    AddBar();
    layout->addWidget(m_sheets, 1);
    // A sheet at a readable size, within the screen.
    const QRect screen = parent != nullptr && parent->screen() != nullptr ? parent->screen()->availableGeometry()
                                                                          : QRect(0, 0, 900, 1000);
    resize(std::min(900, screen.width() * 9 / 10), std::min(1000, screen.height() * 9 / 10));
    CountSheets();
}

void CPrintPreviewWindow::AddBar()
{
    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout()->addWidget(bar);
    bar->addAction(QStringLiteral("&Print"), this, [this] {
        m_printRequested = true;
        accept();
    });
    bar->addSeparator();
    bar->addAction(QStringLiteral("Fit &Width"), this, [this] { m_sheets->FitWidth(); });
    bar->addAction(QStringLiteral("Fit P&age"), this, [this] { m_sheets->FitPage(); });
    bar->addAction(QStringLiteral("Zoom &In"), this, [this] { m_sheets->ZoomIn(); });
    bar->addAction(QStringLiteral("Zoom &Out"), this, [this] { m_sheets->ZoomOut(); });
    m_zoom = new QLabel(bar);
    m_zoom->setObjectName(QStringLiteral("zoom"));
    bar->addWidget(m_zoom);
    bar->addSeparator();
    bar->addAction(QStringLiteral("&First"), this, [this] { m_sheets->ShowSheet(0); });
    bar->addAction(QStringLiteral("Pre&vious"), this,
                   [this] { m_sheets->ShowSheet(m_sheets->GetCurrentSheet() - m_sheets->GetColumns()); });
    m_sheetNumber = new QSpinBox(bar);
    m_sheetNumber->setObjectName(QStringLiteral("sheet"));
    m_sheetNumber->setKeyboardTracking(false);
    bar->addWidget(m_sheetNumber);
    m_sheetTotal = new QLabel(bar);
    bar->addWidget(m_sheetTotal);
    QObject::connect(m_sheetNumber, &QSpinBox::valueChanged, this, [this](int number) {
        if (number - 1 != m_sheets->GetCurrentSheet())
            m_sheets->ShowSheet(number - 1);
    });
    bar->addAction(QStringLiteral("&Next"), this,
                   [this] { m_sheets->ShowSheet(m_sheets->GetCurrentSheet() + m_sheets->GetColumns()); });
    bar->addAction(QStringLiteral("&Last"), this, [this] { m_sheets->ShowSheet(m_sheets->GetSheetCount() - 1); });
    QAction* twoSheets = bar->addAction(QStringLiteral("T&wo Pages"));
    twoSheets->setObjectName(QStringLiteral("twoPages"));
    twoSheets->setCheckable(true);
    QObject::connect(twoSheets, &QAction::toggled, this, [this](bool two) { m_sheets->SetColumns(two ? 2 : 1); });
    bar->addSeparator();
    bar->addAction(QStringLiteral("Page &Setup..."), this, [this] { SetUpPaper(); });
    bar->addSeparator();
    bar->addAction(QStringLiteral("&Close"), this, [this] { reject(); });
}

bool CPrintPreviewWindow::event(QEvent* event)
{
    CWinApp* app = AfxGetApp();
    const bool key = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
    if (key && app != nullptr &&
        app->IsExitKey(*static_cast<QKeyEvent*>(event)))
    {
        event->accept();
        // Closes this window among the others open, then the main window.
        app->OnQuitRequested();
        return true;
    }
    return QDialog::event(event);
}

void CPrintPreviewWindow::CountSheets()
{
    m_sheets->SetSheetCount(m_counter ? m_counter() : 0);
    const int count = m_sheets->GetSheetCount();
    const QSignalBlocker blocker(m_sheetNumber);
    m_sheetNumber->setRange(count > 0 ? 1 : 0, count);
    m_sheetTotal->setText(QStringLiteral(" / %1 ").arg(count));
    ShowState();
}

void CPrintPreviewWindow::ShowState()
{
    if (m_zoom != nullptr)
        m_zoom->setText(QStringLiteral(" %1% ").arg(std::lround(m_sheets->GetZoom() * 100.0)));
    if (m_sheetNumber != nullptr && m_sheets->GetSheetCount() > 0)
    {
        const QSignalBlocker blocker(m_sheetNumber);
        m_sheetNumber->setValue(m_sheets->GetCurrentSheet() + 1);
    }
}

void CPrintPreviewWindow::SetUpPaper()
{
    if (RunPrintSetup(this))
        CountSheets();
}

bool CPrintPreviewWindow::Run()
{
    m_printRequested = false;
    RunModalDialog(*this);
    return m_printRequested;
}
