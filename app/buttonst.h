#pragma once
// CButtonST: a push button that draws itself: flat (a border only while the mouse is
// over it) or raised, an icon beside or above its caption, a check state that keeps it
// pressed, its own idle and active colours, an optional cursor and tool tip. A double
// click counts as a second press. The image and colour buttons derive from it.
#include <QIcon>
#include <QPushButton>

#include "platform/cstring.h"
#include "platform/ui/cursor.h"
#include "platform/ui/uitypes.h"

class CButtonST : public QPushButton
{
public:
    // Where the image stands: left of the caption or above it.
    static constexpr int kImageLeft = 0;
    static constexpr int kImageAbove = 1;

    explicit CButtonST(QWidget* parent = nullptr);

    // The pressed and the normal icon from the "SVG" resources (0: the pressed one).
    void SetIcons(int inId, int outId = 0, int size = 16);
    // Activated: the tip shows; an empty string id text changes nothing.
    void SetTooltipText(const CString& text, bool activate = true);
    void SetTooltipText(int stringId, bool activate = true);
    void SetCheck(int state, bool redraw = true);
    void ToggleCheck(bool redraw = true);
    [[nodiscard]] int GetCheck() const { return m_checkState; }
    void SetShowCaption(bool show);
    void SetFlat(bool flat);
    void SetDrawBorder(bool draw);
    void SetTransparent(bool transparent);
    void SetFocusOnFlat(bool focus);
    void SetImageAlign(int align, int margin);
    void SetButtonCursor(HCURSOR cursor);
    // Idle and active (hovered or pressed) background and text.
    void SetColors(COLORREF idleBackground, COLORREF idleText, COLORREF activeBackground, COLORREF activeText);
    // The button was the dialog's default button.
    void SetDefault(bool isDefault);

    [[nodiscard]] bool IsMouseOver() const { return m_mouseOver; }
    [[nodiscard]] bool IsFlat() const { return m_flat; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

    // The image inside the rectangle; narrows the caption's rectangle to what it leaves.
    virtual void DrawImage(QPainter& painter, const QRect& rect, QRect& captionRect, bool pressed, bool disabled);
    virtual void DrawCaption(QPainter& painter, const QRect& captionRect, bool pressed, bool disabled);
    [[nodiscard]] bool IsPressedLook() const { return isDown() || m_checkState != 0; }

private:
    void DrawBorder(QPainter& painter, const QRect& rect, bool pressed) const;

    int m_imageAlign = kImageLeft;
    int m_imageMargin = 0;
    bool m_showCaption = true;
    bool m_drawBorder = true;
    bool m_flat = true;
    bool m_mouseOver = false;
    bool m_focusOnFlat = false;
    bool m_transparent = false;
    bool m_isDefault = false;
    QIcon m_iconIn;
    QIcon m_iconOut;
    int m_iconSize = 0;
    COLORREF m_idleBackground;
    COLORREF m_idleText;
    COLORREF m_activeBackground;
    COLORREF m_activeText;
    int m_checkState = 0;
};

// The colour as Qt's.
[[nodiscard]] QColor ToQColor(COLORREF colour);
