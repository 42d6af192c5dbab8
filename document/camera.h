#pragma once
// CCamera: the viewpoint of a model, a page or a thumbnail — eye, target, up, the
// projection and its field of view, and a few stored extras the view and the camera
// tools use. Not an entity: no id, no parent, no undo recording.

#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "platform/cstring.h"
#include "platform/object.h"

class CArchive;
struct CUnitVector3d;

class CCamera : public CObject
{
    DECLARE_SERIAL(CCamera)

public:
    static constexpr int kTypeId = 45;

    // Eye (0, 0, 1), target at the origin, up +y, perspective with 30 degrees.
    CCamera() = default;
    CCamera(const CCamera& other) = default;
    CCamera& operator=(const CCamera& other) = default;
    ~CCamera() override;

    // Writing: the full record, or in save format 3000 the old embedded form. Reading:
    // the full record at the class version of the file, then FixInvalidValues, which
    // mends an eye, a target, an auxiliary point, an aspect ratio or a film width that is
    // not finite (and says so on standard error). Throws the archive exception on bad
    // input, among it an up vector or a number of the projection that is not finite.
    void Serialize(CArchive& ar) override;
    // The old embedded form: eye, unit view direction, up, the two values, the
    // projection and the auxiliary point. Reading puts the target one unit along the
    // direction and clears the extras, then runs FixInvalidValues.
    void ReadOldForm(CArchive& ar);
    void WriteOldForm(CArchive& ar) const;

    [[nodiscard]] virtual int GetTypeId() const { return kTypeId; }

    [[nodiscard]] const CPoint3d& GetEye() const { return m_eye; }
    [[nodiscard]] const CPoint3d& GetTarget() const { return m_target; }
    [[nodiscard]] const CVector3d& GetUp() const { return m_up; }
    [[nodiscard]] double GetValueA() const { return m_valueA; }
    [[nodiscard]] double GetValueB() const { return m_valueB; }
    [[nodiscard]] bool IsPerspective() const { return m_perspective; }
    [[nodiscard]] double GetFieldOfView() const { return m_fieldOfView; }
    [[nodiscard]] double GetParallelHeight() const { return m_parallelHeight; }
    [[nodiscard]] double GetAspectRatio() const { return m_aspectRatio; }
    [[nodiscard]] bool IsFieldOfViewFixed() const { return m_fieldOfViewFixed; }
    [[nodiscard]] bool GetFlag2() const { return m_flag2; }
    [[nodiscard]] const CPoint3d& GetAuxiliaryPoint() const { return m_auxiliary; }
    [[nodiscard]] const CString& GetDescription() const { return m_description; }
    // Film width in millimetres; below 0.1 the focal lengths use 36.
    [[nodiscard]] double GetImageWidth() const { return m_imageWidth; }

    // The unit direction from the eye towards the target.
    [[nodiscard]] CUnitVector3d GetDirection() const;
    [[nodiscard]] double GetTargetDistance() const;

    // Sets the view and clears flag 2.
    void SetView(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up, double valueA, double valueB,
                 bool perspective, double fieldOfView, double parallelHeight);
    // The target goes along the direction at the current eye-target distance.
    void SetViewFromDirection(const CPoint3d& eye, const CVector3d& direction, const CVector3d& up, double valueA,
                              double valueB, bool perspective, double fieldOfView, double parallelHeight);
    void SetEyeTargetUp(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up);
    void SetEyeDirectionUp(const CPoint3d& eye, const CVector3d& direction, const CVector3d& up);
    // Moves the target along the view; nothing when eye and target (nearly) coincide.
    void SetTargetDistance(double distance);
    // Leaving perspective sets the parallel height to what the field of view showed at
    // the target.
    void SetPerspective(bool perspective);
    void SetFieldOfView(double degrees) { m_fieldOfView = degrees; }
    void SetAspectRatio(double ratio) { m_aspectRatio = ratio; }
    void SetFieldOfViewFixed(bool fixed) { m_fieldOfViewFixed = fixed; }
    void SetDescription(const CString& description) { m_description = description; }
    void SetImageWidth(double millimetres) { m_imageWidth = millimetres; }

    // The field of view for a window of this aspect.
    [[nodiscard]] double GetAdjustedFieldOfView(double aspect) const;
    [[nodiscard]] double FieldOfViewToFocalLength(double fieldOfView) const;
    [[nodiscard]] double FocalLengthToFieldOfView(double focalLength) const;

    // Same eye, target, up, projection, aspect ratio and fixed flag, within 0.001.
    [[nodiscard]] bool IsEqual(const CCamera& other) const;
    // Points, up direction and every number finite, and up of unit length.
    [[nodiscard]] bool IsValid() const;
    // Mends a target on the eye, an up vector that is zero, not finite or along the view,
    // an eye that is not finite, and numbers that are not finite or a field of view
    // outside 0..180 (the defaults return). True when nothing had to change.
    bool FixInvalidValues();

private:
    void ReadFields(CArchive& ar);
    // FixInvalidValues after a read, saying what it mended that was not finite.
    void MendRead();
    [[nodiscard]] double GetFilmWidth() const;
    bool FixTarget();
    bool FixUp();
    bool FixNumbers();

    CPoint3d m_eye{0.0, 0.0, 1.0};
    CPoint3d m_target;
    CVector3d m_up{0.0, 1.0, 0.0};
    double m_valueA = 0.1;
    double m_valueB = 2.0;
    bool m_perspective = true;
    double m_fieldOfView = 30.0;
    double m_parallelHeight = 1.0;
    double m_aspectRatio = 0.0;
    bool m_fieldOfViewFixed = true;
    bool m_flag2 = false;
    CPoint3d m_auxiliary;
    CString m_description;
    double m_imageWidth = 0.0;
};

// The model's camera: in the old form the fields in place; otherwise an object
// reference whose camera is copied into the given one (null leaves it). The object
// read is released when the archive closes, since the archive may hand it out again.
void ReadCamera(CArchive& ar, bool oldForm, CCamera& camera);
