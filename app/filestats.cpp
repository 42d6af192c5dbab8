#include "app/filestats.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>

#include "app/compstatsctrl.h"
#include "document/tarnwickmodel.h"
#include "model/undomanager.h"
#include "platform/profile.h"
#include "platform/ui/dialogtemplate.h"

namespace {

const CString kSection("FileStats");

// Tab stops of the component text at 0 and 115 dialog units.
constexpr double kTabStopPixels = 115 * 1.5;

}  // namespace

CFileStats::CFileStats() : CStackedPage(kTemplateId), m_showGeometry(ReadShowGeometry()), m_showNested(ReadShowNested())
{
}

CFileStats::~CFileStats()
{
    Listen(false);
}

bool CFileStats::ReadShowGeometry()
{
    return GetProfileInt(kSection, CString("ShowGeometry"), 1) != 0;
}

void CFileStats::WriteShowGeometry(bool show)
{
    WriteProfileInt(kSection, CString("ShowGeometry"), show ? 1 : 0);
}

bool CFileStats::ReadShowNested()
{
    return GetProfileInt(kSection, CString("ShowSubComps"), 0) != 0;
}

void CFileStats::WriteShowNested(bool show)
{
    WriteProfileInt(kSection, CString("ShowSubComps"), show ? 1 : 0);
}

CCompStatsCtrl* CFileStats::GetList() const
{
    return static_cast<CCompStatsCtrl*>(GetDlgItem(kList));
}

void CFileStats::CreateTemplateControls()
{
    CDialogTemplate t(*this);
    auto* view = t.DropList(kView, {"Entire model", "Only components"}, 2, 2, 160, 22);
    auto* nested = t.Check(kShowNested, CString("Show nested components"), 2, 28, 240, 20);
    t.Place(kList, new CCompStatsCtrl, 2, 52, 244, 262);
    t.MultiLineEdit(kComponentText, 2, 52, 244, 262, true);
    t.Button(kPurge, CString("Purge Unused"), 2, 318, 100, 24);
    t.Button(kFixProblems, CString("Fix Problems"), 108, 318, 100, 24);
    SetClientSize(250, 346);
    QObject::connect(view, &QComboBox::activated, [this](int item) { OnViewChanged(item); });
    QObject::connect(nested, &QAbstractButton::clicked, [this] { OnShowNested(); });
}

bool CFileStats::OnInitDialog()
{
    GetList()->InsertColumns();
    ShowDlgItem(kPurge, false);
    ShowDlgItem(kFixProblems, false);
    auto* text = static_cast<QPlainTextEdit*>(GetDlgItem(kComponentText));
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text->setTabStopDistance(kTabStopPixels);
    SetCurSel(kView, m_showGeometry ? 0 : 1);
    CheckDlgButton(kShowNested, m_showNested ? 1 : 0);
    ShowDlgItem(kList, m_showGeometry);
    ShowDlgItem(kComponentText, !m_showGeometry);
    return true;
}

void CFileStats::SetModel(CTarnwickModel* model)
{
    const CComponent* root = model != nullptr ? model->GetRootComponent() : nullptr;
    m_statistics.Update(root, true);
    if (CCompStatsCtrl* list = GetList())
        list->SetComponent(root);
    Refill();
}

void CFileStats::Refill()
{
    if (!HasWindow())
        return;
    if (m_showGeometry)
        GetList()->Fill(m_showNested);
    else
        FillComponentText();
}

void CFileStats::ShowStatisticsList()
{
    m_showGeometry = true;
    WriteShowGeometry(true);
    ShowDlgItem(kComponentText, false);
    ShowDlgItem(kList, true);
    GetList()->Fill(m_showNested);
}

void CFileStats::ShowComponentText()
{
    m_showGeometry = false;
    WriteShowGeometry(false);
    ShowDlgItem(kComponentText, true);
    ShowDlgItem(kList, false);
    GetList()->clear();
    FillComponentText();
}

void CFileStats::OnViewChanged(int item)
{
    if (item == 0)
        ShowStatisticsList();
    else
        ShowComponentText();
}

void CFileStats::OnShowNested()
{
    m_showNested = IsDlgButtonChecked(kShowNested) != 0;
    WriteShowNested(m_showNested);
    Refill();
}

void CFileStats::FillComponentText()
{
    CString text;
    for (int i = 0; i < m_statistics.GetDefinitionEntryCount(); ++i)
    {
        const auto count = m_statistics.GetDefinitionCount(i, m_showNested);
        if (count > 0)
            text += CString::Formatted("%s\t%lld\r\n", m_statistics.GetDefinitionName(i), static_cast<long long>(count));
    }
    SetDlgItemText(kComponentText, text);
    if (QWidget* edit = GetDlgItem(kComponentText))
        edit->update();
}

void CFileStats::Listen(bool listen)
{
    if (m_listenedManager != nullptr)
    {
        m_listenedManager->RemoveDBListener(this);
        m_listenedManager = nullptr;
    }
    CTarnwickModel* model = GetCurrentModel();
    if (listen && model != nullptr && model->GetUndoManager() != nullptr)
    {
        m_listenedManager = model->GetUndoManager();
        m_listenedManager->AddDBListener(this);
    }
}

void CFileStats::OnPageActivate()
{
    Listen(true);
}

void CFileStats::OnPageDeactivate()
{
    Listen(false);
}

void CFileStats::Recount()
{
    m_stale = true;
}

void CFileStats::OnOperationCommitted(int, int, int)
{
    if (!m_stale)
        return;
    m_stale = false;
    SetModel(GetCurrentModel());
}

void CFileStats::OnEntityCreated(CEntity*)
{
    Recount();
}

void CFileStats::OnEntityModified(CEntity*)
{
    Recount();
}

void CFileStats::OnEntityErased(CEntity*)
{
    Recount();
}

void CFileStats::OnEntityAdded(CEntity*, IEntityContainer*)
{
    Recount();
}

void CFileStats::OnEntityRemoved(CEntity*, IEntityContainer*)
{
    Recount();
}

void CFileStats::OnModelDeleted(CTarnwickModel*)
{
    // The model's undo manager goes with it.
    m_listenedManager = nullptr;
}
