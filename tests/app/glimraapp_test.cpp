#include "app/glimraapp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTimer>
#include <QMainWindow>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <tuple>
#include <vector>
#include <unistd.h>

#include "app/glimraview.h"
#include "app/mainframe.h"
#include "app/playanimation.h"
#include "app/resourceids.h"
#include "app/tarnwickmenuqt.h"
#include "apptestsupport.h"
#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "foundation/slaballocator.h"
#include "model/edge.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "platform/ui/cmdui.h"
#include "platform/ui/document.h"
#include "platform/ui/recentfilelist.h"
#include "samplefiles.h"
#include "tools/commandfunction.h"
#include "tools/slideshow.h"

namespace {

class GlimraAppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        dataHome = std::filesystem::temp_directory_path() / ("glimra-app-" + std::to_string(::getpid()));
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(dataHome);
    }
    void Start(CGlimraApp& app, std::initializer_list<const char*> arguments)
    {
        std::vector<CString> all{CString("glimra")};
        for (const char* argument : arguments)
            all.emplace_back(argument);
        app.SetArguments(all);
    }

    std::filesystem::path dataHome;
    apptest::MemorySettings settings;
    apptest::MessageBoxRecorder boxes;
};

TEST_F(GlimraAppTest, StartUpShowsTheMainWindowWithTheEmptyModelsBackground)
{
    CGlimraApp app;
    Start(app, {});
    ASSERT_TRUE(app.InitInstance());
    CGlimraView* view = app.GetActiveGlimraView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetErrorCode(), 0);
    ASSERT_NE(app.GetMainFrame(), nullptr);
    EXPECT_TRUE(app.GetMainFrame()->IsWindowVisible());
    // Keys typed at once (a value for a tool chosen from a menu) reach the view.
    EXPECT_EQ(app.GetMainFrame()->GetWindow()->focusWidget(), view->GetWidget());
    EXPECT_TRUE(std::filesystem::exists(dataHome / "applications/glimra.desktop"));
    EXPECT_NE(dynamic_cast<CTarnwickMenuQt*>(CreatePlatformMenu().get()), nullptr);

    view->OnPaint();
    const QImage* frame = view->GetPresentedFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->size(), view->GetWidget()->size());
    // The empty model's frame shows its background; a view whose core drew nothing
    // shows the window colour instead.
    const CColor background = view->GetBackgroundColor();
    const QColor expected = view->GetFramesSwapped() > 0
                                ? QColor(background.GetRedByte(), background.GetGreenByte(), background.GetBlueByte())
                                : QColor(255, 255, 255);
    EXPECT_EQ(frame->pixelColor(frame->width() / 2, frame->height() / 4), expected);
    EXPECT_TRUE(boxes.calls.empty());

    // Closing the window keeps its placement for the next start.
    EXPECT_TRUE(app.GetMainFrame()->GetWindow()->close());
    EXPECT_NE(GetProfileInt(CString("MainFrame"), CString("wp.bottom"), 0), 0);
    app.ExitInstance();
}

TEST_F(GlimraAppTest, TheSlideshowOptionStartsTheSlideshowOnceTheLoopRuns)
{
    CGlimraApp app;
    // The option comes after the file: before it, it would take the file as its value.
    Start(app, {apptest::Samples().Path("house-5000.twk").c_str(), "-slideshow"});
    ASSERT_TRUE(app.InitInstance());
    CGlimraView* view = app.GetActiveGlimraView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(app.GetMainFrame()->GetActiveDocument()->GetTitle(), CString("house-5000.twk"));
    EXPECT_EQ(view->GetAnimation(), nullptr);
    // The slideshow plays while its dialog runs; Stop ends both.
    bool playing = false;
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* dialog = dynamic_cast<CPlayAnimation*>(window); dialog != nullptr && dialog->isVisible())
            {
                playing = dynamic_cast<CSlideshow*>(view->GetAnimation()) != nullptr;
                dialog->GetStopButton()->click();
            }
    });
    stopper.start(10);
    apptest::ProcessEvents();
    EXPECT_TRUE(playing);
    EXPECT_EQ(view->GetAnimation(), nullptr);
    EXPECT_TRUE(boxes.calls.empty());
    app.ExitInstance();
}

TEST_F(GlimraAppTest, AFileOnTheCommandLineThatCannotBeReadEndsTheStartUpWithAFailure)
{
    {
        CGlimraApp app;
        Start(app, {"/nonexistent/house.twk"});
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.GetActiveGlimraView(), nullptr);
        EXPECT_EQ(boxes.calls.size(), 1u);
        app.ExitInstance();
    }
    CGlimraApp app;
    char program[] = "glimra";
    char missing[] = "/nonexistent/house.twk";
    char* arguments[] = {program, missing};
    EXPECT_NE(app.Run(2, arguments), 0);
}

TEST_F(GlimraAppTest, AFileNamedRelativeToTheStartFolderEntersTheRecentFilesWhole)
{
    const std::filesystem::path model = apptest::Samples().Path("house-5000.twk");
    const std::filesystem::path startFolder = std::filesystem::current_path();
    std::filesystem::current_path(model.parent_path());
    CGlimraApp app;
    Start(app, {"house-5000.twk"});
    const bool started = app.InitInstance();
    std::filesystem::current_path(startFolder);
    ASSERT_TRUE(started);
    ASSERT_GE(app.GetRecentFileList()->GetCount(), 1);
    EXPECT_EQ((*app.GetRecentFileList())[0], CString::FromUtf8(std::filesystem::canonical(model).string()));
    app.ExitInstance();
}

TEST_F(GlimraAppTest, EveryRegisteredMenuIdRunsItsCommandAndShowsItsState)
{
    // Ids past the first thousand used to reach no command.
    CGlimraApp app;
    int runs = 0;
    std::vector<CCommand*> commands;
    for (int i = 0; i < 1100; ++i)
        commands.push_back(new CCommandFunction([&runs] { ++runs; }));
    commands[7]->SetFlags(kMenuItemGrayed);
    commands[1099]->SetFlags(kMenuItemChecked);
    ASSERT_GT(commands.back()->GetId(), 51000);

    for (CCommand* command : commands)
        EXPECT_TRUE(app.OnCmdMsg(static_cast<UINT>(command->GetId()), nullptr));
    EXPECT_EQ(runs, 1100);
    for (const auto& [index, enabled, checked] :
         {std::tuple{0, true, false}, std::tuple{7, false, false}, std::tuple{1099, true, true}})
    {
        CCmdUI ui(static_cast<UINT>(commands[static_cast<size_t>(index)]->GetId()));
        EXPECT_TRUE(app.OnCmdMsg(ui.GetID(), &ui));
        EXPECT_EQ(ui.IsEnabled(), enabled) << index;
        EXPECT_EQ(ui.IsChecked(), checked) << index;
    }

    const UINT released = static_cast<UINT>(commands[5]->GetId());
    ReleaseCommandId(static_cast<int>(released));
    CCmdUI ui(released);
    EXPECT_FALSE(app.OnCmdMsg(released, nullptr));
    EXPECT_FALSE(app.OnCmdMsg(released, &ui));
    EXPECT_EQ(runs, 1100);
    for (size_t i = 0; i < commands.size(); ++i)
        if (i != 5)
            commands[i]->Release();
}

}  // namespace

TEST(GlimraAppEnd, TheProcessEndsWithItsCodeAfterWritingHeldSettingsAndLeavesTheModelWhole)
{
    // The child works where the parent looks: it must not start the test afresh.
    GTEST_FLAG_SET(death_test_style, "fast");
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("glimra-end-" + std::to_string(::getpid()));
    const CString path = CString::FromUtf8((folder / "registry.json").string());
    const CString key("Software\\Glimra\\End");
    EXPECT_EXIT(
        {
            CSettingsStore store(path);
            SetProfileStore(&store);
            CSettingsStore::CBatch held(store);
            (void)store.SetDword(key, CString("Kept"), 7);
            auto* model = new CTarnwickModel;
            {
                const CUndoSuspender suspender;
                const CurrentModelScope scope(model);
                model->GetRootComponent()->Add(
                    new CEdge(new CVertex(CPoint3d(0, 0, 0)), new CVertex(CPoint3d(1, 0, 0)), false));
            }
            const std::size_t edges = CSlabAllocator::ForClass<CEdge>().GetLiveCount();
            model->AbandonAtExit();
            model->Release();
            if (CSlabAllocator::ForClass<CEdge>().GetLiveCount() != edges)
                std::_Exit(1);
            CGlimraApp::EndProcess(3);
        },
        ::testing::ExitedWithCode(3), "");
    CSettingsStore written(path);
    std::uint32_t value = 0;
    EXPECT_EQ(written.QueryDword(key, CString("Kept"), value), SettingsStatus::ok);
    EXPECT_EQ(value, 7u);
    std::filesystem::remove_all(folder);
}
