#include "app/graphicscardpp.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/glimraapp.h"
#include "app/glimraview.h"
#include "app/graphicscarddlg.h"
#include "app/graphicscardsurveyps.h"
#include "app/qttext.h"
#include "app/recreateglview.h"
#include "drawapi/renderingflags.h"
#include "platform/profile.h"
#include "platform/sysinfo.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/stringtable.h"
#include "render/baseglview.h"
#include "render/glconfig.h"
#include "render/viewpreferences.h"

namespace {

constexpr int IDS_UNKNOWN = 10033;
constexpr int IDS_COLORS = 10035;
constexpr int IDS_HIGH_COLOR = 10036;
constexpr int IDS_TRUE_COLOR_24 = 10037;
constexpr int IDS_TRUE_COLOR_32 = 10038;
constexpr int IDS_BIT_COLOR = 10039;
constexpr int IDS_PRECISION_HIGH = 10045;
constexpr int IDS_PRECISION_MEDIUM = 10046;
constexpr int IDS_PRECISION_LOW = 10047;
constexpr int IDS_YES = 10048;
constexpr int IDS_NO = 10049;
constexpr int IDS_COLUMN_PRECISION = 10050;
constexpr int IDS_COLUMN_SHADOWS = 10051;
constexpr int IDS_COLUMN_COLORS = 10052;
constexpr int IDS_COLUMN_ANTI_ALIAS = 10104;
constexpr int IDS_RESTART_NEEDED = 10540;
constexpr int IDS_FAST_FEEDBACK_UNSURE = 10541;
constexpr int IDS_REVERSED_PICKING_WARNING = 10567;

CString PrecisionText(int depthBits)
{
    return LoadStringResource(depthBits < 24 ? IDS_PRECISION_LOW
                                             : depthBits < 32 ? IDS_PRECISION_MEDIUM : IDS_PRECISION_HIGH);
}

QCheckBox* AddCheckBox(QWidget* parent, QLayout* layout, const char* text, int id)
{
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QStringLiteral("Control%1").arg(id));
    layout->addWidget(box);
    return box;
}

QPushButton* AddButton(QWidget* parent, QLayout* layout, const char* text, int id)
{
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QStringLiteral("Control%1").arg(id));
    layout->addWidget(button);
    return button;
}

}  // namespace

CString FormatNumberedString(int stringId, std::initializer_list<int> numbers)
{
    CString text = LoadStringResource(stringId);
    int position = 1;
    for (const int number : numbers)
        text.Replace(CString::Formatted("%%%d!d!", position++), CString::Formatted("%d", number));
    return text;
}

CString FormatColorDepth(int bits)
{
    switch (bits)
    {
    case -1: return LoadStringResource(IDS_UNKNOWN);
    case 4: return FormatNumberedString(IDS_COLORS, {16});
    case 8: return FormatNumberedString(IDS_COLORS, {256});
    case 16: return LoadStringResource(IDS_HIGH_COLOR);
    case 24: return LoadStringResource(IDS_TRUE_COLOR_24);
    case 32: return LoadStringResource(IDS_TRUE_COLOR_32);
    default: return FormatNumberedString(IDS_BIT_COLOR, {bits});
    }
}

CString BoolToYesNo(bool value)
{
    return CString(value ? "Yes" : "No");
}

CString BoolToTrueFalse(bool value)
{
    return CString(value ? "True" : "False");
}

HDC GetActiveViewDC()
{
    const CGlimraApp* app = GetGlimraApp();
    const CGlimraView* view = app != nullptr ? app->GetActiveGlimraView() : nullptr;
    return view != nullptr ? view->GetDeviceContext() : nullptr;
}

CString DescribeActiveViewPixelFormat()
{
    const CGlimraApp* app = GetGlimraApp();
    const CGlimraView* view = app != nullptr ? app->GetActiveGlimraView() : nullptr;
    const int index = view != nullptr ? view->GetPixelFormatIndex() : 0;
    CPixelFormatRecord record;
    CString description;
    if (view != nullptr && DescribePixelFormatRecord(view->GetDeviceContext(), index, record))
        description = FormatPixelFormatDescription(record.descriptor);
    description.Replace(CString("\t"), CString(","));
    return CString::Formatted("%d,", index) + description;
}

CGraphicsCardPP::CGraphicsCardPP(QWidget* parent) : QWidget(parent)
{
    m_fastFeedback = g_UseFastFeedback;
    m_accelerated = m_initialAccelerated = GetGLConfig().Accelerated != 0;
    m_reversedPicking = m_initialReversedPicking = GetGLConfigReversedPick(false);
    m_carmackReverse = m_initialCarmackReverse = renderingflags::ShadowVolumeMethod > 0;
    CreateControls();
    if (!TestAcceleratedPixelFormat(GetActiveViewDC()))
    {
        m_accelerated = false;
        m_hardwareBox->setEnabled(false);
    }
    m_reversedBox->setEnabled(m_accelerated);
    m_selectedFormat = m_initialFormat = GetGLConfig().PixelFormat;
    // Kept for the stored configuration; the page does not offer them.
    m_fastFeedbackBox->hide();
    m_reversedBox->hide();
    LoadChecks();
    FillPixelFormatList(false);
}

void CGraphicsCardPP::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    m_hardwareBox = AddCheckBox(this, layout, "Use &hardware acceleration", kHardwareAccelerationId);
    m_fastFeedbackBox = AddCheckBox(this, layout, "Use &fast feedback", kFastFeedbackId);
    m_reversedBox = AddCheckBox(this, layout, "Correct &reversed picking driver bug", kReversedPickingId);
    m_carmackBox = AddCheckBox(this, layout, "Use Carmack's Reverse for shadows", kCarmackReverseId);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("Control%1").arg(kFormatListId));
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHeaderLabels({QStringLiteral("#"), ToQt(LoadStringResource(IDS_COLUMN_COLORS)),
                             ToQt(LoadStringResource(IDS_COLUMN_PRECISION)),
                             ToQt(LoadStringResource(IDS_COLUMN_SHADOWS)),
                             ToQt(LoadStringResource(IDS_COLUMN_ANTI_ALIAS))});
    m_list->setMinimumSize(560, 200);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int numberWidth = QFontMetrics(m_list->font()).horizontalAdvance(QStringLiteral("###")) + 12;
    const int textWidth = (m_list->minimumWidth() - numberWidth) / 4;
    m_list->setColumnWidth(0, numberWidth);
    m_list->setColumnWidth(1, textWidth);
    for (int column = 2; column < 5; ++column)
        m_list->setColumnWidth(column, textWidth + 6);
    layout->addWidget(m_list);

    auto* buttons = new QHBoxLayout;
    m_surveyButton = AddButton(this, buttons, "&Survey", kSurveyId);
    buttons->addStretch();
    m_detailsButton = AddButton(this, buttons, "&Details", kDetailsId);
    layout->addLayout(buttons);

    connect(m_hardwareBox, &QCheckBox::clicked, this, [this] { OnBnClickedUseHardwareAcceleration(); });
    connect(m_fastFeedbackBox, &QCheckBox::clicked, this, [this] { OnBnClickedUseFastFeedback(); });
    connect(m_reversedBox, &QCheckBox::clicked, this, [this] { OnBnClickedCorrectReversedPicking(); });
    connect(m_carmackBox, &QCheckBox::clicked, this, [this] { SetModified(true); });
    connect(m_detailsButton, &QPushButton::clicked, this, [this] { OnBnClickedDetails(); });
    connect(m_surveyButton, &QPushButton::clicked, this, [this] { OnBnClickedSurvey(); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { OnFormatRowChosen(); });
}

QCheckBox* CGraphicsCardPP::GetCheckBox(int id) const
{
    return findChild<QCheckBox*>(QStringLiteral("Control%1").arg(id));
}

QPushButton* CGraphicsCardPP::GetButton(int id) const
{
    return findChild<QPushButton*>(QStringLiteral("Control%1").arg(id));
}

void CGraphicsCardPP::LoadChecks()
{
    m_hardwareBox->setChecked(m_accelerated);
    m_reversedBox->setChecked(m_reversedPicking);
    m_carmackBox->setChecked(m_carmackReverse);
    m_fastFeedbackBox->setChecked(m_fastFeedback != 0);
}

void CGraphicsCardPP::FillPixelFormatList(bool chooseBest)
{
    const HDC device = GetActiveViewDC();
    m_filling = true;
    m_list->clear();
    m_selectedRow = -1;
    CGLConfig config;
    config.Accelerated = m_accelerated ? 1 : 0;
    config.SwapCopy = 1;
    m_swapCopyFormatsExist = ChoosePixelFormatForConfig(device, config, m_candidates) > 0;
    // 2 asks for formats whatever their swap does.
    config.SwapCopy = !m_fastFeedbackBox->isChecked() ? 0 : m_swapCopyFormatsExist ? 1 : 2;
    (void)ChoosePixelFormatForConfig(device, config, m_candidates);
    (void)RemoveDuplicatePixelFormats(m_candidates, m_selectedFormat);
    if (chooseBest)
    {
        m_selectedFormat = FindConfiguredPixelFormat(m_candidates);
    }
    else if (std::none_of(m_candidates.begin(), m_candidates.end(),
                          [this](const CPixelFormatRecord& r) { return r.index == m_selectedFormat; }))
    {
        CPixelFormatRecord current;
        if (DescribePixelFormatRecord(device, m_selectedFormat, current))
            m_candidates.push_back(current);
    }
    SortPixelFormatsMode1(m_candidates);
    for (const CPixelFormatRecord& record : m_candidates)
    {
        auto* item = new QTreeWidgetItem(
            m_list, {QString::number(record.index), ToQt(FormatColorDepth(record.GetColorBits())),
                     ToQt(PrecisionText(record.GetDepthBits())),
                     ToQt(LoadStringResource(record.GetStencilBits() == 8 ? IDS_YES : IDS_NO)),
                     QStringLiteral("%1x").arg(record.GetSamples())});
        item->setData(0, Qt::UserRole, record.index);
        if (record.index == m_selectedFormat)
        {
            m_selectedRow = m_list->indexOfTopLevelItem(item);
            m_list->setCurrentItem(item);
            m_list->scrollToItem(item);
        }
    }
    m_filling = false;
}

void CGraphicsCardPP::OnFormatRowChosen()
{
    const QList<QTreeWidgetItem*> chosen = m_list->selectedItems();
    if (m_filling || chosen.isEmpty())
        return;
    m_selectedRow = m_list->indexOfTopLevelItem(chosen.front());
    m_selectedFormat = chosen.front()->data(0, Qt::UserRole).toInt();
    if (m_selectedFormat != m_initialFormat)
        SetModified(true);
}

void CGraphicsCardPP::OnBnClickedUseFastFeedback()
{
    if (!m_swapCopyFormatsExist && m_fastFeedbackBox->isChecked())
        AfxMessageBox(IDS_FAST_FEEDBACK_UNSURE);
    FillPixelFormatList(true);
    SetModified(true);
}

void CGraphicsCardPP::OnBnClickedUseHardwareAcceleration()
{
    SetModified(true);
    const bool wasAccelerated = m_accelerated;
    m_accelerated = m_hardwareBox->isChecked();
    // Unaccelerated formats all keep their back buffer; accelerated ones may not.
    m_fastFeedbackBox->setChecked(!m_accelerated);
    FillPixelFormatList(true);
    if (m_swapCopyFormatsExist && m_accelerated)
        m_fastFeedbackBox->setChecked(true);
    if (!IsWGLExtensionSupported("WGL_ARB_pixel_format") && !wasAccelerated && m_accelerated)
        FillPixelFormatList(true);
    OnBnClickedUseFastFeedback();
    m_reversedBox->setEnabled(m_accelerated);
}

void CGraphicsCardPP::OnBnClickedCorrectReversedPicking()
{
    if (!m_reversedBox->isChecked())
        return;
    if (AfxMessageBox(IDS_REVERSED_PICKING_WARNING, MB_OKCANCEL) == IDOK)
        SetModified(true);
    else
        m_reversedBox->setChecked(false);
}

void CGraphicsCardPP::OnBnClickedDetails()
{
    CGraphicsCardDlg details(this);
    details.exec();
}

void CGraphicsCardPP::OnBnClickedSurvey()
{
    CGraphicsCardSurveyPS survey(CString("Graphics Card Survey"), this, 0);
    if (survey.exec() == QDialog::Accepted)
        survey.SendSurveyReport();
}

void CGraphicsCardPP::Apply()
{
    if (SaveSettings())
    {
        ReplaceViewOrAskForRestart();
        if (!m_initialAccelerated && m_accelerated)
            WarnAboutSixteenBitColour();
        m_initialFormat = m_selectedFormat;
        m_initialAccelerated = m_accelerated;
    }
    SetUseFastFeedback();
}

bool CGraphicsCardPP::SaveSettings()
{
    m_accelerated = m_hardwareBox->isChecked();
    m_reversedPicking = m_reversedBox->isChecked();
    g_UseFastFeedback = !m_fastFeedbackBox->isChecked() ? 0 : m_swapCopyFormatsExist ? 1 : 2;
    if (m_reversedPicking != m_initialReversedPicking)
    {
        SetGLConfigReversedPick(m_reversedPicking);
        g_CorrectReversedPicking = m_reversedPicking;
        m_initialReversedPicking = m_reversedPicking;
    }
    bool changed = false;
    if (m_selectedFormat != m_initialFormat || m_accelerated != m_initialAccelerated)
    {
        SaveGLConfigPixelFormat(m_selectedFormat, DescribeSelectedFormat());
        changed = true;
    }
    if (m_accelerated != m_initialAccelerated)
        SetGLConfigAccelerated(m_accelerated);
    m_carmackReverse = m_carmackBox->isChecked();
    if (m_carmackReverse != m_initialCarmackReverse)
    {
        renderingflags::ShadowVolumeMethod =
            m_carmackReverse ? renderingflags::kCarmackReverseWhenInside : renderingflags::kCarmackReverseNever;
        (void)WriteProfileInt(CString("Preferences"), CString("CarmackReverse"), renderingflags::ShadowVolumeMethod);
        m_initialCarmackReverse = m_carmackReverse;
        changed = true;
    }
    return changed;
}

void CGraphicsCardPP::ReplaceViewOrAskForRestart()
{
    if (GetSystemMetrics(SM_CMONITORS) != 1)
    {
        AfxMessageBox(IDS_RESTART_NEEDED);
        return;
    }
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->GetDocTemplate() != nullptr)
        (void)RecreateGLView(*app->GetDocTemplate());
}

void CGraphicsCardPP::WarnAboutSixteenBitColour()
{
    const PIXELFORMATDESCRIPTOR format = DescribeSelectedFormat();
    if (GetDescriptorColorBits(format) == 16 && format.cStencilBits == 8)
        AfxMessageBox(CBaseGLView::kColourWarningStringId);
}

PIXELFORMATDESCRIPTOR CGraphicsCardPP::DescribeSelectedFormat() const
{
    for (const CPixelFormatRecord& record : m_candidates)
        if (record.index == m_selectedFormat)
            return record.descriptor;
    // The view may have been replaced since the list was filled: ask the current one.
    CPixelFormatRecord record;
    (void)DescribePixelFormatRecord(GetActiveViewDC(), m_selectedFormat, record);
    return record.descriptor;
}
