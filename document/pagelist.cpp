#include "document/pagelist.h"

#include <algorithm>
#include <utility>

#include "document/containeriterator.h"
#include "document/pagemessages.h"
#include "document/tarnwickpage.h"
#include "model/entitylist.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CPageList, CEntity, VERSIONABLE_SCHEMA | 1)

CPageList::CPageList() = default;

CPageList::CPageList(CTarnwickModel* owner) : m_ownerModel(owner) {}

CPageList::CPageList(const CPageList& other)
    : CEntity(other), m_pages(other.m_pages), m_selected(other.m_selected), m_ownerModel(other.m_ownerModel)
{
}

CPageList::~CPageList() = default;

CEntity* CPageList::Clone() const
{
    return new CPageList(*this);
}

void CPageList::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    std::swap(m_pages, dynamic_cast<CPageList&>(other).m_pages);
}

int CPageList::GetTypeId() const
{
    return kTypePageList;
}

void CPageList::Erase()
{
    Clear();
    CEntity::Erase();
}

int CPageList::GetCount() const
{
    return static_cast<int>(m_pages.size());
}

bool CPageList::IsEmpty() const
{
    return m_pages.empty();
}

bool CPageList::Contains(const CEntity* entity) const
{
    return ListContains(m_pages, entity);
}

void CPageList::Add(CEntity* entity)
{
    if (auto* page = dynamic_cast<CTarnwickPage*>(entity)) {
        m_pages.push_back(page);
        page->SetParent(this);
    }
}

bool CPageList::Remove(CEntity* entity)
{
    const auto found = std::find(m_pages.begin(), m_pages.end(), entity);
    if (entity == nullptr || found == m_pages.end()) {
        return false;
    }
    m_pages.erase(found);
    entity->SetParent(nullptr);
    return true;
}

void CPageList::RemoveAll()
{
    if (!m_pages.empty()) {
        NotifyPage(m_pages.front(), kPagesCleared);
    }
    m_pages.clear();
}

CEntity* CPageList::GetAt(int index) const
{
    return ListAt(m_pages, index);
}

IEntityIterator* CPageList::NewIterator()
{
    return new CContainerIterator(this);
}

int CPageList::AddPage(CTarnwickPage* page, int index)
{
    RecordChange(true);
    page->SetPageList(m_ownerModel);
    page->SetParent(this);
    int position = GetCount();
    if (index >= 0 && index < GetCount()) {
        m_pages.insert(m_pages.begin() + index, page);
        position = index;
    } else {
        m_pages.push_back(page);
    }
    NotifyPage(page, kPageAdded);
    return position;
}

void CPageList::SetSelectedPage(CTarnwickPage* page)
{
    m_selected = Contains(page) ? page : nullptr;
    NotifyPage(page, kPageSelected);
}

CTarnwickPage* CPageList::GetSelectedPage() const
{
    return m_pages.empty() ? nullptr : m_selected;
}

int CPageList::IndexOf(const CTarnwickPage* page) const
{
    if (page == nullptr) {
        return -1;
    }
    const auto found = std::find(m_pages.begin(), m_pages.end(), page);
    return found == m_pages.end() ? -1 : static_cast<int>(found - m_pages.begin());
}

CTarnwickPage* CPageList::GetPage(int index) const
{
    return ListAt(m_pages, index);
}

void CPageList::Clear()
{
    m_selected = nullptr;
    if (m_pages.empty()) {
        return;
    }
    RecordChange(true);
    NotifyPage(m_pages.front(), kPagesCleared);
    // The vector is emptied first: an erased page may end at once, and nothing must
    // reach it through the list afterwards.
    const std::vector<CTarnwickPage*> pages = std::exchange(m_pages, {});
    EraseEach(pages);
}

void CPageList::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        Read(ar);
    } else {
        Write(ar);
    }
}

void CPageList::Write(CArchive& ar)
{
    CEntity::Serialize(ar);
    WriteReferences(ar, m_pages);
    ar.WriteObject(Contains(m_selected) ? m_selected : nullptr);
}

void CPageList::Read(CArchive& ar)
{
    CEntity::Serialize(ar);
    const std::int32_t count = ReadReferenceCount(ar);
    for (std::int32_t i = 0; i < count; ++i) {
        CTarnwickPage* page = ReadPageObject(ar);
        if (page == nullptr) {
            continue;
        }
        // A list erases its pages: a page held twice would be erased twice.
        if (page->GetParent() != nullptr) {
            AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
        }
        AddPage(page, -1);
    }
    const UINT known = ar.GetMapCount();
    CTarnwickPage* selected = ReadPageObject(ar);
    if (selected != nullptr && !Contains(selected)) {
        // A page this reference made belongs to nobody; a later reference may still
        // reach it, so it lives until the archive closes. One read before (a
        // relationship's end) is left to what read it, which still holds it.
        if (selected->GetParent() == nullptr && ar.IsMadeAfter(selected, known)) {
            ar.DeleteWhenClosed(selected);
        }
        selected = nullptr;
    }
    m_selected = selected;
}

int CPageList::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CPageList), results, result)) {
        return result;
    }
    const int base = CEntity::CheckValidity(mode, results);
    if (base != kValiditySound) {
        return SetCheckResult(base, results);
    }
    int worst = kValiditySound;
    for (int i = GetCount() - 1; i >= 0; --i) {
        CTarnwickPage* page = m_pages[static_cast<std::size_t>(i)];
        if (page == nullptr || !page->IsKindOf(RUNTIME_CLASS(CTarnwickPage))) {
            AppendPageMessage(kMsgBadPageEntry, i, GetEntityLabel(this));
            return SetCheckResult(kValidityBroken, results);
        }
        const int pageResult = page->CheckValidity(mode, results);
        if (pageResult >= kValidityStale) {
            return SetCheckResult(pageResult, results);
        }
        worst = std::max(worst, pageResult);
    }
    worst = std::max(worst, CheckSelection(mode, results));
    return worst == kValiditySound ? kValiditySound : SetCheckResult(worst, results);
}

int CPageList::CheckSelection(int mode, CValidityResultMap* results)
{
    if (m_selected == nullptr) {
        return kValiditySound;
    }
    if (!m_selected->IsKindOf(RUNTIME_CLASS(CTarnwickPage))) {
        AppendPageMessage(kMsgBadSelectedPage, GetEntityLabel(this));
        return kValidityBroken;
    }
    return m_selected->CheckValidity(mode, results);
}
