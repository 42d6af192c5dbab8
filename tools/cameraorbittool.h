#pragma once
// CCameraOrbitTool: drags turn the camera about the centre of what the view shows; Shift
// pans, Ctrl rolls freely. Made over the walk tool (by the middle button) it looks
// around instead.
#include "tools/cameratool.h"

class CCameraOrbitTool : public CCameraTool
{
public:
    static constexpr int kPromptId = 10003;

    explicit CCameraOrbitTool(bool madeOverWalk = false) : CCameraTool(kCameraOrbit, madeOverWalk) {}
    [[nodiscard]] int GetPromptId() const override { return kPromptId; }
};
