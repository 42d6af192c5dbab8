#pragma once
// CDocument: the data one window shows, with the framework's open and save road:
// OnNewDocument and OnOpenDocument empty it (DeleteContents) before they fill it, the
// contents travel through Serialize over an archive, and SetModifiedFlag and
// UpdateAllViews tell the views. Only a regular file (or a link to one) is opened: a
// pipe, a device, a socket or a folder is refused before anything is read, as a read of
// it may never end. A failed open or save is reported and answered false;
// a failed save never leaves a half-written file in place of the old one. A load that
// ends with a user exception has shown its own message and reports nothing more.
// While a file is read the wait cursor shows and the windows go on painting; user input
// given meanwhile is dropped, but the main window's close and the exit command's key end
// the program, and the read gives up for them as for a termination signal. Views ask
// IsLoading to keep off the half-read contents. A read given up for a quit in a process
// that lets its memory go at its end (CQuitRequest::LeaveWorkAtQuit) leaves the contents
// as far as they were read: the document stays loading, and neither empties nor reads
// anything more.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/cstring.h"
#include "platform/ui/cmdtarget.h"
#include "platform/ui/uitypes.h"

class CArchive;
class CFile;
class CObject;
class CView;

// Answers the Save As question in place of the file dialog (tests; a program without a
// screen): true with the chosen path, false for a cancel. The extension is added to its
// answer as to the dialog's, and a file that then exists is asked about as well.
using SavePathPrompt = std::function<bool(CString& path)>;
// Returns the prompt installed before; an empty one restores the dialog.
SavePathPrompt SetSavePathPrompt(SavePathPrompt prompt);

class CDocument : public CCmdTarget
{
public:
    // Handles the save command (ID_FILE_SAVE).
    CDocument();
    ~CDocument() override;

    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const CString& path);
    // Writes a new file beside the target and renames it over the target. Before that it
    // removes the new files that saves killed outright left in the folder: only files named
    // as a save names its own, of this user, unwritten for an hour and locked by nobody;
    // a file that takes such a name meanwhile stays. A save that fails for a full disk or
    // quota names, with their sizes, the largest three files of killed saves that are still
    // too new to be removed and take room in the folder, and counts the rest with the room
    // they take.
    virtual bool OnSaveDocument(const CString& path);
    // Saves to the document's path; without a path, or when the file is gone or may not
    // be written or its folder takes no new file, asks for another first (PromptSaveAsPath),
    // after a message saying why for a document that has a path. After each failed save
    // (a refusing folder, a full disk, a write error) it asks again, until a save goes
    // through or the user cancels; once the program is asked to end it asks nothing more,
    // and a save that ends unwritten then says so on standard error. A name chosen
    // there without an extension gets the template's, and the document takes the new path
    // (SetPathName, entered in the recent files). An existing file is written over only
    // after the user said Yes to it, once, under the name that will be written.
    // When another file now stands at the path, or the file was changed since it was
    // opened or last saved, or was read only in part, asks before replacing it. False
    // when nothing was saved.
    bool DoFileSave();
    virtual void DeleteContents() {}
    // Loads or stores the contents; the base stores and loads nothing.
    virtual void Serialize(CArchive& archive) {}

    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    [[nodiscard]] bool IsModified() const { return m_modified; }
    // True from the opening of a file to the end of its reading, and from then on when
    // the read was given up for a quit that left the contents.
    [[nodiscard]] bool IsLoading() const { return m_loading || m_contentsLeft; }

    // Every view but the sender gets OnUpdate.
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);
    void AddView(CView* view);
    void RemoveView(CView* view);
    [[nodiscard]] const std::vector<CView*>& GetViews() const { return m_views; }

    // The title follows the path's file name, and so does the frame of the template's
    // document; addToRecent: the path enters the application's recent files.
    virtual void SetPathName(const CString& path, bool addToRecent = false);
    [[nodiscard]] const CString& GetPathName() const { return m_path; }
    void SetTitle(const CString& title) { m_title = title; }
    [[nodiscard]] const CString& GetTitle() const { return m_title; }

protected:
    // For a file read in part: until a save succeeds or another file is opened, a save
    // over the file being read asks this Yes/No question first, as for a file another
    // program changed. Called while the file is read (Serialize).
    void AskBeforeReplacingFile(const CString& question) { m_replaceQuestion = question; }
    // Called when a read has gone on for a moment (its first repaint, a tenth of a second
    // in), and again while it answers true: what the document let go of and still holds
    // may go now, a part at a time, rather than be held beside what the read makes. The
    // read waits for it; between the parts the windows are painted and a quit ends the
    // read. True while some remains; the base holds nothing.
    virtual bool OnLongRead() { return false; }
    // Asks where to save; false when the user cancels. The base shows the Save As dialog
    // (CSaveAsDialog, through RunModalDialog), which gives back the file that the name typed
    // writes, the template's extension added by its rule, after it asked about anything that
    // stands there; where nobody could answer it, false.
    virtual bool PromptSaveAsPath(CString& path);
    // Shows the failure of an open or save; the base shows a message naming the file, on
    // standard error once the program is asked to end (also after a box the request closed).
    virtual void ReportSaveLoadException(const CString& path, const CString& cause, bool saving);

private:
    // What identifies the file as it was read or written: another file put in its place,
    // or the same one written by another program, differs.
    struct CFileStamp
    {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = -1;
        std::int64_t modifiedSeconds = 0;
        std::int64_t modifiedNanoseconds = 0;
        bool operator==(const CFileStamp&) const = default;
    };
    [[nodiscard]] static bool StampFile(int fd, CFileStamp& stamp);
    [[nodiscard]] static bool StampPath(const CString& path, CFileStamp& stamp);
    // Asks whether a file changed since the document read or wrote it may be replaced.
    [[nodiscard]] bool MayReplace(const CString& path) const;
    // PromptSaveAsPath, with the template's extension added to a name that has none; when
    // that names an existing file, asks whether it may be replaced (No asks for a name again).
    bool AskSavePath(CString& path);
    // Serializes into the new file and closes it; false, with the failure reported unless
    // the save was given up for a quit, when it failed.
    bool WriteSavedFile(CFile& file, const CString& path);
    // A save ended unwritten while the program is asked to end: says so on standard error
    // unless a failure was said there already.
    void TellUnsavedAtQuit(const CString& path);

    std::vector<CView*> m_views;
    // The file last read or written, and what it was then; empty path: none.
    CString m_stampedPath;
    CFileStamp m_stamp;
    // Asked before the stamped file is replaced; empty: asked only when it changed.
    CString m_replaceQuestion;
    CString m_path;
    CString m_title;
    bool m_modified = false;
    bool m_loading = false;
    // A read given up for a quit left what it had read, for the process's end to let go.
    bool m_contentsLeft = false;
    // The last save was given up for a quit: no other name is offered.
    bool m_saveGivenUp = false;
    // The save command's failure was said on standard error, as the program is ending.
    bool m_unsavedTold = false;
};
