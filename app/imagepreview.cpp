#include "app/imagepreview.h"

#include <QPainter>

#include "app/mfcwinbmp.h"
#include "platform/sysinfo.h"

CImagePreview::CImagePreview(QWidget* parent) : CColorButton(parent) {}

CImagePreview::~CImagePreview() = default;

void CImagePreview::SetBitmap(std::unique_ptr<CMfcWinBmp> bitmap)
{
    m_bitmap = std::move(bitmap);
    update();
}

void CImagePreview::paintEvent(QPaintEvent* event)
{
    if (m_bitmap == nullptr || !m_bitmap->HasBitmap())
    {
        CColorButton::paintEvent(event);
        return;
    }
    // Enabled or not, the picture shows as it is.
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(GetSysColor(COLOR_BTNFACE)));
    m_bitmap->DrawStretched(painter, CRect{2, 2, width() - 2, height() - 2});
}
