#pragma once
// CCameraDollyTool (the Pan command): drags move the camera parallel to the view plane,
// keeping the grabbed point under the cursor.
#include "tools/cameratool.h"

class CCameraDollyTool : public CCameraTool
{
public:
    static constexpr int kPromptId = 10005;

    CCameraDollyTool() : CCameraTool(kCameraPan) {}
    [[nodiscard]] int GetPromptId() const override { return kPromptId; }
};
