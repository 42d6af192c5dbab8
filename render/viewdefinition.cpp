#include "render/viewdefinition.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"

namespace {

constexpr double kHalfDegree = 0.00872664625997165;
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kMinFittedDistance = 0.01;
constexpr double kRangeMargin = 0.1;
constexpr double kMaxDepthRatio = 1000.0;
constexpr double kMinW = 1e-10;

void LoadMatrix(GLenum mode, const CGLMatrix& matrix)
{
    glMatrixMode(mode);
    glLoadIdentity();
    glMultMatrixd(matrix.GetValues());
}

CVector3d UnitCross(const CVector3d& a, const CVector3d& b)
{
    CVector3d result = a.CrossProduct(b);
    result.Normalize();
    return result;
}

// The point through the matrix, divided by its w; undivided, and false, for a w too
// near 0 to divide by.
bool TransformProjective(const CGLMatrix& matrix, const CPoint3d& in, CPoint3d& out)
{
    double values[3];
    double w = 0.0;
    matrix.Transform(in, values, w);
    if (std::fabs(w) > kMinW) {
        out = CPoint3d(values[0] / w, values[1] / w, values[2] / w);
        return true;
    }
    out = CPoint3d(values[0], values[1], values[2]);
    return false;
}

}  // namespace

CViewDefinition::CViewDefinition()
{
    Update();
}

CViewDefinition::~CViewDefinition() = default;

// --- camera and viewport ---

void CViewDefinition::SetCameraFrom(const CViewDefinition& other)
{
    SetCamera(other.m_camera);
}

void CViewDefinition::SetCamera(const CCamera& camera)
{
    m_camera = camera;
    Update();
}

void CViewDefinition::SetEyeTarget(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up)
{
    CVector3d unitUp = up;
    unitUp.Normalize();
    m_camera.SetEyeTargetUp(eye, target, unitUp);
    Update();
}

void CViewDefinition::SetViewportSize(int width, int height)
{
    m_viewport[0] = 0;
    m_viewport[1] = 0;
    m_viewport[2] = width;
    m_viewport[3] = height;
    Update();
}

void CViewDefinition::SetCameraValues(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up,
                                      bool perspective, double fieldOfView, double viewHeight)
{
    m_camera.SetView(eye, target, up, m_camera.GetValueA(), m_camera.GetValueB(), perspective, fieldOfView,
                     viewHeight);
}

void CViewDefinition::SetFieldOfView(double degrees)
{
    m_camera.SetFieldOfView(degrees);
    Update();
}

void CViewDefinition::SetViewHeight(double height)
{
    SetCameraValues(GetEye(), GetTarget(), m_camera.GetUp(), IsPerspective(), m_camera.GetFieldOfView(), height);
    Update();
}

void CViewDefinition::SetPerspective(bool perspective)
{
    m_camera.SetPerspective(perspective);
    Update();
}

double CViewDefinition::ResizeViewport(int width, int height)
{
    const double stored = m_camera.GetAspectRatio();
    // A camera without a usable stored aspect keeps its view as it is.
    return ResizeKeepingWidth(width, height, stored > 0.001 ? stored : -std::numeric_limits<double>::infinity());
}

double CViewDefinition::ResizeViewportFitHeight(int width, int height)
{
    return ResizeKeepingWidth(width, height, m_aspect);
}

double CViewDefinition::ResizeKeepingWidth(int width, int height, double oldAspect)
{
    const double previous = IsPerspective() ? m_camera.GetFieldOfView() : GetViewHeight();
    const double newAspect = height > 0 ? static_cast<double>(width) / height : 1.0;
    m_viewport[2] = width;
    m_viewport[3] = height;
    if (newAspect < oldAspect) {
        // The old picture is wider than the window: widen the view to keep it.
        const double factor = oldAspect / newAspect;
        SetViewScale(IsPerspective() ? 2.0 * std::atan(std::tan(previous * kHalfDegree) * factor) * kDegreesPerRadian
                                     : previous * factor);
    }
    Update();
    return previous;
}

void CViewDefinition::SetViewportAndScale(double value, int width, int height)
{
    m_viewport[0] = 0;
    m_viewport[1] = 0;
    m_viewport[2] = width;
    m_viewport[3] = height;
    SetViewScale(value);
    Update();
}

void CViewDefinition::SetViewScale(double value)
{
    if (IsPerspective()) {
        m_camera.SetFieldOfView(value);
    } else {
        SetCameraValues(GetEye(), GetTarget(), m_camera.GetUp(), false, m_camera.GetFieldOfView(), value);
    }
}

void CViewDefinition::RotateCamera(const CPoint3d& axisPoint, const CVector3d& axisDirection, double angle)
{
    const CTransformation rotation = CTransformation::Rotation(axisPoint, CUnitVector3d(axisDirection), angle);
    m_camera.SetEyeTargetUp(rotation * GetEye(), rotation * GetTarget(), rotation * m_camera.GetUp());
    Update();
}

void CViewDefinition::Dolly(double distance, double factor)
{
    if (!IsPerspective()) {
        SetViewHeight(GetViewHeight() * (factor + 1.0));
        return;
    }
    // A positive factor backs away, as it widens the parallel view above.
    const CVector3d step = GetViewDirection() * (-distance * factor);
    m_camera.SetEyeTargetUp(GetEye() + step, GetTarget() + step, m_camera.GetUp());
    Update();
}

void CViewDefinition::ZoomAtPixel(const CPoint2d& pixel, double distance, double factor)
{
    if (IsPerspective()) {
        // A positive factor backs away from the pixel, as it widens the parallel view below.
        const CVector3d step = CVector3d(ScreenToModelLine(pixel).direction) * (-distance * factor);
        m_camera.SetEyeTargetUp(GetEye() + step, GetTarget() + step, m_camera.GetUp());
        Update();
        return;
    }
    if (factor <= -1.0) {
        return;
    }
    const CPoint3d before = PixelToNearPoint(pixel);
    SetViewHeight(GetViewHeight() * (factor + 1.0));
    const CVector3d shift = before - PixelToNearPoint(pixel);
    m_camera.SetEyeTargetUp(GetEye() + shift, GetTarget() + shift, m_camera.GetUp());
    Update();
}

void CViewDefinition::GetBoxDepths(const CBoundingBox3d& box, double& nearest, double& farthest) const
{
    nearest = 0.0;
    farthest = 0.0;
    if (box.IsEmpty()) {
        return;
    }
    const CVector3d direction = GetViewDirection();
    for (int corner = 0; corner < 8; ++corner) {
        const double along = DotProduct(box.GetCorner(corner) - GetEye(), direction);
        nearest = corner == 0 ? along : std::min(nearest, along);
        farthest = corner == 0 ? along : std::max(farthest, along);
    }
}

void CViewDefinition::FitDepthRange(const CBoundingBox3d& box)
{
    double nearest = 0.0;
    double farthest = 0.0;
    GetBoxDepths(box, nearest, farthest);
    const double newNear = nearest - 0.5;
    const double newFar = farthest + 0.5;
    const bool moved = std::fabs(newNear - m_fittedNear) >= 0.001 || std::fabs(newFar - m_fittedFar) >= 0.001;
    m_fittedNear = newNear;
    m_fittedFar = newFar;
    if (moved) {
        RebuildWindowMatrix();
    }
}

void CViewDefinition::SetProjectionWindow(bool useWindow, double left, double right, double top, double bottom)
{
    m_explicitWindow = useWindow;
    m_windowLeft = left;
    m_windowRight = right;
    m_windowTop = top;
    m_windowBottom = bottom;
    RebuildWindowMatrix();
}

void CViewDefinition::SetDepthRange(double nearDistance, double farDistance)
{
    m_near = nearDistance;
    m_far = farDistance;
    Update();
}

// --- derived values ---

void CViewDefinition::Update()
{
    m_camera.FixInvalidValues();
    const int width = m_viewport[2];
    const int height = m_viewport[3];
    m_aspect = height != 0 ? static_cast<double>(width) / height : 1.0;
    m_fieldOfView = m_camera.GetAdjustedFieldOfView(m_aspect);
    m_viewTangent = 2.0 * std::tan(m_fieldOfView * kHalfDegree);

    const CVector3d toEye = GetEye() - GetTarget();
    m_distance = toEye.GetLengthSquared() > kZeroLengthSquared ? toEye.GetLength() : 0.0;
    m_zAxis = toEye;
    m_zAxis.Normalize();
    m_xAxis = UnitCross(m_camera.GetUp(), m_zAxis);
    m_yAxis = UnitCross(m_zAxis, m_xAxis);

    // A window without height has no pixels to measure.
    if (IsPerspective()) {
        m_pixelSize = height > 0 ? m_distance * m_viewTangent / height : 0.0;
    } else {
        m_viewWidth = GetViewHeight() * m_aspect;
        m_pixelSize = height > 0 ? GetViewHeight() / height : 0.0;
    }
    m_nearPixelSize = m_distance > 0.0 ? m_near / m_distance * m_pixelSize : 0.0;
    m_centerX = width * 0.5 + m_viewport[0];
    m_centerY = height * 0.5 + m_viewport[1];
    RebuildWindowMatrix();
}

void CViewDefinition::GetFittedRange(double& nearDistance, double& farDistance) const
{
    farDistance = m_fittedFar > kMinFittedDistance ? m_fittedFar : m_far;
    nearDistance = m_fittedNear > kMinFittedDistance ? m_fittedNear : 0.001 * farDistance;
    nearDistance *= 1.0 - kRangeMargin;
    farDistance *= 1.0 + kRangeMargin;
    if (farDistance / nearDistance > kMaxDepthRatio) {
        nearDistance = 0.001 * farDistance;
    }
}

CGLMatrix CViewDefinition::ComputeProjection(bool useFittedRange, double* usedNear, double* usedFar) const
{
    double nearDistance = m_near;
    double farDistance = m_far;
    if (useFittedRange) {
        GetFittedRange(nearDistance, farDistance);
    }
    if (usedNear != nullptr) {
        *usedNear = nearDistance;
    }
    if (usedFar != nullptr) {
        *usedFar = farDistance;
    }
    if (!IsPerspective()) {
        if (m_explicitWindow) {
            return CGLMatrix::Ortho(m_windowLeft, m_windowRight, m_windowBottom, m_windowTop, nearDistance,
                                    farDistance);
        }
        const double halfWidth = m_viewWidth / 2.0;
        const double halfHeight = GetViewHeight() / 2.0;
        return CGLMatrix::Ortho(-halfWidth, halfWidth, -halfHeight, halfHeight, nearDistance, farDistance);
    }
    if (!m_explicitWindow) {
        return CGLMatrix::Perspective(m_fieldOfView, m_aspect, nearDistance, farDistance);
    }
    double scale = 1.0;
    if (!useFittedRange) {
        // The window is given on the fitted near plane.
        double fittedNear = 0.0;
        double fittedFar = 0.0;
        GetFittedRange(fittedNear, fittedFar);
        scale = nearDistance / fittedNear;
    }
    return CGLMatrix::Frustum(m_windowLeft * scale, m_windowRight * scale, m_windowBottom * scale,
                              m_windowTop * scale, nearDistance, farDistance);
}

CGLMatrix CViewDefinition::ComputeLookAt() const
{
    return CGLMatrix::LookAt(GetEye(), GetTarget(), m_camera.GetUp());
}

void CViewDefinition::RebuildWindowMatrix()
{
    const double width = m_viewport[2];
    const double height = m_viewport[3];
    // The window matrix takes the projection a frame would load, so the range it uses is
    // the used range from here on: depths convert to distances before any frame is drawn.
    m_windowMatrix = CGLMatrix::Translation(m_viewport[0] + width / 2.0, m_viewport[1] + height / 2.0, 0.5) *
                     CGLMatrix::Scaling(width / 2.0, -height / 2.0, 0.5) *
                     ComputeProjection(true, &m_usedNear, &m_usedFar) * ComputeLookAt();
    m_inverseValid = false;
}

// --- queries ---

void CViewDefinition::GetViewport(int viewport[4]) const
{
    std::copy(m_viewport, m_viewport + 4, viewport);
}

void CViewDefinition::GetViewportCenter(int& x, int& y) const
{
    x = m_viewport[0] + m_viewport[2] / 2;
    y = m_viewport[1] + m_viewport[3] / 2;
}

bool CViewDefinition::IsSameCamera(const CViewDefinition& other) const
{
    return m_camera.IsEqual(other.m_camera);
}

bool CViewDefinition::GetProjectionWindow(double& left, double& right, double& bottom, double& top) const
{
    if (m_explicitWindow) {
        left = m_windowLeft;
        right = m_windowRight;
        bottom = m_windowBottom;
        top = m_windowTop;
        return true;
    }
    if (IsPerspective()) {
        double nearDistance = 0.0;
        double farDistance = 0.0;
        GetFittedRange(nearDistance, farDistance);
        top = std::tan(m_fieldOfView * kHalfDegree) * nearDistance;
        right = top * m_aspect;
    } else {
        top = GetViewHeight() / 2.0;
        right = m_viewWidth / 2.0;
    }
    bottom = -top;
    left = -right;
    return false;
}

double CViewDefinition::DepthToDistance(double depth) const
{
    const double n = m_usedNear;
    const double f = m_usedFar;
    if (!IsPerspective()) {
        return n + (f - n) * depth;
    }
    return 2.0 * n * f / (n + f - (f - n) * (2.0 * depth - 1.0));
}

// --- conversions ---

bool CViewDefinition::ProjectPoint(const CPoint3d& model, CPoint3d& window) const
{
    return TransformProjective(m_windowMatrix, model, window);
}

bool CViewDefinition::UnprojectPoint(const CPoint3d& window, CPoint3d& model) const
{
    if (!m_inverseValid) {
        if (!m_windowMatrix.GetInverse(m_inverseWindowMatrix)) {
            return false;
        }
        m_inverseValid = true;
    }
    return TransformProjective(m_inverseWindowMatrix, window, model);
}

CPoint3d CViewDefinition::PixelToPoint(const CPoint2d& pixel) const
{
    return {(pixel.x - m_centerX) * m_pixelSize, (m_centerY - pixel.y) * m_pixelSize, 0.0};
}

CPoint3d CViewDefinition::PixelToNearPoint(const CPoint2d& pixel) const
{
    const double size = IsPerspective() ? m_nearPixelSize : m_pixelSize;
    const double dx = (pixel.x - m_centerX) * size;
    const double dy = (m_centerY - pixel.y) * size;
    return GetEye() + (m_xAxis * dx + m_yAxis * dy - m_zAxis * m_near);
}

CLine3d CViewDefinition::ScreenToModelLine(const CPoint2d& pixel) const
{
    const CPoint3d nearPoint = PixelToNearPoint(pixel);
    if (IsPerspective()) {
        return CLine3d(GetEye(), CUnitVector3d(nearPoint - GetEye()));
    }
    return CLine3d(nearPoint, CUnitVector3d(GetViewDirection()));
}

void CViewDefinition::GetPickVolume(double left, double top, double right, double bottom, Planes& planes) const
{
    const CPoint3d leftBottom = PixelToNearPoint(CPoint2d(left, bottom));
    const CPoint3d rightTop = PixelToNearPoint(CPoint2d(right, top));
    if (!IsPerspective()) {
        planes[0] = CPlane3d(leftBottom, -m_xAxis);
        planes[1] = CPlane3d(rightTop, m_xAxis);
        planes[2] = CPlane3d(leftBottom, -m_yAxis);
        planes[3] = CPlane3d(rightTop, m_yAxis);
    } else {
        const CPoint3d leftTop = PixelToNearPoint(CPoint2d(left, top));
        const CPoint3d rightBottom = PixelToNearPoint(CPoint2d(right, bottom));
        const CPoint3d& eye = GetEye();
        // Each side holds the eye and two corner rays; its normal turns away from the
        // opposite corner, out of the volume.
        const auto side = [&](const CPoint3d& a, const CPoint3d& b, const CPoint3d& inside) {
            CVector3d normal = UnitCross(a - eye, b - eye);
            if (DotProduct(normal, inside - eye) > 0.0) {
                normal = -normal;
            }
            return CPlane3d(eye, normal);
        };
        planes[0] = side(leftBottom, leftTop, rightTop);
        planes[1] = side(rightBottom, rightTop, leftBottom);
        planes[2] = side(leftBottom, rightBottom, rightTop);
        planes[3] = side(leftTop, rightTop, leftBottom);
    }
    planes[4] = CPlane3d(GetEye() + GetViewDirection() * m_usedNear, m_zAxis);
    planes[5] = CPlane3d(GetEye() + GetViewDirection() * m_usedFar, GetViewDirection());
}

void CViewDefinition::GetPickVolumeAround(const CPoint2d& pixel, double halfSize, Planes& planes) const
{
    GetPickVolume(pixel.x - halfSize, pixel.y - halfSize, pixel.x + halfSize, pixel.y + halfSize, planes);
}

// --- OpenGL ---

void CViewDefinition::SetProjection(bool useFittedRange)
{
    glMultMatrixd(ComputeProjection(useFittedRange, &m_usedNear, &m_usedFar).GetValues());
}

void CViewDefinition::LoadLookAt() const
{
    LoadMatrix(GL_MODELVIEW, ComputeLookAt());
}

void CViewDefinition::ApplyToGL(bool useFittedRange)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    SetProjection(useFittedRange);
    LoadLookAt();
    ComputeFrustumPlanes();
}

void CViewDefinition::ApplyPickMatrix(const CPoint2d& pixel, double width, double height)
{
    m_pickRegion = CGLMatrix::PickRegion(pixel.x, m_viewport[3] - pixel.y, width, height, m_viewport);
    LoadMatrix(GL_PROJECTION, m_pickRegion);
    SetProjection(true);
    LoadLookAt();
}

void CViewDefinition::ApplyPickRect(const CPoint2d& corner1, const CPoint2d& corner2)
{
    const CPoint2d centre((corner1.x + corner2.x) / 2.0, (corner1.y + corner2.y) / 2.0);
    const double width = std::max(std::fabs(corner2.x - corner1.x), 1.0);
    const double height = std::max(std::fabs(corner2.y - corner1.y), 1.0);
    ApplyPickMatrix(centre, width, height);
}

void CViewDefinition::ComputeFrustumPlanes()
{
    double projection[16];
    double modelView[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    m_frustum = FrustumPlanesOf(CGLMatrix(projection), CGLMatrix(modelView));
}

CViewDefinition::Planes CViewDefinition::FrustumPlanesOf(const CGLMatrix& projection, const CGLMatrix& modelView)
{
    const CGLMatrix m = projection * modelView;
    const auto plane = [&m](int row, double sign) {
        CPlane3d result;
        result.Set(m.At(3, 0) + sign * m.At(row, 0), m.At(3, 1) + sign * m.At(row, 1),
                   m.At(3, 2) + sign * m.At(row, 2), m.At(3, 3) + sign * m.At(row, 3));
        return result;
    };
    return {plane(0, 1.0), plane(0, -1.0), plane(1, -1.0), plane(1, 1.0), plane(2, 1.0), plane(2, -1.0)};
}
