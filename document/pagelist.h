#pragma once
// CPageList: the pages of a model in tab order and the selected page. The list is the
// parent of its pages. Adding, selecting and clearing post "Page Notification"
// (codes 0, 3 and 5). Save format 3000 has no page list: the model writes its pages
// as a counted list of references instead.

#include <vector>

#include "model/entity.h"
#include "model/entitycontainer.h"

class CTarnwickPage;

class CPageList : public CEntity, public IEntityContainer
{
    DECLARE_SERIAL(CPageList)

public:
    CPageList();
    explicit CPageList(CTarnwickModel* owner);
    // Undo snapshot: the page pointers (shared), the owner and the selection.
    CPageList(const CPageList& other);
    // Frees the list only; the pages go with Clear or Erase.
    ~CPageList() override;

    // The entity part, the pages by reference and the selected page by reference.
    // Reading adds each page (AddPage at the end) and takes the selection as stored,
    // without notification. Throws the archive exception on bad input: a count that
    // is negative or larger than the bytes left, a reference that is no page, and a
    // page that another list holds already.
    void Serialize(CArchive& ar) override;
    // Clears the list, then erases the entity.
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges the page vectors; the other entity must be a page list.
    void SwapData(CEntity& other) override;
    [[nodiscard]] CTarnwickModel* GetModel() const override { return m_ownerModel; }
    // Walks the pages from the last to the first, then checks the selection.
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // IEntityContainer over the pages.
    [[nodiscard]] int GetCount() const override;
    [[nodiscard]] bool IsEmpty() const override;
    [[nodiscard]] bool Contains(const CEntity* entity) const override;
    // Appends and becomes the page's parent; anything but a page is ignored.
    void Add(CEntity* entity) override;
    // Takes the page out and clears its parent; the selection stays as it is.
    bool Remove(CEntity* entity) override;
    // Posts code 5 for the first page, then forgets every page without touching it.
    void RemoveAll() override;
    [[nodiscard]] CEntity* GetAt(int index) const override;
    [[nodiscard]] IEntityIterator* NewIterator() override;

    // Records the change, hands the page the owner model, and inserts it before the
    // page at index (0 <= index < count) or appends it; posts code 0. Returns the
    // page's index.
    int AddPage(CTarnwickPage* page, int index);
    // The selection becomes the page when the list holds it, else null; code 3 is
    // posted with the given page in both cases.
    void SetSelectedPage(CTarnwickPage* page);
    // Null when the list is empty, whatever was stored.
    [[nodiscard]] CTarnwickPage* GetSelectedPage() const;
    // -1 for null and for a page the list lacks.
    [[nodiscard]] int IndexOf(const CTarnwickPage* page) const;
    // Null for an index out of range.
    [[nodiscard]] CTarnwickPage* GetPage(int index) const;
    [[nodiscard]] const std::vector<CTarnwickPage*>& GetPages() const { return m_pages; }
    // Clears the selection; with pages, records the change, posts code 5 for the first
    // page and erases every page.
    void Clear();

    [[nodiscard]] CTarnwickModel* GetOwnerModel() const { return m_ownerModel; }
    void SetOwnerModel(CTarnwickModel* owner) { m_ownerModel = owner; }

private:
    void Read(CArchive& ar);
    void Write(CArchive& ar);
    int CheckSelection(int mode, CValidityResultMap* results);

    std::vector<CTarnwickPage*> m_pages;
    CTarnwickPage* m_selected = nullptr;
    CTarnwickModel* m_ownerModel = nullptr;
};
