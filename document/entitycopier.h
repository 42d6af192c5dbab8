#pragma once
// CCopier: deep copies of entities made by writing them into a memory archive and
// reading them back. What the model shares between many entities (materials,
// definitions, layers, fonts) is registered with the archive on both sides instead of
// written, so the copies point at the very same objects; everything else the records
// reach (topology, curves, attributes, nested objects) is copied once, however many
// copied entities share it. After a load the copier tells, for every source object
// that went through the archive, which object was made from it.

#include <memory>
#include <utility>
#include <vector>

#include "model/entityset.h"
#include "platform/pointerindexmap.h"

class CArchive;
class CEntity;
class CMemFile;
class CObject;
class CTarnwickModel;
class IEntityIterator;

class CCopier
{
public:
    // Without a model the copier shares nothing until AddSharedIterator is called; with
    // one it shares the root component's materials, definitions and layers and the
    // model's fonts.
    explicit CCopier(CTarnwickModel* model = nullptr);
    virtual ~CCopier();

    CCopier(const CCopier&) = delete;
    CCopier& operator=(const CCopier&) = delete;

    // Takes the iterator over (null is ignored): its objects are referred to, not copied.
    void AddSharedIterator(IEntityIterator* iterator);
    // Objects that copies refer to rather than copy (what copied annotations hang on).
    void AddReferenced(CEntity* entity) { m_referenced.Add(entity); }
    // Forgets the buffer and both maps; with deleteIterators also the shared iterators.
    void Reset(bool deleteIterators);

    // Writes the entities (and the relationships among them, which are appended to the
    // list); answers how many were written. Archive exceptions propagate.
    int Store(std::vector<CEntity*>& entities);
    // Appends a new copy of every stored entity; answers how many. Nothing without a
    // buffer. Archive exceptions propagate.
    int Load(std::vector<CEntity*>& out);
    // Store, then Load into the emptied list, with the curves of the copies rebuilt.
    int Clone(std::vector<CEntity*>& entities);
    // The copy of one entity; null when its record reads back as nothing.
    [[nodiscard]] CEntity* CloneOne(CEntity* entity);
    // Adds the relationships among the listed entities to the list, and has each listed
    // dimension that hangs on something the copy leaves behind written as hanging on
    // nothing (the dimension itself keeps hanging on it).
    void PrepareList(std::vector<CEntity*>& entities);

    // The object made from the source by the last load; null when it made none. A
    // shared object maps to itself.
    [[nodiscard]] CObject* GetCopyOf(const CObject* source) const;
    [[nodiscard]] int GetStoredCount() const { return m_storedCount; }

private:
    void RegisterShared(CArchive& ar);
    static void AddRelationshipsAmong(std::vector<CEntity*>& entities);
    void CollectAnnotationTargets(const std::vector<CEntity*>& entities);

    std::unique_ptr<CMemFile> m_buffer;
    int m_storedCount = 0;
    std::vector<std::unique_ptr<IEntityIterator>> m_shared;
    // Every object the last store wrote or registered, with its number in the archive.
    std::vector<std::pair<const CObject*, unsigned>> m_archiveIndex;
    // Each source with the object the last load made from it. A large paste makes
    // hundreds of thousands of pairs and few callers ask for any, so they are kept in
    // one array and only indexed (by position + 1) on the first question.
    std::vector<std::pair<const CObject*, CObject*>> m_copies;
    mutable CPointerIndexMap m_copyIndex;
    CEntitySet m_referenced;
};
