#include "annotations/sectionplaneslice.h"

#include <algorithm>

#include "annotations/edgeslice.h"
#include "annotations/faceslice.h"
#include "annotations/instanceslice.h"
#include "annotations/sectionplane.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/layermanager.h"
#include "document/tarnwickmodel.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

namespace {

constexpr double kTolerance = 0.001;
// Eighths gathered before they are charged: a few microseconds of the walk.
constexpr std::uint64_t kChargeEvery = 64 * CSectionPlaneSlice::kEighthsPerUnit;

// Whether any part of the box lies within the tolerance of the plane.
bool BoxTouchesPlane(const CBoundingBox3d& box, const CPlane3d& plane)
{
    if (box.IsEmpty()) {
        return false;
    }
    double lowest = 0.0;
    double highest = 0.0;
    for (int corner = 0; corner < 8; ++corner) {
        const double distance = plane.GetSignedDistance(box.GetCorner(corner));
        lowest = corner == 0 ? distance : std::min(lowest, distance);
        highest = corner == 0 ? distance : std::max(highest, distance);
    }
    return lowest <= kTolerance && highest >= -kTolerance;
}

bool IsInstanceKind(int type)
{
    return type == kTypeComponentInstance || type == kTypeGroup || type == kTypeImage;
}

}  // namespace

CSectionPlaneSlice::CSectionPlaneSlice(CComponent* component)
    : m_root(std::make_unique<CComponentSlice>(component, CPlane3d()))
{
}

CSectionPlaneSlice::~CSectionPlaneSlice() = default;

bool CSectionPlaneSlice::Compute(const CPlane3d& plane, ITarnisView* view)
{
    if (m_computed) {
        return true;
    }
    m_root->SetPlane(plane);
    CTarnwickModel* model = view->GetModel();
    const CComponent* top = model != nullptr ? model->GetRootComponent() : nullptr;
    const CLayerManager* layers = top != nullptr ? top->GetLayerManager() : nullptr;
    CLayer* layer = layers != nullptr ? layers->GetDefaultLayer() : nullptr;
    view->PushLayer(layer);
    m_stopped = false;
    m_path.push_back(m_root->GetComponent());
    BuildSlices(*m_root, plane, view, 0);
    // The rest is charged; a cut that came to its end is whole, and kept.
    (void)CFrameMeter::Charge(m_pendingEighths / kEighthsPerUnit);
    m_pendingEighths = 0;
    m_path.clear();
    view->PopLayer();
    m_clipStack.Clear();
    if (m_stopped) {
        Drop();
        return false;
    }
    m_computed = true;
    return true;
}

std::uint64_t CSectionPlaneSlice::GetVisitWeight(const CComponent& component)
{
    std::uint64_t corners = 0;
    std::uint64_t weight = 0;
    for (const CDrawingElement* entity : component.GetEntityList()) {
        if (entity == nullptr) {
            continue;
        }
        weight += kEntityEighths;
        const int type = entity->GetTypeId();
        if (IsInstanceKind(type)) {
            weight += kPlacementEighths;
        } else if (type == kTypeFace) {
            const auto* face = static_cast<const CFace*>(entity);
            for (int i = 0; i < face->GetLoopCount(); ++i) {
                const CLoop* loop = face->GetLoop(i);
                corners += loop != nullptr ? static_cast<std::uint64_t>(loop->GetEdgeUseCount()) : 0;
            }
        }
    }
    // Every corner walked, and at worst each a crossing to sort and match.
    return weight / kEighthsPerUnit + corners / CFaceSlice::kCornersPerUnit + corners / CFaceSlice::kSpansPerUnit;
}

bool CSectionPlaneSlice::Charge(std::uint64_t eighths)
{
    m_pendingEighths += eighths;
    if (m_pendingEighths >= kChargeEvery && !m_stopped) {
        m_stopped = !CFrameMeter::Charge(m_pendingEighths / kEighthsPerUnit);
        m_pendingEighths %= kEighthsPerUnit;
    }
    return !m_stopped;
}

void CSectionPlaneSlice::Drop()
{
    m_root = std::make_unique<CComponentSlice>(m_root->GetComponent(), CPlane3d());
    m_definitionSlices.clear();
    m_index.Clear();
    m_sliceCount = 0;
}

void CSectionPlaneSlice::Draw(ITarnisView* view)
{
    m_root->Draw(view);
    view->EndPrimitive();
}

CDefinitionSlice* CSectionPlaneSlice::FindDefinitionSlice(const CComponentDefinition* definition,
                                                          const CPlane3d& plane, std::uint64_t* compared) const
{
    const int found = m_index.Find(definition, plane, compared);
    return found >= 0 ? m_definitionSlices[static_cast<std::size_t>(found)].get() : nullptr;
}

bool CSectionPlaneSlice::IsOnPath(const CComponent* component) const
{
    return std::find(m_path.begin(), m_path.end(), component) != m_path.end();
}

void CSectionPlaneSlice::BuildSlices(CComponentSlice& parent, const CPlane3d& plane, ITarnisView* view, int depth)
{
    CComponent* component = parent.GetComponent();
    CBoundingBox3d bounds;
    component->GetBounds(bounds, false);
    if (!BoxTouchesPlane(bounds, plane)) {
        return;
    }
    for (CDrawingElement* entity : component->GetEntityList()) {
        if (m_sliceCount >= kMaxSlices || !Charge(kEntityEighths)) {
            return;
        }
        if (entity == nullptr || !entity->IsShown(view)) {
            continue;
        }
        const int type = entity->GetTypeId();
        if (IsInstanceKind(type)) {
            AddInstance(parent, entity, plane, view, depth);
        } else if (type == kTypeEdge) {
            auto* edge = static_cast<CEdge*>(entity);
            if (edge->GetStartVertex() == nullptr || edge->GetEndVertex() == nullptr) {
                continue;
            }
            CPoint3d start = edge->GetStartVertex()->GetPosition();
            CPoint3d end = edge->GetEndVertex()->GetPosition();
            if (start.IsOnPlane(plane) && end.IsOnPlane(plane) && m_clipStack.ClipSegment(start, end)) {
                parent.AddChild(entity, std::make_unique<CEdgeSlice>(edge, start, end));
                ++m_sliceCount;
            }
        } else if (type == kTypeFace) {
            bool stopped = false;
            if (auto slice = CFaceSlice::Build(static_cast<CFace*>(entity), plane, m_clipStack, stopped)) {
                parent.AddChild(entity, std::move(slice));
                ++m_sliceCount;
            }
            m_stopped = m_stopped || stopped;
        }
        if (m_stopped) {
            return;
        }
    }
}

void CSectionPlaneSlice::AddInstance(CComponentSlice& parent, CDrawingElement* entity, const CPlane3d& plane,
                                     ITarnisView* view, int depth)
{
    auto* instance = static_cast<CComponentInstance*>(entity);
    CComponentDefinition* definition = instance->GetDefinition();
    if (definition == nullptr || depth >= CComponent::kMaxNestingDepth || IsOnPath(definition)) {
        return;
    }
    const CTransformation& transform = instance->GetTransform();
    CPlane3d local = plane;
    if (!transform.GetInverse().TransformPlane(local)) {
        return;
    }
    std::uint64_t compared = 0;
    CDefinitionSlice* shared = FindDefinitionSlice(definition, local, &compared);
    if (!Charge(kPlacementEighths + compared * kComparedEighths)) {
        return;
    }
    m_clipStack.PushTransform(transform);
    if (shared == nullptr) {
        (void)m_index.Add(definition, local);
        m_definitionSlices.push_back(std::make_unique<CDefinitionSlice>(definition, local));
        shared = m_definitionSlices.back().get();
        ++m_sliceCount;
        auto* own = dynamic_cast<CSectionPlane*>(definition->GetActiveSectionPlane());
        if (own != nullptr) {
            m_clipStack.PushPlane(own, false);
        }
        const int pushed = instance->PushInherited(view, false);
        m_path.push_back(definition);
        BuildSlices(*shared, local, view, depth + 1);
        m_path.pop_back();
        CComponentInstance::PopInherited(view, pushed);
        if (own != nullptr) {
            m_clipStack.PopPlane(false);
        }
    }
    m_clipStack.PopTransform();
    parent.AddChild(entity, std::make_unique<CInstanceSlice>(instance, shared));
    ++m_sliceCount;
}
