#pragma once
// CTexturePlacement: how a texture lies on one side of a face: a projective matrix
// from texture coordinates to the face's plane frame with its inverse, an optional
// projection direction, and the point pairs that pin the texture to the face (the
// second point of each pair lies in the plane frame and moves with the face).

#include <cstdint>
#include <vector>

#include "document/placementmatrix.h"
#include "foundation/point2d.h"
#include "foundation/vector3d.h"

class CArchive;
class CPlane3d;
class CTransformation;

struct CTexturePin
{
    CPoint2d texturePoint;
    CPoint2d facePoint;
};

struct CTexturePlacement
{
    // Flag bits: the matrix places the texture; the texture is projected along the
    // direction.
    static constexpr std::uint32_t kPositioned = 0x1;
    static constexpr std::uint32_t kProjected = 0x2;

    std::uint32_t flags = 0;
    Matrix3 matrix = Matrix3Identity();
    Matrix3 inverse = Matrix3Identity();
    CVector3d direction;
    std::vector<CTexturePin> pins;

    // Stores the matrix and its inverse and marks the placement positioned.
    void SetMatrix(const Matrix3& placement);
    // No flags and no direction.
    [[nodiscard]] bool IsEmpty() const;
    // Matrices valid when positioned, the direction valid when projected, every pin valid.
    [[nodiscard]] bool IsValid() const;
    // Sets a part the flags do not use (the matrices when not positioned, the direction
    // when not projected) to its neutral value (identity, none) when it holds a number
    // that is not finite; an unused inverse that overflows becomes the identity alone.
    // True when it changed a number that is stored.
    bool NeutraliseUnused();
    // Moves the placement with a face whose plane was planeBefore.
    void Transform(const CTransformation& transform, const CPlane3d& planeBefore);

    // A pin count that is negative or beyond the data is the archive exception. The
    // points are read as stored: the caller resets a placement that is not finite.
    void ReadPins(CArchive& ar);
    void WritePins(CArchive& ar) const;
};

// The frame of the plane through the origin with the normal, as a row-vector 4x4
// matrix (plane frame to world).
[[nodiscard]] Matrix4 GetPlaneFrameMatrix(const CPlane3d& plane);
