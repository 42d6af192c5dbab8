#pragma once
// CFrameWidget: the Qt main window of a CFrameWnd; hands close, resize and file drops to
// the frame and refreshes the command states while it is shown.
#include <QMainWindow>
#include <QTimer>

class CFrameWnd;

class CFrameWidget : public QMainWindow
{
public:
    explicit CFrameWidget(CFrameWnd& frame);
    void Detach() { m_frame = nullptr; }
    void SetClosingByFrame(bool closing) { m_closingByFrame = closing; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Drops of files are the frame's own, before the main window looks for dragged bars: a
    // regular file is taken as a copy and opened once the drop is done; anything else is refused.
    bool event(QEvent* event) override;
    // The frame's own menu of its bars when it has one.
    QMenu* createPopupMenu() override;

private:
    CFrameWnd* m_frame;
    QTimer m_updateTimer;
    bool m_closingByFrame = false;
    // Whether the drag over the window, as it entered, would open a file.
    bool m_dragOpensFile = false;
};
