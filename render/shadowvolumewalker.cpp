#include "render/shadowvolumewalker.h"

#include <GL/gl.h>

#include <cmath>

#include "annotations/sectionplane.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/material.h"
#include "document/renderingoptions.h"
#include "drawapi/renderingflags.h"
#include "drawapi/tarnisview.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/vertex.h"
#include "render/facepolygon.h"
#include "render/shadowvolumecontext.h"
#include "render/terminatorfaces.h"

namespace {

// The light's direction in the coordinates of the component placed by the transform.
CVector3d LightIn(const CTransformation& transform, const CVector3d& light)
{
    CTransformation inverse;
    CVector3d local = light;
    if (transform.GetInverse(inverse)) {
        inverse.TransformVector(local);
    }
    return local;
}

// A component that places itself ends the walk here.
constexpr int kMaxDepth = 64;

int GetShadowMode(const CFace& face)
{
    return static_cast<int>((face.GetFlags() & CShadowVolumeWalker::kShadowModeMask) >>
                            CShadowVolumeWalker::kShadowModeShift);
}

CPlane3d WorldPlane(const CFace& face, const CTransformation* transform)
{
    CPlane3d plane = face.GetPlane();
    if (transform != nullptr) {
        transform->TransformPlane(plane);
    }
    return plane;
}

CPoint3d WorldPoint(const CPoint3d& point, const CTransformation* transform)
{
    CPoint3d p = point;
    if (transform != nullptr) {
        transform->TransformPoint(p);
    }
    return p;
}

bool FacesEye(const CPlane3d& plane, const ShadowVolumeContext& context)
{
    if (context.perspective) {
        return plane.GetSignedDistance(context.eye) > 0.0;
    }
    return DotProduct(plane.GetNormal(), context.viewDirection) < 0.0;
}

// Whether the eye stands in the volume the polygon casts: the line from the eye to
// the sun passes through the polygon ahead of the eye.
bool HoldsEye(const CFacePolygon& polygon, const ShadowVolumeContext& context)
{
    CBoundingBox3d box;
    for (const CPoint3d& p : polygon.GetPoints()) {
        box.Add(p);
    }
    const CLine3d ray = context.GetEyeToSunRay();
    CPoint3d hit;
    int side = 0;
    if (!ray.IntersectBox(box, hit, side)) {
        return false;
    }
    double t = 0.0;
    if (!polygon.GetPlane().IntersectLine(ray, t) || t <= 0.0) {
        return false;
    }
    return polygon.ContainsPoint(ray.GetPoint(t));
}

}  // namespace

CShadowVolumeWalker::CShadowVolumeWalker(ITarnisView* view, ShadowVolumeContext& context)
    : m_view(view), m_context(context)
{
}

void CShadowVolumeWalker::Walk(CComponent& root)
{
    m_view->EndPrimitive();
    WalkComponent(root, CTransformation(), 0);
    FlushQuads();
    m_facingCounts.clear();
}

int CShadowVolumeWalker::GetShadowClass(ITarnisView* view, const CFace& face, const CVector3d& light)
{
    if (!face.IsShown(view) || !face.CastsShadows()) {
        return 0;
    }
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (options != nullptr && options->IsTransparentDisplay()) {
        return 1;
    }
    const bool lightSideFront = DotProduct(face.GetNormal(), light) < 0.0;
    const CMaterial* material = face.GetSideMaterial(view, lightSideFront, nullptr);
    if (material == nullptr) {
        return 2;
    }
    if (options != nullptr && options->IsEnableTransparency() && material->IsTransparent()) {
        return material->GetTransparency() <= 0.3 ? 3 : 0;
    }
    if (!material->IsOpaque()) {
        return 0;
    }
    return material->IsFullyTransparent() ? 3 : 2;
}

void CShadowVolumeWalker::WalkComponent(CComponent& component, const CTransformation& transform, int depth)
{
    if (depth > kMaxDepth) {
        return;
    }
    const CTransformation* t = transform.IsIdentity() ? nullptr : &transform;
    const std::size_t sections = m_sections.size();
    auto* section = dynamic_cast<CSectionPlane*>(component.GetActiveSectionPlane());
    const CRenderingOptions* options = m_view->GetRenderingOptions();
    if (section != nullptr && section->GetParent() == &component && options != nullptr &&
        (options->GetSectionFlags() & CRenderingOptions::kSectionCutsShown) != 0) {
        CPlane3d plane = section->GetPlane();
        if (t != nullptr) {
            t->TransformPlane(plane);
        }
        m_sections.push_back(plane);
    }
    // Around a closed solid the faces on both sides of an edge extrude it alike: one quad
    // does for both. The single walls count a pixel once per solid, not once per face,
    // which the depth-fail caps and the eye count (both per face) would not match.
    const bool closedSolid = renderingflags::OptimizeComponents && m_sections.empty() && !m_context.zFail &&
                             !m_context.countEyeInside && component.IsClosedSolid();
    const std::vector<CDrawingElement*>& entities = component.GetEntityList();
    for (CDrawingElement* entity : entities) {
        if (entity->GetTypeId() == kTypeFace) {
            auto* face = static_cast<CFace*>(entity);
            const int shadowClass = GetShadowClass(m_view, *face, m_context.light);
            face->SetFlagBits(kShadowModeMask | CTerminatorFaces::kClassMask, false);
            face->SetFlagBits(static_cast<std::uint32_t>(shadowClass) << kShadowModeShift, true);
        }
    }
    for (CDrawingElement* entity : entities) {
        if (entity->GetTypeId() == kTypeFace && entity->IsShown(m_view)) {
            CTerminatorFaces::Classify(static_cast<CFace&>(*entity), t, m_context.light);
        }
    }
    // The edges count first; the faces read and use up their counters.
    for (CDrawingElement* entity : entities) {
        if (entity->GetTypeId() != kTypeEdge) {
            continue;
        }
        auto& edge = static_cast<CEdge&>(*entity);
        if (!CountEdge(edge, t) && m_context.fromEdges && edge.CastsShadows() && edge.IsShown(m_view)) {
            EmitEdgeSlab(edge, t);
        }
    }
    for (CDrawingElement* entity : entities) {
        const int type = entity->GetTypeId();
        if (type == kTypeFace) {
            auto* face = static_cast<CFace*>(entity);
            const int shadowClass = GetShadowMode(*face);
            if (shadowClass >= 2) {
                EmitFace(*face, shadowClass, t, closedSolid);
            }
        } else if (type == kTypeComponentInstance || type == kTypeGroup) {
            auto* instance = static_cast<CComponentInstance*>(entity);
            if (instance->GetDefinition() != nullptr && instance->CastsShadows() && instance->IsShown(m_view)) {
                WalkComponent(*instance->GetDefinition(),
                              transform * instance->GetShadowTransform(LightIn(transform, m_context.light)),
                              depth + 1);
            }
        }
    }
    m_sections.resize(sections);
}

bool CShadowVolumeWalker::CutBySections(CFacePolygon& polygon) const
{
    for (const CPlane3d& plane : m_sections) {
        if (polygon.GetPlane().IsEqual(plane, false, 0.001) || !polygon.ClipByPlane(plane)) {
            return false;
        }
    }
    return true;
}

bool CShadowVolumeWalker::CountEdge(CEdge& edge, const CTransformation* transform)
{
    m_facingCounts[&edge] = 0;
    if (edge.GetStartVertex() == nullptr || edge.GetEndVertex() == nullptr) {
        return false;
    }
    const CPoint3d start = WorldPoint(edge.GetStartVertex()->GetPosition(), transform);
    const CPoint3d end = WorldPoint(edge.GetEndVertex()->GetPosition(), transform);
    CPlane3d side;
    CVector3d direction;
    const bool hasPlane = GetEdgeSidePlane(start, end, m_context, side, direction);
    CVector3d d = end - start;
    d.Normalize();
    int count = 0;
    bool casting = false;
    CEdgeUse* first = edge.GetFirstEdgeUse();
    for (CEdgeUse* use = first; use != nullptr;) {
        const CFace* face = use->GetFace();
        if (face != nullptr && GetShadowMode(*face) != 0) {
            casting = true;
            if (hasPlane) {
                const CVector3d n = WorldPlane(*face, transform).GetNormal();
                CVector3d across = n.CrossProduct(use->IsReversed() ? -d : d);
                across.Normalize();
                count += DotProduct(across, side.GetNormal()) > 0.0 ? 1 : -1;
            }
        }
        use = use->GetNextAroundEdge();
        if (use == first) {
            break;
        }
    }
    m_facingCounts[&edge] = count;
    return casting;
}

void CShadowVolumeWalker::EmitEdgeSlab(const CEdge& edge, const CTransformation* transform)
{
    CPoint3d start = WorldPoint(edge.GetStartVertex()->GetPosition(), transform);
    CPoint3d end = WorldPoint(edge.GetEndVertex()->GetPosition(), transform);
    CPlane3d side;
    CVector3d eyeVector;
    if (!GetEdgeSidePlane(start, end, m_context, side, eyeVector)) {
        return;
    }
    CVector3d d = end - start;
    d.Normalize();
    if (DotProduct(m_context.light.CrossProduct(eyeVector), d) < 0.0) {
        std::swap(start, end);
        d = -d;
    }
    CVector3d offset = m_context.light.CrossProduct(d);
    offset.Normalize();
    offset *= m_view->PixelsToModelLength(1.0, start + (end - start) * 0.5);
    const CPoint3d corners[5] = {start + offset, end + offset, end + (-offset), start + (-offset), start + offset};
    CPoint3d far[5];
    for (int i = 0; i < 5; ++i) {
        CPoint3d quad[4];
        if (!AddExtrudedQuad(corners[i], corners[i], m_context.light, m_context.floor, quad)) {
            return;
        }
        far[i] = quad[1];
    }
    const GLboolean offsetOn = glIsEnabled(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_CULL_FACE);
    for (const bool front : {true, false}) {
        glCullFace(front ? GL_BACK : GL_FRONT);
        glStencilOp(GL_KEEP, GL_KEEP, front ? GL_INCR : GL_DECR);
        glBegin(GL_QUADS);
        for (int i = 0; i < 4; ++i) {
            glVertex3d(corners[i].x, corners[i].y, corners[i].z);
        }
        glEnd();
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i < 5; ++i) {
            glVertex3d(corners[i].x, corners[i].y, corners[i].z);
            glVertex3d(far[i].x, far[i].y, far[i].z);
        }
        glEnd();
    }
    glDisable(GL_CULL_FACE);
    if (offsetOn) {
        glEnable(GL_POLYGON_OFFSET_FILL);
    }
}

void CShadowVolumeWalker::EmitFace(CFace& face, int shadowClass, const CTransformation* transform, bool closedSolid)
{
    CFacePolygon polygon;
    polygon.Build(face, transform, false, m_view);
    if (polygon.GetLoopCount() == 0 || (renderingflags::UseClipPlanes && !CutBySections(polygon))) {
        return;
    }
    const CPlane3d& plane = polygon.GetPlane();
    const CVector3d n = plane.GetNormal();
    const double nl = DotProduct(n, m_context.light);
    for (int loop = 0; loop < polygon.GetLoopCount(); ++loop) {
        for (int i = 0; i < polygon.LoopPointCount(loop); ++i) {
            CPoint3d p;
            CPoint3d q;
            CEdgeUse* use = polygon.GetLoopEdge(loop, i, p, q);
            CEdge* edge = use != nullptr ? use->GetEdge() : nullptr;
            bool facesEye = false;
            if (edge != nullptr) {
                const auto found = m_facingCounts.find(edge);
                const std::int32_t count = found != m_facingCounts.end() ? found->second : 0;
                if (count == 0) {
                    continue;
                }
                facesEye = count > 0;
                found->second = closedSolid ? 0 : (count > 0 ? count - 1 : count + 1);
            } else {
                CPlane3d side;
                CVector3d direction;
                if (!GetEdgeSidePlane(p, q, m_context, side, direction)) {
                    continue;
                }
                CVector3d d = q - p;
                d.Normalize();
                CVector3d across = n.CrossProduct(d);
                across.Normalize();
                facesEye = DotProduct(across, side.GetNormal()) > 0.0;
            }
            CPoint3d quad[4];
            if (AddExtrudedQuad(p, q, m_context.light, m_context.floor, quad)) {
                AddQuad(quad, facesEye, nl >= 0.0);
            }
        }
    }
    if (m_context.zFail || shadowClass == 3) {
        // A face lies outside its own volume: its near cap is pushed behind the face, so
        // that where the face itself is seen the cap counts with the rest of the volume
        // behind it, not as a piece in front (which a shared depth would leave to chance).
        GLfloat factor = 0.0F;
        GLfloat units = 0.0F;
        glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
        glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
        const GLboolean offsetOn = glIsEnabled(GL_POLYGON_OFFSET_FILL);
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(factor + 2.0F, units + 2.0F);
        SetShadowVolumeStencilOp(m_context, FacesEye(plane, m_context) == (nl < 0.0));
        polygon.Draw(false);
        glPolygonOffset(factor, units);
        if (offsetOn) {
            glEnable(GL_POLYGON_OFFSET_FILL);
        } else {
            glDisable(GL_POLYGON_OFFSET_FILL);
        }
    }
    if (m_context.zFail) {
        SetShadowVolumeStencilOp(m_context, DotProduct(m_context.light, m_context.floor.GetNormal()) > 0.0);
        double matrix[16];
        MakePlanarShadowMatrix(m_context.floor, -m_context.light, 0.0, matrix);
        glPushMatrix();
        glMultMatrixd(matrix);
        polygon.Draw(false);
        glPopMatrix();
    }
    if (m_context.countEyeInside && HoldsEye(polygon, m_context)) {
        ++m_context.eyeInsideCount;
    }
}

void CShadowVolumeWalker::AddQuad(const CPoint3d quad[4], bool facesEye, bool reverse)
{
    std::vector<double>& run = facesEye ? m_facing : m_away;
    for (int k = 0; k < 4; ++k) {
        const CPoint3d& p = quad[reverse ? 3 - k : k];
        run.insert(run.end(), {p.x, p.y, p.z});
    }
}

void CShadowVolumeWalker::FlushQuads()
{
    const GLboolean offsetOn = glIsEnabled(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glEnableClientState(GL_VERTEX_ARRAY);
    for (const bool facesEye : {true, false}) {
        std::vector<double>& run = facesEye ? m_facing : m_away;
        if (!run.empty()) {
            SetShadowVolumeStencilOp(m_context, facesEye);
            glVertexPointer(3, GL_DOUBLE, 0, run.data());
            glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(run.size() / 3));
        }
        run.clear();
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    if (offsetOn) {
        glEnable(GL_POLYGON_OFFSET_FILL);
    }
}
