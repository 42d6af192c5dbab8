#include "app/printdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "foundation/lengthformatter.h"

#include "platform/ui/messagebox.h"
#include "platform/ui/stringtable.h"

namespace {

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

CString FromQString(const QString& text)
{
    return CString::FromUtf8(text.toStdString());
}

QString Name(int id)
{
    return QString::number(id);
}

// The qualities in list order.
const char* const kQualityNames[] = {"Draft", "Standard", "High Definition", "Ultrahigh Definition",
                                     "Large Format"};

QComboBox* MakeUnitCombo(int id, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(Name(id));
    for (int unit = 0; unit < printlayout::kUnitCount; ++unit)
        combo->addItem(ToQString(LoadStringResource(CPrintDlg::kFirstUnitStringId + unit)), unit);
    return combo;
}

QCheckBox* MakeCheck(int id, const char* text, QWidget* parent)
{
    auto* check = new QCheckBox(QString::fromUtf8(text), parent);
    check->setObjectName(Name(id));
    return check;
}

}  // namespace

CPrintDlg::CPrintDlg(const CPrintOptions& options, const CPrintContext& context, bool preview, QWidget* parent)
    : CPrintDialog(PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE, parent),
      m_options(options),
      m_context(context)
{
    m_lengths = {LengthField{CPrintOptions::kSizeInDrawing}, LengthField{CPrintOptions::kSizeInModel},
                 LengthField{CPrintOptions::kPrintWidth}, LengthField{CPrintOptions::kPrintHeight}};
    if (preview)
        SetWindowText(LoadStringResource(kPreviewCaptionId));
    SetForPreview(preview);
}

CPrintDlg::~CPrintDlg() = default;

CString CPrintDlg::DescribeProblem(PrintProblem problem)
{
    switch (problem)
    {
    case PrintProblem::kScale: return LoadStringResource(kScaleProblemId);
    case PrintProblem::kArea: return LoadStringResource(kAreaProblemId);
    case PrintProblem::kTooManySheets:
        return CString::Formatted(LoadFormatString(kSheetsProblemId).ToUtf8().c_str(), printlayout::kMaxSheets);
    default: return {};
    }
}

CString CPrintDlg::GetOptionsPageTitle() const
{
    return CString("View");
}

QWidget* CPrintDlg::CreateOptionsPage()
{
    // Two columns: the page is added below the platform's own controls, and in one
    // column it would push the dialog's buttons off a screen of 1000 pixels.
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    layout->addWidget(CreateRangeGroup(page), 0, 0);
    layout->addWidget(CreateQualityGroup(page), 1, 0);
    layout->addWidget(CreateScaleGroup(page), 0, 1, 2, 1);
    m_sheets = new QLabel(page);
    m_sheets->setObjectName(QStringLiteral("sheets"));
    m_sheets->setWordWrap(true);
    layout->addWidget(m_sheets, 2, 0, 1, 2);
    layout->setRowStretch(3, 1);
    return page;
}

QWidget* CPrintDlg::CreateRangeGroup(QWidget* parent)
{
    auto* group = new QGroupBox(QStringLiteral("Print range"), parent);
    auto* layout = new QGridLayout(group);
    m_currentView = new QRadioButton(QStringLiteral("Current view"), group);
    m_currentView->setObjectName(Name(kCurrentViewRadio));
    m_pages = new QRadioButton(QStringLiteral("Pages"), group);
    m_pages->setObjectName(Name(kPagesRadio));
    m_firstPage = new QSpinBox(group);
    m_firstPage->setObjectName(QStringLiteral("firstPage"));
    m_lastPage = new QSpinBox(group);
    m_lastPage->setObjectName(QStringLiteral("lastPage"));
    for (QSpinBox* spin : {m_firstPage, m_lastPage})
        spin->setRange(1, std::max(m_context.pageCount, 1));
    layout->addWidget(m_currentView, 0, 0, 1, 4);
    layout->addWidget(m_pages, 1, 0);
    layout->addWidget(new QLabel(QStringLiteral("from"), group), 1, 1);
    layout->addWidget(m_firstPage, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("to"), group), 1, 3);
    layout->addWidget(m_lastPage, 1, 4);
    QObject::connect(m_currentView, &QRadioButton::clicked, group, [this] {
        m_options.SetPrintPages(false);
        Refresh();
    });
    QObject::connect(m_pages, &QRadioButton::clicked, group, [this] {
        m_options.SetPrintPages(true);
        Refresh();
    });
    for (QSpinBox* spin : {m_firstPage, m_lastPage})
        QObject::connect(spin, &QSpinBox::editingFinished, group, [this] {
            m_options.firstPage = m_firstPage->value();
            m_options.lastPage = m_lastPage->value();
            Refresh();
        });
    return group;
}

QWidget* CPrintDlg::CreateScaleGroup(QWidget* parent)
{
    auto* group = new QGroupBox(QStringLiteral("Size"), parent);
    auto* layout = new QGridLayout(group);
    const struct
    {
        int edit;
        int units;
        const char* label;
    } fields[] = {{kDrawingLengthEdit, kDrawingUnitCombo, "In the printout"},
                  {kModelLengthEdit, kModelUnitCombo, "In the model"},
                  {kWidthEdit, kWidthUnitCombo, "Printed width"},
                  {kHeightEdit, kHeightUnitCombo, "Printed height"}};
    m_fitToPage = MakeCheck(kFitToPageCheck, "Fit to page", group);
    m_modelExtents = MakeCheck(kModelExtentsCheck, "Use model extents", group);
    layout->addWidget(m_fitToPage, 0, 0, 1, 3);
    layout->addWidget(m_modelExtents, 1, 0, 1, 3);
    for (size_t i = 0; i < m_lengths.size(); ++i)
    {
        LengthField& field = m_lengths[i];
        field.edit = new QLineEdit(group);
        field.edit->setObjectName(Name(fields[i].edit));
        // Room for a length with its unit, "12' 6 1/2"" or "1234.56 mm".
        field.edit->setMinimumWidth(field.edit->fontMetrics().horizontalAdvance(QStringLiteral("0000.00 mm00")));
        field.units = MakeUnitCombo(fields[i].units, group);
        const int row = static_cast<int>(i) + 2;
        layout->addWidget(new QLabel(QString::fromUtf8(fields[i].label), group), row, 0);
        layout->addWidget(field.edit, row, 1);
        layout->addWidget(field.units, row, 2);
        ConnectLengthField(field);
    }
    QObject::connect(m_fitToPage, &QCheckBox::clicked, group, [this](bool on) {
        m_options.fitToPage = on;
        Refresh();
    });
    QObject::connect(m_modelExtents, &QCheckBox::clicked, group, [this](bool on) {
        m_options.useModelExtents = on;
        Refresh();
    });
    return group;
}

void CPrintDlg::ConnectLengthField(LengthField& field)
{
    QObject::connect(field.edit, &QLineEdit::editingFinished, field.edit, [this, &field] {
        // Text that is no length is shown as the value it would have replaced. A length of
        // no size, or one past every size, gives no scale: it is refused with its reason.
        const CString text = FromQString(field.edit->text());
        double inches = 0.0;
        const bool parsed =
            CLengthFormatter().Parse(text, inches, kLengthFormatDecimal, m_options.GetUnit(field.length));
        if (parsed && !(std::isfinite(inches) && inches > 0.0))
        {
            Refresh();
            m_sheets->setText(ToQString(DescribeProblem(PrintProblem::kScale)));
            return;
        }
        (void)m_options.ParseLength(field.length, text, m_context);
        Refresh();
    });
    QObject::connect(field.units, &QComboBox::currentIndexChanged, field.units, [this, &field](int index) {
        if (m_refreshing)
            return;
        (void)m_options.ChangeUnit(field.length, field.units->itemData(index).toInt(), m_context);
        Refresh();
    });
}

QWidget* CPrintDlg::CreateQualityGroup(QWidget* parent)
{
    auto* group = new QGroupBox(QStringLiteral("Output"), parent);
    auto* layout = new QFormLayout(group);
    m_quality = new QComboBox(group);
    m_quality->setObjectName(Name(kQualityCombo));
    for (int quality = kPrintDraft; quality <= kPrintLargeFormat; ++quality)
        m_quality->addItem(QString::fromUtf8(kQualityNames[quality]), quality);
    layout->addRow(QStringLiteral("Print quality"), m_quality);
    m_useHLR = MakeCheck(kUseHLRCheck, "Use high accuracy HLR", group);
    m_sectionSlice = MakeCheck(kSectionSliceCheck, "2-D section slice only", group);
    layout->addRow(m_useHLR);
    layout->addRow(m_sectionSlice);
    QObject::connect(m_quality, &QComboBox::currentIndexChanged, group, [this](int index) {
        if (m_refreshing)
            return;
        m_options.resolution = m_quality->itemData(index).toInt();
        Refresh();
    });
    QObject::connect(m_sectionSlice, &QCheckBox::clicked, group, [this](bool on) {
        m_options.sectionSliceOnly = on;
        Refresh();
    });
    return group;
}

void CPrintDlg::OnInitDialog()
{
    if (!m_context.hasPages)
        m_options.SetPrintPages(false);
    if (!m_context.hasSectionPlane)
        m_options.sectionSliceOnly = false;
    Refresh();
}

void CPrintDlg::Refresh()
{
    if (m_sheets == nullptr)
        return;
    m_refreshing = true;
    m_options.Recompute(m_context);
    const bool fits = m_options.FitsToPage(m_context);
    const bool pages = m_options.printPages;
    for (LengthField& field : m_lengths)
    {
        field.edit->setText(ToQString(m_options.FormatLength(field.length)));
        field.units->setCurrentIndex(field.units->findData(m_options.GetUnit(field.length)));
        field.edit->setEnabled(!fits);
        field.units->setEnabled(!fits);
    }
    m_currentView->setChecked(!pages);
    m_pages->setChecked(pages);
    m_pages->setEnabled(m_context.hasPages);
    m_firstPage->setValue(m_options.firstPage);
    m_lastPage->setValue(m_options.lastPage);
    m_firstPage->setEnabled(pages);
    m_lastPage->setEnabled(pages);
    m_fitToPage->setChecked(fits);
    m_fitToPage->setEnabled(!pages && m_context.CanPrintToScale());
    m_modelExtents->setChecked(m_options.useModelExtents);
    m_modelExtents->setEnabled(!pages);
    m_quality->setCurrentIndex(m_quality->findData(m_options.resolution));
    // The picture is always drawn as the view draws it; there is no other line drawing.
    m_useHLR->setChecked(m_options.useHLR);
    m_useHLR->setEnabled(false);
    m_sectionSlice->setChecked(m_options.sectionSliceOnly);
    m_sectionSlice->setEnabled(m_context.hasSectionPlane);
    PrintProblem problem = PrintProblem::kNone;
    const int sheets = m_options.CountSheets(m_context, problem);
    m_sheets->setText(problem == PrintProblem::kNone
                          ? QStringLiteral("Sheets: %1").arg(sheets)
                          : ToQString(DescribeProblem(problem)));
    m_refreshing = false;
}

void CPrintDlg::ReadPrinter()
{
    const QPrinter& printer = GetPrinter();
    const QRectF inches = printer.pageRect(QPrinter::Inch);
    if (inches.width() > 0.0 && inches.height() > 0.0)
    {
        m_context.pageWidth = inches.width();
        m_context.pageHeight = inches.height();
    }
    m_context.printerDpi = printer.logicalDpiX();
}

bool CPrintDlg::OnOK()
{
    // The printer chosen in the dialog may have other paper.
    ReadPrinter();
    m_options.Recompute(m_context);
    PrintProblem problem = PrintProblem::kNone;
    (void)m_options.CountSheets(m_context, problem);
    if (problem == PrintProblem::kNone)
        return true;
    Refresh();
    AfxMessageBox(DescribeProblem(problem), MB_ICONEXCLAMATION);
    return false;
}
