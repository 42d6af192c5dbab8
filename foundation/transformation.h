#pragma once
// CTransformation: the affine transformation of the system. A point p maps to
// scale * (M p + origin), a vector to scale * (M v). The matrix is stored row by row
// and its columns are the images of the x, y and z axes. Two flags let the apply
// operations skip the identity and let inversion transpose a pure rotation.

#include "foundation/boundingbox3d.h"
#include "foundation/line3d.h"
#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "foundation/unitvector3d.h"
#include "foundation/vector3d.h"

class CTransformation
{
public:
    // The number of doubles in the stored form: the matrix, the origin, the scale.
    static constexpr int kStoredNumberCount = 13;

    // The identity, with both flags set.
    CTransformation();
    // The axes become the matrix' columns as given; scale 1. Identity flag clear; the
    // orthonormal flag set when the axes are orthonormal within 0.001.
    CTransformation(const CVector3d& xAxis, const CVector3d& yAxis, const CVector3d& zAxis,
                    const CPoint3d& origin);

    void SetIdentity();
    void SetTranslation(const CVector3d& offset);
    // Rotation by angle radians, counter-clockwise looking against axis, about the line
    // through point along axis.
    void SetRotation(const CPoint3d& point, const CUnitVector3d& axis, double angle);
    void SetUniformScale(double s);
    // A diagonal matrix; not orthonormal.
    void SetScale(double sx, double sy, double sz);
    // The frame of a plane: x and y from CUnitVector3d::GetPerpendicularAxes, z the normal.
    void SetFromPlane(const CPoint3d& origin, const CUnitVector3d& normal);
    // From a column-major 4x4 matrix: the upper 3x3, the origin from elements 12..14
    // and the scale 1/element 15 (so a zero element 15 gives an invalid transformation).
    void SetFromGLMatrix(const double glMatrix[16]);
    // The view frame looking from eye towards target: world points map to view
    // coordinates with the view along -z, the origin at eye (fromEye true) or target.
    // Returns the distance from eye to target; -1.0, leaving the transformation
    // unchanged, when up is parallel to the line of sight (or eye equals target).
    double SetLookAt(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up, bool fromEye);

    [[nodiscard]] static CTransformation Rotation(const CPoint3d& point, const CUnitVector3d& axis, double angle);
    [[nodiscard]] static CTransformation Scaling(double sx, double sy, double sz);

    // The stored fields, for code that must see them raw.
    [[nodiscard]] const double* GetMatrix() const { return m_matrix; }
    [[nodiscard]] const CVector3d& GetTranslation() const { return m_origin; }
    [[nodiscard]] double GetScale() const { return m_scale; }
    [[nodiscard]] bool HasIdentityFlag() const { return m_identity; }
    [[nodiscard]] bool HasOrthonormalFlag() const { return m_orthonormal; }

    // The stored form: matrix in storage order, origin, scale.
    void GetStoredNumbers(double numbers[kStoredNumberCount]) const;
    // Takes the stored form and recomputes the flags: within 0.001 of the identity
    // becomes the exact identity; an orthonormal matrix is cleaned by Orthonormalize.
    void SetFromStoredNumbers(const double numbers[kStoredNumberCount]);

    [[nodiscard]] CUnitVector3d GetXAxis() const;
    [[nodiscard]] CUnitVector3d GetYAxis() const;
    [[nodiscard]] CUnitVector3d GetZAxis() const;
    // The image of (0, 0, 0).
    [[nodiscard]] CPoint3d GetOrigin() const;
    // The lengths of the transformed unit axes.
    [[nodiscard]] double GetXScale() const;
    [[nodiscard]] double GetYScale() const;
    [[nodiscard]] double GetZScale() const;
    [[nodiscard]] CVector3d GetScales() const;
    // How much lengths are stretched along the principal directions (the singular
    // values), largest first, each to the precision of its own size however far apart
    // they lie: no segment grows by more than the first, no flat figure's area by more
    // than the first two's product, however it lies. Mirroring does not count; a matrix
    // of numbers beyond range gives what it gives.
    [[nodiscard]] CVector3d GetStretches() const;
    [[nodiscard]] bool IsMirrored() const;
    // All 13 numbers finite.
    [[nodiscard]] bool IsValid() const;
    // Each matrix element strictly within 0.001 of the identity's.
    [[nodiscard]] bool IsIdentityMatrix() const;
    // The identity matrix, origin and scale, each strictly within 0.001.
    [[nodiscard]] bool IsIdentity() const;
    // The identity flag is set, or the rows are of unit length and pairwise
    // perpendicular within 0.001.
    [[nodiscard]] bool IsOrthonormal() const;
    // Column-major for OpenGL; element 15 is 1/scale so the homogeneous division scales.
    void GetGLMatrix(double glMatrix[16]) const;

    void TransformPoint(CPoint3d& p) const;
    [[nodiscard]] CPoint3d operator*(const CPoint3d& p) const;
    void TransformVector(CVector3d& v) const;
    [[nodiscard]] CVector3d operator*(const CVector3d& v) const;
    // As a vector, then normalised.
    void TransformUnitVector(CUnitVector3d& u) const;
    // Maps the plane through the inverse and normalises. False, plane unchanged, when
    // this transformation cannot be inverted.
    bool TransformPlane(CPlane3d& plane) const;
    // As TransformPlane without the final normalisation.
    bool TransformPlaneUnnormalized(CPlane3d& plane) const;
    // The result of TransformPlane; the plane unchanged when it fails.
    [[nodiscard]] CPlane3d operator*(const CPlane3d& plane) const;
    // Transforms the line and returns how much lengths along it are stretched.
    double TransformLineGetScale(CLine3d& line) const;
    // The axis-aligned box around the transformed box; an empty box stays as it is.
    void TransformBox(CBoundingBox3d& box) const;
    [[nodiscard]] CBoundingBox3d operator*(const CBoundingBox3d& box) const;
    // The product that applies other first, then this.
    [[nodiscard]] CTransformation operator*(const CTransformation& other) const;

    // False, leaving the transformation unchanged, when the scale is below 1e-15 in
    // magnitude or the matrix is singular (determinant below 1e-15). The identity is
    // its own inverse.
    bool Invert();
    // The inverse; false with result a copy of this transformation when Invert fails.
    bool GetInverse(CTransformation& result) const;
    // The inverse, or an unchanged copy when this transformation cannot be inverted.
    [[nodiscard]] CTransformation GetInverse() const;

    // Makes the matrix a pure rotation: an identity matrix within 0.001 becomes exact;
    // any other is rebuilt from its z axis, keeping handedness. Origin and scale stay.
    void Orthonormalize();
    // Orthonormalize, only when the orthonormal flag is set and the identity flag clear.
    void OrthonormalizeIfRotation();

private:
    [[nodiscard]] CVector3d Column(int index) const;
    void SetColumns(const CVector3d& xAxis, const CVector3d& yAxis, const CVector3d& zAxis);
    [[nodiscard]] CVector3d MultiplyMatrix(const CVector3d& v) const;
    bool InvertMatrix();
    bool TransformPlaneByInverse(CPlane3d& plane, bool normalize) const;

    double m_matrix[9] = {};
    CVector3d m_origin;
    double m_scale = 1.0;
    bool m_identity = true;
    bool m_orthonormal = true;
};
