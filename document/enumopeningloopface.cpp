#include "document/enumopeningloopface.h"

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "foundation/plane3d.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/perimeterfinder.h"
#include "model/relationship.h"

CEnumOpeningLoopFace::CEnumOpeningLoopFace(const CFace* face, ITarnisView* view) : m_face(face), m_view(view)
{
    if (m_face == nullptr) {
        return;
    }
    m_normal = m_face->GetNormal();
    std::vector<CRelationship*> relationships;
    m_face->CountRelationships(relationships);
    for (CRelationship* relationship : relationships) {
        CollectRelationship(relationship);
    }
}

CEnumOpeningLoopFace::CEnumOpeningLoopFace(CRelationship* relationship, ITarnisView* view) : m_view(view)
{
    m_face = relationship != nullptr ? dynamic_cast<const CFace*>(relationship->GetFirst()) : nullptr;
    if (m_face != nullptr) {
        m_normal = m_face->GetNormal();
        CollectRelationship(relationship);
    }
}

CEnumOpeningLoopFace::~CEnumOpeningLoopFace() = default;

void CEnumOpeningLoopFace::CollectRelationship(CRelationship* relationship)
{
    Collect(relationship, dynamic_cast<const CComponentInstance*>(relationship->GetSecond()), CTransformation(), 0);
}

void CEnumOpeningLoopFace::Collect(CRelationship* relationship, const CComponentInstance* instance,
                                   const CTransformation& outer, int depth)
{
    if (!CutsOpening(instance, m_view) || depth >= CComponent::kMaxNestingDepth) {
        return;
    }
    const CComponentDefinition* definition = instance->GetDefinition();
    if (!m_entered.insert(definition).second) {
        return;  // a definition that holds itself cuts no further
    }
    const CTransformation placed = outer * instance->GetTransform();
    const CPerimeterFinder* perimeter = definition->GetPerimeterFinder();
    const CVector3d normal(m_normal.x, m_normal.y, m_normal.z);
    for (int i = 0; i < perimeter->GetFaceCount(); ++i) {
        CFace* outline = perimeter->GetFace(i);
        if (outline == nullptr || outline->GetOuterLoop() == nullptr) {
            continue;
        }
        const CUnitVector3d turned = (placed * outline->GetPlane()).GetNormal();
        const bool sameWay = turned.x * normal.x + turned.y * normal.y + turned.z * normal.z > 0.0;
        m_loops.emplace_back(relationship, placed, outline->GetOuterLoop(), placed.IsMirrored() ? !sameWay : sameWay);
    }
    for (int i = 0; i < perimeter->GetInstanceCount(); ++i) {
        Collect(relationship, perimeter->GetInstance(i), placed, depth + 1);
    }
    m_entered.erase(definition);
}

bool CEnumOpeningLoopFace::Next(COpeningLoop*& out)
{
    out = GetAt(m_cursor);
    if (out == nullptr) {
        return false;
    }
    ++m_cursor;
    return true;
}

int CEnumOpeningLoopFace::GetTotalEdgeUseCount() const
{
    int total = 0;
    for (const COpeningLoop& loop : m_loops) {
        total += loop.GetLoop() != nullptr ? loop.GetLoop()->GetEdgeUseCount() : 0;
    }
    return total;
}

COpeningLoop* CEnumOpeningLoopFace::GetAt(int index)
{
    if (index < 0 || index >= GetCount()) {
        return nullptr;
    }
    return &m_loops[static_cast<std::size_t>(index)];
}
