#include "render/groundshadows.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "drawapi/renderingflags.h"
#include "foundation/framemeter.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "model/vertex.h"
#include "render/facepolygon.h"
#include "render/polygonoffset.h"
#include "render/shadowvolumecontext.h"
#include "render/shadowvolumewalker.h"
#include "render/tarnisview.h"

namespace {

// Every depth a model may nest casts; a component that places itself ends there.
constexpr int kMaxDepth = CComponent::kMaxNestingDepth;
const CPlane3d kGround(0.0, 0.0, 1.0, 0.0);
// Casters a display list keeps at most: past them the list would grow with every
// instance path the model places, and the casters are drawn afresh each frame instead.
constexpr std::size_t kListCasters = 262144;
// Entities walked between two looks at the quit request.
constexpr unsigned kPollMask = 0xFFF;

// The list the shadow information holds was compiled from the model in this state, or,
// when its casters were too many for a list, none is kept for that state.
struct CompiledCasters
{
    const CShadowInfo* info = nullptr;
    unsigned list = 0;
    std::uint64_t stamp = 0;
    bool tooMany = false;
    // What drawing the casters cost the frame that compiled the list: a replay costs it again.
    std::uint64_t units = 0;
};
CompiledCasters g_compiled;

double Lightness(const CColor& color)
{
    const double r = color.GetRed();
    const double g = color.GetGreen();
    const double b = color.GetBlue();
    return (std::max({r, g, b}) + std::min({r, g, b})) / 2.0;
}

// Such components turn with the camera, so their shadows cannot be kept in a list.
bool HasInstancesFacingTheCamera(const CComponent& root)
{
    const CDefinitionList* definitions = root.GetDefinitionList();
    for (int i = 0; definitions != nullptr && i < definitions->GetCount(); ++i) {
        const auto* definition = dynamic_cast<const CComponentDefinition*>(definitions->GetAt(i));
        const auto* behavior =
            definition != nullptr ? dynamic_cast<const CComponentBehavior*>(definition->GetBehavior()) : nullptr;
        if (behavior != nullptr && behavior->AlwaysFacesCamera() && definition->GetInstanceCount() > 0) {
            return true;
        }
    }
    return false;
}

bool UsedByCastingFace(const CEdge& edge)
{
    CEdgeUse* first = edge.GetFirstEdgeUse();
    for (CEdgeUse* use = first; use != nullptr;) {
        const CFace* face = use->GetFace();
        if (face != nullptr && (face->GetFlags() & CShadowVolumeWalker::kShadowModeMask) != 0) {
            return true;
        }
        use = use->GetNextAroundEdge();
        if (use == first) {
            break;
        }
    }
    return false;
}

}  // namespace

CGroundShadows::CGroundShadows(CTarnisView& view) : m_view(view) {}

CColor CGroundShadows::GetShadowColor(const CColor& ground, int darkPercent)
{
    const double w = (darkPercent * 0.8 + 20.0) * 0.01;
    CColor shadow;
    CColor::Interpolate(ground, CColor(0, 0, 0, 255), w, shadow);
    if (Lightness(ground) < 0.1 && Lightness(shadow) < 0.1) {
        return {w, w, w, 1.0};
    }
    return shadow;
}

std::uint64_t CGroundShadows::GetModelStamp() const
{
    const CTarnwickModel* model = m_view.GetModel();
    const CUndoManager* undo = model != nullptr ? model->GetUndoManager() : nullptr;
    if (undo == nullptr) {
        return 0;
    }
    const auto& done = undo->GetUndoStack();
    const auto last = done.empty() ? 0U : reinterpret_cast<std::uintptr_t>(done.back().get());
    return (static_cast<std::uint64_t>(last) * 31U + done.size()) * 31U + undo->GetRedoStack().size();
}

void CGroundShadows::Draw(CComponent& root, bool seeThrough)
{
    CTarnwickModel* model = m_view.GetModel();
    CShadowInfo* info = model != nullptr ? model->GetShadowInfo() : nullptr;
    const CRenderingOptions* options = m_view.GetRenderingOptions();
    if (info == nullptr || options == nullptr) {
        return;
    }
    ShadowVolumeContext context;
    context.InitForGround(&m_view, info, seeThrough);
    const CVector3d& sun = info->GetSunDirection();
    if (sun.z < 0.001 || !context.ground || !m_view.IsEyeAboveGround()) {
        return;
    }
    m_fromEdges = context.fromEdges;
    m_light = -sun;
    m_view.EndPrimitive();
    double matrix[16];
    MakePlanarShadowMatrix(kGround, sun, 0.0, matrix);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixd(matrix);
    m_view.SetLighting(false);
    PushPolygonOffset(true, 3.0, 3.0);
    const CColor ground = options->IsDisplayGround() ? options->GetGroundColor() : options->GetBackgroundColor();
    m_view.SetColor(GetShadowColor(ground, info->GetDarkIntensity()));
    m_view.SetLineWidth(1.0);
    DrawCasters(root, *info);
    m_view.EndPrimitive();
    PopPolygonOffset();
    glPopMatrix();
}

void CGroundShadows::DrawCasters(CComponent& root, CShadowInfo& info)
{
    const CTarnwickModel* model = m_view.GetModel();
    const CUndoManager* undo = model != nullptr ? model->GetUndoManager() : nullptr;
    const bool editing = (undo != nullptr && undo->GetOpenOperation() != nullptr) || HasInstancesFacingTheCamera(root);
    const std::uint64_t stamp = GetModelStamp();
    const bool current = g_compiled.info == &info && g_compiled.list == info.GetDisplayList() &&
                         g_compiled.stamp == stamp;
    if (editing || (info.GetDisplayList() != 0 && !current)) {
        info.DeleteDisplayList();
    }
    if (info.GetDisplayList() != 0) {
        glCallList(info.GetDisplayList());
        (void)CFrameMeter::Charge(g_compiled.units);
        return;
    }
    const bool tooMany = g_compiled.tooMany && g_compiled.info == &info && g_compiled.stamp == stamp;
    // A transition that moves section planes drops the list at each step: compiling it
    // each time would cost the step more than drawing the casters, and the list is made
    // once the view rests.
    const unsigned list = editing || tooMany || m_view.IsAnimating() ? 0U : glGenLists(1);
    if (list != 0) {
        glNewList(list, GL_COMPILE_AND_EXECUTE);
    }
    m_list = list;
    m_listed = 0;
    const std::uint64_t before = CFrameMeter::GetUsed();
    DrawComponent(root, CTransformation(), 0);
    m_view.EndPrimitive();
    if (m_list != 0 && m_view.IsFrameAbandoned()) {
        // A frame that stopped compiled only part of the casters: nothing is kept.
        glEndList();
        glDeleteLists(m_list, 1);
        m_list = 0;
        g_compiled = {};
    } else if (m_list != 0) {
        glEndList();
        info.SetDisplayList(list);
        g_compiled = {&info, list, stamp, false, CFrameMeter::GetUsed() - before};
    } else if (list != 0) {
        g_compiled = {&info, 0, stamp, true};
    }
}

bool CGroundShadows::IsAbandoned()
{
    return (++m_polls & kPollMask) == 0 && m_view.IsFrameAbandoned();
}

void CGroundShadows::CountListed()
{
    if (m_list != 0 && ++m_listed > kListCasters) {
        glEndList();
        glDeleteLists(m_list, 1);
        m_list = 0;
    }
}

void CGroundShadows::DrawComponent(CComponent& component, const CTransformation& transform, int depth)
{
    if (depth > kMaxDepth || m_view.IsFrameAbandoned()) {
        return;
    }
    const CTransformation* t = transform.IsIdentity() ? nullptr : &transform;
    const std::size_t sections = m_sections.size();
    CShadowVolumeWalker::AddActiveSection(&m_view, component, t, m_sections);
    for (CDrawingElement* entity : component.GetEntityList()) {
        if (IsAbandoned()) {
            break;
        }
        if (entity->GetTypeId() == kTypeFace) {
            DrawFace(static_cast<CFace&>(*entity), t);
        }
    }
    for (CDrawingElement* entity : component.GetEntityList()) {
        if (IsAbandoned()) {
            break;
        }
        const int type = entity->GetTypeId();
        if (type == kTypeEdge && m_fromEdges) {
            DrawEdge(static_cast<CEdge&>(*entity), t);
        } else if (type == kTypeComponentInstance || type == kTypeGroup) {
            DrawInstance(static_cast<CComponentInstance&>(*entity), transform, depth);
        }
    }
    m_sections.resize(sections);
}

void CGroundShadows::DrawInstance(CComponentInstance& instance, const CTransformation& transform, int depth)
{
    CTransformation placed;
    CComponentDefinition* definition =
        CShadowVolumeWalker::PlaceCaster(&m_view, instance, transform, m_light, kGround, placed);
    if (definition == nullptr) {
        return;
    }
    const bool faceMe = m_faceMe;
    m_faceMe = faceMe || instance.FacesCamera();
    DrawComponent(*definition, placed, depth + 1);
    m_faceMe = faceMe;
}

void CGroundShadows::DrawFace(CFace& face, const CTransformation* transform)
{
    int shadowClass =
        CShadowVolumeWalker::GetShadowClass(&m_view, face, m_light, renderingflags::TransparentCanCast, m_faceMe);
    CFacePolygon polygon;
    double lowest = 0.0;
    bool kept = false;
    if (shadowClass != 0) {
        polygon.Build(face, transform, false, &m_view);
        lowest = 1e300;
        for (const CPoint3d& p : polygon.GetPoints()) {
            lowest = std::min(lowest, p.z);
        }
        kept = CutBySections(polygon);
        // What the section planes hold or cut away casts nothing, and its edges cast as
        // if it were not there.
        if (!kept && renderingflags::UseClipPlanes) {
            shadowClass = 0;
        }
    }
    face.SetFlagBits(CShadowVolumeWalker::kShadowModeMask, false);
    face.SetFlagBits(static_cast<std::uint32_t>(shadowClass) << CShadowVolumeWalker::kShadowModeShift, true);
    // Standing on the ground, or sunk into it, a face's shadow would be its own base.
    if (!kept || lowest <= 0.001 || polygon.GetPlane().IsEqual(kGround, false, 0.001) ||
        std::abs(DotProduct(polygon.GetPlane().GetNormal(), m_light)) < 1e-9) {
        return;
    }
    m_view.EndPrimitive();
    polygon.Draw(false);
    (void)CFrameMeter::Charge(polygon.GetPoints().size() * CFrameMeter::kVertexCost);
    CountListed();
}

bool CGroundShadows::CutBySections(CFacePolygon& polygon) const
{
    if (polygon.GetLoopCount() == 0) {
        return false;
    }
    for (const CPlane3d& plane : m_sections) {
        if (polygon.GetPlane().IsEqual(plane, false, 0.001) || !polygon.ClipByPlane(plane)) {
            return false;
        }
    }
    return true;
}

// The edge is drawn as the one outlined side of a triangle in line mode, so that the
// line polygon offset lays its shadow behind the model's faces on the ground as the
// faces' shadows lie.
void CGroundShadows::DrawEdge(CEdge& edge, const CTransformation* transform)
{
    if (edge.GetStartVertex() == nullptr || edge.GetEndVertex() == nullptr || !edge.CastsShadows() ||
        !edge.IsShown(&m_view) || UsedByCastingFace(edge)) {
        return;
    }
    CPoint3d a = edge.GetStartVertex()->GetPosition();
    CPoint3d b = edge.GetEndVertex()->GetPosition();
    if (transform != nullptr) {
        transform->TransformPoint(a);
        transform->TransformPoint(b);
    }
    if (!CShadowVolumeWalker::PassesCastingTest(&m_view, edge, a, b, m_light, transform,
                                                renderingflags::TransparentCanCast) ||
        !ClipSegmentAbovePlane(a, b, kGround) ||
        (renderingflags::UseClipPlanes && !CShadowVolumeWalker::ClipSegmentByPlanes(a, b, m_sections))) {
        return;
    }
    CVector3d along = b - a;
    along.Normalize();
    const CPoint3d third = a + (std::abs(along.z - 1.0) <= 0.001 ? CVector3d(1, 0, 0) : CVector3d(0, 0, 1));
    m_view.EndPrimitive();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glBegin(GL_TRIANGLES);
    glEdgeFlag(GL_TRUE);
    glVertex3d(a.x, a.y, a.z);
    glEdgeFlag(GL_FALSE);
    glVertex3d(b.x, b.y, b.z);
    glVertex3d(third.x, third.y, third.z);
    glEnd();
    glEdgeFlag(GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
    (void)CFrameMeter::Charge(3 * CFrameMeter::kVertexCost);
    CountListed();
}
