#pragma once
// CSingleDocTemplate: makes the one frame, view and document of a single-document
// program, and reuses them for every later file. Its string (seven fields separated by
// line feeds) names the window title, the file type and its extension.
#include <functional>
#include <memory>

#include "platform/cstring.h"

class CDocument;
class CFrameWnd;
class CView;

class CSingleDocTemplate
{
public:
    enum DocStringIndex
    {
        windowTitle = 0,
        docName = 1,
        fileNewName = 2,
        filterName = 3,
        filterExt = 4,
        regFileTypeId = 5,
        regFileTypeName = 6
    };

    CSingleDocTemplate(int resourceId, std::function<CDocument*()> makeDocument,
                       std::function<CFrameWnd*()> makeFrame, std::function<CView*()> makeView);
    ~CSingleDocTemplate();
    CSingleDocTemplate(const CSingleDocTemplate&) = delete;
    CSingleDocTemplate& operator=(const CSingleDocTemplate&) = delete;

    // Empty path: a new document. Null when the frame cannot be made or the file cannot
    // be opened (a frame made for it is then destroyed again; a document that existed
    // before becomes a new untitled one).
    CDocument* OpenDocumentFile(const CString& path);
    [[nodiscard]] CString GetDocString(DocStringIndex index) const;
    [[nodiscard]] CDocument* GetDocument() const { return m_document.get(); }
    [[nodiscard]] CFrameWnd* GetFrame() const { return m_frame.get(); }
    [[nodiscard]] CView* GetView() const { return m_view.get(); }
    // The frame's title names the document's title and the program.
    void UpdateFrameTitle();
    // Destroys view, frame and document, in that order.
    void CloseAll();
    // The view becomes the frame's active view and the document's, in place of the one
    // the template made, which is hidden, loses its window (OnDestroy), is let go by the
    // document and destroyed.
    void ReplaceView(std::unique_ptr<CView> view);

private:
    bool CreateWindows();
    // After a failed open of an existing document: a new untitled document.
    void FallBackToNewDocument();

    int m_resourceId;
    std::function<CDocument*()> m_makeDocument;
    std::function<CFrameWnd*()> m_makeFrame;
    std::function<CView*()> m_makeView;
    std::unique_ptr<CDocument> m_document;
    std::unique_ptr<CView> m_view;
    std::unique_ptr<CFrameWnd> m_frame;
};
