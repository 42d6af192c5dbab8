#include "platform/ui/inputprobe.h"

#include <QEvent>
#include <QGuiApplication>
#include <QInputEvent>
#include <QObject>
#include <QSocketNotifier>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "platform/ui/inputjudge.h"

// Xlib last: its macros (None, Bool, KeyPress) would clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <xcb/xcb.h>
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
    // Qt's own connection, whose windows are the program's: the server hands each client
    // the range its window ids are made in.
    xcb_connection_t* qtConnection = nullptr;
    std::uint32_t ownIdBase = 0;
    std::uint32_t ownIdMask = 0;
    CInputJudge judge;
};

ProbeState g_probe;
// The server's time of the latest input event the loop delivered (milliseconds,
// wrapping), and whether there was one.
std::atomic<std::uint32_t> g_delivered{0};
std::atomic<bool> g_anyDelivered{false};

// The pointer is looked for through at most this many levels of windows under the root
// (a window manager's frame, its decoration, the client's window, its native children).
constexpr int kMaxPointerDepth = 6;

bool IsOwnWindow(const ProbeState& state, std::uint32_t window)
{
    return window != XCB_WINDOW_NONE && (window & ~state.ownIdMask) == state.ownIdBase;
}

// The topmost window under the pointer, one level down from window; none when the pointer
// is on another screen or the window is gone.
std::uint32_t ChildUnderPointer(const ProbeState& state, std::uint32_t window)
{
    xcb_generic_error_t* error = nullptr;
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(state.qtConnection, xcb_query_pointer(state.qtConnection, window), &error);
    std::free(error);
    if (reply == nullptr)
        return XCB_WINDOW_NONE;
    const std::uint32_t child = reply->same_screen != 0 ? reply->child : std::uint32_t{XCB_WINDOW_NONE};
    std::free(reply);
    return child;
}

// What the server says now about the program's windows, asked once for all the events one
// read takes: a few round trips at most, and only for events that need them.
class CServerNow : public CInputJudge::IServer
{
public:
    explicit CServerNow(const ProbeState& state) : m_state(state) {}

    bool HasFocus() override
    {
        if (!m_focus.has_value())
        {
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(m_state.display, &focus, &revert);
            // Focus that follows the pointer goes where the pointer is.
            m_focus = focus == PointerRoot ? IsPointerOver() : IsOwnWindow(m_state, static_cast<std::uint32_t>(focus));
        }
        return *m_focus;
    }

    bool IsPointerOver() override
    {
        if (!m_pointer.has_value())
            m_pointer = FindPointer();
        return *m_pointer;
    }

private:
    bool FindPointer() const
    {
        std::uint32_t window = static_cast<std::uint32_t>(DefaultRootWindow(m_state.display));
        for (int depth = 0; depth < kMaxPointerDepth; ++depth)
        {
            window = ChildUnderPointer(m_state, window);
            if (window == XCB_WINDOW_NONE)
                return false;
            if (IsOwnWindow(m_state, window))
                return true;
        }
        return false;
    }

    const ProbeState& m_state;
    std::optional<bool> m_focus;
    std::optional<bool> m_pointer;
};

std::optional<CInputJudge::EInput> InputOf(int type)
{
    switch (type)
    {
    case XI_RawKeyPress: return CInputJudge::EInput::kKeyPress;
    case XI_RawKeyRelease: return CInputJudge::EInput::kKeyRelease;
    case XI_RawButtonPress: return CInputJudge::EInput::kButtonPress;
    case XI_RawButtonRelease: return CInputJudge::EInput::kButtonRelease;
    case XI_RawMotion: return CInputJudge::EInput::kMotion;
    default: return std::nullopt;
    }
}

// Reads every event the connection holds. Bounded by what came since the last read.
void Drain(ProbeState& state)
{
    CServerNow server(state);
    while (XPending(state.display) > 0)
    {
        XEvent event;
        XNextEvent(state.display, &event);
        XGenericEventCookie& cookie = event.xcookie;
        if (cookie.type != GenericEvent || cookie.extension != state.opcode || XGetEventData(state.display, &cookie) == 0)
            continue;
        const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
        if (const auto input = InputOf(cookie.evtype))
            state.judge.Note(*input, static_cast<unsigned>(raw->detail), static_cast<std::uint32_t>(raw->time), server);
        XFreeEventData(state.display, &cookie);
    }
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
        if (time != 0 &&
            (!g_anyDelivered.load(std::memory_order_relaxed) ||
             CInputJudge::IsLater(time, g_delivered.load(std::memory_order_relaxed))))
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
};

std::unique_ptr<CInputProbe> CInputProbe::Install()
{
    const auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->display() == nullptr || x11->connection() == nullptr || g_probe.display != nullptr)
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
    const xcb_setup_t* setup = xcb_get_setup(x11->connection());
    {
        const std::lock_guard lock(g_probe.mutex);
        g_probe.display = display;
        g_probe.opcode = opcode;
        g_probe.qtConnection = x11->connection();
        g_probe.ownIdBase = setup->resource_id_base;
        g_probe.ownIdMask = setup->resource_id_mask;
        g_probe.judge.Reset();
    }
    return std::unique_ptr<CInputProbe>(new CInputProbe(std::move(impl)));
}

CInputProbe::CInputProbe(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

CInputProbe::~CInputProbe()
{
    if (qGuiApp != nullptr)
        qGuiApp->removeEventFilter(&m_impl->delivered);
    m_impl->reader.reset();
    Display* display = nullptr;
    {
        const std::lock_guard lock(g_probe.mutex);
        display = g_probe.display;
        g_probe.display = nullptr;
        g_probe.qtConnection = nullptr;
    }
    if (display != nullptr)
        XCloseDisplay(display);
    g_anyDelivered.store(false, std::memory_order_relaxed);
}

bool CInputProbe::IsInputWaiting() noexcept
{
    const std::lock_guard lock(g_probe.mutex);
    if (g_probe.display == nullptr)
        return false;
    Drain(g_probe);
    return g_probe.judge.IsWaiting(g_delivered.load(std::memory_order_relaxed),
                                   g_anyDelivered.load(std::memory_order_relaxed));
}

void CInputProbe::BeginFrame(bool moving) noexcept
{
    const std::lock_guard lock(g_probe.mutex);
    if (g_probe.display == nullptr)
        return;
    Drain(g_probe);
    g_probe.judge.BeginFrame(moving, g_delivered.load(std::memory_order_relaxed),
                             g_anyDelivered.load(std::memory_order_relaxed));
}
