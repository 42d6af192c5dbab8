#pragma once
// CViewWidget: the Qt window of a CView. It hands paint, resize and timer events to the
// view and shows the view's presented frame; it erases nothing itself, since the view
// paints its whole client area.
#include <QWidget>

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

private:
    CView* m_view;
};
