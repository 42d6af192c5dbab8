#include "app/stackeddialog.h"

#include <QWidget>

CStackedDialog::~CStackedDialog()
{
    m_pages.clear();
    m_currentPage = nullptr;
}

int CStackedDialog::AddPage(CStackedPage* page)
{
    QWidget* placeholder = GetDlgItem(m_placeholderId);
    if (page == nullptr || GetClientWidget() == nullptr || (!page->HasWindow() && !page->Create(GetClientWidget())))
        return -1;
    m_pages.push_back(page);
    if (QWidget* window = page->GetWindow())
    {
        if (placeholder != nullptr)
            window->move(placeholder->pos());
        window->setEnabled(true);
    }
    return static_cast<int>(m_pages.size()) - 1;
}

void CStackedDialog::SelectPage(CStackedPage* page)
{
    if (m_currentPage != nullptr)
    {
        CStackedPage* previous = m_currentPage;
        previous->OnPageDeactivate();
        previous->ShowWindow(SW_HIDE);
        OnPageShown(previous, false);
        m_currentPage = nullptr;
    }
    if (page == nullptr)
        return;
    page->ShowWindow(SW_SHOW);
    if (QWidget* window = page->GetWindow())
        window->repaint();
    page->OnPageActivate();
    OnPageShown(page, true);
    m_currentPage = page;
}

void CStackedDialog::OnDestroy()
{
    m_pages.clear();
    m_currentPage = nullptr;
    CTwDialog::OnDestroy();
}
