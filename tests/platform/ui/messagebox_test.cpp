#include "platform/ui/messagebox.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>

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

// A folder name of 196 characters once ran past the box's edge, hiding the rest of the path.
TEST(MessageBoxTest, APathWithALongFolderNameIsShownWholeWithinTheBoxAndCopiedAsGiven)
{
    uitest::EnsureQtApplication();
    // A name that reads as markup is shown as it stands.
    const QString path = "/home/user/" + QString(196, u'w') + "/<b>house</b>.twk";
    const QString text = "Unable to save \"" + path + "\".\nIts folder takes no new file: No space left on device";
    const std::unique_ptr<QMessageBox> box =
        MakeMessageBox({CString::FromUtf8(text.toStdString()), MB_ICONEXCLAMATION});
    box->show();
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(QString(label->text()).remove(QChar(0x200B)), text);

    // Every line the label lays out, as it paints it, fits in it, and the label in the box on the screen.
    box->grab();
    EXPECT_LE(label->geometry().right(), box->contentsRect().right());
    EXPECT_LE(box->width(), box->screen()->availableGeometry().width());
    const auto* document = label->findChild<QTextDocument*>();
    ASSERT_NE(document, nullptr);
    int lines = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (int i = 0; i < block.layout()->lineCount(); ++i, ++lines)
            EXPECT_LE(block.layout()->lineAt(i).naturalTextWidth(), label->contentsRect().width());
    EXPECT_GT(lines, 3);
    EXPECT_EQ(document->toPlainText().remove(QChar(0x200B)), text);

    // The label's text chosen whole and copied, as with the mouse and Ctrl+C.
    label->setSelection(0, static_cast<int>(label->text().size()));
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::sendEvent(label, &copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
}

}  // namespace
