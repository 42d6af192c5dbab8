#include "platform/ui/toolbar.h"

#include <QAction>
#include <QIcon>
#include <QPixmap>
#include <QToolBar>

#include "platform/ui/framewnd.h"
#include "platform/ui/imagelist.h"

bool CToolBar::Create(CFrameWnd& frame, UINT id, DWORD side)
{
    if (!CreateDockable(frame, id, side))
        return false;
    GetDockableBar()->setIconSize(QSize(m_imageWidth, m_imageHeight));
    return true;
}

void CToolBar::SetButtons(const std::vector<UINT>& ids)
{
    m_ids = ids;
    QToolBar* bar = GetDockableBar();
    if (bar == nullptr)
        return;
    bar->clear();
    for (UINT id : ids)
    {
        if (id == 0)
            bar->addSeparator();
        else if (QAction* action = GetDockSite()->GetAction(id))
            bar->addAction(action);
    }
    ApplyImages();
}

UINT CToolBar::GetItemID(int index) const
{
    if (index < 0 || index >= GetCount())
        return 0;
    return m_ids[static_cast<size_t>(index)];
}

int CToolBar::GetImageIndex(int index) const
{
    if (GetItemID(index) == 0)
        return -1;
    int image = 0;
    for (int i = 0; i < index; ++i)
        if (m_ids[static_cast<size_t>(i)] != 0)
            ++image;
    return image;
}

void CToolBar::SetSizes(int buttonWidth, int buttonHeight, int imageWidth, int imageHeight)
{
    m_buttonWidth = buttonWidth;
    m_buttonHeight = buttonHeight;
    m_imageWidth = imageWidth;
    m_imageHeight = imageHeight;
    if (QToolBar* bar = GetDockableBar())
        bar->setIconSize(QSize(imageWidth, imageHeight));
}

void CToolBar::SetImageList(const CImageList* images)
{
    m_images = images;
    ApplyImages();
}

void CToolBar::SetDisabledImageList(const CImageList* images)
{
    m_disabledImages = images;
    ApplyImages();
}

void CToolBar::ApplyImages()
{
    if (GetDockSite() == nullptr)
        return;
    for (int i = 0; i < GetCount(); ++i)
    {
        const int image = GetImageIndex(i);
        QAction* action = image < 0 ? nullptr : GetDockSite()->GetAction(GetItemID(i));
        if (action == nullptr)
            continue;
        QIcon icon;
        if (m_images != nullptr && m_images->GetImage(image) != nullptr)
            icon.addPixmap(*m_images->GetImage(image), QIcon::Normal);
        if (m_disabledImages != nullptr && m_disabledImages->GetImage(image) != nullptr)
            icon.addPixmap(*m_disabledImages->GetImage(image), QIcon::Disabled);
        action->setIcon(icon);
    }
}
