#include "document/tarnwickpage.h"

#include <utility>

#include "document/pagelist.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "foundation/notificationcenter.h"
#include "model/undomanager.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CTarnwickPage, CEntity, VERSIONABLE_SCHEMA | 1)

namespace {

// Used from the UI thread only.
bool g_pageNotificationsSuppressed = false;

}  // namespace

CTarnwickPage::CTarnwickPage() = default;

CTarnwickPage::CTarnwickPage(const CString& name, const CString& description)
    : m_name(name), m_description(description)
{
}

CTarnwickPage::CTarnwickPage(const CTarnwickPage& other)
    : CEntity(other), m_name(other.m_name), m_description(other.m_description), m_ownerModel(other.m_ownerModel)
{
}

CTarnwickPage::~CTarnwickPage()
{
    StopListening();
}

CEntity* CTarnwickPage::Clone() const
{
    return new CTarnwickPage(*this);
}

void CTarnwickPage::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& page = dynamic_cast<CTarnwickPage&>(other);
    std::swap(m_name, page.m_name);
    std::swap(m_description, page.m_description);
}

int CTarnwickPage::GetTypeId() const
{
    return kTypeTarnwickPage;
}

int CTarnwickPage::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CTarnwickPage), results, result)) {
        return result;
    }
    return CEntity::CheckValidity(mode, results);
}

void CTarnwickPage::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        CEntity::Serialize(ar);
        ArchiveWriteString(ar, m_name);
        ArchiveWriteString(ar, m_description);
        return;
    }
    // Files without a class-version map have no entity part here.
    if (GetLoadedClassVersion(RUNTIME_CLASS(CEntity)) != 0) {
        CEntity::Serialize(ar);
    }
    m_name = ArchiveReadString(ar);
    m_description = ArchiveReadString(ar);
}

void CTarnwickPage::Activate()
{
    if (!g_pageNotificationsSuppressed) {
        GetNotificationCenter().Post(kActivatePageNotification, this);
    }
}

IAnimation* CTarnwickPage::CreateTransition(ITarnisView* /*view*/, CTarnwickPage* /*previous*/)
{
    return nullptr;
}

CString CTarnwickPage::GetTabText() const
{
    return m_name;
}

CString CTarnwickPage::GetTooltipText() const
{
    return m_description.IsEmpty() ? m_name : m_description;
}

void CTarnwickPage::SetPageList(CTarnwickModel* model)
{
    m_ownerModel = model;
    if (!IsAttached() || IsListening() || model == nullptr) {
        return;
    }
    // The owner model's own manager (the current one while the model is read or
    // built): the page then never listens to a manager that ends before its model,
    // which tells the page when it goes.
    if (CUndoManager* manager = model->GetUndoManager()) {
        manager->AddDBListener(this);
        m_listenedManager = manager;
    }
}

CPageList* CTarnwickPage::GetPageList() const
{
    if (auto* list = dynamic_cast<CPageList*>(GetParent())) {
        return list;
    }
    return m_ownerModel != nullptr ? m_ownerModel->GetPageList() : nullptr;
}

int CTarnwickPage::GetIndex() const
{
    if (m_ownerModel == nullptr || m_ownerModel->GetPageList() == nullptr) {
        return -1;
    }
    return m_ownerModel->GetPageList()->IndexOf(this);
}

void CTarnwickPage::Select()
{
    if (CPageList* list = GetPageList()) {
        list->SetSelectedPage(this);
    }
}

void CTarnwickPage::OnModelDeleted(CTarnwickModel* /*model*/)
{
    StopListening();
}

void CTarnwickPage::StopListening()
{
    if (m_listenedManager != nullptr) {
        m_listenedManager->RemoveDBListener(this);
        m_listenedManager = nullptr;
    }
}

void NotifyPage(CTarnwickPage* page, std::int32_t code)
{
    if (g_pageNotificationsSuppressed) {
        return;
    }
    PageNotificationData data{code, page};
    GetNotificationCenter().Post(kPageNotification, &data);
}

bool SuppressPageNotifications(bool suppress)
{
    return std::exchange(g_pageNotificationsSuppressed, suppress);
}

bool ArePageNotificationsSuppressed()
{
    return g_pageNotificationsSuppressed;
}

void NotifyPageFrame(std::int32_t first, std::int32_t second, double time)
{
    PageFrameData data{first, second, time};
    GetNotificationCenter().Post(kPageFrameNotification, &data);
}

CTarnwickPage* ReadPageObject(CArchive& ar)
{
    return static_cast<CTarnwickPage*>(ar.ReadObject(RUNTIME_CLASS(CTarnwickPage)));
}
