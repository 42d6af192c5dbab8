#include "platform/ui/document.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/filekind.h"
#include "platform/quitrequest.h"
#include "platform/ui/doctemplate.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/modaldialog.h"
#include "platform/ui/readinputfilter.h"
#include "platform/ui/saveasdialog.h"
#include "platform/ui/view.h"
#include "platform/ui/waitcursor.h"
#include "platform/ui/winapp.h"

namespace {

// The template that made the document; null for one made by hand.
CSingleDocTemplate* OwningTemplate(const CDocument* document)
{
    CWinApp* app = AfxGetApp();
    CSingleDocTemplate* docTemplate = app != nullptr ? app->GetDocTemplate() : nullptr;
    return docTemplate != nullptr && docTemplate->GetDocument() == document ? docTemplate : nullptr;
}

// One of the owning template's document strings; empty without a template.
CString TemplateString(const CDocument* document, CSingleDocTemplate::DocStringIndex index)
{
    const CSingleDocTemplate* docTemplate = OwningTemplate(document);
    return docTemplate != nullptr ? docTemplate->GetDocString(index) : CString();
}

SavePathPrompt& InstalledSavePathPrompt()
{
    static SavePathPrompt prompt;
    return prompt;
}

CString CauseOf(const std::exception& error, bool saving = false)
{
    // The system's own words name the cause; the temporary file's name would only puzzle.
    if (const auto* file = dynamic_cast<const CFileException*>(&error); file != nullptr && file->m_lOsError > 0)
        return CString(saving ? "The file could not be written: " : "") +
               CString(std::strerror(static_cast<int>(file->m_lOsError)));
    // What the reader found, without the path the message names already.
    if (const auto* archive = dynamic_cast<const CArchiveException*>(&error))
        return CString(saving ? "The file cannot be written: " : "The file cannot be read: ") + archive->GetReason() +
               CString(".");
    if (const auto* framework = dynamic_cast<const CException*>(&error))
        return framework->GetErrorMessage();
    return CString(error.what());
}

// A save writes the file that a link names, so that the link stays a link.
std::string RealSavePath(const CString& path)
{
    std::error_code error;
    const std::filesystem::path real = std::filesystem::weakly_canonical(std::filesystem::path(path.ToUtf8()), error);
    return error ? path.ToUtf8() : real.string();
}

// The new file replaces the old one, so it takes the old one's permission bits and, where
// the user may give them, its owner and group; a new model gets what the umask leaves.
void TakeOverAttributes(int fd, const std::string& target)
{
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0)
    {
        (void)::fchmod(fd, CFile::NewFilePermissions());
        return;
    }
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    (void)::fchmod(fd, old.st_mode & 0777);
}

std::string FolderOf(const std::string& target)
{
    const std::string folder = std::filesystem::path(target).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

// The rename is only lasting once the folder's entry is on the disk too.
void SyncFolder(const std::string& target)
{
    const int fd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

// The file's identity, size and time of change, in a document's stamp.
template <typename Stamp>
Stamp StampOf(const struct stat& info)
{
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
            static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

// Errors the folder gives for the name itself rather than for the file.
bool IsNameRefusal(int osError)
{
    return osError == ENAMETOOLONG || osError == EINVAL || osError == EILSEQ;
}

// The new file is made beside the target under a short name of its own, so that any name
// the folder holds can be saved. Hidden and without the model's extension, a file left by
// a save that never ended is not taken for a model.
constexpr std::string_view kTemporaryStem = ".saving-";

std::string TemporaryPrefix(const std::string& target)
{
    return (std::filesystem::path(FolderOf(target)) / kTemporaryStem).string();
}

// Only names of the exact shape a save gives its new file are taken for one of ours.
bool IsTemporaryName(std::string_view name)
{
    if (name.size() != kTemporaryStem.size() + CFile::kUniqueSuffixLength || !name.starts_with(kTemporaryStem))
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kTemporaryStem.size()), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

// A running save holds an exclusive lock on its new file from its making until it is renamed
// or removed, so a file of ours that nobody holds was left by a save that was killed. The
// lock lives on a second descriptor of the same open file, so that it outlasts the file's
// close until the rename is done.
class CSaveLock
{
public:
    CSaveLock() = default;
    ~CSaveLock() { Release(); }
    CSaveLock(const CSaveLock&) = delete;
    CSaveLock& operator=(const CSaveLock&) = delete;

    // False when the file was lost before it was locked: a save beside this one took it,
    // in the moment between its making and its locking, for a file left behind (no save
    // of this release takes a file that new). Where the file system keeps no locks the
    // file stays unlocked; no save removes one there.
    bool Take(int fd)
    {
        Release();
        m_fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
            return false;
        struct stat info {};
        return ::fstat(fd, &info) == 0 && info.st_nlink > 0;
    }
    void Release()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

// A running save writes its new file as it goes; its longest pause, the first drawing of
// 5,000 component pictures, lasts about 18 s. A file unwritten for an hour is no running
// save's, whichever release made it and whether or not that release locks its file.
constexpr std::chrono::hours kAbandonedAge{1};

// The user's own regular file with no other name: the only kind of file a save leaves.
bool IsOwnLoneFile(const struct stat& info)
{
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_nlink == 1;
}

// How long ago the file was last written. A time ahead of the clock (another machine's, on
// a shared folder) gives a negative span: the file is not old.
std::chrono::system_clock::duration UnwrittenFor(const struct stat& info)
{
    return std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec);
}

// True when the open file is locked in none of the system's ways (our saves' flock, a record
// lock, an open-file-description lock). The flock stays taken on fd, so no save of ours
// locks the file meanwhile.
bool IsUnlocked(int fd)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    // Asked as an open-file-description lock, the question meets record locks too.
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type == F_UNLCK;
}

// True when the open file is one a killed save left that a save may remove: our own lone
// file, unwritten for kAbandonedAge and locked by nobody.
bool IsAbandoned(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && IsOwnLoneFile(info) && UnwrittenFor(info) >= kAbandonedAge && IsUnlocked(fd);
}

// True when the name in the folder stands for the open file.
bool NamesFile(int folder, const char* name, int fd)
{
    struct stat named {};
    struct stat held {};
    return ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &held) == 0 &&
           named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

// Removes the named file when it is one a killed save left (IsAbandoned). Another file
// may take the name between any look at it and its removal, so the file is first moved
// to a fresh name of the same shape that nobody else knows, looked at again there through
// its descriptor, and only then removed; otherwise it goes back to its name, or, should
// that be taken again, stays where it is for a later save to judge.
void RemoveIfAbandoned(int folder, const char* name)
{
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    // Looked at where it is first, so that a file in use is never moved.
    if (IsAbandoned(fd))
    {
        const std::string aside = std::string(kTemporaryStem) + CFile::UniqueSuffix();
        if (::renameat2(folder, name, folder, aside.c_str(), RENAME_NOREPLACE) == 0)
        {
            if (NamesFile(folder, aside.c_str(), fd) && IsAbandoned(fd))
                (void)::unlinkat(folder, aside.c_str(), 0);
            else
                (void)::renameat2(folder, aside.c_str(), folder, name, RENAME_NOREPLACE);
        }
    }
    ::close(fd);
}

// Calls visit(folder descriptor, name) for each name in the folder of the shape a save
// gives its new file.
template <typename Visit>
void VisitTemporaryNames(const std::string& folder, Visit visit)
{
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr)
        return;
    while (const dirent* entry = ::readdir(listing))
        if (IsTemporaryName(entry->d_name))
            visit(::dirfd(listing), entry->d_name);
    ::closedir(listing);
}

// A save killed outright (a crash, SIGKILL, power lost) leaves its new file; the next save
// in the folder clears what such saves left.
void RemoveAbandonedTemporaries(const std::string& target)
{
    VisitTemporaryNames(FolderOf(target), RemoveIfAbandoned);
}

// A save locks its new file the moment after it makes it: a file of ours this long unwritten
// is past that moment, so looking at its lock takes it from no save.
constexpr std::chrono::seconds kSettledAge{10};

// "159 MB": a size in the units a file manager shows.
CString SizeInWords(std::int64_t bytes)
{
    if (bytes < 1000)
        return CString::Formatted("%lld bytes", static_cast<long long>(bytes));
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1000.0;
    std::size_t unit = 0;
    for (; value >= 999.5 && unit + 1 < std::size(kUnits); ++unit)
        value /= 1000.0;
    return CString::Formatted(value < 9.95 ? "%.1f %s" : "%.0f %s", value, kUnits[unit]);
}

// A file a killed save left, with its size.
struct CLeftFile
{
    std::string path;
    std::int64_t size = 0;
};

// The files of killed saves in the folder that still wait out their hour and take room.
std::vector<CLeftFile> LeftFiles(const std::string& folder)
{
    std::vector<CLeftFile> files;
    VisitTemporaryNames(folder, [&](int listing, const char* name) {
        const int fd = ::openat(listing, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && info.st_size > 0 && IsOwnLoneFile(info) &&
            UnwrittenFor(info) >= kSettledAge && IsUnlocked(fd))
            files.push_back({(std::filesystem::path(folder) / name).string(), static_cast<std::int64_t>(info.st_size)});
        ::close(fd);
    });
    return files;
}

// The most left files a note names; the rest it counts, so that the message stays short
// enough for its box to fit the screen however many a folder holds.
constexpr std::size_t kLeftFilesNamed = 3;

// For a save that ran out of room: the largest files killed saves left in the folder, with
// their sizes, and how many more there are and what they take, so that the user can free
// that room; empty when there are none.
CString LeftFilesNote(const std::string& folder)
{
    std::vector<CLeftFile> files = LeftFiles(folder);
    if (files.empty())
        return {};
    std::sort(files.begin(), files.end(), [](const CLeftFile& a, const CLeftFile& b) {
        return a.size != b.size ? a.size > b.size : a.path < b.path;
    });
    const std::size_t named = std::min(files.size(), kLeftFilesNamed);
    std::vector<CString> parts;
    for (std::size_t i = 0; i < named; ++i)
        parts.push_back(CString("\"") + CString::FromUtf8(files[i].path) + CString("\" (") +
                        SizeInWords(files[i].size) + CString(")"));
    if (files.size() > named)
    {
        std::int64_t rest = 0;
        for (std::size_t i = named; i < files.size(); ++i)
            rest += files[i].size;
        const auto more = static_cast<unsigned long long>(files.size() - named);
        parts.push_back(CString::Formatted("%llu more (", more) + SizeInWords(rest) + CString(")"));
    }
    CString listed = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i)
        listed += CString(i + 1 < parts.size() ? ", " : " and ") + parts[i];
    return files.size() == 1
               ? CString("\nA save that did not finish left ") + listed + CString("; removing it frees that room.")
               : CString("\nSaves that did not finish left ") + listed + CString("; removing them frees that room.");
}

// The cause of a failed save, and for a full disk or quota what killed saves left in the folder.
CString SaveFailure(const CString& cause, long osError, const std::string& folder)
{
    return osError == ENOSPC || osError == EDQUOT ? cause + LeftFilesNote(folder) : cause;
}

// Makes the new file and locks it; false with the system's cause when the folder takes none.
bool OpenTemporary(const std::string& target, CFile& file, CSaveLock& lock, CFileException& refused)
{
    // Losing the file to a save beside this one needs that save to list the folder in the
    // moment between making and locking: a few attempts are plenty.
    constexpr int kAttempts = 8;
    for (int attempt = 0; attempt < kAttempts; ++attempt)
    {
        if (!file.OpenUnique(CString::FromUtf8(TemporaryPrefix(target)), &refused))
            return false;
        if (lock.Take(file.GetDescriptor()))
            return true;
        file.Abort();
    }
    refused = CFileException(CFileException::OsErrorToCause(EBUSY), EBUSY, CString::FromUtf8(target));
    return false;
}

// Why Ctrl+S cannot save the model over its own file, in the words of the message before
// Save As; empty when it can. The folder must take the new file, the file be there and writable.
CString InPlaceRefusal(const CString& path)
{
    const auto refusal = [](const char* gone, const char* refused) {
        const int error = errno;
        return CString(error == ENOENT || error == ENOTDIR ? gone : refused) + CString(std::strerror(error));
    };
    if (::access(FolderOf(RealSavePath(path)).c_str(), W_OK | X_OK) != 0)
        return refusal("Its folder is gone: ", "Its folder takes no new file: ");
    if (::access(path.ToUtf8().c_str(), W_OK) != 0)
        return refusal("The file is gone: ", "The file may not be written: ");
    return {};
}

// How often a long read lets the windows repaint.
constexpr std::chrono::milliseconds kPaintInterval{100};

// Paints what waits to be painted, and whatever else the loop has queued but the quit
// signal: the read goes on underneath. Input is dropped but for the gestures that end the
// program, which the read then hears.
void PaintPendingWindows()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    const CReadInputFilter input;
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
}

// Long reads and saves give up when the program is asked to end, as if the user had
// cancelled them: the read frees what it made, the save keeps the old file.
void ThrowWhenQuitting()
{
    if (CQuitRequest::IsRequested())
        throw CUserException();
}

class CLoadingFlag
{
public:
    explicit CLoadingFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~CLoadingFlag() { m_flag = false; }
    CLoadingFlag(const CLoadingFlag&) = delete;
    CLoadingFlag& operator=(const CLoadingFlag&) = delete;

private:
    bool& m_flag;
};

}  // namespace

SavePathPrompt SetSavePathPrompt(SavePathPrompt prompt)
{
    SavePathPrompt previous = std::move(InstalledSavePathPrompt());
    InstalledSavePathPrompt() = std::move(prompt);
    return previous;
}

CDocument::CDocument()
{
    GetCommands().Add(ID_FILE_SAVE, CString("&Save\tCtrl+S"), [this] { DoFileSave(); });
}

CDocument::~CDocument()
{
    for (CView* view : m_views)
        view->SetDocument(nullptr);
}

bool CDocument::OnNewDocument()
{
    if (m_contentsLeft)
        return false;
    DeleteContents();
    m_path.Empty();
    m_stampedPath.Empty();
    m_replaceQuestion.Empty();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const CString& path)
{
    if (m_contentsLeft)
        return false;
    m_stampedPath.Empty();
    m_replaceQuestion.Empty();
    CFile file;
    CFileException refused;
    CString refusal = NamedKindRefusal(path);
    if (refusal.IsEmpty() && !file.Open(path, CFile::modeRead, &refused))
        refusal = CauseOf(refused);
    if (refusal.IsEmpty())
        refusal = OpenKindRefusal(file.GetDescriptor());
    if (!refusal.IsEmpty())
    {
        ReportSaveLoadException(path, refusal, false);
        return false;
    }
    CWaitCursor wait;
    CLoadingFlag loading(m_loading);
    // The file dialog that has just closed leaves no picture of itself behind.
    PaintPendingWindows();
    DeleteContents();
    SetModifiedFlag(true);
    try
    {
        CArchive archive(&file, CArchive::load, CArchive::kDocumentBufferSize);
        auto lastPaint = std::chrono::steady_clock::now();
        bool toldLong = false;
        archive.SetProgressHook([this, &lastPaint, &toldLong] {
            ThrowWhenQuitting();
            const auto now = std::chrono::steady_clock::now();
            if (now - lastPaint < kPaintInterval)
                return;
            // What the document still holds goes first, a part at a time.
            for (bool more = !std::exchange(toldLong, true) && OnLongRead(); more; more = OnLongRead())
            {
                PaintPendingWindows();
                ThrowWhenQuitting();
            }
            lastPaint = std::chrono::steady_clock::now();
            PaintPendingWindows();
        });
        Serialize(archive);
        archive.Close();
    }
    catch (const CUserException&)
    {
        // The program ends right after and lets what was read go with it.
        if (CQuitRequest::IsLeavingWork())
            m_contentsLeft = true;
        else
            DeleteContents();
        return false;
    }
    catch (const std::exception& error)
    {
        DeleteContents();
        ReportSaveLoadException(path, CauseOf(error), false);
        return false;
    }
    if (StampFile(file.GetDescriptor(), m_stamp))
        m_stampedPath = path;
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const CString& path)
{
    m_saveGivenUp = false;
    // Written beside the target, flushed to the disk and renamed over it, so a failure
    // at any point keeps the old file whole.
    const std::string target = RealSavePath(path);
    // Cleared first: what a killed save left may be what fills the disk.
    RemoveAbandonedTemporaries(target);
    CFile file;
    CSaveLock lock;
    CFileException refused;
    if (!OpenTemporary(target, file, lock, refused))
    {
        ReportSaveLoadException(
            path, SaveFailure(CString("Its folder takes no new file: ") + CauseOf(refused), refused.m_lOsError,
                              FolderOf(target)),
            true);
        return false;
    }
    const std::string temporary = file.GetFilePath().ToUtf8();
    TakeOverAttributes(file.GetDescriptor(), target);
    if (!WriteSavedFile(file, path))
    {
        ::unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0)
    {
        const int error = errno;
        ::unlink(temporary.c_str());
        const CString cause = CString(IsNameRefusal(error) ? "Its folder takes no file of that name: "
                                                           : "The file could not be replaced: ") +
                              CString(std::strerror(error));
        ReportSaveLoadException(path, SaveFailure(cause, error, FolderOf(target)), true);
        return false;
    }
    SyncFolder(target);
    m_stampedPath = StampPath(path, m_stamp) ? path : CString();
    m_replaceQuestion.Empty();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::WriteSavedFile(CFile& file, const CString& path)
{
    try
    {
        CArchive archive(&file, CArchive::store);
        archive.SetProgressHook(ThrowWhenQuitting);
        Serialize(archive);
        archive.Close();
        file.Flush();
        file.Close();
        // What was written while the quit came in may hold a picture cut short.
        ThrowWhenQuitting();
        return true;
    }
    catch (const CUserException&)
    {
        m_saveGivenUp = true;
    }
    catch (const std::exception& error)
    {
        const auto* fileError = dynamic_cast<const CFileException*>(&error);
        ReportSaveLoadException(path,
                                SaveFailure(CauseOf(error, true), fileError != nullptr ? fileError->m_lOsError : 0,
                                            FolderOf(file.GetFilePath().ToUtf8())),
                                true);
    }
    file.Abort();
    return false;
}

bool CDocument::DoFileSave()
{
    m_unsavedTold = false;
    CString path = m_path;
    // A save asked for as the program ends asks nothing: a box opened now would hold the end.
    if (CQuitRequest::IsRequested())
    {
        TellUnsavedAtQuit(path);
        return false;
    }
    // A file that is gone or may not be written, or whose folder takes no new file, is
    // saved under a name the user chooses, once the user has been told why.
    const CString refusal = path.IsEmpty() ? CString() : InPlaceRefusal(path);
    if (!refusal.IsEmpty())
        ReportSaveLoadException(path, refusal, true);
    const bool inPlace = !path.IsEmpty() && refusal.IsEmpty();
    bool saved = false;
    if (inPlace ? MayReplace(path) : AskSavePath(path))
    {
        saved = OnSaveDocument(path);
        // Save As is offered after each failure, until a save goes through or the user
        // cancels, so that the changes can always be kept somewhere: another folder or disk
        // may take what this one refused or had no room for.
        while (!saved && !m_saveGivenUp && AskSavePath(path))
            saved = OnSaveDocument(path);
    }
    if (!saved)
    {
        TellUnsavedAtQuit(path);
        return false;
    }
    if (path != m_path)
        SetPathName(path, true);
    return true;
}

bool CDocument::StampFile(int fd, CFileStamp& stamp)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return false;
    stamp = StampOf<CFileStamp>(info);
    return true;
}

bool CDocument::StampPath(const CString& path, CFileStamp& stamp)
{
    // The file a link names is the one that is read and saved.
    struct stat info {};
    if (::stat(path.ToUtf8().c_str(), &info) != 0)
        return false;
    stamp = StampOf<CFileStamp>(info);
    return true;
}

bool CDocument::MayReplace(const CString& path) const
{
    CFileStamp now;
    if (path != m_stampedPath || !StampPath(path, now))
        return true;
    CString question = m_replaceQuestion;
    if (now != m_stamp)
        question = CString("\"") + path +
                   CString("\" was changed by another program after it was opened or last saved here.\n"
                           "Do you want to replace it?");
    return question.IsEmpty() || AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool CDocument::AskSavePath(CString& path)
{
    const CString extension = TemplateString(this, CSingleDocTemplate::filterExt);
    CString chosen = path;
    // Once the program is asked to end, no name is asked for: the save it would take is
    // given up at once.
    while (!CQuitRequest::IsRequested() && PromptSaveAsPath(chosen))
    {
        // The dialog gives back the file it asked about. Another prompt's answer takes the
        // extension by the dialog's rule; when that makes it another name, the file that will
        // be written is asked about here, and No asks for a name again.
        const CString named = CSaveAsDialog::NameToWrite(chosen, extension);
        if (named == chosen || CSaveAsDialog::MayWriteOver(named))
        {
            path = named;
            return true;
        }
    }
    return false;
}

bool CDocument::PromptSaveAsPath(CString& path)
{
    if (const SavePathPrompt& prompt = InstalledSavePathPrompt())
        return prompt(path);
    // Where nobody could answer it the dialog counts as cancelled: it is never accepted unseen.
    if (!CanAnswerModalDialog())
        return false;
    CSaveAsDialog dialog(path, TemplateString(this, CSingleDocTemplate::filterName),
                         TemplateString(this, CSingleDocTemplate::filterExt));
    if (RunModalDialog(dialog) != QDialog::Accepted || dialog.GetPathToWrite().IsEmpty())
        return false;
    path = dialog.GetPathToWrite();
    return true;
}

void CDocument::ReportSaveLoadException(const CString& path, const CString& cause, bool saving)
{
    const CString verb(saving ? "save" : "open");
    const CString message = CString("Unable to ") + verb + CString(" \"") + path + CString("\".\n") + cause;
    // Once the program is asked to end, a box would hold up the end, and one that the request
    // closed may never have been read: the message goes to standard error instead.
    if (!CQuitRequest::IsRequested())
        AfxMessageBox(message, MB_ICONEXCLAMATION);
    if (CQuitRequest::IsRequested())
    {
        std::fprintf(stderr, "%s\n", message.ToUtf8().c_str());
        m_unsavedTold = m_unsavedTold || saving;
    }
}

void CDocument::TellUnsavedAtQuit(const CString& path)
{
    if (!CQuitRequest::IsRequested() || std::exchange(m_unsavedTold, true))
        return;
    std::fprintf(stderr, "Unable to save \"%s\".\nThe program is ending: the file was not written.\n",
                 (path.IsEmpty() ? m_title : path).ToUtf8().c_str());
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject)
{
    for (CView* view : m_views)
        if (view != sender)
            view->OnUpdate(sender, hint, hintObject);
}

void CDocument::AddView(CView* view)
{
    if (view == nullptr || std::find(m_views.begin(), m_views.end(), view) != m_views.end())
        return;
    m_views.push_back(view);
    view->SetDocument(this);
}

void CDocument::RemoveView(CView* view)
{
    std::erase(m_views, view);
    if (view != nullptr && view->GetDocument() == this)
        view->SetDocument(nullptr);
}

void CDocument::SetPathName(const CString& path, bool addToRecent)
{
    m_path = path;
    const int slash = path.ReverseFind(u'/');
    m_title = slash < 0 ? path : path.Mid(slash + 1);
    if (CSingleDocTemplate* docTemplate = OwningTemplate(this))
        docTemplate->UpdateFrameTitle();
    if (CWinApp* app = AfxGetApp(); addToRecent && app != nullptr && !path.IsEmpty())
        app->AddToRecentFileList(path);
}
