#include "document/componentinstance.h"

#include <algorithm>
#include <vector>

#include "document/componentdefinition.h"
#include "document/instanceexplode.h"
#include "document/instancepath.h"
#include "foundation/boundedline3d.h"
#include "document/material.h"
#include "model/entityvisitor.h"
#include "document/versionmap.h"
#include "foundation/boundingbox3d.h"
#include "foundation/geometryarchive.h"
#include "foundation/unitvector3d.h"
#include "foundation/versioninfo.h"
#include "foundation/plane3d.h"
#include "foundation/tolerance.h"
#include "model/face.h"
#include "model/relationship.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CComponentInstance, CDrawingElement, VERSIONABLE_SCHEMA | 4)

namespace {

CVector3d ToVector(const CUnitVector3d& u)
{
    return CVector3d(u.x, u.y, u.z);
}

// The placement moved onto the plane: the origin projected, z along the normal, x kept
// as far as it lies in the plane, the scales kept.
CTransformation PlacedOnPlane(const CTransformation& transform, const CPlane3d& plane)
{
    CPoint3d origin;
    plane.ProjectPoint(transform.GetOrigin(), origin);
    const CVector3d z = ToVector(plane.GetNormal());
    CVector3d x = ToVector(transform.GetXAxis());
    x = x - z * (x.x * z.x + x.y * z.y + x.z * z.z);
    if (!x.Normalize()) {
        CUnitVector3d xAxis;
        CUnitVector3d yAxis;
        plane.GetNormal().GetPerpendicularAxes(xAxis, yAxis);
        x = ToVector(xAxis);
    }
    const CVector3d y = z.CrossProduct(x);
    const CVector3d scales = transform.GetScales();
    return CTransformation(x, y, z, origin) * CTransformation::Scaling(scales.x, scales.y, scales.z);
}

}  // namespace

CComponentInstance::CComponentInstance() = default;

CComponentInstance::CComponentInstance(const CComponentInstance& other)
    : CDrawingElement(other), m_definition(other.m_definition), m_transform(other.m_transform), m_name(other.m_name)
{
}

CComponentInstance::~CComponentInstance() = default;

void CComponentInstance::Serialize(CArchive& ar)
{
    CDrawingElement::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CComponentInstance::ReadRecord(CArchive& ar)
{
    // Groups and images read the same layout at the instance's version.
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CComponentInstance));
    CComponentDefinition* definition = ReadComponentDefinitionObject(ar);
    m_definition = nullptr;
    if (definition != nullptr) {
        definition->AddInstance(this);
    }
    ar >> m_transform;
    if (version < 2) {
        std::int32_t dropped = 0;
        ar >> dropped;
    }
    if (version == 1 || version == 2) {
        if (CMaterial* material = nullptr; ArchiveReadFlaggedMaterial(ar, material)) {
            SetMaterial(material);
        }
    }
    if (version >= 4) {
        m_name = ArchiveReadString(ar);
    }
}

void CComponentInstance::WriteRecord(CArchive& ar) const
{
    ar.WriteObject(m_definition);
    ar << m_transform;
    if (GetSaveFormat() == kSaveFormat5000) {
        ArchiveWriteString(ar, m_name);
    }
}

void CComponentInstance::Erase()
{
    if (m_definition != nullptr) {
        m_definition->RemoveInstance(this);
    }
    CDrawingElement::Erase();
}

void CComponentInstance::Transform(const CTransformation& transform)
{
    RecordChange(true);
    m_transform = transform * m_transform;
    RefreshTransformFlags();
    OnTransformChanged();
}

CEntity* CComponentInstance::Clone() const
{
    return new CComponentInstance(*this);
}

void CComponentInstance::SwapData(CEntity& other)
{
    CDrawingElement::SwapData(other);
    if (auto* instance = dynamic_cast<CComponentInstance*>(&other)) {
        SwapInstanceData(*instance);
    }
}

void CComponentInstance::SwapInstanceData(CComponentInstance& other)
{
    std::swap(m_definition, other.m_definition);
    std::swap(m_transform, other.m_transform);
    std::swap(m_name, other.m_name);
}

int CComponentInstance::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CComponentInstance), results, result)) {
        return result;
    }
    result = CDrawingElement::CheckValidity(mode, results);
    if (result == kValidityBroken) {
        return result;
    }
    if (m_definition != nullptr && !m_definition->HasInstance(this)) {
        AppendValidityMessage("%s is missing from its definition's instances", GetEntityLabel(this));
        if (BeginRepair(mode)) {
            m_definition->AddInstance(this);
        } else {
            result = std::max(result, static_cast<int>(kValidityRepairable));
        }
    }
    if (!m_transform.IsValid()) {
        AppendValidityMessage("%s has an invalid transformation", GetEntityLabel(this));
        return SetCheckResult(kValidityBroken, results);
    }
    result = std::max(result, CheckGluedPlacement(mode));
    return SetCheckResult(result, results);
}

int CComponentInstance::CheckGluedPlacement(int mode)
{
    std::vector<CRelationship*> relationships;
    CountRelationshipsAsSecond(relationships);
    for (const CRelationship* relationship : relationships) {
        const auto* face = dynamic_cast<const CFace*>(relationship->GetFirst());
        if (face == nullptr) {
            continue;
        }
        const CPlane3d& plane = face->GetPlane();
        const CUnitVector3d normal = plane.GetNormal();
        const bool onPlane = plane.GetDistance(m_transform.GetOrigin()) <= kLengthTolerance;
        if (onPlane && m_transform.GetZAxis().IsParallelTo(normal)) {
            continue;
        }
        AppendValidityMessage("%s is not placed on the face it is glued to", GetEntityLabel(this));
        if (!BeginRepair(mode)) {
            return kValidityRepairable;
        }
        SetTransform(PlacedOnPlane(m_transform, plane));
        return kValiditySound;
    }
    return kValiditySound;
}

int CComponentInstance::GetTypeId() const
{
    return kTypeComponentInstance;
}

void CComponentInstance::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    if (m_definition != nullptr) {
        m_definition->AccumulateExtents(transform * m_transform, box);
    }
}

void CComponentInstance::GetExtents(CBoundingBox3d& box) const
{
    ExtendBoundingBox(box);
}

int CComponentInstance::IntersectLine(const CLine3d& line, CPoint3d& point) const
{
    CTransformation inverse;
    if (m_definition == nullptr || !m_transform.GetInverse(inverse)) {
        return 0;
    }
    CLine3d local = line;
    (void)inverse.TransformLineGetScale(local);
    CPoint3d localPoint;
    const int answer = m_definition->IntersectLine(local, localPoint);
    if (answer != 0) {
        point = m_transform * localPoint;
    }
    return answer;
}

bool CComponentInstance::IntersectPickRay(const CBoundedLine3d& ray, double pixelScale, CPoint3d& hitPoint,
                                          double& hitParameter, CInstancePath* hitPath, bool skipHidden) const
{
    CTransformation inverse;
    if ((skipHidden && IsHiddenFlagSet()) || m_definition == nullptr || !m_transform.GetInverse(inverse)) {
        return false;
    }
    CBoundedLine3d local = ray;
    const double stretch = inverse.TransformLineGetScale(local.line);
    if (local.IsStartBounded()) {
        local.start *= stretch;
    }
    if (local.IsEndBounded()) {
        local.end *= stretch;
    }
    CPoint3d point;
    double parameter = 0.0;
    CInstancePath inner;
    if (!m_definition->IntersectPickRay(local, pixelScale * stretch, point, parameter, &inner, skipHidden)) {
        return false;
    }
    hitPoint = m_transform * point;
    hitParameter = stretch != 0.0 ? parameter / stretch : parameter;
    if (hitPath != nullptr) {
        hitPath->Push(const_cast<CComponentInstance*>(this));
        hitPath->Append(inner);
    }
    return true;
}

bool CComponentInstance::CanHaveMaterial() const
{
    return true;
}

bool CComponentInstance::IsInstance() const
{
    return true;
}

const CComponent* CComponentInstance::GetNestedComponent() const
{
    return m_definition;
}

void CComponentInstance::OnTransformChanged()
{
    // Faces glued to the instance stand at the first end of its relationships.
    std::vector<CRelationship*> relationships;
    CountRelationships(relationships);
    CountRelationshipsAsSecond(relationships);
    for (const CRelationship* relationship : relationships) {
        auto* glued = dynamic_cast<CDrawingElement*>(relationship->GetFirst());
        if (glued != nullptr && glued != this) {
            glued->OnGeometryChanged();
        }
    }
}

std::vector<CEntity*> CComponentInstance::Explode(bool /*callerFlag*/, bool onlyInstance)
{
    return ExplodeInstance(this, onlyInstance);
}

bool CComponentInstance::IsUnique() const
{
    return m_definition != nullptr && m_definition->GetInstanceCount() == 1;
}

void CComponentInstance::RefreshTransformFlags()
{
    if (m_transform.IsIdentity() || !m_transform.HasOrthonormalFlag()) {
        return;
    }
    double numbers[CTransformation::kStoredNumberCount];
    m_transform.GetStoredNumbers(numbers);
    m_transform.SetFromStoredNumbers(numbers);
}

void CComponentInstance::SetDefinitionField(CComponentDefinition* definition)
{
    if (definition != m_definition) {
        RecordChange(true);
        m_definition = definition;
    }
}

void CComponentInstance::SetTransform(const CTransformation& transform)
{
    RecordChange(true);
    StoreTransform(transform);
}

void CComponentInstance::StoreTransform(const CTransformation& transform)
{
    m_transform = transform;
    RefreshTransformFlags();
    OnTransformChanged();
}

void CComponentInstance::SetScales(const CVector3d& scales)
{
    const CVector3d old = m_transform.GetScales();
    if (old.x == 0.0 || old.y == 0.0 || old.z == 0.0) {
        return;  // a flat placement has no scale to replace
    }
    const CTransformation rescale = CTransformation::Scaling(1.0 / old.x, 1.0 / old.y, 1.0 / old.z);
    SetTransform(m_transform * rescale * CTransformation::Scaling(scales.x, scales.y, scales.z));
}

void CComponentInstance::Orthonormalise()
{
    const CVector3d scales = m_transform.GetScales();
    const CUnitVector3d xAxis = m_transform.GetXAxis();
    const CUnitVector3d yAxis = m_transform.GetYAxis();
    const CVector3d x(xAxis.x, xAxis.y, xAxis.z);
    CVector3d z = x.CrossProduct(CVector3d(yAxis.x, yAxis.y, yAxis.z));
    if (m_transform.IsMirrored()) {
        z = -z;
    }
    z.Normalize();
    CVector3d y = z.CrossProduct(x);
    if (m_transform.IsMirrored()) {
        y = -y;
    }
    y.Normalize();
    const CTransformation axes(x, y, z, m_transform.GetOrigin());
    SetTransform(axes * CTransformation::Scaling(scales.x, scales.y, scales.z));
}

bool CComponentInstance::HasRelationships() const
{
    std::vector<CRelationship*> relationships;
    return CountRelationships(relationships) + CountRelationshipsAsSecond(relationships) > 0;
}

void CComponentInstance::SetName(const CString& name)
{
    if (name != m_name) {
        RecordChange(true);
        m_name = name;
    }
}

CComponentInstance* ArchiveReadComponentInstance(CArchive& ar)
{
    CObject* object = ar.ReadObject(RUNTIME_CLASS(CComponentInstance));
    return static_cast<CComponentInstance*>(object);
}

bool CComponentInstance::Accept(IEntityVisitor* visitor)
{
    if (visitor == nullptr) {
        return true;
    }
    const CString name = m_definition != nullptr ? m_definition->GetName() : CString();
    return visitor->OnInstance(name, m_transform, GetInheritedMaterialColor(visitor), GetEffectiveLayer());
}

CColor CComponentInstance::GetInheritedMaterialColor(const IEntityVisitor* visitor) const
{
    const CColor own = GetMaterialColor();
    if (own != CColor() || visitor == nullptr) {
        return own;
    }
    return visitor->GetCurrentColor();
}
