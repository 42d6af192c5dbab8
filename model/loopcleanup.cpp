#include "model/loopcleanup.h"

#include <algorithm>

#include "document/component.h"
#include "foundation/line3d.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/enumedgeuse.h"
#include "model/enumface.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

namespace {

// The first use of the loop that runs straight back along the line of the use before
// it; null when the loop has none.
CEdgeUse* FindSpike(const CLoop* loop)
{
    CEdgeUse* first = loop->GetFirstEdgeUse();
    const CEdgeUse* before = first != nullptr ? first->GetPrevious() : nullptr;
    if (before == nullptr || before->GetStartVertex() == nullptr || before->GetEndVertex() == nullptr) {
        return nullptr;
    }
    CVector3d previousDirection(0.0, 0.0, 1.0);
    CLine3d previousLine(before->GetStartVertex()->GetPosition(), before->GetEndVertex()->GetPosition());
    CEnumEdgeUseLoop ring(loop);
    CEdgeUse* use = nullptr;
    while (ring.Next(use)) {
        if (use->GetStartVertex() == nullptr || use->GetEndVertex() == nullptr) {
            return nullptr;
        }
        const CPoint3d& start = use->GetStartVertex()->GetPosition();
        const CPoint3d& end = use->GetEndVertex()->GetPosition();
        CVector3d direction = end - start;
        direction.Normalize();
        if (DotProduct(direction, previousDirection) < 0.0 && end.IsOnLine(previousLine)) {
            return use;
        }
        previousDirection = direction;
        previousLine = CLine3d(start, end);
    }
    return nullptr;
}

void AddToComponent(CComponent* component, CEdge* edge)
{
    if (component != nullptr && edge != nullptr) {
        component->AddEntity(edge);
    }
}

} // namespace

bool RemoveLoopSpikes(CFace* face, CComponent* component)
{
    CLoop* outer = face != nullptr ? face->GetOuterLoop() : nullptr;
    if (outer == nullptr) {
        return false;
    }
    // Each collapse takes uses away, so the count bounds the passes.
    for (int guard = outer->GetEdgeUseCount(); guard > 0; --guard) {
        CEdgeUse* spike = FindSpike(outer);
        if (spike == nullptr) {
            break;
        }
        CollapseSpike(spike, component);
        face->OnGeometryChanged();
        if (outer->GetFirstEdgeUse() == nullptr) {
            break;
        }
    }
    return outer->GetEdgeUseCount() > 2;
}

int CollapseSpike(CEdgeUse* use, CComponent* component)
{
    CEdgeUse* previous = use != nullptr ? use->GetPrevious() : nullptr;
    if (previous == nullptr || previous == use) {
        return 0;
    }
    if (CFace* face = use->GetFace()) {
        face->OnGeometryChanged();
    }
    CVertex* v1 = previous->GetStartVertex();
    CVertex* v2 = previous->GetEndVertex();
    CVertex* v3 = use->GetEndVertex();
    if (v1 == nullptr || v2 == nullptr || v3 == nullptr) {
        return 0;
    }
    CEdgeUse* first = use;
    CEdgeUse* second = previous;
    if (v1 != v3) {
        if (v2->GetPosition().Distance(v3->GetPosition()) < v1->GetPosition().Distance(v2->GetPosition())) {
            // The spike's tip lies beyond v3: the previous use's edge is cut at v3, and
            // its piece next to the use runs back over the use.
            CEdge* piece = previous->GetEdge()->SplitAtVertex(v3);
            first = use;
            second = use->GetPrevious();
            if (piece != second->GetEdge()) {
                AddToComponent(component, piece);
            }
        } else {
            CEdge* piece = use->GetEdge()->SplitAtVertex(v1);
            first = previous;
            second = previous->GetNext();
            if (piece != second->GetEdge()) {
                AddToComponent(component, piece);
            }
        }
    }
    CEdge* kept = first->GetEdge();
    CEdge* gone = second->GetEdge();
    first->Erase();
    second->Erase();
    if (kept != gone) {
        kept->AbsorbDuplicate(gone, component);
    }
    if (gone->GetEdgeUseCount() > 0) {
        return gone->GetEdgeUseCount();
    }
    if (component != nullptr && component->Contains(gone)) {
        gone->EraseFromComponent(component);
    } else {
        gone->Erase();
    }
    return 0;
}

int FindCommonFaces(int count, CEdge* const* edges, std::vector<CFace*>& faces)
{
    faces.clear();
    if (count < 1 || edges == nullptr || edges[0] == nullptr) {
        return 0;
    }
    const auto facesOf = [](const CEdge* edge) {
        std::vector<CFace*> found;
        CEnumFaceEdge enumerator(edge);
        CFace* face = nullptr;
        while (enumerator.Next(face)) {
            if (face != nullptr) {
                found.push_back(face);
            }
        }
        return found;
    };
    faces = facesOf(edges[0]);
    for (int i = 1; i < count && !faces.empty(); ++i) {
        const std::vector<CFace*> own = edges[i] != nullptr ? facesOf(edges[i]) : std::vector<CFace*>{};
        if (own.empty()) {
            faces.clear();
            break;
        }
        std::erase_if(faces, [&own](CFace* face) { return std::find(own.begin(), own.end(), face) == own.end(); });
    }
    return static_cast<int>(faces.size());
}
