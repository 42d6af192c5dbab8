#pragma once
// CCameraPathHelical: a camera path whose eye swings around a pivot on a helix, so that
// a camera circling a model keeps looking at it. The frame's z axis is the turning
// axis; eyes are interpolated in cylindrical coordinates about it. When the straight
// turn of the view would roll the camera over, the view direction swings about the
// mean up vector and tilts instead.

#include "tools/camerapath.h"

class CCameraPathHelical : public CCameraPath
{
public:
    CCameraPathHelical(const CCamera& from, const CCamera& to);

    [[nodiscard]] CPoint3d GetEye(double t) const override;
    [[nodiscard]] CVector3d GetDirection(double t) const override;

private:
    struct CCylinderPoint
    {
        double radius = 0.0;
        double angle = 0.0;
        double height = 0.0;
    };

    void BuildForOppositeDirections();
    void BuildForTurn();
    // The pivot where both view rays pass nearest the model's centre, else the fallback.
    [[nodiscard]] CPoint3d PivotFromModel(const CPoint3d& fallback) const;
    // The whole model is in front of and in view from both cameras, and holds neither
    // eye nor the turning point.
    [[nodiscard]] bool SeesWholeModel(const CPoint3d& turningPoint) const;
    // z as given (unit), x from the pivot toward the from eye, y completing the frame.
    void SetFrame(const CVector3d& zAxis);
    void SetEyeCoordinates();
    void SetDirectionSwing();
    [[nodiscard]] CCylinderPoint ToCylinder(const CPoint3d& point, const CVector3d& reference) const;

    bool m_helicalEye = false;
    bool m_helicalDirection = false;
    CPoint3d m_pivot;
    CVector3d m_x{1.0, 0.0, 0.0};
    CVector3d m_y{0.0, 1.0, 0.0};
    CVector3d m_z{0.0, 0.0, 1.0};
    CCylinderPoint m_fromEye;
    CCylinderPoint m_toEye;
    double m_swing = 0.0;
    double m_tilt = 0.0;
    CVector3d m_tiltReference{0.0, 0.0, 1.0};
};
