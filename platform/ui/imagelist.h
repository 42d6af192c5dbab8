#pragma once
// CImageList: images of one size for the buttons of a toolbar, added one by one.
#include <cstdint>
#include <vector>

class QPixmap;

class CImageList
{
public:
    CImageList();
    ~CImageList();
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    void Create(int width, int height);
    void DeleteImageList();
    [[nodiscard]] bool IsCreated() const { return m_width > 0; }
    [[nodiscard]] int GetWidth() const { return m_width; }
    [[nodiscard]] int GetHeight() const { return m_height; }
    // Pixels top row first, bytes blue, green, red, alpha; the image is scaled to the
    // list's size when it differs. The new index, -1 when the list is not created.
    int Add(int width, int height, const std::uint8_t* bgra);
    [[nodiscard]] int GetImageCount() const;
    // Null for an index outside the list.
    [[nodiscard]] const QPixmap* GetImage(int index) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<QPixmap> m_images;
};
