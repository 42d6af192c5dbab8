#include "tools/sectionplanetransition.h"

#include <algorithm>
#include <cmath>

#include "annotations/sectionplane.h"
#include "document/component.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "foundation/boundingbox3d.h"
#include "foundation/unitvector3d.h"
#include "model/undosuspender.h"
#include "render/viewdefinition.h"

namespace {

CComponent* ComponentOf(const CSectionPlane* plane)
{
    return plane != nullptr ? dynamic_cast<CComponent*>(plane->GetParent()) : nullptr;
}

// The centre of the plane's component and half its diagonal; the origin and 0 for an
// empty component.
void GetComponentSphere(const CSectionPlane* plane, CPoint3d& centre, double& radius)
{
    CBoundingBox3d bounds;
    ComponentOf(plane)->GetBounds(bounds, false);
    centre = bounds.IsEmpty() ? CPoint3d() : bounds.GetCentre();
    radius = bounds.IsEmpty() ? 0.0 : bounds.GetDiagonal() * 0.5;
}

CPoint3d Projected(const CPoint3d& point, const CPlane3d& plane)
{
    CPoint3d result;
    plane.ProjectPoint(point, result);
    return result;
}

// Shows or hides section cuts of the current model, the receding cut's only way to
// stay visible while the target page hides cuts.
void ToggleCutDisplay()
{
    const CTarnwickModel* model = GetCurrentModel();
    if (model != nullptr && model->GetRenderingOptions() != nullptr)
        model->GetRenderingOptions()->ToggleSectionDisplay(CRenderingOptions::kSectionCutsShown);
}

}  // namespace

CSectionPlaneTransition::CSectionPlaneTransition(CSectionPlane* from, CSectionPlane* to,
                                                 const CViewDefinition& view, bool targetShowsCuts)
    : m_from(from), m_to(to), m_targetShowsCuts(targetShowsCuts)
{
    if (from != nullptr && to != nullptr)
    {
        m_startPlane = from->GetPlane();
        m_endPlane = to->GetPlane();
        CPoint3d centre;
        double radius = 0.0;
        GetComponentSphere(from, centre, radius);
        m_startPoint = Projected(centre, m_startPlane);
        GetComponentSphere(to, centre, radius);
        m_endPoint = Projected(centre, m_endPlane);
        SetTurnAxis(view);
    }
    else if (from != nullptr)
    {
        StartBehindComponent(from, true);
    }
    else if (to != nullptr)
    {
        StartBehindComponent(to, false);
    }
}

void CSectionPlaneTransition::SetTurnAxis(const CViewDefinition& view)
{
    const CUnitVector3d startNormal = m_startPlane.GetNormal();
    const CUnitVector3d endNormal = m_endPlane.GetNormal();
    m_turnAxis = CVector3d();
    if (!startNormal.IsParallelTo(endNormal) || CVector3d(startNormal).IsEqual(endNormal, 0.001))
        return;
    // Opposite normals: the plane turns over and faces along the view halfway, so the
    // turn is about the axis across both the normal and the viewing direction. A normal
    // along the view turns about the axis across it and the up vector instead.
    const CVector3d viewing = view.GetCamera().GetDirection();
    CUnitVector3d axis(CVector3d(startNormal).CrossProduct(viewing));
    if (CVector3d(axis).GetLengthSquared() == 0.0)
        axis = CUnitVector3d(CVector3d(startNormal).CrossProduct(view.GetCamera().GetUp()));
    if (CVector3d(axis).GetLengthSquared() == 0.0)
        axis = CUnitVector3d(view.GetXAxis());
    const CUnitVector3d halfway(CVector3d(axis).CrossProduct(startNormal));
    if (DotProduct(halfway, viewing) < 0.0)
        axis = -axis;
    m_turnAxis = axis;
}

void CSectionPlaneTransition::StartBehindComponent(CSectionPlane* plane, bool receding)
{
    CPoint3d centre;
    double radius = 0.0;
    GetComponentSphere(plane, centre, radius);
    const CVector3d normal = plane->GetPlane().GetNormal();
    // Behind the whole component, so the plane cuts nothing there.
    const CPlane3d behind(centre + normal * -radius, normal);
    m_startPlane = receding ? plane->GetPlane() : behind;
    m_endPlane = receding ? behind : plane->GetPlane();
    m_startPoint = Projected(centre, m_startPlane);
    m_endPoint = Projected(centre, m_endPlane);
    m_turnAxis = CVector3d();
}

CSectionPlane* CSectionPlaneTransition::GetMovingPlane() const
{
    return m_to != nullptr ? m_to : m_from;
}

CVector3d CSectionPlaneTransition::GetNormalAt(double t) const
{
    const CVector3d startNormal = m_startPlane.GetNormal();
    const CVector3d endNormal = m_endPlane.GetNormal();
    if (m_turnAxis.GetLengthSquared() == 0.0)
        return CUnitVector3d(startNormal + (endNormal - startNormal) * t);
    const CVector3d halfway = CUnitVector3d(m_turnAxis.CrossProduct(startNormal));
    if (180.0 * t <= 90.0)
        return CUnitVector3d(startNormal + (halfway - startNormal) * (2.0 * t));
    return CUnitVector3d(halfway + (endNormal - halfway) * (2.0 * t - 1.0));
}

std::vector<std::unique_ptr<CSectionPlaneTransition>> BuildSectionPlaneTransitions(
    std::vector<CSectionPlane*> before, std::vector<CSectionPlane*> after, const CViewDefinition& view,
    bool targetShowsCuts)
{
    std::vector<std::unique_ptr<CSectionPlaneTransition>> records;
    auto add = [&](CSectionPlane* from, CSectionPlane* to) {
        if (from == to || (from != nullptr && ComponentOf(from) == nullptr) ||
            (to != nullptr && ComponentOf(to) == nullptr))
            return;
        records.push_back(std::make_unique<CSectionPlaneTransition>(from, to, view, targetShowsCuts));
    };
    while (!before.empty())
    {
        CSectionPlane* from = before.back();
        before.pop_back();
        CSectionPlane* to = nullptr;
        const CComponent* component = ComponentOf(from);
        const auto match = std::find_if(after.begin(), after.end(), [component](const CSectionPlane* plane) {
            return ComponentOf(plane) == component;
        });
        if (match != after.end())
        {
            to = *match;
            after.erase(match);
        }
        add(from, to);
    }
    while (!after.empty())
    {
        CSectionPlane* to = after.back();
        after.pop_back();
        add(nullptr, to);
    }
    return records;
}

void InterpolateSectionPlane(CSectionPlaneTransition& record, double t)
{
    const CPoint3d point = record.m_startPoint + (record.m_endPoint - record.m_startPoint) * t;
    const CPlane3d plane(point, record.GetNormalAt(t));
    CUndoSuspender suspender;
    if (record.m_to == nullptr && record.m_firstStepPending)
    {
        if (CComponent* component = ComponentOf(record.m_from))
            component->SetActiveSectionPlane(record.m_from);
        record.m_firstStepPending = false;
        if (!record.m_targetShowsCuts)
            ToggleCutDisplay();
    }
    record.GetMovingPlane()->SetPlane(plane);
}

void FinishSectionPlaneTransition(CSectionPlaneTransition& record)
{
    CUndoSuspender suspender;
    if (record.m_to != nullptr)
    {
        record.m_to->SetPlane(record.m_endPlane);
        return;
    }
    record.m_from->SetPlane(record.m_startPlane);
    CComponent* component = ComponentOf(record.m_from);
    if (component != nullptr && component->GetActiveSectionPlane() == record.m_from)
        component->SetActiveSectionPlane(nullptr);
    // Only a cut the first step showed is hidden again.
    if (!record.m_targetShowsCuts && !record.m_firstStepPending)
        ToggleCutDisplay();
}
