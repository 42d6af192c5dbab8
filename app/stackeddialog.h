#pragma once
// CStackedDialog: a tool window that shows one of several pages in the area of its
// placeholder control.
#include <vector>

#include "app/stackedpage.h"
#include "app/twdialog.h"

class CStackedDialog : public CTwDialog
{
public:
    CStackedDialog(UINT templateId, int placeholderId) : CTwDialog(templateId), m_placeholderId(placeholderId) {}
    // The pages are not the dialog's; it forgets them before its window goes.
    ~CStackedDialog() override;

    // Makes the page's window at the placeholder's corner; its index, or -1 for a null
    // page or one whose window cannot be made.
    int AddPage(CStackedPage* page);
    // Hides the current page and shows this one (null: none).
    void SelectPage(CStackedPage* page);
    [[nodiscard]] CStackedPage* GetCurrentPage() const { return m_currentPage; }
    [[nodiscard]] const std::vector<CStackedPage*>& GetPages() const { return m_pages; }

    virtual void OnPageShown(CStackedPage* page, bool shown) = 0;

protected:
    void OnDestroy() override;

private:
    int m_placeholderId;
    std::vector<CStackedPage*> m_pages;
    CStackedPage* m_currentPage = nullptr;
};
