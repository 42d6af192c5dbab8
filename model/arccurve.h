#pragma once
// CArcCurve: a curve whose chain of edges stands for a circular arc or a full circle.
// It keeps the exact arc beside the chain, so length, plane and quarter points are
// answered exactly, the chain's vertices can be spread evenly along the arc, and the
// arc follows its vertices when they move. Angle 0 lies at the chain's start vertex.

#include "foundation/arc3d.h"
#include "model/curve.h"

class CArcCurve : public CCurve
{
    DECLARE_SERIAL(CArcCurve)

public:
    // An empty curve on a full circle (angles 0 to 2*pi).
    CArcCurve();
    // The curve part and, of the arc, the circle and the angles; the y axis stays zero.
    CArcCurve(const CArcCurve& other);
    ~CArcCurve() override;

    // Reads or writes the arc after the curve part; records of class version 0 carry
    // the arc without its y axis. Throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    void Transform(const CTransformation& transform) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be an arc curve; the y axes stay where they are.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // By the angles of the edge's end points.
    [[nodiscard]] int GetEdgeDirection(const CEdge* edge) const override;
    [[nodiscard]] bool IsClosed(bool geometric) const override;
    // For a valid closed arc: the vertex farthest along x (or y) and the chain's points
    // a quarter, a half and three quarters round from it. False when one is missing.
    bool GetQuadrantPoints(CPoint3d points[4]) const override;
    // Every face on the chain lies in a plane parallel to the arc's.
    [[nodiscard]] bool IsInFacePlanes() const override;
    // Refits the arc to the chain's end vertices.
    void Update(bool keepSeamless, bool throughStart) override;
    // Drags the middle of an open arc towards the target.
    void MoveBulge(const CPoint3d& target) override;
    // Changes the radius of a closed arc so that the chain passes the target.
    void MoveRadius(const CPoint3d& directionPoint, const CPoint3d& target) override;
    void StretchToEndpoint(CVertex* vertex, const CPoint3d& positionP, const CPoint3d& positionQ) override;
    [[nodiscard]] double GetLength() const override;
    // The chain's point halfway round an open arc; false for a closed or invalid arc.
    bool GetMidPoint(CPoint3d& point) const override;
    // In the plane and on the circle within 0.001, and within the angles.
    [[nodiscard]] bool IsPointOnArc(const CPoint3d& point) const override;
    [[nodiscard]] bool IsArc() const override;
    [[nodiscard]] CPlane3d GetPlane() const override;
    [[nodiscard]] CVector3d GetNormal() const override;
    // An empty arc curve on the same circle, angles of a full circle.
    [[nodiscard]] CCurve* NewEmptyCurve() const override;

    [[nodiscard]] const CArc3d& GetArc() const { return m_arc; }
    // Records the change.
    void SetArc(const CArc3d& arc);

    // Where the ray from the centre at the angle crosses the chain; false when it
    // crosses nowhere.
    bool GetPolylinePointAtAngle(double angle, CPoint3d& point) const;
    // Where the ray from the centre towards the point (projected into the plane)
    // crosses the chain; false at the centre or when it crosses nowhere.
    bool GetPolylinePoint(const CPoint3d& towards, CPoint3d& point) const;

private:
    void ReadArc(CArchive& ar);
    void OrientPlaneToAxes();
    void RefitArc(bool keepSeamless, bool throughStart);
    // Spreads the chain's vertices from the start angle, step radians apart.
    void PlaceVerticesEvenly(double step);
    // Takes the open arc through the three points and spreads the vertexCount
    // vertices of the chain evenly along it.
    void FitThrough(const CPoint3d& start, const CPoint3d& middle, const CPoint3d& end, int vertexCount);
    bool FindPolylineCrossing(const CVector3d& direction, CPoint3d& point) const;
    int CheckArc(int mode);

    CArc3d m_arc;
};
