#include "render/projectionswitch.h"

#include <cmath>

#include "drawapi/tarnisview.h"
#include "render/viewdefinition.h"

namespace {

constexpr double kHalfAngleToRadians = 0.00872664625997165;
constexpr double kMinHalfAngleTangent = 1e-6;

}  // namespace

CCamera SwitchProjection(ITarnisView& view, bool perspective)
{
    const CViewDefinition& definition = view.GetViewDefinition();
    CCamera camera = definition.GetCamera();
    if (camera.IsPerspective() == perspective) {
        return camera;
    }
    CPoint3d centre;
    if (view.FindViewCenter(centre)) {
        const CPoint3d eye = camera.GetEye();
        const CVector3d direction = definition.GetViewDirection();
        const double depth = DotProduct(centre - eye, direction);
        if (perspective) {
            const double tangent = std::tan(camera.GetFieldOfView() * kHalfAngleToRadians);
            if (tangent > kMinHalfAngleTangent) {
                const CPoint3d pivot = eye + direction * depth;
                const double distance = camera.GetParallelHeight() * 0.5 / tangent;
                camera.SetEyeTargetUp(pivot + direction * -distance, pivot, camera.GetUp());
            }
        } else if (depth > definition.GetNear()) {
            camera.SetEyeTargetUp(eye, eye + direction * depth, camera.GetUp());
        }
    }
    camera.SetPerspective(perspective);
    return camera;
}
