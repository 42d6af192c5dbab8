#pragma once
// CTitleTip: a small borderless pop-up that shows lines of text near a point, after an
// optional delay, and goes again after a time, when the mouse leaves a small square round
// where it was, or at any key or mouse button in its owner window (the tip watches the
// owner's input itself). It shows only while its owner has the keyboard focus, unless
// told otherwise, and on the far side of the point when it would pass the screen's edge.
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "platform/cstring.h"
#include "platform/ui/uitypes.h"

class CTitleTip : public QWidget
{
public:
    static constexpr int kShowTimerId = 200916;
    static constexpr int kHideTimerId = 200917;

    CTitleTip();
    ~CTitleTip() override;

    // A pop-up owned by the owner's window; the tip follows the owner's input.
    bool Create(QWidget* owner);
    void SetText(const CString& text);
    void SetTextColor(COLORREF colour);
    [[nodiscard]] COLORREF GetTextColor() const { return m_textColor; }
    [[nodiscard]] int GetShowDelay() const { return m_showDelay; }
    void SetHoverTolerance(int pixels) { m_hoverTolerance = pixels; }
    void SetOffset(int x, int y)
    {
        m_offsetX = x;
        m_offsetY = y;
    }
    void SetShowDelay(int milliseconds) { m_showDelay = milliseconds; }
    void SetHideDelay(int milliseconds) { m_hideDelay = milliseconds; }
    void SetKeepOnMove(bool keep) { m_keepOnMove = keep; }
    void SetShowWithoutOwnerFocus(bool show) { m_showWithoutOwnerFocus = show; }

    // At the point plus the offset (screen pixels), at once or after the show delay.
    void ShowAt(CPoint point);
    void ShowAtCursor();
    void Hide(bool clearText);
    [[nodiscard]] bool IsPending() const { return m_showTimer.isActive() || m_hideTimer.isActive(); }
    // Keys and buttons hide the tip; a mouse move outside the hot square does too.
    void RelayEvent(const QEvent* event);

    [[nodiscard]] const std::vector<CString>& GetLines() const { return m_lines; }
    [[nodiscard]] const CString& GetText() const { return m_text; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void Show();
    void OnShowTimer();
    void OnMouseMoved(QPoint screen);

    COLORREF m_textColor;
    COLORREF m_backgroundColor;
    CString m_text;
    std::vector<CString> m_lines;
    QTimer m_showTimer;
    QTimer m_hideTimer;
    int m_hideDelay = 5000;
    int m_showDelay = 0;
    QPoint m_cursor{-1, -1};
    QPoint m_position{-1, -1};
    int m_hoverTolerance = 0;
    int m_offsetX = 0;
    int m_offsetY = 0;
    int m_margin = 2;
    QRect m_hotRect;
    bool m_keepOnMove = false;
    bool m_showWithoutOwnerFocus = false;
    QPointer<QWidget> m_owner;
};

// The text's lines: split at every line feed; a last line without one is kept, an empty
// one after a final line feed is not.
[[nodiscard]] std::vector<CString> SplitTipLines(const CString& text);

// The tip's rectangle for text of that size at the position: moved to the far side of
// the point where it would pass the screen's right or bottom edge.
[[nodiscard]] CRect PlaceTip(CPoint position, int widest, int lineHeight, int lineCount, CPoint offset, int margin,
                             int screenWidth, int screenHeight);
