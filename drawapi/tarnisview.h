#pragma once
// ITarnisView: the view itself as entities, tools and the application see it. Entities
// receive this pointer when they draw and reach the drawing services (IModelView) and
// the drawing context (IDrawingBase) through it; tools steer the camera, the
// interaction level and animations through the operations added here.

#include "foundation/boundingbox2d.h"
#include "foundation/point2d.h"
#include "foundation/point3d.h"
#include "platform/cstring.h"
#include "drawapi/modelview.h"

class IAnimation;
class IEntityIterator;

class ITarnisView : public virtual IModelView
{
public:
    // --- selection volumes pushed on the filter stack ---
    // Keeps what lies wholly inside the window rectangle.
    virtual void PushWindowInsideFilter(const CPoint2d& corner1, const CPoint2d& corner2) = 0;
    // Keeps what lies inside or crosses the window rectangle.
    virtual void PushWindowCrossingFilter(const CPoint2d& corner1, const CPoint2d& corner2) = 0;
    // Keeps what crosses a square of the given size in pixels around a window point.
    virtual void PushPickRegionFilter(const CPoint2d& centre, double size) = 0;

    // --- camera ---
    virtual void ZoomAboutPoint(const CPoint2d& screenPoint, double factor) = 0;
    virtual void ZoomFieldOfView(double factor) = 0;
    virtual void ZoomWindow(const CPoint2d& corner1, const CPoint2d& corner2) = 0;
    // Fits the camera to the entities the iterator yields; the caller keeps it.
    virtual void ZoomToExtents(IEntityIterator* entities) = 0;
    // The model point at the centre of the view; false when none is found.
    virtual bool FindViewCenter(CPoint3d& point) = 0;
    [[nodiscard]] virtual const CViewDefinition& GetSavedViewDefinition() const = 0;
    // Null saves the current view definition.
    virtual void SaveViewDefinition(const CViewDefinition* source) = 0;
    virtual void SwapViewDefinitions() = 0;
    // Copies the view's camera into the display override page or the model.
    virtual void StoreCamera() = 0;
    virtual void ApplyViewToGL(int argument, const CBoundingBox2d* pickRegion) = 0;
    virtual void UpdateViewBounds() = 0;
    virtual void SetRenderMode(int mode) = 0;

    // --- interaction level (quality traded for speed while the camera moves) ---
    virtual void SetInteractionMode(int mode) = 0;
    virtual void BeginInteraction(int level) = 0;
    virtual void EndInteraction() = 0;
    [[nodiscard]] virtual bool IsFastFeedback() = 0;
    virtual void ResetFrameStatistics() = 0;
    // Each returns the previous value.
    virtual bool SetAutopanEnabled(bool enabled) = 0;
    virtual bool SetBackgroundDetail(bool detailed) = 0;

    // --- window ---
    virtual void Invalidate(bool erase) = 0;
    virtual void ClientToScreen(CPoint2d& point) const = 0;
    virtual void ScreenToClient(CPoint2d& point) const = 0;
    virtual void SetCapture() = 0;
    // Pane 0 the first pane, 1 the tool prompt, 2 the value pane.
    virtual void SetStatusText(int pane, const CString& text) = 0;
    virtual void SetValueInputText(const CString& text) = 0;
    [[nodiscard]] virtual bool GetToolFlag() const = 0;
    virtual void SetToolFlag(bool flag) = 0;
    // Hint tips, in screen pixels. Styles 0 to 2 share the first tip (0 red at once, 1
    // black at once, 2 black after a moment), style 3 is the second; other styles do
    // nothing. Nothing without a window.
    virtual void ShowTipAt(int /*x*/, int /*y*/, const CString& /*text*/, int /*style*/) {}
    virtual void ShowTipAtCursor(const CString& /*text*/, int /*style*/) {}
    // Styles 0 to 2 hide the first tip, 3 the second, clearing its text.
    virtual void HideTip(int /*style*/) {}

    // --- animation ---
    // The view owns the animation; the one it replaces is finished and deleted.
    virtual void SetAnimation(IAnimation* animation) = 0;
    [[nodiscard]] virtual IAnimation* GetAnimation() const = 0;
    // An animation is set and steps: not paused, nor held while a job uses the view.
    [[nodiscard]] virtual bool IsAnimating() const = 0;
    virtual void SetAnimationPaused(bool paused) = 0;
    [[nodiscard]] virtual bool IsAnimationPaused() const = 0;
    virtual void DiscardAnimation() = 0;
};
