#include "platform/clipboard.h"

namespace {

IClipboard* g_clipboard = nullptr;

}  // namespace

void SetClipboard(IClipboard* clipboard)
{
    g_clipboard = clipboard;
}

IClipboard* GetClipboard()
{
    return g_clipboard;
}
