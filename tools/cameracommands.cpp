#include "tools/cameracommands.h"

#include "tools/cameradollytool.h"
#include "tools/camerafovtool.h"
#include "tools/cameraorbittool.h"
#include "tools/camerapantool.h"
#include "tools/camerawalktool.h"
#include "tools/camerazoomtool.h"
#include "tools/camerazoomwindowtool.h"
#include "tools/toolmanager.h"

namespace {

void Select(CTool* tool, int commandId)
{
    if (CToolManager* manager = GetToolManager())
        manager->SelectTool(tool, commandId, true);
    else
        delete tool;
}

}  // namespace

void SelectOrbitTool()
{
    Select(new CCameraOrbitTool, kOrbitCommandId);
}

void SelectPanTool()
{
    Select(new CCameraDollyTool, kPanCommandId);
}

void SelectZoomTool()
{
    Select(new CCameraZoomTool, kZoomCommandId);
}

void SelectZoomWindowTool()
{
    Select(new CCameraZoomWindowTool, kZoomWindowCommandId);
}

void SelectLookAroundTool()
{
    Select(new CCameraPanTool, kLookAroundCommandId);
}

void SelectWalkTool()
{
    Select(new CCameraWalkTool, kWalkCommandId);
}

void SelectFieldOfViewTool()
{
    Select(new CCameraFOVTool, kFieldOfViewCommandId);
}

void ExitCameraTool()
{
    CToolManager* manager = GetToolManager();
    if (manager != nullptr && dynamic_cast<CCameraTool*>(manager->GetActiveTool()) != nullptr)
        manager->PopTool();
}

int GetCameraToolCheck(int commandId)
{
    const CToolManager* manager = GetToolManager();
    if (manager == nullptr)
        return 0;
    if (manager->IsActiveTool(commandId))
        return 1;
    return manager->IsToolOnStack(commandId) ? 2 : 0;
}
