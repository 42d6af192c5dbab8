#pragma once
// CGlimraDoc: the program's one document, joining the framework's document with the
// model's document base. It opens model files through the framework's open road, turns
// the model's load status into the user's two messages of a failed open, brings the
// page tabs in line after every new or opened document, lets the views drop their
// animations before the model is emptied, and never asks to save. The save command
// writes the open file in the newest save format; saved under a new name, the model
// takes that name. It owns the document's tool manager.
#include "document/basedoc.h"
#include "platform/ui/document.h"
#include "tools/toolmanager.h"

class CGlimraDoc : public CDocument, public CBaseDoc
{
public:
    static constexpr int kNotAModelStringId = 10009;
    static constexpr int kNewerVersionStringId = 10024;
    // A model read whole but followed by bytes no record read (%1: their count).
    static constexpr int kUnreadBytesStringId = 10031;
    // Asked before a save replaces such a file (%1: its path, %2: the count).
    static constexpr int kReplacePartlyReadStringId = 10040;
    // A model whose entity lists held entries that were left out (%1: their count), and
    // the question before a save replaces it (%1: its path, %2: the count).
    static constexpr int kLeftOutEntriesStringId = 10105;
    static constexpr int kReplaceLeftOutStringId = 10106;
    static constexpr int kMayBeDamagedStringId = 10107;

    CGlimraDoc();
    // The tools end before the model goes.
    ~CGlimraDoc() override;

    bool OnNewDocument() override;
    bool OnOpenDocument(const CString& path) override;
    // Loading: the model reads the file, then a load status other than 0 shows its
    // message and throws the user exception that ends the open. A model followed by
    // bytes that no record read, or whose entity lists left entries out, still opens;
    // the user and standard error are told, and the next save over the file asks first.
    // Storing: the model in
    // the newest save format, after the model's preview is drawn anew from the view
    // when the model asks for that.
    void Serialize(CArchive& archive) override;
    // A name the user gave (Save As) names the model too, and "Model Name Changed" is posted.
    void SetPathName(const CString& path, bool addToRecent = false) override;
    // A save over the document's own file posts "Model Name Changed" too: the file's size
    // and the preview drawn for it changed, and the windows that show them must follow.
    bool OnSaveDocument(const CString& path) override;
    // The views finish their animations, then the model empties itself.
    void DeleteContents() override;
    // What the last model left pending goes, a part at a time, before the long read goes
    // on (model/wholemodelrelease.h): both would otherwise be held at once.
    bool OnLongRead() override;
    // Animations finished and the tools reset before the framework closes.
    void OnCloseDocument();
    // The same for the program's end, where the process ends right after: the model is
    // left whole for the process to let go of (CTarnwickModel::AbandonAtExit).
    void CloseForExit();
    // Opening another file, File New and Exit never ask.
    [[nodiscard]] bool SaveModified() { return true; }

    // The page tabs follow the model's pages; posts "Resynch UI Notification".
    void ResyncUI();

    // CBaseDoc: the redraw request.
    using CDocument::UpdateAllViews;
    void UpdateAllViews() override;

    [[nodiscard]] CToolManager& GetTools() { return m_tools; }

    // The opened file's name with its extension; empty for a new document.
    [[nodiscard]] const CString& GetModelFileName() const { return m_fileName; }

private:
    void DiscardViewAnimations();
    // The views show the new model from its camera.
    void ShowNewContents();
    void ReportLoadStatus(int status);
    // The file is damaged or carries more than the model; saving over it would keep
    // only what was read.
    void ReportPartialRead(const CArchive& archive);
    // The model's preview becomes a picture of the document's view.
    void RedefinePreview();

    CString m_fileName;
    CToolManager m_tools{&GetModel()};
};
