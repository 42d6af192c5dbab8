#include "tools/cameracontextmenu.h"

#include <memory>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "model/entityiterator.h"
#include "render/hostservices.h"
#include "render/tarnisview.h"
#include "tools/cameracommands.h"
#include "tools/command.h"
#include "tools/tarnwickmenu.h"
#include "tools/toolmanager.h"

namespace {

struct CameraMenuItem
{
    // 0 for a separator.
    int stringId;
    int commandId;
    void (*run)();
};

constexpr CameraMenuItem kCameraMenu[] = {{10093, kExitCameraCommandId, ExitCameraTool},
                                          {0, 0, nullptr},
                                          {10094, kOrbitCommandId, SelectOrbitTool},
                                          {10095, kPanCommandId, SelectPanTool},
                                          {10096, kLookAroundCommandId, SelectLookAroundTool},
                                          {10097, kWalkCommandId, SelectWalkTool},
                                          {10098, kZoomCommandId, SelectZoomTool},
                                          {0, 0, nullptr},
                                          {10099, kZoomWindowCommandId, SelectZoomWindowTool},
                                          {10100, kZoomExtentsCommandId, ZoomToModelExtents}};

}  // namespace

void AppendCameraContextMenu(CTarnwickMenu& menu, const ITarnisView* view)
{
    const CToolManager* manager = GetToolManager();
    // The walk tool refuses to walk in a parallel view.
    const bool walkRefused = view != nullptr && !view->GetViewDefinition().IsPerspective();
    for (const CameraMenuItem& item : kCameraMenu)
    {
        if (item.stringId == 0)
        {
            menu.AppendSeparator();
            continue;
        }
        int flags = manager != nullptr && manager->IsActiveTool(item.commandId) ? kMenuItemChecked : 0;
        if (item.commandId == kWalkCommandId && walkRefused)
            flags |= kMenuItemGrayed;
        menu.AppendCallbackItem(item.stringId, item.run, flags, item.commandId);
    }
}

bool TrackCameraContextMenu(int x, int y, ITarnisView* view)
{
    const std::unique_ptr<CTarnwickMenu> menu = CreatePlatformMenu();
    AppendCameraContextMenu(*menu, view);
    return menu->Track(x, y, view);
}

void ZoomToModelExtents()
{
    CTarnwickModel* model = GetCurrentModel();
    CComponent* root = model != nullptr ? model->GetRootComponent() : nullptr;
    auto* view = dynamic_cast<CTarnisView*>(GetActiveTarnisView());
    if (root == nullptr || view == nullptr)
        return;
    const std::unique_ptr<IEntityIterator> entities(root->NewIterator());
    view->ZoomToExtents(entities.get());
}
