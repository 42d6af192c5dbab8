#pragma once
// CViewDefinition: everything that maps the model onto the view window: a copy of the
// camera, the viewport, the fixed and fitted depth ranges, an optional explicit
// projection window (printing), and what follows from them: aspect, vertical field of
// view, camera axes, the size of a pixel in model units, the model-to-window matrix and
// its inverse, and the frustum planes. It loads the GL projection and model-view
// matrices and converts between pixels and model space.
//
// The matrices are computed here, exactly as GL and GLU would build them, and GL is
// loaded with these values; the conversions therefore need no context, only the
// operations that load matrices do.
//
// Window coordinates: x in pixels to the right, y in pixels downwards, depth 0..1.

#include <array>

#include "document/camera.h"
#include "foundation/boundingbox3d.h"
#include "foundation/line3d.h"
#include "foundation/plane3d.h"
#include "foundation/point2d.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "render/glmatrix.h"

class CViewDefinition
{
public:
    static constexpr double kDefaultNear = 1.0;
    static constexpr double kDefaultFar = 10000.0;
    // Frustum planes in stored order.
    enum FrustumPlane : int
    {
        kLeftPlane = 0,
        kRightPlane,
        kTopPlane,
        kBottomPlane,
        kNearPlane,
        kFarPlane,
        kPlaneCount
    };
    using Planes = std::array<CPlane3d, kPlaneCount>;

    CViewDefinition();
    CViewDefinition(const CViewDefinition& other) = default;
    CViewDefinition& operator=(const CViewDefinition& other) = default;
    virtual ~CViewDefinition();

    // --- camera and viewport; each leaves every derived value up to date ---
    void SetCameraFrom(const CViewDefinition& other);
    void SetCamera(const CCamera& camera);
    // Up is normalised first.
    void SetEyeTarget(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up);
    void SetViewportSize(int width, int height);
    void SetFieldOfView(double degrees);
    void SetViewHeight(double height);
    void SetPerspective(bool perspective);
    // A new viewport that keeps the picture: the field of view (perspective) or the view
    // height (parallel) grows so that what was visible across stays visible. Each
    // returns the previous field of view or view height. The first keeps the camera's
    // stored aspect ratio in view, the second the width of the old viewport.
    double ResizeViewport(int width, int height);
    double ResizeViewportFitHeight(int width, int height);
    // The viewport, then the view height (parallel) or field of view (perspective).
    void SetViewportAndScale(double value, int width, int height);
    // Turns eye, target and up about the axis; angle in radians.
    void RotateCamera(const CPoint3d& axisPoint, const CVector3d& axisDirection, double angle);
    // A positive factor zooms out and a negative one in, in both projections. Parallel:
    // the view height grows by the factor; perspective: eye and target move back by
    // distance * factor along the line of sight.
    void Dolly(double distance, double factor);
    // As Dolly but along the line of sight through the pixel, so that the model point
    // under the pixel stays under it.
    void ZoomAtPixel(const CPoint2d& pixel, double distance, double factor);
    // The depth range fitted to a box (the model's extents).
    void FitDepthRange(const CBoundingBox3d& box);
    // The distances from the eye along the line of sight of the box's nearest and
    // farthest corners; both 0 for an empty box.
    void GetBoxDepths(const CBoundingBox3d& box, double& nearest, double& farthest) const;
    void SetProjectionWindow(bool useWindow, double left, double right, double top, double bottom);
    void SetDepthRange(double nearDistance, double farDistance);

    // --- queries ---
    [[nodiscard]] const CCamera& GetCamera() const { return m_camera; }
    [[nodiscard]] bool IsPerspective() const { return m_camera.IsPerspective(); }
    [[nodiscard]] const CPoint3d& GetEye() const { return m_camera.GetEye(); }
    [[nodiscard]] const CPoint3d& GetTarget() const { return m_camera.GetTarget(); }
    // From the eye towards the target.
    [[nodiscard]] CVector3d GetViewDirection() const { return -m_zAxis; }
    [[nodiscard]] double GetTargetDistance() const { return m_distance; }
    void GetViewport(int viewport[4]) const;
    [[nodiscard]] int GetViewportWidth() const { return m_viewport[2]; }
    [[nodiscard]] int GetViewportHeight() const { return m_viewport[3]; }
    // Halves truncated toward zero.
    void GetViewportCenter(int& x, int& y) const;
    [[nodiscard]] double GetAspect() const { return m_aspect; }
    [[nodiscard]] double GetFieldOfView() const { return m_fieldOfView; }
    [[nodiscard]] double GetViewHeight() const { return m_camera.GetParallelHeight(); }
    [[nodiscard]] double GetViewWidth() const { return m_viewWidth; }
    [[nodiscard]] double GetViewTangent() const { return m_viewTangent; }
    [[nodiscard]] double GetPixelSize() const { return m_pixelSize; }
    [[nodiscard]] double GetNearPixelSize() const { return m_nearPixelSize; }
    [[nodiscard]] double GetNear() const { return m_near; }
    [[nodiscard]] double GetFar() const { return m_far; }
    [[nodiscard]] double GetFittedNear() const { return m_fittedNear; }
    [[nodiscard]] double GetFittedFar() const { return m_fittedFar; }
    [[nodiscard]] double GetUsedNear() const { return m_usedNear; }
    [[nodiscard]] double GetUsedFar() const { return m_usedFar; }
    // The range a projection with the fitted range uses: the fitted values with a
    // tenth's margin, the near distance kept within a thousandth of the far one.
    void GetFittedRange(double& nearDistance, double& farDistance) const;
    [[nodiscard]] const CVector3d& GetXAxis() const { return m_xAxis; }
    [[nodiscard]] const CVector3d& GetYAxis() const { return m_yAxis; }
    // From the target towards the eye.
    [[nodiscard]] const CVector3d& GetZAxis() const { return m_zAxis; }
    [[nodiscard]] bool IsSameCamera(const CViewDefinition& other) const;
    [[nodiscard]] const Planes& GetFrustumPlanes() const { return m_frustum; }
    // Returns whether the explicit window is set; else the window the camera gives.
    bool GetProjectionWindow(double& left, double& right, double& bottom, double& top) const;
    // Eye distance of a window depth, over the range of the last projection loaded or,
    // since the last change of camera, viewport or range, of the window matrix.
    [[nodiscard]] double DepthToDistance(double depth) const;
    [[nodiscard]] const CGLMatrix& GetWindowMatrix() const { return m_windowMatrix; }
    // The projection (with the fitted range when asked) and the look-at view.
    [[nodiscard]] CGLMatrix ComputeProjection(bool useFittedRange, double* usedNear = nullptr,
                                              double* usedFar = nullptr) const;
    [[nodiscard]] CGLMatrix ComputeLookAt() const;

    // --- conversions ---
    // False (undivided coordinates) when the point projects to |w| at or below 1e-10.
    bool ProjectPoint(const CPoint3d& model, CPoint3d& window) const;
    // False when the window matrix cannot be inverted.
    bool UnprojectPoint(const CPoint3d& window, CPoint3d& model) const;
    [[nodiscard]] CPoint3d PixelToPoint(const CPoint2d& pixel) const;
    [[nodiscard]] CPoint3d PixelToNearPoint(const CPoint2d& pixel) const;
    [[nodiscard]] CLine3d ScreenToModelLine(const CPoint2d& pixel) const;
    // The planes around a screen rectangle, normals pointing out: left, right, bottom,
    // top, near, far.
    void GetPickVolume(double left, double top, double right, double bottom, Planes& planes) const;
    void GetPickVolumeAround(const CPoint2d& pixel, double halfSize, Planes& planes) const;

    // --- OpenGL (a context must be current) ---
    // Multiplies the projection onto the current matrix and records the range used.
    void SetProjection(bool useFittedRange);
    // Loads projection and look-at view, then the frustum planes.
    void ApplyToGL(bool useFittedRange);
    // Loads a projection restricted to width by height pixels around the pixel.
    void ApplyPickMatrix(const CPoint2d& pixel, double width, double height);
    // The pick region of the latest ApplyPickMatrix, for drawing in window pixels while
    // picking.
    [[nodiscard]] const CGLMatrix& GetPickRegion() const { return m_pickRegion; }
    void ApplyPickRect(const CPoint2d& corner1, const CPoint2d& corner2);
    // The planes of the loaded projection and model-view matrices, read back from GL.
    void ComputeFrustumPlanes();
    // The same from given matrices; normals point into the frustum.
    [[nodiscard]] static Planes FrustumPlanesOf(const CGLMatrix& projection, const CGLMatrix& modelView);

private:
    void Update();
    // Both resizes: the view widens by how much narrower the window is than the old aspect.
    double ResizeKeepingWidth(int width, int height, double oldAspect);
    // The field of view (perspective) or the view height (parallel).
    void SetViewScale(double value);
    void RebuildWindowMatrix();
    void LoadLookAt() const;
    void SetCameraValues(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up, bool perspective,
                         double fieldOfView, double viewHeight);

    CCamera m_camera;
    bool m_explicitWindow = false;
    double m_aspect = 1.0;
    double m_near = kDefaultNear;
    double m_far = kDefaultFar;
    int m_viewport[4] = {0, 0, 0, 0};
    double m_fieldOfView = 0.0;
    double m_fittedNear = 0.0;
    double m_fittedFar = 0.0;
    double m_usedNear = 0.0;
    double m_usedFar = 0.0;
    double m_windowLeft = 0.0;
    double m_windowRight = 0.0;
    double m_windowTop = 0.0;
    double m_windowBottom = 0.0;
    Planes m_frustum{};
    double m_centerX = 0.0;
    double m_centerY = 0.0;
    CVector3d m_xAxis{1.0, 0.0, 0.0};
    CVector3d m_yAxis{0.0, 1.0, 0.0};
    CVector3d m_zAxis{0.0, 0.0, 1.0};
    double m_distance = 0.0;
    double m_viewWidth = 0.0;
    double m_pixelSize = 0.0;
    double m_nearPixelSize = 0.0;
    double m_viewTangent = 0.0;
    CGLMatrix m_windowMatrix;
    CGLMatrix m_pickRegion;
    mutable CGLMatrix m_inverseWindowMatrix;
    mutable bool m_inverseValid = false;
};
