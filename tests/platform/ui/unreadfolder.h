#pragma once
// A folder whose entries a file list must name without reading them: two pipes that
// nothing writes to (a read waits for ever) and a file whose name tells nothing of its
// type, which a list that types files by their content opens. Everything opened in the
// folder is seen, and a list that never finishes fails the test program rather than hang it.
#include <QFileSystemModel>
#include <QObject>
#include <QString>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "uitestsupport.h"

namespace uitest {

class CUnreadFolder
{
public:
    CUnreadFolder()
    {
        std::filesystem::create_directories(m_path);
        for (const char* pipe : {"x.twk", "y.png"})
            (void)::mkfifo((m_path / pipe).c_str(), 0600);
        std::ofstream(m_path / "z.twk") << "%PDF-1.4\n";
        m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        (void)::inotify_add_watch(m_watch, m_path.c_str(), IN_OPEN | IN_ACCESS);
        m_previousAlarm = std::signal(SIGALRM, [](int) {
            constexpr char kMessage[] = "A file list never finished listing its folder.\n";
            (void)!::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
            ::_exit(1);
        });
        ::alarm(120);
    }
    ~CUnreadFolder()
    {
        ::alarm(0);
        std::signal(SIGALRM, m_previousAlarm);
        ::close(m_watch);
        std::filesystem::remove_all(m_path);
    }
    CUnreadFolder(const CUnreadFolder&) = delete;
    CUnreadFolder& operator=(const CUnreadFolder&) = delete;

    [[nodiscard]] QString Path() const { return QString::fromStdString(m_path.string()); }
    [[nodiscard]] bool Watching() const { return m_watch >= 0; }

    // Runs start (which shows the list's dialog or points the list at the folder), then
    // turns the event loop until the list has taken in the whole folder. A list pointed at
    // the folder before must not have turned the loop since.
    void WaitForListing(QFileSystemModel& files, const std::function<void()>& start) const
    {
        bool listed = false;
        QObject context;
        QObject::connect(&files, &QFileSystemModel::directoryLoaded, &context,
                         [&](const QString& path) { listed = listed || path == Path(); });
        start();
        while (!listed)
            uitest::TurnEventLoop();
    }

    // The names of the entries opened or read since the folder was made.
    [[nodiscard]] std::set<std::string> Opened() const
    {
        std::set<std::string> names;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(m_watch, buffer, sizeof buffer)) > 0;)
            for (ssize_t at = 0; at < got;)
            {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0)
                    names.insert(event->name);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        return names;
    }

private:
    std::filesystem::path m_path = std::filesystem::temp_directory_path() / ("unread-" + std::to_string(::getpid()));
    int m_watch = -1;
    void (*m_previousAlarm)(int) = SIG_DFL;
};

}  // namespace uitest
