#pragma once
// CCameraPanTool (the Look Around command): drags turn the camera about where it stands.
#include "tools/cameratool.h"

class CCameraPanTool : public CCameraTool
{
public:
    static constexpr int kPromptId = 10004;

    CCameraPanTool() : CCameraTool(kCameraLookAround) {}
    [[nodiscard]] int GetPromptId() const override { return kPromptId; }
};
