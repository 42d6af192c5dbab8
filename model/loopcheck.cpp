// The consistency check of a loop: its face, its ring of uses, the edges of the uses,
// and, when the whole model is checked, the ring's geometry.

#include <cmath>

#include "document/component.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/topologymessages.h"

int CLoop::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CLoop), results, result)) {
        return result;
    }
    const int base = CEntity::CheckValidity(mode, results);
    if (base != kValiditySound) {
        return SetCheckResult(base, results);
    }
    int severity = kValiditySound;
    for (const auto step : {&CLoop::CheckLinks, &CLoop::CheckRing, &CLoop::CheckGeometry, &CLoop::CheckEdgeParents}) {
        const int found = (this->*step)(mode, results);
        if (found >= kValidityStale) {
            return SetCheckResult(found, results);
        }
        severity = std::max(severity, found);
    }
    return severity == kValiditySound ? kValiditySound : SetCheckResult(severity, results);
}

int CLoop::CheckLinks(int mode, CValidityResultMap* results)
{
    if (m_face == nullptr || !m_face->IsKindOf(RUNTIME_CLASS(CFace))) {
        AppendTopologyMessage(kMsgLoopBadFace, GetEntityLabel(this));
        if (m_face != nullptr) {
            StoreCheckResult(results, m_face, kValidityBroken);
        }
        return kValidityBroken;
    }
    int severity = kValiditySound;
    if (mode != kValidityModeIgnoreStaleIds && CEntity::GetParent() != nullptr) {
        AppendTopologyMessage(kMsgLoopHasParent, GetEntityLabel(this));
        if (BeginRepair(mode)) {
            RecordChange(true);
            SetParent(nullptr);
        } else {
            severity = kValidityRepairable;
        }
    }
    if (m_firstUse == nullptr || !m_firstUse->IsKindOf(RUNTIME_CLASS(CEdgeUse))) {
        AppendTopologyMessage(kMsgLoopBadFirstUse, GetEntityLabel(this));
        if (m_firstUse != nullptr) {
            StoreCheckResult(results, m_firstUse, kValidityBroken);
        }
        return kValidityBroken;
    }
    if (results != nullptr) {
        const int found = m_firstUse->CheckValidity(mode, results);
        if (found >= kValidityStale) {
            return found;
        }
        if (m_firstUse->GetLoop() != this) {
            AppendTopologyMessage(kMsgLoopFirstUseElsewhere, GetEntityLabel(m_face), GetEntityLabel(this));
            return kValidityStale;
        }
    }
    return severity;
}

int CLoop::CheckRing(int mode, CValidityResultMap* results)
{
    const int guard = GetRingGuard();
    const int count = GetEdgeUseCount();
    if (mode != kValidityModeIgnoreStaleIds) {
        if (count < 3) {
            AppendTopologyMessage(kMsgLoopTooFewUses, GetEntityLabel(this));
            return kValidityStale;
        }
        if (count > guard) {
            AppendTopologyMessage(kMsgLoopRingOpen, GetEntityLabel(this));
            AppendTopologyMessage(kMsgLoopRingGuard, count);
            return kValidityStale;
        }
    }
    int severity = kValiditySound;
    CEdgeUse* previous = nullptr;
    CEdgeUse* use = m_firstUse;
    for (int index = 0; index < count; ++index, previous = use, use = use->GetNext()) {
        if (use == nullptr || !use->IsKindOf(RUNTIME_CLASS(CEdgeUse))) {
            AppendTopologyMessage(kMsgBadEdgeUseInRing, GetEntityLabel(this));
            if (use != nullptr) {
                StoreCheckResult(results, use, kValidityBroken);
            }
            return kValidityBroken;
        }
        if (results != nullptr) {
            const int found = use->CheckValidity(mode, results);
            if (found >= kValidityStale) {
                StoreCheckResult(results, use, found);
                return found;
            }
            if (use->GetLoop() != this) {
                AppendTopologyMessage(kMsgLoopUseElsewhere, GetEntityLabel(this));
                return kValidityStale;
            }
            if (previous != nullptr && use->GetStartVertex() != previous->GetEndVertex()) {
                AppendTopologyMessage(kMsgLoopUsesDisconnected, GetEntityLabel(this));
                return kValidityStale;
            }
        }
        CEdge* edge = use->GetEdge();
        if (edge == nullptr || !edge->IsKindOf(RUNTIME_CLASS(CEdge))) {
            AppendTopologyMessage(kMsgLoopBadEdge, index, GetEntityLabel(this));
            if (edge != nullptr) {
                StoreCheckResult(results, edge, kValidityBroken);
            }
            return kValidityBroken;
        }
        if (results != nullptr) {
            const int found = edge->CheckValidity(mode, results);
            if (found >= kValidityStale) {
                return found;
            }
        }
        // An edge held by no component is the last step's business: it joins the
        // face's component there rather than only pointing at it.
        if (edge->CEntity::GetParent() != nullptr && edge->CEntity::GetParent() != m_face->CEntity::GetParent()) {
            AppendTopologyMessage(kMsgLoopEdgeParent, GetEntityLabel(this));
            if (BeginRepair(mode)) {
                edge->RecordChange(true);
                edge->SetParent(m_face->CEntity::GetParent());
            } else {
                severity = kValidityRepairable;
            }
        }
    }
    if (results != nullptr && m_firstUse->GetStartVertex() != previous->GetEndVertex()) {
        AppendTopologyMessage(kMsgLoopNotClosed, GetEntityLabel(this));
        return kValidityStale;
    }
    return severity;
}

int CLoop::CheckGeometry(int mode, CValidityResultMap* results)
{
    if (results == nullptr || mode == kValidityModeIgnoreStaleIds) {
        return kValiditySound;
    }
    const double area = GetSignedArea(GetFaceNormal(), nullptr);
    if (std::fabs(area) <= 1e-6) {
        AppendTopologyMessage(kMsgLoopNoArea, GetEntityLabel(this));
        return kValidityStale;
    }
    if ((area > 0.0) == m_outer) {
        return kValiditySound;
    }
    AppendTopologyMessage(kMsgLoopWrongWinding, GetEntityLabel(this));
    if (!BeginRepair(mode)) {
        return kValidityRepairable;
    }
    if (m_face->GetLoopCount() == 1) {
        // Turning the whole face would turn the loop with it; the plane alone has to
        // turn to agree with the only loop.
        m_face->FlipPlane();
    } else {
        Reverse();
    }
    return kValiditySound;
}

int CLoop::CheckEdgeParents(int mode, CValidityResultMap* results)
{
    CComponent* component = m_face->GetParentComponent();
    if (results == nullptr || mode == kValidityModeIgnoreStaleIds || component == nullptr) {
        return kValiditySound;
    }
    int severity = kValiditySound;
    for (CEdgeUse* use : GetUses()) {
        CEdge* edge = use->GetEdge();
        if (edge == nullptr || edge->GetParentComponent() != nullptr) {
            continue;
        }
        AppendTopologyMessage(kMsgLoopEdgeWithoutParent, GetEntityLabel(m_face), GetEntityLabel(edge));
        if (BeginRepair(mode)) {
            component->AddEntity(edge);
        } else {
            severity = kValidityRepairable;
        }
    }
    return severity;
}
