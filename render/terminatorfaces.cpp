#include "render/terminatorfaces.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "drawapi/camerastate.h"
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

// The direction the sunlight travels, in the coordinates being drawn.
CVector3d LocalLight(ITarnisView* view)
{
    const CTarnwickModel* model = view->GetModel();
    const CShadowInfo* info = model != nullptr ? model->GetShadowInfo() : nullptr;
    CVector3d light = info != nullptr ? -info->GetSunDirection() : CVector3d(0, 0, -1);
    view->GetInverseTransform().TransformVector(light);
    light.Normalize();
    return light;
}

// How much the colour of the background is scaled on the lit and the dark side.
constexpr double kLitScale = 1.2;
constexpr double kDarkScaleBase = 0.2;

void ScaledColour(const CColor& colour, double scale, GLubyte out[3])
{
    const BYTE channels[3] = {colour.GetRedByte(), colour.GetGreenByte(), colour.GetBlueByte()};
    for (int k = 0; k < 3; ++k) {
        out[k] = static_cast<GLubyte>(std::clamp(channels[k] * scale, 0.0, 255.0));
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
    CPlane3d boundary;
    if (view->GetRenderMode() == 1 && FindBoundary(view, face, LocalLight(view), boundary)) {
        DrawAcrossBoundary(view, face, boundary);
    } else {
        face.Draw(view);
    }
    FlushFaces(view);
    view->EndPrimitive();
    if (throughVolumes) {
        glStencilFunc(GL_EQUAL, reference, static_cast<GLuint>(mask));
    }
}

bool CTerminatorFaces::FindBoundary(ITarnisView* view, const CFace& face, const CVector3d& light,
                                    CPlane3d& boundary)
{
    CVector3d n = face.GetPlane().GetNormal();
    const bool perspective = view->GetCameraState().perspective;
    if (perspective ? face.GetPlane().GetSignedDistance(view->GetLocalEyePoint()) < 0.0
                    : DotProduct(n, view->GetLocalViewDirection()) > 0.0) {
        n = -n;
    }
    // Each corner's lighting by its smooth normal, and the points of the outline where it
    // changes sign.
    std::vector<CPoint3d> points;
    std::vector<double> lighting;
    ForEachOuterUse(face, [&](CEdgeUse& use) {
        if (use.GetStartVertex() == nullptr) {
            return;
        }
        CVector3d normal = use.GetSmoothNormal();
        if (DotProduct(normal, n) < 0.0) {
            normal = -normal;
        }
        points.push_back(use.GetStartVertex()->GetPosition());
        lighting.push_back(-DotProduct(normal, light));
    });
    std::vector<CPoint3d> crossings;
    std::size_t darkest = 0;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const std::size_t next = (k + 1) % points.size();
        if ((lighting[k] > 0.0) != (lighting[next] > 0.0)) {
            const double t = lighting[k] / (lighting[k] - lighting[next]);
            crossings.push_back(points[k] + (points[next] - points[k]) * t);
        }
        darkest = lighting[k] < lighting[darkest] ? k : darkest;
    }
    if (crossings.size() < 2) {
        return false;
    }
    CVector3d across = n.CrossProduct(crossings[1] - crossings[0]);
    if (across.GetLength() < 1e-9) {
        return false;
    }
    across.Normalize();
    if (DotProduct(across, points[darkest] - crossings[0]) < 0.0) {
        across = -across;
    }
    boundary = CPlane3d(crossings[0], across);
    return true;
}

void CTerminatorFaces::DrawAcrossBoundary(ITarnisView* view, CFace& face, const CPlane3d& boundary)
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    const CTarnwickModel* model = view->GetModel();
    const CShadowInfo* info = model != nullptr ? model->GetShadowInfo() : nullptr;
    const CColor background = options != nullptr ? options->GetBackgroundColor() : CColor(255, 255, 255);
    const int percentage = info != nullptr ? info->GetDarkIntensity() : 0;
    // Texel 0 lies before the boundary, texel 1 beyond it: the texture coordinate is the
    // distance from the boundary plus a half, clamped to the two texels.
    GLubyte texels[6];
    ScaledColour(background, kLitScale, texels);
    ScaledColour(background, percentage * 0.01 + kDarkScaleBase, texels + 3);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_1D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage1D(GL_TEXTURE_1D, 0, 3, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    const GLdouble plane[4] = {boundary.a, boundary.b, boundary.c, boundary.d + 0.5};
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGendv(GL_S, GL_OBJECT_PLANE, plane);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_1D);
    face.Draw(view);
    FlushFaces(view);
    view->EndPrimitive();
    glDeleteTextures(1, &texture);
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_GEN_S);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}
