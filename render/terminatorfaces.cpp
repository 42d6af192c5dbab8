#include "render/terminatorfaces.h"

#include <GL/gl.h>

#include "drawapi/tarnisview.h"
#include "foundation/transformation.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/facegl.h"
#include "model/loop.h"
#include "model/smoothnormals.h"
#include "model/vertex.h"

namespace {

// Flooding along a smooth surface stops here.
constexpr int kMaxDepth = 256;

CVector3d WorldNormal(const CFace& face, const CTransformation* transform)
{
    CPlane3d plane = face.GetPlane();
    if (transform != nullptr) {
        transform->TransformPlane(plane);
    }
    return plane.GetNormal();
}

CVector3d WorldVector(const CVector3d& v, const CTransformation* transform)
{
    CVector3d w = v;
    if (transform != nullptr) {
        transform->TransformVector(w);
    }
    return w;
}

bool Parallel(const CVector3d& a, const CVector3d& b)
{
    return a.CrossProduct(b).GetLength() < 0.001 && DotProduct(a, b) > 0.0;
}

// The face across the use's edge, or null.
CFace* Neighbour(const CEdgeUse& use)
{
    const CFace* own = use.GetFace();
    const CEdgeUse* other = use.GetNextAroundEdge();
    while (other != nullptr && other != &use) {
        if (other->GetFace() != nullptr && other->GetFace() != own) {
            return other->GetFace();
        }
        other = other->GetNextAroundEdge();
    }
    return nullptr;
}

// Calls visit for every edge use of the outer loop.
template <class Visit>
void ForEachOuterUse(const CFace& face, Visit visit)
{
    const CLoop* loop = face.GetOuterLoop();
    CEdgeUse* first = loop != nullptr ? loop->GetFirstEdgeUse() : nullptr;
    for (CEdgeUse* use = first; use != nullptr;) {
        visit(*use);
        use = use->GetNext();
        if (use == first) {
            break;
        }
    }
}

}  // namespace

int CTerminatorFaces::GetClass(const CFace& face)
{
    return static_cast<int>((face.GetFlags() & kClassMask) >> kClassShift);
}

void CTerminatorFaces::Classify(CFace& face, const CTransformation* transform, const CVector3d& light)
{
    if (GetClass(face) != 0 || !face.HasFlag(CSmoothNormals::kFlagSmoothSurface)) {
        return;
    }
    const CVector3d n = WorldNormal(face, transform);
    const bool lit = DotProduct(n, light) < 0.0;
    const auto litSide = [&](CVector3d normal) {
        normal = WorldVector(normal, transform);
        if (DotProduct(normal, n) < 0.0) {
            normal = -normal;
        }
        return DotProduct(normal, light) < 0.0;
    };
    bool coplanarNeighbour = false;
    int terminatorClass = 0;
    ForEachOuterUse(face, [&](CEdgeUse& use) {
        const CEdge* edge = use.GetEdge();
        CFace* other = Neighbour(use);
        if (edge == nullptr || !edge->IsSmooth() || other == nullptr) {
            return;
        }
        const CVector3d otherNormal = WorldNormal(*other, transform);
        coplanarNeighbour = coplanarNeighbour || Parallel(n, otherNormal);
        if (terminatorClass != 0) {
            return;
        }
        const CEdgeUse* next = use.GetNext();
        const bool turns = (DotProduct(otherNormal, light) < 0.0) != lit || litSide(use.GetSmoothNormal()) != lit ||
                           (next != nullptr && litSide(next->GetSmoothNormal()) != lit);
        if (!turns || use.GetStartVertex() == nullptr || use.GetEndVertex() == nullptr) {
            return;
        }
        const CVector3d along =
            WorldVector(use.GetEndVertex()->GetPosition() - use.GetStartVertex()->GetPosition(), transform);
        const CVector3d outward = along.CrossProduct(n);
        terminatorClass = DotProduct(outward, light) > 0.0 ? 3 : 1;
    });
    if (terminatorClass == 0) {
        return;
    }
    face.SetFlagBits(static_cast<std::uint32_t>(terminatorClass) << kClassShift, true);
    if (coplanarNeighbour) {
        Propagate(face, terminatorClass, transform, 0);
    }
}

void CTerminatorFaces::Propagate(CFace& face, int terminatorClass, const CTransformation* transform, int depth)
{
    if (depth > kMaxDepth) {
        return;
    }
    const CVector3d n = WorldNormal(face, transform);
    ForEachOuterUse(face, [&](CEdgeUse& use) {
        CFace* other = Neighbour(use);
        if (use.GetEdge() == nullptr || !use.GetEdge()->IsSmooth() || other == nullptr || GetClass(*other) != 0 ||
            !Parallel(n, WorldNormal(*other, transform))) {
            return;
        }
        other->SetFlagBits(static_cast<std::uint32_t>(terminatorClass) << kClassShift, true);
        Propagate(*other, terminatorClass, transform, depth + 1);
    });
}

void CTerminatorFaces::Draw(ITarnisView* view, CFace& face)
{
    const int terminatorClass = GetClass(face);
    FlushFaces(view);
    view->EndPrimitive();
    GLint reference = 0;
    GLint mask = 0;
    glGetIntegerv(GL_STENCIL_REF, &reference);
    glGetIntegerv(GL_STENCIL_VALUE_MASK, &mask);
    const bool throughVolumes = terminatorClass == 1 || terminatorClass == 2;
    if (throughVolumes) {
        glStencilFunc(GL_LEQUAL, reference - terminatorClass, static_cast<GLuint>(mask));
    }
    face.Draw(view);
    FlushFaces(view);
    view->EndPrimitive();
    if (throughVolumes) {
        glStencilFunc(GL_EQUAL, reference, static_cast<GLuint>(mask));
    }
}
