#pragma once
// CCameraPanTool (the Look Around command): drags turn the camera about where it stands,
// and the value box shows and takes the eye's height.
#include "tools/cameraeyeheighttool.h"

class CCameraPanTool : public CCameraEyeHeightTool
{
public:
    static constexpr int kPromptId = 10004;

    CCameraPanTool() : CCameraEyeHeightTool(kCameraLookAround) {}
    [[nodiscard]] int GetPromptId() const override { return kPromptId; }
};
