#include "document/textureplacement.h"

#include <cmath>

#include "foundation/plane3d.h"
#include "foundation/transformation.h"
#include "platform/archive.h"

namespace {

constexpr ULONGLONG kPinBytes = 4 * sizeof(double);

// The array layout of a column-major OpenGL matrix is the row-vector form row by row.
Matrix4 AsRowVectorMatrix(const CTransformation& transform)
{
    Matrix4 m{};
    transform.GetGLMatrix(m.data());
    return m;
}

Matrix4 FrameMatrix(const CPoint3d& origin, const CUnitVector3d& normal)
{
    CTransformation frame;
    frame.SetFromPlane(origin, normal);
    return AsRowVectorMatrix(frame);
}

}  // namespace

Matrix4 GetPlaneFrameMatrix(const CPlane3d& plane)
{
    return FrameMatrix(CPoint3d(), plane.GetNormal());
}

void CTexturePlacement::SetMatrix(const Matrix3& placement)
{
    matrix = placement;
    inverse = Matrix3Inverse(placement);
    flags |= kPositioned;
}

bool CTexturePlacement::IsEmpty() const
{
    return flags == 0 && direction.GetLengthSquared() == 0.0;
}

bool CTexturePlacement::IsValid() const
{
    if ((flags & kPositioned) != 0 && (!Matrix3IsValid(matrix) || !Matrix3IsValid(inverse))) {
        return false;
    }
    if ((flags & kProjected) != 0 && !direction.IsValid()) {
        return false;
    }
    for (const CTexturePin& pin : pins) {
        if (!pin.texturePoint.IsValid() || !pin.facePoint.IsValid()) {
            return false;
        }
    }
    return true;
}

bool CTexturePlacement::NeutraliseUnused()
{
    bool changed = false;
    if ((flags & kPositioned) == 0) {
        if (!Matrix3IsValid(matrix)) {
            matrix = Matrix3Identity();
            inverse = Matrix3Identity();
            changed = true;
        } else if (!Matrix3IsValid(inverse)) {
            // The inverse is worked out, never stored: a finite matrix whose inverse
            // overflows is kept, so that the next save writes it back as it was read.
            inverse = Matrix3Identity();
        }
    }
    if ((flags & kProjected) == 0 && !direction.IsValid()) {
        direction = CVector3d();
        changed = true;
    }
    return changed;
}

void CTexturePlacement::Transform(const CTransformation& transform, const CPlane3d& planeBefore)
{
    if ((flags & kPositioned) != 0) {
        CPlane3d moved(CPoint3d(), planeBefore.GetNormal());
        transform.TransformPlane(moved);
        CPoint3d movedOrigin;
        moved.GetPointNearestOrigin(movedOrigin);
        CTransformation target;
        target.SetFromPlane(movedOrigin, moved.GetNormal());
        const Matrix4 change =
            Matrix4Product(Matrix4Product(GetPlaneFrameMatrix(planeBefore), AsRowVectorMatrix(transform)),
                           AsRowVectorMatrix(target.GetInverse()));
        SetMatrix(Matrix4To3(Matrix4Product(Matrix3To4(matrix), change)));
        for (CTexturePin& pin : pins) {
            Matrix4ProjectPoint(change, pin.facePoint.x, pin.facePoint.y);
        }
    }
    if ((flags & kProjected) != 0) {
        transform.TransformVector(direction);
    }
}

void CTexturePlacement::ReadPins(CArchive& ar)
{
    std::int32_t count = 0;
    ar >> count;
    if (count < 0) {
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName, "a count is out of range");
    }
    ar.EnsureAvailable(static_cast<ULONGLONG>(count) * kPinBytes);
    pins.assign(static_cast<std::size_t>(count), CTexturePin{});
    for (CTexturePin& pin : pins) {
        ar >> pin.texturePoint.x >> pin.texturePoint.y >> pin.facePoint.x >> pin.facePoint.y;
    }
}

void CTexturePlacement::WritePins(CArchive& ar) const
{
    ar << static_cast<std::int32_t>(pins.size());
    for (const CTexturePin& pin : pins) {
        ar << pin.texturePoint.x << pin.texturePoint.y << pin.facePoint.x << pin.facePoint.y;
    }
}
