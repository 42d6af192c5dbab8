#include "platform/ui/recentfilelist.h"

#include <gtest/gtest.h>

#include "platform/profile.h"
#include "platform/ui/doctemplate.h"
#include "platform/ui/document.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/view.h"
#include "platform/ui/winapp.h"
#include "uitestsupport.h"

namespace {

std::vector<CString> Entries(const CRecentFileList& list)
{
    std::vector<CString> entries;
    for (int i = 0; i < list.GetCount(); ++i)
        entries.push_back(list[i]);
    return entries;
}

TEST(RecentFileListTest, NewestFirstAReopenedFileMovesToTheFrontAndTheOldestDropsOff)
{
    CRecentFileList list(CString("Recent File List"), CString("File%d"), 4);
    for (const char* path : {"/a.twk", "/b.twk", "/c.twk", "/d.twk", "/b.twk", "/e.twk", ""})
        list.Add(CString(path));
    EXPECT_EQ(Entries(list), (std::vector<CString>{CString("/e.twk"), CString("/b.twk"), CString("/d.twk"),
                                                   CString("/c.twk")}));
    list.Remove(1);
    list.Remove(9);
    EXPECT_EQ(Entries(list), (std::vector<CString>{CString("/e.twk"), CString("/d.twk"), CString("/c.twk")}));
    EXPECT_TRUE(list[3].IsEmpty());
}

TEST(RecentFileListTest, TheListIsKeptInTheProfileAndAnEmptySlotEndsIt)
{
    uitest::MemorySettings settings;
    CRecentFileList written(CString("Recent File List"), CString("File%d"), 4);
    written.Add(CString("/one.twk"));
    written.Add(CString("/two.twk"));
    written.WriteList();
    EXPECT_EQ(GetProfileString(CString("Recent File List"), CString("File1"), CString()), CString("/two.twk"));
    EXPECT_EQ(GetProfileString(CString("Recent File List"), CString("File3"), CString("x")), CString());

    WriteProfileString(CString("Recent File List"), CString("File4"), CString("/after-a-gap.twk"));
    CRecentFileList read(CString("Recent File List"), CString("File%d"), 4);
    read.ReadList();
    EXPECT_EQ(Entries(read), (std::vector<CString>{CString("/two.twk"), CString("/one.twk")}));
}

TEST(RecentFileListTest, AnEntryFormatThatTakesOtherValuesThanTheNumberGivesWayToTheBuiltInOne)
{
    uitest::MemorySettings settings;
    for (const char* format : {"File%s", "File%d%s", "File%n"}) {
        CRecentFileList list(CString("Recent File List"), CString(format), 4);
        list.Add(CString("/one.twk"));
        list.WriteList();
        EXPECT_EQ(GetProfileString(CString("Recent File List"), CString("File1"), CString()), CString("/one.twk"))
            << format;
    }
}

// A document that opens only the paths it was told exist.
class CFussyDocument : public CDocument
{
public:
    bool OnOpenDocument(const CString& path) override { return path == CString("/exists.twk"); }
};

TEST(RecentFileListTest, ARecentFileThatNoLongerOpensLeavesTheListAndTheCommandCountsAsHandled)
{
    uitest::EnsureQtApplication();
    uitest::MemorySettings settings;
    uitest::MessageBoxRecorder boxes;
    CWinApp app(CString("RecentTest"));
    app.LoadStdProfileSettings(4);
    app.AddDocTemplate(std::make_unique<CSingleDocTemplate>(
        0, [] { return new CFussyDocument; }, [] { return new CFrameWnd; }, [] { return new CView; }));
    ASSERT_NE(app.OpenDocumentFile(CString()), nullptr);
    app.AddToRecentFileList(CString("/gone.twk"));
    app.AddToRecentFileList(CString("/exists.twk"));

    EXPECT_TRUE(app.OnCmdMsg(ID_FILE_MRU_FILE1 + 1, nullptr));
    EXPECT_EQ(Entries(*app.GetRecentFileList()), (std::vector<CString>{CString("/exists.twk")}));
    EXPECT_TRUE(app.OnCmdMsg(ID_FILE_MRU_FILE1, nullptr));
    EXPECT_EQ(app.GetDocTemplate()->GetDocument()->GetPathName(), CString("/exists.twk"));

    CCmdUI second(ID_FILE_MRU_FILE1 + 1);
    ASSERT_TRUE(app.OnCmdMsg(second.GetID(), &second));
    EXPECT_FALSE(second.IsEnabled());
}

TEST(RecentFileListTest, TheMenuNamesEachRecentFileAndShowsOneGreyedItemForAnEmptyList)
{
    uitest::EnsureQtApplication();
    uitest::MemorySettings settings;
    CWinApp app(CString("RecentTest"));
    app.LoadStdProfileSettings(4);
    const struct
    {
        int files;
        UINT id;
        bool enabled;
        bool visible;
        const char* text;
    } cases[] = {{0, ID_FILE_MRU_FILE1, false, true, "Recent File"},
                 {0, ID_FILE_MRU_FILE1 + 1, false, false, "Recent File"},
                 {2, ID_FILE_MRU_FILE1, true, true, "&1 /b.twk"},
                 {2, ID_FILE_MRU_FILE1 + 1, true, true, "&2 /a.twk"},
                 {2, ID_FILE_MRU_FILE1 + 2, false, false, "Recent File"}};
    for (const auto& c : cases)
    {
        if (c.files > 0 && app.GetRecentFileList()->GetCount() == 0)
        {
            app.AddToRecentFileList(CString("/a.twk"));
            app.AddToRecentFileList(CString("/b.twk"));
        }
        CCmdUI ui(c.id);
        ASSERT_TRUE(app.OnCmdMsg(c.id, &ui));
        EXPECT_EQ(ui.IsEnabled(), c.enabled) << c.id;
        EXPECT_EQ(ui.IsVisible(), c.visible) << c.id;
        EXPECT_EQ(ui.GetText(), CString(c.text)) << c.id;
    }
}

}  // namespace
