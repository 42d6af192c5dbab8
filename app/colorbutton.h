#pragma once
// CColorButton: a CButtonST that shows a colour: filling the button, lightened by a
// tint, or as a swatch beside the caption.
#include "app/buttonst.h"
#include "foundation/color.h"

class CColorButton : public CButtonST
{
public:
    explicit CColorButton(QWidget* parent = nullptr);

    // The zero colour is none: the button face shows.
    virtual void SetColor(const CColor& color);
    virtual void SetSwatch(bool swatch);
    virtual void SetDrawWhenDisabled(bool draw);
    // Each channel c in 0..1 shows as c + (1 - c) * tint.
    virtual void SetTint(double tint);
    [[nodiscard]] virtual bool GetDrawWhenDisabled() const { return m_drawWhenDisabled; }
    [[nodiscard]] const CColor& GetColor() const { return m_color; }
    // The colour the button fills with.
    [[nodiscard]] QColor GetFillColor() const;

protected:
    void DrawImage(QPainter& painter, const QRect& rect, QRect& captionRect, bool pressed, bool disabled) override;

private:
    CColor m_color;
    double m_tint = 0.0;
    bool m_swatch = false;
    bool m_drawWhenDisabled = false;
};
