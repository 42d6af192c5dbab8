#pragma once
// ITabInfo: what a page tab shows — its text and the tooltip over it.

#include "platform/cstring.h"

class ITabInfo
{
public:
    virtual ~ITabInfo() = default;

    [[nodiscard]] virtual CString GetTabText() const = 0;
    [[nodiscard]] virtual CString GetTooltipText() const = 0;
};
