#include "document/facetexturecoords.h"

#include <utility>

#include "document/documentcheck.h"
#include "document/versionmap.h"
#include "foundation/geometryarchive.h"
#include "foundation/repairnotes.h"
#include "foundation/versioninfo.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CFaceTextureCoords, CAttribute, VERSIONABLE_SCHEMA | 4)

namespace {

// As stored: a placement is mended once it is read whole.
void ReadMatrix(CArchive& ar, Matrix3& matrix)
{
    for (double& element : matrix) {
        ar >> element;
    }
}

void WriteMatrix(CArchive& ar, const Matrix3& matrix)
{
    for (double element : matrix) {
        ar << element;
    }
}

// Records before the flags word: a matrix that is not the identity placed the texture,
// and a direction projected it instead.
void DeriveOldFlags(CTexturePlacement& side)
{
    side.flags = Matrix3IsIdentity(side.matrix) ? 0 : CTexturePlacement::kPositioned;
    if (side.direction.GetLengthSquared() != 0.0) {
        side.flags &= CTexturePlacement::kProjected;
    }
}

// The check's repair, before the face draws or moves the placement: a placement whose
// numbers in use are not finite is reset. A number that is not finite where the flags do
// not look becomes neutral, so that the placement keeps drawing as it did and the next
// save writes no such number.
void MendRead(CTexturePlacement& side)
{
    if (!side.IsValid()) {
        side = CTexturePlacement();
        CRepairNotes::Say("a texture placement holds a number that is not finite; it is reset");
    } else if (side.NeutraliseUnused()) {
        CRepairNotes::Say("a texture placement holds a number that is not finite where it is not used; "
                          "that part is set to none");
    }
}

}  // namespace

CFaceTextureCoords* GetFaceTextureCoords(const CEntity* entity)
{
    if (entity == nullptr) {
        return nullptr;
    }
    return dynamic_cast<CFaceTextureCoords*>(entity->FindAttributeDictionary(kTypeFaceTextureCoords));
}

CFaceTextureCoords::CFaceTextureCoords() = default;

CFaceTextureCoords::CFaceTextureCoords(const CFaceTextureCoords& other)
    : CAttribute(other), m_front(other.m_front), m_back(other.m_back)
{
}

CFaceTextureCoords::~CFaceTextureCoords() = default;

CEntity* CFaceTextureCoords::Clone() const
{
    return new CFaceTextureCoords(*this);
}

CAttribute* CFaceTextureCoords::CloneAttribute() const
{
    auto* copy = new CFaceTextureCoords(*this);
    copy->m_front.pins.clear();
    copy->m_back.pins.clear();
    return copy;
}

void CFaceTextureCoords::SwapData(CEntity& other)
{
    CAttribute::SwapData(other);
    auto& coords = dynamic_cast<CFaceTextureCoords&>(other);
    std::swap(m_front, coords.m_front);
    std::swap(m_back, coords.m_back);
}

int CFaceTextureCoords::GetTypeId() const
{
    return kTypeFaceTextureCoords;
}

void CFaceTextureCoords::SetFrontPlacement(const CTexturePlacement& placement)
{
    RecordChange(true);
    m_front = placement;
}

void CFaceTextureCoords::SetBackPlacement(const CTexturePlacement& placement)
{
    RecordChange(true);
    m_back = placement;
}

void CFaceTextureCoords::SetFrontMatrix(const Matrix3& matrix)
{
    RecordChange(true);
    m_front.SetMatrix(matrix);
}

void CFaceTextureCoords::SetBackMatrix(const Matrix3& matrix)
{
    RecordChange(true);
    m_back.SetMatrix(matrix);
}

void CFaceTextureCoords::SetFrontProjection(const CVector3d& direction, bool projected)
{
    SetProjection(m_front, direction, projected);
}

void CFaceTextureCoords::SetBackProjection(const CVector3d& direction, bool projected)
{
    SetProjection(m_back, direction, projected);
}

void CFaceTextureCoords::SetProjection(CTexturePlacement& side, const CVector3d& direction, bool projected)
{
    const bool wasProjected = (side.flags & CTexturePlacement::kProjected) != 0;
    if (!(direction != side.direction) && wasProjected == projected) {
        return;
    }
    RecordChange(true);
    side.direction = direction;
    if (projected) {
        side.flags |= CTexturePlacement::kProjected;
    } else {
        side.flags &= ~CTexturePlacement::kProjected;
    }
}

bool CFaceTextureCoords::IsSideEmpty(bool front) const
{
    return (front ? m_front : m_back).IsEmpty();
}

bool CFaceTextureCoords::IsEmpty() const
{
    return m_front.IsEmpty() && m_back.IsEmpty();
}

void CFaceTextureCoords::Transform(const CTransformation& transform, const CPlane3d& planeBefore)
{
    if (m_front.flags == 0 && m_back.flags == 0) {
        return;
    }
    RecordChange(true);
    m_front.Transform(transform, planeBefore);
    m_back.Transform(transform, planeBefore);
}

void CFaceTextureCoords::Serialize(CArchive& ar)
{
    CAttribute::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CFaceTextureCoords::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CFaceTextureCoords));
    m_front = CTexturePlacement();
    m_back = CTexturePlacement();
    ReadMatrix(ar, m_front.matrix);
    if (version >= 1) {
        ar >> AsStored(m_front.direction);
    }
    if (version >= 2) {
        ReadMatrix(ar, m_back.matrix);
        ar >> AsStored(m_back.direction);
    }
    m_front.inverse = Matrix3Inverse(m_front.matrix);
    m_back.inverse = Matrix3Inverse(m_back.matrix);
    if (version >= 3) {
        m_front.ReadPins(ar);
        m_back.ReadPins(ar);
    }
    if (version >= 4) {
        ar >> m_front.flags >> m_back.flags;
    } else {
        DeriveOldFlags(m_front);
        DeriveOldFlags(m_back);
    }
    MendRead(m_front);
    MendRead(m_back);
}

void CFaceTextureCoords::WriteRecord(CArchive& ar) const
{
    const int format = GetSaveFormat();
    if (format != kSaveFormat5000 && format != kSaveFormat4000) {
        return;
    }
    WriteMatrix(ar, m_front.matrix);
    ar << m_front.direction;
    WriteMatrix(ar, m_back.matrix);
    ar << m_back.direction;
    m_front.WritePins(ar);
    m_back.WritePins(ar);
    ar << m_front.flags << m_back.flags;
}

int CFaceTextureCoords::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunDocumentCheck(*this, RUNTIME_CLASS(CFaceTextureCoords), results, [&]() {
        CDocumentCheck check(*this, mode);
        check.Take(CAttribute::CheckValidity(mode, results));
        for (CTexturePlacement* placement : {&m_front, &m_back}) {
            if (!placement->IsValid() && check.Repairable(kMsgPlacementInvalid)) {
                *placement = CTexturePlacement();
            }
        }
        return check.GetSeverity();
    });
}
