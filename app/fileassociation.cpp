#include "app/fileassociation.h"

#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/resourceids.h"
#include "platform/resources.h"

namespace {

// A value of the desktop entry's Exec line: quoted, with the characters that the quoting
// rules reserve escaped, and '%' doubled because field codes start with it.
std::string QuoteExecArgument(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text)
    {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += "\\\\";
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// -1 on failure, 0 when the file already holds the text, 1 when written.
int WriteIfDifferent(const std::filesystem::path& path, const std::string& text)
{
    std::error_code error;
    if (std::filesystem::exists(path, error) && ReadAll(path) == text)
        return 0;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error)
        return -1;
    const std::filesystem::path temporary = path.string() + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!(file << text) || !file.flush())
            return -1;
    }
    std::filesystem::rename(temporary, path, error);
    return error ? -1 : 1;
}

std::string ProgramIconText()
{
    const auto bytes = FindResource("SVG", IDR_MAINFRAME);
    return bytes ? std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size()) : std::string();
}

// Runs one of the desktop's database tools on a folder; nothing when it is not installed.
void RunDesktopTool(const char* tool, const std::filesystem::path& folder)
{
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
    if (program.isEmpty())
        return;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, {QString::fromStdString(folder.string())});
    // A tool that hangs must not hold the program's start-up.
    constexpr int kToolTimeoutMs = 20000;
    if (!process.waitForFinished(kToolTimeoutMs))
        process.kill();
}

// A database is rebuilt when its source changed or it was never built.
void RefreshDatabase(const char* tool, const std::filesystem::path& folder, const char* database, bool changed)
{
    std::error_code error;
    if (changed || !std::filesystem::exists(folder / database, error))
        RunDesktopTool(tool, folder);
}

}  // namespace

CString GetUserDataHome()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        return CString(data);
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return CString(home) + CString("/.local/share");
    return {};
}

CString MakeDesktopEntry(const CString& programPath)
{
    std::string text = "[Desktop Entry]\nType=Application\nName=Tarnwick Glimra\nComment=Tarnwick Model viewer\n";
    text += "Exec=" + QuoteExecArgument(programPath.ToUtf8()) + " %f\n";
    text += std::string("Icon=") + kProgramIconName + "\n";
    text += std::string("MimeType=") + kModelMimeType + ";\nTerminal=false\nCategories=Graphics;Viewer;\n";
    return CString::FromUtf8(text);
}

CString MakeMimeTypeDefinition()
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    text += "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    text += std::string("  <mime-type type=\"") + kModelMimeType + "\">\n";
    text += "    <comment>Tarnwick Model</comment>\n    <glob pattern=\"*.twk\"/>\n  </mime-type>\n</mime-info>\n";
    return CString::FromUtf8(text);
}

int RegisterFileAssociation(const CString& programPath, const CString& dataHome)
{
    if (dataHome.IsEmpty() || programPath.IsEmpty())
        return 0;
    const std::filesystem::path home(dataHome.ToUtf8());
    int written = 0;
    const int mime = WriteIfDifferent(home / "mime/packages/glimra-twk.xml", MakeMimeTypeDefinition().ToUtf8());
    if (mime < 0)
        return written;
    written += mime;
    const std::string icon = ProgramIconText();
    const std::filesystem::path iconPath =
        home / "icons/hicolor/scalable/apps" / (kProgramIconName + std::string(".svg"));
    if (!icon.empty() && WriteIfDifferent(iconPath, icon) > 0)
        ++written;
    const std::filesystem::path entryPath = home / "applications" / (kDesktopEntryName + std::string(".desktop"));
    const int entry = WriteIfDifferent(entryPath, MakeDesktopEntry(programPath).ToUtf8());
    if (entry > 0)
        written += entry;
    RefreshDatabase("update-mime-database", home / "mime", "mime.cache", mime > 0);
    if (entry >= 0)
        RefreshDatabase("update-desktop-database", home / "applications", "mimeinfo.cache", entry > 0);
    return written;
}
