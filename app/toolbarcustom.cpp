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

void CToolBarCustom::AddImages(CImageList& colour, CImageList& grey, int resourceId, const char* resourceType)
{
    const auto [shown, greyed] = CreateToolbarImagesFromResource(resourceId, resourceType, colour.GetWidth());
    if (!shown.isNull())
        colour.Add(shown.width(), shown.height(), shown.constBits());
    if (!greyed.isNull())
        grey.Add(greyed.width(), greyed.height(), greyed.constBits());
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
            AddImages(m_smallColour, m_smallGrey, button.smallImage, button.resourceType);
            AddImages(m_largeColour, m_largeGrey, button.largeImage, button.resourceType);
        }
    }
    SetButtons(ids);
    TrackButtonPresses();
    ApplyButtonSize();
}
