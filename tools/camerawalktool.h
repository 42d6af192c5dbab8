#pragma once
// CCameraWalkTool (the Walk command): walks the camera through the model at eye height.
// While the left button is held (perspective views only) or an arrow key is down, the
// view plays the tool as its animation: every step, at most one per 0.0625 s, turns and
// moves the camera by the time since the last step, so the speed does not depend on
// the frame rate. The cursor's offset from the press point (up is forward, right turns
// right) or the arrow keys set the speeds; Ctrl runs four times as fast; Shift slides
// sideways and vertically instead; Alt walks through walls.
//
// Walking stays level unless the view looks steeply up or down. A ray from knee height
// along the step stops the camera short of anything higher than a third of the eye
// height, and a ray down from the eye keeps the eye at its height above the ground,
// climbing or descending at most a third of the eye height per step.
//
// The view owns the tool only as its running animation: releasing it there does not
// delete it; the tool manager does. User-interface thread only.
#include "drawapi/animation.h"
#include "render/frametimer.h"
#include "tools/cameraeyeheighttool.h"

class CComponent;
class CViewDefinition;

class CCameraWalkTool : public CCameraEyeHeightTool, public IAnimation
{
public:
    static constexpr int kPromptId = 10006;
    static constexpr int kParallelViewTipId = 10586;
    static constexpr int kBlockedCursorId = 466;
    // Steps come at most this often.
    static constexpr double kStepSeconds = 0.0625;

    CCameraWalkTool();
    // A walk still running ends first, so the view never keeps a deleted animation.
    ~CCameraWalkTool() override;
    CCameraWalkTool(const CCameraWalkTool&) = delete;
    CCameraWalkTool& operator=(const CCameraWalkTool&) = delete;

    [[nodiscard]] int GetPromptId() const override { return kPromptId; }
    // A press in a parallel view only shows a tip saying why nothing happens.
    void OnLButtonDown(unsigned flags, int x, int y, ITarnisView* view) override;
    void OnLButtonUp(unsigned flags, int x, int y, ITarnisView* view) override;
    // The motion happens in the steps; a move only moves the cursor they read.
    void OnMouseMove(unsigned flags, int x, int y, ITarnisView* view) override;
    // Shift, Ctrl and the arrow keys; the keys are never consumed.
    bool OnKeyDown(unsigned code, unsigned repeat, unsigned keyFlags, ITarnisView* view) override;
    bool OnKeyUp(unsigned code, unsigned repeat, unsigned keyFlags, ITarnisView* view) override;
    void OnActivate() override;
    void OnDeactivate() override;
    void Suspend() override;
    bool OnContextMenu(unsigned flags, int x, int y, ITarnisView* view) override;
    // A cross of 8 pixels at the press point while the button is down.
    void Draw(ITarnisView* view) override;
    [[nodiscard]] bool HasFeedback() const override { return m_pressed; }

    // --- IAnimation ---
    // One step of walking; true while walking.
    bool Step(ITarnisView* view) override;
    void Finish() override;
    // The time spent paused does not count as walking time.
    void Pause(bool paused) override;
    // The tool manager owns the tool.
    void Release() override {}

    [[nodiscard]] bool IsWalking() const { return m_walking; }
    [[nodiscard]] int GetStepCount() const { return m_stepCount; }

protected:
    // The height measured or typed last, above the ground under the eye.
    [[nodiscard]] double GetEyeHeight(CTarnisView& view) override;
    // Keeps the ground under the eye and moves the eye to the height above it.
    bool SetEyeHeight(CTarnisView& view, double height) override;

private:
    void StartWalking(ITarnisView* view);
    void StopWalking();
    void EndDrag();
    // The eye's height above what lies below it, else above z = 0.
    void MeasureEyeHeight(const CTarnisView& view);
    // Speeds as fractions of the base speed, negative backwards or left.
    [[nodiscard]] double GetForwardRate(const CViewDefinition& definition) const;
    [[nodiscard]] double GetTurnRate(const CViewDefinition& definition) const;
    [[nodiscard]] double GetStepTime(const CTarnisView& view) const;
    void Turn(CViewDefinition& definition, double stepTime) const;
    void Slide(CViewDefinition& definition, const CComponent& root, double stepTime) const;
    void MoveForward(CViewDefinition& definition, const CComponent& root, double stepTime);
    // The part of a level step that collision detection and ground following allow;
    // false when the camera must not move.
    bool LimitStep(const CViewDefinition& definition, const CComponent& root, CVector3d& move);

    int m_stepCount = 0;
    unsigned m_flags = 0;
    unsigned m_arrows = 0;
    bool m_run = false;
    bool m_walking = false;
    CFrameTimer m_timer;
    double m_stepTime = 0.0;
    bool m_drewFeedback = false;
    double m_eyeHeight = 0.0;
    // The left-button drag: press point and cursor in client pixels.
    bool m_pressed = false;
    CPoint2d m_press;
    CPoint2d m_cursor;
    // The view that plays the walk while it runs.
    CTarnisView* m_walkView = nullptr;
};
