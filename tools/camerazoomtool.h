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
    // A text that does not parse changes nothing; the angle is held to 1..120 degrees.
    void OnUserText(const CString& text) override;
    void UpdateValue(ITarnisView* view) override;
    // The typed angle in degrees.
    virtual void SetFieldOfView(CTarnisView& view, double degrees);

    [[nodiscard]] int GetDisplayMode() const { return m_displayMode; }

protected:
    explicit CCameraZoomTool(int kind);

private:
    // The typed text as an angle in degrees; false when it does not parse.
    bool ParseFieldOfView(const CString& text, const CCamera& camera, double& degrees);

    bool m_firstDisplay = true;
    int m_displayMode;
    double m_lastShown = -1.0;
};
