#pragma once
// CCameraFOVTool (the Field Of View command): drags widen or narrow the field of view
// (Shift zooms) while the camera moves so that the grabbed point keeps its size; a typed
// value does the same about the point at the centre of the view.
#include "tools/camerazoomtool.h"

class CCameraFOVTool : public CCameraZoomTool
{
public:
    static constexpr int kFieldOfViewPromptId = 10585;

    CCameraFOVTool() : CCameraZoomTool(kCameraFieldOfView) {}
    [[nodiscard]] int GetPromptId() const override { return kFieldOfViewPromptId; }
    void SetFieldOfView(CTarnisView& view, double degrees) override;
};
