#include "tools/animationfactories.h"

#include "document/viewpage.h"
#include "render/cameratransitionfactory.h"
#include "tools/cameratransition.h"
#include "tools/pagetransition.h"

namespace {

IAnimation* MakeCameraTransition(const CCamera& from, const CCamera& to, double seconds)
{
    return new CCameraTransition(from, to, seconds);
}

IAnimation* MakePageTransition(ITarnisView* view, CViewPage* previous, CViewPage* next, double seconds)
{
    return new CPageTransition(view, previous, next, seconds);
}

}  // namespace

void InstallAnimationFactories()
{
    SetCameraTransitionFactory(MakeCameraTransition);
    SetPageTransitionFactory(MakePageTransition);
}
