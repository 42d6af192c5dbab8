#include "annotations/pointreferences.h"

#include "foundation/boundingbox2d.h"
#include "foundation/transformation.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/vertex.h"

CModelPointRef MakeVertexPoint(CVertex* vertex)
{
    CModelPointRef point;
    point.Set(CModelPointRef::kVertex, CPoint3d(), vertex, CInstancePath(), nullptr, CInstancePath());
    point.SetPosition(EvaluatePoint(point));
    return point;
}

CModelPointRef MakeEdgePoint(CEdge* edge, const CPoint3d& where)
{
    const double t = CModelPointRef::GetEdgeFraction(edge, where);
    CModelPointRef point;
    point.Set(CModelPointRef::kEdgePoint, CPoint3d(t, 0.0, 0.0), edge, CInstancePath(), nullptr, CInstancePath());
    point.SetPosition(where);
    point.SetPosition(EvaluatePoint(point));
    return point;
}

CModelPointRef MakeFacePoint(CFace* face, const CPoint3d& where)
{
    CPoint3d fractions;
    CTransformation frame;
    CBoundingBox2d box;
    if (CModelPointRef::GetFaceFrame(face, frame, box)) {
        fractions = CModelPointRef::GetFaceFractions(face, frame.GetInverse() * where);
    }
    CModelPointRef point;
    point.Set(CModelPointRef::kFacePoint, fractions, face, CInstancePath(), nullptr, CInstancePath());
    point.SetPosition(where);
    point.SetPosition(EvaluatePoint(point));
    return point;
}

CPoint3d EvaluatePoint(const CModelPointRef& point)
{
    const CPoint3d& p = point.GetParameters();
    switch (point.GetKind()) {
    case CModelPointRef::kFreePoint:
        return p;
    case CModelPointRef::kVertex:
        if (const auto* vertex = dynamic_cast<const CVertex*>(point.GetFirstEntity())) {
            return vertex->GetPosition();
        }
        break;
    case CModelPointRef::kEdgeMidpoint:
    case CModelPointRef::kEdgePoint: {
        const auto* edge = dynamic_cast<const CEdge*>(point.GetFirstEntity());
        const double t = point.GetKind() == CModelPointRef::kEdgeMidpoint ? 0.5 : p.x;
        if (CPoint3d along; CModelPointRef::GetEdgePoint(edge, t, along)) {
            return along;
        }
        break;
    }
    case CModelPointRef::kFacePoint: {
        const auto* face = dynamic_cast<const CFace*>(point.GetFirstEntity());
        if (CPoint3d onFace; CModelPointRef::GetFacePoint(face, p, onFace)) {
            return onFace;
        }
        break;
    }
    default:
        break;
    }
    return point.GetPosition();
}
