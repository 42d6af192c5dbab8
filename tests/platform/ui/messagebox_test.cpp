#include "platform/ui/messagebox.h"

#include <gtest/gtest.h>

#include "platform/resources.h"
#include "uitestsupport.h"

namespace {

TEST(MessageBoxTest, TheSinkReceivesTextButtonsAndHelpIdAndItsAnswerIsReturned)
{
    uitest::MessageBoxRecorder recorder(IDYES);
    EXPECT_EQ(AfxMessageBox(CString("Save changes?"), MB_YESNO | MB_ICONQUESTION, 77), IDYES);
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].text, CString("Save changes?"));
    EXPECT_EQ(recorder.calls[0].type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(recorder.calls[0].helpId, 77u);
}

TEST(MessageBoxTest, AStringIdShowsThatStringAndAMissingOneAnEmptyText)
{
    RegisterString(64001, CString("From the table"));
    uitest::MessageBoxRecorder recorder;
    AfxMessageBox(64001);
    AfxMessageBox(64002);
    ASSERT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.calls[0].text, CString("From the table"));
    EXPECT_TRUE(recorder.calls[1].text.IsEmpty());
}

TEST(MessageBoxTest, AnInnerSinkHandsBackToTheOuterOneWhenItEnds)
{
    uitest::MessageBoxRecorder outer;
    {
        uitest::MessageBoxRecorder inner(IDCANCEL);
        EXPECT_EQ(AfxMessageBox(CString("inner")), IDCANCEL);
    }
    EXPECT_EQ(AfxMessageBox(CString("outer")), IDOK);
    ASSERT_EQ(outer.calls.size(), 1u);
    EXPECT_EQ(outer.calls[0].text, CString("outer"));
}

TEST(MessageBoxTest, WithoutASinkOffscreenNothingWaitsForAButton)
{
    uitest::EnsureQtApplication();
    const MessageBoxSink previous = SetMessageBoxSink({});
    EXPECT_EQ(AfxMessageBox(CString("nobody is there to press OK"), MB_OKCANCEL), IDOK);
    SetMessageBoxSink(previous);
}

}  // namespace
