#include "document/tarniscs.h"

#include <utility>

#include "foundation/geometryarchive.h"
#include "foundation/repairnotes.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CTarnisCS, CDrawingElement, VERSIONABLE_SCHEMA | 0)

namespace {

bool IsExactlyZero(const CVector3d& v)
{
    return v.x == 0.0 && v.y == 0.0 && v.z == 0.0;
}

CVector3d ToVector(const CUnitVector3d& u)
{
    return CVector3d(u.x, u.y, u.z);
}

}  // namespace

CTarnisCS::CTarnisCS()
{
    SetDefaults();
    CDrawingElement::SetLayer(nullptr);
}

CTarnisCS::CTarnisCS(const CTarnisCS& other)
    : CDrawingElement(other), m_origin(other.m_origin), m_xAxis(other.m_xAxis), m_yAxis(other.m_yAxis),
      m_zAxis(other.m_zAxis)
{
}

CTarnisCS::~CTarnisCS() = default;

CTarnisCS& CTarnisCS::operator=(const CTarnisCS& other)
{
    if (this != &other) {
        SetFlagBits(kFlagsStored, false);
        SetFlagBits(other.GetFlags() & kFlagsStored, true);
        m_origin = other.m_origin;
        m_xAxis = other.m_xAxis;
        m_yAxis = other.m_yAxis;
        m_zAxis = other.m_zAxis;
    }
    return *this;
}

void CTarnisCS::SetDefaults()
{
    m_origin = CPoint3d(0, 0, 0);
    m_xAxis = CVector3d(1, 0, 0);
    m_yAxis = CVector3d(0, 1, 0);
    m_zAxis = CVector3d(0, 0, 1);
}

void CTarnisCS::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        ReadRecord(ar);
        return;
    }
    CDrawingElement::Serialize(ar);
    ar << m_origin << m_xAxis << m_yAxis << m_zAxis;
}

void CTarnisCS::ReadRecord(CArchive& ar)
{
    bool partFailed = false;
    try {
        CDrawingElement::Serialize(ar);
    } catch (const CArchiveException&) {
        // The axes carry on from where the element part stopped and reset below.
        partFailed = true;
        ar.NoteObjectsMayBeLeft();
    }
    try {
        ar >> AsStored(m_origin) >> AsStored(m_xAxis) >> AsStored(m_yAxis) >> AsStored(m_zAxis);
    } catch (...) {
        // A failed read frees the material the element part named: nothing may hold it.
        KeepNoReferences();
        throw;
    }
    // Axes that are not finite are reset as zero axes are, before anything draws them.
    const bool finite = m_origin.IsValid() && m_xAxis.IsValid() && m_yAxis.IsValid() && m_zAxis.IsValid();
    if (!finite) {
        CRepairNotes::Say("axes in the model are not finite numbers; they are read as the origin and unit axes");
    }
    if (partFailed || !finite || IsExactlyZero(m_xAxis) || IsExactlyZero(m_yAxis) || IsExactlyZero(m_zAxis)) {
        Reset();
    }
    // The element part took a use of a stored material; the axes give it back and
    // keep none.
    KeepNoReferences();
}

void CTarnisCS::KeepNoReferences()
{
    CDrawingElement::SetMaterial(nullptr);
    CDrawingElement::SetLayer(nullptr);
}

CEntity* CTarnisCS::Clone() const
{
    return new CTarnisCS(*this);
}

void CTarnisCS::SwapData(CEntity& other)
{
    CDrawingElement::SwapData(other);
    if (auto* axes = dynamic_cast<CTarnisCS*>(&other)) {
        std::swap(m_origin, axes->m_origin);
        std::swap(m_xAxis, axes->m_xAxis);
        std::swap(m_yAxis, axes->m_yAxis);
        std::swap(m_zAxis, axes->m_zAxis);
    }
}

int CTarnisCS::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CTarnisCS), results, result)) {
        return result;
    }
    result = CDrawingElement::CheckValidity(mode, results);
    if (!m_origin.IsValid() || !m_xAxis.IsValid() || !m_yAxis.IsValid() || !m_zAxis.IsValid()) {
        AppendValidityMessage("%s has an invalid origin or axis", GetEntityLabel(this));
        if (BeginRepair(mode)) {
            Reset();
        } else if (result < kValidityRepairable) {
            result = kValidityRepairable;
        }
    }
    return SetCheckResult(result, results);
}

int CTarnisCS::GetTypeId() const
{
    return kTypeCoordinateSystem;
}

bool CTarnisCS::IsHidden(ITarnisView* /*view*/) const
{
    return HasFlag(kFlagHidden);
}

void CTarnisCS::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    box.Add(transform * m_origin);
    for (const CVector3d* axis : {&m_xAxis, &m_yAxis, &m_zAxis}) {
        box.Add(transform * (m_origin + *axis));
    }
}

void CTarnisCS::SetAxes(const CPoint3d& origin, const CVector3d& xAxis, const CVector3d& yAxis,
                        const CVector3d& zAxis)
{
    RecordChange(true);
    m_origin = origin;
    m_xAxis = xAxis;
    m_yAxis = yAxis;
    m_zAxis = zAxis;
}

void CTarnisCS::SetFromTransform(const CTransformation& transform)
{
    SetAxes(transform.GetOrigin(), ToVector(transform.GetXAxis()), ToVector(transform.GetYAxis()),
            ToVector(transform.GetZAxis()));
}

void CTarnisCS::Reset()
{
    RecordChange(true);
    SetDefaults();
}

const CVector3d& CTarnisCS::GetAxis(int index) const
{
    switch (index) {
    case 1:
        return m_yAxis;
    case 2:
        return m_zAxis;
    default:
        return m_xAxis;
    }
}
