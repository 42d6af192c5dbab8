#pragma once
// CToolBar: a dockable bar of command buttons (0 in the id array is a separator), with
// button images from an image list and greyed ones from a disabled-image list.
#include <vector>

#include "platform/ui/controlbar.h"

class CImageList;

// The bar's remembered width before it was ever floated or wrapped.
inline constexpr int kUnsetBarWidth = 32767;

class CToolBar : public CControlBar
{
public:
    bool Create(CFrameWnd& frame, UINT id, DWORD side);
    void SetButtons(const std::vector<UINT>& ids);
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_ids.size()); }
    [[nodiscard]] UINT GetItemID(int index) const;
    // The list image shown on the button: buttons count their images in order, skipping
    // separators. -1 for a separator or an index outside the bar.
    [[nodiscard]] int GetImageIndex(int index) const;

    void SetSizes(int buttonWidth, int buttonHeight, int imageWidth, int imageHeight);
    [[nodiscard]] int GetButtonWidth() const { return m_buttonWidth; }
    [[nodiscard]] int GetButtonHeight() const { return m_buttonHeight; }
    [[nodiscard]] int GetImageWidth() const { return m_imageWidth; }
    // The lists stay the caller's; the buttons take their images now.
    void SetImageList(const CImageList* images);
    void SetDisabledImageList(const CImageList* images);
    [[nodiscard]] const CImageList* GetImageList() const { return m_images; }
    [[nodiscard]] const CImageList* GetDisabledImageList() const { return m_disabledImages; }

    // The width the bar wraps to when floating or docked on a side.
    int m_nMRUWidth = kUnsetBarWidth;

private:
    void ApplyImages();

    std::vector<UINT> m_ids;
    int m_buttonWidth = 23;
    int m_buttonHeight = 22;
    int m_imageWidth = 16;
    int m_imageHeight = 15;
    const CImageList* m_images = nullptr;
    const CImageList* m_disabledImages = nullptr;
};
