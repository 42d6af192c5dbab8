#include "render/modelpointwalk.h"

#include <algorithm>

#include "annotations/constructionline.h"
#include "document/component.h"
#include "document/componentinstance.h"
#include "drawapi/tarnisview.h"
#include "foundation/boundingbox3d.h"
#include "foundation/framemeter.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/entitycontainer.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

namespace {

bool IsInstanceKind(int type)
{
    return type == kTypeComponentInstance || type == kTypeGroup || type == kTypeImage;
}

}  // namespace

CModelPointWalk::CModelPointWalk(ITarnisView* view) : m_view(view) {}

CModelPointWalk::~CModelPointWalk() = default;

bool CModelPointWalk::WalkEntity(CEntity* entity)
{
    const auto* element = dynamic_cast<const CDrawingElement*>(entity);
    return element == nullptr || WalkElement(*element);
}

bool CModelPointWalk::WalkEntities(IEntityIterator& entities)
{
    bool complete = true;
    entities.Reset();
    CEntity* entity = nullptr;
    while (entities.Next(entity)) {
        complete = WalkEntity(entity) && complete;
    }
    return complete;
}

bool CModelPointWalk::WalkComponent(const CComponent& component)
{
    const bool placesItself = std::find(m_path.begin(), m_path.end(), &component) != m_path.end();
    if (placesItself || m_path.size() >= static_cast<std::size_t>(CComponent::kMaxNestingDepth)) {
        return false;
    }
    m_path.push_back(&component);
    bool complete = true;
    for (const CDrawingElement* entity : component.GetEntityList()) {
        if (CFrameMeter::ShouldStop()) {
            complete = false;
            break;
        }
        complete = WalkElement(*entity) && complete;
    }
    m_path.pop_back();
    return complete;
}

bool CModelPointWalk::WalkElement(const CDrawingElement& element)
{
    if (!element.IsShown(m_view)) {
        return true;
    }
    switch (const int type = element.GetTypeId(); type) {
    case kTypeEdge: {
        const auto& edge = static_cast<const CEdge&>(element);
        if (edge.GetStartVertex() != nullptr && edge.GetEndVertex() != nullptr) {
            Add(edge.GetStartVertex()->GetPosition());
            Add(edge.GetEndVertex()->GetPosition());
        }
        return true;
    }
    case kTypeFace:
        WalkFace(static_cast<const CFace&>(element));
        return true;
    case kTypeComponent:
        return WalkComponent(static_cast<const CComponent&>(element));
    case kTypeSectionPlane:
        return true;
    default:
        if (!IsInstanceKind(type)) {
            WalkOther(element);
            return true;
        }
    }
    const auto& instance = static_cast<const CComponentInstance&>(element);
    if (instance.GetNestedComponent() == nullptr) {
        return true;
    }
    m_transforms.push_back(m_transforms.empty() ? instance.GetTransform()
                                                : m_transforms.back() * instance.GetTransform());
    const bool complete = WalkComponent(*instance.GetNestedComponent());
    m_transforms.pop_back();
    return complete;
}

void CModelPointWalk::WalkFace(const CFace& face)
{
    // The outer loop bounds the face: the inner loops lie within it.
    const CLoop* outer = face.GetLoopCount() > 0 ? face.GetOuterLoop() : nullptr;
    const CEdgeUse* first = outer != nullptr ? outer->GetFirstEdgeUse() : nullptr;
    const CEdgeUse* use = first;
    while (use != nullptr) {
        if (const CVertex* vertex = use->GetStartVertex(); vertex != nullptr) {
            Add(vertex->GetPosition());
        }
        use = use->GetNext();
        if (use == first) {
            break;
        }
    }
}

void CModelPointWalk::WalkOther(const CDrawingElement& element)
{
    if (const auto* guide = dynamic_cast<const CConstructionLine*>(&element)) {
        const CBoundedLine3d& line = guide->GetBoundedLine();
        if (!line.IsStartBounded() || !line.IsEndBounded()) {
            return;
        }
    }
    // Its box may take as long as drawing it (a polyline's points): it is charged so.
    if (!CFrameMeter::Charge(element.GetDrawingWeight(false))) {
        return;
    }
    CBoundingBox3d box;
    element.AccumulateExtents(CTransformation(), box);
    if (box.IsEmpty()) {
        return;
    }
    const CPoint3d low = box.GetMin();
    const CPoint3d high = box.GetMax();
    if (low == high) {
        Add(low);
        return;
    }
    for (int corner = 0; corner < 8; ++corner) {
        Add(box.GetCorner(corner));
    }
}

void CModelPointWalk::Add(const CPoint3d& local)
{
    (void)CFrameMeter::Charge(CFrameMeter::kVertexCost);
    AddPoint(m_transforms.empty() ? local : m_transforms.back() * local);
}
