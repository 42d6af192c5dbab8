#include "platform/ui/doctemplate.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QPointer>
#include <QWidget>

#include "platform/ui/document.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/view.h"
#include "platform/ui/winapp.h"
#include "uitestsupport.h"

namespace {

// Writes down, when its window goes, whether it still had its document then.
class CDestroyRecordingView : public CView
{
public:
    explicit CDestroyRecordingView(std::vector<bool>& destroyed) : m_destroyed(destroyed) {}
    ~CDestroyRecordingView() override { DestroyWindow(); }
    void OnDestroy() override { m_destroyed.push_back(GetDocument() != nullptr && GetWidget() != nullptr); }

private:
    std::vector<bool>& m_destroyed;
};

TEST(DocTemplateTest, AReplacedViewLosesItsWindowOnceWhileItStillHasItsDocumentAndTheNewOneTakesItsFocus)
{
    uitest::EnsureQtApplication();
    uitest::MemorySettings settings;
    std::vector<bool> destroyed;
    CWinApp app(CString("ReplaceTest"));
    app.AddDocTemplate(std::make_unique<CSingleDocTemplate>(
        0, [] { return new CDocument; }, [] { return new CFrameWnd; },
        [&destroyed] { return new CDestroyRecordingView(destroyed); }));
    ASSERT_NE(app.OpenDocumentFile(CString()), nullptr);
    CSingleDocTemplate& docTemplate = *app.GetDocTemplate();
    const QPointer<QWidget> oldWindow = docTemplate.GetView()->GetWidget();
    ASSERT_FALSE(oldWindow.isNull());
    docTemplate.GetFrame()->GetWindow()->show();
    oldWindow->setFocus();
    // The view is replaced from a dialog over the frame.
    QWidget dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);

    auto view = std::make_unique<CDestroyRecordingView>(destroyed);
    view->Create(docTemplate.GetFrame()->GetWindow());
    CView* replacement = view.get();
    docTemplate.ReplaceView(std::move(view));
    EXPECT_EQ(destroyed, std::vector<bool>{true});
    EXPECT_TRUE(oldWindow.isNull());
    EXPECT_EQ(docTemplate.GetView(), replacement);
    EXPECT_EQ(replacement->GetDocument(), docTemplate.GetDocument());
    // Keys go on reaching the view.
    EXPECT_EQ(replacement->GetWidget()->window()->focusWidget(), replacement->GetWidget());

    docTemplate.CloseAll();
    EXPECT_EQ(destroyed, (std::vector<bool>{true, true}));
}

}  // namespace
