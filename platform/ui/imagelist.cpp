#include "platform/ui/imagelist.h"

#include <QImage>
#include <QPixmap>

CImageList::CImageList() = default;
CImageList::~CImageList() = default;

void CImageList::Create(int width, int height)
{
    m_width = width;
    m_height = height;
    m_images.clear();
}

void CImageList::DeleteImageList()
{
    m_width = 0;
    m_height = 0;
    m_images.clear();
}

int CImageList::Add(int width, int height, const std::uint8_t* bgra)
{
    if (!IsCreated() || width < 1 || height < 1 || bgra == nullptr)
        return -1;
    QImage image = QImage(bgra, width, height, width * 4, QImage::Format_ARGB32).copy();
    if (width != m_width || height != m_height)
        image = image.scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_images.push_back(QPixmap::fromImage(image));
    return GetImageCount() - 1;
}

int CImageList::GetImageCount() const
{
    return static_cast<int>(m_images.size());
}

const QPixmap* CImageList::GetImage(int index) const
{
    if (index < 0 || index >= GetImageCount())
        return nullptr;
    return &m_images[static_cast<size_t>(index)];
}
