#pragma once
// CInputProbe: whether the user's input waits for the program while the user-interface
// thread draws, so that a frame of the view can stop and let the event loop answer the
// user (the program hands IsInputWaiting to its frame meter).
//
// Qt's connection to the X server is read by a thread of its own, which takes every event
// off the socket as it comes: neither that socket nor Qt's queue tells a frame anything.
// The probe keeps a second connection that asks the server for the raw events of every
// input device (keys, buttons and the wheel, the pointer's motion) and reads them when
// asked. It asks for the input extension's version 2.2, whose raw events come whatever grab
// holds the pointer (every press holds one until its release); under a server of version
// 2.0 releases go unheard and no held button is trusted. Raw events name no window:
// CInputJudge decides which of them go to the program (a key while it holds the focus, a
// button or the wheel over its windows or the window manager's frame around one, or while a
// button pressed there is held), asking the server where the focus and the pointer are and
// which buttons the pointer holds at most once per read. One the event loop has delivered
// already (by the server's time stamps) does not count.
//
// Where the program runs on no X server (Qt's offscreen platform, most tests) or the server
// lacks the input extension's second version, nothing is installed and IsInputWaiting
// answers false.
//
// IsInputWaiting answers from any thread, under a lock of its own; Install, BeginFrame and
// the destructor belong to the user-interface thread. A read that needs the focus or the
// pointer costs a few round trips to the server, bounded, only when a key, a press or a
// motion during a held button came.

#include <memory>

struct xcb_connection_t;

class CInputProbe
{
public:
    // Opens the second connection to Qt's X server; null where that cannot be done (no X
    // server, no input extension 2.0). Needs the Qt application. One probe at a time.
    [[nodiscard]] static std::unique_ptr<CInputProbe> Install();
    // The same on the X server named display (as DISPLAY names it), where the windows made
    // on the connection own count as the program's: for a test that makes its own windows.
    // Needs a Qt application of any platform; own must outlive the probe.
    [[nodiscard]] static std::unique_ptr<CInputProbe> Install(const char* display, xcb_connection_t* own);
    // Closes the connection; IsInputWaiting answers false from then on.
    ~CInputProbe();
    CInputProbe(const CInputProbe&) = delete;
    CInputProbe& operator=(const CInputProbe&) = delete;

    // Whether input came that the event loop has not answered since the frame began.
    // Safe from any thread.
    [[nodiscard]] static bool IsInputWaiting() noexcept;
    // A frame of the view begins: input the event loop delivered before it is forgotten;
    // input it has not delivered yet stops this frame at once. In a frame of a moving view
    // the pointer's motion and the wheel, which steer the view, do not count; keys and the
    // buttons still do. Nothing without an installed probe.
    static void BeginFrame(bool moving) noexcept;

private:
    struct Impl;
    explicit CInputProbe(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> m_impl;
};
