#include "platform/ui/heldkeys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <algorithm>

// Xlib last: its macros (None, Bool, KeyPress) would clash with Qt's names.
#include <X11/XKBlib.h>

namespace {

// Keys pressed by the window system carry its scan code; keys sent by the program itself
// (tests, input methods) have none and are told apart by their key code.
quint32 KeyIdentity(const QKeyEvent& event)
{
    if (event.nativeScanCode() != 0)
        return event.nativeScanCode();
    return static_cast<quint32>(event.key()) | 0x80000000U;
}

}  // namespace

void CHeldKeys::ReportRepeatsAsPressesOnly()
{
    const auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->display() == nullptr)
        return;
    Bool supported = False;
    XkbSetDetectableAutoRepeat(x11->display(), True, &supported);
}

bool CHeldKeys::Press(const QKeyEvent& event)
{
    const quint32 key = KeyIdentity(event);
    if (std::find(m_held.begin(), m_held.end(), key) != m_held.end())
        return true;
    m_held.push_back(key);
    return event.isAutoRepeat();
}

bool CHeldKeys::Release(const QKeyEvent& event)
{
    if (event.isAutoRepeat())
        return false;
    std::erase(m_held, KeyIdentity(event));
    return true;
}
