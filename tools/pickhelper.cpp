#include "tools/pickhelper.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "annotations/sectionplane.h"
#include "document/component.h"
#include "document/componentinstance.h"
#include "document/renderingoptions.h"
#include "document/tarniscs.h"
#include "document/tarnwickmodel.h"
#include "foundation/boundedline3d.h"
#include "foundation/framemeter.h"
#include "foundation/geomfilter.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/facegl.h"
#include "model/vertex.h"
#include "render/baseglview.h"
#include "render/picknametable.h"
#include "render/tarnisview.h"

namespace {

constexpr double kPlaneTolerance = 0.001;
// The root's elements tested against the pick volume for one unit of the frame meter (a
// box or segment test costs about a quarter of a vertex sent), charged a block at a time.
constexpr std::size_t kTestsPerUnit = 4;
constexpr std::size_t kTestBlock = 256;
// Selection record: name count, minimum depth, maximum depth, then the names.
constexpr std::uint32_t kRecordHeader = 3;

bool IsEdge(const CEntity* entity)
{
    return entity != nullptr && entity->GetTypeId() == kTypeEdge;
}

bool IsFace(const CEntity* entity)
{
    return entity != nullptr && entity->GetTypeId() == kTypeFace;
}

// The root's active section plane when its cut shows, as a component's drawing pushes it.
CSectionPlane* ActiveSection(const CComponent& root, const CTarnisView& view)
{
    auto* plane = dynamic_cast<CSectionPlane*>(root.GetActiveSectionPlane());
    const CRenderingOptions* options = view.GetRenderingOptions();
    if (plane == nullptr || plane->GetParent() != &root ||
        (options != nullptr && (options->GetSectionFlags() & CRenderingOptions::kSectionCutsShown) == 0)) {
        return nullptr;
    }
    return plane;
}

}  // namespace

// --- hit paths ---

CPickHelper::HitPath::HitPath(const std::uint32_t* record, const CPickNameTable* names)
    : m_record(record), m_names(names)
{
}

std::uint32_t CPickHelper::HitPath::GetMinDepth() const
{
    return g_CorrectReversedPicking ? ~m_record[2] : m_record[1];
}

std::uint32_t CPickHelper::HitPath::GetMaxDepth() const
{
    return g_CorrectReversedPicking ? ~m_record[1] : m_record[2];
}

int CPickHelper::HitPath::GetEntityCount() const
{
    const int count = static_cast<int>(GetNameCount()) - 1;
    if (count <= 0) {
        return 0;
    }
    return CPickNameTable::IsSubElementName(GetName(count - 1)) ? count - 1 : count;
}

CEntity* CPickHelper::HitPath::GetEntity(int index) const
{
    if (index < 0 || index >= GetEntityCount() || m_names == nullptr) {
        return nullptr;
    }
    return m_names->FindEntity(GetName(index));
}

int CPickHelper::HitPath::GetSubElementIndex() const
{
    const int count = static_cast<int>(GetNameCount()) - 1;
    return count > 0 ? CPickNameTable::GetSubElementIndex(GetName(count - 1)) : -1;
}

CTransformation CPickHelper::HitPath::GetInstanceTransform() const
{
    CTransformation transform;
    for (int i = 0; i + 1 < GetEntityCount(); ++i) {
        if (const auto* instance = dynamic_cast<const CComponentInstance*>(GetEntity(i))) {
            transform = transform * instance->GetTransform();
        }
    }
    return transform;
}

bool CPickHelper::HitPath::IsNearerThan(const HitPath& other) const
{
    if (GetMinDepth() != other.GetMinDepth()) {
        return GetMinDepth() < other.GetMinDepth();
    }
    if (GetMaxDepth() != other.GetMaxDepth()) {
        return GetMaxDepth() < other.GetMaxDepth();
    }
    return IsEdge(GetPickedEntity()) && !IsEdge(other.GetPickedEntity());
}

// --- attaching ---

CPickHelper::CPickHelper() = default;

CPickHelper::CPickHelper(CTarnisView* view, const CPoint2d& point, int aperture)
{
    Attach(view, point, aperture);
}

CPickHelper::~CPickHelper() = default;

void CPickHelper::Attach(CTarnisView* view, const CPoint2d& point, int aperture)
{
    m_view = view;
    m_pickPoint = point;
    m_aperture = aperture < 1 ? kDefaultAperture : aperture;
    m_mode = kModePoint;
    m_rectangle[0] = point.x - m_aperture;
    m_rectangle[1] = point.y - m_aperture;
    m_rectangle[2] = point.x + m_aperture;
    m_rectangle[3] = point.y + m_aperture;
    if (view != nullptr) {
        m_pickRay = view->GetPickRay(point);
    }
    ClearHits();
}

void CPickHelper::AttachRegion(CTarnisView* view, const CPoint2d& corner1, const CPoint2d& corner2, int mode)
{
    m_view = view;
    m_mode = mode;
    m_pickPoint = CPoint2d(std::floor((corner1.x + corner2.x) / 2), std::floor((corner1.y + corner2.y) / 2));
    m_rectangle[0] = std::min(corner1.x, corner2.x);
    m_rectangle[1] = std::min(corner1.y, corner2.y);
    m_rectangle[2] = std::max(corner1.x, corner2.x);
    m_rectangle[3] = std::max(corner1.y, corner2.y);
    // A rectangle without width or height still picks a line of pixels.
    if (m_rectangle[2] == m_rectangle[0]) {
        m_rectangle[2] += 1;
    }
    if (m_rectangle[3] == m_rectangle[1]) {
        m_rectangle[3] += 1;
    }
    if (view != nullptr) {
        m_pickRay = view->GetPickRay(m_pickPoint);
    }
    ClearHits();
}

void CPickHelper::ClearHits()
{
    m_buffer.fill(0);
    m_hits.fill(0);
    m_hitCount = 0;
    m_result = 0;
    m_nearestFace = nullptr;
    m_nearestFaceDepth = 0;
    m_nearestFacePlane = CPlane3d();
    m_firstEdge = nullptr;
    m_firstEdgeDistance = HUGE_VAL;
}

bool CPickHelper::AcceptHit(const HitPath& /*hit*/) const
{
    return true;
}

CPickHelper::HitPath CPickHelper::GetHit(int index) const
{
    if (index < 0 || index >= m_hitCount || m_view == nullptr) {
        return {};
    }
    return {&m_buffer[m_hits[static_cast<std::size_t>(index)]], &m_view->GetPickNameTable()};
}

// --- the tests elements ask ---

ITarnisView* CPickHelper::GetPickView() const
{
    return m_view;
}

bool CPickHelper::TestPoint(const CPoint3d& point) const
{
    CPoint3d window;
    if (m_view == nullptr || !m_view->ModelToScreen(point, window) || window.z < 0.0 || window.z > 1.0) {
        return false;
    }
    // A point pick's rectangle is its aperture square.
    return window.x >= m_rectangle[0] && window.x <= m_rectangle[2] && window.y >= m_rectangle[1] &&
           window.y <= m_rectangle[3];
}

bool CPickHelper::TestSegment(const CPoint3d& start, const CPoint3d& end) const
{
    if (m_view == nullptr || m_mode == kModeNone) {
        return false;
    }
    if (m_mode != kModePoint) {
        return TestPoint(start) && TestPoint(end);
    }
    CPoint3d nearest;
    IntersectLineSegment(m_view->GetTransform() * start, m_view->GetTransform() * end, m_pickRay.origin,
                         m_pickRay.direction, nearest);
    return TestPoint(m_view->GetInverseTransform() * nearest);
}

bool CPickHelper::TestLine(const CBoundedLine3d& line) const
{
    CPoint3d start;
    CPoint3d end;
    return line.IsStartBounded() && line.IsEndBounded() && line.GetStartPoint(start) && line.GetEndPoint(end) &&
           TestSegment(start, end);
}

CLine3d CPickHelper::GetLocalPickLine() const
{
    CLine3d line = m_pickRay;
    if (m_view != nullptr) {
        (void)m_view->GetInverseTransform().TransformLineGetScale(line);
    }
    return line;
}

// --- picking ---

int CPickHelper::Pick(CEntity* entity)
{
    ClearHits();
    if (m_view == nullptr) {
        return 0;
    }
    CTarnwickModel* model = m_view->GetModel();
    CComponent* root = model != nullptr ? model->GetRootComponent() : nullptr;
    auto* element = dynamic_cast<CDrawingElement*>(entity != nullptr ? entity : root);
    if (element == nullptr) {
        return 0;
    }
    glSelectBuffer(kBufferSize, m_buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    // Geometry drawn outside every element leaves records with this name alone.
    glPushName(0);
    m_view->BeginSelection(CPoint2d(m_rectangle[0], m_rectangle[1]), CPoint2d(m_rectangle[2], m_rectangle[3]));
    if (element == root) {
        DrawRoot(*root);
    } else {
        element->DrawIfShown(m_view);
    }
    CTarnisCS* axes = model != nullptr ? model->GetDrawingAxes() : nullptr;
    if (m_mode == kModePoint && axes != nullptr && model->IsDisplayAxes() && !axes->IsHidden(m_view)) {
        m_view->BeginElement(axes);
        axes->Draw(m_view);
        m_view->EndElement();
    }
    m_view->EndSelection();
    glFlush();
    const int hits = glRenderMode(GL_RENDER);
    // Elements judge their containment with what the root's cut leaves of them.
    CSectionPlane* section = m_mode == kModeWindow && root != nullptr ? ActiveSection(*root, *m_view) : nullptr;
    if (section != nullptr) {
        m_view->PushSectionFilter(section, false);
    }
    ProcessHits(hits);
    if (section != nullptr) {
        m_view->PopSectionFilter(section);
    }
    return m_result;
}

void CPickHelper::DrawRoot(CComponent& root)
{
    CSectionPlane* section = ActiveSection(root, *m_view);
    if (section != nullptr) {
        m_view->PushSectionFilter(section, true);
    }
    const orvell::geometry::IGeomFilter* filter = m_view->GetCurrentFilter();
    std::vector<CDrawingElement*> planes;
    std::size_t tested = 0;
    for (CDrawingElement* entity : root.GetEntityList()) {
        // A root of millions of faces costs its tests: the pick stops where a frame would.
        if (++tested % kTestBlock == 0 && !CFrameMeter::Charge(kTestBlock / kTestsPerUnit)) {
            break;
        }
        switch (entity->GetTypeId()) {
        case kTypeSectionPlane:
            // Drawn once the root's own plane no longer clips: they lie in it.
            planes.push_back(entity);
            continue;
        case kTypeEdge: {
            // An edge along a face is drawn with the face.
            const auto* edge = static_cast<const CEdge*>(entity);
            if (!edge->IsFree() || edge->GetStartVertex() == nullptr || edge->GetEndVertex() == nullptr ||
                (filter != nullptr &&
                 !filter->TestSegment(edge->GetStartVertex()->GetPosition(), edge->GetEndVertex()->GetPosition()))) {
                continue;
            }
            break;
        }
        case kTypeFace:
            if (filter != nullptr && !filter->TestBox(static_cast<const CFace*>(entity)->GetBoundingBox())) {
                continue;
            }
            break;
        default:
            break;
        }
        entity->DrawIfShown(m_view);
    }
    FlushFaces(m_view);
    m_view->EndPrimitive();
    if (section != nullptr) {
        m_view->PopSectionFilter(section);
    }
    for (CDrawingElement* plane : planes) {
        plane->DrawIfShown(m_view);
    }
    m_view->EndPrimitive();
}

void CPickHelper::ProcessHits(int hits)
{
    // An overflowing buffer holds as many whole records as fit.
    const int records = hits < 0 ? kBufferSize / 4 : hits;
    std::uint32_t at = 0;
    for (int i = 0; i < records && at + kRecordHeader <= kBufferSize; ++i) {
        const std::uint32_t names = m_buffer[at];
        if (names == 0 || at + kRecordHeader + names > kBufferSize) {
            break;
        }
        const HitPath hit(&m_buffer[at], &m_view->GetPickNameTable());
        if (hit.GetEntityCount() > 0 && m_hitCount < kHitCapacity && AcceptHit(hit) &&
            (m_mode != kModeWindow || IsHitInsideWindow(hit))) {
            InsertHit(at);
        }
        at += kRecordHeader + names;
    }
    if (m_mode == kModePoint && m_faceTracking) {
        TrackNearestFace();
    }
    ChooseHits();
}

bool CPickHelper::IsHitInsideWindow(const HitPath& hit) const
{
    // What a window selects is the hit's top entity: an instance answers for its whole
    // definition, placed as it is.
    if (const auto* instance = dynamic_cast<const CComponentInstance*>(hit.GetTopEntity()); instance != nullptr) {
        return instance->SelectionTest(const_cast<CPickHelper*>(this), nullptr);
    }
    const auto* element = dynamic_cast<const CDrawingElement*>(hit.GetPickedEntity());
    if (element == nullptr) {
        return false;
    }
    m_view->PushTransform(hit.GetInstanceTransform(), false);
    const bool inside = element->IsSelectedBy(const_cast<CPickHelper*>(this), nullptr);
    m_view->PopTransform(false);
    return inside;
}

void CPickHelper::InsertHit(std::uint32_t offset)
{
    const HitPath hit(&m_buffer[offset], &m_view->GetPickNameTable());
    // After every hit it is not nearer than.
    int low = 0;
    int high = m_hitCount;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (hit.IsNearerThan(GetHit(middle))) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    std::copy_backward(m_hits.begin() + low, m_hits.begin() + m_hitCount, m_hits.begin() + m_hitCount + 1);
    m_hits[static_cast<std::size_t>(low)] = offset;
    ++m_hitCount;
}

void CPickHelper::TrackNearestFace()
{
    for (int i = 0; i < m_hitCount; ++i) {
        const HitPath hit = GetHit(i);
        auto* face = dynamic_cast<CFace*>(hit.GetPickedEntity());
        if (face == nullptr) {
            continue;
        }
        m_nearestFace = face;
        m_nearestFaceDepth = hit.GetMinDepth();
        m_nearestFacePlane = hit.GetInstanceTransform() * face->GetPlane();
        if (m_nearestFacePlane.GetSignedDistance(m_view->GetViewDefinition().GetEye()) < 0.0) {
            m_nearestFacePlane.Reverse();
        }
        return;
    }
}

void CPickHelper::ChooseHits()
{
    m_result = m_hitCount;
    for (int i = 0; i < m_hitCount; ++i) {
        const HitPath hit = GetHit(i);
        if (m_nearestFace != nullptr && hit.GetMinDepth() > m_nearestFaceDepth && IsBehindNearestFace(hit)) {
            m_result = i;
            return;
        }
        if (auto* edge = dynamic_cast<CEdge*>(hit.GetPickedEntity()); edge != nullptr && m_firstEdge == nullptr) {
            m_firstEdge = edge;
            m_firstEdgeDistance = GetNearestEdgePoint(*edge, hit.GetInstanceTransform()).DistanceToLine(m_pickRay);
        }
    }
}

bool CPickHelper::IsBehindNearestFace(const HitPath& hit) const
{
    const auto* edge = dynamic_cast<const CEdge*>(hit.GetPickedEntity());
    if (edge == nullptr) {
        return true;
    }
    const CPoint3d nearest = GetNearestEdgePoint(*edge, hit.GetInstanceTransform());
    return m_nearestFacePlane.GetSignedDistance(nearest) < -kPlaneTolerance;
}

CPoint3d CPickHelper::GetNearestEdgePoint(const CEdge& edge, const CTransformation& transform) const
{
    if (edge.GetStartVertex() == nullptr || edge.GetEndVertex() == nullptr) {
        return m_pickRay.origin;
    }
    const CPoint3d start = transform * edge.GetStartVertex()->GetPosition();
    const CPoint3d end = transform * edge.GetEndVertex()->GetPosition();
    CPoint3d nearest;
    IntersectLineSegment(start, end, m_pickRay.origin, m_pickRay.direction, nearest);
    return nearest;
}

bool CPickHelper::FindNearestHitPoint(CPoint3d& point)
{
    if (Pick() == 0) {
        return false;
    }
    const double nearDistance = m_view->GetViewDefinition().GetNear();
    double best = HUGE_VAL;
    for (int i = 0; i < m_result; ++i) {
        const HitPath hit = GetHit(i);
        CEntity* entity = hit.GetPickedEntity();
        double depth = HUGE_VAL;
        CPoint3d candidate;
        if (IsFace(entity)) {
            const CPlane3d plane = hit.GetInstanceTransform() * static_cast<CFace*>(entity)->GetPlane();
            if (!m_pickRay.Intersect(plane, depth) || depth < 0.0) {
                continue;
            }
            candidate = m_pickRay.GetPoint(depth);
        } else if (IsEdge(entity)) {
            candidate = GetNearestEdgePoint(*static_cast<CEdge*>(entity), hit.GetInstanceTransform());
            depth = m_pickRay.GetParameter(candidate);
            // Edges in front of the near plane are not drawn either.
            if (depth <= nearDistance) {
                continue;
            }
        } else {
            continue;
        }
        if (depth < best) {
            best = depth;
            point = candidate;
        }
    }
    return best < HUGE_VAL;
}
