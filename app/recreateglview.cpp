#include "app/recreateglview.h"

#include <QMainWindow>
#include <QWidget>
#include <memory>

#include "app/glimradoc.h"
#include "app/glimraview.h"
#include "app/hostservices.h"
#include "document/doctoolmanager.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "foundation/notificationcenter.h"
#include "platform/ui/doctemplate.h"
#include "platform/ui/framewnd.h"

bool RecreateGLView(CSingleDocTemplate& docTemplate)
{
    CFrameWnd* frame = docTemplate.GetFrame();
    auto* oldView = dynamic_cast<CGlimraView*>(docTemplate.GetView());
    auto* document = dynamic_cast<CGlimraDoc*>(docTemplate.GetDocument());
    if (frame == nullptr || oldView == nullptr || document == nullptr || oldView->GetWidget() == nullptr)
        return false;
    const CViewDefinition camera = oldView->GetViewDefinition();
    std::unique_ptr<CGlimraView> view(CreateGlimraView());
    if (CTarnwickModel* model = GetCurrentModel())
        model->FreeDisplayResources();

    view->Create(frame->GetWindow());
    view->GetWidget()->setGeometry(oldView->GetWidget()->geometry());
    document->AddView(view.get());
    view->OnInitialUpdate();
    const bool replaced = view->GetErrorCode() == 0;
    if (replaced)
    {
        view->SetViewDefinition(camera);
        docTemplate.ReplaceView(std::move(view));
        (void)dynamic_cast<CGlimraView&>(*docTemplate.GetView()).MakeCurrent();
    }
    else
    {
        document->RemoveView(view.get());
    }
    if (IDocToolManager* tools = document->GetToolManager())
        tools->Reset();
    CShadowNotificationData assigned{kShadowAssigned, nullptr};
    GetNotificationCenter().Post(kShadowNotification, &assigned);
    return replaced;
}
