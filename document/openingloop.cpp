#include "document/openingloop.h"

#include <algorithm>
#include <cmath>

#include "foundation/boundingbox2d.h"
#include "foundation/plane3d.h"
#include "foundation/polygon2d.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/relationship.h"
#include "model/ringguard.h"
#include "model/vertex.h"

COpeningLoop::COpeningLoop(CRelationship* relationship, const CTransformation& transform, CLoop* loop,
                           bool reversed)
    : m_transform(transform), m_reversed(reversed), m_loop(loop)
{
    SetRelationship(relationship);
}

const CFace* COpeningLoop::GetFace() const
{
    return GetRelationship() != nullptr ? dynamic_cast<const CFace*>(GetRelationship()->GetFirst()) : nullptr;
}

double COpeningLoop::GetArea(const CTransformation* transform) const
{
    const CFace* face = GetFace();
    if (face == nullptr || m_loop == nullptr) {
        return 0.0;
    }
    const CTransformation placed = transform != nullptr ? *transform * m_transform : m_transform;
    const CUnitVector3d normal = face->GetNormal();
    return -std::fabs(m_loop->GetSignedArea(CVector3d(normal.x, normal.y, normal.z), &placed));
}

void COpeningLoop::GetContour(std::vector<CPoint3d>& out) const
{
    out.clear();
    if (m_loop == nullptr || m_loop->GetEdgeUseCount() < 3) {
        return;
    }
    CEdgeUse* first = m_loop->GetFirstEdgeUse();
    CRingGuard guard;
    for (CEdgeUse* use = first; use != nullptr && guard.Visit(use);) {
        if (use->GetStartVertex() != nullptr) {
            out.push_back(m_transform * use->GetStartVertex()->GetPosition());
        }
        use = use->GetNext();
        if (use == first) {
            break;
        }
    }
    if (m_reversed) {
        std::reverse(out.begin(), out.end());
    }
}

bool COpeningLoop::IsInsidePolygon(const std::vector<CPoint2d>& polygon) const
{
    const CFace* face = GetFace();
    if (face == nullptr || m_loop == nullptr || polygon.empty()) {
        return false;
    }
    std::vector<CPoint2d> outline;
    m_loop->GetPolygon(face->GetPlane(), &m_transform, outline);
    CBoundingBox2d outlineBox;
    CBoundingBox2d polygonBox;
    for (const CPoint2d& point : outline) {
        outlineBox.Add(point);
        if (ClassifyPointInPolygon2d(point, polygon.data(), static_cast<int>(polygon.size())) != kPointInPolygon) {
            return false;
        }
    }
    for (const CPoint2d& point : polygon) {
        polygonBox.Add(point);
    }
    return !outline.empty() && outlineBox.Intersects(polygonBox);
}
