#include "render/cameratransitionfactory.h"

#include "drawapi/animation.h"
#include "drawapi/tarnisview.h"
#include "render/viewdefinition.h"

namespace {

// Shorter moves are not worth a frame of their own.
constexpr double kImmediateSeconds = 0.1;

CameraTransitionFactory g_factory = nullptr;

}  // namespace

void SetCameraTransitionFactory(CameraTransitionFactory factory)
{
    g_factory = factory;
}

IAnimation* CreateCameraTransition(const CCamera& from, const CCamera& to, double seconds)
{
    return g_factory != nullptr ? g_factory(from, to, seconds) : nullptr;
}

bool StartCameraTransition(ITarnisView& view, const CCamera& to, double seconds)
{
    if (seconds <= kImmediateSeconds)
        return false;
    IAnimation* transition = CreateCameraTransition(view.GetViewDefinition().GetCamera(), to, seconds);
    if (transition == nullptr)
        return false;
    view.SetAnimation(transition);
    if (!transition->Step(&view))
        view.SetAnimation(nullptr);
    return true;
}
