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
#include "model/edge.h"
#include "model/face.h"
#include "model/vertex.h"

namespace {

constexpr double kTolerance = 0.001;

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

void CSectionPlaneSlice::Compute(const CPlane3d& plane, ITarnisView* view)
{
    if (m_root->GetChildCount() > 0) {
        return;
    }
    m_root->SetPlane(plane);
    CTarnwickModel* model = view->GetModel();
    const CComponent* top = model != nullptr ? model->GetRootComponent() : nullptr;
    const CLayerManager* layers = top != nullptr ? top->GetLayerManager() : nullptr;
    CLayer* layer = layers != nullptr ? layers->GetDefaultLayer() : nullptr;
    view->PushLayer(layer);
    m_path.push_back(m_root->GetComponent());
    BuildSlices(*m_root, plane, view, 0);
    m_path.clear();
    view->PopLayer();
    m_clipStack.Clear();
}

void CSectionPlaneSlice::Draw(ITarnisView* view)
{
    m_root->Draw(view);
    view->EndPrimitive();
}

CDefinitionSlice* CSectionPlaneSlice::FindDefinitionSlice(const CComponentDefinition* definition,
                                                          const CPlane3d& plane) const
{
    for (const auto& slice : m_definitionSlices) {
        if (slice->GetComponent() == definition && slice->GetPlane().IsEqual(plane, false, kTolerance)) {
            return slice.get();
        }
    }
    return nullptr;
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
        if (m_sliceCount >= kMaxSlices) {
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
            if (auto slice = CFaceSlice::Build(static_cast<CFace*>(entity), plane, m_clipStack)) {
                parent.AddChild(entity, std::move(slice));
                ++m_sliceCount;
            }
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
    m_clipStack.PushTransform(transform);
    CDefinitionSlice* shared = FindDefinitionSlice(definition, local);
    if (shared == nullptr) {
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
