#pragma once
// CButtonImageST: a CButtonST that shows a picture from the program's resources, blended
// over the button face, and a greyed copy of it while disabled.
#include <memory>

#include "app/buttonst.h"

class CMfcWinBmp;

class CButtonImageST : public CButtonST
{
public:
    explicit CButtonImageST(QWidget* parent = nullptr);
    ~CButtonImageST() override;

    // Both pictures from one resource ("VPNG", or "SVG" drawn size pixels square); a
    // picture that does not load leaves the button without one. True when it loaded.
    bool LoadImages(const char* resourceType, int id, int size = 24);
    [[nodiscard]] bool HasImages() const { return m_normal != nullptr; }

protected:
    void DrawImage(QPainter& painter, const QRect& rect, QRect& captionRect, bool pressed, bool disabled) override;

private:
    std::unique_ptr<CMfcWinBmp> m_normal;
    std::unique_ptr<CMfcWinBmp> m_disabled;
};
