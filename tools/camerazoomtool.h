#pragma once
// CCameraZoomTool: drags zoom at the cursor (up is in; Shift changes the field of view),
// and the value box shows the field of view, as an angle ("35.00 deg.") or as a focal
// length ("50 mm"), and takes a typed one: "50mm" is a focal length, "35deg" an angle,
// a bare number is read in the way last shown (remembered as "Tools"/"FovDisplayMode").
// In a parallel view the value box stays off.
#include "tools/cameratool.h"

class CCameraZoomTool : public CCameraTool
{
public:
    static constexpr int kPromptId = 10008;
    static constexpr int kFocalLengthLabelId = 10027;
    static constexpr int kFieldOfViewLabelId = 10028;
    static constexpr int kDegreesFormatId = 10029;
    static constexpr int kMillimetresFormatId = 10030;
    // How the value box shows the field of view.
    enum DisplayMode : int
    {
        kShowAngle = 0,
        kShowFocalLength = 1
    };

    CCameraZoomTool() : CCameraZoomTool(kCameraZoom) {}
    // Writes the display mode back to the profile.
    ~CCameraZoomTool() override;

    [[nodiscard]] int GetPromptId() const override { return kPromptId; }
    void OnActivate() override;
    void Resume() override;
    // A number, optionally followed by "mm" (a focal length) or "deg" (an angle); a plain
    // number is read in the display mode. Text that is no such value, or a focal length or
    // angle that is not positive, is refused: the value shown comes back and a tip says
    // so. Other angles are held to 1..120 degrees.
    bool TakeTypedValue(const CString& text) override;
    void UpdateValue(ITarnisView* view) override;
    // The typed angle in degrees.
    virtual void SetFieldOfView(CTarnisView& view, double degrees);

    [[nodiscard]] int GetDisplayMode() const { return m_displayMode; }

protected:
    explicit CCameraZoomTool(int kind);

private:
    // The typed text as an angle in degrees and the display mode it asks for; false when
    // it is no usable value.
    bool ParseFieldOfView(const CString& text, const CCamera& camera, double& degrees, int& mode) const;

    bool m_firstDisplay = true;
    int m_displayMode;
    double m_lastShown = -1.0;
};
