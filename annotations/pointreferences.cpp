#include "annotations/pointreferences.h"

#include "foundation/boundingbox2d.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "foundation/vector3d.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/loopprocedures.h"
#include "model/vertex.h"

namespace {

bool HasVertices(const CEdge* edge)
{
    return edge != nullptr && edge->GetStartVertex() != nullptr && edge->GetEndVertex() != nullptr;
}

CPoint3d PointAlong(const CEdge& edge, double t)
{
    const CPoint3d start = edge.GetStartVertex()->GetPosition();
    return start + (edge.GetEndVertex()->GetPosition() - start) * t;
}

// Gathers the 2D box of a loop's vertices carried into the face frame.
class CFrameBoxProc : public IVertexProcedure
{
public:
    explicit CFrameBoxProc(const CTransformation& toFrame) : m_toFrame(toFrame) {}

    bool Apply(CVertex* vertex) override
    {
        const CPoint3d p = m_toFrame * vertex->GetPosition();
        m_box.Add(CPoint2d(p.x, p.y));
        return true;
    }
    [[nodiscard]] const CBoundingBox2d& GetBox() const { return m_box; }

private:
    CTransformation m_toFrame;
    CBoundingBox2d m_box;
};

// The face frame (at the start of the outer loop's first edge use, x along that use, z
// the face normal) and the outer loop's box in it. False for a face without a usable
// outer loop or an empty box.
bool GetFaceFrame(const CFace* face, CTransformation& frame, CBoundingBox2d& box)
{
    const CLoop* outer = face != nullptr ? face->GetOuterLoop() : nullptr;
    const CEdgeUse* use = outer != nullptr ? outer->GetFirstEdgeUse() : nullptr;
    if (use == nullptr || use->GetStartVertex() == nullptr || use->GetEndVertex() == nullptr) {
        return false;
    }
    const CPoint3d start = use->GetStartVertex()->GetPosition();
    const CUnitVector3d x(start, use->GetEndVertex()->GetPosition());
    const CUnitVector3d z = face->GetNormal();
    const CVector3d xAxis(x.x, x.y, x.z);
    const CVector3d zAxis(z.x, z.y, z.z);
    frame = CTransformation(xAxis, zAxis.CrossProduct(xAxis), zAxis, start);
    CTransformation toFrame;
    if (!frame.GetInverse(toFrame)) {
        return false;
    }
    CFrameBoxProc boxProc(toFrame);
    outer->ForEachVertex(boxProc);
    box = boxProc.GetBox();
    return !box.IsEmpty();
}

double Fraction(double value, double low, double high)
{
    const double size = high - low;
    return size > 0.0 ? (value - low) / size : 0.0;
}

}  // namespace

CModelPointRef MakeVertexPoint(CVertex* vertex)
{
    CModelPointRef point;
    point.Set(CModelPointRef::kVertex, CPoint3d(), vertex, CInstancePath(), nullptr, CInstancePath());
    point.SetPosition(EvaluatePoint(point));
    return point;
}

CModelPointRef MakeEdgePoint(CEdge* edge, const CPoint3d& where)
{
    double t = 0.0;
    if (HasVertices(edge)) {
        const CPoint3d start = edge->GetStartVertex()->GetPosition();
        const CVector3d along = edge->GetEndVertex()->GetPosition() - start;
        const double squared = along.GetLengthSquared();
        if (squared > 0.0) {
            t = DotProduct(where - start, along) / squared;
        }
    }
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
    if (GetFaceFrame(face, frame, box)) {
        const CPoint3d p = frame.GetInverse() * where;
        fractions = CPoint3d(Fraction(p.x, box.xmin, box.xmax), Fraction(p.y, box.ymin, box.ymax), 0.0);
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
    case CModelPointRef::kEdgePoint:
        if (const auto* edge = dynamic_cast<const CEdge*>(point.GetFirstEntity()); HasVertices(edge)) {
            return PointAlong(*edge, point.GetKind() == CModelPointRef::kEdgeMidpoint ? 0.5 : p.x);
        }
        break;
    case CModelPointRef::kFacePoint: {
        CTransformation frame;
        CBoundingBox2d box;
        if (GetFaceFrame(dynamic_cast<const CFace*>(point.GetFirstEntity()), frame, box)) {
            return frame * CPoint3d(box.xmin + p.x * (box.xmax - box.xmin), box.ymin + p.y * (box.ymax - box.ymin), 0.0);
        }
        break;
    }
    default:
        break;
    }
    return point.GetPosition();
}

bool PointRefersTo(const CModelPointRef& point, const CEntity* entity)
{
    return entity != nullptr && (entity == point.GetFirstEntity() || entity == point.GetSecondEntity() ||
                                 point.GetFirstPath().Contains(entity) || point.GetSecondPath().Contains(entity));
}

void AddPointReferences(const CModelPointRef& point, CEntity* owner)
{
    for (CEntity* entity : {point.GetFirstEntity(), point.GetSecondEntity()}) {
        if (entity != nullptr) {
            entity->AddBackReference(owner);
        }
    }
    for (const CInstancePath* path : {&point.GetFirstPath(), &point.GetSecondPath()}) {
        for (CEntity* instance : path->GetEntities()) {
            instance->AddBackReference(owner);
        }
    }
}

void RemovePointReferences(const CModelPointRef& point, CEntity* owner)
{
    for (CEntity* entity : {point.GetFirstEntity(), point.GetSecondEntity()}) {
        if (entity != nullptr) {
            entity->RemoveBackReference(owner);
        }
    }
    for (const CInstancePath* path : {&point.GetFirstPath(), &point.GetSecondPath()}) {
        for (CEntity* instance : path->GetEntities()) {
            instance->RemoveBackReference(owner);
        }
    }
}
