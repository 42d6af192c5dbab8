// What a file list costs the interface thread: the name-only provider and Qt's own over
// 10,000 names of a few types, and the Open dialog over a folder of 10,000 files in its
// Detail and its List view, with the program's set-up of its lists and with Qt's own (Qt's
// provider, each row measured by the style, no paced repaints), as the dialogs had it before.
// The icon theme is set up as the desktop gives it (the hicolor theme over the user's data
// folder and the system's), with the program's own icon in the data folder as its first
// run puts it there, which makes every look-up of the theme walk more folders.
// Counter ui_cpu_ms: the interface thread's processor time per listing. Aim: the name-only
// provider within a few times Qt's own, a folder of 10,000 files well under a second.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QDeadlineTimer>
#include <QHeaderView>
#include <QIcon>
#include <QListView>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/modelpreviewdialog.h"
#include "platform/ui/nameiconprovider.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 10000;
constexpr const char* kSuffixes[] = {".twk", ".txt", ".png", ".pdf", ".dat"};

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

fs::path BenchFolder()
{
    return fs::temp_directory_path() / ("glimra-filedialogs-" + std::to_string(::getpid()));
}

// A data folder with the program's icon, a theme over it, and a folder of empty files.
class CListedFolder
{
public:
    CListedFolder() : m_root(BenchFolder())
    {
        const fs::path icons = m_root / "data" / "icons";
        fs::create_directories(icons / "hicolor" / "scalable" / "apps");
        std::ofstream(icons / "hicolor" / "scalable" / "apps" / "glimra.svg") << "<svg/>";
        QIcon::setThemeSearchPaths({QString::fromStdString(icons.string()), QStringLiteral("/usr/share/icons")});
        QIcon::setThemeName(QStringLiteral("hicolor"));
        fs::create_directories(Files());
        for (int i = 0; i < kFiles; ++i)
            std::ofstream(Files() / ("file-" + std::to_string(i) + kSuffixes[i % std::size(kSuffixes)]));
    }
    ~CListedFolder() { fs::remove_all(m_root); }
    CListedFolder(const CListedFolder&) = delete;
    CListedFolder& operator=(const CListedFolder&) = delete;

    [[nodiscard]] fs::path Files() const { return m_root / "files"; }

private:
    fs::path m_root;
};

const CListedFolder& Folder()
{
    static const CListedFolder folder;
    return folder;
}

std::vector<QFileInfo> Infos()
{
    std::vector<QFileInfo> infos;
    for (const auto& entry : fs::directory_iterator(Folder().Files()))
        infos.emplace_back(QString::fromStdString(entry.path().string()));
    return infos;
}

// Every entry's icon and type, as a list asks when a folder's entries arrive; a new
// provider each time, as the program's first listing meets it.
template <typename Provider>
void BM_ProviderOverNames(benchmark::State& state)
{
    const std::vector<QFileInfo> infos = Infos();
    double cpu = 0;
    for (auto _ : state)
    {
        Provider provider;
        const double start = ThreadSeconds();
        for (const QFileInfo& info : infos)
        {
            benchmark::DoNotOptimize(provider.icon(info).cacheKey());
            benchmark::DoNotOptimize(provider.type(info).size());
        }
        cpu += ThreadSeconds() - start;
    }
    state.counters["ui_cpu_ms"] = benchmark::Counter(cpu * 1e3 / static_cast<double>(state.iterations()));
}
BENCHMARK_TEMPLATE(BM_ProviderOverNames, CNameIconProvider)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_ProviderOverNames, QFileIconProvider)->Unit(benchmark::kMillisecond);

// Undoes the program's set-up of the dialog's lists: Qt's provider, rows measured one by
// one by the style, repaints not paced, the Detail view's columns fitted to the first
// thousand rows.
void UseQtsOwnLists(QFileDialog& dialog, QFileIconProvider& provider)
{
    dialog.setIconProvider(&provider);
    for (QListView* list : dialog.findChildren<QListView*>())
    {
        list->setUniformItemSizes(false);
        list->setItemDelegate(new QStyledItemDelegate(list));
    }
    for (QTreeView* list : dialog.findChildren<QTreeView*>())
    {
        list->setUniformRowHeights(false);
        list->header()->setResizeContentsPrecision(1000);
    }
    for (QAbstractItemView* list : dialog.findChildren<QAbstractItemView*>())
        delete list->findChild<QObject*>(QStringLiteral("listRepaintPacer"), Qt::FindDirectChildrenOnly);
}

// Shows the Open dialog over the folder in the view asked for until its list holds every
// file and has drawn them; the list shown.
QAbstractItemView* ShowListed(CModelPreviewDialog& dialog, bool listView, bool qtOwn, QFileIconProvider& qtProvider)
{
    const QString path = QString::fromStdString(Folder().Files().string());
    dialog.setViewMode(listView ? QFileDialog::List : QFileDialog::Detail);
    if (qtOwn)
        UseQtsOwnLists(dialog, qtProvider);
    auto* files = dialog.findChild<QFileSystemModel*>();
    bool loaded = false;
    QObject::connect(files, &QFileSystemModel::directoryLoaded, &dialog,
                     [&](const QString& folder) { loaded = loaded || folder == path; });
    dialog.setDirectory(path);
    dialog.show();
    for (QDeadlineTimer deadline(60000); !deadline.hasExpired();)
    {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (loaded && files->rowCount(files->index(path)) == kFiles)
            break;
    }
    QObject::disconnect(files, &QFileSystemModel::directoryLoaded, &dialog, nullptr);
    // What arrived is laid out and drawn before the count ends.
    QAbstractItemView* shown = nullptr;
    for (QAbstractItemView* list : dialog.findChildren<QAbstractItemView*>())
        if (list->isVisible() && list->model() == files)
        {
            list->repaint();
            shown = list;
        }
    QCoreApplication::processEvents();
    return files->rowCount(files->index(path)) == kFiles ? shown : nullptr;
}

// The Open dialog opened over the folder until its list holds every file and has drawn them.
void BM_OpenDialogOverFolder(benchmark::State& state)
{
    QFileIconProvider qtProvider;
    double cpu = 0;
    for (auto _ : state)
    {
        const double start = ThreadSeconds();
        CModelPreviewDialog dialog(CString(), nullptr, CString("All Files (*.*)|*.*||"), nullptr);
        const bool listed = ShowListed(dialog, state.range(0) != 0, state.range(1) != 0, qtProvider) != nullptr;
        cpu += ThreadSeconds() - start;
        if (!listed)
            state.SkipWithError("the list did not take in the folder");
        // Qt keeps the view for the next dialog, in the bench's own settings.
        dialog.setViewMode(QFileDialog::Detail);
    }
    state.counters["ui_cpu_ms"] = benchmark::Counter(cpu * 1e3 / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_OpenDialogOverFolder)
    ->ArgNames({"list", "qt_own"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The list over the folder laid out and drawn again, as each change of the folder and each
// batch of its entries makes it.
void BM_ListedFolderLaidOutAgain(benchmark::State& state)
{
    QFileIconProvider qtProvider;
    CModelPreviewDialog dialog(CString(), nullptr, CString("All Files (*.*)|*.*||"), nullptr);
    QAbstractItemView* list = ShowListed(dialog, state.range(0) != 0, state.range(1) != 0, qtProvider);
    if (list == nullptr)
        state.SkipWithError("the list did not take in the folder");
    double cpu = 0;
    for (auto _ : state)
    {
        if (list == nullptr)
            break;
        const double start = ThreadSeconds();
        list->doItemsLayout();
        list->repaint();
        cpu += ThreadSeconds() - start;
    }
    state.counters["ui_cpu_ms"] = benchmark::Counter(cpu * 1e3 / static_cast<double>(state.iterations()));
    dialog.setViewMode(QFileDialog::Detail);
}
BENCHMARK(BM_ListedFolderLaidOutAgain)
    ->ArgNames({"list", "qt_own"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace

int main(int argc, char** argv)
{
    // Qt keeps the file dialogs' state in the user's settings: the bench's go with its folder.
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((BenchFolder() / "config").string()));
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    (void)Folder();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
