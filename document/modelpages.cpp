#include "document/modelpages.h"

#include <algorithm>

#include "document/pagelist.h"
#include "document/tarnwickpage.h"
#include "model/entitylist.h"
#include "model/validitylog.h"
#include "platform/archive.h"

namespace modelpages {

CPageList* CreatePageList(CTarnwickModel* model)
{
    return new CPageList(model);
}

void ErasePageList(CPageList* list)
{
    if (list != nullptr) {
        list->Erase();
    }
}

void ClearPageList(CPageList* list)
{
    if (list != nullptr) {
        list->Clear();
    }
}

CEntity* AsEntity(CPageList* list)
{
    return list;
}

int CheckPageList(CPageList* list, int mode, CValidityResultMap& results)
{
    return CheckEntityValidity(list, "CPageList", mode, &results);
}

void ForgetPages(CPageList* list, const std::vector<CObject*>& sortedObjects)
{
    if (list == nullptr) {
        return;
    }
    const auto made = [&sortedObjects](const CObject* object) {
        return object != nullptr && std::binary_search(sortedObjects.begin(), sortedObjects.end(), object);
    };
    for (int i = list->GetCount() - 1; i >= 0; --i) {
        CEntity* page = list->GetAt(i);
        if (made(page)) {
            list->Remove(page);
        }
    }
    if (made(list->GetSelectedPage())) {
        list->SetSelectedPage(nullptr);
    }
}

void ReadPageList(CArchive& ar, CPageList* list)
{
    list->Serialize(ar);
}

void WritePageList(CArchive& ar, CPageList* list)
{
    list->Serialize(ar);
}

void ReadPageReferences(CArchive& ar, CPageList* list)
{
    const std::int32_t count = ReadReferenceCount(ar);
    for (std::int32_t i = 0; i < count; ++i) {
        auto* page = static_cast<CTarnwickPage*>(ar.ReadObject(RUNTIME_CLASS(CTarnwickPage)));
        // A page already placed (a second reference to it) stays where it is.
        if (page != nullptr && page->GetParent() == nullptr) {
            list->AddPage(page, -1);
        }
    }
    list->SetSelectedPage(list->GetPage(0));
}

void WritePageReferences(CArchive& ar, CPageList* list)
{
    const int count = list->GetCount();
    ar << static_cast<std::int32_t>(count);
    for (int i = 0; i < count; ++i) {
        ar.WriteObject(list->GetPage(i));
    }
}

}  // namespace modelpages
