#include "app/toolbarcustom.h"

#include <QImage>
#include <algorithm>

#include "app/mfcwinbmp.h"
#include "platform/ui/stringtable.h"

bool CToolBarCustom::ApplyButtonSize()
{
    if (!m_customImages)
        return CToolBarEx::ApplyButtonSize();
    if (m_bSmall)
    {
        SetSizes(23, 22, 16, 16);
        SetImageList(&m_smallColour);
        SetDisabledImageList(&m_smallGrey);
    }
    else
    {
        SetSizes(31, 30, 24, 24);
        SetImageList(&m_largeColour);
        SetDisabledImageList(&m_largeGrey);
    }
    return true;
}

void CToolBarCustom::CreateImageLists()
{
    m_smallColour.Create(16, 16);
    m_largeColour.Create(24, 24);
    m_smallGrey.Create(16, 16);
    m_largeGrey.Create(24, 24);
}

void CToolBarCustom::DeleteImageLists()
{
    SetImageList(nullptr);
    SetDisabledImageList(nullptr);
    m_smallColour.DeleteImageList();
    m_largeColour.DeleteImageList();
    m_smallGrey.DeleteImageList();
    m_largeGrey.DeleteImageList();
}

int CToolBarCustom::AddImage(CImageList* list, int resourceId, const char* resourceType, bool colour)
{
    if (list == nullptr)
        return -1;
    const QImage icon = CreateToolbarImageFromResource(resourceId, resourceType, colour, list->GetWidth());
    if (icon.isNull())
        return -1;
    return list->Add(icon.width(), icon.height(), icon.constBits());
}

void CToolBarCustom::SetupButtons(int titleStringId, int count, const std::vector<CToolbarButton>& table, bool small)
{
    const CString title = LoadStringResource(titleStringId);
    m_customImages = true;
    CreateImageLists();
    m_bSmall = small;
    SetWindowText(title);
    ApplyButtonSize();
    DeleteImageLists();

    count = std::clamp(count, 0, static_cast<int>(table.size()));
    m_customImages = count > 0;
    std::vector<UINT> ids;
    if (count > 0)
    {
        CreateImageLists();
        for (int i = 0; i < count; ++i)
        {
            const CToolbarButton& button = table[static_cast<size_t>(i)];
            ids.push_back(button.command);
            if (button.command == 0)
                continue;
            AddImage(&m_smallColour, button.smallImage, button.resourceType, true);
            AddImage(&m_largeColour, button.largeImage, button.resourceType, true);
            AddImage(&m_smallGrey, button.smallImage, button.resourceType, false);
            AddImage(&m_largeGrey, button.largeImage, button.resourceType, false);
        }
    }
    SetButtons(ids);
    TrackButtonPresses();
    ApplyButtonSize();
}
