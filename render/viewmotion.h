#pragma once
// CViewMotion: whether the view moves, and so what its next frame is. While an
// interaction runs (a drag, a walk on held keys) or the camera changes from one frame to
// the next (a wheel notch, a transition) the view moves: its frames draw whole at the
// levels the interaction lowers, within the time the frame cost allows, so that the
// picture follows the hand.
// Once the camera has rested for kSettleSeconds, or the interaction has ended, the view
// has settled: its next frame is a still frame, drawn within the budget the count
// admitted for the model, and that picture is the one that stays. A still frame that
// input stopped is no such picture: the view settles again once the input was answered.
//
// Plain state, no GL and no window: the view tells it about its frames and asks it.
// User-interface thread only.

#include "document/camera.h"

class CViewMotion
{
public:
    // How long the camera must rest before the view settles: longer than the gaps between
    // the steps of a drag, of a turning wheel or of a transition, short enough that the
    // whole picture follows soon after the hand stops.
    static constexpr double kSettleSeconds = 0.3;

    enum class EFrame
    {
        kStill,
        kMoving,
    };
    enum class EOutcome
    {
        // Drawn to its end.
        kWhole,
        // Stopped by its budget: what it drew is shown.
        kCut,
        // Stopped because input was waiting: nothing of it is shown.
        kInterrupted,
    };

    // An interaction began: the view moves until it settles.
    void StartMoving() { m_moving = true; }
    // The kind of the frame about to be drawn from the camera: moving when the camera
    // moved since the frame before, or while the view has not settled since it did or
    // since an interaction began.
    [[nodiscard]] EFrame BeginFrame(const CCamera& camera);
    // What the frame came to. True when the view must settle later: the frame moved and
    // does not show what a still frame would (asStill: drawn whole at full quality
    // outside a drag), or input stopped it.
    [[nodiscard]] bool EndFrame(EFrame frame, EOutcome outcome, bool asStill);
    // The view stands still where the camera is (its rest time passed, or the interaction
    // that moved it ended): its next frame is still. True when that frame must be drawn:
    // the picture shown is a moving one, or input stopped the frame that was to replace it.
    [[nodiscard]] bool Settle(const CCamera& camera);
    // Whether the camera moved since the last frame was drawn: a frame of that motion is
    // still to come, and the view has not rested yet.
    [[nodiscard]] bool HasMovedSinceFrame(const CCamera& camera) const;
    // A model of its own: its first frame is still, whatever camera it brings.
    void Forget();

    [[nodiscard]] bool IsMoving() const { return m_moving; }

    // Whether two cameras show the same view: position, direction, up, projection,
    // field of view and height.
    [[nodiscard]] static bool ShowSameView(const CCamera& a, const CCamera& b);

private:
    CCamera m_rest;
    bool m_hasRest = false;
    bool m_moving = false;
    bool m_stale = false;
};
