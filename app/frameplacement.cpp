#include "app/frameplacement.h"

#include <algorithm>
#include <cstdint>

#include "foundation/syshelpers.h"
#include "platform/profile.h"
#include "platform/sysinfo.h"

namespace {

const CString kSection("MainFrame");

// Reads or writes one integer field of the record by name.
int* FieldOf(WINDOWPLACEMENT& placement, const char* name)
{
    const CString key(name);
    if (key == CString("wp.showCmd"))
        return reinterpret_cast<int*>(&placement.showCmd);
    if (key == CString("wp.flags"))
        return reinterpret_cast<int*>(&placement.flags);
    if (key == CString("wp.ptMinPosition.x"))
        return &placement.ptMinPosition.x;
    if (key == CString("wp.ptMinPosition.y"))
        return &placement.ptMinPosition.y;
    if (key == CString("wp.ptMaxPosition.x"))
        return &placement.ptMaxPosition.x;
    if (key == CString("wp.ptMaxPosition.y"))
        return &placement.ptMaxPosition.y;
    if (key == CString("wp.left"))
        return &placement.rcNormalPosition.left;
    if (key == CString("wp.right"))
        return &placement.rcNormalPosition.right;
    if (key == CString("wp.top"))
        return &placement.rcNormalPosition.top;
    return &placement.rcNormalPosition.bottom;
}

constexpr const char* kFieldNames[] = {"wp.showCmd",        "wp.flags",          "wp.ptMinPosition.x",
                                       "wp.ptMinPosition.y", "wp.ptMaxPosition.x", "wp.ptMaxPosition.y",
                                       "wp.left",            "wp.right",           "wp.top",
                                       "wp.bottom"};

constexpr int kMinimumWidth = 630;
constexpr int kMinimumHeight = 440;

}  // namespace

bool ReadFramePlacement(WINDOWPLACEMENT& placement)
{
    for (const char* name : kFieldNames)
    {
        int* field = FieldOf(placement, name);
        *field = GetProfileInt(kSection, CString(name), *field);
    }
    return placement.rcNormalPosition.bottom != 0;
}

void WriteFramePlacement(const WINDOWPLACEMENT& placement)
{
    WINDOWPLACEMENT copy = placement;
    for (const char* name : kFieldNames)
        WriteProfileInt(kSection, CString(name), *FieldOf(copy, name));
}

CRect FitFrameRect(const CRect& stored, const CRect& area)
{
    // 64 bits: the difference of two stored values may pass the range of an int.
    const auto fit = [](int64_t low, int64_t high, int64_t minimum, int64_t areaLow, int64_t areaHigh) {
        const int64_t areaSize = areaHigh - areaLow;
        const int64_t size = std::min(std::max(high - low, std::min(minimum, areaSize)), areaSize);
        const int64_t start = std::clamp(low, areaLow, areaHigh - size);
        return std::pair<int, int>{static_cast<int>(start), static_cast<int>(start + size)};
    };
    const auto [left, right] = fit(stored.left, stored.right, kMinimumWidth, area.left, area.right);
    const auto [top, bottom] = fit(stored.top, stored.bottom, kMinimumHeight, area.top, area.bottom);
    return CRect{left, top, right, bottom};
}

CRect GetFrameArea()
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    if (GetSystemMetrics(SM_CMONITORS) > 1)
        GetVirtualScreenRect(left, top, width, height);
    else
        GetWorkArea(left, top, width, height);
    return CRect{left, top, left + width, top + height};
}

void FitPlacementToScreen(WINDOWPLACEMENT& placement)
{
    if (placement.rcNormalPosition.bottom != 0)
        placement.rcNormalPosition = FitFrameRect(placement.rcNormalPosition, GetFrameArea());
}

bool IsPlacementOnScreen(const WINDOWPLACEMENT& placement)
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    GetVirtualScreenRect(left, top, width, height);
    return placement.rcNormalPosition.Intersects(CRect{left, top, left + width, top + height});
}

CRect ComputeInitialFrameRect(const WINDOWPLACEMENT* stored, const CRect& requested, int screenWidth,
                              int screenHeight)
{
    if (stored != nullptr && stored->rcNormalPosition.bottom != 0)
    {
        if (stored->showCmd == SW_SHOWMAXIMIZED)
            return CRect{0, 0, screenWidth, screenHeight};
        return stored->rcNormalPosition;
    }
    const int width = std::min(std::max(requested.Width(), kMinimumWidth), screenWidth);
    const int height = std::min(std::max(requested.Height(), kMinimumHeight), screenHeight);
    int left = requested.left;
    int top = requested.top;
    if (left + width > screenWidth)
        left = screenWidth - width;
    if (top + height > screenHeight)
        top = screenHeight - height;
    return CRect{left, top, left + width, top + height};
}
