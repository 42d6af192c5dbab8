#include "document/entitycopier.h"

#include <unordered_set>

#include "annotations/dimension.h"
#include "annotations/text.h"
#include "document/component.h"
#include "document/definitionlist.h"
#include "document/fontmanager.h"
#include "document/layermanager.h"
#include "document/materialmanager.h"
#include "document/modelpointref.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "foundation/versioninfo.h"
#include "model/curveregistry.h"
#include "model/entitycontainer.h"
#include "model/radialtails.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "platform/archive.h"
#include "platform/memfile.h"

namespace {

constexpr UINT kGrowBytes = 1024;
constexpr int kArchiveBuffer = 4096;

void AddPointTargets(const CModelPointRef& point, CEntitySet& targets)
{
    for (CEntity* entity : {point.GetFirstEntity(), point.GetSecondEntity()}) {
        if (entity != nullptr) {
            targets.Add(entity);
        }
    }
    for (const CInstancePath* path : {&point.GetFirstPath(), &point.GetSecondPath()}) {
        for (CEntity* instance : path->GetEntities()) {
            targets.Add(instance);
        }
    }
}

// What a text or a linear dimension hangs on: the entities and path instances of its
// points. Other entities hang on nothing.
void AddAttachmentTargets(const CEntity* entity, CEntitySet& targets)
{
    if (const auto* text = dynamic_cast<const CText*>(entity)) {
        AddPointTargets(text->GetAnchor(), targets);
    } else if (const auto* dimension = dynamic_cast<const CDimension*>(entity)) {
        dimension->AddReferencedEntities(targets);
    }
}

// Writing in an older save format would drop fields the copies must keep.
class NewestSaveFormat
{
public:
    NewestSaveFormat() : m_previous(GetSaveFormat()) { SetSaveFormat(kSaveFormat5000); }
    ~NewestSaveFormat() { SetSaveFormat(m_previous); }
    NewestSaveFormat(const NewestSaveFormat&) = delete;
    NewestSaveFormat& operator=(const NewestSaveFormat&) = delete;

private:
    int m_previous;
};

// The copies are written in the newest layout, so they are read back at the newest
// versions, not at those of a file read earlier. The file's map is put back afterwards.
class CurrentVersionsOnly
{
public:
    CurrentVersionsOnly()
    {
        if (const CVersionMap* loaded = GetLoadedVersionMap()) {
            m_saved = std::make_unique<CVersionMap>(*loaded);
            SetLoadedVersionMap(nullptr);
        }
    }
    ~CurrentVersionsOnly()
    {
        if (m_saved != nullptr) {
            SetLoadedVersionMap(m_saved.release());
        }
    }
    CurrentVersionsOnly(const CurrentVersionsOnly&) = delete;
    CurrentVersionsOnly& operator=(const CurrentVersionsOnly&) = delete;

private:
    std::unique_ptr<CVersionMap> m_saved;
};

}  // namespace

CCopier::CCopier(CTarnwickModel* model)
{
    if (model == nullptr) {
        return;
    }
    if (CComponent* root = model->GetRootComponent()) {
        if (root->GetMaterialManager() != nullptr) {
            AddSharedIterator(root->GetMaterialManager()->NewIterator());
        }
        if (root->GetDefinitionList() != nullptr) {
            AddSharedIterator(root->GetDefinitionList()->NewIterator());
        }
        if (root->GetLayerManager() != nullptr) {
            AddSharedIterator(root->GetLayerManager()->NewIterator());
        }
    }
    if (model->GetFontManager() != nullptr) {
        AddSharedIterator(model->GetFontManager()->NewIterator());
    }
}

CCopier::~CCopier()
{
    Reset(true);
}

void CCopier::AddSharedIterator(IEntityIterator* iterator)
{
    if (iterator != nullptr) {
        m_shared.emplace_back(iterator);
    }
}

void CCopier::Reset(bool deleteIterators)
{
    m_buffer.reset();
    m_storedCount = 0;
    m_archiveIndex.clear();
    m_copies.clear();
    m_copyIndex = CPointerIndexMap();
    if (deleteIterators) {
        m_shared.clear();
    }
}

void CCopier::PrepareList(std::vector<CEntity*>& entities)
{
    AddRelationshipsAmong(entities);
    // A dimension whose points hang on something the copy leaves behind is written as
    // hanging on nothing; the dimension itself keeps its points.
    CEntitySet dependents;
    for (CEntity* entity : entities) {
        entity->CollectDependents(dependents);
    }
    for (CEntity* entity : entities) {
        if (auto* dimension = dynamic_cast<CDimension*>(entity)) {
            dimension->DetachFromEntitiesOutside(dependents, true);
        }
    }
}

void CCopier::AddRelationshipsAmong(std::vector<CEntity*>& entities)
{
    auto* parent = entities.empty() ? nullptr : dynamic_cast<CComponent*>(entities.front()->GetParent());
    const CRelationshipMap* map = parent != nullptr ? parent->GetRelationshipMap() : nullptr;
    if (map == nullptr || map->GetCount() == 0) {
        return;
    }
    const std::unordered_set<const CEntity*> listed(entities.begin(), entities.end());
    for (int i = 0; i < map->GetCount(); ++i) {
        CRelationship* relationship = map->GetRelationship(i);
        if (relationship != nullptr && listed.count(relationship->GetFirst()) != 0 &&
            listed.count(relationship->GetSecond()) != 0) {
            entities.push_back(relationship);
        }
    }
}

void CCopier::CollectAnnotationTargets(const std::vector<CEntity*>& entities)
{
    CEntitySet targets;
    const auto* component = entities.size() == 1 ? dynamic_cast<const CComponent*>(entities.front()) : nullptr;
    if (component != nullptr) {
        for (const CDrawingElement* element : component->GetEntityList()) {
            AddAttachmentTargets(element, targets);
        }
    } else {
        for (const CEntity* entity : entities) {
            AddAttachmentTargets(entity, targets);
        }
    }
    if (!targets.IsEmpty()) {
        // A target that the copy takes along is copied: a copied text keeps hanging
        // on the copied entity, not on its source.
        CEntitySet dependents;
        for (CEntity* entity : entities) {
            entity->CollectDependents(dependents);
        }
        if (component != nullptr) {
            for (CDrawingElement* element : component->GetEntityList()) {
                element->CollectDependents(dependents);
            }
        }
        for (CEntity* target : targets) {
            if (!dependents.Contains(target)) {
                m_referenced.Add(target);
            }
        }
    }
    for (CEntity* entity : entities) {
        m_referenced.Remove(entity);
    }
}

void CCopier::RegisterShared(CArchive& ar)
{
    for (const auto& iterator : m_shared) {
        iterator->Reset();
        CEntity* entity = nullptr;
        while (iterator->Next(entity)) {
            ar.MapObject(entity);
        }
    }
}

int CCopier::Store(std::vector<CEntity*>& entities)
{
    PrepareList(entities);
    Reset(false);
    const NewestSaveFormat format;
    m_buffer = std::make_unique<CMemFile>(kGrowBytes);
    CArchive ar(m_buffer.get(), CArchive::store, kArchiveBuffer);
    RegisterShared(ar);
    CollectAnnotationTargets(entities);
    for (CEntity* referenced : m_referenced) {
        ar.MapObject(referenced);
    }
    m_storedCount = static_cast<int>(entities.size());
    ar << static_cast<std::int32_t>(m_storedCount);
    for (CEntity* entity : entities) {
        ar.WriteObject(entity);
    }
    m_archiveIndex = ar.GetStoredObjects();
    ar.Close();
    return m_storedCount;
}

int CCopier::Load(std::vector<CEntity*>& out)
{
    if (m_buffer == nullptr || m_storedCount == 0) {
        return 0;
    }
    m_buffer->SeekToBegin();
    const CurrentVersionsOnly versions;
    const CRadialTails tails;
    CArchive ar(m_buffer.get(), CArchive::load, kArchiveBuffer);
    RegisterShared(ar);
    for (CEntity* referenced : m_referenced) {
        ar.MapObject(referenced);
    }
    std::int32_t count = 0;
    ar >> count;
    // The count was written here, but the buffer is read like any archive.
    if (count < 0 || static_cast<ULONGLONG>(count) > ar.GetRemainingBytes() / 2) {
        AfxThrowArchiveException(CArchiveException::badIndex);
    }
    out.reserve(out.size() + static_cast<std::size_t>(count));
    int appended = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        if (auto* entity = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)))) {
            out.push_back(entity);
            ++appended;
        }
    }
    m_copies.clear();
    m_copyIndex = CPointerIndexMap();
    m_copies.reserve(m_archiveIndex.size());
    for (const auto& [source, index] : m_archiveIndex) {
        if (CObject* copy = ar.GetLoadedObject(index)) {
            m_copies.emplace_back(source, copy);
        }
    }
    ar.Close();
    return appended;
}

int CCopier::Clone(std::vector<CEntity*>& entities)
{
    Store(entities);
    entities.clear();
    CCurveRegistry::Reset();
    const int count = Load(entities);
    CCurveRegistry::Resolve(false);
    return count;
}

CEntity* CCopier::CloneOne(CEntity* entity)
{
    std::vector<CEntity*> entities{entity};
    Clone(entities);
    return entities.empty() ? nullptr : entities.front();
}

CObject* CCopier::GetCopyOf(const CObject* source) const
{
    if (m_copyIndex.GetCount() == 0 && !m_copies.empty()) {
        m_copyIndex.Reserve(m_copies.size());
        for (std::size_t i = 0; i < m_copies.size(); ++i) {
            m_copyIndex.Set(m_copies[i].first, static_cast<UINT>(i + 1));
        }
    }
    const UINT position = m_copyIndex.Find(source);
    return position != 0 ? m_copies[position - 1].second : nullptr;
}
