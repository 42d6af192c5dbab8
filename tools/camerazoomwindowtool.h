#pragma once
// CCameraZoomWindowTool: a left drag spans a rectangle, drawn inverted into each frame
// while the button is held; the release zooms so that the rectangle fills the view and
// the tool ends itself, so the tool it was selected over resumes.
#include "tools/cameratool.h"

class CCameraZoomWindowTool : public CCameraTool
{
public:
    static constexpr int kPromptId = 10007;

    CCameraZoomWindowTool() : CCameraTool(kCameraZoomWindow) {}

    [[nodiscard]] int GetPromptId() const override { return kPromptId; }
    void OnLButtonDown(unsigned flags, int x, int y, ITarnisView* view) override;
    void OnMouseMove(unsigned flags, int x, int y, ITarnisView* view) override;
    // Zooms even to a rectangle without size (the view then leaves the camera alone).
    void OnLButtonUp(unsigned flags, int x, int y, ITarnisView* view) override;
    void Draw(ITarnisView* view) override;
    // Esc drops the rectangle: the frames drawn with it are drawn again without it.
    void OnCancel(int reason) override;
    [[nodiscard]] bool HasFeedback() const override { return m_drawn; }

    // The rectangle shown, between the press and the cursor; false when none is.
    bool GetRectangle(CPoint2d& corner1, CPoint2d& corner2) const;

private:
    CPoint2d m_corner;
    CPoint2d m_cursor;
    bool m_pressed = false;
    bool m_drawn = false;
};
