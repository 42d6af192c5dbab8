// What a file list costs the interface thread: the name-only provider and Qt's own over
// 10,000 names of a few types, and the Open dialog over a folder of 10,000 files with each.
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
#include <QIcon>
#include <QTreeView>
#include <QDeadlineTimer>
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

// A data folder with the program's icon, a theme over it, and a folder of empty files.
class CListedFolder
{
public:
    CListedFolder() : m_root(fs::temp_directory_path() / ("glimra-filedialogs-" + std::to_string(::getpid())))
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

// The Open dialog shown over the folder until its list holds every file and has drawn them.
void BM_OpenDialogOverFolder(benchmark::State& state)
{
    const bool qtOwn = state.range(0) != 0;
    const QString path = QString::fromStdString(Folder().Files().string());
    QFileIconProvider qtProvider;
    double cpu = 0;
    for (auto _ : state)
    {
        const double start = ThreadSeconds();
        CModelPreviewDialog dialog(CString(), nullptr, CString("All Files (*.*)|*.*||"), nullptr);
        if (qtOwn)
            dialog.setIconProvider(&qtProvider);
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
        // What arrived is drawn before the count ends.
        for (QWidget* list : dialog.findChildren<QTreeView*>())
            list->repaint();
        QCoreApplication::processEvents();
        cpu += ThreadSeconds() - start;
        if (files->rowCount(files->index(path)) != kFiles)
            state.SkipWithError("the list did not take in the folder");
        dialog.hide();
    }
    state.counters["ui_cpu_ms"] = benchmark::Counter(cpu * 1e3 / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_OpenDialogOverFolder)->ArgName("qt_own")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    (void)Folder();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
