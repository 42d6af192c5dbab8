// What the user sees of the running program's shell: the words of its menus and buttons,
// the toolbar pictograms, the program icon, and start-up acting on the graphics-card list.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QToolBar>
#include <QWidgetAction>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <unistd.h>

#include "app/glimraapp.h"
#include "app/glimradoc.h"
#include "app/glimraview.h"
#include "app/mainframe.h"
#include "app/mfcwinbmp.h"
#include "app/resourceids.h"
#include "app/toolbarbuttons.h"
#include "apptestsupport.h"
#include "platform/quitrequest.h"
#include "platform/ui/appprinter.h"
#include "platform/ui/doctemplate.h"
#include "platform/ui/printpreviewwindow.h"
#include "platform/ui/stringtable.h"

namespace {

// Start-up with the graphics-card list's verdict given by the test.
class CVerdictApp : public CGlimraApp
{
public:
    explicit CVerdictApp(bool verdict) : m_verdict(verdict) {}
    QPointer<QWidget> checkedViewWindow;
    CViewDefinition checkedCamera;

protected:
    bool CheckGraphicsCard(CGlimraView& view) override
    {
        checkedViewWindow = view.GetWidget();
        view.GetViewDefinition().SetPerspective(!view.GetViewDefinition().IsPerspective());
        checkedCamera = view.GetViewDefinition();
        return m_verdict;
    }

private:
    bool m_verdict;
};

class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        dataHome = std::filesystem::temp_directory_path() / ("glimra-shell-" + std::to_string(::getpid()));
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(dataHome);
    }
    static void Start(CGlimraApp& app)
    {
        app.SetArguments({CString("glimra")});
        ASSERT_TRUE(app.InitInstance());
    }

    std::filesystem::path dataHome;
    apptest::MemorySettings settings;
    apptest::MessageBoxRecorder boxes;
};

// The action's menu text without its mnemonic and its key column.
QString Words(const QAction* action)
{
    return action->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&')).trimmed();
}

TEST_F(ShellTest, EveryMenuItemAndToolbarButtonHasItsTextToolTipAndStatusPrompt)
{
    CVerdictApp app(true);
    Start(app);
    QMainWindow* window = app.GetMainFrame()->GetWindow();
    std::vector<std::pair<QString, QAction*>> items;
    std::vector<QMenu*> menus;
    app.GetMainFrame()->UpdateCommandUI();
    for (QAction* menu : window->menuBar()->actions())
        menus.push_back(menu->menu());
    for (size_t i = 0; i < menus.size(); ++i)
    {
        // No two rows of one menu read the same; a submenu has words and its own rows.
        std::set<QString> words;
        for (QAction* item : menus[i]->actions())
        {
            if (item->isSeparator() || !item->isVisible())
                continue;
            EXPECT_TRUE(words.insert(Words(item)).second)
                << menus[i]->title().toStdString() << ": " << Words(item).toStdString();
            if (item->menu() != nullptr)
            {
                EXPECT_FALSE(Words(item).isEmpty());
                menus.push_back(item->menu());
                continue;
            }
            items.emplace_back(menus[i]->title(), item);
        }
    }
    // Every row of the Render menu can be reached by its letter.
    for (QAction* menu : window->menuBar()->actions()) {
        if (menu->text() != QStringLiteral("&Render")) {
            continue;
        }
        for (const QAction* item : menu->menu()->actions()) {
            EXPECT_TRUE(item->isSeparator() || item->text().contains(QLatin1Char('&'))) << item->text().toStdString();
        }
    }
    // The bars' own menu names them as the View menu does.
    const std::unique_ptr<QMenu> bars(app.GetMainFrame()->CreateBarsMenu());
    ASSERT_NE(bars, nullptr);
    std::vector<QString> barWords;
    for (const QAction* item : bars->actions())
        barWords.push_back(Words(item));
    EXPECT_EQ(barWords, (std::vector<QString>{"Standard", "Camera", "Display Modes", "Views", "Shadows", "Page Tabs"}));
    for (QToolBar* bar : window->findChildren<QToolBar*>())
        for (QAction* button : bar->actions())
            items.emplace_back(bar->windowTitle(), button);
    ASSERT_GT(items.size(), 60u);
    for (const auto& [where, action] : items)
    {
        // The page tabs ride on a bar as a widget, not a command.
        if (action->isSeparator() || qobject_cast<QWidgetAction*>(action) != nullptr)
            continue;
        const int id = static_cast<int>(action->data().toUInt());
        const CString tip = ExtractSubString(LoadStringResource(id), 1);
        EXPECT_FALSE(Words(action).isEmpty()) << where.toStdString() << " " << id;
        EXPECT_FALSE(action->statusTip().isEmpty()) << where.toStdString() << " " << id;
        EXPECT_FALSE(tip.IsEmpty()) << where.toStdString() << " " << id;
    }
    app.ExitInstance();
}

TEST_F(ShellTest, FileExitAnswersCtrlQ)
{
    CVerdictApp app(true);
    Start(app);
    QMainWindow* window = app.GetMainFrame()->GetWindow();
    QAction* exit = app.GetMainFrame()->GetAction(ID_APP_EXIT);
    EXPECT_EQ(exit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_TRUE(window->menuBar()->actions().front()->menu()->actions().contains(exit));

    // Once the print preview held the key from the main window and the program went on.
    CPrintPreviewWindow preview(GetAppPrinter(), [] { return 1; }, [](int, QPainter&) {}, window);
    preview.setWindowModality(Qt::ApplicationModal);
    preview.show();
    apptest::ProcessEvents();
    QKeyEvent key(QEvent::ShortcutOverride, Qt::Key_Q, Qt::ControlModifier);
    QCoreApplication::sendEvent(&preview, &key);
    EXPECT_TRUE(CQuitRequest::IsRequested());
    EXPECT_FALSE(preview.isVisible());
    CQuitRequest::Clear();
    app.ExitInstance();
}

// Fixed: the buttons showed lettered squares, each one filled edge to edge.
TEST_F(ShellTest, EveryToolbarButtonShowsItsOwnLinePictogramAtBothSizes)
{
    std::set<QByteArray> pictures;
    int buttons = 0;
    for (const CToolbarDefinition* bar :
         {&GetStandardToolbar(), &GetCameraToolbar(), &GetDisplayStyleToolbar(), &GetViewsToolbar()})
        for (const CToolbarButton& button : bar->buttons)
        {
            if (button.command == 0)
                continue;
            ++buttons;
            for (const auto& [id, size] : {std::pair{button.smallImage, 16}, std::pair{button.largeImage, 24}})
            {
                const QImage image = CreateToolbarImageFromResource(id, button.resourceType, true, size);
                ASSERT_FALSE(image.isNull()) << id;
                EXPECT_EQ(image.width(), size) << id;
                int clear = 0;
                for (int y = 0; y < size; ++y)
                    for (int x = 0; x < size; ++x)
                        clear += qAlpha(image.pixel(x, y)) == 0 ? 1 : 0;
                // Lines on a clear ground: neither empty nor a filled square.
                EXPECT_GT(clear, size * size / 4) << id;
                EXPECT_LT(clear, size * size * 9 / 10) << id;
                if (size == 24)
                    pictures.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
            }
        }
    EXPECT_EQ(static_cast<int>(pictures.size()), buttons);
}

TEST_F(ShellTest, TheProgramsWindowsShowItsIcon)
{
    CVerdictApp app(true);
    Start(app);
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_FALSE(app.GetMainFrame()->GetWindow()->windowIcon().isNull());
    EXPECT_FALSE(CreateProgramIcon(IDR_MAINFRAME).pixmap(48, 48).isNull());
    app.ExitInstance();
}

TEST_F(ShellTest, StartUpReplacesTheViewKeepingItsCameraOnlyWhenTheCardListSaysSo)
{
    for (const bool verdict : {true, false})
    {
        CVerdictApp app(verdict);
        Start(app);
        CGlimraView* view = app.GetActiveGlimraView();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->GetErrorCode(), 0);
        EXPECT_EQ(app.checkedViewWindow.isNull(), !verdict);
        EXPECT_EQ(view->GetWidget() == app.checkedViewWindow, verdict);
        EXPECT_EQ(app.GetDocTemplate()->GetView(), view);
        EXPECT_EQ(app.GetDocTemplate()->GetDocument()->GetViews(), std::vector<CView*>{view});
        EXPECT_EQ(view->GetViewDefinition().IsPerspective(), app.checkedCamera.IsPerspective()) << verdict;
        EXPECT_TRUE(view->GetViewDefinition().IsSameCamera(app.checkedCamera)) << verdict;
        view->OnPaint();
        EXPECT_NE(view->GetPresentedFrame(), nullptr);
        app.ExitInstance();
    }
}

}  // namespace
