#include "app/basecursors.h"

const std::vector<CCursorRecord>& GetCursorTable()
{
    // Only the camera tools' cursors have images among the program's resources ("VPNG");
    // the "PNG" rows load nothing and fall through to the later lookups.
    static const std::vector<CCursorRecord> table = {
        {632, 1, 31, "cursor_Pencil", "PNG"},         {633, 3, 7, "cursor_Select", "PNG"},
        {634, 3, 7, "cursor_SelectAdd", "PNG"},       {636, 3, 7, "cursor_SelectSubtract", "PNG"},
        {635, 3, 7, "cursor_SelectInvert", "PNG"},    {419, 10, 10, "cursor_Camera", "VPNG"},
        {637, 1, 31, "cursor_Rectangle", "PNG"},      {638, 5, 23, "cursor_Measure", "PNG"},
        {639, 15, 3, "cursor_PushPull", "PNG"},       {755, 15, 3, "cursor_PushPullCopy", "PNG"},
        {640, 5, 5, "cursor_FollowMe", "PNG"},        {1003, 16, 16, "cursor_Dolly", "VPNG"},
        {418, 16, 16, "cursor_Turn", "VPNG"},         {420, 16, 16, "cursor_Walk", "VPNG"},
        {421, 11, 11, "cursor_Zoom", "VPNG"},         {422, 11, 11, "cursor_ZoomWindow", "VPNG"},
        {641, 16, 16, "cursor_Move", "PNG"},          {642, 16, 16, "cursor_MoveCopy", "PNG"},
        {643, 11, 19, "cursor_Rotate", "PNG"},        {644, 11, 19, "cursor_RotateCopy", "PNG"},
        {646, 8, 6, "cursor_Offset", "PNG"},          {645, 9, 22, "cursor_Eraser", "PNG"},
        {629, 1, 31, "cursor_Arc1", "PNG"},           {630, 1, 31, "cursor_Arc2", "PNG"},
        {631, 1, 31, "cursor_Arc3", "PNG"},           {647, 6, 26, "cursor_Paint", "PNG"},
        {681, 6, 26, "cursor_Paint5", "PNG"},         {648, 6, 26, "cursor_Paint2", "PNG"},
        {649, 6, 26, "cursor_Paint3", "PNG"},         {650, 6, 26, "cursor_Paint4", "PNG"},
        {651, 9, 23, "cursor_Match", "PNG"},          {652, 9, 23, "cursor_Match1", "PNG"},
        {653, 16, 25, "cursor_PositionCamera", "PNG"}, {654, 7, 8, "cursor_Protractor", "PNG"},
        {655, 1, 31, "cursor_Freehand", "PNG"},       {656, 2, 28, "cursor_Text", "PNG"},
        {657, 6, 1, "cursor_Pointer", "PNG"},         {658, 9, 9, "cursor_Scale", "PNG"},
        {659, 16, 15, "cursor_NS", "PNG"},            {660, 16, 16, "cursor_EW", "PNG"},
        {661, 16, 16, "cursor_NESW", "PNG"},          {662, 16, 15, "cursor_NWSE", "PNG"},
        {667, 16, 16, "cursor_ENE", "PNG"},           {666, 17, 15, "cursor_NNE", "PNG"},
        {664, 16, 15, "cursor_WNW", "PNG"},           {665, 16, 16, "cursor_NNW", "PNG"},
        {736, 5, 9, "cursor_ScaleNo", "PNG"},         {663, 15, 15, "cursor_Nodrop", "PNG"},
        {668, 11, 10, "cursor_ClosedHand", "PNG"},    {671, 11, 10, "cursor_OpenHand", "PNG"},
        {670, 11, 10, "cursor_PointHand", "PNG"},     {669, 15, 16, "cursor_North", "PNG"},
        {466, 16, 16, "cursor_WalkNo", "VPNG"},
    };
    return table;
}

CBaseCursors::CBaseCursors() : m_table(GetCursorTable()) {}

CBaseCursors::~CBaseCursors() = default;

HCURSOR CBaseCursors::GetTableCursor(int id)
{
    for (CCursorRecord& record : m_table)
    {
        if (record.id != id)
            continue;
        if (record.handle == nullptr)
            record.handle = LoadImageCursor(record.id, record.resourceType, record.hotX, record.hotY);
        return record.handle;
    }
    return nullptr;
}

HCURSOR CBaseCursors::GetCursor(int id)
{
    if (id == 0)
        return GetDefaultCursor();
    if (HCURSOR cursor = GetSystemCursor(id))
        return cursor;
    if (HCURSOR cursor = GetTableCursor(id))
        return cursor;
    for (const CCursorRecord& record : m_runtime)
        if (record.id == id && record.handle != nullptr)
            return record.handle;
    return GetDefaultCursor();
}

int CBaseCursors::AddCursor(const CCursorRecord& record)
{
    CCursorRecord copy = record;
    copy.id = ++m_lastRuntimeId;
    m_runtime.push_back(copy);
    return copy.id;
}
