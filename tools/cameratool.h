#pragma once
// CCameraTool: the base of the camera tools. It runs the drag (press, moves, release),
// chooses the navigation mode of every mouse event from the tool's kind, the modifier
// keys, the middle button and the "SwapOrbitAndDolly" preference, sets the mode's cursor,
// hands each move to the mode's motion, and remembers the view at activation so that
// Camera > Previous returns to where the tool started. Camera tools replace each other
// when selected, and Esc ends them.
//
// The drag is a small state machine: idle, or dragging in a mode; a change of mode
// during a drag (Shift pressed or released) restarts it at the current point.
#include "foundation/point2d.h"
#include "foundation/point3d.h"
#include "render/viewdefinition.h"
#include "tools/tool.h"

class CTarnisView;

// The tool kinds, which are also the navigation modes.
enum CameraMode : int
{
    kCameraOrbit = 0,
    kCameraPan = 1,
    kCameraLookAround = 2,
    kCameraWalk = 3,
    kCameraZoom = 4,
    kCameraFieldOfView = 5,
    kCameraZoomWindow = 6
};

// The mode of a mouse event. Only the orbit kind changes: it pans with Shift, or with
// the middle and left buttons together when those pan (each inverted by the swap
// preference), and looks around when it was made over the walk tool.
[[nodiscard]] int ChooseCameraMode(int kind, unsigned flags, bool middleAndLeftPans, bool swapOrbitAndPan,
                                   bool madeOverWalk);
// The cursor id of a mode.
[[nodiscard]] int GetCameraCursorId(int mode);

class CCameraTool : public CTool
{
public:
    explicit CCameraTool(int kind, bool madeOverWalk = false);

    // "Animation Notification": the value box follows the camera.
    void OnNotify(const std::string& name, void* data) override;
    void OnLButtonDown(unsigned flags, int x, int y, ITarnisView* view) override;
    void OnLButtonUp(unsigned flags, int x, int y, ITarnisView* view) override;
    void OnLButtonDblClk(unsigned flags, int x, int y, ITarnisView* view) override;
    void OnMButtonDown(unsigned flags, int x, int y, ITarnisView* view) override;
    void OnMButtonUp(unsigned flags, int x, int y, ITarnisView* view) override;
    void OnMButtonDblClk(unsigned flags, int x, int y, ITarnisView* view) override;
    void OnMouseMove(unsigned flags, int x, int y, ITarnisView* view) override;
    // Shift and Ctrl change the mode; the keys are never consumed.
    bool OnKeyDown(unsigned code, unsigned repeat, unsigned keyFlags, ITarnisView* view) override;
    bool OnKeyUp(unsigned code, unsigned repeat, unsigned keyFlags, ITarnisView* view) override;
    void OnActivate() override;
    // When the tool left the camera as it found it, Previous goes where it went before.
    void OnDeactivate() override;
    void Suspend() override;
    void Resume() override;
    [[nodiscard]] bool PopOnCancel() const override { return true; }
    [[nodiscard]] bool ReplacesTool(const CTool* newTool) const override;
    // The camera menu, unless "Tools"/"CameraContextMenu" turns it off (the click then
    // reaches the tool as a right press).
    bool OnContextMenu(unsigned flags, int x, int y, ITarnisView* view) override;

    // A value typed into the value box: when the tool takes it the tool's prompt comes
    // back to the first status pane (over an earlier refusal); when it does not, the
    // refusal stands there instead (TakeTypedValue).
    void OnUserText(const CString& text) final;

    // The prompt in the first status pane.
    virtual void ShowPrompt();
    [[nodiscard]] virtual int GetPromptId() const { return 0; }
    // Refreshes the value box; nothing here.
    virtual void UpdateValue(ITarnisView* view);

    // What the message pane says of a typed value the tool cannot use.
    static constexpr const char* kRefusedValueTip = "Not a valid value.";

    [[nodiscard]] int GetKind() const { return m_kind; }
    [[nodiscard]] int GetMode() const { return m_mode; }
    [[nodiscard]] bool IsDragging() const { return m_dragging; }
    [[nodiscard]] const CPoint3d& GetPivot() const { return m_pivot; }
    [[nodiscard]] const CPoint3d& GetReferencePoint() const { return m_reference; }

protected:
    // The view as the camera tools need it; null when the view is not a model view.
    [[nodiscard]] static CTarnisView* AsModelView(ITarnisView* view);
    // Runs the mode rule with the flags and sets the mode's cursor.
    int UpdateMode(unsigned flags);
    // The pivot (orbit) or the reference point (pan, walk, field of view) under the
    // position; false when input stopped the question, and the point is the one the
    // picture shown gives, or (onlyWhole) the one held is kept.
    bool GrabAt(CTarnisView& view, const CPoint2d& position, bool onlyWhole);
    // The model point that stays in place while the field of view changes.
    void SetReferencePoint(const CPoint3d& point) { m_reference = point; }
    void ListenToAnimations(bool listen);
    [[nodiscard]] const CPoint2d& GetPressPoint() const { return m_press; }
    [[nodiscard]] const CPoint2d& GetLastPoint() const { return m_last; }
    // Applies a typed value; false when the text is no value for this tool, which then
    // shows its own value again itself. A tool without a value box takes nothing (true).
    virtual bool TakeTypedValue(const CString& text);

private:
    void StartDrag(unsigned flags, int x, int y, ITarnisView* view);
    void EndDrag(int x, int y, ITarnisView* view);
    // The mode's motion from the last point to the position; true when the camera moved.
    bool Move(CTarnisView& view, unsigned flags, const CPoint2d& position);
    void CentreOn(int x, int y, ITarnisView* view);

    CPoint2d m_press;
    CPoint2d m_release;
    CPoint2d m_last;
    bool m_dragging = false;
    // The drag holds a point at hand and asks the model again at its next move.
    bool m_grabPending = false;
    bool m_middleAndLeftPans = true;
    double m_orbitRadius = 0.0;
    CPoint3d m_pivot;
    CPoint3d m_reference;
    int m_kind;
    int m_mode;
    bool m_swapOrbitAndPan = false;
    CViewDefinition m_viewAtActivation;
    CViewDefinition m_previousView;
    bool m_hasActivationView = false;
    bool m_listening = false;
    bool m_madeOverWalk;
};
