#include "render/shadowvolumecontext.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "annotations/sectionclipstack.h"
#include "document/component.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "drawapi/renderingflags.h"
#include "foundation/framemeter.h"
#include "drawapi/tarnisview.h"
#include "render/viewdefinition.h"

namespace {

constexpr double kTolerance = 0.001;

bool IsParallel(const CVector3d& u, const CVector3d& v)
{
    const double lu = u.GetLength();
    const double lv = v.GetLength();
    if (lu == 0.0 || lv == 0.0) {
        return true;
    }
    return u.CrossProduct(v).GetLength() / (lu * lv) < kTolerance;
}

}  // namespace

ShadowVolumeContext::ShadowVolumeContext()
    : singlePass(renderingflags::SinglePassVolumes),
      eliminateNonProfileEdges(renderingflags::EliminateNonProfileEdges),
      transparentCanCast(renderingflags::TransparentCanCast),
      m_savedSuppression(AreClipPlanesSuppressed())
{
}

ShadowVolumeContext::~ShadowVolumeContext()
{
    SuppressClipPlanes(m_savedSuppression);
}

void ShadowVolumeContext::SetCamera(ITarnisView* view)
{
    const CViewDefinition& definition = view->GetViewDefinition();
    eye = definition.GetEye();
    viewDirection = definition.GetViewDirection();
    viewDirection.Normalize();
    perspective = definition.IsPerspective();
    nearDistance = definition.GetUsedNear();
}

void ShadowVolumeContext::Init(ITarnisView* view, CShadowInfo* info, bool eightStencilBits, bool seeThrough,
                               bool eyeAboveGround)
{
    shadowInfo = info;
    SetCamera(view);
    fromEdges = info != nullptr && info->IsFromEdges();
    volumesEnabled = info != nullptr && info->IsOnFaces() && eightStencilBits && !seeThrough;
    if (!volumesEnabled) {
        return;
    }
    CBoundingBox3d bounds;
    CTarnwickModel* model = view->GetModel();
    if (CComponent* root = model != nullptr ? model->GetRootComponent() : nullptr) {
        root->GetBounds(bounds, false);
    }
    bool hit = false;
    if (!bounds.IsEmpty()) {
        CPoint3d point;
        int face = 0;
        hit = GetEyeToSunRay().IntersectBox(bounds, point, face);
    }
    const int method = renderingflags::ShadowVolumeMethod;
    zFail = method == renderingflags::kCarmackReverseAlways ||
            (method == renderingflags::kCarmackReverseWhenInside && hit);
    countEyeInside = !zFail && hit;
    if (zFail) {
        // The far caps close the volumes; a section plane cutting them open would count
        // every pixel behind the cut as shadowed.
        SuppressClipPlanes(true);
    }
    double lowest = std::min(0.0, bounds.IsEmpty() ? 0.0 : bounds.zmin);
    if (!eyeAboveGround) {
        lowest = std::min(lowest, eye.z);
    }
    floor.Set(0.0, 0.0, 1.0, -(lowest - 1.0));
}

void ShadowVolumeContext::InitForGround(ITarnisView* view, CShadowInfo* info, bool flag)
{
    shadowInfo = info;
    SetCamera(view);
    ground = info != nullptr && (info->IsOnGround() || (info->IsDisplayShadows() && flag));
    fromEdges = info != nullptr && info->IsFromEdges();
}

CLine3d ShadowVolumeContext::GetEyeToSunRay() const
{
    return {eye, CUnitVector3d(-light)};
}

void SetShadowVolumeStencilOp(const ShadowVolumeContext& context, bool facesEye)
{
    if (context.zFail) {
        glStencilOp(GL_KEEP, facesEye ? GL_DECR : GL_INCR, GL_KEEP);
    } else {
        glStencilOp(GL_KEEP, GL_KEEP, facesEye ? GL_INCR : GL_DECR);
    }
}

bool AddExtrudedQuad(const CPoint3d& start, const CPoint3d& end, const CVector3d& light, const CPlane3d& plane,
                     CPoint3d quad[4])
{
    const double along = plane.a * light.x + plane.b * light.y + plane.c * light.z;
    if (std::abs(along) < 1e-12) {
        return false;
    }
    const auto project = [&](const CPoint3d& p) { return p + light * (-plane.GetSignedDistance(p) / along); };
    quad[0] = start;
    quad[1] = project(start);
    quad[2] = project(end);
    quad[3] = end;
    return true;
}

bool ClipSegmentAbovePlane(CPoint3d& a, CPoint3d& b, const CPlane3d& plane)
{
    const double da = plane.GetSignedDistance(a);
    const double db = plane.GetSignedDistance(b);
    if (da >= -kTolerance && db >= -kTolerance) {
        return true;
    }
    if (da < -kTolerance && db < -kTolerance) {
        return false;
    }
    const double t = da / (da - db);
    const CPoint3d cut = a + (b - a) * t;
    (da < -kTolerance ? a : b) = cut;
    return true;
}

bool GetEdgeSidePlane(const CPoint3d& a, const CPoint3d& b, const ShadowVolumeContext& context, CPlane3d& plane,
                      CVector3d& direction)
{
    const CVector3d edge = b - a;
    if (IsParallel(edge, context.light)) {
        return false;
    }
    CVector3d normal = context.light.CrossProduct(edge);
    normal.Normalize();
    plane = CPlane3d(a, normal);
    if (context.perspective) {
        const CPoint3d middle = a + edge * 0.5;
        direction = middle - context.eye;
        direction.Normalize();
        const double side = plane.GetSignedDistance(context.eye);
        if (std::abs(side) < kTolerance) {
            return false;
        }
        if (side > 0.0) {
            plane.Reverse();
        }
        return true;
    }
    direction = context.viewDirection;
    if (IsParallel(context.light, context.viewDirection)) {
        return false;
    }
    if (DotProduct(normal, context.viewDirection) < 0.0) {
        plane.Reverse();
    }
    return true;
}

namespace {

// The slab's top corners (start + o, end + o, end - o, start - o) and below them their
// projections onto the plane.
bool GetSlabCorners(const CPoint3d& start, const CPoint3d& end, const CVector3d& light, const CPlane3d& plane,
                    double halfWidth, CPoint3d top[4], CPoint3d bottom[4])
{
    CVector3d offset = light.CrossProduct(end - start);
    if (offset.GetLength() == 0.0) {
        return false;
    }
    offset.Normalize();
    offset *= halfWidth;
    top[0] = start + offset;
    top[1] = end + offset;
    top[2] = end + (-offset);
    top[3] = start + (-offset);
    for (int i = 0; i < 4; ++i) {
        CPoint3d quad[4];
        if (!AddExtrudedQuad(top[i], top[i], light, plane, quad)) {
            return false;
        }
        bottom[i] = quad[1];
    }
    return true;
}

void Vertex(const CPoint3d& p)
{
    glVertex3d(p.x, p.y, p.z);
}

}  // namespace

bool EmitEdgeShadowQuad(const CPoint3d& start, const CPoint3d& end, const CVector3d& light, const CPlane3d& plane,
                        double halfWidth)
{
    CPoint3d top[4];
    CPoint3d bottom[4];
    if (!GetSlabCorners(start, end, light, plane, halfWidth, top, bottom)) {
        return false;
    }
    // The top faces the light; the bottom, the same corners the other way round, away.
    for (int i = 0; i < 4; ++i) {
        Vertex(top[i]);
    }
    for (int i = 3; i >= 0; --i) {
        Vertex(bottom[i]);
    }
    for (int i = 0; i < 4; ++i) {
        const int next = (i + 1) % 4;
        Vertex(top[i]);
        Vertex(bottom[i]);
        Vertex(bottom[next]);
        Vertex(top[next]);
    }
    return true;
}

bool DrawEdgeShadowQuad(const CPoint3d& start, const CPoint3d& end, const CVector3d& light, const CPlane3d& plane,
                        double halfWidth)
{
    CPoint3d top[4];
    CPoint3d bottom[4];
    if (!GetSlabCorners(start, end, light, plane, halfWidth, top, bottom)) {
        return false;
    }
    const GLboolean offsetOn = glIsEnabled(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        Vertex(top[i]);
    }
    for (int i = 3; i >= 0; --i) {
        Vertex(bottom[i]);
    }
    glEnd();
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= 4; ++i) {
        Vertex(top[i % 4]);
        Vertex(bottom[i % 4]);
    }
    glEnd();
    (void)CFrameMeter::Charge(18 * CFrameMeter::kVertexCost);
    if (offsetOn) {
        glEnable(GL_POLYGON_OFFSET_FILL);
    }
    return true;
}

void DrawCachedEdgeShadows(ITarnisView* view, const std::vector<CPoint3d>& segments, const CVector3d& light,
                           const CPlane3d& plane)
{
    for (std::size_t i = 0; i + 1 < segments.size(); i += 2) {
        const CPoint3d middle = segments[i] + (segments[i + 1] - segments[i]) * 0.5;
        (void)DrawEdgeShadowQuad(segments[i], segments[i + 1], light, plane, view->PixelsToModelLength(1.0, middle));
    }
}

void MakePlanarShadowMatrix(const CPlane3d& plane, const CVector3d& light, double w, double matrix[16])
{
    const double p[4] = {plane.a, plane.b, plane.c, plane.d};
    const double l[4] = {light.x, light.y, light.z, w};
    const double dot = p[0] * l[0] + p[1] * l[1] + p[2] * l[2] + p[3] * l[3];
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            matrix[column * 4 + row] = (row == column ? dot : 0.0) - l[row] * p[column];
        }
    }
}
