#include "platform/ui/winapp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QTimer>
#include <csignal>

#include "uitestsupport.h"

namespace {

// Start-up that asks the user something, as a program whose settings were reset does.
class CAskingApp : public CWinApp
{
public:
    CAskingApp() : CWinApp(CString("Asking")) {}

    bool InitInstance() override
    {
        // Should the signal be lost, the box gives up by itself and the test fails.
        QTimer::singleShot(5000, &m_timers, [this] {
            timedOut = true;
            QApplication::exit();
        });
        QTimer::singleShot(0, &m_timers, [] { std::raise(SIGTERM); });
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Asking"), QStringLiteral("Settings were reset."),
                        QMessageBox::Ok);
        box.exec();
        boxDismissed = true;
        return true;
    }
    int ExitInstance() override
    {
        exited = true;
        return CWinApp::ExitInstance();
    }

    bool boxDismissed = false;
    bool exited = false;
    bool timedOut = false;

private:
    // Its timers go with the program object.
    QObject m_timers;
};

// Fixed: a termination signal while start-up showed a message box killed the program
// without its exit.
TEST(WinAppTest, ATerminationSignalDuringAStartUpMessageBoxEndsTheProgramThroughItsExit)
{
    uitest::EnsureQtApplication();
    CAskingApp app;
    char name[] = "asking";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(app.Run(1, argv), 0);
    EXPECT_TRUE(app.boxDismissed);
    EXPECT_TRUE(app.IsQuitRequested());
    EXPECT_TRUE(app.exited);
    EXPECT_FALSE(app.timedOut);
}

}  // namespace
