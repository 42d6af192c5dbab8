#pragma once
// CDialogWidget: the Qt window of a CDialog. A top-level one is a frameless tool window
// that paints its own border and caption, finds what a press hits, runs the default
// moving and sizing, and hands the dialog its non-client presses, captured mouse
// messages, moves, sizes and keys; a child one is a plain area. The controls sit in its
// client widget.
#include <QPoint>
#include <QRect>
#include <QWidget>

#include "platform/types.h"

class CDialog;

class CDialogWidget : public QWidget
{
public:
    CDialogWidget(CDialog& dialog, QWidget* owner, bool child);
    ~CDialogWidget() override;
    // The dialog is going away: events stop reaching it.
    void Detach() { m_dialog = nullptr; }
    [[nodiscard]] CDialog* GetDialog() const { return m_dialog; }
    [[nodiscard]] QWidget* GetClient() const { return m_client; }

    // The drawn frame follows the style: border width and caption height.
    void SetFrame(int border, int caption);
    void SetClientSize(int width, int height);
    [[nodiscard]] UINT HitTest(QPoint local) const;
    // Controls pass their keys and tool-tip requests through the dialogs around them.
    void WatchControl(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Tracking
    {
        None,
        Moving,
        Sizing
    };

    void LayOutClient();
    [[nodiscard]] QRect CloseBoxRect() const;
    [[nodiscard]] QRect SizedRect(QPoint cursor) const;
    bool PreTranslateKey(QWidget* target, QKeyEvent* event);
    // A second press soon after a release near it is the double click, as the window
    // system reports one: the press does not reach the dialog as a press.
    [[nodiscard]] bool IsSecondClick(const QMouseEvent* event) const;
    void DoubleClick(const QMouseEvent* event);
    bool ShowToolTip(QWidget* target, QEvent* event);

    CDialog* m_dialog;
    QWidget* m_client;
    bool m_child;
    int m_border = 0;
    int m_caption = 0;
    Tracking m_tracking = Tracking::None;
    UINT m_sizingEdge = 0;
    QPoint m_pressPoint;
    QRect m_startRect;
    bool m_closePressed = false;
    quint64 m_lastReleaseTime = 0;
    QPoint m_lastReleasePoint{-100, -100};
    bool m_doubleClicked = false;
};
