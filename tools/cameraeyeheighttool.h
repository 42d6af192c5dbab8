#pragma once
// CCameraEyeHeightTool: the camera tools that move through the model at eye level (Look
// Around and Walk). While one is active the value box shows the eye height in the
// current length units and takes a typed one, to which the eye glides vertically over
// half a second. Here the eye height is the eye's height above z = 0; the walk tool
// measures it above the ground under the eye instead.
//
// These tools do not remember the view at activation: Camera > Previous keeps what it
// held before them.
#include "tools/cameratool.h"

class CCamera;

class CCameraEyeHeightTool : public CCameraTool
{
public:
    static constexpr int kEyeHeightLabelId = 10065;
    // How long the eye takes to reach a typed height.
    static constexpr double kEyeMoveSeconds = 0.5;

    using CCameraTool::CCameraTool;

    void OnActivate() override;
    void Resume() override;
    // A text that is no length, or a negative height, is refused: the height comes back
    // into the value box and a tip says so. The height shown already changes nothing.
    bool TakeTypedValue(const CString& text) override;
    // The height is written again only when it changed by 0.001 or more.
    void UpdateValue(ITarnisView* view) override;

    // The last height typed; 0 before any.
    [[nodiscard]] double GetTypedEyeHeight() const { return m_typedHeight; }

protected:
    // The height the value box shows.
    [[nodiscard]] virtual double GetEyeHeight(CTarnisView& view);
    // Moves the eye to the typed height; false when the height is the one shown.
    virtual bool SetEyeHeight(CTarnisView& view, double height);
    // The camera raised by dz glides there, then the value box shows it.
    static void RaiseCamera(CTarnisView& view, double dz);
    // The next UpdateValue writes the value whatever it is.
    void RefreshValue() { m_firstDisplay = true; }

private:
    bool m_firstDisplay = true;
    double m_typedHeight = 0.0;
    double m_lastShown = 0.0;
};
