#include <gtest/gtest.h>


#include "document/classregistration.h"
#include "document/pagelist.h"
#include "document/viewpage.h"
#include "model/undosuspender.h"
#include "platform/archive.h"
#include "tests/document/pagetestsupport.h"

using pagetest::Bytes;
using pagetest::FormatVersions;
using pagetest::Load;
using pagetest::PageEvents;
using pagetest::PageStart;
using pagetest::RecordBuilder;
using pagetest::Store;

namespace {

class PageListTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }
    void TearDown() override
    {
        const CUndoSuspender suspender;
        list->Erase();
    }

    CTarnwickPage* Add(const char* name, int index = -1)
    {
        auto* page = new CViewPage(name, "", 0);
        list->AddPage(page, index);
        return page;
    }

    CPageList* list = new CPageList;
};

// Reads the list with the class versions of the newest format.
void ReadList(CPageList& list, const Bytes& bytes)
{
    const FormatVersions versions(kSaveFormat5000);
    Load(bytes, [&](CArchive& ar) { list.Serialize(ar); });
}

// The class tag of a new CTarnwickPage object, then the page part.
RecordBuilder& NewPage(RecordBuilder& record, const std::string& name)
{
    const std::string className = "CTarnwickPage";
    record.Word(0xFFFF).Word(1).Word(static_cast<WORD>(className.size()));
    for (char c : className) {
        record.Byte(static_cast<BYTE>(c));
    }
    return record.Append(PageStart(name).Get());
}

}  // namespace

TEST_F(PageListTest, AddPageInsertsBeforeAValidIndexAndAppendsOtherwise)
{
    struct Case
    {
        int index;
        int expected;
    };
    for (const Case& c : {Case{-1, 2}, Case{2, 2}, Case{7, 2}, Case{0, 0}, Case{1, 1}}) {
        PageListTest::TearDown();
        list = new CPageList;
        Add("a");
        Add("b");
        auto* page = new CViewPage("new", "", 0);
        EXPECT_EQ(list->AddPage(page, c.index), c.expected) << c.index;
        EXPECT_EQ(list->GetPage(c.expected), page);
        EXPECT_EQ(page->GetParent(), list);
        EXPECT_EQ(list->IndexOf(page), c.expected);
    }
}

TEST_F(PageListTest, AddingSelectingAndClearingAnnounceThemselves)
{
    PageEvents events;
    CTarnwickPage* first = Add("first");
    CTarnwickPage* second = Add("second");
    second->Select();
    EXPECT_EQ(list->GetSelectedPage(), second);
    list->Clear();
    ASSERT_EQ(events.events.size(), 4u);
    EXPECT_EQ(events.events[0].code, kPageAdded);
    EXPECT_EQ(events.events[2].code, kPageSelected);
    EXPECT_EQ(events.events[2].page, second);
    EXPECT_EQ(events.events[3].code, kPagesCleared);
    EXPECT_EQ(events.events[3].page, first);
    EXPECT_TRUE(list->IsEmpty());
    EXPECT_EQ(list->GetSelectedPage(), nullptr);
}

TEST_F(PageListTest, SelectingAPageOfAnotherListClearsTheSelectionButStillPosts)
{
    Add("mine")->Select();
    CViewPage stranger("stranger", "", 0);
    PageEvents events;
    list->SetSelectedPage(&stranger);
    EXPECT_EQ(list->GetSelectedPage(), nullptr);
    ASSERT_EQ(events.events.size(), 1u);
    EXPECT_EQ(events.events[0].code, kPageSelected);
    EXPECT_EQ(events.events[0].page, &stranger);
}

TEST_F(PageListTest, WithNotificationsSuppressedAddingAndSelectingPostNothing)
{
    PageEvents events;
    const bool previous = SuppressPageNotifications(true);
    Add("quiet")->Select();
    list->Clear();
    SuppressPageNotifications(previous);
    EXPECT_TRUE(events.events.empty());
}

TEST_F(PageListTest, LookupsAnswerNullAndMinusOneOutsideTheList)
{
    EXPECT_EQ(list->GetPage(0), nullptr);
    EXPECT_EQ(list->IndexOf(nullptr), -1);
    CTarnwickPage* page = Add("only");
    EXPECT_EQ(list->GetPage(-1), nullptr);
    EXPECT_EQ(list->GetPage(1), nullptr);
    EXPECT_EQ(list->GetAt(1), nullptr);
    EXPECT_TRUE(list->Remove(page));
    EXPECT_EQ(page->GetParent(), nullptr);
    EXPECT_EQ(page->GetIndex(), -1);
    EXPECT_FALSE(list->Remove(page));
    delete page;
}

TEST_F(PageListTest, AWrittenListReadsBackWithItsSelectionAndWritesTheSameBytes)
{
    Add("front");
    Add("side")->Select();
    Add("top");
    const Bytes bytes = Store([&](CArchive& ar) { list->Serialize(ar); });
    auto* copy = new CPageList;
    ReadList(*copy, bytes);
    ASSERT_EQ(copy->GetCount(), 3);
    EXPECT_EQ(copy->GetPage(2)->GetName(), CString("top"));
    EXPECT_EQ(copy->GetSelectedPage(), copy->GetPage(1));
    EXPECT_EQ(Store([&](CArchive& ar) { copy->Serialize(ar); }), bytes);
    const CUndoSuspender suspender;
    copy->Erase();
}

TEST_F(PageListTest, AStoredSelectionOutsideTheListIsNotKept)
{
    struct Case
    {
        const char* what;
        Bytes bytes;
        int count;
    };
    // Objects are numbered from 1, classes included: the class is 1 and the page 2.
    RecordBuilder nullSelection;
    NewPage(nullSelection.Null().Int(1), "a").Null();
    RecordBuilder strayPage;
    NewPage(strayPage.Null().Int(0), "stray");
    RecordBuilder emptyWithSelection;
    NewPage(emptyWithSelection.Null().Int(0), "ghost");
    for (const Case& c : {Case{"null", nullSelection.Get(), 1}, Case{"stray", strayPage.Get(), 0},
                          Case{"empty", emptyWithSelection.Get(), 0}}) {
        auto* read = new CPageList;
        ReadList(*read, c.bytes);
        EXPECT_EQ(read->GetCount(), c.count) << c.what;
        EXPECT_EQ(read->GetSelectedPage(), nullptr) << c.what;
        const CUndoSuspender suspender;
        read->Erase();
    }
}

// A page that an earlier record read (a relationship's end) stays that record's when the
// list names it as selected without holding it: it outlives the read.
TEST_F(PageListTest, AStoredSelectionThatAnEarlierRecordReadOutlivesTheRead)
{
    RecordBuilder record;
    NewPage(record, "held").Null().Int(0).Word(2);
    CTarnwickPage* held = nullptr;
    {
        const FormatVersions versions(kSaveFormat5000);
        Load(record.Get(), [&](CArchive& ar) {
            held = ReadPageObject(ar);
            list->Serialize(ar);
        });
    }
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(list->GetSelectedPage(), nullptr);
    EXPECT_EQ(held->GetName(), CString("held"));
    delete held;
}

TEST_F(PageListTest, ACountBeyondTheBytesOrAPageListedTwiceIsRejected)
{
    RecordBuilder negative;
    negative.Null().Int(-1);
    RecordBuilder tooMany;
    tooMany.Null().Int(1000000).Null();
    RecordBuilder twice;
    NewPage(twice.Null().Int(2), "twice").Word(2).Null();
    struct Case
    {
        const char* what;
        Bytes bytes;
        int cause;
    };
    for (const Case& c : {Case{"negative", negative.Get(), CArchiveException::badIndex},
                          Case{"too many", tooMany.Get(), CArchiveException::endOfFile},
                          Case{"twice", twice.Get(), CArchiveException::badIndex}}) {
        auto* read = new CPageList;
        EXPECT_EQ(settingstest::ArchiveCause([&] { ReadList(*read, c.bytes); }), c.cause) << c.what;
        const CUndoSuspender suspender;
        read->Erase();
    }
}
