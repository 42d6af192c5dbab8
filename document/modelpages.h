#pragma once
// The model's pages as the model root and its file frame use them: the page list it
// owns (an embedded record from the newest formats on) and the counted list of page
// references that older formats hold instead. Kept apart so that the model root does
// not depend on the page classes' headers.

#include <vector>

#include "model/entity.h"

class CArchive;
class CObject;
class CPageList;
class CTarnwickModel;

namespace modelpages {

// The model's page list, owned by the model.
[[nodiscard]] CPageList* CreatePageList(CTarnwickModel* model);
// Erases the list with its pages; null is ignored.
void ErasePageList(CPageList* list);
// Clears the selection and erases every page.
void ClearPageList(CPageList* list);
// The list as the entity it is, for what the model does to each of its members.
[[nodiscard]] CEntity* AsEntity(CPageList* list);
[[nodiscard]] int CheckPageList(CPageList* list, int mode, CValidityResultMap& results);
// Drops, without erasing, every page of the sorted set and a selection among them.
void ForgetPages(CPageList* list, const std::vector<CObject*>& sortedObjects);

// The embedded page-list record.
void ReadPageList(CArchive& ar, CPageList* list);
void WritePageList(CArchive& ar, CPageList* list);
// The older form: int32 count, then one page reference each; every page read is
// appended and the first page selected.
void ReadPageReferences(CArchive& ar, CPageList* list);
void WritePageReferences(CArchive& ar, CPageList* list);

}  // namespace modelpages
