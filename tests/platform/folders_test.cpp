#include "platform/folders.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Sets or clears an environment variable for one test and puts it back afterwards.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv()
    {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

}  // namespace

TEST(FoldersTest, TheTemporaryFolderComesFromTmpdirAndEndsInASlash)
{
    struct Case
    {
        const char* tmpdir;  // null: the variable is unset
        const char* folder;
    };
    const Case cases[] = {{"/var/tmp", "/var/tmp/"}, {"/scratch/", "/scratch/"}, {"", "/tmp/"}, {nullptr, "/tmp/"}};
    for (const Case& c : cases) {
        ScopedEnv tmp("TMPDIR", c.tmpdir);
        EXPECT_EQ(GetTempFolder(), CString(c.folder)) << (c.tmpdir != nullptr ? c.tmpdir : "(unset)");
    }
}

TEST(FoldersTest, TheRuntimeFolderIsTheUsersOwnAndNeverOneOthersCouldHaveMade)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / "runtime";
    const fs::path own = root / "own";
    const fs::path open = root / "open";
    const fs::path shared = root / "shared";
    const fs::path fallback = shared / ("glimra-" + std::to_string(::getuid()));
    const auto plantLink = [&] { fs::create_directory_symlink(own, fallback); };
    const auto plantOpenFolder = [&] {
        fs::create_directory(fallback);
        fs::permissions(fallback, fs::perms::owner_all | fs::perms::others_exec);
    };
    const struct
    {
        const char* name;
        const char* runtime;  // XDG_RUNTIME_DIR; null: unset
        std::function<void()> plant;
        std::string folder;  // empty: none
    } cases[] = {
        {"the runtime folder", own.c_str(), [] {}, own.string() + "/"},
        {"one others may enter", open.c_str(), [] {}, fallback.string() + "/"},
        {"a relative one", "run", [] {}, fallback.string() + "/"},
        {"none", nullptr, [] {}, fallback.string() + "/"},
        {"a link planted at the shared name", nullptr, plantLink, ""},
        {"a shared name others may enter", nullptr, plantOpenFolder, ""},
    };
    for (const auto& c : cases) {
        fs::create_directories(own);
        fs::permissions(own, fs::perms::owner_all);
        fs::create_directories(open);
        fs::permissions(open, fs::perms::all);
        fs::create_directories(shared);
        c.plant();
        ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtime);
        ScopedEnv tmp("TMPDIR", shared.c_str());
        EXPECT_EQ(GetUserRuntimeFolder().ToUtf8(), c.folder) << c.name;
        if (!c.folder.empty()) {
            EXPECT_EQ(fs::status(c.folder).permissions(), fs::perms::owner_all) << c.name;
        }
        fs::remove_all(root);
    }
}

TEST(FoldersTest, TheConfigFolderPrefersTheProgramsOwnVariableThenXdgThenHome)
{
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv own("GLIMRA_CONFIG_HOME", "/tmp/glimra-test-config/");
        ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
        EXPECT_EQ(GetConfigFolder(), CString("/tmp/glimra-test-config"));
    }
    ScopedEnv own("GLIMRA_CONFIG_HOME", nullptr);
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg/");
        EXPECT_EQ(GetConfigFolder(), CString("/xdg/glimra"));
    }
    {
        // A relative folder is not allowed there and would depend on the working folder.
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(GetConfigFolder(), CString("/home/someone/.config/glimra"));
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(GetConfigFolder(), CString("/home/someone/.config/glimra"));
}

TEST(FoldersTest, TheConfigFolderIsFoundWithoutHome)
{
    ScopedEnv own("GLIMRA_CONFIG_HOME", nullptr);
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", nullptr);
    const std::string folder = GetConfigFolder().ToUtf8();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.substr(folder.size() - 15), "/.config/glimra");
}

TEST(FoldersTest, TheModulePathNamesThisTestProgram)
{
    const CString path = GetModulePath();
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path[0], u'/');
    EXPECT_EQ(path.Mid(path.ReverseFind(u'/') + 1), CString("test_platform"));
    EXPECT_TRUE(FileExists(path));
}

TEST(FoldersTest, FileExistsForFilesAndFoldersButNotForMissingOrEmptyPaths)
{
    EXPECT_TRUE(FileExists(GLIMRA_SOURCE_DIR "/CMakeLists.txt"));
    EXPECT_TRUE(FileExists(GLIMRA_SOURCE_DIR));
    EXPECT_FALSE(FileExists(GLIMRA_SOURCE_DIR "/no such file.txt"));
    EXPECT_FALSE(FileExists(CString()));
}
