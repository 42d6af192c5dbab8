// The operations that change the edge graph while keeping faces, loops, curves and
// vertices consistent: splitting an edge at a vertex, merging two collinear edges,
// absorbing a duplicate and removing an edge with what depends on it.

#include <algorithm>
#include <vector>

#include "document/component.h"
#include "document/layer.h"
#include "foundation/line3d.h"
#include "foundation/plane3d.h"
#include "model/arccurve.h"
#include "model/curve.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/enumedgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

namespace {

bool IsOnHiddenLayer(const CDrawingElement* element)
{
    const CLayer* layer = element->GetEffectiveLayer();
    return layer != nullptr && layer->IsHidden();
}

// The distinct positions of both faces' outer loops fit one plane.
bool LieInOnePlane(const CFace* a, const CFace* b)
{
    std::vector<CPoint3d> points;
    for (const CFace* face : {a, b}) {
        std::vector<CPoint3d> loopPoints;
        if (const CLoop* outer = face->GetOuterLoop()) {
            outer->GetPoints(loopPoints, nullptr);
        }
        for (const CPoint3d& p : loopPoints) {
            if (std::none_of(points.begin(), points.end(), [&p](const CPoint3d& q) { return q.IsEqual(p); })) {
                points.push_back(p);
            }
        }
    }
    CPlane3d plane;
    return points.size() >= 3 && plane.FitToPoints(static_cast<int>(points.size()), points.data());
}

void EraseOrDrop(CDrawingElement* element, CComponent* component)
{
    if (component != nullptr) {
        element->EraseFromComponent(component);
    } else {
        element->Erase();
    }
}

} // namespace

CEdge* CEdge::SplitAtVertex(CVertex* vertex)
{
    if (m_start == nullptr || m_end == nullptr || vertex == nullptr || vertex == m_start || vertex == m_end ||
        !IsPointOnSegment(m_start->GetPosition(), m_end->GetPosition(), vertex->GetPosition(), kLengthTolerance)) {
        return nullptr;
    }
    return SplitCore(vertex);
}

CEdge* CEdge::SplitCore(CVertex* vertex)
{
    RecordChange(true);
    CEntity* parent = GetParent();
    const bool againstCurve = GetCurveDirection() == kCurveDirectionReversed;
    CVertex* oldEnd = m_end;
    oldEnd->RecordChange(true);
    oldEnd->RemoveEdge(this, false);
    m_end = vertex;
    vertex->AddEdge(this, false);
    auto* piece = new CEdge(vertex, oldEnd, false);
    if (m_curve != nullptr) {
        CCurve* curve = m_curve;
        piece->SetCurve(curve);
        if (parent != nullptr) {
            curve->SetParent(parent);
        }
        curve->RecordChange(true);
        if (curve->GetFirstEdge() == this && againstCurve) {
            curve->SetFirstEdge(piece);
        }
        if (curve->GetLastEdge() == this && !againstCurve) {
            curve->SetLastEdge(piece);
        }
        SetCachedCurveDirection(0);
    }
    for (CEdgeUse* use : UsesOf(this)) {
        use->Split(piece);
    }
    piece->SetMaterial(GetMaterial());
    piece->SetLayer(GetLayer());
    piece->SetFlagBits(kFlagHidden | kFlagSoft | kFlagSmooth, false);
    piece->SetFlagBits(GetFlags() & (kFlagHidden | kFlagSoft | kFlagSmooth), true);
    return piece;
}

CEdge* CEdge::SplitAt(CVertex* vertex)
{
    if (m_start == nullptr || m_end == nullptr || vertex == nullptr || vertex == m_start || vertex == m_end) {
        return nullptr;
    }
    auto* component = dynamic_cast<CComponent*>(GetParent());
    CEdge* toStart = vertex->FindEdgeTo(m_start);
    CEdge* toEnd = vertex->FindEdgeTo(m_end);
    CEdge* piece = SplitCore(vertex);
    if (component != nullptr) {
        component->AddEntity(piece);
    }
    for (const auto& [keeper, duplicate] : {std::pair{this, toStart}, std::pair{piece, toEnd}}) {
        if (duplicate == nullptr || duplicate == keeper) {
            continue;
        }
        keeper->AbsorbDuplicate(duplicate, component);
        if (component != nullptr) {
            component->RemoveEntity(duplicate);
        }
        duplicate->Erase();
    }
    return piece;
}

bool CEdge::MergeWith(CEdge* other, CVertex* vertex, CComponent* component, bool healVertices)
{
    if (other == nullptr || other == this) {
        return false;
    }
    CVertex* common = vertex != nullptr ? vertex : GetCommonVertex(other);
    if (common == nullptr || !HasVertex(common) || !other->HasVertex(common) || common->GetEdgeCount() != 2) {
        return false;
    }
    if (m_curve != other->m_curve) {
        CArcCurve* own = GetArcCurve();
        CArcCurve* theirs = other->GetArcCurve();
        if (own == nullptr || theirs == nullptr || !own->GetArc().IsEqual(theirs->GetArc())) {
            return false;
        }
        std::vector<CEdge*> moved;
        theirs->GetEdges(moved);
        for (CEdge* edge : moved) {
            edge->SetCurve(own);
            theirs->ReleaseEdge();
        }
        own->RebuildFromEdge(this);
    } else if (m_curve != nullptr) {
        return false;
    }
    const bool longer = GetLength() >= other->GetLength();
    if (other->GetMaterial() != nullptr && (GetMaterial() == nullptr || !longer)) {
        SetMaterial(other->GetMaterial());
    }
    if (!CLayer::IsDefaultLayer(other->GetEffectiveLayer()) &&
        (CLayer::IsDefaultLayer(GetEffectiveLayer()) || !longer)) {
        SetLayer(other->GetLayer());
    }
    NotifyFacesGeometryChanged();
    RecordChange(true);
    common->RecordChange(true);
    common->RemoveEdge(this, true);
    CVertex* far = other->GetOtherVertex(common);
    (m_start == common ? m_start : m_end) = far;
    far->RecordChange(true);
    far->AddEdge(this, false);
    other->RecordChange(true);
    for (CEdgeUse* use : UsesOf(other)) {
        use->Erase();
    }
    other->RemoveFromComponent(component, true, healVertices);
    return true;
}

void CEdge::AbsorbDuplicate(CEdge* other, CComponent* component)
{
    if (other == nullptr || other == this || !other->HasVertex(m_start) || !other->HasVertex(m_end)) {
        return;
    }
    other->NotifyReferrers(kReferenceMerged, this);
    RecordChange(true);
    other->RecordChange(true);
    if (other->m_curve != nullptr && other->m_curve == m_curve) {
        CCurve* curve = m_curve;
        curve->RecordChange(true);
        SetCurve(curve);
        if (curve->GetFirstEdge() == other) {
            curve->SetFirstEdge(this);
        }
        if (curve->GetLastEdge() == other) {
            curve->SetLastEdge(this);
        }
        other->NotifyReferrers(kReferenceCurveChanged, nullptr);
        other->m_curve = nullptr;
        other->SetCachedCurveDirection(0);
        curve->ReleaseEdge();
        curve->ReleaseEdge();
    } else if (other->m_curve != nullptr) {
        other->DetachFromCurve();
    }
    const bool opposite = other->m_start != m_start;
    for (CEdgeUse* use : UsesOf(other)) {
        use->SetEdge(this, use->IsReversed() != opposite);
    }
    RepairFacesAfterAbsorb(component);
}

void CEdge::RepairFacesAfterAbsorb(CComponent* component)
{
    // Each pass joins or splits once and so takes uses away; the use count bounds them.
    for (int guard = GetEdgeUseCount(); guard >= 0; --guard) {
        const std::vector<CEdgeUse*> uses = UsesOf(this);
        CEdgeUse* first = nullptr;
        CEdgeUse* second = nullptr;
        for (std::size_t i = 0; i < uses.size() && first == nullptr; ++i) {
            for (std::size_t j = i + 1; j < uses.size(); ++j) {
                if (uses[i]->GetFace() != nullptr && uses[i]->GetFace() == uses[j]->GetFace()) {
                    first = uses[i];
                    second = uses[j];
                    break;
                }
            }
        }
        if (first == nullptr) {
            return;
        }
        CFace* face = first->GetFace();
        if (first->GetLoop() != second->GetLoop()) {
            face->JoinLoopsAtEdgeUse(first, second);
            continue;
        }
        CLoop* separated = face->SplitAtEdge(this);
        CFace* further = separated != nullptr ? separated->GetFace() : nullptr;
        if (further != nullptr && further != face && component != nullptr) {
            component->AddEntity(further);
        }
        if (face->GetOuterLoop() == nullptr || face->GetOuterLoop()->GetEdgeUseCount() < 3) {
            EraseOrDrop(face, component);
        }
    }
}

bool CEdge::FindMergeableFaces(CFace*& face1, CFace*& face2, bool checkOrientation) const
{
    face1 = nullptr;
    face2 = nullptr;
    const std::vector<CEdgeUse*> uses = UsesOf(this);
    for (std::size_t i = 0; i < uses.size(); ++i) {
        for (std::size_t j = i + 1; j < uses.size(); ++j) {
            CFace* fi = uses[i]->GetFace();
            CFace* fj = uses[j]->GetFace();
            if (fi == nullptr || fj == nullptr) {
                continue;
            }
            const bool opposite = uses[i]->IsReversed() != uses[j]->IsReversed();
            if (fi == fj) {
                if (uses[i]->GetLoop() == uses[j]->GetLoop() && opposite) {
                    face1 = face2 = fi;
                    return true;
                }
                continue;
            }
            if (CVector3d(fi->GetNormal()) != CVector3d(fj->GetNormal()) || !LieInOnePlane(fi, fj)) {
                continue;
            }
            if (checkOrientation && !opposite) {
                return false;
            }
            if (!uses[i]->GetLoop()->IsOuter() && !uses[j]->GetLoop()->IsOuter()) {
                return false;
            }
            face1 = fi;
            face2 = fj;
            return true;
        }
    }
    return false;
}

void CEdge::EraseFromComponent(CComponent* component)
{
    RemoveFromComponent(component, true, true);
}

bool CEdge::RemoveFromComponent(CComponent* component, bool mergeFaces, bool healVertices)
{
    RecordChange(true);
    if (m_curve != nullptr) {
        m_curve->RecordChange(true);
    }
    CFace* face1 = nullptr;
    CFace* face2 = nullptr;
    if (FindMergeableFaces(face1, face2, mergeFaces)) {
        if (face1 != face2 && !IsOnHiddenLayer(face1) && !IsOnHiddenLayer(face2)) {
            if (face1->MergeWith(face2, this)) {
                EraseOrDrop(face2, component);
            }
        } else if (face1 == face2) {
            CLoop* separated = face1->SplitAtEdge(this);
            CFace* further = separated != nullptr ? separated->GetFace() : nullptr;
            if (further != nullptr && further != face1 && component != nullptr) {
                component->AddEntity(further);
            }
        }
    }
    for (CEdgeUse* use : UsesOf(this)) {
        CLoop* loop = use->GetLoop();
        if (loop == nullptr || loop->IsOuter() || use->GetEdge() != this) {
            continue;
        }
        if (CFace* face = loop->GetFace()) {
            face->RemoveLoop(loop, true);
        } else {
            loop->Erase();
        }
    }
    std::vector<CFace*> faces;
    for (CEdgeUse* use : UsesOf(this)) {
        CFace* face = use->GetFace();
        if (face != nullptr && std::find(faces.begin(), faces.end(), face) == faces.end()) {
            faces.push_back(face);
        }
    }
    CFace* keeper = nullptr;
    for (CFace* face : faces) {
        if (IsOnHiddenLayer(face)) {
            keeper = keeper != nullptr ? keeper : face;
        } else {
            EraseOrDrop(face, component);
        }
    }
    if (keeper != nullptr) {
        SetLayer(keeper->GetEffectiveLayer());
        return false;
    }
    ReleaseCurveForRemoval();
    for (CVertex** end : {&m_start, &m_end}) {
        CVertex* vertex = *end;
        if (vertex == nullptr) {
            continue;
        }
        if (component != nullptr) {
            component->CheckPointInBounds(vertex->GetPosition());
        }
        vertex->RecordChange(true);
        vertex->RemoveEdge(this, true);
        *end = nullptr;
        vertex->RemoveIfRedundant(component, healVertices);
    }
    if (component == nullptr) {
        Erase();
        return true;
    }
    return component->EraseEntity(this);
}

void CEdge::ReleaseCurveForRemoval()
{
    CCurve* curve = m_curve;
    if (curve == nullptr) {
        return;
    }
    if (curve->GetFirstEdge() != this && curve->GetLastEdge() != this) {
        DetachFromCurve();
        return;
    }
    NotifyReferrers(kReferenceCurveChanged, nullptr);
    m_curve = nullptr;
    SetCachedCurveDirection(0);
    const bool wasFirst = curve->GetFirstEdge() == this;
    const bool wasLast = curve->GetLastEdge() == this;
    CEdge* otherEnd = wasFirst ? curve->GetLastEdge() : curve->GetFirstEdge();
    const bool remains = curve->GetEdgeCount() > 1;
    curve->ReleaseEdge();
    if (remains && otherEnd != nullptr && otherEnd != this && (wasFirst || wasLast)) {
        curve->RebuildFromEdge(otherEnd);
    }
}
