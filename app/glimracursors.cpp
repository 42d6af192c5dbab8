#include "app/glimracursors.h"

#include <algorithm>
#include <array>

#include "app/mfcwinbmp.h"

namespace {

constexpr std::array kSystemCursorIds = {IDC_ARROW,    IDC_WAIT,     IDC_CROSS,    IDC_UPARROW, IDC_SIZE,
                                         IDC_ICON,     IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE,  IDC_SIZENS,
                                         IDC_SIZEALL,  IDC_NO,       IDC_APPSTARTING, IDC_HELP};

CString FileName(const CString& path)
{
    const int slash = path.ReverseFind(u'/');
    return slash < 0 ? path : path.Mid(slash + 1);
}

}  // namespace

CGlimraCursors::~CGlimraCursors()
{
    for (const CCursorRecord& record : GetTable())
        DestroyCursor(record.handle);
    for (const CCursorRecord& record : GetRuntimeCursors())
        DestroyCursor(record.handle);
}

int CGlimraCursors::AddCursorFromFile(const CString& path, float hotX, float hotY)
{
    HCURSOR cursor = CreateCursorFromFile(path, CPoint{static_cast<int>(hotX), static_cast<int>(hotY)});
    if (cursor == nullptr)
        return 0;
    CCursorRecord record;
    record.hotX = hotX;
    record.hotY = hotY;
    record.name = FileName(path).ToUtf8();
    record.handle = cursor;
    return AddCursor(record);
}

HCURSOR CGlimraCursors::GetSystemCursor(int id)
{
    if (std::find(kSystemCursorIds.begin(), kSystemCursorIds.end(), id) == kSystemCursorIds.end())
        return nullptr;
    return LoadStandardCursor(id);
}

HCURSOR CGlimraCursors::GetDefaultCursor()
{
    return LoadStandardCursor(IDC_ARROW);
}

HCURSOR CGlimraCursors::LoadImageCursor(int id, const std::string& resourceType, float hotX, float hotY)
{
    return CreateCursorFromResource(id, resourceType.c_str(),
                                    CPoint{static_cast<int>(hotX), static_cast<int>(hotY)});
}

CGlimraCursors& GetGlimraCursors()
{
    static CGlimraCursors cursors;
    return cursors;
}
