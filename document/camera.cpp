#include "document/camera.h"

#include <cmath>

#include "document/versionmap.h"
#include "foundation/geometryarchive.h"
#include "foundation/repairnotes.h"
#include "foundation/unitvector3d.h"
#include "foundation/versioninfo.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CCamera, CObject, VERSIONABLE_SCHEMA | 4)

namespace {

constexpr double kHalfAngleToRadians = 0.00872664625997165;  // pi / 360
constexpr double kRadiansToFullAngle = 114.59155902616465;   // 360 / pi
constexpr double kDefaultFilmWidth = 36.0;
constexpr double kMinFilmWidth = 0.1;
constexpr double kMinTargetDistance = 0.001;
constexpr double kMinTargetVector = 1e-10;
constexpr double kDefaultFieldOfView = 30.0;

// A number that is not finite goes back to its default.
bool FixNumber(double& value, double fallback)
{
    if (std::isfinite(value)) {
        return false;
    }
    value = fallback;
    return true;
}

}  // namespace

CCamera::~CCamera() = default;

CUnitVector3d CCamera::GetDirection() const
{
    return {m_eye, m_target};
}

double CCamera::GetTargetDistance() const
{
    return (m_target - m_eye).GetLength();
}

void CCamera::SetView(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up, double valueA, double valueB,
                      bool perspective, double fieldOfView, double parallelHeight)
{
    m_eye = eye;
    m_target = target;
    m_up = up;
    m_valueA = valueA;
    m_valueB = valueB;
    m_perspective = perspective;
    m_fieldOfView = fieldOfView;
    m_parallelHeight = parallelHeight;
    m_flag2 = false;
}

void CCamera::SetViewFromDirection(const CPoint3d& eye, const CVector3d& direction, const CVector3d& up,
                                   double valueA, double valueB, bool perspective, double fieldOfView,
                                   double parallelHeight)
{
    const double distance = GetTargetDistance();
    const CPoint3d target = eye + CVector3d(CUnitVector3d(direction)) * distance;
    SetView(eye, target, up, valueA, valueB, perspective, fieldOfView, parallelHeight);
}

void CCamera::SetEyeTargetUp(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up)
{
    m_eye = eye;
    m_target = target;
    m_up = up;
}

void CCamera::SetEyeDirectionUp(const CPoint3d& eye, const CVector3d& direction, const CVector3d& up)
{
    const double distance = GetTargetDistance();
    SetEyeTargetUp(eye, eye + CVector3d(CUnitVector3d(direction)) * distance, up);
}

void CCamera::SetTargetDistance(double distance)
{
    CVector3d view = m_target - m_eye;
    if (view.GetLength() < kMinTargetVector) {
        return;
    }
    (void)view.Normalize();
    m_target = m_eye + view * distance;
}

void CCamera::SetPerspective(bool perspective)
{
    if (m_perspective && !perspective) {
        m_parallelHeight = GetTargetDistance() * 2.0 * std::tan(m_fieldOfView * kHalfAngleToRadians);
    }
    m_perspective = perspective;
}

double CCamera::GetAdjustedFieldOfView(double aspect) const
{
    if (m_fieldOfViewFixed) {
        return m_fieldOfView;
    }
    const double t = std::tan(m_fieldOfView * kHalfAngleToRadians);
    const double a = m_aspectRatio > 0.0 && m_aspectRatio <= aspect ? m_aspectRatio : aspect;
    return std::atan(t / a) * kRadiansToFullAngle;
}

double CCamera::GetFilmWidth() const
{
    return m_imageWidth < kMinFilmWidth ? kDefaultFilmWidth : m_imageWidth;
}

double CCamera::FieldOfViewToFocalLength(double fieldOfView) const
{
    if (fieldOfView >= 180.0) {
        return 0.0;
    }
    return GetFilmWidth() * 0.5 / std::tan(fieldOfView * kHalfAngleToRadians);
}

double CCamera::FocalLengthToFieldOfView(double focalLength) const
{
    if (focalLength <= 1e-6) {
        return 180.0;
    }
    return std::atan(GetFilmWidth() * 0.5 / focalLength) * kRadiansToFullAngle;
}

bool CCamera::IsEqual(const CCamera& other) const
{
    // Per coordinate, not by distance: a camera nudged just under the tolerance on every axis is
    // still the same view for Previous View and the camera-moved checks.
    return m_eye.IsEqualPerAxis(other.m_eye, 0.001) && m_target.IsEqualPerAxis(other.m_target, 0.001) &&
           m_up == other.m_up &&
           m_perspective == other.m_perspective && std::fabs(m_aspectRatio - other.m_aspectRatio) <= 0.001 &&
           m_fieldOfViewFixed == other.m_fieldOfViewFixed;
}

bool CCamera::IsValid() const
{
    return m_eye.IsValid() && m_target.IsValid() && m_auxiliary.IsValid() && m_up.IsValid() &&
           std::fabs(m_up.GetLengthSquared() - 1.0) <= 1e-6 && std::isfinite(m_valueA) && std::isfinite(m_valueB) &&
           std::isfinite(m_fieldOfView) && std::isfinite(m_parallelHeight) && std::isfinite(m_aspectRatio) &&
           std::isfinite(m_imageWidth);
}

bool CCamera::FixInvalidValues()
{
    bool changed = FixTarget();
    changed = FixUp() || changed;
    if (!m_eye.IsValid()) {
        m_eye = CPoint3d(0.0, 0.0, 1.0);
        m_target = CPoint3d();
        m_up = CVector3d(0.0, 1.0, 0.0);
        changed = true;
    }
    changed = FixNumbers() || changed;
    return !changed;
}

bool CCamera::FixTarget()
{
    const double length = (m_target - m_eye).GetLength();
    // A target that is not finite counts as lying on the eye: NaN fails the comparison,
    // and an infinite one is asked for, as its distance would pass it.
    if (m_target.IsValid() && length > kMinTargetDistance) {
        return false;
    }
    const CUnitVector3d down(0.0, 0.0, -1.0);
    const bool upAlongZ = CUnitVector3d(m_up).IsParallelTo(down);
    m_target = m_eye + (upAlongZ ? CVector3d(0.0, 1.0, 0.0) : CVector3d(down));
    return true;
}

bool CCamera::FixUp()
{
    const bool zero = m_up.x == 0.0 && m_up.y == 0.0 && m_up.z == 0.0;
    const bool finite = m_up.IsValid();
    const CUnitVector3d view = GetDirection();
    if (!zero && finite && !CUnitVector3d(m_up).IsParallelTo(view)) {
        return false;
    }
    CUnitVector3d xAxis;
    CUnitVector3d yAxis;
    (void)view.GetPerpendicularAxes(xAxis, yAxis);
    m_up = yAxis;
    return true;
}

bool CCamera::FixNumbers()
{
    bool changed = false;
    if (!m_auxiliary.IsValid()) {
        m_auxiliary = CPoint3d();
        changed = true;
    }
    changed = FixNumber(m_valueA, 0.1) || changed;
    changed = FixNumber(m_valueB, 2.0) || changed;
    changed = FixNumber(m_parallelHeight, 1.0) || changed;
    changed = FixNumber(m_aspectRatio, 0.0) || changed;
    changed = FixNumber(m_imageWidth, 0.0) || changed;
    if (!(m_fieldOfView > 0.0 && m_fieldOfView < 180.0)) {
        m_fieldOfView = kDefaultFieldOfView;
        changed = true;
    }
    return changed;
}

void CCamera::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        ReadFields(ar);
        MendRead();
        return;
    }
    if (GetSaveFormat() == kSaveFormat3000) {
        WriteOldForm(ar);
        return;
    }
    ar << m_eye << m_target << m_up << m_valueA << m_valueB;
    ArchiveWriteBool(ar, m_perspective);
    ar << m_fieldOfView << m_parallelHeight << m_auxiliary << m_aspectRatio;
    ArchiveWriteBool(ar, m_fieldOfViewFixed);
    ArchiveWriteBool(ar, m_flag2);
    ArchiveWriteString(ar, m_description);
    ar << m_imageWidth;
}

void CCamera::ReadFields(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CCamera));
    // The eye, the target, the auxiliary point, the aspect ratio and the film width have
    // their repair; the up vector and the numbers of the projection have none and are refused.
    ar >> AsStored(m_eye) >> AsStored(m_target) >> m_up >> Finite(m_valueA) >> Finite(m_valueB);
    m_perspective = ArchiveReadBool(ar);
    ar >> Finite(m_fieldOfView) >> Finite(m_parallelHeight) >> AsStored(m_auxiliary) >> m_aspectRatio;
    m_fieldOfViewFixed = ArchiveReadBool(ar);
    m_flag2 = version >= 2 ? ArchiveReadBool(ar) : false;
    if (version >= 3) {
        m_description = ArchiveReadString(ar);
    }
    if (version >= 4) {
        ar >> m_imageWidth;
    }
}

void CCamera::ReadOldForm(CArchive& ar)
{
    CVector3d direction;
    // A direction that is not finite leaves a target that is not, which is mended.
    ar >> AsStored(m_eye) >> AsStored(direction) >> m_up >> Finite(m_valueA) >> Finite(m_valueB);
    m_perspective = ArchiveReadBool(ar);
    ar >> Finite(m_fieldOfView) >> Finite(m_parallelHeight) >> AsStored(m_auxiliary);
    m_target = m_eye + direction;
    m_aspectRatio = 0.0;
    m_fieldOfViewFixed = true;
    m_flag2 = false;
    m_description.Empty();
    m_imageWidth = 0.0;
    MendRead();
}

void CCamera::MendRead()
{
    const bool eye = !m_eye.IsValid();
    const bool target = !m_target.IsValid();
    const bool auxiliary = !m_auxiliary.IsValid();
    const bool film = !std::isfinite(m_aspectRatio) || !std::isfinite(m_imageWidth);
    (void)FixInvalidValues();
    if (eye) {
        CRepairNotes::Say("a camera's eye is not a finite number; the camera is read as the default view");
    } else if (target) {
        CRepairNotes::Say("a camera's target is not a finite number; it is put one unit from the eye");
    }
    if (auxiliary) {
        CRepairNotes::Say("a camera's auxiliary point is not a finite number; it is read as the origin");
    }
    if (film) {
        CRepairNotes::Say("a camera's aspect ratio or film width is not a finite number; it is read as unset");
    }
}

void CCamera::WriteOldForm(CArchive& ar) const
{
    ar << m_eye << GetDirection() << m_up << m_valueA << m_valueB;
    ArchiveWriteBool(ar, m_perspective);
    ar << m_fieldOfView << m_parallelHeight << m_auxiliary;
}

void ReadCamera(CArchive& ar, bool oldForm, CCamera& camera)
{
    if (oldForm) {
        camera.ReadOldForm(ar);
        return;
    }
    auto* read = static_cast<CCamera*>(ar.ReadObject(RUNTIME_CLASS(CCamera)));
    if (read != nullptr) {
        camera = *read;
        ar.DeleteWhenClosed(read);
    }
}
