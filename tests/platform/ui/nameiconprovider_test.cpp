#include "platform/ui/nameiconprovider.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCompleter>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QMimeDatabase>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/ui/document.h"
#include "platform/ui/modaldialog.h"
#include "platform/ui/printdialog.h"
#include "uitestsupport.h"
#include "unreadfolder.h"

namespace {

class CPromptingDocument : public CDocument
{
public:
    bool Prompt(CString& path) { return CDocument::PromptSaveAsPath(path); }
};

// Sees each dialog run through RunModalDialog while it lives, and cancels it.
class CDialogWatcher
{
public:
    explicit CDialogWatcher(std::function<void(QDialog&)> look)
    {
        m_previous = SetModalDialogSink([look = std::move(look)](QDialog& dialog) {
            look(dialog);
            return static_cast<int>(QDialog::Rejected);
        });
    }
    ~CDialogWatcher() { SetModalDialogSink(std::move(m_previous)); }
    CDialogWatcher(const CDialogWatcher&) = delete;
    CDialogWatcher& operator=(const CDialogWatcher&) = delete;

private:
    ModalDialogSink m_previous;
};

// Every list of files in the dialog, and its completers' pop-ups, measure one row for all: a
// pop-up that measured each of 10,000 names again as each batch arrived held the program
// for tens of seconds. A list that wraps its rows into columns measures each row's name.
// And each paces its repaints while its folder keeps changing.
bool Paced(const QAbstractItemView& list)
{
    return list.findChild<QObject*>(QStringLiteral("listRepaintPacer"), Qt::FindDirectChildrenOnly) != nullptr;
}

void ExpectUniformRows(QWidget& dialog)
{
    for (const QListView* list : dialog.findChildren<QListView*>())
    {
        EXPECT_NE(list->uniformItemSizes(), list->isWrapping()) << list->objectName().toStdString();
        EXPECT_TRUE(Paced(*list)) << list->objectName().toStdString();
    }
    for (const QTreeView* list : dialog.findChildren<QTreeView*>())
    {
        EXPECT_TRUE(list->uniformRowHeights()) << list->objectName().toStdString();
        EXPECT_TRUE(Paced(*list)) << list->objectName().toStdString();
    }
    const QList<QCompleter*> completers = dialog.findChildren<QCompleter*>();
    EXPECT_FALSE(completers.isEmpty());
    for (QCompleter* completer : completers)
    {
        EXPECT_TRUE(qobject_cast<QListView*>(completer->popup())->uniformItemSizes());
        EXPECT_TRUE(Paced(*completer->popup()));
    }
}

// Shows the file dialog, opened at the folder's z.twk, lets it list the folder and tells
// what it opened there.
std::set<std::string> ListedBy(QFileDialog& dialog, const uitest::CUnreadFolder& folder)
{
    EXPECT_EQ(dialog.selectedFiles(), QStringList(folder.Path() + QStringLiteral("/z.twk")));
    auto* files = dialog.findChild<QFileSystemModel*>();
    EXPECT_NE(files, nullptr);
    if (files == nullptr)
        return {};
    folder.WaitForListing(*files, [&dialog] { dialog.show(); });
    EXPECT_EQ(files->rowCount(files->index(folder.Path())), 1) << "z.twk; a pipe is no file to choose";
    ExpectUniformRows(dialog);
    return folder.Opened();
}

class NameIconProviderTest : public ::testing::Test
{
protected:
    void SetUp() override { uitest::EnsureQtApplication(); }
};

TEST_F(NameIconProviderTest, AFileIsTypedByItsNameAndAFolderAsQtTypesIt)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "typed";
    fs::create_directories(folder / "inner.png");
    // Contents that say otherwise than the names.
    std::ofstream(folder / "picture.png") << "plain words";
    std::ofstream(folder / "named") << "%PDF-1.4\n";
    const QMimeDatabase types;
    const CNameIconProvider& provider = CNameIconProvider::Shared();
    const struct
    {
        const char* name;
        // Empty: what Qt's own provider says.
        QString type;
    } rows[] = {{"picture.png", types.mimeTypeForName(QStringLiteral("image/png")).comment()},
                {"named", types.mimeTypeForName(QStringLiteral("application/octet-stream")).comment()},
                {"inner.png", QString()}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        const QFileInfo info(QString::fromStdString((folder / row.name).string()));
        EXPECT_EQ(provider.type(info), row.type.isEmpty() ? QFileIconProvider().type(info) : row.type);
        EXPECT_FALSE(provider.icon(info).isNull());
    }
    fs::remove_all(folder);
}

// Fixed: every listed file asked the icon theme once or twice, and each ask walked the
// theme's folders: a folder of 10,000 files held the program for more than a minute.
TEST_F(NameIconProviderTest, ManyNamesOfAFewTypesAskTheThemeOnceForEachType)
{
    namespace fs = std::filesystem;
    class CCountingProvider : public CNameIconProvider
    {
    public:
        mutable std::map<QString, int> asks;

    protected:
        QIcon ThemeIcon(const QString& name) const override
        {
            ++asks[name];
            return CNameIconProvider::ThemeIcon(name);
        }
    };
    const fs::path folder = fs::temp_directory_path() / "themed";
    // A theme that holds the plain-text icon and no other.
    const fs::path theme = folder / "icons" / "glimratest";
    fs::create_directories(theme / "16x16" / "mimetypes");
    std::ofstream(theme / "index.theme") << "[Icon Theme]\nName=glimratest\nDirectories=16x16/mimetypes\n\n"
                                            "[16x16/mimetypes]\nSize=16\nType=Fixed\n";
    QImage square(16, 16, QImage::Format_ARGB32);
    square.fill(Qt::blue);
    ASSERT_TRUE(square.save(QString::fromStdString((theme / "16x16" / "mimetypes" / "text-plain.png").string())));
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths({QString::fromStdString((folder / "icons").string())});
    QIcon::setThemeName(QStringLiteral("glimratest"));

    constexpr const char* kSuffixes[] = {".txt", ".png", ".twk"};
    std::vector<QFileInfo> infos;
    for (int i = 0; i < 300; ++i)
    {
        const fs::path file = folder / ("f" + std::to_string(i) + kSuffixes[i % 3]);
        std::ofstream{file};
        infos.emplace_back(QString::fromStdString(file.string()));
        if (i < 30)
        {
            fs::create_symlink(file, folder / ("link" + file.filename().string()));
            infos.emplace_back(QString::fromStdString((folder / ("link" + file.filename().string())).string()));
        }
    }
    const CCountingProvider provider;
    std::map<QString, qint64> iconOfType;
    // A list asks again about each entry that changes.
    for (int round = 0; round < 2; ++round)
        for (const QFileInfo& info : infos)
        {
            const QIcon icon = provider.icon(info);
            EXPECT_FALSE(icon.isNull()) << info.fileName().toStdString();
            const QString key = info.suffix() + (info.isSymLink() ? QStringLiteral(" link") : QString());
            EXPECT_EQ(iconOfType.try_emplace(key, icon.cacheKey()).first->second, icon.cacheKey());
            if (info.suffix() == QStringLiteral("txt"))
            {
                EXPECT_EQ(icon.name(), QStringLiteral("text-plain"));
            }
        }
    // A type's own icon name and its generic one, for plain files and for links.
    EXPECT_LE(provider.asks.size(), 6u);
    for (const auto& [name, asks] : provider.asks)
        EXPECT_LE(asks, 2) << name.toStdString();
    QIcon::setThemeName(themeName);
    QIcon::setThemeSearchPaths(searchPaths);
    fs::remove_all(folder);
}

// Fixed: every row of the List view took one row's width, which cut long names to a few
// letters.
TEST_F(NameIconProviderTest, TheListViewOfSaveAsShowsWholeNames)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "named";
    fs::create_directories(folder);
    for (const char* name : {"a-model-with-a-rather-long-descriptive-name-01.twk", "another-model-with-a-long-name-02.twk",
                             "house.twk", "z.twk"})
        std::ofstream(folder / name);
    int dialogs = 0;
    {
        const CDialogWatcher watcher([&](QDialog& dialog) {
            ++dialogs;
            auto& files = dynamic_cast<QFileDialog&>(dialog);
            auto* model = files.findChild<QFileSystemModel*>();
            auto* list = files.findChild<QListView*>(QStringLiteral("listView"));
            ASSERT_TRUE(model != nullptr && list != nullptr);
            files.setViewMode(QFileDialog::List);
            files.show();
            EXPECT_TRUE(uitest::TurnUntil([&] { return model->rowCount(list->rootIndex()) == 4; }));
            // A file that comes while the list shows the folder, as a download does, comes
            // last: the row whose size a list of uniform rows took for all of them.
            std::ofstream(folder / "b.twk");
            EXPECT_TRUE(uitest::TurnUntil([&] { return model->rowCount(list->rootIndex()) == 5; }));
            for (int row = 0; row < model->rowCount(list->rootIndex()); ++row)
            {
                const QModelIndex entry = model->index(row, 0, list->rootIndex());
                const QString name = entry.data().toString();
                EXPECT_GE(list->visualRect(entry).width(), list->fontMetrics().horizontalAdvance(name))
                    << name.toStdString();
            }
            // Qt keeps the view for the dialogs after this one.
            files.setViewMode(QFileDialog::Detail);
        });
        CPromptingDocument document;
        CString path = CString::FromUtf8(folder.string() + "/z.twk");
        EXPECT_FALSE(document.Prompt(path));
    }
    EXPECT_EQ(dialogs, 1);
    fs::remove_all(folder);
}

// Fixed: the dialogs read each listed file's first bytes on the interface thread; /proc/kmsg's read never ends.
TEST_F(NameIconProviderTest, SaveAsAndPrintToFileListAFolderWithoutOpeningWhatIsInIt)
{
    const uitest::CUnreadFolder folder;
    ASSERT_TRUE(folder.Watching());
    int dialogs = 0;
    {
        const CDialogWatcher watcher([&](QDialog& dialog) {
            ++dialogs;
            EXPECT_EQ(ListedBy(dynamic_cast<QFileDialog&>(dialog), folder), std::set<std::string>());
        });
        CPromptingDocument document;
        CString path = CString::FromUtf8((folder.Path() + QStringLiteral("/z.twk")).toStdString());
        EXPECT_FALSE(document.Prompt(path));
    }
    CPrintDialog print(0, nullptr);
    const CDialogWatcher watcher([&](QDialog& dialog) {
        ++dialogs;
        if (auto* files = qobject_cast<QFileDialog*>(&dialog))
        {
            EXPECT_EQ(ListedBy(*files, folder), std::set<std::string>());
            return;
        }
        ExpectUniformRows(dialog);
        // The output file's field completes names from a list of its own.
        auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
        ASSERT_NE(field, nullptr);
        ASSERT_NE(field->completer(), nullptr);
        auto* completions = qobject_cast<QFileSystemModel*>(field->completer()->model());
        ASSERT_NE(completions, nullptr);
        folder.WaitForListing(*completions, [&] { completions->setRootPath(folder.Path()); });
        EXPECT_EQ(folder.Opened(), std::set<std::string>());
        field->setText(folder.Path() + QStringLiteral("/z.twk"));
        auto* browse = dialog.findChild<QAbstractButton*>(QStringLiteral("fileBrowser"));
        ASSERT_NE(browse, nullptr);
        browse->click();
    });
    EXPECT_EQ(print.DoModal(), IDCANCEL);
    EXPECT_EQ(dialogs, 3);
}

}  // namespace
