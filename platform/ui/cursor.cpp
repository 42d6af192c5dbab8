#include "platform/ui/cursor.h"

#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <map>
#include <memory>

struct CCursorHandle
{
    QCursor cursor;
    int standardId = 0;
};

namespace {

// Qt's shape for each standard id the program asks for.
const std::map<int, Qt::CursorShape>& StandardShapes()
{
    static const std::map<int, Qt::CursorShape> shapes = {
        {IDC_ARROW, Qt::ArrowCursor},       {IDC_IBEAM, Qt::IBeamCursor},
        {IDC_WAIT, Qt::WaitCursor},         {IDC_CROSS, Qt::CrossCursor},
        {IDC_UPARROW, Qt::UpArrowCursor},   {IDC_SIZE, Qt::SizeAllCursor},
        {IDC_ICON, Qt::ArrowCursor},        {IDC_SIZENWSE, Qt::SizeFDiagCursor},
        {IDC_SIZENESW, Qt::SizeBDiagCursor}, {IDC_SIZEWE, Qt::SizeHorCursor},
        {IDC_SIZENS, Qt::SizeVerCursor},    {IDC_SIZEALL, Qt::SizeAllCursor},
        {IDC_NO, Qt::ForbiddenCursor},      {IDC_HAND, Qt::PointingHandCursor},
        {IDC_APPSTARTING, Qt::BusyCursor},  {IDC_HELP, Qt::WhatsThisCursor},
    };
    return shapes;
}

std::map<int, std::unique_ptr<CCursorHandle>>& StandardHandles()
{
    static std::map<int, std::unique_ptr<CCursorHandle>> handles;
    return handles;
}

}  // namespace

HCURSOR LoadStandardCursor(int id)
{
    const auto shape = StandardShapes().find(id);
    if (shape == StandardShapes().end())
        return nullptr;
    auto& slot = StandardHandles()[id];
    if (!slot)
        slot.reset(new CCursorHandle{QCursor(shape->second), id});
    return slot.get();
}

int GetStandardCursorId(HCURSOR cursor)
{
    return cursor != nullptr ? cursor->standardId : 0;
}

HCURSOR CreateImageCursor(int width, int height, const std::uint8_t* bgra, int hotX, int hotY)
{
    if (width < 1 || height < 1 || bgra == nullptr)
        return nullptr;
    // Format_ARGB32 holds each pixel as a native 32-bit word, which on a little-endian
    // machine is the byte order blue, green, red, alpha.
    QImage image(bgra, width, height, width * 4, QImage::Format_ARGB32);
    return new CCursorHandle{QCursor(QPixmap::fromImage(image.copy()), hotX, hotY), 0};
}

void DestroyCursor(HCURSOR cursor)
{
    if (cursor != nullptr && cursor->standardId == 0)
        delete cursor;
}

const QCursor& GetQtCursor(HCURSOR cursor)
{
    if (cursor == nullptr)
        return LoadStandardCursor(IDC_ARROW)->cursor;
    return cursor->cursor;
}
