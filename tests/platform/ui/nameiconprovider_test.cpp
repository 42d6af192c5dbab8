#include "platform/ui/nameiconprovider.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCompleter>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

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
