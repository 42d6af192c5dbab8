// Linked into every test program: the process works in a temporary folder of its own,
// removed with everything in it when the tests end. Whatever a test or the code under
// test writes to the temporary folder (undo logs, snapshots, pictures, programs started
// by the test) lands there, and nothing is left behind in the system's folder. The
// user's runtime folder is forgotten for the run, so the undo logs land there too, and the
// configuration folder is one inside the temporary folder. The fonts are the ones the
// set-up script installs and no others, so that glyphs measure the same on a machine with
// more fonts. Unless the run says otherwise, the software
// rasteriser fills on two threads, the rates frames are weighed at, so that a model a test
// opens weighs the same on a machine with more processors.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include <sys/stat.h>

namespace {

class CTestTempFolder : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ::setenv("FONTCONFIG_FILE", GLIMRA_TEST_FONTCONFIG, 1);
        ::setenv("LP_NUM_THREADS", "2", 0);
        const char* const outer = std::getenv("TMPDIR");
        if (outer != nullptr)
        {
            m_outer = outer;
            m_hadOuter = true;
        }
        std::string pattern =
            (outer != nullptr && *outer != '\0' ? std::string(outer) : std::string("/tmp")) + "/glimra-test-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            return;  // the tests then run in the system's folder, as before
        m_folder = pattern;
        // Others may look in but not write: tests that drop to another user in a child
        // still reach their own folders inside.
        ::chmod(m_folder.c_str(), 0755);
        ::setenv("TMPDIR", m_folder.c_str(), 1);
        // The user's runtime folder would otherwise take the undo logs of every test.
        if (const char* const runtime = std::getenv("XDG_RUNTIME_DIR"))
            m_runtime = runtime;
        ::unsetenv("XDG_RUNTIME_DIR");
        // Settings that toolkits keep for themselves (a file dialog's last view, say) land
        // here too, not in the user's own folder.
        if (const char* const config = std::getenv("XDG_CONFIG_HOME"))
            m_config = config;
        ::setenv("XDG_CONFIG_HOME", (m_folder + "/config").c_str(), 1);
    }

    void TearDown() override
    {
        if (m_folder.empty())
            return;
        if (m_hadOuter)
            ::setenv("TMPDIR", m_outer.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        if (m_runtime.has_value())
            ::setenv("XDG_RUNTIME_DIR", m_runtime->c_str(), 1);
        if (m_config.has_value())
            ::setenv("XDG_CONFIG_HOME", m_config->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

private:
    std::string m_folder;
    std::string m_outer;
    bool m_hadOuter = false;
    std::optional<std::string> m_runtime;
    std::optional<std::string> m_config;
};

[[maybe_unused]] ::testing::Environment* const g_testTempFolder =
    ::testing::AddGlobalTestEnvironment(new CTestTempFolder);

}  // namespace
