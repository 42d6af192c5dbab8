#pragma once
// CDocument: the data one window shows, with the framework's open and save road:
// OnNewDocument and OnOpenDocument empty it (DeleteContents) before they fill it, the
// contents travel through Serialize over an archive, and SetModifiedFlag and
// UpdateAllViews tell the views. A failed open or save is reported and answered false;
// a failed save never leaves a half-written file in place of the old one. A load that
// ends with a user exception has shown its own message and reports nothing more.
// While a file is read the wait cursor shows and the windows go on painting (user input
// waits until the read is over); views ask IsLoading to keep off the half-read contents.
#include <vector>

#include "platform/cstring.h"
#include "platform/ui/cmdtarget.h"
#include "platform/ui/uitypes.h"

class CArchive;
class CObject;
class CView;

class CDocument : public CCmdTarget
{
public:
    // Handles the save command (ID_FILE_SAVE).
    CDocument();
    ~CDocument() override;

    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const CString& path);
    virtual bool OnSaveDocument(const CString& path);
    // Saves to the document's path; without a path, or when the file is gone or may not
    // be written, asks for another first (PromptSaveAsPath), and so it does when the folder
    // refuses the new file. False when nothing was saved.
    bool DoFileSave();
    virtual void DeleteContents() {}
    // Loads or stores the contents; the base stores and loads nothing.
    virtual void Serialize(CArchive& archive) {}

    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    [[nodiscard]] bool IsModified() const { return m_modified; }
    // True from the opening of a file to the end of its reading.
    [[nodiscard]] bool IsLoading() const { return m_loading; }

    // Every view but the sender gets OnUpdate.
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);
    void AddView(CView* view);
    void RemoveView(CView* view);
    [[nodiscard]] const std::vector<CView*>& GetViews() const { return m_views; }

    void SetPathName(const CString& path);
    [[nodiscard]] const CString& GetPathName() const { return m_path; }
    void SetTitle(const CString& title) { m_title = title; }
    [[nodiscard]] const CString& GetTitle() const { return m_title; }

protected:
    // Asks where to save; false when the user cancels. The base shows a file dialog on a
    // real screen and answers false elsewhere.
    virtual bool PromptSaveAsPath(CString& path);
    // Shows the failure of an open or save; the base shows a message naming the file.
    virtual void ReportSaveLoadException(const CString& path, const CString& cause, bool saving);

private:
    std::vector<CView*> m_views;
    CString m_path;
    CString m_title;
    bool m_modified = false;
    bool m_loading = false;
    // The last save failed because the folder refused the new file (not the disk or the data).
    bool m_folderRefusedSave = false;
};
