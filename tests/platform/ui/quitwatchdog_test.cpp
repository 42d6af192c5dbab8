#include "platform/ui/quitwatchdog.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <unistd.h>

#include "platform/ui/winapp.h"
#include "uitestsupport.h"

namespace {

// Start-up stuck in a read that never returns, as on a mount that stopped answering,
// while another thread asks the program to end as `kill` would.
class CStuckApp : public CWinApp
{
public:
    CStuckApp() : CWinApp(CString("Stuck")) {}

    bool InitInstance() override
    {
        int never[2];
        if (::pipe(never) != 0)
            return false;
        std::thread([] { ::kill(::getpid(), SIGTERM); }).detach();
        char byte = 0;
        (void)!::read(never[0], &byte, 1);
        return true;
    }
};

// The stuck program's run, in a child.
[[noreturn]] void RunStuckApp()
{
    // A watchdog that never ends it fails the test by this signal instead.
    ::alarm(60);
    uitest::EnsureQtApplication();
    uitest::MemorySettings settings;
    CStuckApp app;
    char name[] = "stuck";
    char* argv[] = {name, nullptr};
    (void)app.Run(1, argv);
    std::_Exit(0);
}

// Fixed: a termination signal went unheard while the interface thread waited in a read.
TEST(QuitWatchdogTest, ATerminationSignalEndsAProgramWhoseInterfaceThreadIsStuckInARead)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunStuckApp(), ::testing::KilledBySignal(SIGTERM), "");
}

// Works on after the request for longer than the watchdog lets a thread stand still, then
// ends normally; in a child.
[[noreturn]] void WorkPastTheStallLimit()
{
    ::alarm(60);
    CQuitWatchdog watchdog;
    if (!watchdog.Start())
        std::_Exit(2);
    std::thread waker([] { CQuitWatchdog::Wake(SIGTERM); });
    // Past the stall limit's worth of samples, any of which would have ended a thread that
    // stood still that long.
    const CQuitWatchdog::COptions options;
    const int pastLimit = static_cast<int>(options.stallLimit / options.sampleInterval) + 2;
    volatile std::uint64_t work = 0;
    while (watchdog.GetSamplesJudged() < pastLimit)
        work = work + 1;
    waker.join();
    watchdog.Stop();
    std::_Exit(0);
}

TEST(QuitWatchdogTest, AnInterfaceThreadThatKeepsWorkingAfterTheRequestIsNotCut)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(WorkPastTheStallLimit(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
