#include "document/component.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "annotations/sectionplane.h"
#include "document/classbyname.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/containeriterator.h"
#include "document/definitionlist.h"
#include "document/entitymerger.h"
#include "document/fontmanager.h"
#include "document/twfont.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/meshreadsums.h"
#include "document/removalbatch.h"
#include "document/tarnwickmodel.h"
#include "document/twicelisted.h"
#include "document/versionmap.h"
#include "document/instancepath.h"
#include "foundation/boundedline3d.h"
#include "foundation/geometryarchive.h"
#include "foundation/line3d.h"
#include "foundation/parallelchunks.h"
#include "foundation/repairnotes.h"
#include "model/attributecontainer.h"
#include "model/edgeuse.h"
#include "model/edge.h"
#include "model/entitylist.h"
#include "model/entityset.h"
#include "model/enumedge.h"
#include "model/enumedgeuse.h"
#include "model/face.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "model/undooperation.h"
#include "model/wholemodelrelease.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"
#include "platform/heapprefaulter.h"
#include "platform/pointerindexmap.h"

IMPLEMENT_SERIAL(CComponent, CDrawingElement, VERSIONABLE_SCHEMA | 11)

namespace {

// A point must lie this far inside every face of the bounds to count as inside.
constexpr double kInsideMargin = 0.001;
constexpr double kGrowMargin = 0.01;
// How far, as a share of the bounds' diagonal, a section plane is drawn beyond them.
constexpr double kSectionPlaneMargin = 0.1;

// The open operation while recording is on; null otherwise.
CUndoOperation* RecordingOperation(const CEntity* entity)
{
    return IsRecordingChanges() ? entity->GetUndoOperation() : nullptr;
}

// The components a component reaches: those it places (the components it holds as
// entities and the definitions of its instances) and the definitions of its list.
using NestedComponents = std::vector<const CComponent*>;

NestedComponents NestedComponentsOf(const CComponent* component)
{
    NestedComponents nested;
    for (const CDrawingElement* entity : component->GetEntityList()) {
        if (const CComponent* held = entity->GetNestedComponent()) {
            nested.push_back(held);
        }
    }
    if (const CDefinitionList* list = component->GetDefinitionList()) {
        nested.insert(nested.end(), list->GetDefinitions().begin(), list->GetDefinitions().end());
    }
    return nested;
}

// Refuses a file whose components contain themselves or nest deeper than the limit,
// before anything walks them recursively. Depth first without recursion, each
// component's height worked out once however often it is shared; a component seen
// again while it is still open closes a cycle. startNested: what the start reaches.
void CheckComponentNesting(const CComponent* start, NestedComponents startNested, CArchive& ar)
{
    constexpr int kOpen = -1;
    struct Frame
    {
        const CComponent* component;
        NestedComponents nested;
        std::size_t next = 0;
        int deepest = 0;
    };
    std::unordered_map<const CComponent*, int> heights{{start, kOpen}};
    std::vector<Frame> stack;
    stack.push_back({start, std::move(startNested)});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next < frame.nested.size()) {
            const CComponent* nested = frame.nested[frame.next++];
            const auto found = heights.find(nested);
            if (found == heights.end()) {
                heights.emplace(nested, kOpen);
                stack.push_back({nested, NestedComponentsOf(nested)});
            } else if (found->second == kOpen) {
                AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName,
                                         "a component contains itself");
            } else {
                frame.deepest = std::max(frame.deepest, found->second);
            }
            continue;
        }
        const int height = frame.deepest + 1;
        if (height > CComponent::kMaxNestingDepth) {
            AfxThrowArchiveException(CArchiveException::nestedTooDeep, ar.m_strFileName);
        }
        heights[frame.component] = height;
        stack.pop_back();
        if (!stack.empty()) {
            stack.back().deepest = std::max(stack.back().deepest, height);
        }
    }
}

// Components of one record version carried the model's fonts in their own record; the
// current model's font manager takes them. Without a model they are read and dropped.
void ReadComponentFontManager(CArchive& ar)
{
    CTarnwickModel* model = GetCurrentModel();
    CFontManager* fonts = model != nullptr ? model->GetFontManager() : nullptr;
    if (fonts != nullptr) {
        fonts->Serialize(ar);
        return;
    }
    auto* dropped = new CFontManager(nullptr);
    ar.DeleteWhenClosed(dropped);
    const UINT known = ar.GetMapCount();
    dropped->Serialize(ar);
    // The fonts go with the archive, not with the manager, and no later reference reads
    // them. A font read before the manager is left to what read it (a text holds its
    // font without owning it).
    const std::vector<CTwFont*> read = dropped->GetFonts();
    for (CTwFont* font : read) {
        dropped->Remove(font);
        if (ar.IsMadeAfter(font, known)) {
            ar.DeleteWhenClosed(font);
        }
    }
}

double DistanceToLine(const CLine3d& line, const CPoint3d& point)
{
    const CVector3d offset = point - line.origin;
    const CVector3d direction(line.direction.x, line.direction.y, line.direction.z);
    return offset.CrossProduct(direction).GetLength();
}

bool IsSectionPlane(const CEntity* entity)
{
    return kSectionPlaneClass.IsKindOf(entity);
}

// The classes the bounds tell apart (null while one is not registered).
struct BoundsClasses
{
    const CRuntimeClass* sectionPlane;
    const CRuntimeClass* constructionLine;
    const CRuntimeClass* instance;
    const CRuntimeClass* edge;
    const CRuntimeClass* face;
};

struct BoundsKind
{
    bool sectionPlane = false;
    bool constructionLine = false;
    bool instance = false;
};

// One walk up the entity's class chain answers all three type tests: the bounds ask them of
// every entity of a model.
BoundsKind ClassifyForBounds(const CDrawingElement& entity, const BoundsClasses& classes)
{
    BoundsKind kind;
    for (const CRuntimeClass* c = entity.GetRuntimeClass(); c != nullptr; c = c->m_pBaseClass) {
        kind.sectionPlane = kind.sectionPlane || c == classes.sectionPlane;
        kind.constructionLine = kind.constructionLine || c == classes.constructionLine;
        kind.instance = kind.instance || c == classes.instance;
    }
    return kind;
}

// Marks a component as being walked for as long as it lives; a second guard on the
// same component does not enter. Walks deeper than the nesting limit do not enter
// either, so that a run-time cycle or chain cannot exhaust the stack.
class WalkGuard
{
public:
    explicit WalkGuard(bool& walking) : m_walking(walking), m_entered(!walking && s_depth < CComponent::kMaxNestingDepth)
    {
        if (m_entered) {
            m_walking = true;
            ++s_depth;
        }
    }
    ~WalkGuard()
    {
        if (m_entered) {
            m_walking = false;
            --s_depth;
        }
    }
    WalkGuard(const WalkGuard&) = delete;
    WalkGuard& operator=(const WalkGuard&) = delete;

    [[nodiscard]] bool Entered() const { return m_entered; }

private:
    static inline int s_depth = 0;
    bool& m_walking;
    bool m_entered;
};

}  // namespace

CComponent::CComponent()
{
    m_relationships = new CRelationshipMap;
    m_relationships->SetParent(this);
    m_definitions = new CDefinitionList;
    m_definitions->SetParent(this);
    m_materialManager = new CMaterialManager;
    m_materialManager->SetParent(this);
    m_layerManager = new CLayerManager;
    m_layerManager->SetParent(this);
    m_layerManager->EnsureDefaultLayer();
}

CComponent::CComponent(const CComponent& other)
    : CDrawingElement(other), m_activeSectionPlane(other.m_activeSectionPlane), m_managersErased(true)
{
}

CComponent::~CComponent()
{
    if (m_managersErased) {
        return;
    }
    // Only the managers' own storage: what they hold came from the same archive and
    // goes with it.
    delete m_relationships;
    delete m_definitions;
    delete m_materialManager;
    delete m_layerManager;
}

CEntity* CComponent::Clone() const
{
    return new CComponent(*this);
}

int CComponent::GetTypeId() const
{
    return kTypeComponent;
}

const CComponent* CComponent::GetNestedComponent() const
{
    return this;
}

CTarnwickModel* CComponent::GetModel() const
{
    if (m_model != nullptr) {
        return m_model;
    }
    if (GetParent() != nullptr) {
        return GetParent()->GetModel();
    }
    return GetCurrentModel();
}

void CComponent::Erase()
{
    RecordChange(true);
    EraseListed();
    // The component's own material may live in its own manager, which is erased next.
    if (m_materialManager != nullptr && m_materialManager->Contains(GetMaterial())) {
        SetMaterial(nullptr);
    }
    EraseManagers();
    CDrawingElement::Erase();
}

void CComponent::EraseListed()
{
    if (CWholeModelRelease::IsActive()) {
        CWholeModelRelease::LetGo(m_entities);
        InvalidateSmoothNormals();
        return;
    }
    CEdge::EraseLongRings(m_entities);
    for (CDrawingElement* entity : m_entities) {
        entity->Erase();
    }
}

void CComponent::EraseManagers()
{
    m_managersErased = true;
    if (m_definitions != nullptr) {
        m_definitions->Erase();
    }
    if (m_relationships != nullptr) {
        m_relationships->Erase();
    }
    if (m_layerManager != nullptr) {
        m_layerManager->Erase();
    }
    if (m_materialManager != nullptr) {
        m_materialManager->Erase();
    }
}

void CComponent::OnGeometryChanged()
{
    InvalidateSmoothNormals();
    for (CDrawingElement* entity : m_entities) {
        entity->OnGeometryChanged();
    }
    if (m_definitions != nullptr) {
        for (CComponentDefinition* definition : m_definitions->GetDefinitions()) {
            definition->OnGeometryChanged();
        }
    }
}

void CComponent::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    const WalkGuard guard(m_walking);
    if (!guard.Entered()) {
        return;
    }
    for (const CDrawingElement* entity : m_entities) {
        entity->AccumulateExtents(transform, box);
    }
}

void CComponent::GetExtents(CBoundingBox3d& box) const
{
    if (!m_boundsValid) {
        RecomputeBounds();
    }
    box.Add(m_bounds);
}

int CComponent::GetCount() const
{
    return static_cast<int>(m_entities.size());
}

bool CComponent::IsEmpty() const
{
    return m_entities.empty();
}

bool CComponent::Contains(const CEntity* entity) const
{
    if (m_batchDepth > 0) {
        const auto* element = dynamic_cast<const CDrawingElement*>(entity);
        return element != nullptr && m_batchPlaces.count(element) != 0;
    }
    return ListContains(m_entities, entity);
}

void CComponent::Add(CEntity* entity)
{
    auto* element = dynamic_cast<CDrawingElement*>(entity);
    if (element == nullptr) {
        return;
    }
    const bool onlySectionPlanes =
        !m_entities.empty() && std::all_of(m_entities.begin(), m_entities.end(), IsSectionPlane);
    if (m_batchDepth > 0) {
        m_batchPlaces.emplace(element, m_entities.size());
    }
    m_entities.push_back(element);
    element->SetParent(this);
    CMeshReadSums::NoteListsChanged();
    InvalidateSmoothNormals();
    if (onlySectionPlanes) {
        // The planes size themselves from the other entities' bounds.
        InvalidateBounds();
    } else if (m_boundsValid) {
        AddEntityBounds(element);
    }
    if (IsSectionPlane(element)) {
        AppendOnce(m_sectionPlanes, element);
    }
}

bool CComponent::Remove(CEntity* entity)
{
    auto* element = dynamic_cast<CDrawingElement*>(entity);
    if (element == nullptr) {
        return false;
    }
    if (IsSectionPlane(element)) {
        m_sectionPlanes.erase(std::remove(m_sectionPlanes.begin(), m_sectionPlanes.end(), element),
                              m_sectionPlanes.end());
    }
    if (m_batchDepth > 0) {
        const auto place = m_batchPlaces.find(element);
        if (place == m_batchPlaces.end()) {
            return false;
        }
        m_entities[place->second] = nullptr;
        m_batchPlaces.erase(place);
    } else {
        const auto found = std::find(m_entities.begin(), m_entities.end(), element);
        if (found == m_entities.end()) {
            return false;
        }
        m_entities.erase(found);
    }
    element->SetParent(nullptr);
    CMeshReadSums::NoteListsChanged();
    InvalidateBounds();
    return true;
}

void CComponent::BeginRemovalBatch()
{
    if (m_batchDepth++ > 0) {
        return;
    }
    m_batchPlaces.clear();
    m_batchPlaces.reserve(m_entities.size());
    for (std::size_t i = 0; i < m_entities.size(); ++i) {
        // A listed twice entity is found at its first place, as by a search.
        m_batchPlaces.emplace(m_entities[i], i);
    }
}

void CComponent::EndRemovalBatch()
{
    if (m_batchDepth == 0 || --m_batchDepth > 0) {
        return;
    }
    std::erase(m_entities, nullptr);
    m_batchPlaces.clear();
    CMeshReadSums::NoteListsChanged();
}

void CComponent::RemoveAll()
{
    CMeshReadSums::NoteListsChanged();
    m_entities.clear();
    m_batchPlaces.clear();
    m_entities.shrink_to_fit();
    if (m_relationships != nullptr) {
        m_relationships->RemoveAll();
    }
    if (m_definitions != nullptr) {
        m_definitions->RemoveAll();
    }
    if (m_materialManager != nullptr) {
        m_materialManager->RemoveAll();
    }
    m_sectionPlanes.clear();
    InvalidateBounds();
}

CEntity* CComponent::GetAt(int index) const
{
    return ListAt(m_entities, index);
}

IEntityIterator* CComponent::NewIterator()
{
    return new CContainerIterator(this);
}

void CComponent::EraseAll()
{
    RecordChange(true);
    while (!m_entities.empty()) {
        CDrawingElement* const last = m_entities.back();
        if (last == nullptr) {
            m_entities.pop_back();
            continue;
        }
        Remove(last);
        if (CUndoOperation* operation = RecordingOperation(this)) {
            operation->RecordRemove(last, this);
        }
        last->Erase();
    }
    InvalidateBounds();
}

void CComponent::Clear()
{
    RecordChange(true);
    // Dropped before the managers are emptied, so that no use is taken back from a
    // material already gone.
    SetMaterial(nullptr);
    SetLayer(nullptr);
    EraseListed();
    CMeshReadSums::NoteListsChanged();
    m_entities.clear();
    m_entities.shrink_to_fit();
    InvalidateBounds();
    if (m_definitions != nullptr) {
        m_definitions->EraseAll(true);
    }
    if (m_relationships != nullptr) {
        m_relationships->EraseAll(true);
    }
    if (m_layerManager != nullptr) {
        m_layerManager->Clear();
        m_layerManager->EnsureDefaultLayer();
    }
    if (m_materialManager != nullptr) {
        m_materialManager->Clear();
    }
    if (CAttributeContainer* attributes = GetAttributeContainer()) {
        attributes->ReleaseAll();
    }
    m_sectionPlanes.clear();
    m_activeSectionPlane = nullptr;
    m_shadowState = 0;
    // An old record's placement waits here until the read ends; a read that failed
    // before then must not hand it to the next file read into this component.
    m_componentTransform.SetIdentity();
}

void CComponent::InvalidateBounds()
{
    m_boundsValid = false;
    m_containsConstructionLine = false;
    m_containsSectionPlane = false;
}

CDrawingElement* CComponent::AddEntity(CDrawingElement* entity)
{
    if (CUndoOperation* operation = RecordingOperation(this)) {
        operation->RecordAdd(entity, this);
    }
    Add(entity);
    return entity;
}

bool CComponent::RemoveEntity(CDrawingElement* entity)
{
    if (!Remove(entity)) {
        return false;
    }
    if (CUndoOperation* operation = RecordingOperation(this)) {
        operation->RecordRemove(entity, this);
    }
    return true;
}

bool CComponent::EraseEntity(CDrawingElement* entity)
{
    if (entity == nullptr) {
        return false;
    }
    entity->DeleteRelationships();
    const bool removed = RemoveEntity(entity);
    entity->Erase();
    return removed;
}

void CComponent::AddEntities(const std::vector<CEntity*>& entities)
{
    CUndoOperation* const operation = RecordingOperation(this);
    // A paste adds hundreds of thousands of entities: a tree node per member would
    // make this a cache miss per step of every lookup.
    CPointerIndexMap added;
    added.Reserve(entities.size());
    for (CEntity* entity : entities) {
        if (entity == nullptr || added.Find(entity) != 0) {
            continue;
        }
        if (auto* element = dynamic_cast<CDrawingElement*>(entity)) {
            AddOneToBatch(element, operation, added);
            if (const auto* face = dynamic_cast<const CFace*>(element)) {
                AddFaceEdges(face, operation, added);
            }
        } else if (auto* relationship = dynamic_cast<CRelationship*>(entity)) {
            if (m_relationships != nullptr) {
                m_relationships->AddRelationship(relationship);
            }
        }
    }
}

void CComponent::AddOneToBatch(CDrawingElement* element, CUndoOperation* operation, CPointerIndexMap& added)
{
    if (operation != nullptr) {
        operation->RecordAdd(element, this);
    }
    Add(element);
    added.Set(element, 1);
}

void CComponent::AddFaceEdges(const CFace* face, CUndoOperation* operation, CPointerIndexMap& added)
{
    const std::unique_ptr<CEnumEdge> edges(face->NewEdgeEnum());
    if (!edges) {
        return;
    }
    CEdge* edge = nullptr;
    while (edges->Next(edge)) {
        if (edge != nullptr && added.Find(edge) == 0) {
            AddOneToBatch(edge, operation, added);
        }
    }
}

void CComponent::GetEntities(std::vector<CDrawingElement*>& out) const
{
    out.insert(out.end(), m_entities.begin(), m_entities.end());
}

void CComponent::EraseRelationship(CRelationship* relationship)
{
    if (relationship == nullptr) {
        return;
    }
    if (m_relationships != nullptr) {
        m_relationships->Remove(relationship);
    }
    relationship->Erase();
}

namespace {

// One chunk of a large list: the box of its faces and edges, and the positions of the rest.
struct BoundsChunk
{
    CBoundingBox3d box;
    std::vector<std::size_t> others;
};

// Edges and faces, nearly all of a model, are none of the kinds told apart and add their
// points without a virtual call; false for any other entity. Exact: the entity's class.
bool AddMeshBounds(const CDrawingElement& entity, const CRuntimeClass* exact, const BoundsClasses& classes,
                   CBoundingBox3d& box)
{
    if (exact == classes.edge) {
        static_cast<const CEdge&>(entity).CEdge::GetExtents(box);
        return true;
    }
    if (exact == classes.face) {
        static_cast<const CFace&>(entity).CFace::GetExtents(box);
        return true;
    }
    return false;
}

BoundsClasses GetBoundsClasses()
{
    return {kSectionPlaneClass.Get(), kConstructionLineClass.Get(), RUNTIME_CLASS(CComponentInstance),
            RUNTIME_CLASS(CEdge), RUNTIME_CLASS(CFace)};
}

}  // namespace

void CComponent::RecomputeBounds() const
{
    const WalkGuard guard(m_walking);
    if (!guard.Entered()) {
        return;  // reached again through its own instances: it adds nothing there
    }
    EmptyBounds();
    const BoundsClasses classes = GetBoundsClasses();
    CBoundingBox3d mesh;
    std::vector<std::size_t> others;
    const bool fast = !FillsSecondBounds();
    if (fast && CParallelChunks::IsWorthSplitting(m_entities.size())) {
        // A mesh's millions of faces and edges: a box is the same whatever order its
        // points come in, so each chunk takes its own and the boxes are joined.
        std::vector<BoundsChunk> chunks(CParallelChunks::ChunksOf(m_entities.size()));
        CParallelChunks::RunOverList(m_entities.size(), [&](std::size_t chunk, std::size_t first, std::size_t end) {
            for (std::size_t i = first; i < end; ++i) {
                const CDrawingElement& entity = *m_entities[i];
                if (!AddMeshBounds(entity, entity.GetRuntimeClass(), classes, chunks[chunk].box)) {
                    chunks[chunk].others.push_back(i);
                }
            }
        });
        for (const BoundsChunk& chunk : chunks) {
            mesh.Add(chunk.box);
            others.insert(others.end(), chunk.others.begin(), chunk.others.end());
        }
    } else {
        for (std::size_t i = 0; i < m_entities.size(); ++i) {
            const CRuntimeClass* exact = m_entities[i]->GetRuntimeClass();
            const bool isMesh = exact == classes.edge || exact == classes.face;
            if (!isMesh) {
                others.push_back(i);
            } else if (!fast) {
                AddEntityBounds(m_entities[i]);
            } else {
                (void)AddMeshBounds(*m_entities[i], exact, classes, mesh);
            }
        }
    }
    FinishBounds(mesh, others);
}

void CComponent::TakeMeshBounds(const CBoundingBox3d& mesh, const std::vector<std::size_t>& others) const
{
    if (m_boundsValid || FillsSecondBounds()) {
        return;
    }
    const WalkGuard guard(m_walking);
    if (!guard.Entered()) {
        return;
    }
    EmptyBounds();
    FinishBounds(mesh, others);
}

void CComponent::EmptyBounds() const
{
    m_bounds.SetEmpty();
    m_secondBounds.SetEmpty();
    m_containsConstructionLine = false;
    m_containsSectionPlane = false;
    m_sectionPlanes.clear();
}

void CComponent::FinishBounds(const CBoundingBox3d& mesh, const std::vector<std::size_t>& others) const
{
    m_bounds.Add(mesh);
    const BoundsClasses classes = GetBoundsClasses();
    for (const std::size_t i : others) {
        CDrawingElement* entity = i < m_entities.size() ? m_entities[i] : nullptr;
        if (entity == nullptr) {
            continue;
        }
        const BoundsKind kind = ClassifyForBounds(*entity, classes);
        if (kind.sectionPlane) {
            m_sectionPlanes.push_back(entity);
            m_containsSectionPlane = true;
            continue;
        }
        AddEntityBounds(entity);
        m_containsConstructionLine = m_containsConstructionLine || kind.constructionLine;
        if (kind.instance) {
            AddInstanceFlags(static_cast<const CComponentInstance&>(*entity));
        }
    }
    if (!m_sectionPlanes.empty()) {
        if (m_bounds.xmax < m_bounds.xmin) {
            m_bounds.Add(CPoint3d(0, 0, 0));
        }
        for (const CDrawingElement* plane : m_sectionPlanes) {
            AddEntityBounds(plane);
        }
    }
    m_boundsValid = true;
}

void CComponent::AddInstanceFlags(const CComponentInstance& instance) const
{
    const CComponentDefinition* definition = instance.GetDefinition();
    if (definition == nullptr) {
        return;
    }
    m_containsConstructionLine = m_containsConstructionLine || definition->ContainsConstructionLine();
    m_containsSectionPlane = m_containsSectionPlane || definition->GetBoundsFlag();
}

void CComponent::AddEntityBounds(const CDrawingElement* entity) const
{
    entity->GetExtents(m_bounds);
}

void CComponent::AddPointToBounds(const CPoint3d& point)
{
    m_bounds.Add(point);
}

void CComponent::GetBounds(CBoundingBox3d& out, bool grown) const
{
    if (!m_boundsValid) {
        RecomputeBounds();
    }
    out = m_bounds;
    if (!grown) {
        return;
    }
    if (out.xmin <= out.xmax) {
        out.xmin -= kGrowMargin;
        out.xmax += kGrowMargin;
    }
    if (out.ymin <= out.ymax) {
        out.ymin -= kGrowMargin;
        out.ymax += kGrowMargin;
    }
    if (out.zmin <= out.zmax) {
        out.zmin -= kGrowMargin;
        out.zmax += kGrowMargin;
    }
}

void CComponent::GetDrawnBounds(CBoundingBox3d& out) const
{
    GetBounds(out, false);
    if (m_containsSectionPlane) {
        out.Expand(out.GetDiagonal() * kSectionPlaneMargin);
    }
}

bool CComponent::GetBoundsFlag() const
{
    if (!m_boundsValid) {
        RecomputeBounds();
    }
    return m_containsSectionPlane;
}

bool CComponent::ContainsConstructionLine() const
{
    if (!m_boundsValid) {
        RecomputeBounds();
    }
    return m_containsConstructionLine;
}

const std::vector<CDrawingElement*>& CComponent::GetSectionPlanes() const
{
    if (!m_boundsValid) {
        RecomputeBounds();
    }
    return m_sectionPlanes;
}

CDrawingElement* CComponent::GetActiveSectionPlane() const
{
    if (m_activeSectionPlane == nullptr || m_activeSectionPlane->GetParent() != this) {
        return nullptr;
    }
    return m_activeSectionPlane;
}

void CComponent::SetActiveSectionPlane(CDrawingElement* plane)
{
    if (plane == m_activeSectionPlane) {
        return;
    }
    RecordChange(true);
    // A plane's cut is computed for it being active; both ends start afresh.
    for (CDrawingElement* changed : {m_activeSectionPlane, plane}) {
        if (auto* section = dynamic_cast<CSectionPlane*>(changed)) {
            section->DeleteSlice();
        }
    }
    m_activeSectionPlane = plane;
}

CPoint3d CComponent::GetBoundsCenter() const
{
    if (!m_boundsValid) {
        RecomputeBounds();
    }
    return m_bounds.GetCentre();
}

bool CComponent::CheckPointInBounds(const CPoint3d& point)
{
    const bool inside = m_boundsValid && point.x > m_bounds.xmin + kInsideMargin &&
                        point.x < m_bounds.xmax - kInsideMargin && point.y > m_bounds.ymin + kInsideMargin &&
                        point.y < m_bounds.ymax - kInsideMargin && point.z > m_bounds.zmin + kInsideMargin &&
                        point.z < m_bounds.zmax - kInsideMargin;
    if (!inside) {
        InvalidateBounds();
    }
    return inside;
}

void CComponent::ResetEditTransform()
{
    m_editTransform = CTransformation();
}

void CComponent::Serialize(CArchive& ar)
{
    if (m_relationships == nullptr || m_definitions == nullptr || m_materialManager == nullptr ||
        m_layerManager == nullptr) {
        // An undo snapshot holds no managers and has no record.
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
    }
    CDrawingElement::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

namespace {

// The edges a component's read took in because its list left them out, for as long as
// the outermost component's read lasts: a list read later that names one is where it was
// listed. User-interface thread only.
std::unordered_set<const CDrawingElement*> g_edgesTakenIn;
int g_readDepth = 0;

class CReadDepth
{
public:
    CReadDepth() { ++g_readDepth; }
    ~CReadDepth()
    {
        if (--g_readDepth == 0) {
            g_edgesTakenIn.clear();
        }
    }
    CReadDepth(const CReadDepth&) = delete;
    CReadDepth& operator=(const CReadDepth&) = delete;
};

}  // namespace

// What ReadEntities learns of each element while it is at hand, so that FinishRead need
// not walk a list of millions again: the components the elements reach, and how often
// each material is used by an element or a back face.
struct CComponent::ReadTally
{
    std::vector<const CComponent*> nested;
    std::vector<std::pair<CMaterial*, std::size_t>> materialUses;
    // Each material's position in materialUses plus one; neighbours mostly share the last.
    CPointerIndexMap positions;
    std::size_t last = 0;

    // Calls use with each material the element uses, once per use: its own, and a
    // face's back material. A type id instead of a cast: this runs for every element.
    template <typename Use>
    static void AddUsesOf(const CDrawingElement* element, Use use)
    {
        if (CMaterial* material = element->GetMaterial()) {
            use(material);
        }
        if (element->GetTypeId() == kTypeFace) {
            if (CMaterial* back = static_cast<const CFace*>(element)->GetBackMaterial()) {
                use(back);
            }
        }
    }

    void AddUse(CMaterial* material)
    {
        if (last >= materialUses.size() || materialUses[last].first != material) {
            const UINT position = positions.Find(material);
            if (position != 0) {
                last = position - 1;
            } else {
                last = materialUses.size();
                materialUses.emplace_back(material, 0);
                positions.Set(material, static_cast<UINT>(materialUses.size()));
            }
        }
        ++materialUses[last].second;
    }
};

void CComponent::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CComponent));
    const CReadDepth depth;
    ReadTally tally;
    if (version >= 9) {
        ReadManagersAndEntities(ar, version, tally);
    } else {
        ReadOldRecord(ar, version, tally);
    }
    FinishRead(ar, tally);
}

void CComponent::ReadManagersAndEntities(CArchive& ar, int version, ReadTally& tally)
{
    m_materialManager->Serialize(ar);
    m_layerManager->Serialize(ar);
    m_definitions->Serialize(ar);
    ReadEntities(ar, tally);
    m_relationships->Serialize(ar);
    ReadActiveSectionPlane(ar);
    if (version == 10) {
        ReadComponentFontManager(ar);
    }
}

void CComponent::ReadOldRecord(CArchive& ar, int version, ReadTally& tally)
{
    ReadEntities(ar, tally);
    if (version < 7) {
        ar >> m_componentTransform;
    }
    if (version >= 1) {
        m_relationships->Serialize(ar);
    }
    if (version >= 2) {
        m_definitions->Serialize(ar);
    }
    if (version >= 3 && version <= 5) {
        if (CMaterial* material = nullptr; ArchiveReadFlaggedMaterial(ar, material)) {
            SetMaterial(material);
        }
    }
    if (version >= 4) {
        m_materialManager->Serialize(ar);
    }
    if (version >= 5) {
        m_layerManager->Serialize(ar);
    }
    if (version >= 8) {
        ReadActiveSectionPlane(ar);
    }
}

namespace {

// The edges the components' lists took so far, compared with CEdge::GetReadCount.
// User-interface thread only.
std::uint64_t g_edgesListed = 0;

// The component stands as the holder of the edges read while its list is read, until
// its read ends, however it ends.
class CHolderScope
{
public:
    explicit CHolderScope(const CComponent* component) : m_previous(CEdgeUse::SetHolderBeingRead(component)) {}
    ~CHolderScope() { (void)CEdgeUse::SetHolderBeingRead(m_previous); }
    CHolderScope(const CHolderScope&) = delete;
    CHolderScope& operator=(const CHolderScope&) = delete;

private:
    const CEntity* m_previous;
};

// The list's sums stand as the sink of the faces and edges read while its list is read,
// until its read ends, however it ends.
class CSinkScope
{
public:
    explicit CSinkScope(CMeshReadSums* sums)
        : m_previous(CMeshReadSink::Install(sums != nullptr ? &sums->GetSink() : nullptr))
    {
    }
    ~CSinkScope() { (void)CMeshReadSink::Install(m_previous); }
    CSinkScope(const CSinkScope&) = delete;
    CSinkScope& operator=(const CSinkScope&) = delete;

private:
    CMeshReadSink* m_previous;
};

}  // namespace

void CComponent::ReadEntities(CArchive& ar, ReadTally& tally)
{
    const std::int32_t count = ReadReferenceCount(ar);
    m_entities.clear();
    m_sectionPlanes.clear();
    // The count was checked against the bytes left; growing by doubling instead would
    // leave up to half the list unused in a large model.
    m_entities.reserve(static_cast<std::size_t>(count));
    // Filled to the end unless the file is damaged: a large list is made present at once.
    CHeapPrefaulter::PrepareRegion(m_entities.data(), m_entities.capacity() * sizeof(CDrawingElement*));
    const CHolderScope holder(this);
    // Lists of other components read within this one gather into their own sums, or none.
    CMeshReadSums* sums = CMeshReadSums::Begin(*this, static_cast<std::size_t>(count));
    const CSinkScope sink(sums);
    const std::uint64_t edgesReadBefore = CEdge::GetReadCount();
    const std::uint64_t edgesListedBefore = g_edgesListed;
    const std::uint64_t foreignBefore = CEdgeUse::GetForeignEdgeCount();
    std::uint64_t leftOut = 0;
    CTwiceListed twice(*this, g_edgesTakenIn);
    for (std::int32_t i = 0; i < count; ++i) {
        CDrawingElement* element = ReadDrawingElement(ar);
        // No writer lists an empty entry or an element twice: the entry stood for another
        // element, which the file has lost, so it is told. A component never holds itself;
        // where a face or edge held elsewhere ends up is settled once the list is read.
        if (element == nullptr || element == this || element->GetParent() != nullptr) {
            if (element == nullptr || element == this || !twice.NoteNamed(element)) {
                ++leftOut;
            }
            continue;
        }
        m_entities.push_back(element);
        element->SetParent(this);
        const int type = element->GetTypeId();
        if (type == kTypeEdge) {
            ++g_edgesListed;
        }
        if (sums != nullptr) {
            sums->Listed(type, m_entities.size() - 1);
        }
        if (const CComponent* held = element->GetNestedComponent()) {
            tally.nested.push_back(held);
        }
        ReadTally::AddUsesOf(element, [&tally](CMaterial* material) { tally.AddUse(material); });
    }
    // When every edge read while the list was read (its faces', those of what it nests)
    // went into a list, no face took an edge another element holds and the list named
    // nothing held elsewhere, none of its faces' edges can be missing or foreign, and the
    // faces need not be walked.
    if (CEdge::GetReadCount() - edgesReadBefore != g_edgesListed - edgesListedBefore ||
        CEdgeUse::GetForeignEdgeCount() != foreignBefore || !twice.IsEmpty()) {
        CMeshReadSums::NoteListsChanged();
        leftOut += SettleFaceEdges(ar, twice, tally);
    } else if (sums != nullptr) {
        std::vector<const CMaterial*> materials;
        materials.reserve(tally.materialUses.size());
        for (const auto& use : tally.materialUses) {
            materials.push_back(use.first);
        }
        sums->End(m_entities.size(), std::move(materials));
    }
    if (leftOut > 0) {
        if (CTarnwickModel* model = GetCurrentModel()) {
            model->NoteLeftOutEntries(leftOut);
        }
    }
}

std::uint64_t CComponent::SettleFaceEdges(CArchive& ar, CTwiceListed& twice, ReadTally& tally)
{
    const std::size_t listed = m_entities.size();
    TakeInFaceEdges(ar, twice);
    for (std::size_t i = listed; i < m_entities.size(); ++i) {
        ++g_edgesListed;
        ReadTally::AddUsesOf(m_entities[i], [&tally](CMaterial* material) { tally.AddUse(material); });
    }
    // What comes was counted among the listed edges where it was listed or put back.
    const CTwiceListed::Outcome outcome = twice.Settle();
    for (CDrawingElement* element : outcome.came) {
        m_entities.push_back(element);
        ReadTally::AddUsesOf(element, [&tally](CMaterial* material) { tally.AddUse(material); });
    }
    if (!outcome.came.empty()) {
        CRepairNotes::Say("faces and edges that another entity list held go to the list whose faces use them; "
                          "that list's entries naming them are left out");
    }
    // Erasing the other component would free an edge a face here still uses.
    if (outcome.edgeHeldElsewhere) {
        AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName,
                                 "a face uses an edge that another component holds");
    }
    return outcome.leftOut;
}

void CComponent::TakeInFaceEdges(CArchive& ar, CTwiceListed& twice)
{
    bool takenIn = false;
    const std::size_t listed = m_entities.size();
    for (std::size_t i = 0; i < listed; ++i) {
        if (m_entities[i]->GetTypeId() != kTypeFace) {
            continue;
        }
        const auto* face = static_cast<const CFace*>(m_entities[i]);
        for (std::int32_t l = 0; l < face->GetLoopCount(); ++l) {
            CEnumEdgeUseLoop uses(face->GetLoop(l));
            CEdgeUse* use = nullptr;
            while (uses.Next(use)) {
                CEdge* edge = use->GetEdge();
                if (edge == nullptr || edge->GetParent() == this) {
                    continue;
                }
                if (edge->GetParent() != nullptr) {
                    // Erasing what holds it would free an edge this face still uses.
                    if (!twice.NoteUsed(edge)) {
                        AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName,
                                                 "a face uses an edge that another component holds");
                    }
                    continue;
                }
                m_entities.push_back(edge);
                edge->SetParent(this);
                (void)g_edgesTakenIn.insert(edge);
                takenIn = true;
            }
        }
    }
    if (takenIn) {
        CRepairNotes::Say("a face uses an edge that its component's list left out; the edge is put back");
    }
}

void CComponent::ReadActiveSectionPlane(CArchive& ar)
{
    m_activeSectionPlane = static_cast<CDrawingElement*>(ReadNamedObject(ar, kSectionPlaneClass));
}

void CComponent::FinishRead(CArchive& ar, const ReadTally& tally)
{
    m_definitions->SetParent(this);
    m_layerManager->SetParent(this);
    m_materialManager->SetParent(this);
    InvalidateBounds();
    InvalidateSmoothNormals();
    NestedComponents nested = tally.nested;
    nested.insert(nested.end(), m_definitions->GetDefinitions().begin(), m_definitions->GetDefinitions().end());
    CheckComponentNesting(this, std::move(nested), ar);
    const CUndoSuspender suspender;
    m_materialManager->ResetUseCounts();
    // Nothing read after the entities changes an element's materials.
    CountMaterialUses(&tally);
}

void CComponent::WriteRecord(CArchive& ar)
{
    m_materialManager->Serialize(ar);
    m_layerManager->Serialize(ar);
    m_definitions->Serialize(ar);
    // Faces bring their loops and edge uses, edges their vertices: a large model writes
    // about twice as many objects as it holds entities.
    ar.ReserveStoredObjects(m_entities.size() * 2);
    WriteReferences(ar, m_entities);
    m_relationships->Serialize(ar);
    ar.WriteObject(m_activeSectionPlane);
}

void CComponent::PostLoad()
{
    if (!m_componentTransform.IsIdentity()) {
        Transform(m_componentTransform);
        m_componentTransform.SetIdentity();
    }
    if (m_definitions == nullptr) {
        return;
    }
    for (CComponentDefinition* definition : m_definitions->GetDefinitions()) {
        definition->PostLoad();
        definition->ResetInsertionPoint();
    }
}

void CComponent::RecountMaterialUses()
{
    CountMaterialUses(nullptr);
}

void CComponent::CountMaterialUses(const ReadTally* counted) const
{
    if (CMaterial* own = GetMaterial()) {
        own->AddUse(false);
    }
    if (counted != nullptr) {
        for (const auto& [material, uses] : counted->materialUses) {
            for (std::size_t i = 0; i < uses; ++i) {
                material->AddUse(false);
            }
        }
    } else {
        for (const CDrawingElement* entity : m_entities) {
            ReadTally::AddUsesOf(entity, [](CMaterial* material) { material->AddUse(false); });
        }
    }
    if (m_definitions != nullptr) {
        for (const CComponentDefinition* definition : m_definitions->GetDefinitions()) {
            definition->CountMaterialUses(nullptr);
        }
    }
}

void CComponent::SetShadowState(int state, bool recursive)
{
    m_shadowState = state;
    if (!recursive || m_definitions == nullptr) {
        return;
    }
    for (CComponentDefinition* definition : m_definitions->GetDefinitions()) {
        definition->SetShadowState(state, true);
    }
}

void CComponent::CollectDefinitions(CEntitySet& definitions, bool recursive) const
{
    for (const CDrawingElement* entity : m_entities) {
        const auto* instance = dynamic_cast<const CComponentInstance*>(entity);
        CComponentDefinition* definition = instance != nullptr ? instance->GetDefinition() : nullptr;
        // The set ends the walk when definitions place each other.
        if (definition != nullptr && definitions.Add(definition) && recursive) {
            definition->CollectDefinitions(definitions, true);
        }
    }
}

void CComponent::Transform(const CTransformation& transform)
{
    if (transform.IsIdentity()) {
        return;
    }
    // The merger moves shared vertices, curves and glued instances once each.
    std::vector<CEntity*> entities(m_entities.begin(), m_entities.end());
    CEntityMerger(entities).Merge(transform);
    CMeshReadSums::NoteListsChanged();
    InvalidateBounds();
}

void CComponent::SwapData(CEntity& other)
{
    CDrawingElement::SwapData(other);
    if (auto* component = dynamic_cast<CComponent*>(&other)) {
        std::swap(m_activeSectionPlane, component->m_activeSectionPlane);
    }
}

int CComponent::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CComponent), results, result)) {
        return result;
    }
    result = CDrawingElement::CheckValidity(mode, results);
    if (result == kValidityBroken) {
        return result;
    }
    if (m_activeSectionPlane != nullptr && !ListContains(m_entities, m_activeSectionPlane)) {
        AppendValidityMessage("%s has an active section plane it does not hold", GetEntityLabel(this));
        if (BeginRepair(mode)) {
            m_activeSectionPlane = nullptr;
        } else {
            result = std::max(result, static_cast<int>(kValidityRepairable));
        }
    }
    // Edges first, then faces, then the rest: faces check against sound edges.
    for (const int group : {0, 1, 2}) {
        const std::vector<CDrawingElement*> entities = m_entities;
        for (CDrawingElement* entity : entities) {
            const int type = entity != nullptr ? entity->GetTypeId() : -1;
            const int entityGroup = type == kTypeEdge ? 0 : (type == kTypeFace ? 1 : 2);
            if (entityGroup != group) {
                continue;
            }
            if (entity == nullptr) {
                AppendValidityMessageId(kMsgNullObject, "CDrawingElement");
                return SetCheckResult(kValidityBroken, results);
            }
            const int severity = entity->CheckValidity(mode, results);
            if (severity == kValidityBroken) {
                return SetCheckResult(kValidityBroken, results);
            }
            if (severity == kValidityStale) {
                AppendValidityMessage("%s is stale", GetEntityLabel(entity));
                if (BeginRepair(mode)) {
                    EraseEntity(entity);
                } else {
                    result = std::max(result, static_cast<int>(kValidityStale));
                }
            }
        }
    }
    if (m_definitions != nullptr) {
        result = std::max(result, m_definitions->CheckValidity(mode, results));
    }
    return SetCheckResult(result, results);
}

bool CComponent::IntersectPickRay(const CBoundedLine3d& ray, double pixelScale, CPoint3d& hitPoint,
                                  double& hitParameter, CInstancePath* hitPath, bool skipHidden) const
{
    if (skipHidden && IsHiddenFlagSet()) {
        return false;
    }
    CBoundingBox3d box;
    GetBounds(box, false);
    box.Expand(kInsideMargin);
    if (box.IsEmpty() || !ray.IntersectsBox(box)) {
        return false;
    }
    const WalkGuard guard(m_walking);
    if (!guard.Entered()) {
        return false;
    }
    bool found = false;
    CInstancePath bestPath;
    for (CDrawingElement* entity : m_entities) {
        CPoint3d point;
        double parameter = 0.0;
        CInstancePath path;
        if (!entity->IntersectPickRay(ray, pixelScale, point, parameter, &path, skipHidden)) {
            continue;
        }
        const CVector3d along = point - ray.line.origin;
        const double projected = along.x * ray.line.direction.x + along.y * ray.line.direction.y +
                                 along.z * ray.line.direction.z;
        if (projected * pixelScale < kInsideMargin || (found && projected >= hitParameter)) {
            continue;
        }
        found = true;
        hitPoint = point;
        hitParameter = projected;
        if (path.IsEmpty()) {
            path.SetSingle(entity);
        }
        bestPath = path;
    }
    if (found && hitPath != nullptr) {
        hitPath->Append(bestPath);
    }
    return found;
}

int CComponent::IntersectLine(const CLine3d& line, CPoint3d& point) const
{
    const WalkGuard guard(m_walking);
    if (!guard.Entered()) {
        return 0;
    }
    int kept = 0;
    double keptDistance = 0.0;
    for (const CDrawingElement* entity : m_entities) {
        CPoint3d candidate;
        const int answer = entity->IntersectLine(line, candidate);
        if (answer == 0) {
            continue;
        }
        const double distance = DistanceToLine(line, candidate);
        if (kept == 0 || distance < keptDistance) {
            kept = answer;
            keptDistance = distance;
            point = candidate;
        }
    }
    return kept;
}

void CComponent::GetSecondBounds(CBoundingBox3d& out) const
{
    if (!m_boundsValid) {
        RecomputeBounds();
    }
    out = m_secondBounds;
}

bool CComponent::RayTest(const CLine3d& line, double pixelScale, CPoint3d& hitPoint, double& hitParameter,
                         CInstancePath* hitPath, bool skipHidden) const
{
    return IntersectPickRay(CBoundedLine3d(line, false, true), pixelScale, hitPoint, hitParameter, hitPath,
                            skipHidden);
}
