#include "document/modelpointref.h"

#include <algorithm>
#include <utility>

#include "document/componentinstance.h"
#include "document/image.h"
#include "foundation/boundingbox2d.h"
#include "foundation/geometryarchive.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "model/drawingelement.h"
#include "model/edgeuse.h"
#include "model/entitylist.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/loopprocedures.h"
#include "model/vertex.h"
#include "platform/archive.h"

namespace {

// Gathers the 2D box of a loop's vertices carried into a frame.
class CBoundsProc : public IVertexProcedure
{
public:
    explicit CBoundsProc(const CTransformation& toFrame) : m_toFrame(toFrame) {}

    bool Apply(CVertex* vertex) override
    {
        const CPoint3d p = m_toFrame * vertex->GetPosition();
        m_box.Add(CPoint2d(p.x, p.y));
        return true;
    }
    [[nodiscard]] const CBoundingBox2d& GetBox() const { return m_box; }

private:
    CTransformation m_toFrame;
    CBoundingBox2d m_box;
};

// The face frame: at the start of the outer loop's first edge use, x along that use,
// z the face normal. False when the face has no usable outer loop.
bool GetFaceFrame(const CFace* face, CTransformation& toFrame, const CLoop*& outer)
{
    outer = face != nullptr ? face->GetOuterLoop() : nullptr;
    const CEdgeUse* use = outer != nullptr ? outer->GetFirstEdgeUse() : nullptr;
    if (use == nullptr || use->GetStartVertex() == nullptr || use->GetEndVertex() == nullptr) {
        return false;
    }
    const CPoint3d start = use->GetStartVertex()->GetPosition();
    const CUnitVector3d x(start, use->GetEndVertex()->GetPosition());
    const CUnitVector3d z = face->GetNormal();
    const CVector3d xAxis(x.x, x.y, x.z);
    const CVector3d zAxis(z.x, z.y, z.z);
    const CTransformation frame(xAxis, zAxis.CrossProduct(xAxis), zAxis, start);
    return frame.GetInverse(toFrame);
}

double Fraction(double value, double low, double high)
{
    const double size = high - low;
    return size > 0.0 ? (value - low) / size : 0.0;
}

}  // namespace

CModelPointRef::CModelPointRef(const CPoint3d& point)
    : m_kind(kFreePoint), m_parameters(point), m_position(point)
{
}

void CModelPointRef::Set(std::int32_t kind, const CPoint3d& parameters, CEntity* first,
                         const CInstancePath& firstPath, CEntity* second, const CInstancePath& secondPath)
{
    m_kind = kind;
    m_parameters = parameters;
    m_first = first;
    m_firstPath = firstPath;
    m_second = second;
    m_secondPath = secondPath;
}

void CModelPointRef::Read(CArchive& ar)
{
    std::int32_t version = 0;
    ar >> m_kind >> version;
    ar >> m_parameters;
    m_first = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)));
    m_second = version >= 1 ? ReadDrawingElement(ar) : nullptr;
    m_firstPath.Clear();
    m_secondPath.Clear();
    ReadPath(ar, m_firstPath);
    if (version >= 4) {
        ReadPath(ar, m_secondPath);
    }
    ConvertOldReferences(version);
}

void CModelPointRef::ReadPath(CArchive& ar, CInstancePath& path)
{
    const std::int32_t count = ReadReferenceCount(ar);
    for (std::int32_t i = 0; i < count; ++i) {
        if (CComponentInstance* instance = ArchiveReadComponentInstance(ar)) {
            path.Push(instance);
        }
    }
}

void CModelPointRef::ConvertOldReferences(std::int32_t version)
{
    // Image points once named the image's own placement as the last step of the path.
    if (version < 2 && m_kind == kImagePoint && dynamic_cast<CImage*>(m_first) != nullptr) {
        m_firstPath.Pop();
    }
    // Face points once stored frame coordinates instead of fractions of the face box.
    if (version < 3 && m_kind == kFacePoint) {
        if (const auto* face = dynamic_cast<const CFace*>(m_first)) {
            m_parameters = GetFaceFractions(face, m_parameters);
        }
    }
}

CPoint3d CModelPointRef::GetFaceFractions(const CFace* face, const CPoint3d& framePoint)
{
    CTransformation toFrame;
    const CLoop* outer = nullptr;
    if (!GetFaceFrame(face, toFrame, outer)) {
        return CPoint3d(0, 0, 0);
    }
    CBoundsProc bounds(toFrame);
    outer->ForEachVertex(bounds);
    const CBoundingBox2d& box = bounds.GetBox();
    if (box.IsEmpty()) {
        return CPoint3d(0, 0, 0);
    }
    return CPoint3d(Fraction(framePoint.x, box.xmin, box.xmax), Fraction(framePoint.y, box.ymin, box.ymax), 0.0);
}

void CModelPointRef::Write(CArchive& ar)
{
    if (m_detachPending) {
        ar << static_cast<std::int32_t>(kFreePoint) << kRecordVersion << m_position;
        ar.WriteObject(nullptr);
        ar.WriteObject(nullptr);
        ar << static_cast<std::int32_t>(0) << static_cast<std::int32_t>(0);
        m_detachPending = false;
        return;
    }
    ar << m_kind << kRecordVersion << m_parameters;
    ar.WriteObject(m_first);
    ar.WriteObject(m_second);
    WritePath(ar, m_firstPath);
    WritePath(ar, m_secondPath);
}

void CModelPointRef::WritePath(CArchive& ar, const CInstancePath& path)
{
    ar << static_cast<std::int32_t>(path.GetCount());
    for (CEntity* entity : path.GetEntities()) {
        ar.WriteObject(entity);
    }
}

bool CModelPointRef::MapAttachment(CEntity*& entity, CInstancePath& path, int firstMapped, const CopyLookup& copyOf)
{
    bool changed = false;
    CInstancePath mapped;
    for (int i = 0; i < path.GetCount(); ++i) {
        CEntity* step = path.GetAt(i);
        CEntity* copy = i >= firstMapped ? copyOf(step) : nullptr;
        mapped.Push(copy != nullptr ? copy : step);
        changed = changed || copy != nullptr;
    }
    if (CEntity* copy = entity != nullptr ? copyOf(entity) : nullptr) {
        entity = copy;
        changed = true;
    }
    path = mapped;
    return changed;
}

bool CModelPointRef::MapBelowInstance(const CEntity* instance, const CopyLookup& copyOf)
{
    bool changed = false;
    for (auto [entity, path] : {std::pair{&m_first, &m_firstPath}, std::pair{&m_second, &m_secondPath}}) {
        const auto& steps = path->GetEntities();
        const auto found = std::find(steps.begin(), steps.end(), instance);
        if (instance != nullptr && found != steps.end()) {
            const int below = static_cast<int>(found - steps.begin()) + 1;
            changed = MapAttachment(*entity, *path, below, copyOf) || changed;
        }
    }
    return changed;
}

bool CModelPointRef::OnInstanceRemoved(const CEntity* instance, const CopyLookup& copyOf)
{
    bool changed = false;
    for (auto [entity, path] : {std::pair{&m_first, &m_firstPath}, std::pair{&m_second, &m_secondPath}}) {
        if (instance == nullptr || path->Front() != instance) {
            continue;
        }
        CInstancePath rest;
        for (int i = 1; i < path->GetCount(); ++i) {
            rest.Push(path->GetAt(i));
        }
        *path = rest;
        MapAttachment(*entity, *path, 0, copyOf);
        changed = true;
    }
    return changed;
}
