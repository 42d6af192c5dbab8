#include "annotations/dimensionlinear.h"

#include <cmath>
#include <utility>

#include "annotations/annotationcheck.h"
#include "annotations/pointreferences.h"
#include "document/entitymerger.h"
#include "document/versionmap.h"
#include "foundation/geometryarchive.h"
#include "foundation/tolerance.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "model/entityset.h"
#include "model/vertex.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CDimensionLinear, CDimension, VERSIONABLE_SCHEMA | 4)

CVector3d DirectionFromStoredAngle(const CVector3d& normal, double angle)
{
    CTransformation frame;
    frame.SetFromPlane(CPoint3d(), CUnitVector3d(normal));
    const CTransformation turn = CTransformation::Rotation(CPoint3d(), CUnitVector3d(0.0, 0.0, 1.0), angle);
    const CUnitVector3d x = (frame * turn).GetXAxis();
    return CVector3d(x.x, x.y, x.z);
}

namespace {

constexpr double kHalfPi = 1.570796326794897;

CVector3d UnitOrZero(const CVector3d& v)
{
    CVector3d unit = v;
    unit.Normalize();
    return unit;
}

CVector3d TurnedDirection(const CTransformation& transform, const CVector3d& direction)
{
    return UnitOrZero(transform * direction);
}

}  // namespace

CDimensionLinear::CDimensionLinear() = default;

CDimensionLinear::CDimensionLinear(const CDimensionLinear& other)
    : CDimension(other),
      m_first(other.m_first),
      m_second(other.m_second),
      m_normal(other.m_normal),
      m_direction(other.m_direction),
      m_mode(other.m_mode),
      m_offset(other.m_offset),
      m_labelPosition(other.m_labelPosition)
{
}

CDimensionLinear::~CDimensionLinear() = default;

bool CDimensionLinear::CollectDependents(CEntitySet& set)
{
    if (set.Contains(this) || !(m_first.IsContainedIn(set) && m_second.IsContainedIn(set))) {
        return false;
    }
    return CDrawingElement::CollectDependents(set);
}

CEntity* CDimensionLinear::Clone() const
{
    return new CDimensionLinear(*this);
}

void CDimensionLinear::SwapData(CEntity& other)
{
    auto& dimension = dynamic_cast<CDimensionLinear&>(other);
    OnErased();
    dimension.OnErased();
    CDimension::SwapData(other);
    std::swap(m_first, dimension.m_first);
    std::swap(m_second, dimension.m_second);
    std::swap(m_normal, dimension.m_normal);
    std::swap(m_direction, dimension.m_direction);
    std::swap(m_mode, dimension.m_mode);
    std::swap(m_offset, dimension.m_offset);
    std::swap(m_labelPosition, dimension.m_labelPosition);
    OnModified();
    dimension.OnModified();
}

void CDimensionLinear::OnModified()
{
    m_first.AddReferences(this);
    m_second.AddReferences(this);
}

void CDimensionLinear::OnErased()
{
    m_first.RemoveReferences(this);
    m_second.RemoveReferences(this);
}

void CDimensionLinear::Transform(const CTransformation& transform, std::uint32_t mode, std::int32_t kind)
{
    if (transform.IsIdentity()) {
        return;
    }
    RecordChange(true);
    m_first.Transform(transform);
    m_second.Transform(transform);
    m_first.Evaluate();
    m_second.Evaluate();
    m_normal = TurnedDirection(transform, m_normal);
    m_direction = TurnedDirection(transform, m_direction);
    const CTransformation frame = GetDimensionFrame();
    CTransformation fromFrame;
    if (!frame.GetInverse(fromFrame)) {
        return;
    }
    if (kind == CEntityMerger::kListedOnly && mode != 2) {
        const CPoint3d label = fromFrame * (transform * (frame * CPoint3d(m_labelPosition, m_offset, 0.0)));
        SetLabelPosition(label.x);
        SetOffset(label.y);
    } else if ((kind == CEntityMerger::kListedAndDependent && mode == 3) || mode == 4) {
        SetOffset((fromFrame * (transform * (frame * CVector3d(0.0, m_offset, 0.0)))).y);
    }
}

CTransformation CDimensionLinear::GetDimensionFrame() const
{
    const CVector3d x = UnitOrZero(m_direction);
    const CVector3d z = UnitOrZero(m_normal);
    const CTransformation base(x, UnitOrZero(z.CrossProduct(x)), z, m_first.GetPosition());
    const auto turned = [&base](double angle) {
        return base * CTransformation::Rotation(CPoint3d(), CUnitVector3d(0.0, 0.0, 1.0), angle);
    };
    switch (m_mode) {
    case kAligned: {
        const CPoint3d second = base.GetInverse() * m_second.GetPosition();
        return turned(std::atan2(second.y, second.x));
    }
    case kAlongDirection: return base;
    case kAcrossDirection: return turned(kHalfPi);
    default: return CTransformation();
    }
}

void CDimensionLinear::OnReferenceChanged(int code, CEntity* changed, CEntity* argument)
{
    if (!m_first.OnReferenceChanged(this, code, changed, argument) &&
        !m_second.OnReferenceChanged(this, code, changed, argument)) {
        return;
    }
    // Only a merge moves a point; an erased entity leaves it where it was. Erasing the
    // dimension while its component erases all it holds would pull the entity from
    // under that walk.
    if (code == kReferenceMerged && m_first.Evaluate().IsEqual(m_second.Evaluate(), 0.001)) {
        EraseFromComponent(GetParentComponent());
    }
}

int CDimensionLinear::GetTypeId() const
{
    return kTypeDimensionLinear;
}

bool CDimensionLinear::RefersTo(const CEntity* entity) const
{
    return m_first.RefersTo(entity) || m_second.RefersTo(entity);
}

bool CDimensionLinear::IsAssociated() const
{
    return m_first.GetKind() != CModelPointRef::kFreePoint && m_second.GetKind() != CModelPointRef::kFreePoint;
}

void CDimensionLinear::SetPoints(const CModelPointRef& first, const CModelPointRef& second)
{
    RecordChange(true);
    OnErased();
    m_first = first;
    m_second = second;
    OnModified();
}

void CDimensionLinear::SetOffset(double offset)
{
    if (offset == m_offset) {
        return;
    }
    RecordChange(true);
    m_offset = offset;
}

void CDimensionLinear::SetLabelPosition(double position)
{
    if (position == m_labelPosition) {
        return;
    }
    RecordChange(true);
    m_labelPosition = position;
}

void CDimensionLinear::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        const int version = GetLoadedClassVersion(RUNTIME_CLASS(CDimensionLinear));
        if (version >= 2) {
            CDimension::Serialize(ar);
        }
        ReadRecord(ar, version);
    } else {
        CDimension::Serialize(ar);
        WriteRecord(ar);
    }
}

void CDimensionLinear::ReadRecord(CArchive& ar, int version)
{
    if (version == 0) {
        m_first = MakeVertexPoint(ReadVertex(ar));
        m_second = MakeVertexPoint(ReadVertex(ar));
    } else {
        m_first.Read(ar);
        m_second.Read(ar);
    }
    ar >> m_normal;
    if (version <= 3) {
        double angle = 0.0;
        ar >> angle;
        m_direction = DirectionFromStoredAngle(m_normal, angle);
    } else {
        ar >> m_direction;
    }
    ar >> m_mode >> m_offset;
    if (version >= 3) {
        ar >> m_labelPosition;
    }
    OnModified();
}

void CDimensionLinear::WriteRecord(CArchive& ar)
{
    m_first.Write(ar);
    m_second.Write(ar);
    ar << m_normal << m_direction << m_mode << m_offset << m_labelPosition;
}

int CDimensionLinear::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunAnnotationCheck(*this, RUNTIME_CLASS(CDimensionLinear), results,
                              [&]() { return CheckLinear(mode, results); });
}

int CDimensionLinear::CheckLinear(int mode, CValidityResultMap* results)
{
    const int base = CheckDimensionPart(mode, results);
    if (base != kValiditySound) {
        return base;
    }
    CAnnotationCheck check(*this, mode);
    if (!IsValidUnitVector(m_normal) || !IsValidUnitVector(m_direction)) {
        check.Broken(kMsgDimensionBadVector, kValidityBroken);
    }
    if ((m_mode < kAligned || m_mode > kAcrossDirection) && check.Repairable(kMsgDimensionBadMode)) {
        m_mode = kAlongDirection;
    }
    if (!IsValidDouble(m_offset) || !IsValidDouble(m_labelPosition)) {
        check.Broken(kMsgDimensionBadNumber, kValidityBroken);
    }
    return check.GetSeverity();
}
