#include "platform/ui/inputprobe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QInputEvent>
#include <QObject>
#include <QSocketNotifier>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

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
    // The connection whose windows are the program's (Qt's own): the server hands each
    // client the range its window ids are made in.
    xcb_connection_t* ownConnection = nullptr;
    std::uint32_t ownIdBase = 0;
    std::uint32_t ownIdMask = 0;
    CInputJudge judge;
};

ProbeState g_probe;
// What the loop has delivered (CInputJudge::SDelivered), in one word that any thread reads
// whole: the time in the low 32 bits, then the release and whether there was any.
std::atomic<std::uint64_t> g_delivered{0};
constexpr std::uint64_t kDeliveredRelease = std::uint64_t{1} << 32;
constexpr std::uint64_t kDeliveredAny = std::uint64_t{1} << 33;

CInputJudge::SDelivered Delivered()
{
    const std::uint64_t word = g_delivered.load(std::memory_order_relaxed);
    return {static_cast<std::uint32_t>(word), (word & kDeliveredRelease) != 0, (word & kDeliveredAny) != 0};
}

void StoreDelivered(const CInputJudge::SDelivered& mark)
{
    g_delivered.store(mark.time | (mark.release ? kDeliveredRelease : 0) | (mark.any ? kDeliveredAny : 0),
                      std::memory_order_relaxed);
}

// A window manager's frame holds the client's window a few levels down (the frame, a
// wrapper, the client, its native children); a frame's subtree is searched that deep, and
// no wider than this many windows.
constexpr int kMaxFrameDepth = 4;
constexpr std::size_t kMaxFrameWindows = 64;

bool IsOwnWindow(const ProbeState& state, std::uint32_t window)
{
    return window != XCB_WINDOW_NONE && (window & ~state.ownIdMask) == state.ownIdBase;
}

// What one query of the pointer tells: the top-level window it is over (a child of the
// root) and the buttons it holds, bit n for button n.
struct SPointerNow
{
    std::uint32_t topLevel = XCB_WINDOW_NONE;
    std::uint32_t buttons = 0;
};

SPointerNow QueryPointer(const ProbeState& state)
{
    const auto root = static_cast<xcb_window_t>(DefaultRootWindow(state.display));
    xcb_generic_error_t* error = nullptr;
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(state.ownConnection, xcb_query_pointer(state.ownConnection, root), &error);
    std::free(error);
    SPointerNow now;
    // Unanswered, the server lets no held button go.
    if (reply == nullptr)
    {
        now.buttons = ~std::uint32_t{0};
        return now;
    }
    // The core state's button bits start at button 1's mask.
    now.buttons = (reply->mask / XCB_BUTTON_MASK_1) << 1;
    // On another screen the pointer is over none of the program's windows.
    if (reply->same_screen != 0)
        now.topLevel = reply->child;
    std::free(reply);
    return now;
}

// Whether window or a window a few levels under it is one of the program's: one round trip
// for each level, asked for every window of the level at once.
bool HoldsOwnWindow(const ProbeState& state, std::uint32_t window)
{
    if (IsOwnWindow(state, window))
        return true;
    std::vector<xcb_window_t> level{window};
    bool found = false;
    for (int depth = 0; depth < kMaxFrameDepth && !found && !level.empty(); ++depth)
    {
        std::vector<xcb_query_tree_cookie_t> cookies;
        cookies.reserve(level.size());
        for (const xcb_window_t parent : level)
            cookies.push_back(xcb_query_tree(state.ownConnection, parent));
        level.clear();
        // Every reply is taken, so that none waits in the connection.
        for (const xcb_query_tree_cookie_t cookie : cookies)
        {
            xcb_generic_error_t* error = nullptr;
            xcb_query_tree_reply_t* reply = xcb_query_tree_reply(state.ownConnection, cookie, &error);
            std::free(error);
            if (reply == nullptr)
                continue;
            const xcb_window_t* children = xcb_query_tree_children(reply);
            const int count = xcb_query_tree_children_length(reply);
            for (int i = 0; i < count; ++i)
            {
                found = found || IsOwnWindow(state, children[i]);
                if (level.size() < kMaxFrameWindows)
                    level.push_back(children[i]);
            }
            std::free(reply);
        }
    }
    return found;
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

    // Over one of the program's top-level windows, or over the window manager's frame that
    // holds one (its title bar and close button are the program's to the user).
    bool IsPointerOver() override
    {
        if (!m_over.has_value())
        {
            const std::uint32_t topLevel = Pointer().topLevel;
            m_over = topLevel != XCB_WINDOW_NONE && HoldsOwnWindow(m_state, topLevel);
        }
        return *m_over;
    }

    std::uint32_t HeldButtons() override { return Pointer().buttons; }

private:
    const SPointerNow& Pointer()
    {
        if (!m_pointer.has_value())
            m_pointer = QueryPointer(m_state);
        return *m_pointer;
    }

    const ProbeState& m_state;
    std::optional<bool> m_focus;
    std::optional<bool> m_over;
    std::optional<SPointerNow> m_pointer;
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
        if (time != 0)
        {
            const bool release =
                event->type() == QEvent::KeyRelease || event->type() == QEvent::MouseButtonRelease;
            StoreDelivered(Delivered().With(time, release));
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
    if (x11 == nullptr || x11->display() == nullptr)
        return nullptr;
    return Install(DisplayString(x11->display()), x11->connection());
}

std::unique_ptr<CInputProbe> CInputProbe::Install(const char* displayName, xcb_connection_t* own)
{
    if (QCoreApplication::instance() == nullptr || own == nullptr || g_probe.display != nullptr)
        return nullptr;
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr)
        return nullptr;
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    // The server answers the lower of this and its own version.
    int major = 2;
    int minor = 2;
    if (XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError) == 0 ||
        XIQueryVersion(display, &major, &minor) != Success)
    {
        XCloseDisplay(display);
        return nullptr;
    }
    // From version 2.1 on, raw events come whatever grab holds the device.
    const bool releasesHeard = major > 2 || minor >= 1;
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
    QCoreApplication::instance()->installEventFilter(&impl->delivered);
    const xcb_setup_t* setup = xcb_get_setup(own);
    {
        const std::lock_guard lock(g_probe.mutex);
        g_probe.display = display;
        g_probe.opcode = opcode;
        g_probe.ownConnection = own;
        g_probe.ownIdBase = setup->resource_id_base;
        g_probe.ownIdMask = setup->resource_id_mask;
        g_probe.judge.Reset(releasesHeard);
    }
    return std::unique_ptr<CInputProbe>(new CInputProbe(std::move(impl)));
}

CInputProbe::CInputProbe(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

CInputProbe::~CInputProbe()
{
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(&m_impl->delivered);
    m_impl->reader.reset();
    Display* display = nullptr;
    {
        const std::lock_guard lock(g_probe.mutex);
        display = g_probe.display;
        g_probe.display = nullptr;
        g_probe.ownConnection = nullptr;
    }
    if (display != nullptr)
        XCloseDisplay(display);
    g_delivered.store(0, std::memory_order_relaxed);
}

bool CInputProbe::IsInputWaiting() noexcept
{
    const std::lock_guard lock(g_probe.mutex);
    if (g_probe.display == nullptr)
        return false;
    Drain(g_probe);
    return g_probe.judge.IsWaiting(Delivered());
}

void CInputProbe::BeginFrame(bool moving) noexcept
{
    const std::lock_guard lock(g_probe.mutex);
    if (g_probe.display == nullptr)
        return;
    Drain(g_probe);
    g_probe.judge.BeginFrame(moving, Delivered());
}
