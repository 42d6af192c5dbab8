#include "platform/ui/inputprobe.h"

#include <QEvent>
#include <QGuiApplication>
#include <QInputEvent>
#include <QObject>
#include <QSocketNotifier>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <mutex>

// Xlib last: its macros (None, Bool, KeyPress) would clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
// Xlib's event-type macros would rename Qt's event types below.
#undef KeyPress
#undef KeyRelease

namespace {

// What the connection has read, behind its lock.
struct ProbeState
{
    std::mutex mutex;
    Display* display = nullptr;
    int opcode = 0;
    // Keys and buttons held, to tell a held key's repeats and a drag.
    std::bitset<256> keysDown;
    std::uint32_t buttonsDown = 0;
    // The latest input a frame waits for, and its time on the server's clock.
    bool relevant = false;
    std::uint32_t relevantTime = 0;
    // Input came that the loop has not delivered since the frame began.
    bool waiting = false;
    // The frame draws a moving view: motion and the wheel steer it.
    bool moving = false;
    // The top-level window the frame is drawn for.
    Window window = 0;
};

ProbeState g_probe;
// Whether the program is the active application (set by the user-interface thread).
std::atomic<bool> g_active{false};
// The server's time of the latest input event the loop delivered (milliseconds,
// wrapping), and whether there was one.
std::atomic<std::uint32_t> g_delivered{0};
std::atomic<bool> g_anyDelivered{false};

constexpr unsigned kFirstWheelButton = 4;
constexpr unsigned kLastWheelButton = 7;

bool IsWheel(unsigned button)
{
    return button >= kFirstWheelButton && button <= kLastWheelButton;
}

// Whether the event came after the last one the loop delivered; the server's clock wraps
// every 49 days.
bool IsUndelivered(std::uint32_t time)
{
    if (!g_anyDelivered.load(std::memory_order_relaxed))
        return true;
    return static_cast<std::int32_t>(time - g_delivered.load(std::memory_order_relaxed)) > 0;
}

// Whether the program is active: as the loop last heard, or, when the loop has not heard
// yet (the window took the focus while a frame is drawn), as the server says now.
class CActivity
{
public:
    explicit CActivity(ProbeState& state) : m_state(state) {}
    bool IsActive()
    {
        if (g_active.load(std::memory_order_relaxed))
            return true;
        if (!m_asked)
        {
            m_asked = true;
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(m_state.display, &focus, &revert);
            m_focused = m_state.window != 0 && focus == m_state.window;
        }
        return m_focused;
    }

private:
    ProbeState& m_state;
    bool m_asked = false;
    bool m_focused = false;
};

// Notes the held keys and buttons; answers whether the event is input a frame waits for.
bool Counts(ProbeState& state, CActivity& activity, int type, unsigned detail)
{
    const std::uint32_t buttonBit = detail < 32 ? std::uint32_t{1} << detail : 0;
    switch (type)
    {
    case XI_RawKeyPress:
    {
        const bool repeat = detail < state.keysDown.size() && state.keysDown.test(detail);
        if (detail < state.keysDown.size())
            state.keysDown.set(detail);
        return !repeat && activity.IsActive();
    }
    case XI_RawKeyRelease:
        if (detail < state.keysDown.size())
            state.keysDown.reset(detail);
        return activity.IsActive();
    case XI_RawButtonPress:
        if (IsWheel(detail))
            return !state.moving && activity.IsActive();
        state.buttonsDown |= buttonBit;
        return activity.IsActive();
    case XI_RawButtonRelease:
        if (IsWheel(detail))
            return false;
        state.buttonsDown &= ~buttonBit;
        return activity.IsActive();
    case XI_RawMotion: return !state.moving && state.buttonsDown != 0 && activity.IsActive();
    default: return false;
    }
}

// Reads every event the connection holds. Bounded by what came since the last read.
void Drain(ProbeState& state)
{
    CActivity activity(state);
    while (XPending(state.display) > 0)
    {
        XEvent event;
        XNextEvent(state.display, &event);
        XGenericEventCookie& cookie = event.xcookie;
        if (cookie.type != GenericEvent || cookie.extension != state.opcode || XGetEventData(state.display, &cookie) == 0)
            continue;
        const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
        if (Counts(state, activity, cookie.evtype, static_cast<unsigned>(raw->detail)))
        {
            state.relevant = true;
            state.relevantTime = static_cast<std::uint32_t>(raw->time);
        }
        XFreeEventData(state.display, &cookie);
    }
}

// Whether the latest input is still to be delivered by the loop.
bool IsRelevantUndelivered(const ProbeState& state)
{
    return state.relevant && IsUndelivered(state.relevantTime);
}

bool IsInputEvent(QEvent::Type type)
{
    switch (type)
    {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel: return true;
    default: return false;
    }
}

// Notes the time of every input event the loop delivers, to whatever object.
class CDeliveredInput : public QObject
{
public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (!IsInputEvent(event->type()))
            return false;
        const auto time = static_cast<std::uint32_t>(static_cast<QInputEvent*>(event)->timestamp());
        // Events the program makes itself carry no time.
        if (time != 0 && IsUndelivered(time))
        {
            g_delivered.store(time, std::memory_order_relaxed);
            g_anyDelivered.store(true, std::memory_order_relaxed);
        }
        return false;
    }
};

}  // namespace

struct CInputProbe::Impl
{
    CDeliveredInput delivered;
    std::unique_ptr<QSocketNotifier> reader;
    QMetaObject::Connection activation;
};

std::unique_ptr<CInputProbe> CInputProbe::Install()
{
    const auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->display() == nullptr || g_probe.display != nullptr)
        return nullptr;
    Display* display = XOpenDisplay(DisplayString(x11->display()));
    if (display == nullptr)
        return nullptr;
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    int major = 2;
    int minor = 0;
    if (XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError) == 0 ||
        XIQueryVersion(display, &major, &minor) != Success)
    {
        XCloseDisplay(display);
        return nullptr;
    }
    // Raw events come only to the root window, from every device, whoever has the focus.
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    for (const int type : {XI_RawKeyPress, XI_RawKeyRelease, XI_RawButtonPress, XI_RawButtonRelease, XI_RawMotion})
        XISetMask(bits, type);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof(bits)), bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XFlush(display);

    auto impl = std::make_unique<Impl>();
    // Read while the loop idles, so that the server need not keep what a long idle brings.
    impl->reader = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    QObject::connect(impl->reader.get(), &QSocketNotifier::activated, [] {
        const std::lock_guard lock(g_probe.mutex);
        if (g_probe.display != nullptr)
            Drain(g_probe);
    });
    qGuiApp->installEventFilter(&impl->delivered);
    g_active.store(QGuiApplication::applicationState() == Qt::ApplicationActive, std::memory_order_relaxed);
    impl->activation = QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, [](Qt::ApplicationState s) {
        g_active.store(s == Qt::ApplicationActive, std::memory_order_relaxed);
    });
    {
        const std::lock_guard lock(g_probe.mutex);
        g_probe.display = display;
        g_probe.opcode = opcode;
        g_probe.keysDown.reset();
        g_probe.buttonsDown = 0;
        g_probe.relevant = false;
        g_probe.waiting = false;
    }
    return std::unique_ptr<CInputProbe>(new CInputProbe(std::move(impl)));
}

CInputProbe::CInputProbe(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

CInputProbe::~CInputProbe()
{
    QObject::disconnect(m_impl->activation);
    if (qGuiApp != nullptr)
        qGuiApp->removeEventFilter(&m_impl->delivered);
    m_impl->reader.reset();
    Display* display = nullptr;
    {
        const std::lock_guard lock(g_probe.mutex);
        display = g_probe.display;
        g_probe.display = nullptr;
        g_probe.waiting = false;
    }
    if (display != nullptr)
        XCloseDisplay(display);
    g_active.store(false, std::memory_order_relaxed);
    g_anyDelivered.store(false, std::memory_order_relaxed);
}

bool CInputProbe::IsInputWaiting() noexcept
{
    const std::lock_guard lock(g_probe.mutex);
    if (g_probe.display == nullptr)
        return false;
    Drain(g_probe);
    g_probe.waiting = g_probe.waiting || IsRelevantUndelivered(g_probe);
    return g_probe.waiting;
}

void CInputProbe::BeginFrame(bool moving, unsigned long window) noexcept
{
    const std::lock_guard lock(g_probe.mutex);
    if (g_probe.display == nullptr)
        return;
    g_probe.moving = moving;
    g_probe.window = static_cast<Window>(window);
    Drain(g_probe);
    g_probe.waiting = IsRelevantUndelivered(g_probe);
    // Input that never reaches the loop (a press on a window manager's frame) stops one
    // frame at most.
    g_probe.relevant = false;
}
