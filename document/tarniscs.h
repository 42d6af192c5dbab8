#pragma once
// CTarnisCS: a coordinate system shown in the view: an origin with three axis vectors.
// The model holds one for its drawing axes (stored in the model file); the component
// axes extend it and share its record.

#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "model/drawingelement.h"

class CTransformation;
class IPickHelper;

class CTarnisCS : public CDrawingElement
{
    DECLARE_SERIAL(CTarnisCS)

public:
    // Origin (0, 0, 0), unit axes, no material and no layer.
    CTarnisCS();
    CTarnisCS(const CTarnisCS& other);
    ~CTarnisCS() override;
    // Copies the drawing-element flags, origin and axes; no material, no layer.
    CTarnisCS& operator=(const CTarnisCS& other);

    // Reads or writes the axes record. A damaged drawing-element part, a zero axis or a
    // number that is not finite (said on standard error) resets the axes instead of
    // failing; the axes never keep a material or a layer.
    // Throws the archive exception when the axes' own numbers are cut short.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be an axes element.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    // Only the element's own hidden flag hides the axes.
    [[nodiscard]] bool IsHidden(ITarnisView* view) const override;
    // The three axes across the view, the negative halves dashed (tarniscsdraw.cpp).
    void Draw(ITarnisView* view) override;
    // A selected element: the three axes again, each a whole line through the origin
    // across the view, in the colour the caller has set (tarniscsdraw.cpp).
    void DrawSelected(ITarnisView* view);
    // A point pick only: whether the pick takes the point of the x, y or z axis segment
    // nearest to its ray, asked in that order.
    [[nodiscard]] bool HitTest(const IPickHelper* picker) const;
    // The box of the origin and the three axis ends.
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;

    // Records the change and stores the four values.
    void SetAxes(const CPoint3d& origin, const CVector3d& xAxis, const CVector3d& yAxis, const CVector3d& zAxis);
    void SetFromTransform(const CTransformation& transform);
    // Records the change; origin 0 and unit axes.
    void Reset();
    // Gives back a material or layer the element part took (the axes draw in colours
    // of their own); also where a failed read is about to free them.
    void KeepNoReferences();

    [[nodiscard]] const CPoint3d& GetOrigin() const { return m_origin; }
    // 0, 1 or 2 for x, y or z; any other index gives x.
    [[nodiscard]] const CVector3d& GetAxis(int index) const;

private:
    void ReadRecord(CArchive& ar);
    void SetDefaults();

    CPoint3d m_origin;
    CVector3d m_xAxis;
    CVector3d m_yAxis;
    CVector3d m_zAxis;
};
