#include "app/modelinfodlg.h"

#include <QListWidget>
#include <filesystem>

#include "app/filepp.h"
#include "app/filestats.h"
#include "app/hostservices.h"
#include "document/tarnwickmodel.h"
#include "document/tarnwickpage.h"
#include "platform/ui/dialogtemplate.h"
#include "platform/ui/stringtable.h"

namespace {

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

}  // namespace

CModelInfoDlg::CModelInfoDlg() : CStackedDialog(kTemplateId, kPageArea) {}

CModelInfoDlg::~CModelInfoDlg()
{
    StopObserving();
    // The pages' windows go with this window, before the pages themselves.
    DestroyWindow();
}

void CModelInfoDlg::CreateTemplateControls()
{
    CDialogTemplate t(*this);
    auto* list = t.ListBox(kPageList, 6, 6, 64, 360);
    t.Static(kPageArea, CString(), 76, 6, 250, 360);
    SetClientSize(kClientWidth, 372);
    SetTemplateOrigin(80, 120);
    QObject::connect(list, &QListWidget::currentRowChanged, [this](int row) { OnPageChosen(row); });
}

bool CModelInfoDlg::OnInitDialog()
{
    CStackedDialog::OnInitDialog();
    m_pages[kFileSlot] = std::make_unique<CFilePP>();
    m_pages[kStatisticsSlot] = std::make_unique<CFileStats>();
    auto* list = static_cast<QListWidget*>(GetDlgItem(kPageList));
    const struct
    {
        int slot;
        int title;
    } entries[] = {{kFileSlot, kFileStringId}, {kStatisticsSlot, kStatisticsStringId}};
    for (const auto& entry : entries)
    {
        CStackedPage* page = GetPage(entry.slot);
        AddPage(page);
        page->ShowWindow(SW_HIDE);
        auto* item = new QListWidgetItem(ToQString(LoadStringResource(entry.title)));
        item->setData(Qt::UserRole, entry.slot);
        const QSignalBlocker blocker(list);
        list->addItem(item);
    }
    ReadCurrentPage();
    ShowListPage(GetCurrentPageIndex() >= 0 && GetCurrentPageIndex() < list->count() ? GetCurrentPageIndex() : 0);
    UpdateTitle();
    return true;
}

CStackedPage* CModelInfoDlg::PageOfEntry(int index) const
{
    const auto* list = static_cast<QListWidget*>(GetDlgItem(kPageList));
    const QListWidgetItem* item = list != nullptr ? list->item(index) : nullptr;
    return item != nullptr ? GetPage(item->data(Qt::UserRole).toInt()) : nullptr;
}

void CModelInfoDlg::ShowListPage(int index)
{
    SetCurSel(kPageList, index);
    SelectPage(PageOfEntry(index));
}

void CModelInfoDlg::OnPageChosen(int index)
{
    SetCurrentPageIndex(index);
    WriteCurrentPage();
    CStackedPage* page = PageOfEntry(index);
    SelectPage(page);
    if (page != nullptr)
        page->SetModel(GetCurrentModel());
}

bool CModelInfoDlg::SelectPageByName(int stringId)
{
    const auto* list = static_cast<QListWidget*>(GetDlgItem(kPageList));
    const QString name = ToQString(LoadStringResource(stringId));
    for (int i = 0; list != nullptr && i < list->count(); ++i)
        if (list->item(i)->text() == name)
        {
            ShowListPage(i);
            return true;
        }
    return false;
}

void CModelInfoDlg::SelectPageByPointer(CStackedPage* page, bool show)
{
    const auto* list = static_cast<QListWidget*>(GetDlgItem(kPageList));
    for (int i = 0; list != nullptr && i < list->count(); ++i)
        if (PageOfEntry(i) == page)
        {
            SetCurSel(kPageList, i);
            if (show)
                SelectPage(page);
            return;
        }
}

void CModelInfoDlg::OnPageShown(CStackedPage* /*page*/, bool /*shown*/) {}

void CModelInfoDlg::OnShowWindow(bool show)
{
    CStackedDialog::OnShowWindow(show);
    if (!show)
    {
        StopObserving();
        return;
    }
    if (!m_observing)
    {
        CNotificationCenter& center = GetNotificationCenter();
        for (const char* name : {kResynchUINotification, kModelNameChangedNotification, kShadowNotification,
                                 kRenderingOptionsChangeNotification, kPageNotification})
            center.AddObserver(name, this);
        m_observing = true;
    }
    GiveModelToPages();
}

void CModelInfoDlg::StopObserving()
{
    if (!m_observing)
        return;
    GetNotificationCenter().RemoveObserver(this);
    m_observing = false;
}

void CModelInfoDlg::OnCancel()
{
    StopObserving();
    CStackedDialog::OnCancel();
    // Its cancel hides it, so that it listens again when shown.
    ShowTool(false);
}

void CModelInfoDlg::Close()
{
    StopObserving();
    CStackedDialog::Close();
}

void CModelInfoDlg::OnDestroy()
{
    StopObserving();
    CStackedDialog::OnDestroy();
}

void CModelInfoDlg::GiveModelToPages()
{
    CTarnwickModel* model = GetCurrentModel();
    for (const auto& page : m_pages)
        if (page != nullptr)
            page->SetModel(model);
}

void CModelInfoDlg::UpdateTitle()
{
    CString title = LoadStringResource(kTitleStringId);
    const CString path = GetModelPathName(GetCurrentModel());
    const CString name = CString::FromUtf8(std::filesystem::path(path.ToUtf8()).stem().string());
    if (!name.IsEmpty())
        title += CString(" - ") + name;
    SetWindowText(title);
}

void CModelInfoDlg::OnNotify(const std::string& name, void* data)
{
    if (name == kModelNameChangedNotification || name == kResynchUINotification)
    {
        GiveModelToPages();
        UpdateTitle();
    }
    else if (name == kPageNotification && data != nullptr &&
             static_cast<const PageNotificationData*>(data)->code == kPageSelected)
        GiveModelToPages();
}
