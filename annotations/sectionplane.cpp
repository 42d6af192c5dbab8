#include "annotations/sectionplane.h"

#include <utility>

#include "annotations/constructionmessages.h"
#include "annotations/sectionplaneslice.h"
#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "foundation/geometryarchive.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CSectionPlane, CDrawingElement, VERSIONABLE_SCHEMA | 2)

CSectionPlane::CSectionPlane() = default;

CSectionPlane::CSectionPlane(const CPlane3d& plane) : m_plane(plane) {}

CSectionPlane::CSectionPlane(const CSectionPlane& other) : CDrawingElement(other), m_plane(other.m_plane) {}

CSectionPlane::~CSectionPlane() = default;

void CSectionPlane::Serialize(CArchive& ar)
{
    CDrawingElement::Serialize(ar);
    if (ar.IsLoading()) {
        ar >> m_plane;
    } else {
        ar << m_plane;
    }
}

void CSectionPlane::Transform(const CTransformation& transform)
{
    if (transform.IsIdentity()) {
        return;
    }
    RecordChange(true);
    transform.TransformPlane(m_plane);
    DeleteSlice();
}

CEntity* CSectionPlane::Clone() const
{
    return new CSectionPlane(*this);
}

void CSectionPlane::SwapData(CEntity& other)
{
    CDrawingElement::SwapData(other);
    std::swap(m_plane, static_cast<CSectionPlane&>(other).m_plane);
    DeleteSlice();
}

int CSectionPlane::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CSectionPlane), results, result)) {
        return result;
    }
    result = CDrawingElement::CheckValidity(mode, results);
    if (result != kValiditySound) {
        return SetCheckResult(result, results);
    }
    if (!m_plane.IsValid()) {
        AppendConstructionMessage(kMsgSectionPlaneInvalid, GetEntityLabel(this));
        result = kValidityStale;
    }
    if (mode != kValidityModeIgnoreStaleIds && !m_bounds.IsValid()) {
        AppendConstructionMessage(kMsgSectionBoundsInvalid, GetEntityLabel(this));
        result = kValidityStale;
    }
    return result == kValiditySound ? kValiditySound : SetCheckResult(result, results);
}

int CSectionPlane::GetTypeId() const
{
    return kTypeSectionPlane;
}

void CSectionPlane::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    const CPoint3d reference = box.IsEmpty() ? CPoint3d() : box.GetCentre();
    CPlane3d plane = m_plane;
    transform.TransformPlane(plane);
    CPoint3d projected;
    plane.ProjectPoint(reference, projected);
    box.Add(projected);
}

void CSectionPlane::SetPlane(const CPlane3d& plane)
{
    if (plane.IsEqual(m_plane, true)) {
        return;
    }
    RecordChange(true);
    m_plane = plane;
    DeleteSlice();
}

void CSectionPlane::DeleteSlice()
{
    m_slice.reset();
}

void CSectionPlane::EraseFromComponent(CComponent* component)
{
    CTarnwickModel* model = GetCurrentModel();
    if (model != nullptr && model->GetActiveSectionPlane() == this) {
        model->SetActiveSectionPlane(nullptr);
    }
    CDrawingElement::EraseFromComponent(component);
}

CTransformation CSectionPlane::GetFrame() const
{
    CPoint3d origin;
    m_plane.GetPointNearestOrigin(origin);
    CTransformation frame;
    frame.SetFromPlane(origin, m_plane.GetNormal());
    return frame;
}

void CSectionPlane::ComputeBounds(const CBoundingBox3d& componentBounds)
{
    CBoundingBox3d box = componentBounds;
    if (box.IsEmpty()) {
        box.Add(CPoint3d());
    }
    const CTransformation toFrame = GetFrame().GetInverse();
    m_bounds.SetEmpty();
    for (int corner = 0; corner < 8; ++corner) {
        CPoint3d onPlane;
        m_plane.ProjectPoint(box.GetCorner(corner), onPlane);
        const CPoint3d local = toFrame * onPlane;
        m_bounds.Add(CPoint2d(local.x, local.y));
    }
}

CSectionPlane* ReadSectionPlane(CArchive& ar)
{
    return static_cast<CSectionPlane*>(ar.ReadObject(RUNTIME_CLASS(CSectionPlane)));
}
