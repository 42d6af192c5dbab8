#include "app/fileassociation.h"

#include <gtest/gtest.h>

#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "apptestsupport.h"

namespace {

class FileAssociationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        home = std::filesystem::temp_directory_path() / ("glimra-xdg-" + std::to_string(::getpid()));
        std::filesystem::remove_all(home);
    }
    void TearDown() override { std::filesystem::remove_all(home); }
    [[nodiscard]] std::string Read(const char* relative) const
    {
        std::ifstream file(home / relative);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    std::filesystem::path home;
};

TEST_F(FileAssociationTest, TheMimeTypeIconAndDesktopEntryAreWrittenOnceAndOnlyRewrittenWhenTheyDiffer)
{
    const CString dataHome(home.string());
    EXPECT_EQ(RegisterFileAssociation(CString("/opt/glimra/glimra"), dataHome), 3);
    EXPECT_NE(Read("mime/packages/glimra-twk.xml").find("<glob pattern=\"*.twk\"/>"), std::string::npos);
    const std::string entry = Read("applications/glimra.desktop");
    EXPECT_NE(entry.find("Exec=\"/opt/glimra/glimra\" %f\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=glimra\n"), std::string::npos);
    EXPECT_NE(Read("icons/hicolor/scalable/apps/glimra.svg").find("<svg"), std::string::npos);
    EXPECT_EQ(RegisterFileAssociation(CString("/opt/glimra/glimra"), dataHome), 0);
    EXPECT_EQ(RegisterFileAssociation(CString("/usr/bin/glimra"), dataHome), 1);
}

TEST_F(FileAssociationTest, TheDesktopsDatabasesLearnTheTypeWhereTheirToolsAreInstalled)
{
    ASSERT_EQ(RegisterFileAssociation(CString("/opt/glimra/glimra"), CString(home.string())), 3);
    if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty()) {
        EXPECT_NE(Read("mime/globs2").find(std::string(kModelMimeType) + ":*.twk"), std::string::npos);
    }
    if (!QStandardPaths::findExecutable(QStringLiteral("update-desktop-database")).isEmpty()) {
        EXPECT_NE(Read("applications/mimeinfo.cache").find(std::string(kModelMimeType) + "=glimra.desktop;"),
                  std::string::npos);
    }
}

TEST_F(FileAssociationTest, TheProgramPathIsQuotedForTheDesktopEntry)
{
    const std::string entry = MakeDesktopEntry(CString("/opt/my \"odd\" $dir/50%/glimra")).ToUtf8();
    EXPECT_NE(entry.find("Exec=\"/opt/my \\\\\"odd\\\\\" \\\\$dir/50%%/glimra\" %f\n"), std::string::npos);
}

TEST_F(FileAssociationTest, NothingIsWrittenWithoutADataFolder)
{
    EXPECT_EQ(RegisterFileAssociation(CString("/opt/glimra/glimra"), CString()), 0);
}

}  // namespace
