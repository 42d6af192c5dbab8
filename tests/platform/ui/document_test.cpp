#include "platform/ui/document.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/ui/view.h"
#include "uitestsupport.h"

namespace {

// Keeps one integer; writes down the order of the road's steps.
class CNumberDocument : public CDocument
{
public:
    void DeleteContents() override
    {
        steps += "delete;";
        number = 0;
    }
    void Serialize(CArchive& archive) override
    {
        steps += archive.IsStoring() ? "store;" : "load;";
        if (failStoring && archive.IsStoring())
            throw CArchiveException(CArchiveException::genericException);
        if (archive.IsStoring())
            archive << number;
        else
            archive >> number;
    }

    std::string steps;
    int number = 0;
    bool failStoring = false;
};

class CCountingView : public CView
{
public:
    void OnUpdate(CView*, LPARAM hint, CObject*) override { hints.push_back(hint); }
    std::vector<LPARAM> hints;
};

class DocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("glimra-document-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    [[nodiscard]] CString PathOf(const char* name) const { return CString((folder / name).string()); }

    std::filesystem::path folder;
    uitest::MessageBoxRecorder boxes;
};

TEST_F(DocumentTest, SavingAndOpeningRunTheRoadInOrderAndClearTheModifiedFlag)
{
    CNumberDocument saved;
    saved.number = 1234;
    saved.SetModifiedFlag();
    ASSERT_TRUE(saved.OnSaveDocument(PathOf("model.twk")));
    EXPECT_FALSE(saved.IsModified());

    CNumberDocument opened;
    ASSERT_TRUE(opened.OnOpenDocument(PathOf("model.twk")));
    EXPECT_EQ(opened.steps, "delete;load;");
    EXPECT_EQ(opened.number, 1234);
    EXPECT_FALSE(opened.IsModified());
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(DocumentTest, AFileThatCannotBeReadIsReportedAndLeavesTheDocumentEmpty)
{
    std::ofstream(PathOf("short.twk").ToUtf8()) << "ab";
    CNumberDocument document;
    document.number = 5;
    EXPECT_FALSE(document.OnOpenDocument(PathOf("short.twk")));
    EXPECT_FALSE(document.OnOpenDocument(PathOf("missing.twk")));
    EXPECT_EQ(document.number, 0);
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_GE(boxes.calls[0].text.Find(CString("short.twk")), 0);
}

TEST_F(DocumentTest, AFailedSaveKeepsTheOldFileAndLeavesNoPartialFileBehind)
{
    CNumberDocument document;
    document.number = 7;
    ASSERT_TRUE(document.OnSaveDocument(PathOf("kept.twk")));
    const auto before = std::filesystem::file_size(folder / "kept.twk");

    document.failStoring = true;
    document.SetModifiedFlag();
    EXPECT_FALSE(document.OnSaveDocument(PathOf("kept.twk")));
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(std::filesystem::file_size(folder / "kept.twk"), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
    EXPECT_EQ(boxes.calls.size(), 1u);
}

TEST_F(DocumentTest, UpdateAllViewsTellsEveryViewButTheSender)
{
    CDocument document;
    CCountingView sender;
    CCountingView other;
    document.AddView(&sender);
    document.AddView(&other);
    document.AddView(&other);
    document.UpdateAllViews(&sender, 42);
    EXPECT_TRUE(sender.hints.empty());
    EXPECT_EQ(other.hints, (std::vector<LPARAM>{42}));
    EXPECT_EQ(other.GetDocument(), &document);
    document.RemoveView(&sender);
    document.RemoveView(&other);
}

TEST_F(DocumentTest, ThePathNamesTheTitle)
{
    CDocument document;
    document.SetPathName(CString("/home/someone/models/house.twk"));
    EXPECT_EQ(document.GetTitle(), CString("house.twk"));
}

}  // namespace
