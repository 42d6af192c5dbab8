#pragma once
// CCameraPath: the camera at any parameter t of a camera or page transition, from the
// from camera (t = 0) to the to camera (t = 1). This straight kind moves the eye on a
// line and turns the view direction and the up vector about fixed axes; the helical
// kind (camerapathhelical.h) swings the eye around a pivot instead.

#include "document/camera.h"
#include "foundation/point3d.h"
#include "foundation/unitvector3d.h"
#include "foundation/vector3d.h"

class CCameraPath
{
public:
    CCameraPath(const CCamera& from, const CCamera& to);
    CCameraPath(const CCameraPath&) = delete;
    CCameraPath& operator=(const CCameraPath&) = delete;
    virtual ~CCameraPath() = default;

    // Fills the camera with eye, direction and up at t, the blended values and field of
    // view and the to camera's projection; the target keeps the camera's own distance.
    void GetCamera(double t, CCamera& camera) const;
    [[nodiscard]] virtual CPoint3d GetEye(double t) const;
    [[nodiscard]] virtual CVector3d GetDirection(double t) const;
    [[nodiscard]] virtual CVector3d GetUp(double t) const;

protected:
    [[nodiscard]] const CCamera& GetFrom() const { return m_from; }
    [[nodiscard]] const CCamera& GetTo() const { return m_to; }
    // The view turns the other way round, still ending on the to direction.
    void ReverseDirectionTurn();

private:
    CCamera m_from;
    CCamera m_to;
    bool m_directionTurn = false;
    CUnitVector3d m_directionAxis{0.0, 0.0, 1.0};
    double m_directionAngle = 0.0;
    bool m_upTurn = false;
    CUnitVector3d m_upAxis{0.0, 0.0, 1.0};
    double m_upAngle = 0.0;
};

// The path between two cameras: straight when the eye stays, the view keeps its
// direction or both cameras look along the line of travel, else helical. The caller
// owns the result.
[[nodiscard]] CCameraPath* CreateCameraPath(const CCamera& from, const CCamera& to);

// v turned about the unit axis by angle radians, counter-clockwise looking against it.
[[nodiscard]] CVector3d TurnAbout(const CVector3d& v, const CVector3d& axis, double angle);
