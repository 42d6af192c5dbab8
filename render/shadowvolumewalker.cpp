#include "render/shadowvolumewalker.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "annotations/sectionplane.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/material.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "drawapi/renderingflags.h"
#include "foundation/framemeter.h"
#include "drawapi/tarnisview.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/vertex.h"
#include "render/clipvolume.h"
#include "render/facepolygon.h"
#include "render/shadowvolumecontext.h"
#include "render/tarnisview.h"
#include "render/terminatorfaces.h"

namespace {

// Every depth a model may nest casts; a component that places itself ends the walk here.
constexpr int kMaxDepth = CComponent::kMaxNestingDepth;
// Coordinates of one side quad in a run.
constexpr std::size_t kQuadValues = 12;
// Entities walked between two looks at the quit request.
constexpr unsigned kPollMask = 0xFFF;

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

CVector3d WorldNormal(const CEdgeUse& use, const CTransformation* transform)
{
    const CVector3d n = WorldPlane(*use.GetFace(), transform).GetNormal();
    return use.IsReversed() ? -n : n;
}

// Calls visit for each use of the edge, in the order of its ring.
template <class Visit>
void ForEachUse(const CEdge& edge, Visit visit)
{
    CEdgeUse* first = edge.GetFirstEdgeUse();
    for (CEdgeUse* use = first; use != nullptr;) {
        visit(*use);
        use = use->GetNextAroundEdge();
        if (use == first) {
            break;
        }
    }
}

// The direction across the segment d into its face, for a loop running round the normal
// n as a face's loops do; a mirroring transformation turns the loops the other way.
CVector3d Inward(const CVector3d& n, const CVector3d& d, const CTransformation* transform)
{
    const CVector3d across = n.CrossProduct(d);
    return transform != nullptr && transform->IsMirrored() ? -across : across;
}

bool IsCasting(const CEdgeUse& use)
{
    const CFace* face = use.GetFace();
    return face != nullptr && GetShadowMode(*face) != 0;
}

// The profile test with the light in place of the line of sight: the faces of the edge
// all turn the same way to the light. The notes the drawing pass keeps on the edges are
// about the eye, so every face is asked.
bool IsProfileFromLight(const CEdge& edge, const CPoint3d& start, const CPoint3d& end, const CVector3d& light,
                        const CTransformation* transform)
{
    const CEdgeUse* first = edge.GetFirstEdgeUse();
    if (first == nullptr || first->GetNextAroundEdge() == nullptr || first->GetNextAroundEdge() == first) {
        return true;
    }
    const CVector3d d = end - start;
    const double dd = DotProduct(d, d);
    const CVector3d c = light.CrossProduct(d);
    if (dd == 0.0 || DotProduct(c, c) == 0.0) {
        return false;
    }
    int reference = 0;
    bool profile = true;
    ForEachUse(edge, [&](const CEdgeUse& use) {
        if (use.GetFace() == nullptr) {
            return;
        }
        const double side = DotProduct(WorldNormal(use, transform).CrossProduct(d), c) / dd;
        if (std::abs(side) < 0.001) {
            return;
        }
        const int sign = side > 0.0 ? 1 : -1;
        if (reference == 0) {
            reference = sign;
        } else if (sign != reference) {
            profile = false;
        }
    });
    return profile;
}

bool IsAlongLight(const CPoint3d& start, const CPoint3d& end, const CVector3d& light)
{
    const CVector3d d = end - start;
    const double length = d.GetLength() * light.GetLength();
    return length == 0.0 || d.CrossProduct(light).GetLength() / length < 0.001;
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
    m_largestBatch = 0;
    m_facing.reserve(kBatchQuads * kQuadValues);
    m_away.reserve(kBatchQuads * kQuadValues);
    WalkComponent(root, CTransformation(), 0);
    FlushQuads();
    m_facingCounts.clear();
}

bool CShadowVolumeWalker::IsAbandoned()
{
    if ((++m_polls & kPollMask) != 0) {
        return false;
    }
    // The classifying and counting walks charge the meter nothing, so it would not look
    // for input while they run: a key or a quit would wait for them over a large model.
    CFrameMeter::LookForInputNow();
    return m_view->IsFrameAbandoned();
}

int CShadowVolumeWalker::GetShadowClass(ITarnisView* view, const CFace& face, const CVector3d& light,
                                        bool transparentCanCast, bool faceMe)
{
    if (!face.IsShown(view) || !face.CastsShadows()) {
        return 0;
    }
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (options != nullptr && options->IsTransparentDisplay()) {
        return 1;
    }
    if (faceMe && renderingflags::FixFaceMeShadows) {
        return 3;
    }
    const bool lightSideFront = DotProduct(face.GetNormal(), light) < 0.0;
    const CMaterial* material = face.GetSideMaterial(view, lightSideFront, nullptr);
    if (material == nullptr) {
        return 2;
    }
    if (options != nullptr && options->IsEnableTransparency() && material->IsTransparent()) {
        return transparentCanCast && material->GetTransparency() <= 0.3 ? 3 : 0;
    }
    if (!material->IsOpaque()) {
        return 0;
    }
    return material->IsFullyTransparent() ? 3 : 2;
}

bool CShadowVolumeWalker::PassesCastingTest(ITarnisView* view, const CEdge& edge, const CPoint3d& start,
                                            const CPoint3d& end, const CVector3d& light,
                                            const CTransformation* transform, bool transparentCanCast)
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (options == nullptr) {
        return true;
    }
    if (!options->IsTransparentDisplay() && options->IsEnableTransparency() && options->GetEdgeColorMode() == 0) {
        const CMaterial* material = edge.GetDisplayMaterial(view);
        if (material != nullptr && material->IsTransparent() &&
            (!transparentCanCast || material->GetTransparency() > 0.3)) {
            return false;
        }
    }
    if (edge.IsSelected() || options->IsShowHiddenGeometry()) {
        return true;
    }
    if (edge.IsSoft() && options->IsHideSoftEdges()) {
        return IsProfileFromLight(edge, start, end, light, transform);
    }
    return true;
}

bool CShadowVolumeWalker::ClipSegmentByPlanes(CPoint3d& start, CPoint3d& end, const std::vector<CPlane3d>& planes)
{
    CPoint3d a = start;
    CPoint3d b = end;
    for (const CPlane3d& plane : planes) {
        if (!ClipSegmentAbovePlane(a, b, plane)) {
            return false;
        }
    }
    if ((b - a).GetLength() < 0.001) {
        return false;
    }
    start = a;
    end = b;
    return true;
}

void CShadowVolumeWalker::AddActiveSection(ITarnisView* view, CComponent& component,
                                           const CTransformation* transform, std::vector<CPlane3d>& planes)
{
    auto* section = dynamic_cast<CSectionPlane*>(component.GetActiveSectionPlane());
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (section == nullptr || section->GetParent() != &component || options == nullptr ||
        (options->GetSectionFlags() & CRenderingOptions::kSectionCutsShown) == 0) {
        return;
    }
    CPlane3d plane = section->GetPlane();
    if (transform != nullptr) {
        transform->TransformPlane(plane);
    }
    planes.push_back(plane);
}

void CShadowVolumeWalker::WalkComponent(CComponent& component, const CTransformation& transform, int depth)
{
    if (depth > kMaxDepth || m_view->IsFrameAbandoned()) {
        return;
    }
    const CTransformation* t = transform.IsIdentity() ? nullptr : &transform;
    const std::size_t sections = m_sections.size();
    AddActiveSection(m_view, component, t, m_sections);
    // Around a closed solid the faces on both sides of an edge extrude it alike: one quad
    // does for both. The single walls count a pixel once per solid, not once per face,
    // which the depth-fail caps and the eye count (both per face) would not match.
    const bool closedSolid = renderingflags::OptimizeComponents && m_sections.empty() && !m_context.zFail &&
                             !m_context.countEyeInside && component.IsClosedSolid();
    const std::vector<CDrawingElement*>& entities = component.GetEntityList();
    for (CDrawingElement* entity : entities) {
        if (IsAbandoned()) {
            break;
        }
        if (entity->GetTypeId() == kTypeFace) {
            auto* face = static_cast<CFace*>(entity);
            const int shadowClass = ClassifyFace(*face, t);
            face->SetFlagBits(kShadowModeMask | CTerminatorFaces::kClassMask, false);
            face->SetFlagBits(static_cast<std::uint32_t>(shadowClass) << kShadowModeShift, true);
        }
    }
    for (CDrawingElement* entity : entities) {
        if (IsAbandoned()) {
            break;
        }
        if (entity->GetTypeId() == kTypeFace && entity->IsShown(m_view)) {
            CTerminatorFaces::Classify(static_cast<CFace&>(*entity), t, m_context.light);
        }
    }
    // The edges count first; the faces read and use up their counters.
    for (CDrawingElement* entity : entities) {
        if (entity->GetTypeId() != kTypeEdge) {
            continue;
        }
        if (IsAbandoned()) {
            break;
        }
        auto& edge = static_cast<CEdge&>(*entity);
        if (!CountEdge(edge, t)) {
            EmitLoneEdge(edge, t);
        }
    }
    for (CDrawingElement* entity : entities) {
        if (IsAbandoned()) {
            break;
        }
        const int type = entity->GetTypeId();
        if (type == kTypeFace) {
            auto* face = static_cast<CFace*>(entity);
            const int shadowClass = GetShadowMode(*face);
            if (shadowClass >= 2) {
                EmitFace(*face, shadowClass, t, closedSolid);
            }
        } else if (type == kTypeComponentInstance || type == kTypeGroup) {
            WalkInstance(static_cast<CComponentInstance&>(*entity), transform, depth);
        }
    }
    m_sections.resize(sections);
}

void CShadowVolumeWalker::WalkInstance(CComponentInstance& instance, const CTransformation& transform, int depth)
{
    CTransformation placed;
    CComponentDefinition* definition =
        PlaceCaster(m_view, instance, transform, m_context.light, m_context.floor, placed);
    if (definition == nullptr) {
        return;
    }
    const bool faceMe = m_context.faceMeShadowClass;
    m_context.faceMeShadowClass = faceMe || instance.FacesCamera();
    WalkComponent(*definition, placed, depth + 1);
    m_context.faceMeShadowClass = faceMe;
}

CComponentDefinition* CShadowVolumeWalker::PlaceCaster(ITarnisView* view, CComponentInstance& instance,
                                                       const CTransformation& transform, const CVector3d& light,
                                                       const CPlane3d& floor, CTransformation& placed)
{
    CComponentDefinition* definition = instance.GetDefinition();
    if (definition == nullptr || !instance.CastsShadows() || !instance.IsShown(view)) {
        return nullptr;
    }
    placed = transform * instance.GetShadowTransform(LightIn(transform, light));
    // Sunk into the floor, its shadow would start inside itself.
    CBoundingBox3d bounds;
    definition->GetBounds(bounds, false);
    return !bounds.IsEmpty() && floor.IsBoxPartlyBelow(placed * bounds) ? nullptr : definition;
}

int CShadowVolumeWalker::ClassifyFace(const CFace& face, const CTransformation* transform) const
{
    const int shadowClass =
        GetShadowClass(m_view, face, m_context.light, m_context.transparentCanCast, m_context.faceMeShadowClass);
    if (shadowClass == 0 || m_sections.empty() || !renderingflags::UseClipPlanes) {
        return shadowClass;
    }
    CFacePolygon polygon;
    polygon.Build(face, transform, false, m_view);
    return CutBySections(polygon) ? shadowClass : 0;
}

bool CShadowVolumeWalker::CutBySections(CFacePolygon& polygon, bool coplanarCasts) const
{
    for (const CPlane3d& plane : m_sections) {
        if ((!coplanarCasts && polygon.GetPlane().IsEqual(plane, false, 0.001)) || !polygon.ClipByPlane(plane)) {
            return false;
        }
    }
    return true;
}

bool CShadowVolumeWalker::CountEdge(CEdge& edge, const CTransformation* transform)
{
    std::int32_t& count = m_facingCounts[&edge];
    count = 0;
    bool casting = false;
    ForEachUse(edge, [&](const CEdgeUse& use) { casting = casting || IsCasting(use); });
    if (!casting || edge.GetStartVertex() == nullptr || edge.GetEndVertex() == nullptr) {
        return casting;
    }
    const CPoint3d start = WorldPoint(edge.GetStartVertex()->GetPosition(), transform);
    const CPoint3d end = WorldPoint(edge.GetEndVertex()->GetPosition(), transform);
    if (IsAlongLight(start, end, m_context.light)) {
        return true;
    }
    if (m_context.singlePass) {
        CPlane3d side;
        CVector3d direction;
        if (!GetEdgeSidePlane(start, end, m_context, side, direction)) {
            return true;
        }
        CVector3d d = end - start;
        d.Normalize();
        ForEachUse(edge, [&](const CEdgeUse& use) {
            if (IsCasting(use)) {
                CVector3d across = Inward(WorldNormal(use, transform), d, transform);
                across.Normalize();
                count += DotProduct(across, side.GetNormal()) > 0.0 ? 1 : -1;
            }
        });
        return true;
    }
    const CVector3d c = m_context.light.CrossProduct(end - start);
    if (c.x == 0.0 && c.y == 0.0 && c.z == 0.0) {
        return true;
    }
    ForEachUse(edge, [&](const CEdgeUse& use) {
        if (IsCasting(use)) {
            const double side = DotProduct(WorldNormal(use, transform).CrossProduct(end - start), c);
            count += side > 0.0 ? 1 : (side < 0.0 ? -1 : 0);
        }
    });
    return true;
}

void CShadowVolumeWalker::EmitLoneEdge(const CEdge& edge, const CTransformation* transform)
{
    if (!m_context.fromEdges || !edge.CastsShadows() || edge.GetStartVertex() == nullptr ||
        edge.GetEndVertex() == nullptr || !edge.IsShown(m_view)) {
        return;
    }
    CPoint3d start = WorldPoint(edge.GetStartVertex()->GetPosition(), transform);
    CPoint3d end = WorldPoint(edge.GetEndVertex()->GetPosition(), transform);
    if (IsAlongLight(start, end, m_context.light) ||
        !PassesCastingTest(m_view, edge, start, end, m_context.light, transform, m_context.transparentCanCast) ||
        (renderingflags::UseClipPlanes && !ClipSegmentByPlanes(start, end, m_sections))) {
        return;
    }
    if (m_context.singlePass) {
        EmitEdgeSlab(start, end);
    } else if (m_context.collectEdges && m_context.shadowInfo != nullptr) {
        std::vector<CPoint3d>& segments = m_context.shadowInfo->GetScratchList();
        segments.push_back(start);
        segments.push_back(end);
    } else {
        const CPoint3d middle = start + (end - start) * 0.5;
        (void)DrawEdgeShadowQuad(start, end, m_context.light, m_context.floor,
                                 m_view->PixelsToModelLength(1.0, middle));
    }
}

// Thin enough to stay inside its pixel, the slab is counted by its front and its back
// as any volume; it has no far cap, which lies below everything that receives shadows.
void CShadowVolumeWalker::EmitEdgeSlab(CPoint3d start, CPoint3d end)
{
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
        (void)CFrameMeter::Charge(14 * CFrameMeter::kVertexCost);
    }
    glDisable(GL_CULL_FACE);
    if (offsetOn) {
        glEnable(GL_POLYGON_OFFSET_FILL);
    }
}

void CShadowVolumeWalker::DrawCap(CFacePolygon& polygon, bool reverse)
{
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
    polygon.Draw(reverse);
    (void)CFrameMeter::Charge(polygon.GetPoints().size() * CFrameMeter::kVertexCost);
    glPolygonOffset(factor, units);
    if (offsetOn) {
        glEnable(GL_POLYGON_OFFSET_FILL);
    } else {
        glDisable(GL_POLYGON_OFFSET_FILL);
    }
}

void CShadowVolumeWalker::EmitFace(CFace& face, int shadowClass, const CTransformation* transform, bool closedSolid)
{
    if (!m_context.singlePass) {
        EmitFaceTwoPass(face, shadowClass, transform);
        return;
    }
    CFacePolygon polygon;
    polygon.Build(face, transform, false, m_view);
    if (polygon.GetLoopCount() == 0 || (renderingflags::UseClipPlanes && !CutBySections(polygon))) {
        return;
    }
    const CPlane3d& plane = polygon.GetPlane();
    const CVector3d n = plane.GetNormal();
    const double nl = DotProduct(n, m_context.light);
    const bool counterMode = m_context.eliminateNonProfileEdges || closedSolid;
    for (int loop = 0; loop < polygon.GetLoopCount(); ++loop) {
        for (int i = 0; i < polygon.LoopPointCount(loop); ++i) {
            CPoint3d p;
            CPoint3d q;
            CEdgeUse* use = polygon.GetLoopEdge(loop, i, p, q);
            CEdge* edge = use != nullptr ? use->GetEdge() : nullptr;
            bool facesEye = false;
            if (edge != nullptr && counterMode) {
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
                CVector3d across = Inward(n, d, transform);
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
        SetShadowVolumeStencilOp(m_context, FacesEye(plane, m_context) == (nl < 0.0));
        DrawCap(polygon, false);
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

// Every piece faces out of the face's volume: the side quads as the loop runs when the
// face's front is toward the light, the other way round when its back is (or when the
// instance mirrors, which turns the loops).
void CShadowVolumeWalker::EmitFaceTwoPass(CFace& face, int shadowClass, const CTransformation* transform)
{
    CFacePolygon polygon;
    polygon.Build(face, transform, false, m_view);
    const CVector3d n = polygon.GetPlane().GetNormal();
    const double nl = DotProduct(n, m_context.light);
    if (nl == 0.0 || polygon.GetLoopCount() == 0 ||
        (renderingflags::UseClipPlanes && !CutBySections(polygon, true))) {
        return;
    }
    const bool reverse = (nl > 0.0) != (transform != nullptr && transform->IsMirrored());
    for (int loop = 0; loop < polygon.GetLoopCount(); ++loop) {
        for (int i = 0; i < polygon.LoopPointCount(loop); ++i) {
            CPoint3d p;
            CPoint3d q;
            CEdgeUse* use = polygon.GetLoopEdge(loop, i, p, q);
            const CEdge* edge = use != nullptr ? use->GetEdge() : nullptr;
            if (edge != nullptr) {
                const auto found = m_facingCounts.find(edge);
                if (found == m_facingCounts.end() || found->second == 0 || edge->GetStartVertex() == nullptr ||
                    edge->GetEndVertex() == nullptr) {
                    continue;
                }
                std::int32_t& count = found->second;
                const CPoint3d start = WorldPoint(edge->GetStartVertex()->GetPosition(), transform);
                const CPoint3d end = WorldPoint(edge->GetEndVertex()->GetPosition(), transform);
                const CVector3d e = use->IsReversed() ? start - end : end - start;
                const double side = DotProduct(n.CrossProduct(e), m_context.light.CrossProduct(end - start));
                if ((side > 0.0 && count < 0) || (side < 0.0 && count > 0)) {
                    continue;
                }
                count += count > 0 ? -1 : 1;
            }
            CPoint3d quad[4];
            if (AddExtrudedQuad(p, q, m_context.light, m_context.floor, quad)) {
                // p, p', q', q started at q.
                const CPoint3d cycle[4] = {quad[3], quad[0], quad[1], quad[2]};
                AddQuad(cycle, true, reverse);
            }
        }
    }
    if (shadowClass == 3) {
        DrawCap(polygon, reverse);
    }
}

void CShadowVolumeWalker::AddQuad(const CPoint3d quad[4], bool facesEye, bool reverse)
{
    std::vector<double>& run = facesEye ? m_facing : m_away;
    for (int k = 0; k < 4; ++k) {
        const CPoint3d& p = quad[reverse ? 3 - k : k];
        run.insert(run.end(), {p.x, p.y, p.z});
    }
    if (m_facing.size() + m_away.size() >= kBatchQuads * kQuadValues) {
        FlushQuads();
    }
}

void CShadowVolumeWalker::FlushQuads()
{
    const std::size_t quads = (m_facing.size() + m_away.size()) / kQuadValues;
    if (quads == 0 || m_view->IsFrameAbandoned()) {
        m_facing.clear();
        m_away.clear();
        return;
    }
    m_largestBatch = std::max(m_largestBatch, quads);
    const GLboolean offsetOn = glIsEnabled(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glEnableClientState(GL_VERTEX_ARRAY);
    for (const bool facesEye : {true, false}) {
        std::vector<double>& run = facesEye ? m_facing : m_away;
        if (!run.empty()) {
            // Two-pass volumes are counted by the culling the pass sets.
            if (m_context.singlePass) {
                SetShadowVolumeStencilOp(m_context, facesEye);
            }
            glVertexPointer(3, GL_DOUBLE, 0, run.data());
            if (!DrawQuadPieces(run)) {
                m_facing.clear();
                m_away.clear();
                break;
            }
        }
        run.clear();
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    if (offsetOn) {
        glEnable(GL_POLYGON_OFFSET_FILL);
    }
}

bool CShadowVolumeWalker::DrawQuadPieces(const std::vector<double>& run)
{
    // Long volumes under a low sun cross much of the screen each: the quads go in pieces
    // of a few milliseconds of filling, so that a stop waits for no more.
    constexpr std::uint64_t kPieceUnits = std::uint64_t{1} << 16;
    CClipVolume volume;
    const bool counting = volume.Load();
    auto* modelView = dynamic_cast<CTarnisView*>(m_view);
    const std::size_t quads = run.size() / kQuadValues;
    std::size_t first = 0;
    while (first < quads) {
        std::uint64_t units = CFrameMeter::kDrawCallCost;
        std::size_t end = first;
        for (; end < quads && units < kPieceUnits; ++end) {
            double setups = 0.0;
            const double pixels =
                counting ? volume.CountPolygonPixels(run.data() + end * kQuadValues, 4, &setups) : 0.0;
            units += 4 * CFrameMeter::kVertexCost +
                     CFrameMeter::PixelUnits(static_cast<std::uint64_t>(setups), CFrameMeter::kVolumePixelsPerUnit) +
                     CFrameMeter::RasterUnits(pixels, CFrameMeter::kVolumePixelsPerUnit);
        }
        glDrawArrays(GL_QUADS, static_cast<GLint>(4 * first), static_cast<GLsizei>(4 * (end - first)));
        const bool goOn = CFrameMeter::Charge(units);
        if (modelView != nullptr) {
            modelView->NoteBatchDrawn();
        }
        if (!goOn) {
            return false;
        }
        first = end;
    }
    return true;
}

CVector3d CShadowVolumeWalker::LightIn(const CTransformation& transform, const CVector3d& light)
{
    CTransformation inverse;
    CVector3d local = light;
    if (transform.GetInverse(inverse)) {
        inverse.TransformVector(local);
    }
    return local;
}
