#pragma once
// CViewWidget: the Qt window of a CView. It hands paint, resize, timer, mouse and key
// events to the view (translated to MK_ flags and virtual keys) and shows the view's
// presented frame; it erases nothing itself, since the view paints its whole client area.
#include <QWidget>

#include "platform/ui/heldkeys.h"

class CView;

class CViewWidget : public QWidget
{
public:
    CViewWidget(CView& view, QWidget* parent);
    // Tells the view its window is gone (a parent may delete it first).
    ~CViewWidget() override;
    // The view is going away: events stop reaching it.
    void Detach() { m_view = nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    CView* m_view;
    CHeldKeys m_heldKeys;
    // The window around the view has been shown once before the view's first frame.
    bool m_windowShown = false;
};
