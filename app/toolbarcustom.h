#pragma once
// CToolBarCustom: a toolbar whose buttons come from a button table and embedded pictures:
// colour and greyed images at 16 and 24 pixels, switched with the button size.
#include "app/toolbarbuttons.h"
#include "app/toolbarex.h"
#include "platform/ui/imagelist.h"

class CToolBarCustom : public CToolBarEx
{
public:
    bool ApplyButtonSize() override;
    [[nodiscard]] int GetLargeButtonWidth() const override { return 31; }
    [[nodiscard]] int GetSmallButtonWidth() const override { return 23; }
    void CreateImageLists();
    void DeleteImageLists();
    // The resource's image in colour and greyed over the button face, drawn once at the
    // colour list's size; nothing is added when the image does not load.
    void AddImages(CImageList& colour, CImageList& grey, int resourceId, const char* resourceType);

    // Title, buttons and images from the table; `count` buttons of it are used.
    void SetupButtons(int titleStringId, int count, const std::vector<CToolbarButton>& table, bool small);

    [[nodiscard]] const CImageList& GetSmallColourImages() const { return m_smallColour; }
    [[nodiscard]] const CImageList& GetLargeColourImages() const { return m_largeColour; }
    [[nodiscard]] const CImageList& GetSmallGreyImages() const { return m_smallGrey; }
    [[nodiscard]] const CImageList& GetLargeGreyImages() const { return m_largeGrey; }

    bool m_customImages = false;

private:
    CImageList m_smallColour;
    CImageList m_largeColour;
    CImageList m_smallGrey;
    CImageList m_largeGrey;
};
