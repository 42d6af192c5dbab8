#include "app/buttonimagest.h"

#include <QPainter>
#include <cstring>

#include "app/mfcwinbmp.h"
#include "platform/sysinfo.h"

namespace {

std::unique_ptr<CMfcWinBmp> LoadPicture(const char* resourceType, int id, int size)
{
    auto bitmap = std::make_unique<CMfcWinBmp>();
    const bool loaded = std::strcmp(resourceType, "SVG") == 0 ? bitmap->LoadFromSvgResource(id, size, size)
                                                              : bitmap->LoadFromResource(id, resourceType);
    return loaded ? std::move(bitmap) : nullptr;
}

}  // namespace

CButtonImageST::CButtonImageST(QWidget* parent) : CButtonST(parent) {}

CButtonImageST::~CButtonImageST() = default;

bool CButtonImageST::LoadImages(const char* resourceType, int id, int size)
{
    m_normal = LoadPicture(resourceType, id, size);
    m_disabled = LoadPicture(resourceType, id, size);
    if (m_normal == nullptr || m_disabled == nullptr)
    {
        m_normal.reset();
        m_disabled.reset();
        update();
        return false;
    }
    const DWORD face = GetSysColor(COLOR_BTNFACE) | 0xFF000000u;
    m_normal->BlendOver(face);
    m_disabled->MakeDisabled(face);
    update();
    return true;
}

void CButtonImageST::DrawImage(QPainter& painter, const QRect& rect, QRect& /*captionRect*/, bool /*pressed*/,
                               bool disabled)
{
    const CMfcWinBmp* picture = disabled ? m_disabled.get() : m_normal.get();
    if (picture == nullptr)
        return;
    const int left = rect.left() + (rect.width() - picture->GetWidth()) / 2;
    const int top = rect.top() + (rect.height() - picture->GetHeight()) / 2;
    picture->Draw(painter, CRect{left, top, left + picture->GetWidth(), top + picture->GetHeight()}, false);
}
