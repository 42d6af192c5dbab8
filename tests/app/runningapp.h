#pragma once
// The program started as the user starts it, on the sample house, with its settings in
// memory, its desktop files in a folder of the test's own and its message boxes written
// down; ended when the object goes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "app/glimraapp.h"
#include "app/glimraview.h"
#include "apptestsupport.h"
#include "samplefiles.h"

namespace apptest {

class RunningApp
{
public:
    explicit RunningApp(int messageBoxAnswer = IDOK)
        : m_dataHome(std::filesystem::temp_directory_path() / ("glimra-running-" + std::to_string(::getpid()))),
          boxes(messageBoxAnswer)
    {
        PrepareApplication();
        setenv("XDG_DATA_HOME", m_dataHome.c_str(), 1);
        app.SetArguments({CString("glimra"), CString::FromUtf8(Samples().Path("house-5000.twk"))});
        started = app.InitInstance();
        EXPECT_TRUE(started);
    }
    ~RunningApp()
    {
        if (started)
            app.ExitInstance();
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(m_dataHome);
    }
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    [[nodiscard]] CGlimraView* View() const { return app.GetActiveGlimraView(); }

private:
    std::filesystem::path m_dataHome;

public:
    MemorySettings settings;
    MessageBoxRecorder boxes;
    CGlimraApp app;
    bool started = false;
};

}  // namespace apptest
