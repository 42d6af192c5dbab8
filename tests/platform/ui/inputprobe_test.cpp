#include "platform/ui/inputprobe.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "uitestsupport.h"

// Xlib last: its macros (None, Bool) would clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <xcb/xcb.h>

extern char** environ;

namespace {

constexpr unsigned kLeft = 1;
constexpr unsigned kWheelUp = 4;
// Long enough for a loaded machine; a wait ends as soon as its condition holds.
constexpr auto kPatience = std::chrono::seconds(20);

std::string FindOnPath(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();)
    {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (end > start && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

// A virtual X server of the test's own, on a display number it picks itself; gone with the
// object.
class CVirtualServer
{
public:
    CVirtualServer()
    {
        const std::string program = FindOnPath("Xvfb");
        int ends[2] = {-1, -1};
        if (program.empty() || pipe(ends) != 0)
            return;
        const std::string fd = std::to_string(ends[1]);
        const char* argv[] = {program.c_str(), "-displayfd", fd.c_str(), "-nolisten", "tcp",
                              "-screen", "0", "640x480x24", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, ends[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(ends[1]);
        // The server writes its display number once it takes connections.
        std::string number;
        pollfd ready{ends[0], POLLIN, 0};
        char c = 0;
        while (m_pid > 0 && poll(&ready, 1, static_cast<int>(kPatience.count() * 1000)) > 0 && read(ends[0], &c, 1) == 1 &&
               c != '\n')
            number += c;
        close(ends[0]);
        if (!number.empty())
            m_display = ":" + number;
    }
    ~CVirtualServer()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    CVirtualServer(const CVirtualServer&) = delete;
    CVirtualServer& operator=(const CVirtualServer&) = delete;

    [[nodiscard]] const std::string& Display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

// A client of the server: the program's windows, another program's, a window manager's.
class CClient
{
public:
    explicit CClient(const std::string& display) : m_connection(xcb_connect(display.c_str(), nullptr)) {}
    ~CClient() { xcb_disconnect(m_connection); }
    CClient(const CClient&) = delete;
    CClient& operator=(const CClient&) = delete;

    [[nodiscard]] bool IsOpen() const { return xcb_connection_has_error(m_connection) == 0; }
    [[nodiscard]] xcb_connection_t* Connection() const { return m_connection; }
    [[nodiscard]] xcb_window_t Root() const { return xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root; }

    // A mapped window at x, y in parent (the root when none), shown once this returns. It
    // takes the buttons, so that a press over it grabs the pointer until its release.
    xcb_window_t Window(int x, int y, int width, int height, xcb_window_t parent = XCB_WINDOW_NONE)
    {
        const xcb_window_t window = xcb_generate_id(m_connection);
        const std::uint32_t events = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, parent != XCB_WINDOW_NONE ? parent : Root(),
                          static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                          static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_EVENT_MASK, &events);
        xcb_map_window(m_connection, window);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        return window;
    }

private:
    xcb_connection_t* m_connection;
};

// The user's hand, through the server's test extension. The probe asks where the pointer is
// when it reads, as the program reads while the hand moves on: each act waits until the
// probe has read it.
class CHand
{
public:
    explicit CHand(const std::string& display) : m_display(XOpenDisplay(display.c_str())) {}
    ~CHand()
    {
        if (m_display != nullptr)
            XCloseDisplay(m_display);
    }
    CHand(const CHand&) = delete;
    CHand& operator=(const CHand&) = delete;

    [[nodiscard]] bool CanAct() const
    {
        int events = 0;
        int errors = 0;
        int major = 0;
        int minor = 0;
        return m_display != nullptr && XTestQueryExtension(m_display, &events, &errors, &major, &minor) != 0;
    }
    void MoveTo(int x, int y) { Do([&] { XTestFakeMotionEvent(m_display, 0, x, y, 0); }); }
    void Press(unsigned button) { Do([&] { XTestFakeButtonEvent(m_display, button, 1, 0); }); }
    void Release(unsigned button) { Do([&] { XTestFakeButtonEvent(m_display, button, 0, 0); }); }
    void Click(int x, int y, unsigned button)
    {
        MoveTo(x, y);
        Press(button);
        Release(button);
    }

private:
    template <typename Act>
    void Do(Act act)
    {
        act();
        // The server writes out what the act made to every client before it reads the
        // request after the first round trip.
        XSync(m_display, 0);
        XSync(m_display, 0);
        static_cast<void>(CInputProbe::IsInputWaiting());
    }
    ::Display* m_display;
};

bool WaitForInput()
{
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (!CInputProbe::IsInputWaiting())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Presses and releases made through a real X server's test extension, over windows that
// count as the program's (made on one connection) and another program's (on another).
class InputProbeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (FindOnPath("Xvfb").empty())
            GTEST_SKIP() << "no Xvfb";
        uitest::EnsureQtApplication();
        ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
        program = std::make_unique<CClient>(server.Display());
        other = std::make_unique<CClient>(server.Display());
        hand = std::make_unique<CHand>(server.Display());
        ASSERT_TRUE(program->IsOpen() && other->IsOpen() && hand->CanAct());
        program->Window(0, 0, 200, 200);
        other->Window(300, 0, 200, 200);
        probe = CInputProbe::Install(server.Display().c_str(), program->Connection());
        ASSERT_NE(probe, nullptr);
    }

    // A frame begins that nothing heard before it stops: input the loop never delivers
    // stops the first frame after it too.
    static void BeginClean(bool moving)
    {
        CInputProbe::BeginFrame(moving);
        CInputProbe::BeginFrame(moving);
    }
    // Waits until the frame begun has heard input, then begins the next.
    static void ExpectHeard(bool moving, const char* what)
    {
        EXPECT_TRUE(WaitForInput()) << what;
        BeginClean(moving);
    }

    CVirtualServer server;
    std::unique_ptr<CClient> program;
    std::unique_ptr<CClient> other;
    std::unique_ptr<CHand> hand;
    std::unique_ptr<CInputProbe> probe;
};

// Every release went unheard while its press's grab held the pointer: the first click in
// the program, or in another, stayed held for the rest of the run.
TEST_F(InputProbeTest, ReleasesAreHeardDuringTheirPresssGrabSoNoClickStaysHeld)
{
    BeginClean(false);
    hand->Click(400, 100, kLeft);
    hand->MoveTo(100, 100);
    hand->Press(kLeft);
    ExpectHeard(true, "the program's press after a click in another program");
    hand->MoveTo(400, 100);
    hand->Release(kLeft);
    ExpectHeard(false, "the release over another program's window ends the program's drag");

    hand->Click(400, 100, kLeft);
    hand->MoveTo(450, 150);
    hand->Click(450, 150, kWheelUp);
    // The program's own notch marks where the events above have all been read.
    hand->Click(100, 100, kWheelUp);
    EXPECT_TRUE(WaitForInput());
    CInputProbe::BeginFrame(true);
    EXPECT_FALSE(CInputProbe::IsInputWaiting()) << "the click elsewhere after the program's own went to the other";
}

TEST_F(InputProbeTest, TheWindowManagersFrameAndAnotherProgramsDragOverTheProgramAreHeard)
{
    // A frame another client made around a window of the program, as a window manager does.
    CClient manager(server.Display());
    const xcb_window_t frame = manager.Window(0, 250, 200, 200);
    program->Window(0, 30, 200, 170, frame);
    BeginClean(true);
    hand->MoveTo(100, 260);
    hand->Press(kLeft);
    ExpectHeard(true, "a press on the frame's title bar");
    hand->Release(kLeft);
    ExpectHeard(false, "its release, where the window manager asks the program to close");

    hand->MoveTo(400, 100);
    hand->Press(kLeft);
    hand->MoveTo(100, 100);
    hand->MoveTo(110, 110);
    ExpectHeard(true, "another program's drag over the program's window");
    hand->Release(kLeft);
    EXPECT_TRUE(WaitForInput()) << "the drop";
}

}  // namespace
