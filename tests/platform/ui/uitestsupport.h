#pragma once
// Support for the tests of the window shapes: one Qt application for the test program
// (on Qt's offscreen platform unless the environment names another), settings held in
// memory, message boxes written down instead of shown, and an alarm that ends a hung test.
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <unistd.h>
#include <vector>

#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/uitypes.h"

namespace uitest {

inline QApplication& EnsureQtApplication()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *app;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "glimra-test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own globals go away at exit in an order a static application
    // object cannot follow.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

// Runs queued events (posted commands, timers that are due).
inline void ProcessEvents()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
}

// Runs the event loop for about 10 ms: timers, paints and what other threads post.
inline void TurnEventLoop()
{
    QEventLoop turn;
    QTimer::singleShot(10, &turn, &QEventLoop::quit);
    turn.exec();
}

// Ends the test program by SIGALRM should the test hang for that many seconds; cancelled
// on every way out of the scope, an ASSERT's among them.
class AlarmGuard
{
public:
    explicit AlarmGuard(unsigned seconds) { ::alarm(seconds); }
    ~AlarmGuard() { ::alarm(0); }
    AlarmGuard(const AlarmGuard&) = delete;
    AlarmGuard& operator=(const AlarmGuard&) = delete;
};

// Turns the event loop until the condition holds; the bound (about half a minute) only
// keeps a broken list or dialog from hanging the test.
inline bool TurnUntil(const std::function<bool()>& condition)
{
    for (int turn = 0; turn < 3000 && !condition(); ++turn)
        TurnEventLoop();
    return condition();
}

// Settings in memory for the life of the object, under the program's usual root.
class MemorySettings
{
public:
    MemorySettings()
    {
        SetProfileStore(&m_store);
        SetProfileRoot(CString("Orvell Software"), CString("Glimra"));
    }
    ~MemorySettings()
    {
        SetProfileStore(nullptr);
        SetProfileRoot(CString("Orvell Software"), CString("Glimra"));
    }
    MemorySettings(const MemorySettings&) = delete;
    MemorySettings& operator=(const MemorySettings&) = delete;

private:
    CSettingsStore m_store{CString()};
};

// Every message box while it lives, answered with `answer`.
class MessageBoxRecorder
{
public:
    explicit MessageBoxRecorder(int answer = IDOK)
    {
        m_previous = SetMessageBoxSink([this, answer](const CMessageBoxCall& call) {
            calls.push_back(call);
            return answer;
        });
    }
    ~MessageBoxRecorder() { SetMessageBoxSink(std::move(m_previous)); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<CMessageBoxCall> calls;

private:
    MessageBoxSink m_previous;
};

}  // namespace uitest
