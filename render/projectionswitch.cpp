#include "render/projectionswitch.h"

#include <cmath>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "drawapi/tarnisview.h"
#include "render/viewdefinition.h"

namespace {

constexpr double kHalfAngleToRadians = 0.00872664625997165;
constexpr double kMinHalfAngleTangent = 1e-6;
constexpr double kDepthTolerance = 0.001;

// Whether the depth along the line of sight lies between the nearest and the farthest
// corner of the model's bounds.
bool IsWithinModelDepth(ITarnisView& view, double depth)
{
    CBoundingBox3d bounds;
    if (const CTarnwickModel* model = view.GetModel(); model != nullptr && model->GetRootComponent() != nullptr) {
        model->GetRootComponent()->GetBounds(bounds, false);
    }
    if (bounds.IsEmpty()) {
        return false;
    }
    double nearest = 0.0;
    double farthest = 0.0;
    view.GetViewDefinition().GetBoxDepths(bounds, nearest, farthest);
    return depth >= nearest - kDepthTolerance && depth <= farthest + kDepthTolerance;
}

// The depth at which both projections show the model at one size: that of the model
// point at the view's centre, which lies at other depths in the two projections. Going
// to perspective, a target inside the model, as the switch to parallel leaves it, is
// kept, so that a round trip ends where it started.
bool FindPivotDepth(ITarnisView& view, bool perspective, double& depth)
{
    const CViewDefinition& definition = view.GetViewDefinition();
    const CPoint3d eye = definition.GetEye();
    const CVector3d direction = definition.GetViewDirection();
    depth = DotProduct(definition.GetTarget() - eye, direction);
    if (perspective && IsWithinModelDepth(view, depth)) {
        return true;
    }
    CPoint3d centre;
    if (!view.FindViewCenter(centre)) {
        return false;
    }
    depth = DotProduct(centre - eye, direction);
    return true;
}

}  // namespace

CCamera SwitchProjection(ITarnisView& view, bool perspective)
{
    const CViewDefinition& definition = view.GetViewDefinition();
    CCamera camera = definition.GetCamera();
    if (camera.IsPerspective() == perspective) {
        return camera;
    }
    double depth = 0.0;
    if (FindPivotDepth(view, perspective, depth)) {
        const CPoint3d eye = camera.GetEye();
        const CVector3d direction = definition.GetViewDirection();
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
